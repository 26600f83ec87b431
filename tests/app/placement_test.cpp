// Where document windows open on a screen smaller than their usual size, here an offscreen
// screen scaled by two (as QT_SCALE_FACTOR=2 does on a laptop): every window, new, restored or
// cascaded, lies inside the screen's available area.
#include "app/document/velmora_document.hpp"
#include "app/platform/data_folder.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/application.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_window.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QtTest>

#include <memory>

using namespace velmora;

namespace {

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString describe(const QRect& rect) {
    return QStringLiteral("(%1, %2) %3 x %4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

} // namespace

class PlacementTest : public QObject {
    Q_OBJECT
public:
    explicit PlacementTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
    }
    void cleanup() {
        m_delegate.reset();
        settle();
    }

    void theScreenIsSmallerThanAWindow() {
        QCOMPARE(qgetenv("QT_SCALE_FACTOR"), QByteArray("2"));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(area.width() < DocumentWindow::contentSize.width() ||
                     area.height() < DocumentWindow::contentSize.height(),
                 qPrintable(describe(area)));
    }

    void newAndRestoredWindowsLieInsideTheScreen() {
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        expectInside();
        // Documents in windows of their own cascade from one another.
        Preferences().setBool(PreferenceKeys::documentsInTabs, false);
        for (int more = 0; more < 3; ++more) {
            controller().newDocument();
            settle();
        }
        QCOMPARE(controller().windows().size(), 4);
        expectInside();
        for (VelmoraDocument* document : controller().documents()) {
            document->perform(Action::commit, std::string("Kept"));
        }
        QVERIFY(controller().prepareToQuit());

        // The next start restores them.
        m_delegate.reset();
        settle();
        start();
        QTRY_COMPARE(controller().documents().size(), 4);
        expectInside();
    }

private:
    void start() {
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, DataFolder::location());
        m_delegate->launch({});
        settle();
    }
    VelmoraDocumentController& controller() { return m_delegate->controller(); }

    void expectInside() {
        for (DocumentWindow* window : controller().windows()) {
            QScreen* screen =
                window->screen() ? window->screen() : QGuiApplication::primaryScreen();
            const QRect area = screen->availableGeometry();
            const QRect frame = window->frameGeometry();
            QVERIFY2(area.contains(frame),
                     qPrintable(describe(frame) + QStringLiteral(" outside ") + describe(area)));
        }
    }

    QString m_home;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
};

int main(int argc, char** argv) {
    velmora::test::IsolatedHome home;
    // Before the application starts: the screen is scaled as the whole session is.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication application(argc, argv);
    velmora::Application::configure(application);
    QApplication::setQuitOnLastWindowClosed(false);
    PlacementTest test(home.path());
    return QTest::qExec(&test, argc, argv);
}

#include "placement_test.moc"
