#pragma once

#include <QTreeWidget>

#include <functional>

namespace velmora {

// The outline of the library sidebar: section rows and entry rows (see LibraryController).
// It turns keys, clicks and drops into calls of its hooks and changes nothing itself. A row
// carries its path and kind in the roles below.
class LibraryOutline : public QTreeWidget {
    Q_OBJECT
public:
    enum Role {
        kindRole = Qt::UserRole + 1, // RowKind
        pathRole,                    // QString: the file or folder
        folderRole,                  // bool
        pinnedRole,                  // bool: a row of the pinned section
        modifiedRole,                // QDateTime: a document's modification time
        sectionRole,                 // QString: the catalog key of a section row
        currentRole,                 // bool: the document shown in this window
        conflictOfRole,              // QString: the document a conflict copy row stands for
    };
    enum class RowKind { section, entry, placeholder };

    explicit LibraryOutline(QWidget* parent = nullptr);

    [[nodiscard]] static RowKind kindOf(const QTreeWidgetItem* item);
    [[nodiscard]] static QString pathOf(const QTreeWidgetItem* item);
    [[nodiscard]] static bool isFolder(const QTreeWidgetItem* item);
    // The document whose conflict copy the row is; empty for every other row.
    [[nodiscard]] static QString conflictOf(const QTreeWidgetItem* item);
    // The folder a drop on the row goes into: a folder row's folder, the folders section's
    // root; nothing for other rows.
    [[nodiscard]] QString dropFolder(const QTreeWidgetItem* item) const;
    // Whether a name is being typed into a row.
    [[nodiscard]] bool isRenaming() const { return state() == QAbstractItemView::EditingState; }
    // The library root the folders section stands for.
    void setRoot(const QString& root) { m_root = root; }

    // Enter or Return on a row.
    std::function<void(QTreeWidgetItem*)> onActivate;
    // F2 on a row.
    std::function<void(QTreeWidgetItem*)> onRename;
    // Delete on a row.
    std::function<void(QTreeWidgetItem*)> onTrash;
    // Escape: give the focus back.
    std::function<void()> onEscape;
    // Files dragged from a library outline and dropped on a folder.
    std::function<void(const QStringList& paths, const QString& folder)> onMove;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The folder a drag at this point would go into, or nothing.
    [[nodiscard]] QString dropTarget(const QDropEvent* event) const;

    QString m_root;
};

} // namespace velmora
