#pragma once

#include "core/model/color_label.hpp"

#include <optional>
#include <string_view>

// The appearance choices of the paper, labels, checks and highlights, and the colours the
// system fixes itself. Each choice is stored as its case name; a stored value that names no
// case means the first case (the default).
namespace velmora {

enum class PaperStyle {
    plain,
    dots,
    fineDots,
    crosses,
    lines,
    margin,
    grid,
    zebra,
    levelBands,
    levelLines
};
enum class PaperColor { white, warm, yellow, sage, blueprint };
enum class HighlightColor { accent, green };
enum class LabelStyle { dot, fill };
enum class CheckStyle { box, web, none };
enum class ScrollEdge { automatic, soft, hard };

[[nodiscard]] std::string_view rawValue(PaperStyle style);
[[nodiscard]] std::string_view rawValue(PaperColor color);
[[nodiscard]] std::string_view rawValue(HighlightColor color);
[[nodiscard]] std::string_view rawValue(LabelStyle style);
[[nodiscard]] std::string_view rawValue(CheckStyle style);
[[nodiscard]] std::string_view rawValue(ScrollEdge edge);

// The case with exactly this name (letter case counts); none for any other text.
[[nodiscard]] std::optional<PaperStyle> paperStyleFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<PaperColor> paperColorFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<HighlightColor> highlightColorFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<LabelStyle> labelStyleFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<CheckStyle> checkStyleFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<ScrollEdge> scrollEdgeFromRawValue(std::string_view raw);

// An sRGB colour with components from 0 to 1.
struct Rgb {
    double red = 0;
    double green = 0;
    double blue = 0;

    bool operator==(const Rgb&) const = default;
};

namespace AppearanceColors {

// The paper colour in the light or dark appearance; none for white paper, which is the
// toolkit's text background colour.
[[nodiscard]] std::optional<Rgb> paper(PaperColor color, bool dark);

// The colour of a label (the same in both appearances).
[[nodiscard]] Rgb label(ColorLabel label);

// The alpha of a label's background fill in the fill style.
[[nodiscard]] constexpr double labelFillAlpha(bool dark) {
    return dark ? 0.30 : 0.18;
}

// The green highlight colour; the accent highlight is the toolkit's.
[[nodiscard]] Rgb greenHighlight(bool dark);

// Whether checked items are struck through: the stored choice, else exactly in the web style.
[[nodiscard]] bool strikeChecked(std::optional<bool> stored, CheckStyle style);

// The paper margin (the width of the first canvas column on margin paper): a stored number
// clamped to 120…480, else 220.
[[nodiscard]] double paperMargin(std::optional<double> stored);

} // namespace AppearanceColors
} // namespace velmora
