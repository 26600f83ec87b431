#include "app/document/document_writer.hpp"

#include "app/document/disk_file.hpp"
#include "app/platform/localization.hpp"
#include "core/formats/native_document_codec.hpp"

#include <QFile>
#include <QFutureWatcher>
#include <QPromise>
#include <QSaveFile>
#include <QThreadPool>

#include <cerrno>
#include <fcntl.h>
#include <memory>
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

DocumentWriter::DocumentWriter(EndHandler onEnd, QObject* parent)
    : QObject(parent), m_onEnd(std::move(onEnd)) {}

DocumentWriter::~DocumentWriter() {
    if (m_state != WriteState::idle) {
        m_result.waitForFinished();
        if (const int descriptor = m_result.result().descriptor; descriptor >= 0) {
            ::close(descriptor);
        }
    }
}

void DocumentWriter::setBeforeLastLookForTesting(std::function<void(const QString&)> hook) {
    beforeLastLook() = std::move(hook);
}

WriteResult DocumentWriter::write(const WriteJob& job) {
    WriteResult result = run(job);
    nameRefusal(result.error);
    return result;
}

WriteResult DocumentWriter::run(const WriteJob& job) {
    WriteResult result;
    {
        // Written from the encoded text itself: a copy would double the memory a large file
        // takes.
        const std::string text = NativeDocumentCodec::encode(job.snapshot, job.settings);
        // The file was as the document knew it when the write began, but encoding a large
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

void DocumentWriter::start(WriteJob job) {
    if (m_state != WriteState::idle) {
        return;
    }
    auto promise = std::make_shared<QPromise<WriteResult>>();
    m_result = promise->future();
    writerPool().start([promise, job] {
        promise->start();
        promise->addResult(run(job));
        promise->finish();
    });
    m_state = job.save ? WriteState::saving : WriteState::autosaving;
    m_job = std::move(job);
    m_touchedMeanwhile = false;
    auto* watcher = new QFutureWatcher<WriteResult>(this);
    const quint64 serial = ++m_serial;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, serial] {
        watcher->deleteLater();
        settle(serial);
    });
    watcher->setFuture(m_result);
}

void DocumentWriter::finish() {
    if (m_state != WriteState::idle) {
        m_result.waitForFinished();
        settle(m_serial);
    }
}

bool DocumentWriter::noteTouched() {
    if (m_state == WriteState::idle) {
        return false;
    }
    m_touchedMeanwhile = true;
    return true;
}

void DocumentWriter::settle(quint64 serial) {
    // A watcher of a write that `finish` already settled arrives late.
    if (m_state == WriteState::idle || serial != m_serial) {
        return;
    }
    Ended ended{std::move(m_job), m_result.result(), m_touchedMeanwhile};
    m_state = WriteState::idle;
    m_job = {};
    m_touchedMeanwhile = false;
    nameRefusal(ended.result.error);
    m_onEnd(std::move(ended));
}

std::optional<DocumentError> DocumentWriter::writeAtomically(const QString& path,
                                                             const QByteArray& bytes) {
    return writeAtomically(path, bytes.constData(), bytes.size());
}

std::optional<DocumentError> DocumentWriter::writeAtomically(const QString& path, const char* bytes,
                                                             qint64 size,
                                                             const BeforeReplace& beforeReplace) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return DocumentError{file.errorString()};
    }
    // The write is buffered: a full disk shows only when the buffer goes out, and a commit
    // after a failed flush would put a cut-off file in place of the good one.
    const bool written = file.write(bytes, size) == size && file.flush();
    // A failed flush leaves no reason of its own; the system's is taken at once.
    const int code = errno;
    if (!written) {
        const QString reason = code != 0 ? qt_error_string(code) : file.errorString();
        file.cancelWriting();
        return DocumentError{reason};
    }
    if (beforeReplace) {
        // On the disk before the last look, so that little but the rename follows it.
        ::fsync(file.handle());
        if (auto refusal = beforeReplace()) {
            file.cancelWriting();
            return refusal;
        }
    }
    if (!file.commit()) {
        return DocumentError{file.errorString()};
    }
    return std::nullopt;
}

} // namespace velmora
