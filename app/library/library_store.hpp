#pragma once

#include "core/library/library.hpp"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QFileSystemWatcher;
class QTimer;

namespace velmora {

// The application's one holder of the library's state: the last scan of the library folder,
// the searchable texts, the pinned and expanded items and the choice of location. Scans and
// searches run on worker threads and come back to the main thread, where a result is applied
// only when no newer request started meanwhile. After every applied scan and every change of
// the pinned list it posts "velmoraLibrary".
//
// It rescans when it is made, when the application becomes active, when the location changes,
// when something changes in a folder it shows (debounced), and when asked (after saving,
// renaming or moving documents).
class LibraryStore : public QObject {
    Q_OBJECT
public:
    using Entries = std::vector<LibraryEntry>;
    using SearchCompletion = std::function<void(const Entries& matches)>;

    // The shared instance, made on first use for the current user's home and documents folder.
    static LibraryStore& shared();

    // A store for this home folder; `documents` is the desktop's documents folder (the local
    // library lies there), empty for home's "Documents". Starts the first scan.
    explicit LibraryStore(QString home, QString documents, QObject* parent = nullptr);
    ~LibraryStore() override;

    // "local", or "custom" when a custom folder is stored. There is no cloud drive on Linux: a
    // stored "iCloud" reads as local.
    [[nodiscard]] LibraryLocation location() const;
    [[nodiscard]] std::optional<QString> customFolder() const;
    // The library's root folder.
    [[nodiscard]] QString root() const;
    // The root folder the location would give, with the custom folder for `custom`.
    [[nodiscard]] QString rootFor(LibraryLocation location,
                                  const std::optional<QString>& customFolder) const;

    // Starts a background scan of the root (made first when missing).
    void rescan();
    // Stores the choice of location (and the custom folder when given), then rescans.
    void setLocation(LibraryLocation location, const std::optional<QString>& customFolder);
    // After the library's contents moved from one root to another: rewrites the pinned,
    // expanded and recent paths below the old root, then rescans.
    void moveRoot(const QString& oldRoot, const QString& newRoot);
    // After one file or folder moved or was renamed: rewrites the pinned, expanded and recent
    // paths at or below it, under the new path as given. No rescan.
    void rewritePaths(const QString& from, const QString& to);

    // Searches the documents of the last scan for the query on a worker thread; the completion
    // runs on the main thread, and only when the requester (a sidebar) started no newer search
    // meanwhile. Each requester's searches are counted apart, so that every window gets the
    // answer to its own last query.
    void search(const QObject* requester, const QString& query, SearchCompletion completion);

    // The last applied scan; empty until the first one is in.
    [[nodiscard]] const Entries& entries() const { return *m_entries; }
    // The same, shared: stays valid while held, whatever scans come later.
    [[nodiscard]] std::shared_ptr<const Entries> sharedEntries() const { return m_entries; }
    [[nodiscard]] bool hasScanned() const { return m_scanned; }
    [[nodiscard]] quint64 scanGeneration() const { return m_scanGeneration; }
    [[nodiscard]] quint64 searchGeneration() const { return m_searchGeneration; }

    // The pinned files and folders that exist, in pinning order.
    [[nodiscard]] Entries pinned() const;
    [[nodiscard]] bool isPinned(const QString& path) const;
    // Pins an unpinned path and unpins a pinned one; posts "velmoraLibrary".
    void togglePin(const QString& path);
    // The recently opened document files that exist, most recent first.
    [[nodiscard]] Entries recentDocuments() const;
    // The folders shown expanded in the sidebar.
    [[nodiscard]] QStringList expanded() const;
    void setExpanded(const QString& path, bool expanded);

    // The entry of a file or folder: from the last scan when it is there, else read now.
    [[nodiscard]] std::optional<LibraryEntry> entryAt(const QString& path) const;

    // Asks every sidebar to show itself and select the file or folder once it is scanned.
    void reveal(const QString& path);

    // The paths the file watcher is watching (the root and the folders of the last scan).
    [[nodiscard]] QStringList watchedFolders() const;

    static std::filesystem::path toPath(const QString& path);
    static QString fromPath(const std::filesystem::path& path);

signals:
    // A scan was applied (just before "velmoraLibrary" is posted).
    void scanned();
    // Sidebars show themselves and select the path.
    void revealRequested(const QString& path);

private:
    // The stored paths as the sidebar's rows name them (see `seenBelow`), each once.
    [[nodiscard]] QStringList asSeen(const QStringList& stored) const;
    void applyScan(quint64 generation, const QString& root, Entries entries);
    void watch(const QString& root);
    void scheduleRescan();

    QString m_home;
    QString m_documents;
    std::shared_ptr<const Entries> m_entries;
    // Only the search worker touches the texts; searches run one at a time.
    std::shared_ptr<Library::TextCache> m_texts;
    quint64 m_scanGeneration = 0;
    quint64 m_searchGeneration = 0;
    // The newest request numbers (of scans, and of each requester's searches), read by workers
    // so that a stale request is skipped unrun.
    std::shared_ptr<std::atomic<quint64>> m_latestScan;
    QHash<const QObject*, std::shared_ptr<std::atomic<quint64>>> m_latestSearches;
    bool m_scanned = false;
    QThreadPool m_scans;
    QThreadPool m_searches;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_debounce = nullptr;
};

} // namespace velmora
