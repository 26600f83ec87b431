#pragma once

#include "core/layout/layout_records.hpp"
#include "core/model/item.hpp"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora {

// The measured content of each item, by item id: the distance from the block's left edge to the
// end of the title text, and the block height.
using LayoutSizes = std::unordered_map<std::string, LayoutSize>;

// Places the shown items of the tree and map views in columns, one column per depth. Pure
// arithmetic: nothing is kept between calls.
namespace TreeLayout {

// tree: a parent is top-aligned with its first child and the children hang from a bracket.
// map: a parent is centred on its children and joined to each by its own link.
enum class Style { tree, map };

inline constexpr double column = 220;
inline constexpr double gutter = 16;
inline constexpr double rightMargin = 20;
inline constexpr double gap = 4;
inline constexpr double mapGap = 6;
inline constexpr double padTop = 2;
inline constexpr double lineHeight = 17;
inline constexpr double top = 10;
// The block width of a column without a given width (the name nodeWidth is the function's).
inline constexpr double standardNodeWidth = column - gutter - rightMargin;
inline constexpr double knobSize = 11;

// The width of column `index`: the given width clamped to the allowed range, or the standard
// width when `columns` has no entry for it.
[[nodiscard]] double columnWidth(int index, const std::vector<double>& columns);

// Where column `depth` starts: the sum of the widths of the columns before it.
[[nodiscard]] double columnOrigin(int depth, const std::vector<double>& columns);

// The width of the blocks in column `depth`: the column less its gutter and right margin.
[[nodiscard]] double nodeWidth(int depth, const std::vector<double>& columns);

// The number of items below the item at every depth, collapsed branches included.
[[nodiscard]] std::int64_t descendantCount(const Item& item);

// The number of items `layout` places: the items and the descendants of expanded items.
[[nodiscard]] std::int64_t shownCount(const ItemList& items);

// The geometry of `items` (depth 0) and, recursively, of the children of every expanded item.
// `sizes` holds measured sizes by id (an item without one gets the block width and one line);
// `columns` are the per-depth widths; `rootLine` gives the top level its bracket and ticks in
// the tree style. Blocks come in pre-order in the tree style and in post-order in the map style.
[[nodiscard]] TreeLayoutResult layout(const ItemList& items, const LayoutSizes& sizes,
                                      const std::vector<double>& columns, Style style,
                                      bool rootLine);

} // namespace TreeLayout
} // namespace velmora
