#pragma once

#include "app/document/disk_file.hpp"
#include "app/document/document_writer.hpp"
#include "core/commands/action.hpp"
#include "core/formats/backup_settings.hpp"
#include "core/model/document_merge.hpp"
#include "core/session/editor_session.hpp"
#include "core/session/tree_command.hpp"
#include "core/session/undo_history.hpp"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QUndoStack;

namespace velmora {

class Preferences;

// What keeps the document's file from holding what the window shows; the status line says it.
enum class FileProblem { none, changedOnDisk, removed, notSaved };

// Text typed into an open editor and not yet committed into the session.
struct TextDraft {
    EditingTarget target;
    std::string text;
};

// One open outline: its editor session, the settings member of its file, its file and its
// undo stack. The document reads and writes file bytes; the controller decides where.
class VelmoraDocument : public QObject {
    Q_OBJECT
public:
    static inline const QString nativeType =
        QStringLiteral("com.kestrum-software.ostrevo.document");
    static inline const QString opmlType = QStringLiteral("org.opml.opml");
    static inline const QString markdownType = QStringLiteral("net.daringfireball.markdown");
    static inline const QString orgType = QStringLiteral("text/org");
    static inline const QString extension = QStringLiteral("quenlith");

    // A new untitled document: one empty item being edited, titled by "document.untitled",
    // shown in the view of "newDocumentView".
    explicit VelmoraDocument(const Preferences& preferences, QObject* parent = nullptr);
    ~VelmoraDocument() override;

    // The type a file is read as: OPML for ".opml" and ".xml" files, Markdown for ".md" and
    // ".markdown" files, Org for ".org" files, the native type otherwise.
    [[nodiscard]] static QString typeForPath(const QString& path);

    // Replaces the session by the file's content (a document file, or OPML, Markdown or Org by
    // `type`) and applies the display preferences. A Markdown document, and an Org document
    // without "#+TITLE", is titled `name`, or "document.imported" without one. The document is unchanged on failure.
    std::optional<DocumentError> read(const QByteArray& data, const QString& type,
                                      const Preferences& preferences, const QString& name = {});
    // Reads the file at `path` and takes it as the document's file and type.
    std::optional<DocumentError> readFile(const QString& path, const Preferences& preferences);
    // Replaces the session by one for a decoded document: first item selected, tree view.
    void adoptImported(TreeDocument document, const Preferences& preferences);

    // A file that is not a document file (OPML, a backup) becomes an untitled, changed
    // document, so that saving asks for a new place and never overwrites it.
    void applyForeignFileRule();
    // Checks visible unless the check style is none; completed items hidden per document.
    void applyDisplayPreferences(const Preferences& preferences);
    // The editing preferences of the key map, read fresh from the preferences, and the title of
    // the archive item in the interface language.
    void applyEditorPreferences(const Preferences& preferences);

    [[nodiscard]] const EditorSession& session() const { return m_session; }
    [[nodiscard]] const BackupSettings& fileSettings() const { return m_fileSettings; }
    // Takes a new editor state (undo and redo do this) and refreshes the views.
    void setSnapshot(const EditorSnapshot& snapshot);
    // Walks one record of the undo history back or forth (the undo stack's commands do this),
    // moving the selection and the editor off items that are hidden now.
    void walkHistory(bool back);
    // Runs the session's `perform`; a change goes onto the undo stack. Returns the result so
    // that the caller carries out its side effect.
    PerformResult perform(Action action, std::optional<std::string> draft = std::nullopt,
                          std::optional<long long> caret = std::nullopt);
    // Registers an undo record whose `after` the session already holds.
    void record(const TreeCommand& command);

    // Empty for an untitled document.
    [[nodiscard]] QString filePath() const { return m_filePath; }
    void setFilePath(const QString& path);
    [[nodiscard]] QString fileType() const { return m_fileType; }
    void setFileType(const QString& type) { m_fileType = type; }
    // The file name without extension, or the document title for an untitled document, then
    // its number when it is not the first open one of that title ("Untitled 2").
    [[nodiscard]] QString displayName() const;
    // Which of the open untitled documents of the same title this is, counting from 1.
    [[nodiscard]] int untitledNumber() const { return m_untitledNumber; }
    void setUntitledNumber(int number) { m_untitledNumber = number; }
    [[nodiscard]] QString documentId() const;

    [[nodiscard]] QUndoStack* undoStack() const { return m_undoStack; }
    // Undo and redo, wherever they are asked for (keys, menus, the editor's context menu): the
    // text being typed is committed first, and a step with nothing to undo or redo beeps.
    void undoOrRedo(bool redo);
    // The localised name of the change that undo (or redo) would revert; empty when none.
    [[nodiscard]] QString undoName(bool redo) const;
    // Whether the window shows the edited mark: changes since the last save.
    [[nodiscard]] bool isEdited() const;
    // Marks a change that has no undo record (an imported or foreign file).
    void markChanged();
    // Whether something changed since the last save or autosave.
    [[nodiscard]] bool hasUnautosavedChanges() const { return m_changeCount != m_autosavedCount; }

    // Where the text being typed is read from when the document is written (the item editor's
    // and the inspector's, applied in that order); the view sets it and clears it (an empty
    // function) when it goes.
    void setDraftSource(std::function<std::vector<TextDraft>()> source);
    // Text being typed changed (no change of the session yet): the next autosave has something
    // new to write.
    void noteDraftEdited();
    // The document as it is written: the session's document with the text being typed put
    // into its items. Reading it neither ends editing nor records anything.
    [[nodiscard]] TreeDocument documentWithDraft() const;

    // The file text of the current state with the text being typed (which stays open in its
    // editor), titled by the name of `destination`, else of the document's file.
    [[nodiscard]] QByteArray data(const QString& destination = {}) const;
    // The state that `data` encodes. Writing never renames the session: see `takeTitleFromFile`.
    [[nodiscard]] EditorSnapshot writtenSnapshot(const QString& destination = {}) const;
    // The session's document takes its file's name as its title, so that a file renamed in the
    // file manager renames the document; the one who saves asks for it. Nothing when untitled.
    void takeTitleFromFile();
    // Saves to the document's file (it must have one); clears the edited mark on success.
    std::optional<DocumentError> save();
    // Saves to a new place, which becomes the document's file, of the native type, and whose
    // name becomes the document's title once the write worked.
    std::optional<DocumentError> saveAs(const QString& path);
    // Writes unsaved changes: in place for a document with a file (clearing the edited mark
    // when "autosaveClearsEdited" is on), else into `untitledFolder`. Does nothing when there
    // is nothing new.
    std::optional<DocumentError> autosave(const Preferences& preferences,
                                          const QString& untitledFolder);
    // The same write, encoded and written on a worker thread so that a large document never
    // holds up typing. The state written is taken now (with the text being typed); the end is
    // announced by `autosaveFinished`. Returns the refusal when the file changed on disk;
    // nothing when the write started or there was nothing to write. One write at a time:
    // while one is underway this does nothing, and every other write waits for it first.
    std::optional<DocumentError> startAutosave(const Preferences& preferences,
                                               const QString& untitledFolder);
    // Saves as `save` does, but encodes and writes on the worker thread, for a document too
    // large to save between two keystrokes. The state written is taken now; the end is
    // announced by `saveFinished`, and the edited mark clears then unless the document changed
    // meanwhile. Returns at once the refusal to write (no file, another program's version).
    std::optional<DocumentError> startSave();
    // What the writer thread is doing for this document.
    [[nodiscard]] WriteState writeState() const { return m_writer->state(); }
    // Whether a write started by `startAutosave` or `startSave` is still underway.
    [[nodiscard]] bool isWriting() const { return writeState() != WriteState::idle; }
    // Whether a save started by `startSave` is still underway.
    [[nodiscard]] bool isSaving() const { return writeState() == WriteState::saving; }
    // Whether the save underway writes the document as it is now.
    [[nodiscard]] bool isSavingLatest() const {
        return isSaving() && m_writer->job()->written == m_changeCount;
    }
    // Waits for the write underway, if any, and takes in its result.
    void finishWriting();
    // Where the untitled document was last autosaved, if anywhere.
    [[nodiscard]] QString autosavePath() const { return m_autosavePath; }
    void setAutosavePath(const QString& path) { m_autosavePath = path; }
    // Removes the untitled autosave file, once the document has a real file or was discarded.
    void discardAutosave();

    // A document whose file cannot be written (deleted, its folder gone, the disk full, another
    // program's version not yet settled) keeps what the window shows in a copy in `folder`
    // until the file is written again: written now unless the copy already holds the latest
    // state. False when there is no file or the copy could not be written either.
    bool keepEmergencyCopy(const QString& folder);
    // Whether the emergency copy holds the latest state.
    [[nodiscard]] bool hasCurrentEmergencyCopy() const {
        return !m_filePath.isEmpty() && !m_autosavePath.isEmpty() &&
               m_emergencyCount == m_changeCount;
    }
    // Takes the content read from an emergency copy as the document of the file at `path`:
    // the file is taken as changed or removed since (so nothing is written over it unasked),
    // and the copy stays until the file is written.
    void adoptEmergencyCopy(const QString& path, const QString& copy);

    // Whether another program changed, replaced or removed the document's file since this
    // document last read or wrote it.
    [[nodiscard]] bool changedOnDisk() const;
    // What became of the file since this document last read or wrote it.
    [[nodiscard]] DiskFile::Status diskStatus() const { return m_disk->status(); }
    // Names the version of the file on disk now (empty when there is none).
    [[nodiscard]] QString versionOnDisk() const { return m_disk->versionOnDisk(); }
    // The file was renamed or moved: it stays the document's file under its new name.
    void followMove(const QString& path);
    // Takes the other program's version of the file as one undoable step, keeping the view, the
    // selection, the hoisted branches and the edited item where their items still exist. The
    // document is unchanged when the file cannot be read.
    std::optional<DocumentError> reloadFromDisk(const Preferences& preferences);
    // Merges another program's version of the file into the session item by item, against the
    // version this document last read or wrote, as one undoable step that keeps the view and
    // selects the first copy a conflict kept. Nothing, and the document unchanged, when the
    // file cannot be read, holds another document, or no version of it was read or written.
    std::optional<MergeSummary> mergeFromDisk(const Preferences& preferences);
    // Whether the file now holds a version of this document made without something the window
    // shows (typing since written, or a write of ours the other program never saw), so that
    // taking it in as it is would lose that.
    [[nodiscard]] bool diskVersionMissesOurs() const;
    // What the status line says about the last change from outside until the next change
    // ("Merged changes from another program"); empty when nothing.
    [[nodiscard]] const QString& statusNote() const { return m_statusNote; }
    void setStatusNote(const QString& note);
    // Writes to the document's file whatever another program did to it (the user chose to keep
    // their version, or to save a deleted file again).
    std::optional<DocumentError> saveOver();
    [[nodiscard]] FileProblem fileProblem() const { return m_fileProblem; }
    // The reason of the last failed write.
    [[nodiscard]] const QString& fileProblemDetail() const { return m_fileProblemDetail; }
    void setFileProblem(FileProblem problem, const QString& detail = {});
    // What the status line says about the problem; empty without one.
    [[nodiscard]] QString fileProblemText() const;

signals:
    // The session changed: views redraw from it.
    void changed();
    // The edited mark changed.
    void editedChanged(bool edited);
    // The content changed since the last write (a new record, an undo or redo, a forced mark,
    // text being typed, the view): the document has something to autosave. The one notice
    // that autosaving follows.
    void contentChanged();
    // The file or its name changed.
    void fileChanged();
    // Views must commit the text being typed into the session now (before save, undo, export).
    void commitEditingRequested();
    // Something happened to the file or its folder on disk: see `diskStatus`.
    void diskTouched();
    // The file problem or its reason changed.
    void fileProblemChanged();
    // A save or an autosave was written (the status line says when).
    void fileWritten();
    // A write started by `startAutosave` ended; `previousAutosavePath` is where an untitled
    // document was autosaved before it.
    void autosaveFinished(std::optional<velmora::DocumentError> error,
                          QString previousAutosavePath);
    // The emergency copy was written for the first time, or removed: the list of documents
    // to reopen names it.
    void emergencyCopyChanged();
    // A save started by `startSave` began, or ended with its failure if it failed.
    void saveStarted();
    void saveFinished(std::optional<velmora::DocumentError> error);

private:
    void noteChange();
    void markSaved();
    // Writes in place, unless another program changed or removed the file meanwhile; follows
    // a file that moved.
    std::optional<DocumentError> writeInPlace();
    // Writes in place as it is and takes the written file as the known version.
    std::optional<DocumentError> writeOver();
    // The file holds the latest state again: its emergency copy goes.
    void dropEmergencyCopy();
    // Keeps the status line's problem in step with the result of a write.
    void noteWriteResult(const std::optional<DocumentError>& error);
    // Why the document's file must not be written in place now (another program changed or
    // removed it), after following a file that moved; nothing when it may be.
    std::optional<DocumentError> refusalToWriteInPlace();

    // The job of an autosave, or its refusal, or neither when there is nothing to write.
    std::optional<DocumentError> prepareAutosave(const Preferences& preferences,
                                                 const QString& untitledFolder,
                                                 std::optional<WriteJob>& job);
    // The state to write to `path` now, with the text being typed.
    [[nodiscard]] WriteJob writeJob(const QString& path) const;
    void takeWriteResult(const WriteJob& job, const WriteResult& result);
    // A write on the writer thread ended.
    void writeEnded(DocumentWriter::Ended ended);

    EditorSession m_session;
    BackupSettings m_fileSettings;
    QString m_filePath;
    int m_untitledNumber = 1;
    QString m_fileType;
    QString m_autosavePath;
    DiskFile* m_disk = nullptr;
    FileProblem m_fileProblem = FileProblem::none;
    QString m_fileProblemDetail;
    // The records; the undo stack over them gives the menus their texts and keeps the clean
    // state.
    UndoHistory m_history;
    QUndoStack* m_undoStack = nullptr;
    std::function<std::vector<TextDraft>()> m_draftSource;
    bool m_forcedEdited = false;
    bool m_lastEdited = false;
    quint64 m_changeCount = 0;
    quint64 m_autosavedCount = 0;
    // The change the emergency copy holds.
    quint64 m_emergencyCount = 0;
    // The versions of the file this document knows: the one last read, then each one written
    // since (a few); another program's change is merged against the one it started from.
    std::vector<TreeDocument> m_diskVersions;
    void rememberRead(const TreeDocument& document);
    void rememberWritten(const TreeDocument& document);
    QString m_statusNote;
    // Last, so that the write underway ends before the rest of the document goes.
    std::unique_ptr<DocumentWriter> m_writer;
};

} // namespace velmora
