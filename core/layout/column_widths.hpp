#pragma once

#include <optional>
#include <vector>

// The per-depth column widths a document stores for its map columns. A column without a stored
// width is the standard width; every stored width is used clamped to the allowed range.
namespace velmora::ColumnWidths {

inline constexpr double standard = 220;
inline constexpr double minimum = 120;
inline constexpr double maximum = 480;

// The width clamped to minimum…maximum; a width that is not a number is the standard width.
[[nodiscard]] double clamped(double width);

// The width of column `index`: the stored width clamped, or the standard width when the index
// is negative or the stored list is absent or too short.
[[nodiscard]] double width(int index, const std::optional<std::vector<double>>& stored);

// The stored list after the user sets column `depth` to `width`. `first` is the width column 0
// shows at the moment; it becomes the first entry of a list that had none. Missing columns up
// to `depth` get the standard width. A negative depth changes nothing.
[[nodiscard]] std::vector<double> setting(const std::optional<std::vector<double>>& stored,
                                          int depth, double width, double first);

} // namespace velmora::ColumnWidths
