#pragma once

#include "core/layout/tree_layout.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace velmora {

// Lays out exactly like TreeLayout::layout, keeping the geometry of every placed subtree
// relative to its own top, tied to the immutable node it was made from. A later layout of an
// edited tree reuses every subtree whose node is unchanged: an edit costs the measuring of the
// changed item and the sibling lists along its path, not the document.
class TreeLayoutCache {
public:
    // The measured size of an item's block shown at a depth. Asked only for items whose
    // subtree is laid out anew; it must give the same answer for the same node and depth while
    // the context passed to layout() stays the same.
    using Measure = std::function<LayoutSize(const ItemList::Node& node, int depth)>;

    // Everything besides the nodes that the geometry depends on; another context forgets all.
    struct Context {
        std::vector<double> columns;
        TreeLayout::Style style = TreeLayout::Style::tree;
        bool rootLine = true;
        // Anything else the measurements depend on (note display, editing target, fonts).
        std::uint64_t measureKey = 0;

        bool operator==(const Context&) const = default;
    };

    // Lays out `items` (depth 0) in `context`, reusing what the last call placed.
    void update(const ItemList& items, const Context& context, const Measure& measure);

    // The whole geometry, as TreeLayout::layout gives it for the same items and sizes.
    [[nodiscard]] TreeLayoutResult result() const;

    // The drawing's size, as result().contentSize.
    [[nodiscard]] LayoutSize contentSize() const { return m_contentSize; }

    // How many subtrees the last update laid out anew (for tests and benchmarks).
    [[nodiscard]] std::int64_t laidOutCount() const { return m_laidOut; }

    struct Entry;

private:
    std::shared_ptr<const Entry> entryFor(const ItemList::Node& node, int depth,
                                          const std::shared_ptr<const Entry>* old,
                                          const Measure& measure);
    std::vector<std::shared_ptr<const Entry>>
    level(const ItemList& items, int depth, const std::vector<std::shared_ptr<const Entry>>& old,
          const Measure& measure);

    Context m_context;
    bool m_hasContext = false;
    std::vector<std::shared_ptr<const Entry>> m_top;
    std::vector<double> m_topTops; // each top-level subtree's top
    double m_bottom = TreeLayout::top;
    LayoutSize m_contentSize{2 * TreeLayout::rightMargin, TreeLayout::top + 2 * TreeLayout::rightMargin};
    std::int64_t m_laidOut = 0;
};

// One laid-out subtree, relative to its top (y = 0) in its depth's column.
struct TreeLayoutCache::Entry {
    ItemList::Node node;
    int depth = 0;
    LayoutSize size;      // the measured size of the item's block
    double itemY = 0;     // the block's top (0 in the tree style; centred on the children in the map)
    double extent = 0;    // from the subtree's top to its bottom
    double maxX = 0;      // the rightmost block edge in the subtree
    std::vector<std::shared_ptr<const Entry>> children; // the shown children
    std::vector<double> childTops; // each child subtree's top, relative to this subtree's top
};

} // namespace velmora
