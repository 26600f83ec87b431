#pragma once

#include "app/document/document_view.hpp"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace velmora {

class Dialogs;
class DocumentWindow;
class MenuTarget;
class VelmoraDocument;
class WindowArrangement;
struct DocumentError;

// Keeps the open documents: makes untitled ones, opens files, saves and closes them, gives
// each one its view in a window (as tabs of one window or as separate windows by
// "documentsInTabs"), autosaves them and brings them back after a restart.
class VelmoraDocumentController : public QObject {
    Q_OBJECT
public:
    // `dataFolder` holds the autosaves of untitled documents and the list of documents to
    // restore; `menus` and `host` are the application delegate.
    VelmoraDocumentController(Dialogs& dialogs, MenuTarget& menus, DocumentViewHost& host,
                              QString dataFolder, DocumentViewFactory viewFactory = {},
                              QObject* parent = nullptr);
    ~VelmoraDocumentController() override;

    [[nodiscard]] QList<VelmoraDocument*> documents() const;
    // The document of the active window's current tab (else of the last active window).
    [[nodiscard]] VelmoraDocument* currentDocument() const;
    [[nodiscard]] DocumentWindow* windowOf(const VelmoraDocument* document) const;
    [[nodiscard]] DocumentView* viewOf(const VelmoraDocument* document) const;
    [[nodiscard]] QList<DocumentWindow*> windows() const;
    [[nodiscard]] int visibleWindowCount() const;
    // The active document window, or the last one that was active.
    [[nodiscard]] DocumentWindow* frontWindow() const;

    // A new untitled document, not yet shown; creating one never fails.
    [[nodiscard]] std::unique_ptr<VelmoraDocument> makeUntitledDocument();
    // Adds a new untitled document and, when `display`, shows its window.
    VelmoraDocument* openUntitledDocumentAndDisplay(bool display);
    // File ▸ New.
    VelmoraDocument* newDocument();
    // Takes ownership of a document (read or made elsewhere) without showing it.
    VelmoraDocument* addDocument(std::unique_ptr<VelmoraDocument> document);
    // Opens a file (a document file, an OPML or backup file) and shows it; an error is shown in
    // the open-error alert and gives null. A file already open just comes to the front.
    VelmoraDocument* openDocument(const QString& path, bool display = true);
    // File ▸ Open: asks for files and opens them.
    void openDocumentsWithDialog(QWidget* parent);

    // Gives the document its view in a window (applying the foreign-file rule first) and
    // shows it.
    void makeWindowControllers(VelmoraDocument* document);
    void showWindows(VelmoraDocument* document);
    // Shows the windows of every document, or a new document when there is none.
    void revealDocuments();
    // The application was started again or activated from the launcher.
    void reopen();

    // Saves the document, asking for a place when it has no file. False when it was not saved.
    // A large document is saved on the worker thread: true then means the save started, and a
    // failure is reported when it ends.
    bool saveDocument(VelmoraDocument* document, QWidget* parent);
    // Asks for a new place (proposing `proposedName`, else the document's name) and saves there.
    bool saveDocumentAs(VelmoraDocument* document, QWidget* parent,
                        const QString& proposedName = {});
    // Closes the document, asking whether to save an edited untitled one. False when the
    // user cancelled or its changes could not be written.
    bool closeDocument(VelmoraDocument* document);
    // Closes every document of the window, then the window. The last window closes as Quit
    // does: after autosaving, without questions, keeping its documents in the list to reopen.
    bool closeWindow(DocumentWindow* window);

    // Moves the document's tab into a window of its own (it stays where it is when it is
    // alone in its window) and shows it.
    void moveToOwnWindow(VelmoraDocument* document);

    // Gathers the documents of every other window into tabs of `into` (after its own) and
    // closes the emptied windows.
    void mergeAllWindows(DocumentWindow* into);
    // Every open document, window by window (in the order the windows opened) and tab by tab.
    [[nodiscard]] QList<VelmoraDocument*> documentsInWindowOrder() const;

    // Follows a change of "documentsInTabs": splits every tab into its own window, or gathers
    // every window into the tabs of the front window.
    void applyTabPreference();

    // Writes every document with unsaved changes now (documents with a file in place, untitled
    // ones into the data folder). Failures are reported; returns whether all succeeded.
    bool autosaveAll();
    // Before quitting: autosaves everything and stores the list of documents to reopen.
    // False when something could not be written (the quit should not go on).
    bool prepareToQuit();
    // Reopens the documents listed at the last quit: untitled documents always, documents with
    // a file when "NSQuitAlwaysKeepsWindows" is on. Returns how many came back.
    int restoreDocuments();
    // How long after a change a document is autosaved.
    void setAutosaveDelay(int milliseconds);
    // Documents of at least this many items are saved on the worker thread (see `startSave`);
    // smaller ones are written before the save returns.
    void setBackgroundSaveItems(std::int64_t items) { m_backgroundSaveItems = items; }
    [[nodiscard]] QString autosaveFolder() const;

    [[nodiscard]] QStringList recentDocuments() const;
    void noteRecentDocument(const QString& path);
    void clearRecentDocuments();

    [[nodiscard]] Dialogs& dialogs() const { return m_dialogs; }

signals:
    void documentAdded(VelmoraDocument* document);
    void documentRemoved(VelmoraDocument* document);

private:
    struct Entry;

    [[nodiscard]] Entry* entryOf(const VelmoraDocument* document) const;
    // Answers the requests of a window the arrangement made.
    void windowMade(DocumentWindow* window);
    void removeDocument(VelmoraDocument* document);
    bool closeLastWindow(DocumentWindow* window);
    // `userWaiting`: the user is closing or quitting, so a question about the file is asked
    // even when it was asked before. A failure is reported once per episode.
    bool autosave(VelmoraDocument* document, bool userWaiting = false);
    // The autosave the timer starts: written on a worker thread, its end taken in by
    // `backgroundAutosaveFinished`.
    void autosaveInBackground(VelmoraDocument* document);
    void backgroundAutosaveFinished(VelmoraDocument* document,
                                    const std::optional<DocumentError>& error,
                                    const QString& previousAutosavePath);
    // Takes in the result of an autosave: a failure is reported once per episode and tried
    // again later; an untitled document's first autosave file goes into the reopen list.
    bool tookAutosaveResult(VelmoraDocument* document, const std::optional<DocumentError>& error,
                            const QString& previousAutosavePath);
    // Brings the document and its file into agreement after another program touched the file
    // (see `DiskConflicts`). True when the document may be written in place now (or has
    // nothing left to write).
    bool settleWithDisk(VelmoraDocument* document, bool userWaiting);
    // Writes the document over whatever is on disk; a failure is shown.
    bool writeMine(VelmoraDocument* document, QWidget* parent);
    // Reports a failed save; a save that worked ends the failure episode. True on success.
    bool finishWrite(VelmoraDocument* document, QWidget* parent,
                     const std::optional<DocumentError>& error);
    void reportSaveFailure(VelmoraDocument* document, QWidget* parent, const QString& message);
    void reportOpenError(const QString& path, const QString& message);
    [[nodiscard]] QString restoreListFile() const;
    // Stores the documents to reopen as they are now, so that a crash or a kill brings back
    // what a quit would.
    void writeRestoreList();
    VelmoraDocument* restoreUntitled(const QString& autosavePath);
    // The document of a file that could not be written, from the copy that kept its content.
    VelmoraDocument* restoreEmergencyCopy(const QString& path, const QString& copy);

    Dialogs& m_dialogs;
    DocumentViewHost& m_host;
    QString m_dataFolder;
    DocumentViewFactory m_viewFactory;
    std::vector<std::unique_ptr<Entry>> m_entries;
    WindowArrangement* m_arrangement = nullptr;
    int m_autosaveDelay = 5000;
    // About 30 ms of encoding and writing: below it a save is done before the next keystroke.
    std::int64_t m_backgroundSaveItems = 10'000;
    // Set once the last window closed: the list to reopen stays as Quit left it.
    bool m_keepRestoreList = false;
};

} // namespace velmora
