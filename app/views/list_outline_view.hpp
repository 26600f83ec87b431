#pragma once

#include "app/views/list_outline_delegate.hpp"

#include <QTreeView>

namespace velmora {

// The tree view of the list, reporting gestures instead of acting on them: a press on a row
// (with the part it hit), a double click, a click on the empty background. It takes no keys:
// the window's key dispatcher and the Edit menu (select all and the clipboard) handle them. It
// never changes its own selection; the controller sets it from the session.
class ListOutlineView : public QTreeView {
    Q_OBJECT
public:
    explicit ListOutlineView(QWidget* parent = nullptr);

    // The delegate that draws and hit-tests the rows.
    void setOutlineDelegate(ListOutlineDelegate* delegate);
    [[nodiscard]] ListOutlineDelegate* outlineDelegate() const { return m_delegate; }

signals:
    void rowPressed(int row, velmora::ListOutlineDelegate::Part part);
    void rowDoubleClicked(int row);
    void backgroundClicked();
    void linkActivated(const QUrl& url);
    // The rows moved under anything laid over them (scrolling, resizing).
    void rowsMoved();
    // Ctrl and the wheel: one step in (positive) or out (negative).
    void zoomRequested(int steps);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ListOutlineDelegate* m_delegate = nullptr;
};

} // namespace velmora
