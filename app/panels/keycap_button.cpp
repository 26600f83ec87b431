#include "app/panels/keycap_button.hpp"

#include "app/panels/panel_support.hpp"
#include "app/platform/appearance.hpp"

#include <QApplication>
#include <QFontMetrics>

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace velmora {

KeycapButton::KeycapButton(Action command, const QString& title, QWidget* parent)
    : QPushButton(title, parent), m_command(command) {
    setObjectName(QStringLiteral("help.key.") + QString::fromUtf8(rawValue(command)));
    setAccessibleName(objectName());
    setFocusPolicy(Qt::NoFocus);
    setFlat(true);
    setCursor(Qt::PointingHandCursor);
    QFont small = QApplication::font();
    small.setPointSizeF(PanelSupport::scaled(11));
    setFont(small);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void KeycapButton::setAvailable(bool available) {
    if (m_available != available) {
        m_available = available;
        update();
    }
}

QSize KeycapButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textWidth = metrics.horizontalAdvance(text());
    return {std::max({22, textWidth + 8 + 8, m_columnWidth}), metrics.height() + 2 + 4};
}

void KeycapButton::setColumnWidth(int width) {
    m_columnWidth = width;
    updateGeometry();
}

void KeycapButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // Key caps of commands that cannot run now are drawn at a third of their strength.
    painter.setOpacity(m_available && isEnabled() ? 1.0 : 0.35);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    QColor fill = PanelSupport::quaternaryFill(palette());
    if (isDown()) {
        fill.setAlphaF(std::min(1.0f, fill.alphaF() * 2.5f));
    }
    painter.fillPath(path, fill);
    QColor edge = palette().color(QPalette::Text);
    edge.setAlphaF(0.18f);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(path);
    painter.setPen(Appearances::secondaryText(palette()));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
}

} // namespace velmora
