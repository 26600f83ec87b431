// The document controller against other programs: a file changed, replaced, renamed or
// deleted while its document is open. Another program's version is never written over without
// the user's word, and nothing the user typed is dropped without it either.
#include "app/shell/velmora_document_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/controller_entry.hpp"

namespace velmora {

bool VelmoraDocumentController::settleWithDisk(VelmoraDocument* document, bool userWaiting) {
    Entry* entry = entryOf(document);
    if (!entry || document->filePath().isEmpty()) {
        return true;
    }
    if (entry->settling) {
        return false;
    }
    DiskFile::Status status = document->diskStatus();
    if (status.change == DiskFile::Change::moved) {
        // Renamed or moved within its file system: the tab, the title and the next save follow.
        document->followMove(status.movedTo);
        status = document->diskStatus();
    }
    switch (status.change) {
    case DiskFile::Change::none:
    case DiskFile::Change::moved:
        // Back as it was (a checkout restored it, say).
        if (document->fileProblem() == FileProblem::changedOnDisk ||
            document->fileProblem() == FileProblem::removed) {
            document->setFileProblem(FileProblem::none);
        }
        return true;
    case DiskFile::Change::removed:
        if (document->fileProblem() != FileProblem::removed) {
            qCInfo(documentLog).noquote() << "file removed" << document->filePath();
            document->setFileProblem(FileProblem::removed);
            // What the window shows is now nowhere on disk.
            document->markChanged();
        }
        if (!userWaiting) {
            return false;
        }
        entry->settling = true;
        {
            const Dialogs::RemovedChoice choice =
                m_dialogs.askToSaveAgain(windowOf(document), document->displayName());
            entry->settling = false;
            switch (choice) {
            case Dialogs::RemovedChoice::saveAgain:
                return writeMine(document, windowOf(document));
            case Dialogs::RemovedChoice::saveAs:
                return saveDocumentAs(document, windowOf(document));
            case Dialogs::RemovedChoice::cancel:
                break;
            }
            return false;
        }
    case DiskFile::Change::modified:
        break;
    }
    const QString version = document->versionOnDisk();
    const bool seen = version == entry->settledVersion;
    // Autosaved typing is the user's too: a version made before that write is merged with it.
    if (!document->hasUnautosavedChanges() && !userWaiting && !document->diskVersionMissesOurs()) {
        // Nothing of the user's would be lost: the other program's version simply shows. One
        // that cannot be read (still being written, say) is tried again when it changes.
        if (seen || !takeTheirs(document, false)) {
            return false;
        }
        entry->settledVersion = version;
        return true;
    }
    document->setFileProblem(FileProblem::changedOnDisk);
    // Never asked twice about the same version, unless the user is saving, closing or quitting.
    if (seen && !userWaiting) {
        return false;
    }
    entry->settledVersion = version;
    // Both sides changed the document: merged item by item; asked only when that cannot be.
    if (const auto merged = mergeWithDisk(document)) {
        return *merged;
    }
    return askAboutConflict(document);
}

bool VelmoraDocumentController::askAboutConflict(VelmoraDocument* document) {
    Entry* entry = entryOf(document);
    QWidget* parent = windowOf(document);
    entry->settling = true;
    const Dialogs::ConflictChoice choice =
        m_dialogs.askAboutChangeOnDisk(parent, document->displayName());
    entry->settling = false;
    switch (choice) {
    case Dialogs::ConflictChoice::keepMine:
        return writeMine(document, parent);
    case Dialogs::ConflictChoice::takeTheirs:
        return takeTheirs(document, true);
    case Dialogs::ConflictChoice::saveCopy:
        // Theirs stays in the file; the window goes on with the user's version in the copy.
        return saveDocumentAs(document, parent,
                              localizedFormat(QStringLiteral("document.conflict.copyName %@"),
                                              {document->displayName()}));
    case Dialogs::ConflictChoice::later:
        break;
    }
    return false;
}

bool VelmoraDocumentController::takeTheirs(VelmoraDocument* document, bool chosen) {
    emit document->commitEditingRequested();
    const auto error = document->reloadFromDisk(Preferences());
    if (!error) {
        return true;
    }
    qCCritical(documentLog).noquote() << "reload error" << document->filePath() << error->message;
    // Perhaps still being written: the next change of the file tries again.
    document->setFileProblem(FileProblem::changedOnDisk);
    if (chosen) {
        m_dialogs.alert(
            windowOf(document),
            // The document stays open as it was; only the other version could not be read.
            localizedFormat(QStringLiteral("document.reloadFailed %@"), {document->displayName()}),
            error->message);
    }
    return false;
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
    // A failure episode ends with a write that works.
    if (Entry* entry = entryOf(document)) {
        entry->failureReported = false;
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
