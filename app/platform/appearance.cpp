#include "app/platform/appearance.hpp"

#include "core/layout/paper_style.hpp"

#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace velmora {
namespace {

// The paper, label and highlight colours come from the core's one table.
QColor qColor(const Rgb& color) {
    return QColor::fromRgbF(float(color.red), float(color.green), float(color.blue));
}

QPalette darkened(QPalette palette) {
    const QColor text(235, 235, 240);
    const QColor window(30, 30, 34);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Button, QColor(58, 58, 64));
        palette.setColor(group, QPalette::PlaceholderText, QColor(235, 235, 240, 110));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(235, 235, 240, 100));
    return palette;
}

} // namespace

Appearance Appearance::fromPreferences(const Preferences& preferences) {
    Appearance appearance;
    appearance.paperStyle = preferences.paperStyle();
    appearance.paperColor = preferences.paperColor();
    appearance.highlightColor = preferences.highlightColor();
    appearance.labelStyle = preferences.labelStyle();
    appearance.checkStyle = preferences.checkStyle();
    appearance.strikeChecked = preferences.strikeChecked();
    appearance.paperMargin = preferences.paperMargin();
    return appearance;
}

QColor Appearance::paper(bool dark, const QColor& base) const {
    const auto color = AppearanceColors::paper(paperColor, dark);
    return color ? qColor(*color) : base;
}

QColor Appearance::pattern(double alpha) const {
    QColor color = darkPaper() ? QColor(Qt::white) : QColor(0, 122, 255);
    color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

QColor Appearance::highlight(bool dark, const QColor& accent) const {
    return highlightColor == HighlightColor::green ? qColor(AppearanceColors::greenHighlight(dark))
                                                   : accent;
}

std::optional<QColor> Appearance::labelFill(std::optional<ColorLabel> label, bool dark) const {
    if (labelStyle != LabelStyle::fill || !label) {
        return std::nullopt;
    }
    QColor color = Appearances::labelColor(*label);
    color.setAlphaF(float(AppearanceColors::labelFillAlpha(dark)));
    return color;
}

QColor Appearances::labelColor(ColorLabel label) {
    return qColor(AppearanceColors::label(label));
}

bool Appearances::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightness() < 128;
}

QPalette Appearances::paperPalette(const Appearance& appearance, const QPalette& base) {
    QPalette palette = appearance.darkPaper() && !isDark(base) ? darkened(base) : base;
    const QColor paper = appearance.paper(isDark(palette), base.color(QPalette::Base));
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, paper);
        palette.setColor(group, QPalette::AlternateBase, paper);
    }
    return palette;
}

QColor Appearances::secondaryText(const QPalette& palette) {
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(0.55f);
    return color;
}

void Appearances::paintTick(QPainter& painter, QPointF centre, const QColor& color, double scale) {
    QPen pen(color, 1.75 * scale);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QPointF points[] = {{centre.x() - 4 * scale, centre.y()},
                              {centre.x() - 1.5 * scale, centre.y() + 2.5 * scale},
                              {centre.x() + 4 * scale, centre.y() - 3 * scale}};
    painter.drawPolyline(points, 3);
}

void Appearances::paintCheckBox(QPainter& painter, const QRectF& box, bool checked,
                                const QColor& accent, const QColor& outline, const QColor& fill,
                                double scale) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = 3.5 * scale;
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(accent);
        painter.drawRoundedRect(box, radius, radius);
        paintTick(painter, box.center() + QPointF(0, 0.25 * scale), Qt::white, scale);
    } else {
        painter.setPen(QPen(outline, 1));
        painter.setBrush(fill);
        painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    }
    painter.restore();
}

} // namespace velmora
