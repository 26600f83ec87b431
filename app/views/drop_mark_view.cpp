#include "app/views/drop_mark_view.hpp"

#include <QPainter>
#include <QPalette>

#include <cmath>

namespace velmora {

DropMarkView::DropMarkView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    m_color = palette().color(QPalette::Highlight);
    hide();
}

void DropMarkView::setColor(const QColor& color) {
    m_color = color;
    update();
}

void DropMarkView::showMark(Mode mode, const QRectF& rect) {
    m_mode = mode;
    m_rect = rect;
    // One point of room around the mark for its stroke and end circle.
    const QRect outer = rect.adjusted(-4, -2, 2, 2).toAlignedRect();
    setGeometry(outer);
    raise();
    show();
    update();
}

void DropMarkView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = m_rect.translated(-QPointF(geometry().topLeft()));
    if (m_mode == Mode::frame) {
        QColor fill = m_color;
        fill.setAlphaF(0.10f);
        painter.setBrush(fill);
        painter.setPen(QPen(m_color, 2));
        painter.drawRoundedRect(r.adjusted(1, 1, -1, -1), 5, 5);
        return;
    }
    const double y = r.center().y();
    QPen pen(m_color, 2);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 1, y));
    painter.setBrush(palette().color(QPalette::Base));
    painter.drawEllipse(QPointF(r.left() + 1, y), 3, 3);
}

} // namespace velmora
