// What a user types is kept: autosaves, quitting and exports while typing write the text typed
// so far and leave the editor open under the user's hands, an input method's composition
// survives them, and clicks beside the edited text never leave the editor without the keys.
#include "app/document/document_codec.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QFile>
#include <QInputMethodEvent>
#include <QUndoStack>

using namespace velmora;
using test::WindowFixture;

namespace {

// The title of the first item of the document file at the path; empty when unreadable.
QString firstTitleIn(const QString& path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    auto decoded = DocumentCodec::decodeNative(file.readAll());
    const auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    if (!loaded || loaded->snapshot.document.items.empty()) {
        return {};
    }
    return QString::fromStdString(loaded->snapshot.document.items.front().text);
}

Item itemWith(std::string id, std::string text) {
    return Item::blank(std::move(id), std::move(text));
}

} // namespace

class KeystrokesTest : public QObject {
    Q_OBJECT
public:
    explicit KeystrokesTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = std::make_unique<WindowFixture>();
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
        m_app->controller().setAutosaveDelay(30);
    }
    void cleanup() { m_app.reset(); }

    void typingAcrossAnAutosaveKeepsEveryCharacterAndTheEditor() {
        VelmoraDocument* document = m_app->newDocument();
        ItemTextEditor& editor = m_app->editor();
        QCOMPARE(WindowFixture::focus(), &editor);
        WindowFixture::type(QStringLiteral("Buy milk"));
        // Select "milk" backwards, as a user about to retype it would.
        for (int step = 0; step < 4; ++step) {
            WindowFixture::key(Qt::Key_Left, Qt::ShiftModifier);
        }
        const QTextCursor before = editor.textCursor();
        QTRY_COMPARE(firstTitleIn(document->autosavePath()), QStringLiteral("Buy milk"));

        QCOMPARE(WindowFixture::focus(), &editor);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.toPlainText(), QStringLiteral("Buy milk"));
        QCOMPARE(editor.textCursor().position(), before.position());
        QCOMPARE(editor.textCursor().anchor(), before.anchor());
        QVERIFY(document->session().snapshot.editing.has_value());
        QCOMPARE(document->undoStack()->count(), 0);

        // Typing goes on over the selection, and the next autosave writes that too.
        WindowFixture::type(QStringLiteral("bread"));
        QCOMPARE(editor.toPlainText(), QStringLiteral("Buy bread"));
        QTRY_COMPARE(firstTitleIn(document->autosavePath()), QStringLiteral("Buy bread"));
        QCOMPARE(WindowFixture::focus(), &editor);

        // Ending the edit records the whole typing as one step, which undo takes back.
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(document->session().snapshot.document.items[0].text, std::string("Buy bread"));
        QCOMPARE(document->undoStack()->count(), 1);
        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document->session().snapshot.document.items[0].text, std::string());
    }

    void autosaveInPlaceWritesTheDraftOfASavedDocument() {
        VelmoraDocument* document = m_app->newDocument();
        const QString path = QDir(m_home).filePath(QStringLiteral("draft.quenlith"));
        QVERIFY(!document->saveAs(path));
        for (const bool clearsEdited : {false, true}) {
            Preferences().setBool(PreferenceKeys::autosaveClearsEdited, clearsEdited);
            if (WindowFixture::focus() != &m_app->editor()) {
                WindowFixture::key(Qt::Key_Return);
            }
            QCOMPARE(WindowFixture::focus(), &m_app->editor());
            const QString typed = clearsEdited ? QStringLiteral("Saved") : QStringLiteral("Draft");
            m_app->editor().clear();
            WindowFixture::type(typed);
            QTRY_COMPARE(firstTitleIn(path), typed);
            QCOMPARE(WindowFixture::focus(), &m_app->editor());
            QCOMPARE(m_app->editor().toPlainText(), typed);
            WindowFixture::type(QStringLiteral("!"));
            WindowFixture::key(Qt::Key_Return);
            QCOMPARE(document->session().snapshot.document.items[0].text,
                     (typed + QLatin1Char('!')).toStdString());
        }
    }

    void quittingAndExportingWhileTypingKeepTheEditorOpen() {
        VelmoraDocument* document = m_app->newDocument();
        WindowFixture::type(QStringLiteral("Half a thou"));
        m_app->controller().setAutosaveDelay(60'000);
        QVERIFY(m_app->controller().prepareToQuit());
        QCOMPARE(firstTitleIn(document->autosavePath()), QStringLiteral("Half a thou"));
        QCOMPARE(document->documentWithDraft().items[0].text, std::string("Half a thou"));
        // A cancelled quit leaves the user typing where they were.
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        QCOMPARE(m_app->editor().textCursor().position(), 11);
        WindowFixture::type(QStringLiteral("ght"));
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("Half a thought"));
        QCOMPARE(document->undoStack()->count(), 0);
    }

    void anInputMethodCompositionSurvivesAnAutosave() {
        VelmoraDocument* document = m_app->newDocument();
        ItemTextEditor& editor = m_app->editor();
        WindowFixture::type(QStringLiteral("Tea "));
        QInputMethodEvent preedit(QStringLiteral("ocha"), {});
        QApplication::sendEvent(&editor, &preedit);
        QVERIFY(editor.isComposing());
        QTRY_COMPARE(firstTitleIn(document->autosavePath()), QStringLiteral("Tea "));
        QVERIFY(editor.isComposing());
        QCOMPARE(WindowFixture::focus(), &editor);

        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("お茶"));
        QApplication::sendEvent(&editor, &commit);
        QVERIFY(!editor.isComposing());
        QCOMPARE(editor.toPlainText(), QStringLiteral("Tea お茶"));
        QTRY_COMPARE(firstTitleIn(document->autosavePath()), QStringLiteral("Tea お茶"));
        WindowFixture::type(QStringLiteral("!"));
        QCOMPARE(editor.toPlainText(), QStringLiteral("Tea お茶!"));
    }

    // After a click on the edited row beside its text, or on another row's check box, the keys
    // reach the editor (or the editor is gone): Backspace never deletes an item.
    void clicksBesideTheEditedTextNeverLeaveTheEditorWithoutTheKeys() {
        m_app->newDocument();
        EditorSnapshot snapshot;
        snapshot.document =
            TreeDocument{"doc", "Test", ItemList({itemWith("a", "Alpha"), itemWith("b", "Beta")})};
        snapshot.selectedId = "a";
        snapshot.editing = EditingTarget::item("a");
        snapshot.view = ViewMode::list;
        m_app->load(snapshot);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        const auto geometryOf = [this](const std::string& id) {
            const auto row = *m_app->window().list().model().rowOf(id);
            return m_app->window().list().delegate().geometry(row, m_app->rowRect(id));
        };
        const QRect rowA = m_app->rowRect("a");
        const QPoint besideText(rowA.right() - 4, rowA.center().y());
        const QPoint checkA = geometryOf("a").check.center();
        const QPoint checkB = geometryOf("b").check.center();
        for (const QPoint& point : {besideText, checkA, checkB}) {
            m_app->click(point);
            const bool editorShown = m_app->editor().isVisible();
            QVERIFY(!editorShown || WindowFixture::focus() == &m_app->editor());
            WindowFixture::key(Qt::Key_Backspace);
            QCOMPARE(m_app->session().snapshot.document.items.size(), 2u);
            if (editorShown) {
                QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("Alph"));
                WindowFixture::type(QStringLiteral("a"));
            }
        }
    }

    // A sync tool or another editor wrote the file (here something that cannot be read, so it
    // cannot be reloaded): neither autosave nor Save writes over it, the user is asked once, and
    // Save As still keeps the user's version.
    void anotherProgramsVersionOfTheFileIsNeverOverwritten() {
        VelmoraDocument* document = m_app->newDocument();
        const QString path = QDir(m_home).filePath(QStringLiteral("shared.quenlith"));
        QVERIFY(!document->saveAs(path));
        QVERIFY(!document->changedOnDisk());
        const QByteArray theirs = "written by another program\n";
        {
            QFile other(path);
            QVERIFY(other.open(QIODevice::WriteOnly | QIODevice::Truncate));
            other.write(theirs);
        }
        QVERIFY(document->changedOnDisk());
        QTRY_COMPARE(document->fileProblem(), FileProblem::changedOnDisk);
        WindowFixture::type(QStringLiteral("Mine"));
        QTRY_COMPARE(m_app->dialogs().askedAboutConflicts.size(), 1);
        WindowFixture::type(QStringLiteral(" too"));
        QTest::qWait(300);
        QCOMPARE(m_app->dialogs().askedAboutConflicts.size(), 1);
        QCOMPARE(m_app->dialogs().alerts.size(), 0);
        QVERIFY(document->save().has_value());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), theirs);
        file.close();
        // The editor kept every keystroke meanwhile.
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("Mine too"));

        const QString copy = QDir(m_home).filePath(QStringLiteral("shared copy.quenlith"));
        QVERIFY(!document->saveAs(copy));
        QCOMPARE(firstTitleIn(copy), QStringLiteral("Mine too"));
        QVERIFY(!document->save());
    }

private:
    QString m_home;
    std::unique_ptr<WindowFixture> m_app;
};

OSTREVO_APP_TEST_MAIN(KeystrokesTest)
#include "keystrokes_test.moc"
