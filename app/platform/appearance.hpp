#pragma once

#include "app/platform/preferences.hpp"
#include "core/model/color_label.hpp"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <optional>

class QPainter;
class QPalette;

namespace velmora {

// How the outline is drawn: the paper, the labels, the checks and the highlight, as chosen in
// the settings. A plain value read once from the preferences and again whenever they change;
// the colours it answers depend on whether the palette they are drawn in is dark.
struct Appearance {
    PaperStyle paperStyle = PaperStyle::plain;
    PaperColor paperColor = PaperColor::white;
    HighlightColor highlightColor = HighlightColor::accent;
    LabelStyle labelStyle = LabelStyle::dot;
    CheckStyle checkStyle = CheckStyle::box;
    bool strikeChecked = false;
    double paperMargin = 220;

    // The appearance the preferences describe; missing or unknown values give the defaults.
    [[nodiscard]] static Appearance fromPreferences(const Preferences& preferences);

    // Whether the paper itself is dark whatever the system appearance (blueprint).
    [[nodiscard]] bool darkPaper() const { return paperColor == PaperColor::blueprint; }
    // The colour behind the outline; `base` is the system text background.
    [[nodiscard]] QColor paper(bool dark, const QColor& base) const;
    // The colour of paper patterns: blue, or white on blueprint paper, at the alpha.
    [[nodiscard]] QColor pattern(double alpha) const;
    // The highlight (lit branch, web check marks): the accent colour or the green.
    [[nodiscard]] QColor highlight(bool dark, const QColor& accent) const;
    // The background fill of a labelled item; nothing in the dot style or without a label.
    [[nodiscard]] std::optional<QColor> labelFill(std::optional<ColorLabel> label, bool dark) const;

    bool operator==(const Appearance&) const = default;
};

namespace Appearances {

// The fixed colour of a label (red 255, 59, 48 … gray 142, 142, 147).
[[nodiscard]] QColor labelColor(ColorLabel label);

// Whether the palette is a dark one: its window colour is nearer black than white.
[[nodiscard]] bool isDark(const QPalette& palette);

// A palette for drawing on the paper: the dark variant of `base` on blueprint paper (so that
// text stays readable), `base` itself otherwise, with the paper as its base colour.
[[nodiscard]] QPalette paperPalette(const Appearance& appearance, const QPalette& base);

// The secondary text colour of a palette (notes, counts).
[[nodiscard]] QColor secondaryText(const QPalette& palette);

// A tick centred on `centre`, as check boxes and the web style's check marks draw it, with
// its size multiplied by `scale`.
void paintTick(QPainter& painter, QPointF centre, const QColor& color, double scale = 1);
// A check box in `box`, as every view of the outline draws it: filled with `accent` and ticked
// in white when checked, else outlined in `outline` over `fill`. Leaves the painter as it was.
void paintCheckBox(QPainter& painter, const QRectF& box, bool checked, const QColor& accent,
                   const QColor& outline, const QColor& fill, double scale = 1);

} // namespace Appearances
} // namespace velmora
