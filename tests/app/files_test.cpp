// An open document's file in the hands of other programs: changed or replaced (reloaded when
// nothing would be lost, else the user chooses), renamed or moved (followed), deleted (kept and
// written again only when the user says so), and saves that fail (reported once, retried).
#include "app/document/document_codec.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "app/shell/restore_list.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QFile>
#include <QLabel>
#include <QSaveFile>
#include <QSignalSpy>
#include <QThread>
#include <QUndoStack>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace velmora;
using test::WindowFixture;

namespace {

// The titles of the top items of the document file at the path; empty when unreadable.
QStringList titlesIn(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    auto decoded = DocumentCodec::decodeNative(file.readAll());
    const auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    QStringList titles;
    if (loaded) {
        for (const Item& item : loaded->snapshot.document.items) {
            titles.append(QString::fromStdString(item.text));
        }
    }
    return titles;
}

QStringList titlesOf(const VelmoraDocument& document) {
    QStringList titles;
    for (const Item& item : document.session().snapshot.document.items) {
        titles.append(QString::fromStdString(item.text));
    }
    return titles;
}

// A document of top-level items; "another" as `documentId` makes a different document.
EditorSnapshot outline(const std::vector<std::pair<std::string, std::string>>& items,
                       const std::string& documentId = "doc") {
    std::vector<Item> list;
    for (const auto& [id, text] : items) {
        list.push_back(Item::blank(id, text));
    }
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{documentId, "Shared", ItemList(std::move(list))};
    snapshot.selectedId = items.front().first;
    snapshot.view = ViewMode::list;
    return snapshot;
}

// Another program writes its version: in place, as a plain editor does, or into a new file
// renamed over the old one, as sync tools and careful editors do.
void writeTheirs(const QString& path, const EditorSnapshot& snapshot, bool replace) {
    const QByteArray bytes =
        DocumentCodec::encodeNative(snapshot, DocumentCodec::defaultSettings());
    if (replace) {
        QSaveFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        QVERIFY(file.commit());
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
}

// Files written by this process may grow to `bytes` at most while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        // Writing past the limit fails with an error instead of ending the process.
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { lift(); }
    void lift() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

} // namespace

class FilesTest : public QObject {
    Q_OBJECT
public:
    explicit FilesTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = std::make_unique<WindowFixture>();
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
        m_app->controller().setAutosaveDelay(30);
        QDir(m_home).mkpath(QStringLiteral("files"));
        m_folder = QDir(m_home).filePath(QStringLiteral("files"));
    }
    void cleanup() {
        m_app.reset();
        QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(m_folder).removeRecursively();
    }

    // With nothing unsaved, another program's version shows at once, in place or replaced, as
    // one undoable step that keeps the selection; undo brings the user's version back.
    void anotherProgramsChangeReloadsWhenNothingIsUnsaved() {
        VelmoraDocument* document = openSaved({{"a", "Alpha"}, {"b", "Beta"}, {"c", "Gamma"}});
        EditorSnapshot selected = document->session().snapshot;
        selected.selectedId = "b";
        m_app->load(selected);
        const int records = document->undoStack()->count();
        for (const bool replace : {true, false}) {
            const QString suffix = replace ? QStringLiteral(" 1") : QStringLiteral(" 2");
            writeTheirs(m_path, outline({{"a", "Alpha" + suffix.toStdString()}, {"b", "Beta"}}),
                        replace);
            QTRY_COMPARE(titlesOf(*document),
                         (QStringList{QStringLiteral("Alpha") + suffix, QStringLiteral("Beta")}));
            QCOMPARE(document->session().snapshot.selectedId, std::optional<std::string>("b"));
            QVERIFY(!document->isEdited());
            QCOMPARE(document->fileProblem(), FileProblem::none);
        }
        // Each change was taken once, each as a step of its own.
        QTest::qWait(400);
        QCOMPARE(document->undoStack()->count(), records + 2);
        QCOMPARE(document->undoName(false), localized(QStringLiteral("undo.reload")));
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
        // The reload does not come back to the file by itself.
        QCOMPARE(titlesIn(m_path), titlesOf(*document));

        document->undoStack()->undo();
        document->undoStack()->undo();
        QCOMPARE(titlesOf(*document), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"),
                                                   QStringLiteral("Gamma")}));
        QVERIFY(document->isEdited());
    }

    // With unsaved changes and a file that now holds another document (nothing to merge), the
    // user is asked, once per version on disk, and each answer keeps what it says: mine over
    // theirs, theirs instead of mine, or mine in a copy beside theirs.
    void unsavedChangesAskWhichVersionToKeep() {
        const QString mineTitle = QStringLiteral("Mine");
        const QStringList theirs{QStringLiteral("Theirs")};
        struct Case {
            Dialogs::ConflictChoice choice;
            QStringList inFile;
            QStringList shown;
        };
        const QList<Case> cases = {
            {Dialogs::ConflictChoice::keepMine, {mineTitle}, {mineTitle}},
            {Dialogs::ConflictChoice::takeTheirs, theirs, theirs},
            {Dialogs::ConflictChoice::saveCopy, theirs, {mineTitle}},
        };
        for (const Case& c : cases) {
            m_app.reset();
            init();
            VelmoraDocument* document = openSaved({{"a", "Original"}});
            m_app->controller().setAutosaveDelay(60'000);
            const QString copy = QDir(m_folder).filePath(QStringLiteral("copy.quenlith"));
            m_app->dialogs().savePaths.enqueue(copy);
            m_app->dialogs().conflictChoices.enqueue(c.choice);
            m_app->editor().selectAll();
            WindowFixture::type(mineTitle);
            writeTheirs(m_path, outline({{"a", "Theirs"}}, "another"), true);

            QTRY_COMPARE(m_app->dialogs().askedAboutConflicts.size(), 1);
            QCOMPARE(titlesIn(m_path), c.inFile);
            QCOMPARE(document->documentWithDraft().items[0].text, c.shown[0].toStdString());
            QCOMPARE(document->fileProblem(), FileProblem::none);
            if (c.choice == Dialogs::ConflictChoice::saveCopy) {
                QCOMPARE(m_app->dialogs().saveRequests.last().proposedName,
                         localizedFormat(QStringLiteral("document.conflict.copyName %@"),
                                         {QStringLiteral("shared")}) +
                             QStringLiteral(".quenlith"));
                QCOMPARE(document->filePath(), copy);
                QCOMPARE(titlesIn(copy), QStringList{mineTitle});
                QFile::remove(copy);
            }
            QTest::qWait(300);
            QCOMPARE(m_app->dialogs().askedAboutConflicts.size(), 1);
            QVERIFY(m_app->dialogs().alerts.isEmpty());
        }
    }

    // Put off, the question is not asked again for the same change: autosave writes nothing and
    // the status line says why. A new change, or the user's own Save, asks again.
    void aPutOffQuestionIsNotAskedAgainForTheSameChange() {
        VelmoraDocument* document = openSaved({{"a", "Original"}});
        m_app->controller().setAutosaveDelay(60'000);
        m_app->editor().selectAll();
        WindowFixture::type(QStringLiteral("Mine"));
        writeTheirs(m_path, outline({{"a", "Theirs"}}, "another"), false);
        QTRY_COMPARE(m_app->dialogs().askedAboutConflicts.size(), 1);
        m_app->controller().setAutosaveDelay(30);
        WindowFixture::type(QStringLiteral(" and more"));
        QFile unrelated(QDir(m_folder).filePath(QStringLiteral("unrelated.txt")));
        QVERIFY(unrelated.open(QIODevice::WriteOnly));
        unrelated.close();
        QTest::qWait(400);
        QCOMPARE(m_app->dialogs().askedAboutConflicts.size(), 1);
        QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Theirs")});
        QVERIFY(m_app->window().statusText().contains(
            localized(QStringLiteral("document.status.changedOnDisk"))));

        writeTheirs(m_path, outline({{"a", "Theirs again"}}, "another"), true);
        QTRY_COMPARE(m_app->dialogs().askedAboutConflicts.size(), 2);
        m_app->dialogs().conflictChoices.enqueue(Dialogs::ConflictChoice::keepMine);
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(m_app->dialogs().askedAboutConflicts.size(), 3);
        QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Mine and more")});
        QVERIFY(m_app->dialogs().alerts.isEmpty());
    }

    // Typing goes on while another program (a sync tool) rewrites the file: both versions are
    // merged item by item without a question, the result is written at once, the status line
    // says so, and one undo takes the merge back.
    void unsavedChangesMergeWithAnotherProgramsChange() {
        VelmoraDocument* document = openSaved({{"a", "Original"}, {"b", "Beta"}});
        m_app->controller().setAutosaveDelay(60'000);
        m_app->editor().selectAll();
        WindowFixture::type(QStringLiteral("Mine"));
        writeTheirs(m_path, outline({{"a", "Original"}, {"b", "Beta"}, {"c", "Theirs"}}), true);

        const QStringList merged{QStringLiteral("Mine"), QStringLiteral("Beta"),
                                 QStringLiteral("Theirs")};
        QTRY_COMPARE(titlesOf(*document), merged);
        QCOMPARE(titlesIn(m_path), merged);
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
        QVERIFY(m_app->dialogs().alerts.isEmpty());
        QVERIFY(!document->isEdited());
        QCOMPARE(document->fileProblem(), FileProblem::none);
        QCOMPARE(document->undoName(false), localized(QStringLiteral("undo.merge")));
        QVERIFY(m_app->window().statusText().contains(
            localized(QStringLiteral("document.status.merged"))));

        // Typing on after the merge, and another change from outside, merge again.
        m_app->editor().selectAll();
        WindowFixture::type(QStringLiteral("Mine again"));
        writeTheirs(m_path, outline({{"b", "Beta"}, {"c", "Theirs"}, {"d", "More"}}), false);
        const QStringList again{QStringLiteral("Mine again"), QStringLiteral("Beta"),
                                QStringLiteral("Theirs"), QStringLiteral("More")};
        QTRY_COMPARE(titlesOf(*document), again);
        QCOMPARE(titlesIn(m_path), again);

        document->undoStack()->undo();
        QCOMPARE(titlesOf(*document), (QStringList{QStringLiteral("Mine again"),
                                                   QStringLiteral("Beta"),
                                                   QStringLiteral("Theirs")}));
        QVERIFY(document->isEdited());
        QVERIFY(!m_app->window().statusText().contains(
            localized(QStringLiteral("document.status.merged"))));
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
    }

    // Typing that autosave already wrote is kept when another program (a sync tool) brings a
    // version made before that write: it is merged, not taken as it is. Before, the window took
    // the other version and the typed words vanished from the item and the file.
    void autosavedTypingSurvivesAnOlderVersionFromElsewhere() {
        VelmoraDocument* document = openSaved({{"a", "Museum"}, {"b", "Walk"}});
        m_app->controller().setAutosaveDelay(30);
        m_app->editor().selectAll();
        WindowFixture::type(QStringLiteral("Museum and gallery"));
        QTRY_COMPARE(titlesIn(m_path).value(0), QStringLiteral("Museum and gallery"));
        QTRY_VERIFY(!document->hasUnautosavedChanges());
        writeTheirs(m_path, outline({{"a", "Museum"}, {"b", "Walk with a guide"}}), true);

        const QStringList merged{QStringLiteral("Museum and gallery"),
                                 QStringLiteral("Walk with a guide")};
        QTRY_COMPARE(titlesIn(m_path), merged);
        QCOMPARE(QString::fromStdString(document->documentWithDraft().items.front().text),
                 QStringLiteral("Museum and gallery"));
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
    }

    // The same title changed here and elsewhere: both are kept, the other program's right after
    // the user's and selected, a notice says how many, and the file holds both at once.
    void conflictingTitlesAreKeptSideBySideAndAnnounced() {
        VelmoraDocument* document = openSaved({{"a", "Original"}, {"b", "Beta"}});
        m_app->controller().setAutosaveDelay(60'000);
        m_app->editor().selectAll();
        WindowFixture::type(QStringLiteral("Mine"));
        writeTheirs(m_path, outline({{"a", "Theirs"}, {"b", "Beta"}}), true);

        const QStringList both{QStringLiteral("Mine"), QStringLiteral("Theirs"),
                               QStringLiteral("Beta")};
        QTRY_COMPARE(titlesOf(*document), both);
        QCOMPARE(titlesIn(m_path), both);
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
        QCOMPARE(m_app->dialogs().alerts.size(), 1);
        QCOMPARE(m_app->dialogs().alerts[0].message,
                 localizedFormat(QStringLiteral("document.merge.conflicts %lld"),
                                 {QVariant::fromValue<qlonglong>(1)}));
        const auto& snapshot = document->session().snapshot;
        QCOMPARE(snapshot.selectedId, std::optional(snapshot.document.items[1].id));
        QVERIFY(!snapshot.editing);
        document->undoStack()->undo();
        QCOMPARE(titlesOf(*document), (QStringList{QStringLiteral("Mine"), QStringLiteral("Beta")}));
    }

    // A sync tool brings a version made from the one read before this document's last write:
    // what that write changed is kept, not taken as undone by the other program.
    void aVersionMadeWhileOursWasWrittenKeepsOurWrite() {
        VelmoraDocument* document = openSaved({{"a", "Original"}, {"b", "Beta"}});
        m_app->controller().setAutosaveDelay(60'000);
        m_app->editor().selectAll();
        WindowFixture::type(QStringLiteral("Mine"));
        QVERIFY(!document->save());
        WindowFixture::type(QStringLiteral(" more"));
        writeTheirs(m_path, outline({{"a", "Original"}, {"b", "Beta"}, {"c", "Theirs"}}), true);
        const QStringList merged{QStringLiteral("Mine more"), QStringLiteral("Beta"),
                                 QStringLiteral("Theirs")};
        QTRY_COMPARE(titlesOf(*document), merged);
        QCOMPARE(titlesIn(m_path), merged);
        QVERIFY(m_app->dialogs().alerts.isEmpty());
    }

    // Renamed or moved within its file system, the file is followed: titles and saves go to the
    // new place, and the document takes the new name.
    void aRenamedOrMovedFileIsFollowed() {
        VelmoraDocument* document = openSaved({{"a", "Original"}});
        const QString renamed = QDir(m_folder).filePath(QStringLiteral("renamed.quenlith"));
        QVERIFY(QFile::rename(m_path, renamed));
        QTRY_COMPARE(document->filePath(), renamed);
        QVERIFY(m_app->window().window()->windowTitle().contains(QStringLiteral("renamed")));
        m_app->editor().selectAll();
        WindowFixture::type(QStringLiteral("Edited"));
        QTRY_COMPARE(titlesIn(renamed), QStringList{QStringLiteral("Edited")});
        QVERIFY(!QFile::exists(m_path));

        QVERIFY(QDir(m_folder).mkpath(QStringLiteral("sub")));
        const QString moved = QDir(m_folder).filePath(QStringLiteral("sub/moved.quenlith"));
        QVERIFY(QFile::rename(renamed, moved));
        // Written right away, before the watcher says anything: the write finds the file.
        WindowFixture::type(QStringLiteral(" twice"));
        QTRY_COMPARE(titlesIn(moved), QStringList{QStringLiteral("Edited twice")});
        QCOMPARE(document->filePath(), moved);
        QFile file(moved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("\"moved\""));
        QVERIFY(!QFile::exists(renamed));
        QVERIFY(m_app->dialogs().alerts.isEmpty());
    }

    // Deleted, the document stays open and edited, the status line says so, autosave never
    // writes it back, and Save writes it again only when the user agrees.
    void aDeletedFileIsWrittenAgainOnlyAfterAsking() {
        VelmoraDocument* document = openSaved({{"a", "Kept"}});
        QVERIFY(QFile::remove(m_path));
        QTRY_COMPARE(document->fileProblem(), FileProblem::removed);
        QVERIFY(document->isEdited());
        QVERIFY(m_app->window().statusText().contains(
            localized(QStringLiteral("document.status.removed"))));
        WindowFixture::type(QStringLiteral(" still"));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(m_path));

        m_app->dialogs().saveAgainChoices.enqueue(false);
        QVERIFY(!m_app->controller().saveDocument(document, nullptr));
        QVERIFY(!QFile::exists(m_path));
        m_app->dialogs().saveAgainChoices.enqueue(true);
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(m_app->dialogs().askedToSaveAgain.size(), 2);
        QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Kept still")});
        QVERIFY(!document->isEdited());
        QCOMPARE(document->fileProblem(), FileProblem::none);
        QVERIFY(m_app->dialogs().alerts.isEmpty());
    }

    // A save that fails (no permission, disk full, folder gone) is reported once, the document
    // stays edited, the status line keeps saying it, and autosave tries again until it works.
    void aFailedSaveIsReportedOnceAndRetried() {
        if (::geteuid() == 0) {
            QSKIP("Permissions do not hold back the root user.");
        }
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        Preferences().setBool(PreferenceKeys::autosaveClearsEdited, true);
        QVERIFY(QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::ExeOwner));
        WindowFixture::type(QStringLiteral(" one"));
        QTRY_COMPARE(m_app->dialogs().alerts.size(), 1);
        QCOMPARE(document->fileProblem(), FileProblem::notSaved);
        QVERIFY(m_app->window().statusText().contains(document->fileProblemDetail()));
        WindowFixture::type(QStringLiteral(" two"));
        QTest::qWait(500);
        QCOMPARE(m_app->dialogs().alerts.size(), 1);
        QVERIFY(document->hasUnautosavedChanges());

        QVERIFY(QFile::setPermissions(m_folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QTRY_COMPARE(titlesIn(m_path), QStringList{QStringLiteral("Start one two")});
        QTRY_COMPARE(document->fileProblem(), FileProblem::none);
        QVERIFY(!m_app->window().statusText().contains(QStringLiteral("Permission")));
        QVERIFY(!document->hasUnautosavedChanges());
    }

    // The write fails part way, as on a full disk: before, the cut-off file replaced the good
    // one and the save counted as done.
    void aFullDiskIsReportedOnceAndRetried() {
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        {
            FileSizeLimit full(64);
            WindowFixture::type(QStringLiteral(" one"));
            QTRY_COMPARE(m_app->dialogs().alerts.size(), 1);
            QCOMPARE(document->fileProblem(), FileProblem::notSaved);
            QCOMPARE(m_app->dialogs().alerts[0].informative, qt_error_string(EFBIG));
            // The file holds the last good version all along, never a cut-off one.
            QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Start")});
            WindowFixture::type(QStringLiteral(" two"));
            QTest::qWait(400);
            QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Start")});
            full.lift();
        }
        QCOMPARE(m_app->dialogs().alerts.size(), 1);
        QTRY_COMPARE(titlesIn(m_path), QStringList{QStringLiteral("Start one two")});
        // The file is in place a moment before its write's result reaches the document.
        QTRY_COMPARE(document->fileProblem(), FileProblem::none);
        QCOMPARE(m_app->dialogs().alerts.size(), 1);
    }

    void aRemovedFolderFailsTheSaveTheUserAgreedTo() {
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        QVERIFY(QDir(m_folder).removeRecursively());
        QTRY_COMPARE(document->fileProblem(), FileProblem::removed);
        m_app->dialogs().saveAgainChoices.enqueue(true);
        QVERIFY(!m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(m_app->dialogs().alerts.size(), 1);
        QCOMPARE(document->fileProblem(), FileProblem::notSaved);
        QVERIFY(document->isEdited());

        QVERIFY(QDir().mkpath(m_folder));
        m_app->dialogs().saveAgainChoices.enqueue(true);
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Start")});
        QCOMPARE(document->fileProblem(), FileProblem::none);
    }

    // An autosave is written on a worker thread while typing goes on; what is typed meanwhile
    // is written next, our own write is never taken for another program's, and a save (or a
    // rename in the library) waits for it, so an older write never lands over a newer one.
    void anAutosaveUnderwayNeitherHoldsUpTypingNorOvertakesASave() {
        std::vector<std::pair<std::string, std::string>> items{{"a", "Start"}};
        for (int i = 0; i < 3000; ++i) {
            items.emplace_back("n" + std::to_string(i), "Filler number " + std::to_string(i));
        }
        VelmoraDocument* document = openSaved(items);
        const int records = document->undoStack()->count();

        WindowFixture::type(QStringLiteral(" one"));
        QVERIFY(!document->startAutosave(Preferences(), QString()));
        QVERIFY(document->isWriting());
        // A second start while one is underway writes nothing of its own.
        QVERIFY(!document->startAutosave(Preferences(), QString()));
        WindowFixture::type(QStringLiteral(" two"));
        WindowFixture::type(QStringLiteral(" three"));
        QTRY_COMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one two three"));
        QTRY_VERIFY(!document->isWriting() && !document->hasUnautosavedChanges());
        // The folder watch settles after our own writes without a question or a reload.
        QTest::qWait(400);
        QCOMPARE(document->fileProblem(), FileProblem::none);
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
        QCOMPARE(document->undoStack()->count(), records);
        QCOMPARE(titlesOf(*document).value(0), QStringLiteral("Start"));

        m_app->controller().setAutosaveDelay(60'000);
        WindowFixture::type(QStringLiteral(" four"));
        QVERIFY(!document->startAutosave(Preferences(), QString()));
        WindowFixture::type(QStringLiteral(" five"));
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one two three four five"));
        QVERIFY(!document->isWriting());
        QVERIFY(!document->isEdited());
        QTest::qWait(400);
        QCOMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one two three four five"));
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
    }

    // A large document is saved on the worker thread: typing goes on meanwhile and is not
    // counted as saved, and a failed write is still reported once it ends.
    void aLargeDocumentSavesWhileTypingGoesOn() {
        m_app->controller().setAutosaveDelay(60'000);
        m_app->controller().setBackgroundSaveItems(1);
        VelmoraDocument* document = openSaved({{"a", "Start"}});

        const QString saving = localized(QStringLiteral("status.saving"));
        WindowFixture::type(QStringLiteral(" one"));
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QVERIFY(document->isWriting());
        // The status line says so while the write goes on, and when it was saved once it ends.
        const auto* status = m_app->window().findChild<QLabel*>(QStringLiteral("statusLine"));
        QVERIFY(status);
        QVERIFY(status->text().contains(saving));
        WindowFixture::type(QStringLiteral(" two"));
        QTRY_VERIFY(!document->isWriting());
        QVERIFY(!status->text().contains(saving));
        QCOMPARE(status->text(), m_app->window().statusText());
        QCOMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one"));
        QVERIFY(document->hasUnautosavedChanges());

        QSignalSpy written(document, &VelmoraDocument::fileWritten);
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        // Pressed twice, as people do: the second waits for nothing and writes nothing more.
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QVERIFY(document->isSaving());
        QTRY_VERIFY(!document->isWriting());
        QTest::qWait(50);
        QCOMPARE(written.count(), 1);
        QCOMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one two"));
        QVERIFY(!document->hasUnautosavedChanges());
        QVERIFY(!document->isEdited());
        QCOMPARE(document->fileProblem(), FileProblem::none);

        {
            FileSizeLimit full(64);
            WindowFixture::type(QStringLiteral(" three"));
            QVERIFY(m_app->controller().saveDocument(document, nullptr));
            QTRY_COMPARE(m_app->dialogs().alerts.size(), 1);
            QCOMPARE(m_app->dialogs().alerts[0].informative, qt_error_string(EFBIG));
            QCOMPARE(document->fileProblem(), FileProblem::notSaved);
            QVERIFY(document->hasUnautosavedChanges());
            QCOMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one two"));
        }
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QTRY_COMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one two three"));
        QTRY_COMPARE(document->fileProblem(), FileProblem::none);
        QCOMPARE(m_app->dialogs().alerts.size(), 1);
        QTest::qWait(400);
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
    }

    // An autosave's file is in place a moment before its result reaches the document: a save
    // made then took the file for another program's and asked which version to keep.
    void aSaveJustAfterAnAutosaveLandsAsksNothing() {
        m_app->controller().setAutosaveDelay(60'000);
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        WindowFixture::type(QStringLiteral(" one"));
        QVERIFY(!document->startAutosave(Preferences(), QString()));
        // Waited for without handling events, so the result stays on its way.
        for (int i = 0; i < 2000 && titlesIn(m_path).value(0) != QStringLiteral("Start one"); ++i) {
            QThread::msleep(5);
        }
        QCOMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one"));
        QVERIFY(document->isWriting());
        WindowFixture::type(QStringLiteral(" two"));
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(titlesIn(m_path).value(0), QStringLiteral("Start one two"));
        QVERIFY(m_app->dialogs().askedAboutConflicts.isEmpty());
        QCOMPARE(document->fileProblem(), FileProblem::none);
    }

    // Another program replaces the file while our write is on the writer thread: the last look
    // before the rename sees it, theirs stays, and it is settled as any change on disk. Before,
    // the file was compared only when the write began, and ours replaced theirs unasked.
    void anotherProgramsVersionArrivingDuringABackgroundWriteIsKept() {
        m_app->controller().setAutosaveDelay(60'000);
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        // Another document, so that it cannot be merged and the question shows what was kept.
        const QByteArray theirs = DocumentCodec::encodeNative(
            outline({{"t", "Theirs"}}, "another"), DocumentCodec::defaultSettings());
        std::atomic<int> replaced = 0;
        DocumentWriter::setBeforeLastLookForTesting([&](const QString& path) {
            if (replaced++ == 0) {
                QSaveFile file(path);
                if (file.open(QIODevice::WriteOnly)) {
                    file.write(theirs);
                    file.commit();
                }
            }
        });
        WindowFixture::type(QStringLiteral(" mine"));
        m_app->dialogs().conflictChoices.enqueue(Dialogs::ConflictChoice::later);
        QVERIFY(!document->startAutosave(Preferences(), QString()));
        QTRY_VERIFY(!document->isWriting());
        QTRY_COMPARE(m_app->dialogs().askedAboutConflicts.size(), 1);
        QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Theirs")});
        QCOMPARE(document->fileProblem(), FileProblem::changedOnDisk);
        QVERIFY(m_app->dialogs().alerts.isEmpty());
        QCOMPARE(QString::fromStdString(document->documentWithDraft().items.front().text),
                 QStringLiteral("Start mine"));

        // The same during a save on the writer thread; here the user keeps their own version,
        // once for the version already known and once for the one that came during the save.
        replaced = 0;
        m_app->controller().setBackgroundSaveItems(1);
        m_app->dialogs().conflictChoices.enqueue(Dialogs::ConflictChoice::keepMine);
        WindowFixture::type(QStringLiteral(" two"));
        m_app->dialogs().conflictChoices.enqueue(Dialogs::ConflictChoice::keepMine);
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QTRY_VERIFY(!document->isWriting());
        QTRY_COMPARE(titlesIn(m_path), QStringList{QStringLiteral("Start mine two")});
        QVERIFY(m_app->dialogs().askedAboutConflicts.size() >= 2);
        QVERIFY(m_app->dialogs().alerts.isEmpty());
        DocumentWriter::setBeforeLastLookForTesting({});
    }

    // A Save As that fails leaves the document as it was: its name, its title and its file.
    void aFailedSaveAsKeepsTheNameAndTheFile() {
        VelmoraDocument* untitled = m_app->newDocument();
        const QString name = untitled->displayName();
        const std::string title = untitled->session().snapshot.document.title;
        const QString nowhere = QDir(m_folder).filePath(QStringLiteral("gone/Other.quenlith"));
        QVERIFY(untitled->saveAs(nowhere));
        QCOMPARE(untitled->displayName(), name);
        QCOMPARE(untitled->session().snapshot.document.title, title);
        QVERIFY(untitled->filePath().isEmpty());

        VelmoraDocument* saved = openSaved({{"a", "Start"}});
        QVERIFY(saved->saveAs(nowhere));
        QCOMPARE(saved->filePath(), m_path);
        QCOMPARE(saved->session().snapshot.document.title, std::string("shared"));
        QVERIFY(!QFile::exists(nowhere));
    }

    // Taking another program's version that cannot be read says so; the document stays open as
    // it was, which "could not be opened" denied.
    void takingAnUnreadableVersionSaysItCouldNotBeRead() {
        // Nothing autosaved meanwhile: the typing stays unsaved, so the user is asked.
        m_app->controller().setAutosaveDelay(60'000);
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        WindowFixture::type(QStringLiteral(" mine"));
        m_app->dialogs().conflictChoices.enqueue(Dialogs::ConflictChoice::takeTheirs);
        {
            QSaveFile file(m_path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not an outline");
            QVERIFY(file.commit());
        }
        QTRY_COMPARE(m_app->dialogs().alerts.size(), 1);
        QCOMPARE(
            m_app->dialogs().alerts[0].message,
            localizedFormat(QStringLiteral("document.reloadFailed %@"), {document->displayName()}));
        QVERIFY(m_app->controller().documents().contains(document));
        QCOMPARE(QString::fromStdString(document->documentWithDraft().items.front().text),
                 QStringLiteral("Start mine"));
    }

    // A deleted file keeps what the window shows in an emergency copy in the autosave folder,
    // named in the list to reopen, until the file is written again. Before, the edits were
    // only in memory, and a kill lost them.
    void aDeletedFileKeepsAnEmergencyCopyUntilItIsWritten() {
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        QVERIFY(QFile::remove(m_path));
        QTRY_COMPARE(document->fileProblem(), FileProblem::removed);
        WindowFixture::type(QStringLiteral(" more"));
        QTRY_VERIFY(document->hasCurrentEmergencyCopy());
        const QString copy = document->autosavePath();
        QCOMPARE(QFileInfo(copy).absolutePath(),
                 QFileInfo(m_app->controller().autosaveFolder()).absoluteFilePath());
        QCOMPARE(titlesIn(copy), QStringList{QStringLiteral("Start more")});
        QVERIFY(restoreList().contains(RestoreEntry{m_path, copy}));
        QVERIFY(!QFile::exists(m_path));
        // Kept in step with the typing.
        WindowFixture::type(QStringLiteral(" again"));
        QTRY_COMPARE(titlesIn(copy), QStringList{QStringLiteral("Start more again")});

        m_app->dialogs().saveAgainChoices.enqueue(true);
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("Start more again")});
        QVERIFY(!QFile::exists(copy));
        QVERIFY(document->autosavePath().isEmpty());
        for (const RestoreEntry& entry : restoreList()) {
            QVERIFY(entry.autosave != copy);
        }
    }

    // The deleted-file question offers Save As…, which works when the folder is gone; and
    // Quit finishes whatever the answer, the edits kept in the emergency copy.
    void aGoneFolderCanBeSavedElsewhereAndQuitFinishes() {
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        QVERIFY(QDir(m_folder).removeRecursively());
        QTRY_COMPARE(document->fileProblem(), FileProblem::removed);
        WindowFixture::type(QStringLiteral(" more"));
        QTRY_VERIFY(document->hasCurrentEmergencyCopy());

        // Save Again cannot write into a folder that is gone; the quit still ends.
        m_app->dialogs().saveAgainChoices.enqueue(true);
        QVERIFY(m_app->controller().prepareToQuit());
        QCOMPARE(m_app->dialogs().alerts.size(), 1);
        QVERIFY(restoreList().contains(RestoreEntry{m_path, document->autosavePath()}));

        const QString elsewhere = QDir(m_home).filePath(QStringLiteral("Elsewhere.quenlith"));
        m_app->dialogs().removedChoices.enqueue(Dialogs::RemovedChoice::saveAs);
        m_app->dialogs().savePaths.enqueue(elsewhere);
        const QString copy = document->autosavePath();
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(document->filePath(), elsewhere);
        QCOMPARE(titlesIn(elsewhere), QStringList{QStringLiteral("Start more")});
        QCOMPARE(document->fileProblem(), FileProblem::none);
        QVERIFY(!QFile::exists(copy));
        // The dialog did not bring the gone folder back.
        QVERIFY(!QFileInfo::exists(m_folder));
        QFile::remove(elsewhere);
    }

    // One keystroke past the deepest level used to make a file no reader accepts: the window
    // refuses it with a beep and says why, records nothing, and the file stays readable.
    void anEditPastTheDeepestLevelIsRefusedAndTheFileStaysReadable() {
        VelmoraDocument* document = openSaved({{"a", "Start"}});
        Item item = Item::blank("d" + std::to_string(kMaxItemDepth), "deepest");
        for (int depth = kMaxItemDepth - 1; depth >= 0; --depth) {
            Item parent = Item::blank("d" + std::to_string(depth), "level");
            parent.children = ItemList{item};
            item = parent;
        }
        EditorSnapshot deep = outline({{"a", "Start"}});
        deep.document.items = ItemList{item};
        deep.selectedId = "d" + std::to_string(kMaxItemDepth);
        m_app->load(deep);
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        const int records = document->undoStack()->count();

        m_app->window().perform(Action::addChild);
        QCOMPARE(document->undoStack()->count(), records);
        QVERIFY(m_app->window().statusText().contains(localized(QStringLiteral("status.tooDeep"))));
        QVERIFY(m_app->controller().saveDocument(document, nullptr));
        QCOMPARE(titlesIn(m_path), QStringList{QStringLiteral("level")});
    }

    // Open Recent forgets a file that was deleted.
    void openRecentDropsADeletedFile() {
        openSaved({{"a", "Start"}});
        const QString other = QDir(m_folder).filePath(QStringLiteral("other.quenlith"));
        QVERIFY(QFile::copy(m_path, other));
        m_app->controller().noteRecentDocument(other);
        QCOMPARE(m_app->controller().recentDocuments().first(), other);
        QVERIFY(QFile::remove(other));
        QVERIFY(!m_app->controller().recentDocuments().contains(other));
        QVERIFY(!Preferences().recentDocuments().contains(other));
        QVERIFY(m_app->controller().recentDocuments().contains(m_path));
    }

private:
    QList<RestoreEntry> restoreList() {
        return RestoreList::read(QFileInfo(m_app->controller().autosaveFolder()).absolutePath() +
                                 QStringLiteral("/open-documents.json"));
    }

    // A new document with these items saved as "shared.quenlith", its first item being edited.
    VelmoraDocument* openSaved(const std::vector<std::pair<std::string, std::string>>& items) {
        VelmoraDocument* document = m_app->newDocument();
        EditorSnapshot snapshot = outline(items);
        snapshot.editing = EditingTarget::item(items.front().first);
        m_app->load(snapshot);
        m_path = QDir(m_folder).filePath(QStringLiteral("shared.quenlith"));
        [&] {
            QVERIFY(!document->saveAs(m_path));
            QTRY_COMPARE(WindowFixture::focus(), &m_app->editor());
        }();
        return document;
    }

    QString m_home;
    QString m_folder;
    QString m_path;
    std::unique_ptr<WindowFixture> m_app;
};

OSTREVO_APP_TEST_MAIN(FilesTest)
#include "files_test.moc"
