#pragma once

#include "core/layout/layout_cache.hpp"

#include <cstdint>
#include <vector>

// Walking a laid-out tree in outline order, each item before its children (the order of the
// list's rows, whatever the style), without writing it out: Home, End and the page keys cost
// the depth and the steps, not the document.
namespace velmora::LayoutOrder {

using Tree = TreeLayoutCache::Tree;
using Entry = TreeLayoutCache::Entry;

// The first and the last laid-out item in outline order; null when nothing is laid out.
[[nodiscard]] const Entry* first(const Tree& tree);
[[nodiscard]] const Entry* last(const Tree& tree);

// The item `steps` items after the item at `path` (before it when negative) in outline order,
// stopping at the first and the last item. `path` holds indices among the laid-out items'
// children, as for LayoutQuery::locate; null when no laid-out item is there.
[[nodiscard]] const Entry* step(const Tree& tree, const std::vector<int>& path,
                                std::int64_t steps);

} // namespace velmora::LayoutOrder
