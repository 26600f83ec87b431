// The drag and drop half of the tree canvas: dragging a block out, and drops onto the canvas
// with their indicator and autoscrolling.
#include "app/views/tree_canvas_view.hpp"

#include "app/views/canvas_painter.hpp"

#include <QAbstractScrollArea>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

namespace velmora {
namespace {

// How close to the viewport's edge a drag must come to scroll, and how far each step goes.
constexpr int kAutoscrollEdge = 24;
constexpr int kAutoscrollStep = 16;

} // namespace

void TreeCanvasView::startDrag(const std::string& id, const QPoint& pressedAt) {
    const CanvasBlock* block = m_scene.block(id);
    if (!block || !m_dragWriter) {
        return;
    }
    QMimeData* mime = m_dragWriter(id);
    if (!mime) {
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const qreal ratio = devicePixelRatioF();
    const QRectF frame = toWidget(block->frame);
    QPixmap image((frame.size() * ratio).toSize());
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.scale(m_magnification, m_magnification);
        const QPalette palette = paperPalette();
        CanvasPainter::paintBlock(painter, *block,
                                  CanvasPalette::make(m_options.appearance, palette),
                                  m_options.appearance, m_scene.checksVisible);
    }
    drag->setPixmap(image);
    drag->setHotSpot((QPointF(pressedAt) - frame.topLeft()).toPoint());
    ItemDrag::exec(*drag);
}

void TreeCanvasView::dragEnterEvent(QDragEnterEvent* event) {
    updateDrop(event);
}

void TreeCanvasView::dragMoveEvent(QDragMoveEvent* event) {
    updateDrop(event);
}

void TreeCanvasView::dragLeaveEvent(QDragLeaveEvent* event) {
    clearDrop();
    QWidget::dragLeaveEvent(event);
}

void TreeCanvasView::updateDrop(QDropEvent* event) {
    // Kept on the screen: the canvas moves under a pointer that rests while it scrolls.
    m_dragPoint = mapToGlobal(event->position().toPoint());
    const auto drop = ItemDrag::canvasDrop(m_scene, m_session.snapshot.document.items,
                                           toCanvas(event->position()));
    const Qt::DropAction action =
        m_dropOperation
            ? m_dropOperation(event->mimeData(), ItemDrag::requestedActions(*event), drop.target)
            : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        m_dropTarget.reset();
        m_dropMark->hide();
        event->ignore();
    } else {
        m_dropTarget = drop.target;
        m_dropMark->setColor(paperPalette().color(QPalette::Highlight));
        m_dropMark->showMark(drop.mode, toWidget(drop.indicator));
        event->setDropAction(action);
        event->accept();
    }
    if (!m_autoscroll.isActive()) {
        m_autoscroll.start();
    }
}

void TreeCanvasView::clearDrop() {
    m_dropTarget.reset();
    m_dropMark->hide();
    m_autoscroll.stop();
}

void TreeCanvasView::dropEvent(QDropEvent* event) {
    const auto drop = ItemDrag::canvasDrop(m_scene, m_session.snapshot.document.items,
                                           toCanvas(event->position()));
    clearDrop();
    const Qt::DropAction action =
        m_dropOperation
            ? m_dropOperation(event->mimeData(), ItemDrag::requestedActions(*event), drop.target)
            : Qt::IgnoreAction;
    if (action != Qt::IgnoreAction && m_performDrop &&
        m_performDrop(event->mimeData(), action, drop.target)) {
        event->setDropAction(action);
        event->accept();
        return;
    }
    event->ignore();
}

void TreeCanvasView::autoscroll() {
    QAbstractScrollArea* area = scrollArea();
    if (!area) {
        m_autoscroll.stop();
        return;
    }
    const QPoint inViewport = area->viewport()->mapFromGlobal(m_dragPoint);
    const QSize size = area->viewport()->size();
    auto step = [](int position, int extent) {
        if (position < kAutoscrollEdge) {
            return -kAutoscrollStep;
        }
        return position > extent - kAutoscrollEdge ? kAutoscrollStep : 0;
    };
    const int dx = step(inViewport.x(), size.width());
    const int dy = step(inViewport.y(), size.height());
    area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->value() + dx);
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->value() + dy);
}

} // namespace velmora
