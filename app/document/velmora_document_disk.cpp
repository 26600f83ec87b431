// The document's file against what other programs do to it: writing in place only over the
// version this document knows, following a renamed file, taking another program's version, and
// keeping an emergency copy while the file cannot be written.
#include "app/document/velmora_document.hpp"

#include "app/document/document_codec.hpp"
#include "app/platform/app_log.hpp"
#include "app/platform/localization.hpp"
#include "core/model/tree_ops.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUndoStack>

namespace velmora {
namespace {

// The other program's document seen the way the user was looking at theirs: the same view, and
// the selection, hoisted branches and edited item wherever their items are still there.
EditorSnapshot keepingPlaceOf(EditorSnapshot theirs, const EditorSnapshot& mine) {
    const ItemList& items = theirs.document.items;
    const auto exists = [&items](const std::optional<std::string>& id) {
        return id && TreeOps::locate(items, *id).has_value();
    };
    theirs.view = mine.view;
    theirs.showAllNotes = mine.showAllNotes;
    theirs.hoistTabs.clear();
    for (const HoistTab& tab : mine.hoistTabs) {
        if (exists(tab.rootId)) {
            theirs.hoistTabs.push_back(tab);
        }
    }
    theirs.activeHoist.reset();
    for (const HoistTab& tab : theirs.hoistTabs) {
        if (tab.id == mine.activeHoist) {
            theirs.activeHoist = tab.id;
        }
    }
    if (exists(mine.selectedId)) {
        theirs.selectedId = mine.selectedId;
        theirs.anchorId = exists(mine.anchorId) ? mine.anchorId : std::nullopt;
        theirs.extraIds.clear();
        for (const std::string& id : mine.extraIds) {
            if (exists(id)) {
                theirs.extraIds.insert(id);
            }
        }
    } else if (!exists(theirs.selectedId)) {
        // The file's own selection may name an item the other program removed.
        theirs.selectedId.reset();
        theirs.anchorId.reset();
        theirs.extraIds.clear();
    }
    theirs.editing =
        mine.editing && exists(mine.editing->id) ? mine.editing : std::optional<EditingTarget>();
    if (mine.columnWidths) {
        theirs.columnWidths = mine.columnWidths;
    }
    return theirs;
}

} // namespace

bool VelmoraDocument::changedOnDisk() const {
    const DiskFile::Change change = m_disk->status().change;
    return change == DiskFile::Change::modified || change == DiskFile::Change::removed;
}

void VelmoraDocument::followMove(const QString& path) {
    qCInfo(documentLog).noquote() << "file moved" << m_filePath << "to" << path;
    // The title follows the new name on the next write.
    setFilePath(path);
}

void VelmoraDocument::setFileProblem(FileProblem problem, const QString& detail) {
    if (problem == m_fileProblem && detail == m_fileProblemDetail) {
        return;
    }
    m_fileProblem = problem;
    m_fileProblemDetail = detail;
    emit fileProblemChanged();
}

QString VelmoraDocument::fileProblemText() const {
    switch (m_fileProblem) {
    case FileProblem::none:
        return {};
    case FileProblem::changedOnDisk:
        return localized(QStringLiteral("document.status.changedOnDisk"));
    case FileProblem::removed:
        return localized(QStringLiteral("document.status.removed"));
    case FileProblem::notSaved:
        return localizedFormat(QStringLiteral("document.status.notSaved %@"),
                               {m_fileProblemDetail});
    }
    return {};
}

void VelmoraDocument::noteWriteResult(const std::optional<DocumentError>& error) {
    if (!error) {
        setFileProblem(FileProblem::none);
        emit fileWritten();
        return;
    }
    switch (error->kind) {
    case DocumentError::Kind::changedOnDisk:
        setFileProblem(FileProblem::changedOnDisk);
        break;
    case DocumentError::Kind::removed:
        setFileProblem(FileProblem::removed);
        break;
    case DocumentError::Kind::failed:
        setFileProblem(FileProblem::notSaved, error->message);
        break;
    }
}

std::optional<DocumentError> VelmoraDocument::refusalToWriteInPlace() {
    // A sync tool, git or another editor may have written the file: theirs is never lost.
    const DiskFile::Status status = m_disk->status();
    std::optional<DocumentError> refusal;
    switch (status.change) {
    case DiskFile::Change::none:
        break;
    case DiskFile::Change::moved:
        followMove(status.movedTo);
        // Written to in its new place, unless it was changed there as well.
        if (m_disk->status().change != DiskFile::Change::none) {
            refusal = DocumentError{localized(QStringLiteral("document.error.changedOnDisk")),
                                    DocumentError::Kind::changedOnDisk};
        }
        break;
    case DiskFile::Change::modified:
        refusal = DocumentError{localized(QStringLiteral("document.error.changedOnDisk")),
                                DocumentError::Kind::changedOnDisk};
        break;
    case DiskFile::Change::removed:
        refusal = DocumentError{localized(QStringLiteral("document.status.removed")),
                                DocumentError::Kind::removed};
        break;
    }
    if (refusal) {
        noteWriteResult(refusal);
    }
    return refusal;
}

std::optional<DocumentError> VelmoraDocument::writeInPlace() {
    if (auto refusal = refusalToWriteInPlace()) {
        return refusal;
    }
    return writeOver();
}

std::optional<DocumentError> VelmoraDocument::writeOver() {
    auto error = DocumentWriter::writeAtomically(m_filePath, data());
    noteWriteResult(error);
    if (!error) {
        m_disk->adopt(m_filePath);
        rememberWritten(documentWithDraft());
        dropEmergencyCopy();
    }
    return error;
}

std::optional<DocumentError> VelmoraDocument::reloadFromDisk(const Preferences& preferences) {
    finishWriting();
    QFile file(m_filePath);
    if (m_filePath.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return DocumentError{file.errorString()};
    }
    const QByteArray bytes = file.readAll();
    file.close();
    auto decoded = DocumentCodec::decodeNative(bytes);
    if (auto* message = std::get_if<QString>(&decoded)) {
        return DocumentError{*message};
    }
    auto& loaded = std::get<DocumentCodec::Loaded>(decoded);
    const EditorSnapshot before = m_session.snapshot;
    m_session.snapshot = keepingPlaceOf(std::move(loaded.snapshot), before);
    m_fileSettings = loaded.settings;
    applyDisplayPreferences(preferences);
    // One step on the undo stack: undo brings back what the window showed before, and the
    // history of the user's own changes stays behind it.
    record(TreeCommand{"undo.reload", before, m_session.snapshot});
    m_disk->adopt(m_filePath);
    rememberRead(m_session.snapshot.document);
    markSaved();
    setFileProblem(FileProblem::none);
    dropEmergencyCopy();
    emit changed();
    return std::nullopt;
}

bool VelmoraDocument::keepEmergencyCopy(const QString& folder) {
    if (m_filePath.isEmpty()) {
        return false;
    }
    if (hasCurrentEmergencyCopy()) {
        return true;
    }
    QDir().mkpath(folder);
    const QString path = !m_autosavePath.isEmpty()
                             ? m_autosavePath
                             : folder + QLatin1Char('/') + QString::fromStdString(TreeIDs::make()) +
                                   QLatin1Char('.') + extension;
    if (auto error = DocumentWriter::writeAtomically(path, data())) {
        qCCritical(documentLog).noquote() << "emergency copy error" << path << error->message;
        return false;
    }
    const bool first = m_autosavePath.isEmpty();
    m_autosavePath = path;
    m_emergencyCount = m_changeCount;
    if (first) {
        qCInfo(documentLog).noquote() << "emergency copy" << m_filePath << "in" << path;
        emit emergencyCopyChanged();
    }
    return true;
}

void VelmoraDocument::adoptEmergencyCopy(const QString& path, const QString& copy) {
    m_fileType = nativeType;
    m_filePath = QFileInfo(path).absoluteFilePath();
    m_disk->adoptGone(m_filePath);
    m_autosavePath = copy;
    // What the copy holds was never written to the file.
    markChanged();
    m_emergencyCount = m_changeCount;
}

void VelmoraDocument::dropEmergencyCopy() {
    if (m_filePath.isEmpty() || m_autosavePath.isEmpty()) {
        return;
    }
    QFile::remove(m_autosavePath);
    m_autosavePath.clear();
    emit emergencyCopyChanged();
}

} // namespace velmora
