#pragma once

#include "core/layout/layout_cache.hpp"
#include "core/layout/layout_records.hpp"

#include <functional>
#include <optional>
#include <unordered_set>
#include <vector>

// Reading a laid-out tree without writing it all out: the part that reaches into a band of
// heights, found by binary search down the cached subtrees, and one item's block, found along
// its path. Both cost what they return and the depth, not the document.
namespace velmora::LayoutQuery {

using Tree = TreeLayoutCache::Tree;
using Entry = TreeLayoutCache::Entry;

// The lit branch: the selected item and its ancestors (by node); the descendants of `item`
// are lit too.
struct Branch {
    const Item* item = nullptr;
    std::unordered_set<const Item*> path;
};

// One block of the visible part, in layout coordinates.
struct Block {
    const Entry* entry = nullptr;
    LayoutRect frame;
    bool lit = false;
    int parent = -1; // the index of the parent's block among the visible blocks, if given
};

// The part of the geometry that reaches into a band of heights: every block, segment, knob and
// link of the whole layout that does (with the margins of their drawing), and a few neighbours
// that do not. In the tree style, of a parent's links that run past the band's bottom only the
// first is given: below the band they all share one line.
struct Visible {
    std::vector<Block> blocks;
    std::vector<LayoutSegment> segments;
    std::vector<LayoutKnob> knobs;
    std::vector<LayoutLink> links;
    std::vector<bool> litLinks; // whether each link joins two lit items
};

// The whole geometry in TreeLayout::layout's order.
[[nodiscard]] TreeLayoutResult whole(const Tree& tree);

// What reaches into top…bottom; `branch` (may be null) decides what is lit.
[[nodiscard]] Visible visible(const Tree& tree, double top, double bottom, const Branch* branch);

// The block of the item at `path` (indices among the laid-out items' children, the first one
// among the top-level items) with its ancestors' entries, topmost first; nothing when the item
// is hidden or inside a collapsed branch.
struct Located {
    Block block;
    std::vector<const Entry*> ancestors;
    // The index among its shown siblings of each ancestor and, last, of the item.
    std::vector<std::size_t> positions;
};
[[nodiscard]] std::optional<Located> locate(const Tree& tree, const std::vector<int>& path);

// Calls f(entry) for every laid-out entry.
void forEach(const Tree& tree, const std::function<void(const Entry&)>& f);

} // namespace velmora::LayoutQuery
