#include "app/platform/contrast_style.hpp"

#include "app/platform/appearance.hpp"

#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>

namespace velmora {

ContrastStyle::ContrastStyle(QStyle* base) : QProxyStyle(base) {}

void ContrastStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const {
    const bool box = element == PE_IndicatorCheckBox || element == PE_IndicatorItemViewItemCheck;
    if (!box || !option || !painter || !Appearances::isDark(option->palette)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QPalette& palette = option->palette;
    const bool enabled = option->state.testFlag(State_Enabled);
    const bool partly = option->state.testFlag(State_NoChange);
    const bool checked = option->state.testFlag(State_On) || partly;
    const double side = std::min(option->rect.width(), option->rect.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(QRectF(option->rect).center());

    QColor accent = palette.color(QPalette::Highlight);
    QColor outline = option->state.testFlag(State_MouseOver) && enabled
                         ? accent
                         : Appearances::secondaryText(palette);
    if (!enabled) {
        accent.setAlphaF(0.4f);
        outline.setAlphaF(outline.alphaF() * 0.5f);
    }
    if (partly) {
        // Some of what it stands for is ticked: a bar instead of the tick.
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(accent);
        painter->drawRoundedRect(square, 3.5, 3.5);
        painter->setPen(QPen(Qt::white, 1.75, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = square.center();
        painter->drawLine(QPointF(c.x() - side / 4, c.y()), QPointF(c.x() + side / 4, c.y()));
        painter->restore();
        return;
    }
    Appearances::paintCheckBox(*painter, square, checked, accent, outline,
                               palette.color(QPalette::Base));
}

void ContrastStyle::install() {
    if (qobject_cast<ContrastStyle*>(QApplication::style())) {
        return;
    }
    // A fresh copy of the style in use, so that a style chosen with -style is kept.
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    QApplication::setStyle(new ContrastStyle(base));
}

} // namespace velmora
