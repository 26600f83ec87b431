#pragma once

#include "core/formats/backup_settings.hpp"
#include "core/session/editor_snapshot.hpp"

#include <QFuture>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace velmora {

// Why a document could not be read or written: the message the alert shows.
struct DocumentError {
    // Refusals to write over what another program did are told apart from failures.
    enum class Kind { failed, changedOnDisk, removed };
    QString message;
    Kind kind = Kind::failed;
};

// What the writer of a document is doing: nothing, an autosave, or the user's save.
enum class WriteState { idle, autosaving, saving };

// One write of a document's file: the state to write, taken on the main thread (it shares the
// tree, so taking it costs nothing), and how it is written.
struct WriteJob {
    QString path;
    EditorSnapshot snapshot;
    BackupSettings settings;
    // The document's change count that the snapshot holds.
    quint64 written = 0;
    // Over the document's own file (else an untitled document's autosave file).
    bool inPlace = false;
    // A write of the latest state clears the edited mark.
    bool clearsEdited = false;
    // The user's save, not an autosave.
    bool save = false;
    // The version on disk that a write in place may replace (empty: no file there).
    QString knownVersion;
    // Where an untitled document was autosaved before this write.
    QString previousAutosavePath;
};

// How a write ended: its failure or refusal, or the written file opened right after the write
// (so that what another program does to it next is still seen as theirs).
struct WriteResult {
    std::optional<DocumentError> error;
    int descriptor = -1;
};

// Writes a document's file, atomically, and a large one on the writer thread so that typing
// never waits for it: one write at a time per document, and one writer thread for all of them.
// A write in place looks at the file once more just before its rename, so that another
// program's version that came while it was encoded is never replaced.
class DocumentWriter : public QObject {
    Q_OBJECT
public:
    // A write on the writer thread ended: its job, its result (a refusal named in the interface
    // language), and whether the file was touched while it was underway.
    struct Ended {
        WriteJob job;
        WriteResult result;
        bool touchedMeanwhile = false;
    };
    using EndHandler = std::function<void(Ended)>;

    // `onEnd` takes in every write started by `start`, on the main thread.
    explicit DocumentWriter(EndHandler onEnd, QObject* parent = nullptr);
    // Waits for the write underway; its end is no longer announced.
    ~DocumentWriter() override;

    [[nodiscard]] WriteState state() const { return m_state; }
    // The job being written; null when idle.
    [[nodiscard]] const WriteJob* job() const {
        return m_state == WriteState::idle ? nullptr : &m_job;
    }
    // Hands the job to the writer thread. One write at a time: does nothing unless idle.
    void start(WriteJob job);
    // Waits for the write underway, if any, and hands its end to the handler now.
    void finish();
    // The file was touched: true when a write is underway, whose end then says so (our own
    // write touches the file too, and what else happened is looked at against it).
    bool noteTouched();

    // Encodes and writes the job here and now; a refusal is named in the interface language.
    [[nodiscard]] static WriteResult write(const WriteJob& job);
    // The last look before a written file replaces the one at its path; a refusal keeps the
    // file on disk as it is.
    using BeforeReplace = std::function<std::optional<DocumentError>()>;
    // Writes bytes to a path atomically (temporary file in the same folder, flushed, renamed).
    static std::optional<DocumentError> writeAtomically(const QString& path,
                                                        const QByteArray& bytes);
    static std::optional<DocumentError> writeAtomically(const QString& path, const char* bytes,
                                                        qint64 size,
                                                        const BeforeReplace& beforeReplace = {});
    // Runs on the writer thread just before a write in place looks at the file for the last
    // time, with the file's path: tests change the file there, as another program might.
    static void setBeforeLastLookForTesting(std::function<void(const QString&)> hook);

private:
    // The write on the writer thread; a refusal is left unnamed.
    static WriteResult run(const WriteJob& job);
    void settle(quint64 serial);

    EndHandler m_onEnd;
    WriteState m_state = WriteState::idle;
    WriteJob m_job;
    QFuture<WriteResult> m_result;
    quint64 m_serial = 0;
    bool m_touchedMeanwhile = false;
};

} // namespace velmora
