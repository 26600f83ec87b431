// Documents on disk: reading, writing with the title rule, foreign files, refused files,
// failed writes, autosave and the per-document preferences.
#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/app_delegate.hpp"
#include "app/shell/application.hpp"
#include "app/shell/velmora_document_controller.hpp"
#include "app/window/document_window.hpp"
#include "core/formats/backup_codec.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/support/scripted_dialogs.hpp"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

#include <unistd.h>

using namespace velmora;

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TreeDocument tripDocument(const std::string& id, const std::string& title) {
    Item first = Item::blank("i1", "Book the flights");
    first.children = ItemList{Item::blank("i2", "Aisle seats")};
    return TreeDocument{id, title, ItemList{first, Item::blank("i3", "Pack")}};
}

EditorSnapshot snapshotOf(TreeDocument document) {
    EditorSnapshot snapshot;
    snapshot.document = std::move(document);
    return snapshot;
}

} // namespace

class DocumentTest : public QObject {
    Q_OBJECT
public:
    explicit DocumentTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        QSettings().clear();
        m_folder = std::make_unique<QTemporaryDir>();
        m_dialogs = std::make_unique<test::ScriptedDialogs>();
        m_delegate = std::make_unique<AppDelegate>(*m_dialogs, path(QStringLiteral("data")));
    }

    void cleanup() {
        m_delegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void newDocumentIsUntitledWithTheViewOfThePreference() {
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("map"));
        VelmoraDocument* document = controller().newDocument();
        const EditorSnapshot& snapshot = document->session().snapshot;
        QCOMPARE(QString::fromStdString(snapshot.document.title),
                 localized(QStringLiteral("document.untitled")));
        QCOMPARE(snapshot.view, ViewMode::map);
        QCOMPARE(snapshot.document.items.size(), 1u);
        QVERIFY(document->filePath().isEmpty());
        QVERIFY(!document->isEdited());
        // The document's window opens at its standard size, no smaller than the minimum, as far
        // as the screen has room (the offscreen screen is narrower than the standard width).
        DocumentWindow* window = controller().windowOf(document);
        QVERIFY(window);
        const QRect area = window->screen()->availableGeometry();
        const QSize room = area.size() - (window->frameGeometry().size() - window->size());
        QVERIFY(area.contains(window->frameGeometry()));
        QCOMPARE(window->size(), DocumentWindow::contentSize.boundedTo(room));
        QCOMPARE(window->height(), DocumentWindow::contentSize.height());
        QCOMPARE(window->minimumSize(), DocumentWindow::minimumContentSize.boundedTo(room));
    }

    void openSaveReopenRoundTrip() {
        VelmoraDocument* document = controller().newDocument();
        document->perform(Action::commit, std::string("Plan the trip"));
        document->perform(Action::addChild);
        document->perform(Action::commit, std::string("Flights"));
        QVERIFY(document->isEdited());

        const QString file = path(QStringLiteral("Trip.quenlith"));
        m_dialogs->savePaths.enqueue(file);
        QVERIFY(controller().saveDocument(document, nullptr));
        QVERIFY(!document->isEdited());
        QCOMPARE(document->filePath(), file);
        // The save panel starts in the library folder.
        QCOMPARE(m_dialogs->saveRequests.size(), 1);
        QVERIFY(m_dialogs->saveRequests.first().directory.endsWith(QStringLiteral("/Ostrevo")));

        VelmoraDocument reopened{Preferences()};
        QVERIFY(!reopened.readFile(file, Preferences()));
        const TreeDocument& read = reopened.session().snapshot.document;
        QCOMPARE(read, document->session().snapshot.document);
        // The title is the file's name.
        QCOMPARE(read.title, std::string("Trip"));
        QCOMPARE(read.items.front().children.front().text, std::string("Flights"));
    }

    void savingARenamedFileTakesItsNewNameAsTitle() {
        const QString original = path(QStringLiteral("Old name.quenlith"));
        writeFile(original, DocumentCodec::encodeNative(snapshotOf(tripDocument("d1", "Old name")),
                                                        BackupSettings{}));
        const QString renamed = path(QStringLiteral("New name.quenlith"));
        QVERIFY(QFile::rename(original, renamed));
        VelmoraDocument* document = controller().openDocument(renamed);
        QVERIFY(document);
        QVERIFY(controller().saveDocument(document, nullptr));
        VelmoraDocument reread{Preferences()};
        QVERIFY(!reread.readFile(renamed, Preferences()));
        QCOMPARE(reread.session().snapshot.document.title, std::string("New name"));
    }

    void opmlOpensAsAnUntitledChangedDocument() {
        const QString opml = path(QStringLiteral("import.opml"));
        const QByteArray text =
            "<?xml version=\"1.0\"?>\n<opml version=\"2.0\"><head><title>Garden</title></head>"
            "<body><outline text=\"Seeds\"><outline text=\"Tomatoes\"/></outline>"
            "<outline text=\"Tools\"/></body></opml>\n";
        writeFile(opml, text);
        VelmoraDocument* document = controller().openDocument(opml);
        QVERIFY(document);
        QVERIFY(document->filePath().isEmpty());
        QVERIFY(document->isEdited());
        QCOMPARE(document->fileType(), VelmoraDocument::nativeType);
        const EditorSnapshot& snapshot = document->session().snapshot;
        QCOMPARE(snapshot.view, ViewMode::tree);
        QCOMPARE(snapshot.document.title, std::string("Garden"));
        QCOMPARE(snapshot.selectedId, std::optional(snapshot.document.items.front().id));

        // Saving asks for a place and writes a document file; the OPML file stays as it was.
        const QString saved = path(QStringLiteral("Garden copy"));
        m_dialogs->savePaths.enqueue(saved);
        QVERIFY(controller().saveDocument(document, nullptr));
        QCOMPARE(document->filePath(), saved + QStringLiteral(".quenlith"));
        QCOMPARE(readFile(opml), text);
        VelmoraDocument reread{Preferences()};
        QVERIFY(!reread.readFile(document->filePath(), Preferences()));
        QCOMPARE(reread.session().snapshot.document.items.size(), 2u);
    }

    void refusedBackupWithTwoDocumentsShowsTheMultipleDocumentsMessage() {
        const QString backup = path(QStringLiteral("velmora-backup-2026-03-07.json"));
        writeFile(backup, QByteArray::fromStdString(BackupCodec::encode(
                              {tripDocument("d1", "Trip"), tripDocument("d2", "Work")}, {})));
        QVERIFY(!controller().openDocument(backup));
        QVERIFY(controller().documents().isEmpty());
        QCOMPARE(m_dialogs->alerts.size(), 1);
        const QString expected =
            localizedFormat(QStringLiteral("backup.error.multipleDocuments %lld"), {qint64(2)}) +
            QLatin1Char(' ') +
            localized(QStringLiteral("backup.error.multipleDocuments.suggestion"));
        QCOMPARE(m_dialogs->alerts.first().informative, expected);
        QVERIFY(m_dialogs->alerts.first().message.contains(QStringLiteral("velmora-backup")));
    }

    void unreadableDocumentNamesItsFault() {
        const QString broken = path(QStringLiteral("Broken.quenlith"));
        writeFile(broken, "{\"format\": \"velmora\", \"version\": 2}");
        QVERIFY(!controller().openDocument(broken));
        QCOMPARE(m_dialogs->alerts.size(), 1);
        QCOMPARE(m_dialogs->alerts.first().informative,
                 localizedFormat(QStringLiteral("backup.error.unsupportedVersion %@"),
                                 {QStringLiteral("2")}));
        // A file that is not there at all.
        QVERIFY(!controller().openDocument(path(QStringLiteral("missing.quenlith"))));
        QCOMPARE(m_dialogs->alerts.size(), 2);
    }

    void failedSaveIsReportedAndTheDocumentStaysEdited() {
        const QString folder = path(QStringLiteral("shelf"));
        QVERIFY(QDir().mkpath(folder));
        VelmoraDocument* document = controller().newDocument();
        m_dialogs->savePaths.enqueue(folder + QStringLiteral("/Shelf.quenlith"));
        QVERIFY(controller().saveDocument(document, nullptr));
        const QByteArray before = readFile(document->filePath());

        document->perform(Action::addBelow);
        QVERIFY(document->isEdited());
        if (::geteuid() != 0) {
            // A read-only folder: the temporary file cannot be made.
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            QVERIFY(!controller().saveDocument(document, nullptr));
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QCOMPARE(m_dialogs->alerts.size(), 1);
            QVERIFY(document->isEdited());
            QCOMPARE(readFile(document->filePath()), before);
        }
        // The folder gone and a plain file in its place fails even for the superuser.
        QVERIFY(QDir(folder).removeRecursively());
        writeFile(folder, "not a folder");
        const auto alertsBefore = m_dialogs->alerts.size();
        // The file went with its folder: Save asks before writing it again, then fails.
        m_dialogs->saveAgainChoices.enqueue(true);
        QVERIFY(!controller().saveDocument(document, nullptr));
        QCOMPARE(m_dialogs->askedToSaveAgain.size(), 1);
        QCOMPARE(m_dialogs->alerts.size(), alertsBefore + 1);
        QCOMPARE(
            m_dialogs->alerts.last().message,
            localizedFormat(QStringLiteral("document.saveFailed %@"), {QStringLiteral("Shelf")}));
        QVERIFY(document->isEdited());
        QVERIFY(document->hasUnautosavedChanges());
    }

    void autosaveWritesInPlaceAndKeepsTheEditedMarkByDefault() {
        VelmoraDocument* document = controller().newDocument();
        m_dialogs->savePaths.enqueue(path(QStringLiteral("Notes.quenlith")));
        QVERIFY(controller().saveDocument(document, nullptr));
        document->perform(Action::commit, std::string("Changed"));
        QVERIFY(!document->autosave(Preferences(), controller().autosaveFolder()));
        QVERIFY(readFile(document->filePath()).contains("Changed"));
        QVERIFY(document->isEdited());
        QVERIFY(!document->hasUnautosavedChanges());

        Preferences().setBool(PreferenceKeys::autosaveClearsEdited, true);
        document->perform(Action::edit);
        document->perform(Action::commit, std::string("Changed again"));
        QVERIFY(!document->autosave(Preferences(), controller().autosaveFolder()));
        QVERIFY(readFile(document->filePath()).contains("Changed again"));
        QVERIFY(!document->isEdited());

        // An untitled document still autosaves beside the library, edited mark and all.
        VelmoraDocument* untitled = controller().newDocument();
        untitled->perform(Action::commit, std::string("Draft"));
        QDir().mkpath(controller().autosaveFolder());
        QVERIFY(!untitled->autosave(Preferences(), controller().autosaveFolder()));
        QVERIFY(untitled->isEdited());
        QVERIFY(untitled->autosavePath().startsWith(controller().autosaveFolder()));
        QVERIFY(readFile(untitled->autosavePath()).contains("Draft"));
    }

    void undoingBackToTheSavedStateClearsTheEditedMark() {
        VelmoraDocument* document = controller().newDocument();
        m_dialogs->savePaths.enqueue(path(QStringLiteral("Undo.quenlith")));
        QVERIFY(controller().saveDocument(document, nullptr));
        document->perform(Action::addBelow);
        QVERIFY(document->isEdited());
        QCOMPARE(document->undoStack()->count(), 1);
        document->undoStack()->undo();
        QVERIFY(!document->isEdited());
        QCOMPARE(document->session().snapshot.document.items.size(), 1u);
        document->undoStack()->redo();
        QCOMPARE(document->session().snapshot.document.items.size(), 2u);
    }

    void hideCompletedIsKeptPerDocument() {
        const QString first = path(QStringLiteral("A.quenlith"));
        const QString second = path(QStringLiteral("B.quenlith"));
        writeFile(first, DocumentCodec::encodeNative(snapshotOf(tripDocument("doc-a", "A")), {}));
        writeFile(second, DocumentCodec::encodeNative(snapshotOf(tripDocument("doc-b", "B")), {}));
        Preferences().setHideCompleted(QStringLiteral("doc-a"), true);
        VelmoraDocument* a = controller().openDocument(first);
        VelmoraDocument* b = controller().openDocument(second);
        QVERIFY(a && b);
        QVERIFY(a->session().hideCompleted);
        QVERIFY(!b->session().hideCompleted);
        // Hiding completed items from the menu is remembered for that document only.
        b->perform(Action::hideCompleted);
        QVERIFY(Preferences().hideCompleted(QStringLiteral("doc-b")));
        QVERIFY(Preferences().hideCompleted(QStringLiteral("doc-a")));
        a->perform(Action::hideCompleted);
        QVERIFY(!Preferences().hideCompleted(QStringLiteral("doc-a")));
        QVERIFY(Preferences().hideCompleted(QStringLiteral("doc-b")));
        // With the check style "none" checks are off unless strikeChecked says otherwise.
        Preferences().setString(PreferenceKeys::checkStyle, QStringLiteral("none"));
        a->applyDisplayPreferences(Preferences());
        QVERIFY(!a->session().checksVisible);
        Preferences().setBool(PreferenceKeys::strikeChecked, true);
        a->applyDisplayPreferences(Preferences());
        QVERIFY(a->session().checksVisible);
    }

    void openingAnOpenFileBringsItsWindowForward() {
        const QString file = path(QStringLiteral("Once.quenlith"));
        writeFile(file, DocumentCodec::encodeNative(snapshotOf(tripDocument("d1", "Once")), {}));
        VelmoraDocument* first = controller().openDocument(file);
        QCOMPARE(controller().openDocument(file), first);
        QCOMPARE(controller().documents().size(), 1);
        QCOMPARE(controller().recentDocuments().first(), first->filePath());
    }

private:
    VelmoraDocumentController& controller() { return m_delegate->controller(); }
    QString path(const QString& name) const { return QDir(m_folder->path()).filePath(name); }

    QString m_home;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<test::ScriptedDialogs> m_dialogs;
    std::unique_ptr<AppDelegate> m_delegate;
};

OSTREVO_APP_TEST_MAIN(DocumentTest)

#include "document_test.moc"
