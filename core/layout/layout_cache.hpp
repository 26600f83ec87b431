#pragma once

#include "core/layout/tree_layout.hpp"

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <vector>

namespace velmora {

// Lays out exactly like TreeLayout::layout, keeping the geometry of every placed subtree
// relative to its own top, tied to the immutable node it was made from. A later layout of an
// edited tree reuses every subtree whose node is unchanged: an edit costs the measuring of the
// changed item and the sibling lists along its path, not the document. Hidden completed items
// are left out here rather than by copying the tree, so unchanged branches keep their nodes and
// their geometry while completed items are hidden.
class TreeLayoutCache {
public:
    // A block size, and whether it is only an estimate to be measured when it shows.
    struct Measured {
        LayoutSize size;
        bool estimated = false;

        Measured(LayoutSize s, bool isEstimate = false) : size(s), estimated(isEstimate) {}
    };

    // The measured size of an item's block shown at a depth. Asked only for items whose
    // subtree is laid out anew; it must give the same answer for the same node and depth while
    // the context passed to update() stays the same (an estimate may later be refined). Of the
    // column widths it may depend only on the width of its depth's column.
    using Measure = std::function<Measured(const ItemList::Node& node, int depth)>;

    // Everything besides the nodes that the geometry depends on. Another context forgets all,
    // unless only column widths changed: then the subtrees that reach no changed column are
    // kept whole, and of the others only the blocks in changed columns are measured again.
    struct Context {
        std::vector<double> columns;
        TreeLayout::Style style = TreeLayout::Style::tree;
        bool rootLine = true;
        // Anything else the measurements depend on (note display, editing target, fonts).
        std::uint64_t measureKey = 0;
        // Checked items and their subtrees are left out; with keepTop the top-level items
        // (a hoisted root) are kept even when checked.
        bool hidingCompleted = false;
        bool keepTop = false;

        bool operator==(const Context&) const = default;
    };

    struct Entry;
    using EntryPtr = std::shared_ptr<const Entry>;

    // One laid-out tree: shared, immutable, cheap to hold beside the next one.
    struct Tree {
        Context context;
        std::vector<EntryPtr> top;
        std::vector<double> tops; // each top-level subtree's top, in layout coordinates
        // The index among the laid-out items of each top-level entry; empty when none is hidden.
        std::vector<std::uint32_t> sourceIndex;
        double bottom = TreeLayout::top;
        LayoutSize contentSize{2 * TreeLayout::rightMargin,
                               TreeLayout::top + 2 * TreeLayout::rightMargin};
        int maxDepth = -1;      // the deepest depth holding a block; -1 when empty
        std::int64_t shown = 0; // the number of blocks
    };

    // Lays out `items` (depth 0) in `context`, reusing what the last call placed.
    void update(const ItemList& items, const Context& context, const Measure& measure);

    // Lays out the last items again, measuring the listed nodes (and laying out their
    // ancestors, which must be listed too) anew: refines estimated sizes.
    void remeasure(const std::unordered_set<const Item*>& nodes, const Measure& measure);

    // The current geometry.
    [[nodiscard]] const std::shared_ptr<const Tree>& tree() const { return m_tree; }

    // The whole geometry, as TreeLayout::layout gives it for the same items and sizes.
    [[nodiscard]] TreeLayoutResult result() const;

    // The drawing's size, as result().contentSize.
    [[nodiscard]] LayoutSize contentSize() const { return m_tree->contentSize; }

    // How many subtrees the last update laid out anew (for tests and benchmarks).
    [[nodiscard]] std::int64_t laidOutCount() const { return m_laidOut; }

private:
    EntryPtr entryFor(const ItemList::Node& node, int depth, const EntryPtr* old,
                      const Measure& measure);
    EntryPtr refit(const EntryPtr& old, const Measure& measure);
    [[nodiscard]] bool reachesResized(int fromDepth, int toDepth) const;
    std::vector<EntryPtr> level(const ItemList& items, int depth, const std::vector<EntryPtr>& old,
                                const Measure& measure, std::vector<std::uint32_t>& sourceIndex);
    [[nodiscard]] bool hides(const Item& item, int depth) const;
    void place(const Measure& measure);

    ItemList m_items;
    Context m_context;
    bool m_hasContext = false;
    std::shared_ptr<const Tree> m_tree = std::make_shared<const Tree>();
    const std::unordered_set<const Item*>* m_dirty = nullptr;
    // While an update follows a change of column widths: how many columns up to each depth
    // changed width (resized[d] counts the columns 0…d-1).
    std::vector<int> m_resized;
    std::int64_t m_laidOut = 0;
};

// One laid-out subtree, relative to its top (y = 0) in its depth's column.
struct TreeLayoutCache::Entry {
    ItemList::Node node;
    int depth = 0;
    LayoutSize size;        // the measured size of the item's block
    bool estimated = false; // the size is an estimate
    double itemY = 0;  // the block's top (0 in the tree style; centred on the children in the map)
    double extent = 0; // from the subtree's top to its bottom
    // The deepest depth holding a block of the subtree (whose column's edge is the subtree's
    // rightmost edge: nothing here depends on where columns start).
    int maxDepth = 0;
    std::int64_t shown = 1; // the blocks of the subtree
    // Whether the item has children that are not hidden, and how many such items lie below it
    // at every depth (collapsed ones included): its knob and its count.
    bool hasChildren = false;
    std::int64_t descendants = 0;
    std::vector<EntryPtr> children; // the shown children
    std::vector<double> childTops;  // each child subtree's top, relative to this subtree's top
    // The index in the item's children of each shown child; empty when none is hidden.
    std::vector<std::uint32_t> sourceIndex;

    [[nodiscard]] bool expanded() const { return !children.empty(); }
};

} // namespace velmora
