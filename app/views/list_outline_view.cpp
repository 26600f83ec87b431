#include "app/views/list_outline_view.hpp"

#include "app/views/list_outline_model.hpp"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace velmora {

ListOutlineView::ListOutlineView(QWidget* parent) : QTreeView(parent) {
    setObjectName(QStringLiteral("listOutline"));
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAllColumnsShowFocus(true);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAutoScroll(false);
    setExpandsOnDoubleClick(false);
    header()->setStretchLastSection(true);
}

void ListOutlineView::setOutlineDelegate(ListOutlineDelegate* delegate) {
    m_delegate = delegate;
    setItemDelegate(delegate);
}

void ListOutlineView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !m_delegate) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    if (!index.isValid()) {
        emit backgroundClicked();
        return;
    }
    const QRect rect = visualRect(index);
    const auto part = m_delegate->hit(index.row(), rect, point);
    if (part == ListOutlineDelegate::Part::text || part == ListOutlineDelegate::Part::note) {
        if (auto url = m_delegate->linkAt(index.row(), rect, point)) {
            emit linkActivated(*url);
            return;
        }
    }
    emit rowPressed(index.row(), part);
}

void ListOutlineView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_delegate) {
        return;
    }
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    if (!index.isValid()) {
        return;
    }
    const auto part = m_delegate->hit(index.row(), visualRect(index), point);
    if (part == ListOutlineDelegate::Part::disclosure || part == ListOutlineDelegate::Part::check) {
        // Each click of a double click on a control counts as a click.
        emit rowPressed(index.row(), part);
        return;
    }
    emit rowDoubleClicked(index.row());
}

void ListOutlineView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    const bool overLink = m_delegate && index.isValid() &&
                          m_delegate->linkAt(index.row(), visualRect(index), point).has_value();
    viewport()->setCursor(overLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void ListOutlineView::mouseReleaseEvent(QMouseEvent*) {}

void ListOutlineView::keyPressEvent(QKeyEvent* event) {
    // Navigation belongs to the session (the window dispatches the keys); the view's own moves
    // and type-ahead search would change the selection behind its back.
    event->ignore();
}

void ListOutlineView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        const int delta = event->angleDelta().y();
        if (delta != 0) {
            emit zoomRequested(delta > 0 ? 1 : -1);
        }
        event->accept();
        return;
    }
    QTreeView::wheelEvent(event);
}

void ListOutlineView::scrollContentsBy(int dx, int dy) {
    QTreeView::scrollContentsBy(dx, dy);
    emit rowsMoved();
}

// The tree view would repaint just the rows that changed, but finding where a row lies costs
// the height of every row above it; repainting what is shown costs only the rows on screen.
void ListOutlineView::currentChanged(const QModelIndex&, const QModelIndex&) {
    viewport()->update();
}

void ListOutlineView::selectionChanged(const QItemSelection&, const QItemSelection&) {
    viewport()->update();
}

void ListOutlineView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                  const QList<int>& roles) {
    // Qt finds the rectangle of every changed row, each counted from the top of the view:
    // fine for a few rows, quadratic for a bulk change. Many rows are laid out again once.
    if (bottomRight.row() - topLeft.row() < ListOutlineModel::kRowsChangedOneByOne) {
        QTreeView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void ListOutlineView::resizeEvent(QResizeEvent* event) {
    QTreeView::resizeEvent(event);
    emit rowsMoved();
}

} // namespace velmora
