#pragma once

#include <QStyledItemDelegate>

#include <functional>

namespace velmora {

// Draws the rows of the library outline: section titles in small bold secondary text, entries
// with their icon and name, a document's short date at the right edge in small secondary
// text, and the current document's name in bold. Renaming happens in place: the editor holds
// the name, and committing a changed name calls `onRename` instead of changing the row; an
// unchanged name or Escape renames nothing.
class LibraryRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit LibraryRowDelegate(QObject* parent = nullptr);

    // The short date shown for a document modified at that time.
    [[nodiscard]] static QString shortDate(const QDateTime& modified);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // The row's path and the name typed for it.
    std::function<void(const QString& path, const QString& name)> onRename;
};

} // namespace velmora
