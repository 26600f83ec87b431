#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <sys/stat.h>
#include <sys/types.h>

class QFileSystemWatcher;
class QTimer;

namespace velmora {

// A document's file as this program last read or wrote it, and what became of it since: written
// by another program (in place, or replaced by a rename as editors and sync tools do), renamed or
// moved (followed by its inode through a descriptor kept open, so only within its file system),
// or deleted. The file and its folder are watched; every look is checked against the stamp too.
class DiskFile : public QObject {
    Q_OBJECT
public:
    enum class Change { none, modified, moved, removed };
    struct Status {
        Change change = Change::none;
        // Where the file is now, when it moved.
        QString movedTo;
    };

    explicit DiskFile(QObject* parent = nullptr);
    ~DiskFile() override;

    // Takes the file at `path` as it is now as the version this program knows, and watches it.
    void adopt(const QString& path);
    // The same for the file at `path` already opened (the descriptor is taken over; -1 when it
    // could not be opened): the known version is the one opened, whatever another program did
    // to the path since, as for a file this program opens right after writing it.
    void adoptOpened(const QString& path, int descriptor);
    // Watches `path` as a file this program wrote once and has not seen since: whatever is
    // there now, or nothing, is a change to be settled.
    void adoptGone(const QString& path);
    // Goes on watching the same version under a new name (a move followed, a rename by the
    // library); an empty path stops watching.
    void follow(const QString& path);
    [[nodiscard]] const QString& path() const { return m_path; }

    // What happened to the known version since it was adopted; none without one.
    [[nodiscard]] Status status() const;
    // Names the version now at the path (inode, time and size), empty when there is none: a
    // change already dealt with is recognised by it.
    [[nodiscard]] QString versionOnDisk() const;
    // The same for any path; safe on any thread.
    [[nodiscard]] static QString versionAt(const QString& path);

signals:
    // The file or its folder changed; sent once things settle, so a burst of writes is one.
    void touched();

private:
    struct Stamp {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 modifiedNs = 0;
        qint64 size = -1;
        bool operator==(const Stamp&) const = default;
    };
    [[nodiscard]] static std::optional<Stamp> stampOf(const QString& path);
    [[nodiscard]] static std::optional<Stamp> stampOf(const struct stat& info);
    // Where the file the descriptor holds is now linked, if anywhere.
    [[nodiscard]] QString currentPath() const;
    void closeDescriptor();
    void rewatch();

    QString m_path;
    std::optional<Stamp> m_stamp;
    int m_descriptor = -1;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
};

} // namespace velmora
