#include "app/library/library_store.hpp"

#include "core/library/conflict_copies.hpp"

#include "app/platform/library_folder.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/preferences.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QPointer>
#include <QSet>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// Changes on disk often come in bursts (a save writes a temporary file, then renames it).
constexpr int kRescanDelayMs = 250;

// The path with symbolic links resolved where it exists, else cleaned: a moved-away root no
// longer exists but must still compare equal to the paths stored below it.
QString standardised(const QString& path) {
    const QFileInfo info(path);
    if (info.exists()) {
        return info.canonicalFilePath();
    }
    const QFileInfo parent(info.absolutePath());
    if (parent.exists()) {
        return QDir(parent.canonicalFilePath()).filePath(info.fileName());
    }
    return QDir::cleanPath(info.absoluteFilePath());
}

// Rewrites one stored list after `from` moved to `to`: paths that still exist stay, the moved
// path itself and the paths below it follow it, and anything else stays as it is. A path is
// found under `from` as given or with its symbolic links resolved (as earlier versions stored
// them), and is written under `to` as given, the way the user sees it: a library reached
// through a link keeps its paths under the link.
QStringList rewritten(const QStringList& paths, const QString& from, const QString& to) {
    const QString given = QDir::cleanPath(QFileInfo(from).absoluteFilePath());
    const QString resolved = standardised(from);
    const QString target = QDir::cleanPath(QFileInfo(to).absoluteFilePath());
    QStringList out;
    out.reserve(paths.size());
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) {
            out.append(path);
            continue;
        }
        QString moved = path;
        for (const QString& old : {given, resolved}) {
            if (path == old) {
                moved = target;
                break;
            }
            if (path.startsWith(old + QLatin1Char('/'))) {
                moved = target + path.mid(old.size());
                break;
            }
        }
        out.append(moved);
    }
    return out;
}

// The path as it lies below `root` as the user sees it, when it was stored below the root with
// its symbolic links resolved; any other path as it is.
QString seenBelow(const QString& path, const QString& root, const QString& resolvedRoot) {
    if (resolvedRoot.isEmpty() || resolvedRoot == root) {
        return path;
    }
    if (path == resolvedRoot) {
        return root;
    }
    if (path.startsWith(resolvedRoot + QLatin1Char('/'))) {
        return root + path.mid(resolvedRoot.size());
    }
    return path;
}

void collectFolders(const std::vector<LibraryEntry>& entries, QSet<QString>& into) {
    for (const auto& entry : entries) {
        if (entry.isFolder) {
            into.insert(LibraryStore::fromPath(entry.url));
            collectFolders(entry.children, into);
        }
    }
}

const LibraryEntry* find(const std::vector<LibraryEntry>& entries, const fs::path& path) {
    for (const auto& entry : entries) {
        if (entry.url == path) {
            return &entry;
        }
        // Only a folder on the way down can hold it.
        if (entry.isFolder) {
            const auto& folder = entry.url.native();
            const auto& wanted = path.native();
            if (wanted.size() > folder.size() && wanted.compare(0, folder.size(), folder) == 0 &&
                wanted[folder.size()] == '/') {
                return find(entry.children, path);
            }
        }
    }
    return nullptr;
}

std::optional<FileTime> modified(const QFileInfo& info) {
    if (!info.exists()) {
        return std::nullopt;
    }
    const auto ms = info.lastModified().toMSecsSinceEpoch();
    return FileTime(std::chrono::milliseconds(ms));
}

} // namespace

fs::path LibraryStore::toPath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

QString LibraryStore::fromPath(const fs::path& path) {
    return QFile::decodeName(path.c_str());
}

LibraryStore& LibraryStore::shared() {
    static auto* store =
        new LibraryStore(QDir::homePath(),
                         QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                         QCoreApplication::instance());
    return *store;
}

LibraryStore::LibraryStore(QString home, QString documents, QObject* parent)
    : QObject(parent), m_home(std::move(home)), m_documents(std::move(documents)),
      m_entries(std::make_shared<const Entries>()),
      m_texts(std::make_shared<Library::TextCache>()),
      m_latestScan(std::make_shared<std::atomic<quint64>>(0)) {
    // One scan and one search at a time; a newer request makes the queued ones moot.
    m_scans.setMaxThreadCount(1);
    m_searches.setMaxThreadCount(1);
    m_watcher = new QFileSystemWatcher(this);
    m_debounce = new QTimer(this);
    m_debounce->setSingleShot(true);
    m_debounce->setInterval(kRescanDelayMs);
    connect(m_debounce, &QTimer::timeout, this, &LibraryStore::rescan);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &LibraryStore::scheduleRescan);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    if (state == Qt::ApplicationActive) {
                        scheduleRescan();
                    }
                });
    }
    rescan();
}

LibraryStore::~LibraryStore() {
    // Results still on their way find no store and are dropped.
    m_latestScan->store(0);
    for (const auto& latest : std::as_const(m_latestSearches)) {
        latest->store(0);
    }
    m_scans.waitForDone();
    m_searches.waitForDone();
}

LibraryLocation LibraryStore::location() const {
    return LibraryFolder::location(Preferences(), m_home);
}

std::optional<QString> LibraryStore::customFolder() const {
    const QString path = Preferences().libraryCustomPath();
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QDir::cleanPath(path);
}

QString LibraryStore::root() const {
    return LibraryFolder::root(Preferences(), m_home, m_documents);
}

QString LibraryStore::rootFor(LibraryLocation location,
                             const std::optional<QString>& customFolder) const {
    const auto folder = Library::root(
        location, toPath(m_home),
        customFolder ? std::optional(toPath(QDir::cleanPath(*customFolder))) : std::nullopt,
        m_documents.isEmpty() ? std::nullopt : std::optional(toPath(m_documents)));
    if (folder) {
        return fromPath(*folder);
    }
    const QString base =
        m_documents.isEmpty() ? QDir(m_home).filePath(QStringLiteral("Documents")) : m_documents;
    return QDir(base).filePath(LibraryFolder::folderName);
}

void LibraryStore::rescan() {
    m_debounce->stop();
    Preferences preferences;
    const QString settled = QString::fromUtf8(rawValue(location()).data());
    if (preferences.storedString(PreferenceKeys::libraryLocation) != settled) {
        preferences.setString(PreferenceKeys::libraryLocation, settled);
    }
    const quint64 generation = ++m_scanGeneration;
    m_latestScan->store(generation);
    const QString folder = root();
    QPointer<LibraryStore> self(this);
    auto latest = m_latestScan;
    m_scans.start([self, latest, generation, folder] {
        if (latest->load() != generation) {
            return;
        }
        const fs::path path = toPath(folder);
        std::error_code error;
        fs::create_directories(path, error);
        auto entries = Library::scan(path);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, generation, folder, entries = std::move(entries)]() mutable {
                if (self) {
                    self->applyScan(generation, folder, std::move(entries));
                }
            },
            Qt::QueuedConnection);
    });
}

void LibraryStore::applyScan(quint64 generation, const QString& root, Entries entries) {
    if (generation != m_scanGeneration) {
        return;
    }
    m_entries = std::make_shared<const Entries>(std::move(entries));
    m_scanned = true;
    watch(root);
    emit scanned();
    Notifications::shared().post(Notifications::library);
}

void LibraryStore::watch(const QString& root) {
    QSet<QString> wanted{root};
    collectFolders(*m_entries, wanted);
    const QStringList current = m_watcher->directories();
    QStringList gone;
    for (const QString& path : current) {
        if (!wanted.remove(path)) {
            gone.append(path);
        }
    }
    if (!gone.isEmpty()) {
        m_watcher->removePaths(gone);
    }
    if (!wanted.isEmpty()) {
        m_watcher->addPaths(QStringList(wanted.begin(), wanted.end()));
    }
}

void LibraryStore::reveal(const QString& path) {
    setExpanded(QFileInfo(path).absolutePath(), true);
    rescan();
    emit revealRequested(path);
}

QStringList LibraryStore::watchedFolders() const {
    return m_watcher->directories();
}

void LibraryStore::scheduleRescan() {
    m_debounce->start();
}

void LibraryStore::setLocation(LibraryLocation location,
                               const std::optional<QString>& customFolder) {
    Preferences preferences;
    if (customFolder) {
        preferences.setString(PreferenceKeys::libraryCustomPath, *customFolder);
    }
    preferences.setString(PreferenceKeys::libraryLocation,
                          QString::fromUtf8(rawValue(location).data()));
    rescan();
}

void LibraryStore::rewritePaths(const QString& from, const QString& to) {
    Preferences preferences;
    for (const QString& key : {PreferenceKeys::libraryPinned, PreferenceKeys::libraryExpanded,
                               PreferenceKeys::recentDocuments}) {
        const QStringList stored = preferences.stringList(key);
        const QStringList updated = rewritten(stored, from, to);
        if (updated != stored) {
            preferences.setStringList(key, updated);
        }
    }
}

void LibraryStore::moveRoot(const QString& oldRoot, const QString& newRoot) {
    rewritePaths(oldRoot, newRoot);
    rescan();
}

void LibraryStore::search(const QObject* requester, const QString& query,
                          SearchCompletion completion) {
    const quint64 generation = ++m_searchGeneration;
    auto& slot = m_latestSearches[requester];
    if (!slot) {
        slot = std::make_shared<std::atomic<quint64>>(0);
        if (requester) {
            connect(requester, &QObject::destroyed, this,
                    [this, requester] { m_latestSearches.remove(requester); });
        }
    }
    slot->store(generation);
    QPointer<LibraryStore> self(this);
    auto latest = slot;
    auto texts = m_texts;
    auto entries = m_entries;
    m_searches.start([self, latest, texts, entries, generation, query = query.toStdString(),
                      completion = std::move(completion)]() mutable {
        // A newer query of the same sidebar is waiting: this answer would be dropped anyway.
        if (latest->load() != generation) {
            return;
        }
        auto matches = Library::search(query, *entries, *texts, Library::readFile);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, latest, generation, matches = std::move(matches),
             completion = std::move(completion)] {
                if (self && generation == latest->load() && completion) {
                    completion(matches);
                }
            },
            Qt::QueuedConnection);
    });
}

QStringList LibraryStore::asSeen(const QStringList& stored) const {
    const QString folder = root();
    const QString resolved = QFileInfo(folder).canonicalFilePath();
    QStringList out;
    out.reserve(stored.size());
    for (const QString& path : stored) {
        const QString seen = seenBelow(path, folder, resolved);
        if (!out.contains(seen)) {
            out.append(seen);
        }
    }
    return out;
}

LibraryStore::Entries LibraryStore::pinned() const {
    Entries out;
    for (const QString& path : asSeen(Preferences().libraryPinned())) {
        if (auto entry = entryAt(path)) {
            out.push_back(std::move(*entry));
        }
    }
    return out;
}

bool LibraryStore::isPinned(const QString& path) const {
    return asSeen(Preferences().libraryPinned()).contains(path);
}

void LibraryStore::togglePin(const QString& path) {
    Preferences preferences;
    QStringList pinned = asSeen(preferences.libraryPinned());
    if (!pinned.removeAll(path)) {
        pinned.append(path);
    }
    preferences.setStringList(PreferenceKeys::libraryPinned, pinned);
    Notifications::shared().post(Notifications::library);
}

LibraryStore::Entries LibraryStore::recentDocuments() const {
    Entries out;
    for (const QString& path : Preferences().recentDocuments()) {
        if (QFileInfo(path).suffix().compare(QLatin1String(Library::documentExtension.data()),
                                             Qt::CaseInsensitive) != 0) {
            continue;
        }
        // A conflict copy opened to be looked at is no document of its own.
        const QFileInfo file(path);
        if (const auto original = Library::conflictCopyOriginal(file.fileName().toStdString());
            original && file.dir().exists(QString::fromStdString(*original))) {
            continue;
        }
        if (auto entry = entryAt(path); entry && !entry->isFolder) {
            out.push_back(std::move(*entry));
        }
    }
    return out;
}

QStringList LibraryStore::expanded() const {
    return asSeen(Preferences().libraryExpanded());
}

void LibraryStore::setExpanded(const QString& path, bool expanded) {
    Preferences preferences;
    const QStringList stored = preferences.libraryExpanded();
    QStringList paths = asSeen(stored);
    const bool present = paths.contains(path);
    if (expanded == present && paths.size() == stored.size()) {
        return;
    }
    if (expanded && !present) {
        paths.append(path);
    } else if (!expanded) {
        paths.removeAll(path);
    }
    preferences.setStringList(PreferenceKeys::libraryExpanded, paths);
}

std::optional<LibraryEntry> LibraryStore::entryAt(const QString& path) const {
    const QFileInfo info(path);
    if (!info.exists()) {
        return std::nullopt;
    }
    if (const LibraryEntry* known = find(*m_entries, toPath(path))) {
        return *known;
    }
    // Outside the library, or newer than the last scan.
    LibraryEntry entry;
    entry.url = toPath(path);
    entry.isFolder = info.isDir();
    entry.name = (entry.isFolder ? info.fileName() : info.completeBaseName()).toStdString();
    if (!entry.isFolder) {
        entry.modified = modified(info);
    }
    return entry;
}

} // namespace velmora
