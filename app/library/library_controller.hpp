#pragma once

#include "core/library/library.hpp"

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLineEdit;
class QMenu;
class QToolButton;
class QTreeWidgetItem;

namespace velmora {

class LibraryHost;
class LibraryOutline;
class LibraryRowDelegate;
class LibraryStore;

// The library sidebar of one document window: a search field, an outline with the sections
// pinned, recent and folders (or the search results), and buttons to add documents and
// folders and to open the settings. It owns no data: every row comes from the store, and every
// change goes to disk through LibraryActions, followed by a rescan whose announcement reloads
// every sidebar.
class LibraryController : public QWidget {
    Q_OBJECT
public:
    LibraryController(LibraryStore& store, LibraryHost* host, QWidget* parent = nullptr);
    ~LibraryController() override;

    // The document shown in this window (its row is drawn emphasised), or empty.
    void setCurrentPath(const QString& path);
    [[nodiscard]] QString currentPath() const { return m_currentPath; }
    // Rebuilds the rows from the store (the sections, or the results of the current query).
    void reload();
    // Selects the row of the file or folder once it is shown, expanding the folders above it.
    void reveal(const QString& path);
    // Shows the matches of a search as the results section.
    void showResults(const std::vector<LibraryEntry>& matches);
    // Puts the keyboard focus on the outline (the current row, else the first entry).
    void focusOutline();

    // The row actions; `path` is a file or folder of the library.
    void open(const QString& path, bool ownWindow);
    void togglePin(const QString& path);
    // Starts renaming the row in place.
    void beginRename(const QString& path);
    // Renames at once with the sidebar's rules; messages are shown.
    void rename(const QString& path, const QString& name);
    // Asks, then moves the item to the trash.
    void trash(const QString& path);
    void moveInto(const QStringList& paths, const QString& folder);
    void newDocument(const QString& folder);
    void newFolder(const QString& folder);
    void showInFileManager(const QString& path);
    // A sync tool's conflict copy: opened to be looked at, or merged into its document (then
    // moved to the trash); conflicts kept side by side are announced.
    void showConflictCopy(const QString& copy);
    void mergeConflictCopy(const QString& copy, const QString& document);

    [[nodiscard]] QLineEdit& searchField() const { return *m_search; }
    [[nodiscard]] LibraryOutline& outline() const { return *m_outline; }
    // The row of the path in the outline (the first one, sections in order), or null.
    [[nodiscard]] QTreeWidgetItem* rowOf(const QString& path) const;
    // The paths of the rows of a section ("library.pinned", "library.recents",
    // "library.folders" or "library.results"), top level only; empty when it is not shown.
    [[nodiscard]] QStringList sectionPaths(const QString& key) const;
    [[nodiscard]] QStringList sections() const;

    // How the sidebar talks to the user; tests replace them. `confirm` answers whether to go
    // on; `inform` shows why something could not be done (with the warning sign).
    std::function<bool(QWidget* parent, const QString& message, const QString& informative)>
        confirm;
    std::function<void(QWidget* parent, const QString& message, const QString& informative)>
        inform;
    // Escape in the outline: the window takes the focus back.
    std::function<void()> onEscape;

signals:
    // The rows were rebuilt (sections or results).
    void reloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void relocalize();
    void queryChanged();
    void showSections();
    // Rows made apart from the view (a section with its entries, a placeholder, entries).
    QTreeWidgetItem* addSection(const QString& key, const std::vector<LibraryEntry>& entries,
                                bool pinned);
    [[nodiscard]] QTreeWidgetItem* placeholder(const QString& key) const;
    QList<QTreeWidgetItem*> makeEntries(const std::vector<LibraryEntry>& entries, bool pinned);
    QTreeWidgetItem* makeEntry(const LibraryEntry& entry, bool pinned);
    QTreeWidgetItem* makeConflictCopy(const LibraryEntry& copy, const QString& document);
    // Opens the rows of documents that have conflict copies, so that the copies show.
    void expandCopyParents();
    void populate(QTreeWidgetItem* folder);
    void restoreExpansion(QTreeWidgetItem* parent, const QSet<QString>& expanded);
    void finishReload(const QString& selected, int scroll);
    void rowClicked(QTreeWidgetItem* item);
    void contextMenu(const QPoint& at);
    void fillAddMenu(QMenu* menu, const QString& folder);
    [[nodiscard]] QString targetFolder() const;
    void applyPendingReveal();
    void markCurrent(QTreeWidgetItem* item);

    LibraryStore& m_store;
    LibraryHost* m_host = nullptr;
    QLineEdit* m_search = nullptr;
    LibraryOutline* m_outline = nullptr;
    LibraryRowDelegate* m_delegate = nullptr;
    QToolButton* m_addButton = nullptr;
    QToolButton* m_settingsButton = nullptr;
    QIcon m_folderIcon;
    QIcon m_documentIcon;
    QIcon m_pinIcon;
    QIcon m_conflictIcon;
    // Document rows made with conflict copies under them, opened once they are in the view.
    QList<QTreeWidgetItem*> m_copyParents;
    QString m_currentPath;
    // What the rows point into: kept while the rows exist.
    std::shared_ptr<const std::vector<LibraryEntry>> m_entries;
    std::vector<LibraryEntry> m_pinned;
    std::vector<LibraryEntry> m_recents;
    std::vector<LibraryEntry> m_results;
    // Folder rows whose children are added when they are first expanded.
    QHash<QTreeWidgetItem*, const LibraryEntry*> m_unpopulated;
    bool m_restoring = false;
    bool m_reloadOwed = false;
    quint64 m_searchToken = 0;
    QString m_pendingReveal;
};

} // namespace velmora
