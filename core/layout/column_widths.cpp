#include "core/layout/column_widths.hpp"

#include "core/model/item.hpp"

#include <algorithm>
#include <cmath>

namespace velmora::ColumnWidths {

double clamped(double width) {
    // A NaN would survive std::clamp and spread through every position to its right.
    if (std::isnan(width))
        return standard;
    return std::clamp(width, minimum, maximum);
}

double width(int index, const std::optional<std::vector<double>>& stored) {
    if (index < 0 || !stored || static_cast<std::size_t>(index) >= stored->size())
        return standard;
    return clamped((*stored)[static_cast<std::size_t>(index)]);
}

std::vector<double> setting(const std::optional<std::vector<double>>& stored, int depth,
                            double width, double first) {
    std::vector<double> widths = stored.value_or(std::vector<double>{});
    // No item sits deeper than kMaxItemDepth, so a deeper column cannot be shown or resized.
    if (depth < 0 || depth > kMaxItemDepth)
        return widths;
    if (widths.empty())
        widths.push_back(clamped(first));
    while (widths.size() <= static_cast<std::size_t>(depth))
        widths.push_back(standard);
    widths[static_cast<std::size_t>(depth)] = clamped(width);
    return widths;
}

} // namespace velmora::ColumnWidths
