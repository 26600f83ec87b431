#pragma once

#include "core/layout/layout_records.hpp"

#include <optional>

// The geometry of a printed list and of a printed picture, in points of the page. Text is
// measured by the application; these functions place what it measured.
namespace velmora::PrintLayout {

inline constexpr double indentStep = 18;
// An indent never leaves less than this for the check marker, the dot and the title.
inline constexpr double indentReserve = 220;
inline constexpr double titleMinimumWidth = 40;
inline constexpr double titleMinimumHeight = 17;
inline constexpr double headerGap = 14;
inline constexpr double rowGap = 6;
inline constexpr double noteGap = 1;
inline constexpr double dotSize = 8;

// Where the parts of one printed row lie across the page, relative to the row's top.
struct RowColumns {
    double indent = 0;
    double markerX = 0; // the centre of the check marker
    double markerY = 0;
    std::optional<LayoutRect> dot;
    double titleX = 0;
    double titleWidth = 0;

    bool operator==(const RowColumns&) const = default;
};

// The columns of a row at `depth` (0 for the printed roots) on a page `width` wide, with or
// without a colour dot: the indent is 18 per level, kept within 0…width − 220.
[[nodiscard]] RowColumns columns(int depth, double width, bool dot);

// The height a title takes: its measured height rounded up, at least one line of 17.
[[nodiscard]] double titleHeight(double measured);

// Where the first row starts below a header of the measured height.
[[nodiscard]] double firstRowTop(double headerHeight);

// The scale that fits a picture of the size on one page of the size: never larger than 1; 1
// for an empty picture.
[[nodiscard]] double fitScale(LayoutSize picture, LayoutSize page);

// Whether a picture of the size prints best across the paper (wider than high).
[[nodiscard]] bool prefersLandscape(LayoutSize picture);

} // namespace velmora::PrintLayout
