// Autosaving a document: the state to write is taken on the main thread, and its writer
// (`DocumentWriter`) encodes and writes it, a large document on the writer thread while the user
// goes on typing; the document takes in the result.
#include "app/document/velmora_document.hpp"

#include "app/platform/app_log.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"

namespace velmora {

VelmoraDocument::~VelmoraDocument() = default;

std::optional<DocumentError> VelmoraDocument::prepareAutosave(const Preferences& preferences,
                                                              const QString& untitledFolder,
                                                              std::optional<WriteJob>& job) {
    if (!hasUnautosavedChanges()) {
        return std::nullopt;
    }
    if (!m_filePath.isEmpty()) {
        if (auto refusal = refusalToWriteInPlace()) {
            return refusal;
        }
        job = writeJob(m_filePath);
        job->inPlace = true;
        job->knownVersion = m_disk->versionOnDisk();
        job->clearsEdited = preferences.autosaveClearsEdited();
    } else if (!untitledFolder.isEmpty()) {
        // A name of our own: the document id comes from the file and may hold anything.
        job = writeJob(!m_autosavePath.isEmpty() ? m_autosavePath
                                                 : untitledFolder + QLatin1Char('/') +
                                                       QString::fromStdString(TreeIDs::make()) +
                                                       QLatin1Char('.') + extension);
    }
    return std::nullopt;
}

WriteJob VelmoraDocument::writeJob(const QString& path) const {
    WriteJob job;
    job.path = path;
    job.written = m_changeCount;
    job.snapshot = writtenSnapshot();
    job.settings = m_fileSettings;
    job.previousAutosavePath = m_autosavePath;
    return job;
}

void VelmoraDocument::takeWriteResult(const WriteJob& job, const WriteResult& result) {
    noteWriteResult(result.error);
    if (result.error) {
        return;
    }
    if (job.inPlace) {
        m_disk->adoptOpened(job.path, result.descriptor);
        rememberWritten(job.snapshot.document);
        // Only a write of the latest state makes the emergency copy needless.
        if (job.written == m_changeCount) {
            dropEmergencyCopy();
        }
        // Only a write of the latest state saves the document.
        if (job.clearsEdited && job.written == m_changeCount) {
            markSaved();
            return;
        }
    } else {
        m_autosavePath = job.path;
    }
    m_autosavedCount = job.written;
}

std::optional<DocumentError> VelmoraDocument::autosave(const Preferences& preferences,
                                                       const QString& untitledFolder) {
    finishWriting();
    std::optional<WriteJob> job;
    if (auto refusal = prepareAutosave(preferences, untitledFolder, job)) {
        return refusal;
    }
    if (!job) {
        return std::nullopt;
    }
    const WriteResult result = DocumentWriter::write(*job);
    takeWriteResult(*job, result);
    return result.error;
}

std::optional<DocumentError> VelmoraDocument::startAutosave(const Preferences& preferences,
                                                            const QString& untitledFolder) {
    if (isWriting()) {
        return std::nullopt;
    }
    std::optional<WriteJob> job;
    if (auto refusal = prepareAutosave(preferences, untitledFolder, job)) {
        return refusal;
    }
    if (!job) {
        return std::nullopt;
    }
    m_writer->start(std::move(*job));
    return std::nullopt;
}

std::optional<DocumentError> VelmoraDocument::startSave() {
    finishWriting();
    if (m_filePath.isEmpty()) {
        return DocumentError{localized(QStringLiteral("document.error.noFile"))};
    }
    if (auto refusal = refusalToWriteInPlace()) {
        return refusal;
    }
    WriteJob job = writeJob(m_filePath);
    job.inPlace = true;
    job.knownVersion = m_disk->versionOnDisk();
    job.clearsEdited = true;
    job.save = true;
    m_writer->start(std::move(job));
    emit saveStarted();
    return std::nullopt;
}

void VelmoraDocument::finishWriting() {
    m_writer->finish();
}

void VelmoraDocument::writeEnded(DocumentWriter::Ended ended) {
    const WriteJob& job = ended.job;
    const std::optional<DocumentError>& error = ended.result.error;
    takeWriteResult(job, ended.result);
    // A refusal is settled by the controller: one question, not two. Otherwise whatever else
    // happened to the file meanwhile is looked at now, against our write.
    if (ended.touchedMeanwhile && !(error && error->kind != DocumentError::Kind::failed)) {
        emit diskTouched();
    }
    if (job.save) {
        if (error) {
            qCCritical(documentLog).noquote() << "save error" << job.path << error->message;
        }
        emit saveFinished(error);
        return;
    }
    emit autosaveFinished(error, job.previousAutosavePath);
}

} // namespace velmora
