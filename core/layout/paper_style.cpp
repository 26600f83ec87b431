#include "core/layout/paper_style.hpp"

#include "core/layout/column_widths.hpp"

#include <array>
#include <cmath>

namespace velmora {
namespace {

constexpr std::array<std::string_view, 10> kPaperStyles = {
    "plain",  "dots", "fineDots", "crosses",    "lines",
    "margin", "grid", "zebra",    "levelBands", "levelLines"};
constexpr std::array<std::string_view, 5> kPaperColors = {"white", "warm", "yellow", "sage",
                                                          "blueprint"};
constexpr std::array<std::string_view, 2> kHighlightColors = {"accent", "green"};
constexpr std::array<std::string_view, 2> kLabelStyles = {"dot", "fill"};
constexpr std::array<std::string_view, 3> kCheckStyles = {"box", "web", "none"};
constexpr std::array<std::string_view, 3> kScrollEdges = {"automatic", "soft", "hard"};

template <typename Enum, std::size_t N>
std::optional<Enum> fromName(std::string_view raw, const std::array<std::string_view, N>& names) {
    for (std::size_t i = 0; i < N; ++i) {
        if (names[i] == raw) {
            return static_cast<Enum>(i);
        }
    }
    return std::nullopt;
}

} // namespace

std::string_view rawValue(PaperStyle style) {
    return kPaperStyles[static_cast<std::size_t>(style)];
}
std::string_view rawValue(PaperColor color) {
    return kPaperColors[static_cast<std::size_t>(color)];
}
std::string_view rawValue(HighlightColor color) {
    return kHighlightColors[static_cast<std::size_t>(color)];
}
std::string_view rawValue(LabelStyle style) {
    return kLabelStyles[static_cast<std::size_t>(style)];
}
std::string_view rawValue(CheckStyle style) {
    return kCheckStyles[static_cast<std::size_t>(style)];
}
std::string_view rawValue(ScrollEdge edge) {
    return kScrollEdges[static_cast<std::size_t>(edge)];
}

std::optional<PaperStyle> paperStyleFromRawValue(std::string_view raw) {
    return fromName<PaperStyle>(raw, kPaperStyles);
}
std::optional<PaperColor> paperColorFromRawValue(std::string_view raw) {
    return fromName<PaperColor>(raw, kPaperColors);
}
std::optional<HighlightColor> highlightColorFromRawValue(std::string_view raw) {
    return fromName<HighlightColor>(raw, kHighlightColors);
}
std::optional<LabelStyle> labelStyleFromRawValue(std::string_view raw) {
    return fromName<LabelStyle>(raw, kLabelStyles);
}
std::optional<CheckStyle> checkStyleFromRawValue(std::string_view raw) {
    return fromName<CheckStyle>(raw, kCheckStyles);
}
std::optional<ScrollEdge> scrollEdgeFromRawValue(std::string_view raw) {
    return fromName<ScrollEdge>(raw, kScrollEdges);
}

namespace AppearanceColors {

std::optional<Rgb> paper(PaperColor color, bool dark) {
    switch (color) {
    case PaperColor::white:
        return std::nullopt;
    case PaperColor::warm:
        return dark ? Rgb{0.165, 0.149, 0.125} : Rgb{0.984, 0.961, 0.902};
    case PaperColor::yellow:
        return dark ? Rgb{0.176, 0.165, 0.11} : Rgb{1.0, 0.973, 0.839};
    case PaperColor::sage:
        return dark ? Rgb{0.094, 0.125, 0.098} : Rgb{0.918, 0.933, 0.918};
    case PaperColor::blueprint:
        return Rgb{0.114, 0.231, 0.388};
    }
    return std::nullopt;
}

Rgb label(ColorLabel label) {
    auto rgb = [](int r, int g, int b) { return Rgb{r / 255.0, g / 255.0, b / 255.0}; };
    switch (label) {
    case ColorLabel::red:
        return rgb(255, 59, 48);
    case ColorLabel::orange:
        return rgb(255, 149, 0);
    case ColorLabel::yellow:
        return rgb(255, 204, 0);
    case ColorLabel::green:
        return rgb(52, 199, 89);
    case ColorLabel::blue:
        return rgb(0, 122, 255);
    case ColorLabel::purple:
        return rgb(175, 82, 222);
    case ColorLabel::gray:
        return rgb(142, 142, 147);
    }
    return rgb(142, 142, 147);
}

Rgb greenHighlight(bool dark) {
    return dark ? Rgb{0.435, 0.804, 0.643} : Rgb{0.11, 0.42, 0.314};
}

bool strikeChecked(std::optional<bool> stored, CheckStyle style) {
    return stored.value_or(style == CheckStyle::web);
}

double paperMargin(std::optional<double> stored) {
    if (!stored || !std::isfinite(*stored)) {
        return ColumnWidths::standard;
    }
    return ColumnWidths::clamped(*stored);
}

} // namespace AppearanceColors
} // namespace velmora
