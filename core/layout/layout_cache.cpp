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
            entries.push_back(old[k]);
            continue;
        }
        if (byNode.empty() && !old.empty()) {
            for (const auto& e : old) {
                byNode.emplace(e->node.get(), &e);
                byId.emplace(e->node->id, &e);
            }
        }
        if (auto it = byNode.find(node.get()); it != byNode.end() && reusable(*it->second, node)) {
            entries.push_back(*it->second);
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
    const double nodeWidth = TreeLayout::nodeWidth(depth, m_context.columns);
    e->extent = e->size.height;
    e->maxX = columnOrigin(depth, m_context.columns) + gutter + nodeWidth;
    const bool hiding = m_context.hidingCompleted;
    e->hasChildren = hiding ? std::any_of(node->children.begin(), node->children.end(),
                                          [](const Item& child) { return !child.checked; })
                            : !node->children.empty();
    if (!e->hasChildren)
        return e;
    if (node->collapsed) {
        e->descendants = hiding ? uncheckedCount(node->children) : node->children.totalCount();
        return e;
    }
    static const std::vector<EntryPtr> none;
    e->children = level(node->children, depth + 1, previous ? (*previous)->children : none,
                        measure, e->sourceIndex);
    const bool tree = m_context.style == Style::tree;
    const double bottom = stack(e->children, tree ? TreeLayout::gap : mapGap, 0, e->childTops);
    for (const auto& child : e->children) {
        e->maxX = std::max(e->maxX, child->maxX);
        e->maxDepth = std::max(e->maxDepth, child->maxDepth);
        e->shown += child->shown;
        e->descendants += 1 + child->descendants;
    }
    if (!hiding)
        e->descendants = node->children.totalCount();
    if (tree) {
        e->extent = std::max(e->size.height, bottom);
    } else {
        e->itemY = (e->childTops.front() + e->children.front()->itemY + e->childTops.back() +
                    e->children.back()->itemY) /
                   2;
        e->extent = std::max(e->size.height + e->itemY, bottom);
    }
    return e;
}

void TreeLayoutCache::place(const Measure& measure) {
    m_laidOut = 0;
    auto tree = std::make_shared<Tree>();
    tree->context = m_context;
    tree->top = level(m_items, 0, m_tree->top, measure, tree->sourceIndex);
    const double gap = m_context.style == Style::tree ? TreeLayout::gap : mapGap;
    tree->bottom = stack(tree->top, gap, top, tree->tops);
    double maxX = 0;
    for (const auto& entry : tree->top) {
        maxX = std::max(maxX, entry->maxX);
        tree->maxDepth = std::max(tree->maxDepth, entry->maxDepth);
        tree->shown += entry->shown;
    }
    tree->contentSize = {maxX + 2 * rightMargin, tree->bottom + 2 * rightMargin};
    m_tree = std::move(tree);
}

void TreeLayoutCache::update(const ItemList& items, const Context& context,
                             const Measure& measure) {
    if (!m_hasContext || !(context == m_context)) {
        m_tree = std::make_shared<const Tree>();
        m_context = context;
        m_hasContext = true;
    }
    m_items = items;
    place(measure);
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
