#include "app/views/appearance.hpp"

#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace velmora {
namespace {

QColor rgb(double r, double g, double b) {
    return QColor::fromRgbF(float(r), float(g), float(b));
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
    switch (paperColor) {
    case PaperColor::white:
        return base;
    case PaperColor::warm:
        return dark ? rgb(0.165, 0.149, 0.125) : rgb(0.984, 0.961, 0.902);
    case PaperColor::yellow:
        return dark ? rgb(0.176, 0.165, 0.11) : rgb(1.0, 0.973, 0.839);
    case PaperColor::sage:
        return dark ? rgb(0.094, 0.125, 0.098) : rgb(0.918, 0.933, 0.918);
    case PaperColor::blueprint:
        return rgb(0.114, 0.231, 0.388);
    }
    return base;
}

QColor Appearance::pattern(double alpha) const {
    QColor color = darkPaper() ? QColor(Qt::white) : QColor(0, 122, 255);
    color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

QColor Appearance::highlight(bool dark, const QColor& accent) const {
    if (highlightColor == HighlightColor::green) {
        return dark ? rgb(0.435, 0.804, 0.643) : rgb(0.11, 0.42, 0.314);
    }
    return accent;
}

std::optional<QColor> Appearance::labelFill(std::optional<ColorLabel> label, bool dark) const {
    if (labelStyle != LabelStyle::fill || !label) {
        return std::nullopt;
    }
    QColor color = Appearances::labelColor(*label);
    color.setAlphaF(dark ? 0.30f : 0.18f);
    return color;
}

QColor Appearances::labelColor(ColorLabel label) {
    switch (label) {
    case ColorLabel::red:
        return {255, 59, 48};
    case ColorLabel::orange:
        return {255, 149, 0};
    case ColorLabel::yellow:
        return {255, 204, 0};
    case ColorLabel::green:
        return {52, 199, 89};
    case ColorLabel::blue:
        return {0, 122, 255};
    case ColorLabel::purple:
        return {175, 82, 222};
    case ColorLabel::gray:
        return {142, 142, 147};
    }
    return {142, 142, 147};
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
