// The autosave side of the document controller: writing changes a few seconds after they
// happen and on quit, and bringing the documents back at the next start.
#include "app/shell/velmora_document_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/dialogs.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/controller_entry.hpp"
#include "app/shell/restore_list.hpp"
#include "app/window/document_window.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace velmora {

QString VelmoraDocumentController::autosaveFolder() const {
    return QDir(m_dataFolder).filePath(QStringLiteral("Autosave"));
}

QString VelmoraDocumentController::restoreListFile() const {
    return QDir(m_dataFolder).filePath(QStringLiteral("open-documents.json"));
}

bool VelmoraDocumentController::autosave(VelmoraDocument* document, bool userWaiting) {
    Entry* entry = entryOf(document);
    if (!entry) {
        return true;
    }
    entry->autosave->stop();
    // A write underway ends first (its result is taken in like any other).
    document->finishWriting();
    if (!document->hasUnautosavedChanges()) {
        return true;
    }
    const QString folder = autosaveFolder();
    if (document->filePath().isEmpty()) {
        QDir().mkpath(folder);
    }
    const QString autosavePath = document->autosavePath();
    auto error = document->autosave(Preferences(), folder);
    if (error && error->kind != DocumentError::Kind::failed) {
        // Another program changed or deleted the file: never written over without asking. The
        // status line says so meanwhile, and the emergency copy keeps what the window shows.
        if (!settleWithDisk(document, userWaiting)) {
            document->keepEmergencyCopy(folder);
            return false;
        }
        error = document->autosave(Preferences(), folder);
        if (error && error->kind != DocumentError::Kind::failed) {
            document->keepEmergencyCopy(folder);
            return false;
        }
    }
    return tookAutosaveResult(document, error, autosavePath);
}

void VelmoraDocumentController::autosaveInBackground(VelmoraDocument* document) {
    Entry* entry = entryOf(document);
    if (!entry || document->isWriting()) {
        // The end of the write underway schedules the next one.
        return;
    }
    entry->autosave->stop();
    if (!document->hasUnautosavedChanges()) {
        return;
    }
    const QString folder = autosaveFolder();
    if (document->filePath().isEmpty()) {
        QDir().mkpath(folder);
    }
    auto refusal = document->startAutosave(Preferences(), folder);
    if (refusal) {
        // The file changed on disk: settled (and written, where that is the answer) at once.
        autosave(document);
    }
}

void VelmoraDocumentController::backgroundAutosaveFinished(
    VelmoraDocument* document, const std::optional<DocumentError>& error,
    const QString& previousAutosavePath) {
    if (!entryOf(document)) {
        return;
    }
    if (error && error->kind != DocumentError::Kind::failed) {
        // Another program's version came while ours was written: it stayed on disk, and is
        // settled (and ours written, where that is the answer) as any change on disk.
        autosave(document);
        return;
    }
    // Changes made while it was written are written next (see `AutosaveScheduler`).
    tookAutosaveResult(document, error, previousAutosavePath);
}

bool VelmoraDocumentController::tookAutosaveResult(VelmoraDocument* document,
                                                   const std::optional<DocumentError>& error,
                                                   const QString& previousAutosavePath) {
    Entry* entry = entryOf(document);
    if (!error) {
        // A file renamed in the file manager renames the document once it is written again.
        document->takeTitleFromFile();
        entry->autosave->noteWritten();
        if (document->autosavePath() != previousAutosavePath) {
            // An untitled document now has a file to come back from after a crash.
            writeRestoreList();
        }
        return true;
    }
    qCCritical(documentLog).noquote() << QStringLiteral("autosave error ") +
                                             document->displayName() + QLatin1Char(' ') +
                                             error->message;
    // Until the file can be written again, a crash or a kill loses nothing.
    document->keepEmergencyCopy(autosaveFolder());
    // One alert for the whole episode; the status line keeps saying it until a write works.
    if (entry->autosave->noteFailed()) {
        reportSaveFailure(document, windowOf(document), error->message);
    }
    return false;
}

bool VelmoraDocumentController::autosaveAll() {
    bool allWritten = true;
    for (VelmoraDocument* document : documents()) {
        // The text being typed is written with the document; its editor stays open.
        allWritten = autosave(document) && allWritten;
    }
    return allWritten;
}

void VelmoraDocumentController::writeRestoreList() {
    if (m_keepRestoreList) {
        return;
    }
    const bool keepWindows = Preferences().quitAlwaysKeepsWindows();
    QList<RestoreEntry> list;
    for (VelmoraDocument* document : documents()) {
        if (!document->filePath().isEmpty()) {
            if (!document->autosavePath().isEmpty()) {
                // Its file could not be written: it comes back from its emergency copy.
                list.append({document->filePath(), document->autosavePath()});
            } else if (keepWindows) {
                list.append({document->filePath(), {}});
            }
        } else if (!document->autosavePath().isEmpty()) {
            list.append({{}, document->autosavePath()});
        }
    }
    QDir().mkpath(m_dataFolder);
    if (!RestoreList::write(restoreListFile(), list)) {
        qCCritical(documentLog).noquote()
            << QStringLiteral("writeRestoreList could not write ") + restoreListFile();
    }
}

bool VelmoraDocumentController::prepareToQuit() {
    bool allWritten = true;
    for (const auto& entry : m_entries) {
        // A failure reported earlier is reported again, and a question about the file asked
        // again: the user is about to quit.
        entry->autosave->reportNextFailure();
        VelmoraDocument* document = entry->document.get();
        // A file that cannot be written keeps the quit from losing anything through its
        // emergency copy, so the quit goes on.
        allWritten =
            (autosave(document, true) || document->hasCurrentEmergencyCopy()) && allWritten;
    }
    if (!allWritten) {
        return false;
    }
    writeRestoreList();
    return true;
}

VelmoraDocument* VelmoraDocumentController::restoreEmergencyCopy(const QString& path,
                                                                 const QString& copy) {
    QFile file(copy);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    auto document = std::make_unique<VelmoraDocument>(Preferences());
    if (auto error = document->read(file.readAll(), VelmoraDocument::nativeType, Preferences())) {
        qCCritical(documentLog).noquote()
            << QStringLiteral("restore error ") + copy + QLatin1Char(' ') + error->message;
        return nullptr;
    }
    document->adoptEmergencyCopy(path, copy);
    qCInfo(documentLog).noquote() << "restored from emergency copy" << path << copy;
    // What became of the file is settled as any change on disk, once the user edits or saves:
    // a deleted file is asked about before it is written again, another version before it is
    // replaced. The status line says which meanwhile.
    const DiskFile::Change change = document->diskStatus().change;
    document->setFileProblem(change == DiskFile::Change::removed ? FileProblem::removed
                                                                 : FileProblem::changedOnDisk);
    return addDocument(std::move(document));
}

VelmoraDocument* VelmoraDocumentController::restoreUntitled(const QString& autosavePath) {
    QFile file(autosavePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return nullptr;
    }
    auto document = std::make_unique<VelmoraDocument>(Preferences());
    if (auto error = document->read(file.readAll(), VelmoraDocument::nativeType, Preferences())) {
        qCCritical(documentLog).noquote()
            << QStringLiteral("restore error ") + autosavePath + QLatin1Char(' ') + error->message;
        return nullptr;
    }
    document->setAutosavePath(autosavePath);
    // Its content was never saved by the user: it stays edited and asks for a place.
    document->markChanged();
    return addDocument(std::move(document));
}

int VelmoraDocumentController::restoreDocuments() {
    const QList<RestoreEntry> list = RestoreList::read(restoreListFile());
    QFile::remove(restoreListFile());
    const bool keepWindows = Preferences().quitAlwaysKeepsWindows();
    const QString folder = QFileInfo(autosaveFolder()).absoluteFilePath();
    QSet<QString> restoredAutosaves;
    int restored = 0;
    for (const RestoreEntry& entry : list) {
        if (!entry.autosave.isEmpty()) {
            // Only files inside our own autosave folder are taken.
            const QString path = QFileInfo(entry.autosave).absoluteFilePath();
            if (QFileInfo(path).absolutePath() != folder || restoredAutosaves.contains(path)) {
                continue;
            }
            if (!entry.path.isEmpty()) {
                if (restoreEmergencyCopy(entry.path, path)) {
                    restoredAutosaves.insert(path);
                    ++restored;
                }
            } else if (restoreUntitled(path)) {
                restoredAutosaves.insert(path);
                ++restored;
            }
        } else if (keepWindows && QFileInfo(entry.path).isFile()) {
            if (VelmoraDocument* document = openDocument(entry.path, false)) {
                Q_UNUSED(document);
                ++restored;
            }
        }
    }
    // Untitled documents autosaved before a crash are not in the list: they come back too.
    const QStringList leftOver = QDir(folder).entryList(
        {QStringLiteral("*.") + VelmoraDocument::extension}, QDir::Files, QDir::Name);
    for (const QString& name : leftOver) {
        const QString path = QDir(folder).filePath(name);
        if (!restoredAutosaves.contains(path) && restoreUntitled(path)) {
            ++restored;
        }
    }
    qCInfo(documentLog).noquote() << QStringLiteral("restoreDocuments restored=%1").arg(restored);
    return restored;
}

} // namespace velmora
