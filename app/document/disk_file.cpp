#include "app/document/disk_file.hpp"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

// Long enough for a sync tool's write-and-rename to finish before the file is looked at.
constexpr int kSettleMs = 150;

} // namespace

DiskFile::DiskFile(QObject* parent)
    : QObject(parent), m_watcher(new QFileSystemWatcher(this)), m_settle(new QTimer(this)) {
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
    connect(m_settle, &QTimer::timeout, this, [this] {
        // A file replaced by a rename is a new file: the watch on the old one is gone.
        rewatch();
        emit touched();
    });
}

DiskFile::~DiskFile() {
    closeDescriptor();
}

std::optional<DiskFile::Stamp> DiskFile::stampOf(const QString& path) {
    struct stat info {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return stampOf(info);
}

std::optional<DiskFile::Stamp> DiskFile::stampOf(const struct stat& info) {
    if (!S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return Stamp{info.st_dev, info.st_ino,
                 qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec,
                 qint64(info.st_size)};
}

void DiskFile::closeDescriptor() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

void DiskFile::adopt(const QString& path) {
    adoptOpened(path, path.isEmpty()
                          ? -1
                          : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
}

void DiskFile::adoptOpened(const QString& path, int descriptor) {
    closeDescriptor();
    m_path = path;
    struct stat info {};
    m_stamp = descriptor >= 0 && ::fstat(descriptor, &info) == 0 ? stampOf(info) : stampOf(path);
    if (m_stamp && descriptor >= 0) {
        // Held open so that the file can be found again after a rename or a move.
        m_descriptor = descriptor;
    } else if (descriptor >= 0) {
        ::close(descriptor);
    }
    rewatch();
}

void DiskFile::adoptGone(const QString& path) {
    closeDescriptor();
    m_path = path;
    // No file has this stamp: one at the path is another version, and none is a deletion.
    m_stamp = Stamp{};
    rewatch();
}

void DiskFile::follow(const QString& path) {
    if (path.isEmpty()) {
        closeDescriptor();
        m_stamp.reset();
    }
    m_path = path;
    rewatch();
}

void DiskFile::rewatch() {
    if (!m_watcher->files().isEmpty()) {
        m_watcher->removePaths(m_watcher->files());
    }
    if (!m_watcher->directories().isEmpty()) {
        m_watcher->removePaths(m_watcher->directories());
    }
    if (m_path.isEmpty()) {
        return;
    }
    // The folder too: an editor that saves by renaming a new file over the old one, a move and
    // a deletion show there.
    const QString folder = QFileInfo(m_path).absolutePath();
    if (QFileInfo(folder).isDir()) {
        m_watcher->addPath(folder);
    }
    if (QFileInfo(m_path).isFile()) {
        m_watcher->addPath(m_path);
    }
}

QString DiskFile::currentPath() const {
    if (m_descriptor < 0 || !m_stamp) {
        return {};
    }
    struct stat held {};
    if (::fstat(m_descriptor, &held) != 0 || held.st_nlink == 0) {
        return {};
    }
    const auto sameFile = [&](const QString& candidate) {
        const auto stamp = stampOf(candidate);
        return stamp && stamp->device == held.st_dev && stamp->inode == held.st_ino;
    };
    // Linux names the file a descriptor holds.
    const QString link = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(m_descriptor));
    if (!link.isEmpty() && sameFile(link)) {
        return link;
    }
    // Elsewhere, a rename within its folder is still found.
    const QDir folder = QFileInfo(m_path).absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (sameFile(folder.filePath(name))) {
            return folder.filePath(name);
        }
    }
    return {};
}

DiskFile::Status DiskFile::status() const {
    if (m_path.isEmpty() || !m_stamp) {
        return {};
    }
    if (const auto now = stampOf(m_path)) {
        return {*now == *m_stamp ? Change::none : Change::modified, {}};
    }
    if (const QString moved = currentPath(); !moved.isEmpty()) {
        return {Change::moved, moved};
    }
    return {Change::removed, {}};
}

QString DiskFile::versionOnDisk() const {
    return versionAt(m_path);
}

QString DiskFile::versionAt(const QString& path) {
    const auto now = stampOf(path);
    if (!now) {
        return {};
    }
    return QStringLiteral("%1:%2:%3:%4")
        .arg(now->device)
        .arg(now->inode)
        .arg(now->modifiedNs)
        .arg(now->size);
}

} // namespace velmora
