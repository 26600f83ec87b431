// Start-up on an empty home, the samples of the first launch, autosave and restore across a
// simulated restart, closing, the reopen rule and tabs versus windows.
#include "app/document/velmora_document.hpp"
#include "app/platform/data_folder.hpp"
#include "app/platform/library_folder.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/application.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/document_window.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace velmora;

namespace {

QStringList documentFilesBelow(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, {QStringLiteral("*.quenlith")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        found.append(QDir(folder).relativeFilePath(it.next()));
    }
    found.sort();
    return found;
}

QByteArray contentsOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
public:
    explicit StartupTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        QDir(library()).removeRecursively();
        QDir(dataFolder()).removeRecursively();
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
    }

    void cleanup() {
        m_delegate.reset();
        settle();
    }

    void firstLaunchWritesTheSamplesOnce() {
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        QVERIFY(Preferences().libraryFirstLaunchDone());
        QVERIFY(Preferences().libraryVisible());
        const QStringList samples{QStringLiteral("Samples/Community Event.quenlith"),
                                  QStringLiteral("Samples/Roadmap.quenlith"),
                                  QStringLiteral("Samples/Trip.quenlith")};
        QCOMPARE(documentFilesBelow(library()), samples);
        // The document the reveal step made is a new untitled one.
        QVERIFY(controller().documents().first()->filePath().isEmpty());

        restart();
        QTRY_COMPARE(controller().documents().size(), 1);
        QCOMPARE(documentFilesBelow(library()), samples);
    }

    void firstLaunchWithDocumentsInTheLibraryWritesNoSamples() {
        QDir().mkpath(library() + QStringLiteral("/Work"));
        QFile existing(library() + QStringLiteral("/Work/Plan.quenlith"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        QVERIFY(Preferences().libraryFirstLaunchDone());
        QCOMPARE(documentFilesBelow(library()), QStringList{QStringLiteral("Work/Plan.quenlith")});
    }

    void autosaveAfterAChangeAndRestoreAfterARestart() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        controller().setAutosaveDelay(20);
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* untitled = controller().documents().first();
        untitled->perform(Action::commit, std::string("Remember the milk"));

        // A few moments after the change the untitled document is in the data folder.
        QTRY_VERIFY(!untitled->autosavePath().isEmpty());
        QVERIFY(QFile::exists(untitled->autosavePath()));

        // A saved document is autosaved in place.
        VelmoraDocument* saved = controller().newDocument();
        const QString file = QDir(library()).filePath(QStringLiteral("Errands.quenlith"));
        QDir().mkpath(library());
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(controller().saveDocument(saved, nullptr));
        saved->perform(Action::commit, std::string("Post office"));
        QTRY_VERIFY(!saved->hasUnautosavedChanges());
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.readAll().contains("Post office"));

        QVERIFY(controller().prepareToQuit());
        restart();
        QTRY_COMPARE(controller().documents().size(), 2);
        VelmoraDocument* restored = controller().documents().at(0);
        QVERIFY(restored->filePath().isEmpty());
        QVERIFY(restored->isEdited());
        QCOMPARE(restored->session().snapshot.document.items.front().text,
                 std::string("Remember the milk"));
        QCOMPARE(controller().documents().at(1)->filePath(), file);
    }

    // An undo restores its snapshot before the undo stack moves; the autosave must still see it.
    void undoAndRedoAfterAnAutosaveAreAutosavedToo() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        controller().setAutosaveDelay(20);
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* document = controller().documents().first();
        const QString file = QDir(library()).filePath(QStringLiteral("Undo.quenlith"));
        QDir().mkpath(library());
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(controller().saveDocument(document, nullptr));
        auto fileText = [&file] {
            QFile written(file);
            return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
        };
        document->perform(Action::commit, std::string("Keep me"));
        QTRY_VERIFY(fileText().contains("Keep me"));
        document->perform(Action::deleteItem);
        QTRY_VERIFY(!fileText().contains("Keep me"));

        document->undoStack()->undo();
        QCOMPARE(document->session().snapshot.document.items.size(), std::size_t(1));
        QTRY_VERIFY(fileText().contains("Keep me"));
        document->undoStack()->redo();
        QTRY_VERIFY(!fileText().contains("Keep me"));
    }

    // The documents open when the process is killed come back as after a quit.
    void documentsOpenAtACrashComeBack() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* first = controller().documents().first();
        const QString kept = QDir(library()).filePath(QStringLiteral("Kept.quenlith"));
        const QString closed = QDir(library()).filePath(QStringLiteral("Closed.quenlith"));
        QDir().mkpath(library());
        m_dialogs->savePaths.enqueue(kept);
        QVERIFY(controller().saveDocument(first, nullptr));
        VelmoraDocument* second = controller().newDocument();
        m_dialogs->savePaths.enqueue(closed);
        QVERIFY(controller().saveDocument(second, nullptr));
        QVERIFY(controller().closeDocument(second));
        settle();

        restart(); // no quit: the list of open documents is what was written along the way
        QTRY_COMPARE(controller().documents().size(), 1);
        QCOMPARE(controller().documents().first()->filePath(), kept);
        QVERIFY(controller().openDocument(closed));
        restart();
        QTRY_COMPARE(controller().documents().size(), 2);
        QCOMPARE(controller().documents().at(0)->filePath(), kept);
        QCOMPARE(controller().documents().at(1)->filePath(), closed);
    }

    // A document whose file was deleted comes back after a kill with what was typed since,
    // from its emergency copy, still knowing that its file is gone. Before, the typing was
    // only in memory and the kill lost it.
    void aDeletedFilesTypingComesBackAfterAKill() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        Preferences().setBool(PreferenceKeys::quitAlwaysKeepsWindows, false);
        start();
        controller().setAutosaveDelay(20);
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* document = controller().documents().first();
        const QString file = QDir(library()).filePath(QStringLiteral("Kept.quenlith"));
        QDir().mkpath(library());
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(controller().saveDocument(document, nullptr));
        QVERIFY(QFile::remove(file));
        QTRY_COMPARE(document->fileProblem(), FileProblem::removed);
        document->perform(Action::commit, std::string("Typed after the deletion"));
        QTRY_VERIFY(document->hasCurrentEmergencyCopy());

        restart(); // no quit
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* restored = controller().documents().first();
        QCOMPARE(restored->filePath(), file);
        QCOMPARE(restored->session().snapshot.document.items.front().text,
                 std::string("Typed after the deletion"));
        QVERIFY(restored->isEdited());
        QCOMPARE(restored->fileProblem(), FileProblem::removed);
        QVERIFY(!QFile::exists(file));

        // Written again only when the user says so; then the copy goes.
        const QString copy = restored->autosavePath();
        QVERIFY(QFile::exists(copy));
        m_dialogs->saveAgainChoices.enqueue(true);
        QVERIFY(controller().saveDocument(restored, nullptr));
        QCOMPARE(m_dialogs->askedToSaveAgain.size(), 1);
        QVERIFY(contentsOf(file).contains("Typed after the deletion"));
        QVERIFY(!QFile::exists(copy));
    }

    void withoutKeepingWindowsOnlyUntitledDocumentsComeBack() {
        Preferences preferences;
        preferences.setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        preferences.setBool(PreferenceKeys::quitAlwaysKeepsWindows, false);
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        controller().documents().first()->perform(Action::commit, std::string("Kept"));
        VelmoraDocument* saved = controller().newDocument();
        QDir().mkpath(library());
        m_dialogs->savePaths.enqueue(QDir(library()).filePath(QStringLiteral("Gone.quenlith")));
        QVERIFY(controller().saveDocument(saved, nullptr));
        QVERIFY(controller().prepareToQuit());
        restart();
        QTRY_COMPARE(controller().documents().size(), 1);
        QCOMPARE(controller().documents().first()->session().snapshot.document.items.front().text,
                 std::string("Kept"));
    }

    void closingAnEditedUntitledDocumentAsksWhetherToSave() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* document = controller().documents().first();
        // An untouched new document closes without a question.
        VelmoraDocument* blank = controller().newDocument();
        QVERIFY(controller().closeDocument(blank));
        QVERIFY(m_dialogs->askedToSave.isEmpty());

        document->perform(Action::commit, std::string("Draft"));
        QVERIFY(controller().autosaveAll());
        const QString autosave = document->autosavePath();
        QVERIFY(QFile::exists(autosave));

        m_dialogs->saveChoices.enqueue(Dialogs::SaveChoice::cancel);
        QVERIFY(!controller().closeDocument(document));
        QCOMPARE(controller().documents().size(), 1);

        m_dialogs->saveChoices.enqueue(Dialogs::SaveChoice::discard);
        QVERIFY(controller().closeDocument(document));
        QCOMPARE(m_dialogs->askedToSave.size(), 2);
        QVERIFY(controller().documents().isEmpty());
        QVERIFY(!QFile::exists(autosave));
    }

    void documentsOpenAsTabsOrWindowsByThePreference() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* second = controller().newDocument();
        QCOMPARE(controller().windows().size(), 1);
        QCOMPARE(controller().windows().first()->documentCount(), 2);

        Preferences().setBool(PreferenceKeys::documentsInTabs, false);
        Notifications::shared().post(Notifications::preferences);
        settle();
        QCOMPARE(controller().windows().size(), 2);
        controller().newDocument();
        QCOMPARE(controller().windows().size(), 3);

        Preferences().setBool(PreferenceKeys::documentsInTabs, true);
        Notifications::shared().post(Notifications::preferences);
        settle();
        QCOMPARE(controller().windows().size(), 1);
        QCOMPARE(controller().windows().first()->documentCount(), 3);
        QVERIFY(controller().windowOf(second));
    }

    // Closing the last window with the window's own close button ends the application (the
    // Linux convention); its documents are closed first.
    void closingTheLastWindowClosesItsDocumentsAndTheApplication() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        settle();
        controller().newDocument();
        QPointer<DocumentWindow> window = controller().windows().first();
        QVERIFY(window->close());
        QVERIFY(!window->isVisible());
        settle();
        QVERIFY(controller().documents().isEmpty());
        QVERIFY(controller().windows().isEmpty());
        QVERIFY(window.isNull());
        // Nothing is left on screen, so Qt's quit-on-last-window rule applies.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QVERIFY(!widget->isVisible());
        }
    }

    // Closing the last window is how Linux users quit: it must leave the same list to reopen as
    // Quit does, asking nothing (an edited untitled document was once asked about and dropped).
    void closingTheLastWindowKeepsTheDocumentsToReopenAsQuitDoes() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        VelmoraDocument* draft = controller().documents().first();
        draft->perform(Action::commit, std::string("Draft"));
        VelmoraDocument* saved = controller().newDocument();
        const QString path = QDir(library()).filePath(QStringLiteral("Saved.quenlith"));
        QDir().mkpath(library());
        m_dialogs->savePaths.enqueue(path);
        QVERIFY(controller().saveDocument(saved, nullptr));
        saved->perform(Action::commit, std::string("Typed after saving"));
        settle();

        QPointer<DocumentWindow> window = controller().windows().first();
        QVERIFY(window->close());
        settle();
        QVERIFY(window.isNull());
        QVERIFY(m_dialogs->askedToSave.isEmpty());
        QVERIFY(controller().documents().isEmpty());
        QVERIFY(contentsOf(path).contains("Typed after saving"));

        restart();
        QTRY_COMPARE(controller().documents().size(), 2);
        QCOMPARE(controller().documents().at(0)->session().snapshot.document.items.front().text,
                 std::string("Draft"));
        QCOMPARE(controller().documents().at(1)->filePath(), path);
    }

    // Switching the view makes no undo record, yet the document opens again in that view.
    void aViewSwitchedAloneIsWrittenAndComesBack() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        controller().setAutosaveDelay(60'000);
        VelmoraDocument* untitled = controller().documents().first();
        untitled->perform(Action::commit, std::string("Draft"));
        VelmoraDocument* saved = controller().newDocument();
        const QString path = QDir(library()).filePath(QStringLiteral("Viewed.quenlith"));
        QDir().mkpath(library());
        m_dialogs->savePaths.enqueue(path);
        QVERIFY(controller().saveDocument(saved, nullptr));
        QVERIFY(controller().prepareToQuit());

        controller().viewOf(untitled)->perform(Action::viewMap);
        controller().viewOf(saved)->perform(Action::viewTree);
        QVERIFY(!saved->isEdited());
        QCOMPARE(saved->undoStack()->count(), 0);
        QVERIFY(saved->hasUnautosavedChanges());
        QVERIFY(controller().prepareToQuit());
        restart();
        QTRY_COMPARE(controller().documents().size(), 2);
        QCOMPARE(controller().documents().at(0)->session().snapshot.view, ViewMode::map);
        QCOMPARE(controller().documents().at(1)->filePath(), path);
        QCOMPARE(controller().documents().at(1)->session().snapshot.view, ViewMode::tree);
    }

    // A tab added to a window with the library hidden and the inspector shown has its outline
    // as wide as the window allows, not squeezed to nothing beside the inspector.
    void aNewTabBesideTheInspectorShowsItsOutline() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        Preferences().setBool(PreferenceKeys::libraryVisible, false);
        Preferences().setBool(PreferenceKeys::helpVisible, true);
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        settle();
        for (int tab = 0; tab < 3; ++tab) {
            VelmoraDocument* added =
                tab == 0 ? controller().documents().first() : controller().newDocument();
            settle();
            auto* content =
                qobject_cast<DocumentTab*>(controller().viewOf(added)->widget());
            QVERIFY(content);
            QVERIFY(content->inspectorVisible());
            QVERIFY(content->isVisible());
            QVERIFY2(content->list().view()->width() >= content->width() / 2,
                     qPrintable(QStringLiteral("outline %1 px of %2 px")
                                    .arg(content->list().view()->width())
                                    .arg(content->width())));
        }
        // The same in the tree view.
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("tree"));
        VelmoraDocument* tree = controller().newDocument();
        settle();
        auto* content =
            qobject_cast<DocumentTab*>(controller().viewOf(tree)->widget());
        QVERIFY(content->canvas().parentWidget()->width() >= content->width() / 2);
    }

    void reopenShowsHiddenWindowsInsteadOfANewDocument() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        QTRY_COMPARE(controller().documents().size(), 1);
        for (DocumentWindow* window : controller().windows()) {
            window->hide();
        }
        QCOMPARE(controller().visibleWindowCount(), 0);
        m_delegate->reopen({});
        QCOMPARE(controller().documents().size(), 1);
        QCOMPARE(controller().visibleWindowCount(), 1);
    }

    void commandsWithoutADocumentWindow() {
        Preferences().setBool(PreferenceKeys::libraryFirstLaunchDone, true);
        start();
        settle();
        QCOMPARE(controller().documents().size(), 1);
        QVERIFY(controller().closeDocument(controller().documents().first()));
        settle();
        m_delegate->velmoraPerform(Action::undo, nullptr);
        QVERIFY(controller().documents().isEmpty());
        QVERIFY(!m_delegate->canPerform(Action::addBelow, nullptr));
        QVERIFY(m_delegate->canPerform(Action::newDocumentTab, nullptr));
        m_delegate->velmoraPerform(Action::newDocumentTab, nullptr);
        QCOMPARE(controller().documents().size(), 1);
    }

private:
    void start() {
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, dataFolder());
        m_delegate->launch({});
    }
    // The process ends and starts again: only the disk and the preferences remain.
    void restart() {
        m_delegate.reset();
        settle();
        start();
    }
    VelmoraDocumentController& controller() { return m_delegate->controller(); }
    QString library() const { return LibraryFolder::root(Preferences()); }
    static QString dataFolder() { return DataFolder::location(); }

    QString m_home;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
};

OSTREVO_APP_TEST_MAIN(StartupTest)

#include "startup_test.moc"
