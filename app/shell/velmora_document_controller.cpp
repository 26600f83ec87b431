#include "app/shell/velmora_document_controller.hpp"

#include "app/document/document_codec.hpp"
#include "app/document/velmora_document.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/library_folder.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/controller_entry.hpp"
#include "app/shell/window_arrangement.hpp"
#include "app/window/document_window.hpp"

#include <QDir>
#include <QFileInfo>

#include <set>

namespace velmora {
namespace {

constexpr int kMaxRecentDocuments = 10;

QString canonical(const QString& path) {
    const QFileInfo info(path);
    const QString resolved = info.canonicalFilePath();
    return resolved.isEmpty() ? info.absoluteFilePath() : resolved;
}

QStringList documentFilters() {
    return {localized(QStringLiteral("document.filter.documents")) +
                QStringLiteral(" (*.quenlith)"),
            localized(QStringLiteral("document.filter.opml")) + QStringLiteral(" (*.opml *.xml)"),
            localized(QStringLiteral("document.filter.markdown")) +
                QStringLiteral(" (*.md *.markdown)"),
            localized(QStringLiteral("document.filter.org")) + QStringLiteral(" (*.org)"),
            localized(QStringLiteral("document.filter.backups")) + QStringLiteral(" (*.json)"),
            localized(QStringLiteral("document.filter.all")) + QStringLiteral(" (*)")};
}

} // namespace

VelmoraDocumentController::VelmoraDocumentController(Dialogs& dialogs, MenuTarget& menus,
                                                     DocumentViewHost& host, QString dataFolder,
                                                     DocumentViewFactory viewFactory,
                                                     QObject* parent)
    : QObject(parent), m_dialogs(dialogs), m_host(host), m_dataFolder(std::move(dataFolder)),
      m_viewFactory(viewFactory ? std::move(viewFactory) : DocumentViews::defaultFactory()),
      m_arrangement(new WindowArrangement(
          menus, [this](DocumentWindow* window) { windowMade(window); }, this)) {}

VelmoraDocumentController::~VelmoraDocumentController() {
    // Views go before their documents, windows last.
    for (auto& entry : m_entries) {
        entry->view.reset();
    }
    m_entries.clear();
    m_arrangement->deleteWindows();
}

VelmoraDocumentController::Entry*
VelmoraDocumentController::entryOf(const VelmoraDocument* document) const {
    for (const auto& entry : m_entries) {
        if (entry->document.get() == document) {
            return entry.get();
        }
    }
    return nullptr;
}

QList<VelmoraDocument*> VelmoraDocumentController::documents() const {
    QList<VelmoraDocument*> result;
    for (const auto& entry : m_entries) {
        result.append(entry->document.get());
    }
    return result;
}

VelmoraDocument* VelmoraDocumentController::currentDocument() const {
    DocumentWindow* window = frontWindow();
    return window ? window->currentDocument() : nullptr;
}

DocumentView* VelmoraDocumentController::viewOf(const VelmoraDocument* document) const {
    Entry* entry = entryOf(document);
    return entry ? entry->view.get() : nullptr;
}

std::unique_ptr<VelmoraDocument> VelmoraDocumentController::makeUntitledDocument() {
    qCInfo(documentLog).noquote() << QStringLiteral("makeUntitledDocument type=") +
                                         VelmoraDocument::nativeType;
    auto document = std::make_unique<VelmoraDocument>(Preferences());
    qCInfo(documentLog).noquote()
        << QStringLiteral(
               "VelmoraDocument init via makeUntitledDocument ok class=VelmoraDocument fileType=") +
               document->fileType();
    return document;
}

VelmoraDocument* VelmoraDocumentController::addDocument(std::unique_ptr<VelmoraDocument> document) {
    auto entry = std::make_unique<Entry>();
    entry->document = std::move(document);
    VelmoraDocument* added = entry->document.get();
    entry->autosave = new AutosaveScheduler(*added, m_autosaveDelay, this);
    // Written on a worker thread: a large document never holds up the typing.
    connect(entry->autosave, &AutosaveScheduler::due, this,
            [this, added] { autosaveInBackground(added); });
    entry->conflicts = std::make_unique<DiskConflicts>(
        *added, m_dialogs,
        DiskConflicts::Answers{[this, added]() -> QWidget* { return windowOf(added); },
                               [this, added](const QString& proposedName) {
                                   return saveDocumentAs(added, windowOf(added), proposedName);
                               },
                               [this, added] { return writeMine(added, windowOf(added)); }});
    connect(added, &VelmoraDocument::autosaveFinished, this,
            [this, added](const std::optional<DocumentError>& error, const QString& previous) {
                backgroundAutosaveFinished(added, error, previous);
            });
    connect(added, &VelmoraDocument::saveFinished, this,
            [this, added](const std::optional<DocumentError>& error) {
                if (error && error->kind != DocumentError::Kind::failed) {
                    // Another program's version came while the save was written: it stayed,
                    // and the user settles it as when saving over it.
                    if (settleWithDisk(added, true)) {
                        saveDocument(added, windowOf(added));
                    }
                    return;
                }
                finishWrite(added, windowOf(added), error);
            });
    connect(added, &VelmoraDocument::emergencyCopyChanged, this, [this] { writeRestoreList(); });
    connect(added, &VelmoraDocument::diskTouched, this,
            [this, added] { settleWithDisk(added, false); });
    connect(added, &VelmoraDocument::fileChanged, this, [this, added] {
        if (!added->filePath().isEmpty()) {
            noteRecentDocument(added->filePath());
        }
        writeRestoreList();
    });
    if (added->filePath().isEmpty()) {
        // Two untitled documents never share a name: the second is "Untitled 2".
        const std::string& title = added->session().snapshot.document.title;
        std::set<int> taken;
        for (const auto& other : m_entries) {
            const VelmoraDocument& open = *other->document;
            if (open.filePath().isEmpty() && open.session().snapshot.document.title == title) {
                taken.insert(open.untitledNumber());
            }
        }
        int number = 1;
        while (taken.count(number) != 0) {
            ++number;
        }
        added->setUntitledNumber(number);
    }
    m_entries.push_back(std::move(entry));
    // A document opened after the last window closed starts a new list.
    m_keepRestoreList = false;
    writeRestoreList();
    emit documentAdded(added);
    return added;
}

VelmoraDocument* VelmoraDocumentController::openUntitledDocumentAndDisplay(bool display) {
    qCInfo(documentLog).noquote() << QStringLiteral("openUntitledDocumentAndDisplay display=") +
                                         (display ? QStringLiteral("true")
                                                  : QStringLiteral("false"));
    VelmoraDocument* document = addDocument(makeUntitledDocument());
    makeWindowControllers(document);
    qCInfo(documentLog).noquote() << QStringLiteral(
                                         "openUntitledDocumentAndDisplay ok controllers=1 ") +
                                         AppLog::describe(windowOf(document));
    if (display) {
        showWindows(document);
    }
    return document;
}

VelmoraDocument* VelmoraDocumentController::newDocument() {
    qCInfo(documentLog) << "newDocument";
    VelmoraDocument* document = openUntitledDocumentAndDisplay(true);
    qCInfo(documentLog).noquote() << QStringLiteral(
                                         "newDocument finished documents=%1 visibleWindows=%2")
                                         .arg(m_entries.size())
                                         .arg(visibleWindowCount());
    return document;
}

VelmoraDocument* VelmoraDocumentController::openDocument(const QString& path, bool display) {
    const QString wanted = canonical(path);
    for (const auto& entry : m_entries) {
        if (!entry->document->filePath().isEmpty() &&
            canonical(entry->document->filePath()) == wanted) {
            if (display) {
                showWindows(entry->document.get());
            }
            return entry->document.get();
        }
    }
    auto document = std::make_unique<VelmoraDocument>(Preferences());
    if (auto error = document->readFile(path, Preferences())) {
        qCCritical(documentLog).noquote()
            << QStringLiteral("openDocument error ") + path + QLatin1Char(' ') + error->message;
        reportOpenError(path, error->message);
        return nullptr;
    }
    if (!document->filePath().isEmpty() &&
        QFileInfo(path).suffix().toLower() == VelmoraDocument::extension) {
        noteRecentDocument(document->filePath());
    }
    VelmoraDocument* opened = addDocument(std::move(document));
    makeWindowControllers(opened);
    if (display) {
        showWindows(opened);
    }
    return opened;
}

void VelmoraDocumentController::reportOpenError(const QString& path, const QString& message) {
    m_dialogs.alert(
        frontWindow(),
        localizedFormat(QStringLiteral("document.openFailed %@"), {QFileInfo(path).fileName()}),
        message);
}

void VelmoraDocumentController::openDocumentsWithDialog(QWidget* parent) {
    const QStringList paths = m_dialogs.openFileNames(parent, LibraryFolder::root(Preferences()),
                                                      documentFilters(), true);
    for (const QString& path : paths) {
        openDocument(path);
    }
}

bool VelmoraDocumentController::saveDocument(VelmoraDocument* document, QWidget* parent) {
    if (document->filePath().isEmpty()) {
        return saveDocumentAs(document, parent);
    }
    if (document->isSavingLatest()) {
        // Pressed again before the save ended: the save underway writes this very state.
        return true;
    }
    // Our own write underway ends first, so that the file it leaves is not taken for another
    // program's. Then another program's version, a move or a deletion is settled, asking when
    // needed.
    document->finishWriting();
    if (!settleWithDisk(document, true)) {
        return false;
    }
    if (document->session().snapshot.document.items.totalCount() >= m_backgroundSaveItems) {
        // Written on the worker thread: the result comes back through `saveFinished`.
        if (auto refusal = document->startSave()) {
            return finishWrite(document, parent, refusal);
        }
        return true;
    }
    return finishWrite(document, parent, document->save());
}

bool VelmoraDocumentController::saveDocumentAs(VelmoraDocument* document, QWidget* parent,
                                               const QString& proposedName) {
    // A document without a file, or whose folder is gone, starts in the library folder.
    const QString folder = QFileInfo(document->filePath()).absolutePath();
    QString directory = document->filePath().isEmpty() || !QFileInfo(folder).isDir()
                            ? LibraryFolder::root(Preferences())
                            : folder;
    QDir().mkpath(directory);
    const QString proposed = DocumentCodec::safeFileName(
                                 proposedName.isEmpty() ? document->displayName() : proposedName) +
                             QLatin1Char('.') + VelmoraDocument::extension;
    QString path = m_dialogs.saveFileName(
        parent, directory, proposed,
        {localized(QStringLiteral("document.filter.documents")) + QStringLiteral(" (*.quenlith)")});
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().toLower() != VelmoraDocument::extension) {
        path += QLatin1Char('.') + VelmoraDocument::extension;
    }
    if (auto error = document->saveAs(path)) {
        m_dialogs.alert(parent,
                        localizedFormat(QStringLiteral("document.saveFailed %@"),
                                        {QFileInfo(path).completeBaseName()}),
                        error->message);
        return false;
    }
    return true;
}

bool VelmoraDocumentController::closeDocument(VelmoraDocument* document) {
    Entry* entry = entryOf(document);
    if (!entry) {
        return true;
    }
    QWidget* parent = windowOf(document);
    if (DocumentWindow* window = windowOf(document)) {
        window->setCurrentDocument(document);
    }
    emit document->commitEditingRequested();
    if (document->filePath().isEmpty()) {
        if (document->isEdited()) {
            switch (m_dialogs.askToSave(parent, document->displayName())) {
            case Dialogs::SaveChoice::cancel:
                return false;
            case Dialogs::SaveChoice::save:
                if (!saveDocumentAs(document, parent)) {
                    return false;
                }
                break;
            case Dialogs::SaveChoice::discard:
                break;
            }
        }
        document->discardAutosave();
    } else if (document->diskStatus().change == DiskFile::Change::removed) {
        // The file is gone: closing asks as for an untitled document, and saving writes it
        // again at its place.
        switch (m_dialogs.askToSave(parent, document->displayName())) {
        case Dialogs::SaveChoice::cancel:
            return false;
        case Dialogs::SaveChoice::save:
            if (!writeMine(document, parent)) {
                return false;
            }
            break;
        case Dialogs::SaveChoice::discard:
            break;
        }
    } else if (!autosave(document, true)) {
        return false;
    }
    // Closed by the user's word: an emergency copy of a file that could not be written goes.
    document->discardAutosave();
    removeDocument(document);
    return true;
}

bool VelmoraDocumentController::closeWindow(DocumentWindow* window) {
    if (windows() == QList<DocumentWindow*>{window}) {
        return closeLastWindow(window);
    }
    for (VelmoraDocument* document : window->documents()) {
        if (!closeDocument(document)) {
            return false;
        }
    }
    return true;
}

// Closing the last window ends the application on Linux, so it does what Quit does: everything
// is autosaved, nothing is asked, and the documents stay in the list to reopen.
bool VelmoraDocumentController::closeLastWindow(DocumentWindow* window) {
    if (!prepareToQuit()) {
        return false;
    }
    Preferences().sync();
    m_keepRestoreList = true;
    for (VelmoraDocument* document : window->documents()) {
        removeDocument(document);
    }
    return true;
}

void VelmoraDocumentController::removeDocument(VelmoraDocument* document) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [document](const auto& entry) {
        return entry->document.get() == document;
    });
    if (it == m_entries.end()) {
        return;
    }
    std::unique_ptr<Entry> entry = std::move(*it);
    m_entries.erase(it);
    writeRestoreList();
    m_arrangement->remove(document);
    entry->view.reset();
    entry->autosave->deleteLater();
    emit documentRemoved(document);
    // The close may have started from one of the document's own signals.
    entry->document.release()->deleteLater();
}

QStringList VelmoraDocumentController::recentDocuments() const {
    Preferences preferences;
    const QStringList stored = preferences.recentDocuments();
    QStringList existing;
    for (const QString& path : stored) {
        if (QFileInfo(path).isFile()) {
            existing.append(path);
        }
    }
    if (existing.size() != stored.size()) {
        // A deleted file leaves the list for good, so that it cannot come back to the menu.
        preferences.setStringList(PreferenceKeys::recentDocuments, existing);
    }
    return existing;
}

void VelmoraDocumentController::noteRecentDocument(const QString& path) {
    Preferences preferences;
    QStringList recent = preferences.recentDocuments();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kMaxRecentDocuments) {
        recent.removeLast();
    }
    preferences.setStringList(PreferenceKeys::recentDocuments, recent);
}

void VelmoraDocumentController::clearRecentDocuments() {
    Preferences().remove(PreferenceKeys::recentDocuments);
}

void VelmoraDocumentController::setAutosaveDelay(int milliseconds) {
    m_autosaveDelay = milliseconds;
    for (const auto& entry : m_entries) {
        entry->autosave->setDelay(milliseconds);
    }
}

bool VelmoraDocumentController::settleWithDisk(VelmoraDocument* document, bool userWaiting) {
    Entry* entry = entryOf(document);
    return !entry || entry->conflicts->settle(userWaiting);
}

bool VelmoraDocumentController::writeMine(VelmoraDocument* document, QWidget* parent) {
    return finishWrite(document, parent, document->saveOver());
}

bool VelmoraDocumentController::finishWrite(VelmoraDocument* document, QWidget* parent,
                                            const std::optional<DocumentError>& error) {
    if (error) {
        reportSaveFailure(document, parent, error->message);
        return false;
    }
    // A file renamed in the file manager renames the document once it is written again.
    document->takeTitleFromFile();
    // A failure episode ends with a write that works.
    if (Entry* entry = entryOf(document)) {
        entry->autosave->noteSaved();
    }
    return true;
}

void VelmoraDocumentController::reportSaveFailure(VelmoraDocument* document, QWidget* parent,
                                                  const QString& message) {
    m_dialogs.alert(
        parent,
        localizedFormat(QStringLiteral("document.saveFailed %@"), {document->displayName()}),
        message);
}

} // namespace velmora
