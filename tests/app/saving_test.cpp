// The jobs of saving, each on its own: the writer of a document's file and its write state, the
// autosave schedule with its retries and its one report per failure, and the title rule kept
// out of writing.
#include "app/document/autosave_scheduler.hpp"
#include "app/document/disk_file.hpp"
#include "app/document/document_codec.hpp"
#include "app/document/document_writer.hpp"
#include "app/document/velmora_document.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "tests/app/support/isolated_home.hpp"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <unistd.h>
#include <vector>

using namespace velmora;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

EditorSnapshot outline(const std::string& title, const std::string& text) {
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"d1", title, ItemList{Item::blank("a", text)}};
    return snapshot;
}

// The title of the document in the file, empty when it cannot be read.
std::string titleIn(const QString& path) {
    auto decoded = DocumentCodec::decodeNative(readFile(path));
    const auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    return loaded ? loaded->snapshot.document.title : std::string();
}

std::string firstTextIn(const QString& path) {
    auto decoded = DocumentCodec::decodeNative(readFile(path));
    const auto* loaded = std::get_if<DocumentCodec::Loaded>(&decoded);
    return loaded && !loaded->snapshot.document.items.empty()
               ? loaded->snapshot.document.items.front().text
               : std::string();
}

} // namespace

class SavingTest : public QObject {
    Q_OBJECT
public:
    explicit SavingTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() { m_folder = std::make_unique<QTemporaryDir>(); }

    void cleanup() {
        DocumentWriter::setBeforeLastLookForTesting({});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // An autosave on the writer thread: autosaving until it ends, one write at a time, then
    // idle with its end handed over once.
    void aBackgroundWriteIsAutosavingUntilItsEndIsTakenIn() {
        std::vector<DocumentWriter::Ended> ends;
        DocumentWriter writer([&ends](DocumentWriter::Ended ended) { ends.push_back(ended); });
        QCOMPARE(writer.state(), WriteState::idle);
        QVERIFY(writer.job() == nullptr);

        WriteJob job;
        job.path = path(QStringLiteral("first.quenlith"));
        job.snapshot = outline("First", "one");
        job.written = 3;
        writer.start(job);
        QCOMPARE(writer.state(), WriteState::autosaving);
        QCOMPARE(writer.job()->written, quint64(3));
        // A second write waits for the first: it is not started at all.
        WriteJob other = job;
        other.path = path(QStringLiteral("second.quenlith"));
        other.save = true;
        writer.start(other);
        QCOMPARE(writer.state(), WriteState::autosaving);
        QCOMPARE(writer.job()->path, job.path);

        QTRY_COMPARE(ends.size(), std::size_t(1));
        QCOMPARE(writer.state(), WriteState::idle);
        QCOMPARE(ends.front().job.path, job.path);
        QVERIFY(!ends.front().result.error);
        QVERIFY(!ends.front().touchedMeanwhile);
        QCOMPARE(firstTextIn(job.path), std::string("one"));
        QVERIFY(!QFile::exists(other.path));
        // The watcher's own notice of the end comes to nothing.
        QTest::qWait(50);
        QCOMPARE(ends.size(), std::size_t(1));
    }

    // The user's save is `saving`; `finish` waits for it and hands its end over at once, and a
    // touch of the file meanwhile is told with it.
    void aSaveIsSavingAndFinishHandsItsEndOverNow() {
        std::vector<DocumentWriter::Ended> ends;
        DocumentWriter writer([&ends](DocumentWriter::Ended ended) { ends.push_back(ended); });
        QVERIFY(!writer.noteTouched());
        WriteJob job;
        job.path = path(QStringLiteral("saved.quenlith"));
        job.snapshot = outline("Saved", "two");
        job.save = true;
        writer.start(job);
        QCOMPARE(writer.state(), WriteState::saving);
        QVERIFY(writer.noteTouched());
        writer.finish();
        QCOMPARE(writer.state(), WriteState::idle);
        QCOMPARE(ends.size(), std::size_t(1));
        QVERIFY(ends.front().job.save);
        QVERIFY(ends.front().touchedMeanwhile);
        QCOMPARE(firstTextIn(job.path), std::string("two"));
        // The next write starts afresh.
        writer.start(job);
        writer.finish();
        QCOMPARE(ends.size(), std::size_t(2));
        QVERIFY(!ends.back().touchedMeanwhile);
    }

    // Another program's version arriving while a write in place was encoded stays on disk, and
    // the refusal says which change it was, in words.
    void aWriteInPlaceNeverReplacesAVersionThatCameMeanwhile() {
        const QString file = path(QStringLiteral("shared.quenlith"));
        writeFile(file, DocumentCodec::encodeNative(outline("shared", "old"), BackupSettings{}));
        WriteJob job;
        job.path = file;
        job.snapshot = outline("shared", "mine");
        job.inPlace = true;
        job.knownVersion = DiskFile::versionAt(file);

        const QByteArray theirs = "written by another program\n";
        DocumentWriter::setBeforeLastLookForTesting(
            [&](const QString& at) { writeFile(at, theirs); });
        WriteResult changed = DocumentWriter::write(job);
        QVERIFY(changed.error);
        QCOMPARE(changed.error->kind, DocumentError::Kind::changedOnDisk);
        QVERIFY(!changed.error->message.isEmpty());
        QCOMPARE(changed.descriptor, -1);
        QCOMPARE(readFile(file), theirs);

        job.knownVersion = DiskFile::versionAt(file);
        DocumentWriter::setBeforeLastLookForTesting([](const QString& at) { QFile::remove(at); });
        std::vector<DocumentWriter::Ended> ends;
        DocumentWriter writer([&ends](DocumentWriter::Ended ended) { ends.push_back(ended); });
        writer.start(job);
        writer.finish();
        QCOMPARE(ends.size(), std::size_t(1));
        QVERIFY(ends.front().result.error);
        QCOMPARE(ends.front().result.error->kind, DocumentError::Kind::removed);
        QVERIFY(!ends.front().result.error->message.isEmpty());
        QVERIFY(!QFile::exists(file));

        // Left alone, the write goes through and opens what it wrote.
        DocumentWriter::setBeforeLastLookForTesting({});
        job.knownVersion.clear();
        WriteResult written = DocumentWriter::write(job);
        QVERIFY(!written.error);
        QVERIFY(written.descriptor >= 0);
        ::close(written.descriptor);
        QCOMPARE(firstTextIn(file), std::string("mine"));
    }

    // A failing autosave is tried again after a pause twice the last, from the delay up to a
    // minute; the first failure of an episode is reported, the rest are not until a write
    // works, a save works, or the user is about to quit.
    void aFailingAutosaveBacksOffAndIsReportedOncePerEpisode() {
        VelmoraDocument document{Preferences()};
        AutosaveScheduler scheduler(document, 5'000);
        QCOMPARE(scheduler.retryDelay(), 0);
        std::vector<int> delays;
        std::vector<bool> reported;
        for (int i = 0; i < 6; ++i) {
            reported.push_back(scheduler.noteFailed());
            delays.push_back(scheduler.retryDelay());
            QVERIFY(scheduler.isScheduled());
        }
        QCOMPARE(delays, (std::vector<int>{5'000, 10'000, 20'000, 40'000, 60'000, 60'000}));
        QCOMPARE(reported, (std::vector<bool>{true, false, false, false, false, false}));

        scheduler.reportNextFailure();
        QVERIFY(scheduler.noteFailed());
        QVERIFY(!scheduler.noteFailed());
        scheduler.noteSaved();
        QVERIFY(scheduler.noteFailed());
        // A save reports again but goes on backing off; a write that works ends the episode.
        QCOMPARE(scheduler.retryDelay(), 60'000);
        scheduler.noteWritten();
        QCOMPARE(scheduler.retryDelay(), 0);
        QVERIFY(scheduler.noteFailed());
        QCOMPARE(scheduler.retryDelay(), 5'000);
        scheduler.stop();
        QVERIFY(!scheduler.isScheduled());
    }

    // Steps, undo and the text being typed all reach the schedule through one notice; the wait
    // runs from the first change, and a redraw with nothing new to write starts nothing.
    void everyChangeWorthWritingStartsOneWait() {
        VelmoraDocument document{Preferences()};
        AutosaveScheduler scheduler(document, 40);
        QSignalSpy due(&scheduler, &AutosaveScheduler::due);
        document.setSnapshot(document.session().snapshot);
        QVERIFY(!scheduler.isScheduled());

        document.noteDraftEdited();
        QVERIFY(scheduler.isScheduled());
        QTRY_COMPARE(due.size(), 1);
        QVERIFY(!scheduler.isScheduled());

        document.perform(Action::commit, std::string("Typed"));
        QVERIFY(scheduler.isScheduled());
        scheduler.stop();
        document.undoOrRedo(false);
        QVERIFY(scheduler.isScheduled());
        QTRY_COMPARE(due.size(), 2);
    }

    // Typing during a save on the writer thread: the autosave due meanwhile could not start,
    // and the save's end must schedule it, or the typing waits for the next change.
    void typingDuringABackgroundSaveIsAutosavedAfterIt() {
        VelmoraDocument document{Preferences()};
        const QString file = path(QStringLiteral("large.quenlith"));
        QVERIFY(!document.saveAs(file));
        AutosaveScheduler scheduler(document, 20);
        QSignalSpy due(&scheduler, &AutosaveScheduler::due);
        DocumentWriter::setBeforeLastLookForTesting([](const QString&) { QThread::msleep(300); });
        document.perform(Action::commit, std::string("Saved"));
        scheduler.stop();
        QVERIFY(!document.startSave());
        QVERIFY(document.isSaving());
        document.noteDraftEdited();
        QTRY_COMPARE(due.size(), 1);
        QVERIFY(document.isSaving());
        QTRY_VERIFY(!document.isWriting());
        QVERIFY(document.hasUnautosavedChanges());
        QTRY_COMPARE(due.size(), 2);
    }

    // Writing names what it writes after the file, but leaves the session as it is: renaming
    // it is a step of its own, taken by whoever saves.
    void writingTitlesTheFileButLeavesTheSessionsTitle() {
        VelmoraDocument document{Preferences()};
        const QString original = path(QStringLiteral("Old name.quenlith"));
        QVERIFY(!document.saveAs(original));
        QCOMPARE(document.session().snapshot.document.title, std::string("Old name"));
        const QString renamed = path(QStringLiteral("New name.quenlith"));
        QVERIFY(QFile::rename(original, renamed));
        document.followMove(renamed);

        QCOMPARE(document.writtenSnapshot().document.title, std::string("New name"));
        QCOMPARE(document.writtenSnapshot(path(QStringLiteral("Copy.quenlith"))).document.title,
                 std::string("Copy"));
        document.perform(Action::commit, std::string("Changed"));
        QVERIFY(!document.save());
        QCOMPARE(titleIn(renamed), std::string("New name"));
        QCOMPARE(document.session().snapshot.document.title, std::string("Old name"));

        document.takeTitleFromFile();
        QCOMPARE(document.session().snapshot.document.title, std::string("New name"));
    }

private:
    [[nodiscard]] QString path(const QString& name) const { return m_folder->filePath(name); }

    QString m_home;
    std::unique_ptr<QTemporaryDir> m_folder;
};

OSTREVO_APP_TEST_MAIN(SavingTest)
#include "saving_test.moc"
