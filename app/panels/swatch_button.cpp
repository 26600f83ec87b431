#include "app/panels/swatch_button.hpp"

#include "app/panels/panel_support.hpp"
#include "app/platform/appearance.hpp"

#include <QPainter>

namespace velmora {

SwatchButton::SwatchButton(Action command, std::optional<ColorLabel> color, QWidget* parent)
    : QAbstractButton(parent), m_command(command), m_color(color) {
    setObjectName(QStringLiteral("properties.") + QString::fromUtf8(rawValue(command)));
    setAccessibleName(objectName());
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(22, 22);
}

void SwatchButton::setSelected(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        update();
    }
}

void SwatchButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    const QRectF oval = bounds.adjusted(4, 4, -4, -4);
    if (m_color) {
        QColor fill = Appearances::labelColor(*m_color);
        fill.setAlphaF(isEnabled() ? 1.0f : 0.4f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(oval);
    } else {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(PanelSupport::tertiaryText(palette()), 1));
        painter.drawEllipse(oval);
        QColor red(255, 59, 48);
        red.setAlphaF(isEnabled() ? 1.0f : 0.4f);
        painter.setPen(QPen(red, 1.2));
        painter.drawLine(QPointF(bounds.left() + 6, bounds.bottom() - 6),
                         QPointF(bounds.right() - 6, bounds.top() + 6));
    }
    if (m_selected) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
        painter.drawEllipse(bounds.adjusted(1.5, 1.5, -1.5, -1.5));
    }
}

} // namespace velmora
