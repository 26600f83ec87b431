#include "app/views/list_drag_adapter.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace velmora {
namespace {

constexpr int kAutoscrollEdge = 20;
constexpr int kAutoscrollStep = 12;

// The number of the row among the shown children of its parent.
int siblingIndex(const std::function<ListRow(int)>& rowAt, int row) {
    const int depth = rowAt(row).depth;
    int index = 0;
    for (int r = row - 1; r >= 0; --r) {
        const int d = rowAt(r).depth;
        if (d < depth) {
            break;
        }
        index += d == depth ? 1 : 0;
    }
    return index;
}

// The item whose children the row is among; none for a top row.
std::optional<std::string> parentOf(const std::function<ListRow(int)>& rowAt, int row) {
    const int depth = rowAt(row).depth;
    for (int r = row - 1; r >= 0; --r) {
        const ListRow above = rowAt(r);
        if (above.depth < depth) {
            return above.id;
        }
    }
    return std::nullopt;
}

} // namespace

ListProposal ItemDrag::listProposal(const std::function<ListRow(int)>& rowAt, int count, int row,
                                    double f, const ListPlaceOf& placeOf) {
    auto place = [&](int r) {
        if (placeOf) {
            if (auto found = placeOf(r)) {
                return *found;
            }
        }
        return ListPlace{parentOf(rowAt, r), siblingIndex(rowAt, r)};
    };
    if (count <= 0 || row < 0) {
        return {std::nullopt, std::max(count, 0)};
    }
    if (row >= count) {
        // After the last row: behind the last top row.
        const int last = count - 1;
        if (rowAt(last).depth == 0) {
            return {std::nullopt, place(last).index + 1};
        }
        return {std::nullopt, siblingIndex(rowAt, last) + 1};
    }
    if (f >= 0.25 && f <= 0.75) {
        return {rowAt(row).id, -1};
    }
    const ListRow current = rowAt(row);
    if (f > 0.75 && row + 1 < count && rowAt(row + 1).depth > current.depth) {
        return {current.id, 0}; // the first child of an expanded row
    }
    const ListPlace at = place(row);
    return {at.parent, at.index + (f > 0.75 ? 1 : 0)};
}

ListDragAdapter::ListDragAdapter(QAbstractItemView* view, int idRole, int depthRole)
    : QObject(view), m_view(view), m_viewport(view->viewport()), m_idRole(idRole),
      m_depthRole(depthRole) {
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->viewport()->installEventFilter(this);
    m_mark = new DropMarkView(view->viewport());
    m_autoscroll.setInterval(40);
    connect(&m_autoscroll, &QTimer::timeout, this, &ListDragAdapter::autoscroll);
}

ListDragAdapter::~ListDragAdapter() {
    if (m_viewport) {
        m_viewport->removeEventFilter(this);
    }
}

ListRow ListDragAdapter::rowAt(int row) const {
    const QModelIndex index = m_view->model()->index(row, 0);
    return {index.data(m_idRole).toString().toStdString(), index.data(m_depthRole).toInt()};
}

ListDragAdapter::Drop ListDragAdapter::dropAt(const QPoint& point) const {
    const int count = m_view->model() ? m_view->model()->rowCount() : 0;
    const QModelIndex index = m_view->indexAt(point);
    auto rows = [this](int r) { return rowAt(r); };
    Drop drop;
    ListProposal proposal;
    const int width = m_view->viewport()->width();
    if (!index.isValid()) {
        proposal = ItemDrag::listProposal(rows, count, count, 1, m_placeOf);
        const QRect last = count > 0 ? m_view->visualRect(m_view->model()->index(count - 1, 0))
                                     : QRect(0, 0, width, 0);
        drop.indicator = QRect(0, last.bottom() - 3, width, 8);
    } else {
        const QRect rect = m_view->visualRect(index);
        const double f = double(point.y() - rect.top()) / std::max(1, rect.height());
        proposal = ItemDrag::listProposal(rows, count, index.row(), f, m_placeOf);
        if (proposal.childIndex < 0) {
            drop.mode = DropMarkView::Mode::frame;
            drop.indicator = rect;
        } else {
            const int y = f < 0.25 ? rect.top() : rect.bottom() + 1;
            const int indent =
                20 * (rowAt(index.row()).depth + (proposal.item == rowAt(index.row()).id ? 1 : 0));
            drop.indicator = QRect(rect.left() + indent + 8, y - 4, rect.width() - indent - 8, 8);
        }
    }
    drop.target = m_convert ? m_convert(proposal) : ItemDrag::Target{proposal.item, std::nullopt};
    return drop;
}

bool ListDragAdapter::eventFilter(QObject* watched, QEvent* event) {
    if (!m_viewport || watched != m_viewport) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = m_view->indexAt(mouse->position().toPoint());
        m_pressAt = mouse->button() == Qt::LeftButton && index.isValid()
                        ? std::optional<QPoint>(mouse->position().toPoint())
                        : std::nullopt;
        m_pressRow = index.row();
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_pressAt && (mouse->buttons() & Qt::LeftButton) &&
            (mouse->position().toPoint() - *m_pressAt).manhattanLength() >=
                QApplication::startDragDistance()) {
            m_pressAt.reset();
            startDrag(m_pressRow);
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonRelease:
        m_pressAt.reset();
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        dragMove(static_cast<QDropEvent*>(event), false);
        return true;
    case QEvent::DragLeave:
        clear();
        return true;
    case QEvent::Drop:
        dragMove(static_cast<QDropEvent*>(event), true);
        clear();
        return true;
    default:
        return false;
    }
}

bool ListDragAdapter::dragMove(QDropEvent* event, bool drop) {
    m_dragPoint = event->position().toPoint();
    const Drop at = dropAt(m_dragPoint);
    const Qt::DropAction action =
        m_dropOperation
            ? m_dropOperation(event->mimeData(), ItemDrag::requestedActions(*event), at.target)
            : Qt::IgnoreAction;
    const bool allowed = action != Qt::IgnoreAction;
    if (drop) {
        const bool done =
            allowed && m_performDrop && m_performDrop(event->mimeData(), action, at.target);
        event->setDropAction(done ? action : Qt::IgnoreAction);
        event->setAccepted(done);
        return done;
    }
    m_target = allowed ? std::optional<ItemDrag::Target>(at.target) : std::nullopt;
    if (allowed) {
        m_mark->setColor(m_view->palette().color(QPalette::Highlight));
        m_mark->showMark(at.mode, at.indicator);
        event->setDropAction(action);
        event->accept();
    } else {
        m_mark->hide();
        event->ignore();
    }
    if (!m_autoscroll.isActive()) {
        m_autoscroll.start();
    }
    return allowed;
}

void ListDragAdapter::startDrag(int row) {
    if (!m_dragWriter || row < 0) {
        return;
    }
    QMimeData* mime = m_dragWriter(rowAt(row).id);
    if (!mime) {
        return;
    }
    auto* drag = new QDrag(m_view);
    drag->setMimeData(mime);
    const QRect rect = m_view->visualRect(m_view->model()->index(row, 0));
    drag->setPixmap(m_view->viewport()->grab(rect));
    drag->setHotSpot(m_view->viewport()->mapFromGlobal(QCursor::pos()) - rect.topLeft());
    ItemDrag::exec(*drag);
}

void ListDragAdapter::clear() {
    m_target.reset();
    m_mark->hide();
    m_autoscroll.stop();
}

void ListDragAdapter::autoscroll() {
    const int height = m_view->viewport()->height();
    QScrollBar* bar = m_view->verticalScrollBar();
    // A list scrolled by rows steps a row at a time.
    const int step =
        m_view->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? 1 : kAutoscrollStep;
    if (m_dragPoint.y() < kAutoscrollEdge) {
        bar->setValue(bar->value() - step);
    } else if (m_dragPoint.y() > height - kAutoscrollEdge) {
        bar->setValue(bar->value() + step);
    }
}

} // namespace velmora
