#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

// The colour label of an item, in menu order (label1 … label7). One byte, so that an item's
// flags and label pack into one word.
enum class ColorLabel : std::uint8_t { red, orange, yellow, green, blue, purple, gray };

namespace ColorLabels {
inline constexpr std::array<ColorLabel, 7> allCases = {
    ColorLabel::red,  ColorLabel::orange, ColorLabel::yellow, ColorLabel::green,
    ColorLabel::blue, ColorLabel::purple, ColorLabel::gray};
}

// The stored name of a label ("red" … "gray").
[[nodiscard]] std::string_view rawValue(ColorLabel label);

// A label's exact stored name; also the older names "pink" (red), "aqua" (blue) and "brown"
// (gray). Anything else, including other letter cases, is no label.
[[nodiscard]] std::optional<ColorLabel> colorLabelFromRawValue(std::string_view raw);

// The three ways of showing a document.
enum class ViewMode { list, tree, map };

[[nodiscard]] std::string_view rawValue(ViewMode mode);
[[nodiscard]] std::optional<ViewMode> viewModeFromRawValue(std::string_view raw);

// Whether the view is drawn on the canvas (tree or map) rather than as the list.
[[nodiscard]] constexpr bool isCanvas(ViewMode mode) {
    return mode != ViewMode::list;
}

} // namespace velmora
