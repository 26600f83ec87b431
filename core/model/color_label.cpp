#include "core/model/color_label.hpp"

namespace velmora {

std::string_view rawValue(ColorLabel label) {
    switch (label) {
    case ColorLabel::red:
        return "red";
    case ColorLabel::orange:
        return "orange";
    case ColorLabel::yellow:
        return "yellow";
    case ColorLabel::green:
        return "green";
    case ColorLabel::blue:
        return "blue";
    case ColorLabel::purple:
        return "purple";
    case ColorLabel::gray:
        return "gray";
    }
    return "red";
}

std::optional<ColorLabel> colorLabelFromRawValue(std::string_view raw) {
    for (auto label : ColorLabels::allCases)
        if (rawValue(label) == raw)
            return label;
    if (raw == "pink")
        return ColorLabel::red;
    if (raw == "aqua")
        return ColorLabel::blue;
    if (raw == "brown")
        return ColorLabel::gray;
    return std::nullopt;
}

std::string_view rawValue(ViewMode mode) {
    switch (mode) {
    case ViewMode::list:
        return "list";
    case ViewMode::tree:
        return "tree";
    case ViewMode::map:
        return "map";
    }
    return "list";
}

std::optional<ViewMode> viewModeFromRawValue(std::string_view raw) {
    if (raw == "list")
        return ViewMode::list;
    if (raw == "tree")
        return ViewMode::tree;
    if (raw == "map")
        return ViewMode::map;
    return std::nullopt;
}

} // namespace velmora
