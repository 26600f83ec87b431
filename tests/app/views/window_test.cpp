// The document window driven as a user drives it: typing, keys, clicks, the hoist bar and the
// clipboard, through the real window with its menus.
#include "app/shell/application.hpp"
#include "app/views/hoist_bar.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QClipboard>
#include <QMimeData>
#include <QToolButton>
#include <QUndoStack>

using namespace velmora;
using test::WindowFixture;

class WindowTest : public QObject {
    Q_OBJECT
public:
    explicit WindowTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = std::make_unique<WindowFixture>();
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
    }
    void cleanup() { m_app.reset(); }

    void typingReturnTabAndUndoBuildAnOutline() {
        Preferences().setString(PreferenceKeys::returnWhileTyping,
                                QStringLiteral("finishAndAddNext"));
        m_app->newDocument();
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral("Groceries"));
        WindowFixture::key(Qt::Key_Return);
        const auto& items = [this]() -> const ItemList& {
            return m_app->session().snapshot.document.items;
        };
        QCOMPARE(items().size(), 2u);
        QCOMPARE(items()[0].text, std::string("Groceries"));
        QCOMPARE(WindowFixture::focus(), &m_app->editor());

        WindowFixture::key(Qt::Key_Tab);
        QCOMPARE(items().size(), 1u);
        QCOMPARE(items()[0].children.size(), 1u);
        // Indenting ends editing; Return in the outline edits the item again.
        QCOMPARE(WindowFixture::focus(), &m_app->list());
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral("Milk"));
        // Typing reaches the session only with the next command.
        QCOMPARE(items()[0].children[0].text, std::string());
        WindowFixture::key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(items().size(), 2u);
        QCOMPARE(items()[1].text, std::string("Milk"));

        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(items().size(), 1u);
        const Item& child = items()[0].children[0];
        QCOMPARE(child.text, std::string());
        QCOMPARE(m_app->session().snapshot.editing, EditingTarget::item(child.id));
        QCOMPARE(m_app->editor().toPlainText(), QString());
    }

    void undoWhileTypingRecordsTheTextAndRestoresTheOldOne() {
        m_app->newDocument();
        WindowFixture::type(QStringLiteral("Plan"));
        WindowFixture::key(Qt::Key_Return);
        WindowFixture::key(Qt::Key_Return); // edits the item again
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral(" trip"));
        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Plan"));
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("Plan"));
        // Redo brings the typed text back as one record.
        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Plan trip"));
    }

private:
    QString m_home;
    std::unique_ptr<WindowFixture> m_app;
};

OSTREVO_APP_TEST_MAIN(WindowTest)
#include "window_test.moc"
