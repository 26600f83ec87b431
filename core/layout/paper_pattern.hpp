#pragma once

#include "core/layout/layout_records.hpp"
#include "core/layout/paper_style.hpp"

#include <functional>
#include <optional>
#include <vector>

namespace velmora {

// One filled shape of a paper pattern: a bar (rectangle) or a dot (the circle inside `rect`),
// in one of three inks at an alpha.
struct PatternMark {
    enum class Shape { bar, dot };
    // pattern: blue, or white on blueprint paper; primary: the primary text colour;
    // red: the system red.
    enum class Ink { pattern, primary, red };

    Shape shape = Shape::bar;
    Ink ink = Ink::pattern;
    double alpha = 1;
    LayoutRect rect;

    bool operator==(const PatternMark&) const = default;
};

// One row of the list view for its paper: its index among all rows, its top and height.
struct PaperRow {
    long index = 0;
    double y = 0;
    double height = 0;

    bool operator==(const PaperRow&) const = default;
};

// The shapes of the paper patterns for the part of a view that needs drawing (the dirty
// rectangle). Only shapes that can touch the dirty rectangle are produced; the painter clips.
namespace PaperPattern {

// The canvas's pattern origin and step.
inline constexpr double canvasOriginX = 26.5;
inline constexpr double canvasOriginY = 14;
inline constexpr double canvasStep = 25;
// The x where the canvas's first column starts (the canvas inset).
inline constexpr double canvasColumnsX = 8;
// The list's pattern origin; its step is the row height.
inline constexpr double listOriginX = 12.5;
inline constexpr double listOriginY = 0;

// Receives the shapes one by one, so a large dirty area needs no list of them.
using MarkSink = std::function<void(const PatternMark&)>;

// The pattern of the tree canvas. `columns` are the canvas's effective column widths.
void canvas(PaperStyle style, const LayoutRect& dirty, const std::vector<double>& columns,
            const MarkSink& sink);
[[nodiscard]] std::vector<PatternMark> canvas(PaperStyle style, const LayoutRect& dirty,
                                              const std::vector<double>& columns);

// The pattern of the list. `rows` are the real rows that meet the dirty rectangle; `rowCount`
// is the number of all rows and `lastRowBottom` the bottom of the last one (0 without rows);
// virtual rows of `rowHeight` continue below it. `marginX` is where the margin line stands.
void list(PaperStyle style, const LayoutRect& dirty, const std::vector<PaperRow>& rows,
          long rowCount, double lastRowBottom, double rowHeight, double marginX,
          const MarkSink& sink);
[[nodiscard]] std::vector<PatternMark> list(PaperStyle style, const LayoutRect& dirty,
                                            const std::vector<PaperRow>& rows, long rowCount,
                                            double lastRowBottom, double rowHeight, double marginX);

// The x of the list's margin line: the left edge of the first row's disclosure control less
// 6, at least 5; 8 when the list has no rows.
[[nodiscard]] double listMarginX(std::optional<double> firstDisclosureLeft);

} // namespace PaperPattern
} // namespace velmora
