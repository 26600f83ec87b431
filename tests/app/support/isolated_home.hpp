#pragma once

#include <QString>
#include <QTemporaryDir>

namespace velmora::test {

// A fresh home folder for the whole test process: HOME and the XDG folders point into a
// temporary folder that is removed at the end. Must be made before the QApplication.
class IsolatedHome {
public:
    IsolatedHome();
    [[nodiscard]] QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

} // namespace velmora::test

// The main function of an application test: an isolated home, an offscreen QApplication named
// like Ostrevo, then the test object.
#define OSTREVO_APP_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char** argv) {                                                              \
        velmora::test::IsolatedHome home;                                                          \
        QApplication application(argc, argv);                                                      \
        velmora::Application::configure(application);                                              \
        QApplication::setQuitOnLastWindowClosed(false);                                            \
        TestObject test(home.path());                                                              \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
