#include "core/layout/layout_cache.hpp"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace velmora {
namespace {

using EntryPtr = std::shared_ptr<const TreeLayoutCache::Entry>;
using namespace TreeLayout;

constexpr double kRowCentre = padTop + lineHeight / 2;

bool expanded(const Item& item) {
    return !item.children.empty() && !item.collapsed;
}

// The column geometry of one depth, accumulated from the left as the reference does.
struct Column {
    double x = 0, width = 0, blockX = 0, nodeWidth = 0, knobX = 0;
};

class Columns {
public:
    explicit Columns(const std::vector<double>& widths) : m_widths(widths) {}
    const Column& at(int depth) {
        while (m_columns.size() <= static_cast<std::size_t>(depth)) {
            const double x =
                m_columns.empty() ? 0 : m_columns.back().x + m_columns.back().width;
            const double w = columnWidth(static_cast<int>(m_columns.size()), m_widths);
            m_columns.push_back({x, w, x + gutter, w - gutter - rightMargin, x + w - rightMargin / 2});
        }
        return m_columns[static_cast<std::size_t>(depth)];
    }

private:
    const std::vector<double>& m_widths;
    std::vector<Column> m_columns;
};

// Writes the cached geometry out as absolute records, in the reference's order.
class Emitter {
public:
    Emitter(const std::vector<double>& widths, TreeLayoutResult& out) : m_columns(widths), m_out(out) {}

    void tree(const std::vector<EntryPtr>& entries, const std::vector<double>& tops, double base,
              int depth, const std::string* parent, double parentStartX, double parentY,
              bool withLines) {
        const Column g = m_columns.at(depth);
        const std::size_t firstCentre = m_centres.size();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto& e = *entries[i];
            const Item& item = *e.node;
            const double y = base + tops[i];
            m_out.blocks.push_back({item.id, {g.blockX, y, g.nodeWidth, e.size.height}, depth});
            const double cy = y + kRowCentre;
            m_centres.push_back(cy);
            if (!item.children.empty()) {
                const double sx = std::min(g.knobX - 7, g.blockX + e.size.width + 5);
                m_out.segments.push_back({LayoutSegment::Kind::stub, sx, cy, g.knobX - 6, cy});
                m_out.knobs.push_back(
                    {item.id, g.knobX, cy, item.collapsed, descendantCount(item)});
                if (!item.collapsed) {
                    m_out.segments.push_back(
                        {LayoutSegment::Kind::stub, g.knobX + 6, cy, g.x + g.width + 6, cy});
                    tree(e.children, e.childTops, y, depth + 1, &item.id, sx, cy, true);
                }
            }
        }
        if (depth > 0 || withLines)
            lines(entries, g, firstCentre, parent, parentStartX, parentY);
        m_centres.resize(firstCentre);
    }

    void map(const std::vector<EntryPtr>& entries, const std::vector<double>& tops, double base,
             int depth, std::vector<std::size_t>& placed) {
        const Column g = m_columns.at(depth);
        std::vector<std::size_t> childBlocks;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto& e = *entries[i];
            const Item& item = *e.node;
            const double y = base + tops[i];
            childBlocks.clear();
            if (expanded(item))
                map(e.children, e.childTops, y, depth + 1, childBlocks);
            const double itemY = y + e.itemY;
            placed.push_back(m_out.blocks.size());
            m_out.blocks.push_back({item.id, {g.blockX, itemY, g.nodeWidth, e.size.height}, depth});
            const double cy = itemY + kRowCentre;
            if (!item.children.empty())
                m_out.knobs.push_back(
                    {item.id, g.knobX, cy, item.collapsed, descendantCount(item)});
            for (std::size_t c : childBlocks) {
                const PlacedBlock& child = m_out.blocks[c];
                m_out.links.push_back({child.id, item.id, g.knobX + knobSize / 2 + 1, cy, g.knobX,
                                       child.frame.y + kRowCentre, child.frame.x});
            }
        }
    }

private:
    void lines(const std::vector<EntryPtr>& entries, const Column& g, std::size_t firstCentre,
               const std::string* parent, double parentStartX, double parentY) {
        const double bx = g.x + 6;
        const double tickEnd = g.x + gutter - 1;
        const std::size_t count = m_centres.size() - firstCentre;
        if (count >= 2)
            m_out.segments.push_back(
                {LayoutSegment::Kind::bracket, bx, m_centres[firstCentre], bx, m_centres.back()});
        for (std::size_t i = firstCentre; i < m_centres.size(); ++i)
            m_out.segments.push_back(
                {LayoutSegment::Kind::tick, bx, m_centres[i], tickEnd, m_centres[i]});
        if (parent == nullptr)
            return;
        for (std::size_t i = 0; i < count; ++i)
            m_out.links.push_back({entries[i]->node->id, *parent, parentStartX, parentY, bx,
                                   m_centres[firstCentre + i], tickEnd});
    }

    Columns m_columns;
    TreeLayoutResult& m_out;
    std::vector<double> m_centres;
};

} // namespace

std::vector<EntryPtr> TreeLayoutCache::level(const ItemList& items, int depth,
                                             const std::vector<EntryPtr>& old,
                                             const Measure& measure) {
    std::vector<EntryPtr> entries;
    entries.reserve(items.size());
    // Built only for lists where an item changed or moved: the sibling lists along an edit.
    std::unordered_map<const Item*, const EntryPtr*> byNode;
    std::unordered_map<std::string_view, const EntryPtr*> byId;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ItemList::Node& node = items.node(i);
        if (i < old.size() && old[i]->node == node) {
            entries.push_back(old[i]);
            continue;
        }
        if (byNode.empty() && !old.empty()) {
            for (const auto& e : old) {
                byNode.emplace(e->node.get(), &e);
                byId.emplace(e->node->id, &e);
            }
        }
        if (auto it = byNode.find(node.get()); it != byNode.end()) {
            entries.push_back(*it->second);
            continue;
        }
        const EntryPtr* previous = nullptr;
        if (i < old.size() && old[i]->node->id == node->id)
            previous = &old[i];
        else if (auto it = byId.find(node->id); it != byId.end())
            previous = it->second;
        entries.push_back(entryFor(node, depth, previous, measure));
    }
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
    e->size = measure(node, depth);
    const Column g = Columns(m_context.columns).at(depth);
    e->extent = e->size.height;
    e->maxX = g.blockX + g.nodeWidth;
    if (expanded(*node)) {
        static const std::vector<EntryPtr> none;
        e->children = level(node->children, depth + 1, previous ? (*previous)->children : none,
                            measure);
        const double gap = m_context.style == Style::tree ? TreeLayout::gap : mapGap;
        e->childTops.reserve(e->children.size());
        double y = 0, bottom = 0;
        for (const auto& child : e->children) {
            e->childTops.push_back(y);
            bottom = y + child->extent;
            y = bottom + gap;
            e->maxX = std::max(e->maxX, child->maxX);
        }
        if (m_context.style == Style::tree) {
            e->extent = std::max(e->size.height, bottom);
        } else {
            e->itemY = (e->childTops.front() + e->children.front()->itemY + e->childTops.back() +
                        e->children.back()->itemY) /
                       2;
            e->extent = std::max(e->size.height + e->itemY, bottom);
        }
    }
    return e;
}

void TreeLayoutCache::update(const ItemList& items, const Context& context,
                             const Measure& measure) {
    if (!m_hasContext || !(context == m_context)) {
        m_top.clear();
        m_context = context;
        m_hasContext = true;
    }
    m_laidOut = 0;
    m_top = level(items, 0, m_top, measure);
    const double gap = context.style == Style::tree ? TreeLayout::gap : mapGap;
    m_topTops.clear();
    double y = top, bottom = top, maxX = 0;
    for (const auto& entry : m_top) {
        m_topTops.push_back(y);
        bottom = y + entry->extent;
        y = bottom + gap;
        maxX = std::max(maxX, entry->maxX);
    }
    m_bottom = bottom;
    m_contentSize = {maxX + 2 * rightMargin, bottom + 2 * rightMargin};
}

TreeLayoutResult TreeLayoutCache::result() const {
    TreeLayoutResult out;
    Emitter emit(m_context.columns, out);
    if (m_context.style == Style::tree) {
        emit.tree(m_top, m_topTops, 0, 0, nullptr, 0, 0, m_context.rootLine);
    } else {
        std::vector<std::size_t> placed;
        emit.map(m_top, m_topTops, 0, 0, placed);
    }
    out.contentSize = m_contentSize;
    return out;
}

} // namespace velmora
