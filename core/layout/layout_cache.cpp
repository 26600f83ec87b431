#include "core/layout/layout_cache.hpp"

#include "core/layout/layout_query.hpp"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace velmora {
namespace {

using EntryPtr = TreeLayoutCache::EntryPtr;
using namespace TreeLayout;

// The items below at every depth that hiding completed items leaves, collapsed ones included.
std::int64_t uncheckedCount(const ItemList& items) {
    std::int64_t count = 0;
    for (const Item& item : items)
        if (!item.checked)
            count += 1 + uncheckedCount(item.children);
    return count;
}

// Places the subtrees of one sibling list below each other from 0; returns the bottom of the
// last one.
double stack(const std::vector<EntryPtr>& entries, double gap, double y,
             std::vector<double>& tops) {
    tops.clear();
    tops.reserve(entries.size());
    double bottom = y;
    for (const auto& entry : entries) {
        tops.push_back(y);
        bottom = y + entry->extent;
        y = bottom + gap;
    }
    return bottom;
}

// Places a subtree's children below its top and sets its extent and, in the map style, its
// block's top, from its block's size and its children's extents.
void arrange(TreeLayoutCache::Entry& e, Style style) {
    e.itemY = 0;
    e.extent = e.size.height;
    if (e.children.empty()) {
        e.childTops.clear();
        return;
    }
    const bool tree = style == Style::tree;
    const double bottom = stack(e.children, tree ? TreeLayout::gap : mapGap, 0, e.childTops);
    if (tree) {
        e.extent = std::max(e.size.height, bottom);
    } else {
        e.itemY = (e.childTops.front() + e.children.front()->itemY + e.childTops.back() +
                   e.children.back()->itemY) /
                  2;
        e.extent = std::max(e.size.height + e.itemY, bottom);
    }
}

// Whether two contexts differ in nothing but column widths.
bool sameBesidesColumns(const TreeLayoutCache::Context& a, const TreeLayoutCache::Context& b) {
    TreeLayoutCache::Context withColumns = a;
    withColumns.columns = b.columns;
    return withColumns == b;
}

} // namespace

bool TreeLayoutCache::hides(const Item& item, int depth) const {
    return m_context.hidingCompleted && item.checked && !(depth == 0 && m_context.keepTop);
}

std::vector<EntryPtr> TreeLayoutCache::level(const ItemList& items, int depth,
                                             const std::vector<EntryPtr>& old,
                                             const Measure& measure,
                                             std::vector<std::uint32_t>& sourceIndex) {
    std::vector<EntryPtr> entries;
    entries.reserve(items.size());
    sourceIndex.clear();
    bool skipped = false;
    auto reusable = [&](const EntryPtr& e, const ItemList::Node& node) {
        return e->node == node && !(m_dirty && m_dirty->contains(node.get()));
    };
    // Built only for lists where an item changed or moved: the sibling lists along an edit.
    std::unordered_map<const Item*, const EntryPtr*> byNode;
    std::unordered_map<std::string_view, const EntryPtr*> byId;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ItemList::Node& node = items.node(i);
        if (hides(*node, depth)) {
            skipped = true;
            continue;
        }
        sourceIndex.push_back(static_cast<std::uint32_t>(i));
        const std::size_t k = entries.size();
        if (k < old.size() && reusable(old[k], node)) {
            entries.push_back(refit(old[k], measure));
            continue;
        }
        if (byNode.empty() && !old.empty()) {
            for (const auto& e : old) {
                byNode.emplace(e->node.get(), &e);
                byId.emplace(e->node->id, &e);
            }
        }
        if (auto it = byNode.find(node.get()); it != byNode.end() && reusable(*it->second, node)) {
            entries.push_back(refit(*it->second, measure));
            continue;
        }
        const EntryPtr* previous = nullptr;
        if (k < old.size() && old[k]->node->id == node->id)
            previous = &old[k];
        else if (auto it = byId.find(node->id); it != byId.end())
            previous = it->second;
        entries.push_back(entryFor(node, depth, previous, measure));
    }
    if (!skipped)
        sourceIndex.clear();
    return entries;
}

// A new entry for a node that changed; `previous` (the entry of the item's earlier version)
// lends its children's entries.
EntryPtr TreeLayoutCache::entryFor(const ItemList::Node& node, int depth, const EntryPtr* previous,
                                   const Measure& measure) {
    ++m_laidOut;
    auto e = std::make_shared<Entry>();
    e->node = node;
    e->depth = depth;
    e->maxDepth = depth;
    const Measured measured = measure(node, depth);
    e->size = measured.size;
    e->estimated = measured.estimated;
    const bool hiding = m_context.hidingCompleted;
    e->hasChildren = hiding ? std::any_of(node->children.begin(), node->children.end(),
                                          [](const Item& child) { return !child.checked; })
                            : !node->children.empty();
    if (!e->hasChildren) {
        arrange(*e, m_context.style);
        return e;
    }
    if (node->collapsed) {
        e->descendants = hiding ? uncheckedCount(node->children) : node->children.totalCount();
        arrange(*e, m_context.style);
        return e;
    }
    static const std::vector<EntryPtr> none;
    e->children = level(node->children, depth + 1, previous ? (*previous)->children : none,
                        measure, e->sourceIndex);
    for (const auto& child : e->children) {
        e->maxDepth = std::max(e->maxDepth, child->maxDepth);
        e->shown += child->shown;
        e->descendants += 1 + child->descendants;
    }
    if (!hiding)
        e->descendants = node->children.totalCount();
    arrange(*e, m_context.style);
    return e;
}

bool TreeLayoutCache::reachesResized(int fromDepth, int toDepth) const {
    if (m_resized.empty() || fromDepth > toDepth)
        return false;
    const auto count = [&](int depth) {
        return m_resized[std::min(static_cast<std::size_t>(depth), m_resized.size() - 1)];
    };
    return count(toDepth + 1) != count(fromDepth);
}

// The entry of an unchanged node after column widths changed: the same entry when no block of
// its subtree lies in a changed column or none of those changed size, else a copy with the
// blocks in changed columns measured again and the subtrees below them placed anew. Columns to
// the right only move sideways, which the entries do not record.
EntryPtr TreeLayoutCache::refit(const EntryPtr& old, const Measure& measure) {
    const Entry& e = *old;
    if (!reachesResized(e.depth, e.maxDepth))
        return old;
    LayoutSize size = e.size;
    bool estimated = e.estimated;
    if (reachesResized(e.depth, e.depth)) {
        const Measured measured = measure(e.node, e.depth);
        size = measured.size;
        estimated = measured.estimated;
    }
    std::vector<EntryPtr> children;
    if (reachesResized(e.depth + 1, e.maxDepth)) {
        for (std::size_t i = 0; i < e.children.size(); ++i) {
            EntryPtr child = refit(e.children[i], measure);
            if (child != e.children[i] && children.empty())
                children.assign(e.children.begin(), e.children.begin() + std::ptrdiff_t(i));
            if (!children.empty() || child != e.children[i])
                children.push_back(std::move(child));
        }
    }
    if (children.empty() && size == e.size && estimated == e.estimated)
        return old;
    ++m_laidOut;
    auto fresh = std::make_shared<Entry>(e);
    fresh->size = size;
    fresh->estimated = estimated;
    if (!children.empty())
        fresh->children = std::move(children);
    arrange(*fresh, m_context.style);
    return fresh;
}

void TreeLayoutCache::place(const Measure& measure) {
    m_laidOut = 0;
    auto tree = std::make_shared<Tree>();
    tree->context = m_context;
    tree->top = level(m_items, 0, m_tree->top, measure, tree->sourceIndex);
    const double gap = m_context.style == Style::tree ? TreeLayout::gap : mapGap;
    tree->bottom = stack(tree->top, gap, top, tree->tops);
    for (const auto& entry : tree->top) {
        tree->maxDepth = std::max(tree->maxDepth, entry->maxDepth);
        tree->shown += entry->shown;
    }
    // The right edge of the blocks of the deepest column, the rightmost of all.
    const int deepest = tree->maxDepth;
    const double maxX =
        deepest < 0 ? 0
                    : columnOrigin(deepest, m_context.columns) + gutter +
                          TreeLayout::nodeWidth(deepest, m_context.columns);
    tree->contentSize = {maxX + 2 * rightMargin, tree->bottom + 2 * rightMargin};
    m_tree = std::move(tree);
}

void TreeLayoutCache::update(const ItemList& items, const Context& context,
                             const Measure& measure) {
    if (!m_hasContext || !sameBesidesColumns(context, m_context)) {
        m_tree = std::make_shared<const Tree>();
        m_hasContext = true;
    } else if (context.columns != m_context.columns) {
        const std::size_t count = std::max(context.columns.size(), m_context.columns.size());
        m_resized.assign(count + 1, 0);
        for (std::size_t i = 0; i < count; ++i) {
            const int depth = static_cast<int>(i);
            m_resized[i + 1] = m_resized[i] + (columnWidth(depth, context.columns) !=
                                               columnWidth(depth, m_context.columns));
        }
        if (m_resized.back() == 0)
            m_resized.clear();
    }
    m_context = context;
    m_items = items;
    place(measure);
    m_resized.clear();
}

void TreeLayoutCache::remeasure(const std::unordered_set<const Item*>& nodes,
                                const Measure& measure) {
    if (nodes.empty()) {
        m_laidOut = 0;
        return;
    }
    m_dirty = &nodes;
    place(measure);
    m_dirty = nullptr;
}

TreeLayoutResult TreeLayoutCache::result() const {
    return LayoutQuery::whole(*m_tree);
}

} // namespace velmora
