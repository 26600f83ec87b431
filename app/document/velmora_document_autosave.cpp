// Autosaving a document: the state to write is taken on the main thread (it shares the tree,
// so taking it costs nothing), and the encoding and writing, which grow with the document,
// can run on a worker thread while the user goes on typing.
#include "app/document/velmora_document.hpp"

#include "app/platform/app_log.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "core/formats/native_document_codec.hpp"

#include <QFile>
#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>

#include <fcntl.h>
#include <unistd.h>

namespace velmora {
namespace {

// One writer for every document: writes follow one another, and the shared pool stays free
// for the spell checker and the library's search.
QThreadPool& writerPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool();
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(30'000);
        return p;
    }();
    return *pool;
}

std::function<void(const QString&)>& beforeLastLook() {
    static std::function<void(const QString&)> hook;
    return hook;
}

// A refusal found on the writer thread is named on the main thread, in the interface language.
void nameRefusal(std::optional<DocumentError>& error) {
    if (!error || !error->message.isEmpty()) {
        return;
    }
    error->message = localized(error->kind == DocumentError::Kind::removed
                                   ? QStringLiteral("document.status.removed")
                                   : QStringLiteral("document.error.changedOnDisk"));
}

} // namespace

void VelmoraDocument::setBeforeLastLookForTesting(std::function<void(const QString&)> hook) {
    beforeLastLook() = std::move(hook);
}

VelmoraDocument::~VelmoraDocument() {
    // The write underway ends before the document goes; nobody is told of it any more.
    if (m_pending) {
        m_pending->result.waitForFinished();
        if (const int descriptor = m_pending->result.result().descriptor; descriptor >= 0) {
            ::close(descriptor);
        }
    }
}

std::optional<DocumentError> VelmoraDocument::prepareAutosave(const Preferences& preferences,
                                                              const QString& untitledFolder,
                                                              std::optional<AutosaveJob>& job) {
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

VelmoraDocument::AutosaveJob VelmoraDocument::writeJob(const QString& path) {
    AutosaveJob job;
    job.path = path;
    job.written = m_changeCount;
    job.snapshot = writtenSnapshot();
    job.settings = m_fileSettings;
    return job;
}

VelmoraDocument::WriteResult VelmoraDocument::runAutosave(const AutosaveJob& job) {
    WriteResult result;
    {
        // Written from the encoded text itself: a copy would double the memory a large file
        // takes.
        const std::string text = NativeDocumentCodec::encode(job.snapshot, job.settings);
        // The file was as this document knew it when the write began, but encoding a large
        // document takes seconds: another program's version that came meanwhile is never
        // replaced, and is settled as any change on disk.
        const auto lastLook = [&job]() -> std::optional<DocumentError> {
            if (const auto& hook = beforeLastLook()) {
                hook(job.path);
            }
            const QString now = DiskFile::versionAt(job.path);
            if (now == job.knownVersion) {
                return std::nullopt;
            }
            return DocumentError{{},
                                 now.isEmpty() ? DocumentError::Kind::removed
                                               : DocumentError::Kind::changedOnDisk};
        };
        result.error = writeAtomically(job.path, text.data(), static_cast<qint64>(text.size()),
                                       job.inPlace ? BeforeReplace(lastLook) : BeforeReplace());
    }
    if (!result.error && job.inPlace) {
        result.descriptor = ::open(QFile::encodeName(job.path).constData(), O_RDONLY | O_CLOEXEC);
    }
    return result;
}

void VelmoraDocument::takeAutosaveResult(const AutosaveJob& job, const WriteResult& result) {
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
    std::optional<AutosaveJob> job;
    if (auto refusal = prepareAutosave(preferences, untitledFolder, job)) {
        return refusal;
    }
    if (!job) {
        return std::nullopt;
    }
    WriteResult result = runAutosave(*job);
    nameRefusal(result.error);
    takeAutosaveResult(*job, result);
    return result.error;
}

std::optional<DocumentError> VelmoraDocument::startAutosave(const Preferences& preferences,
                                                            const QString& untitledFolder) {
    if (m_pending) {
        return std::nullopt;
    }
    std::optional<AutosaveJob> job;
    if (auto refusal = prepareAutosave(preferences, untitledFolder, job)) {
        return refusal;
    }
    if (!job) {
        return std::nullopt;
    }
    startWrite(std::move(*job));
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
    AutosaveJob job = writeJob(m_filePath);
    job.inPlace = true;
    job.knownVersion = m_disk->versionOnDisk();
    job.clearsEdited = true;
    job.save = true;
    startWrite(std::move(job));
    emit saveStarted();
    return std::nullopt;
}

void VelmoraDocument::startWrite(AutosaveJob job) {
    auto pending = std::make_unique<PendingWrite>();
    pending->serial = ++m_writeSerial;
    pending->previousAutosavePath = m_autosavePath;
    auto promise = std::make_shared<QPromise<WriteResult>>();
    pending->result = promise->future();
    writerPool().start([promise, job] {
        promise->start();
        promise->addResult(runAutosave(job));
        promise->finish();
    });
    pending->job = std::move(job);
    auto* watcher = new QFutureWatcher<WriteResult>(this);
    const quint64 serial = pending->serial;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, serial] {
        watcher->deleteLater();
        settleWrite(serial);
    });
    watcher->setFuture(pending->result);
    m_pending = std::move(pending);
}

void VelmoraDocument::finishWriting() {
    if (m_pending) {
        m_pending->result.waitForFinished();
        settleWrite(m_pending->serial);
    }
}

void VelmoraDocument::settleWrite(quint64 serial) {
    if (!m_pending || m_pending->serial != serial) {
        return;
    }
    const std::unique_ptr<PendingWrite> pending = std::move(m_pending);
    WriteResult result = pending->result.result();
    nameRefusal(result.error);
    takeAutosaveResult(pending->job, result);
    if (result.error && result.error->kind != DocumentError::Kind::failed) {
        // The refusal itself is settled by the controller: one question, not two.
        m_touchedWhileWriting = false;
    }
    if (m_touchedWhileWriting) {
        // Whatever else happened to the file meanwhile is looked at now, against our write.
        m_touchedWhileWriting = false;
        emit diskTouched();
    }
    if (pending->job.save) {
        if (result.error) {
            qCCritical(documentLog).noquote()
                << "save error" << pending->job.path << result.error->message;
        }
        emit saveFinished(result.error);
        return;
    }
    emit autosaveFinished(result.error, pending->previousAutosavePath);
}

} // namespace velmora
