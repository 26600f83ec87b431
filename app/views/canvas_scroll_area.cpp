#include "app/views/canvas_scroll_area.hpp"

#include <QEvent>
#include <QScrollBar>

#include <algorithm>

namespace velmora {
namespace {

// A click on a scroll bar's arrow moves this far, as in other scroll areas.
constexpr int kSingleStep = 20;

} // namespace

CanvasScrollArea::CanvasScrollArea(QWidget* parent) : QAbstractScrollArea(parent) {
    horizontalScrollBar()->setSingleStep(kSingleStep);
    verticalScrollBar()->setSingleStep(kSingleStep);
}

void CanvasScrollArea::setCanvas(QWidget* canvas) {
    m_canvas = canvas;
    canvas->setParent(viewport());
    canvas->setGeometry(viewport()->rect());
    canvas->show();
}

void CanvasScrollArea::setContentSize(const QSize& size) {
    if (size == m_content) {
        return;
    }
    m_content = size;
    updateRanges();
}

QPoint CanvasScrollArea::offset() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CanvasScrollArea::updateRanges() {
    const QSize visible = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setPageStep(visible.width());
    v->setPageStep(visible.height());
    h->setRange(0, std::max(0, m_content.width() - visible.width()));
    v->setRange(0, std::max(0, m_content.height() - visible.height()));
}

void CanvasScrollArea::scrollContentsBy(int dx, int dy) {
    if (m_canvas) {
        m_canvas->scroll(dx, dy);
    }
}

bool CanvasScrollArea::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (m_canvas) {
            m_canvas->setGeometry(viewport()->rect());
        }
        updateRanges();
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace velmora
