#include "core/layout/layout_query.hpp"

#include <algorithm>
#include <cmath>

namespace velmora::LayoutQuery {
namespace {

using namespace TreeLayout;
using EntryPtr = TreeLayoutCache::EntryPtr;

constexpr double kRowCentre = padTop + lineHeight / 2;

// The horizontal positions shared by every block of one column, accumulated from the left.
struct Column {
    double x = 0, width = 0, blockX = 0, nodeWidth = 0, knobX = 0;
};

class Columns {
public:
    explicit Columns(const std::vector<double>& widths) : m_widths(widths) {}
    const Column& at(int depth) {
        while (m_columns.size() <= static_cast<std::size_t>(depth)) {
            const double x = m_columns.empty() ? 0 : m_columns.back().x + m_columns.back().width;
            const double w = columnWidth(static_cast<int>(m_columns.size()), m_widths);
            m_columns.push_back(
                {x, w, x + gutter, w - gutter - rightMargin, x + w - rightMargin / 2});
        }
        return m_columns[static_cast<std::size_t>(depth)];
    }

private:
    const std::vector<double>& m_widths;
    std::vector<Column> m_columns;
};

// Writes the whole cached geometry out as absolute records, in the reference's order.
class Emitter {
public:
    Emitter(const std::vector<double>& widths, TreeLayoutResult& out)
        : m_columns(widths), m_out(out) {}

    void tree(const std::vector<EntryPtr>& entries, const std::vector<double>& tops, double base,
              int depth, const std::string* parent, double parentStartX, double parentY,
              bool withLines) {
        const Column g = m_columns.at(depth);
        const std::size_t firstCentre = m_centres.size();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const Entry& e = *entries[i];
            const Item& item = *e.node;
            const double y = base + tops[i];
            m_out.blocks.push_back({item.id, {g.blockX, y, g.nodeWidth, e.size.height}, depth});
            const double cy = y + kRowCentre;
            m_centres.push_back(cy);
            if (e.hasChildren) {
                const double sx = std::min(g.knobX - 7, g.blockX + e.size.width + 5);
                m_out.segments.push_back({LayoutSegment::Kind::stub, sx, cy, g.knobX - 6, cy});
                m_out.knobs.push_back({item.id, g.knobX, cy, item.collapsed, e.descendants});
                if (e.expanded()) {
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
            const Entry& e = *entries[i];
            const Item& item = *e.node;
            const double y = base + tops[i];
            childBlocks.clear();
            if (e.expanded())
                map(e.children, e.childTops, y, depth + 1, childBlocks);
            const double itemY = y + e.itemY;
            placed.push_back(m_out.blocks.size());
            m_out.blocks.push_back({item.id, {g.blockX, itemY, g.nodeWidth, e.size.height}, depth});
            const double cy = itemY + kRowCentre;
            if (e.hasChildren)
                m_out.knobs.push_back({item.id, g.knobX, cy, item.collapsed, e.descendants});
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

// The parent of a sibling list being visited.
struct Parent {
    const Entry* entry = nullptr;
    double startX = 0; // where its links start
    double cy = 0;
    bool lit = false;
    bool inside = false; // the parent is the branch's item or below it
    int block = -1;      // its index among the visible blocks
};

// Descends the cached subtrees, visiting only those that reach into top…bottom.
class Descent {
public:
    Descent(const Tree& tree, double top, double bottom, const Branch* branch)
        : m_columns(tree.context.columns), m_top(top), m_bottom(bottom), m_branch(branch) {}

    Visible out;

    void tree(const std::vector<EntryPtr>& entries, const std::vector<double>& tops, double base,
              int depth, const Parent* parent, bool rootLine) {
        const Column g = m_columns.at(depth);
        const auto [lo, hi] = range(entries, tops, base);
        const bool withLines = depth > 0 || rootLine;
        const double bx = g.x + 6;
        const double tickEnd = g.x + gutter - 1;
        auto centre = [&](std::size_t i) { return base + tops[i] + kRowCentre; };
        if (withLines && entries.size() >= 2)
            segment(
                {LayoutSegment::Kind::bracket, bx, centre(0), bx, centre(entries.size() - 1)});
        for (std::size_t i = lo; i < hi; ++i) {
            const Entry& e = *entries[i];
            const double y = base + tops[i];
            const double cy = y + kRowCentre;
            const bool lit = isLit(e, parent), inside = isInside(e, parent);
            const int index = static_cast<int>(out.blocks.size());
            out.blocks.push_back(
                {&e, {g.blockX, y, g.nodeWidth, e.size.height}, lit, parent ? parent->block : -1});
            if (withLines)
                segment({LayoutSegment::Kind::tick, bx, cy, tickEnd, cy});
            if (!e.hasChildren)
                continue;
            const double sx = std::min(g.knobX - 7, g.blockX + e.size.width + 5);
            segment({LayoutSegment::Kind::stub, sx, cy, g.knobX - 6, cy});
            knob({e.node->id, g.knobX, cy, e.node->collapsed, e.descendants});
            if (e.expanded()) {
                segment(
                    {LayoutSegment::Kind::stub, g.knobX + 6, cy, g.x + g.width + 6, cy});
                const Parent self{&e, sx, cy, lit, inside, index};
                tree(e.children, e.childTops, y, depth + 1, &self, true);
            }
        }
        if (parent == nullptr)
            return;
        // Every link below the band runs down the same bracket: the first stands for all.
        for (std::size_t i = lo; i < std::min(hi + 1, entries.size()); ++i)
            link({entries[i]->node->id, parent->entry->node->id, parent->startX, parent->cy, bx,
                  centre(i), tickEnd},
                 parent->lit && isLit(*entries[i], parent));
    }

    void map(const std::vector<EntryPtr>& entries, const std::vector<double>& tops, double base,
             int depth, const Parent* parent) {
        const Column g = m_columns.at(depth);
        const auto [lo, hi] = range(entries, tops, base);
        for (std::size_t i = lo; i < hi; ++i) {
            const Entry& e = *entries[i];
            const double y = base + tops[i];
            const double itemY = y + e.itemY;
            const double cy = itemY + kRowCentre;
            const bool lit = isLit(e, parent), inside = isInside(e, parent);
            const int index = static_cast<int>(out.blocks.size());
            out.blocks.push_back({&e, {g.blockX, itemY, g.nodeWidth, e.size.height}, lit,
                                  parent ? parent->block : -1});
            if (e.hasChildren)
                knob({e.node->id, g.knobX, cy, e.node->collapsed, e.descendants});
            if (!e.expanded())
                continue;
            const Parent self{&e, g.knobX + knobSize / 2 + 1, cy, lit, inside, index};
            mapLinks(e, y, cy, g, m_columns.at(depth + 1).blockX, self);
            map(e.children, e.childTops, y, depth + 1, &self);
        }
    }

private:
    // The entries whose subtrees reach into the band: [lo, hi).
    std::pair<std::size_t, std::size_t> range(const std::vector<EntryPtr>& entries,
                                              const std::vector<double>& tops, double base) const {
        std::size_t lo = 0, hi = entries.size();
        std::size_t count = hi;
        while (count > 0) { // first subtree ending at or below the band's top
            const std::size_t half = count / 2, mid = lo + half;
            if (base + tops[mid] + entries[mid]->extent < m_top) {
                lo = mid + 1;
                count -= half + 1;
            } else {
                count = half;
            }
        }
        const auto after = std::upper_bound(tops.begin() + static_cast<std::ptrdiff_t>(lo),
                                            tops.end(), m_bottom - base);
        hi = std::max(lo, static_cast<std::size_t>(after - tops.begin()));
        return {lo, hi};
    }

    // The links of a map item to those children whose curves reach into the band.
    void mapLinks(const Entry& e, double y, double cy, const Column& g, double childX,
                  const Parent& self) {
        const std::size_t n = e.children.size();
        auto childCentre = [&](std::size_t j) {
            return y + e.childTops[j] + e.children[j]->itemY + kRowCentre;
        };
        auto firstFrom = [&](double limit) { // first child whose row is at or below limit
            std::size_t lo = 0, count = n;
            while (count > 0) {
                const std::size_t half = count / 2, mid = lo + half;
                if (childCentre(mid) < limit) {
                    lo = mid + 1;
                    count -= half + 1;
                } else {
                    count = half;
                }
            }
            return lo;
        };
        std::size_t from = 0, to = n;
        if (cy < m_top - 2)
            from = firstFrom(m_top - 2);
        else if (cy > m_bottom + 2)
            to = firstFrom(std::nextafter(m_bottom + 2, m_bottom + 3));
        for (std::size_t j = from; j < to; ++j)
            link({e.children[j]->node->id, e.node->id, self.startX, cy, g.knobX, childCentre(j),
                  childX},
                 self.lit && isLit(*e.children[j], &self));
    }

    // Records what reaches into the band, with the margins of its drawing.
    [[nodiscard]] bool reaches(double from, double to) const {
        return to >= m_top && from <= m_bottom;
    }
    void segment(LayoutSegment s) {
        if (reaches(std::min(s.y1, s.y2) - 1, std::max(s.y1, s.y2) + 1))
            out.segments.push_back(s);
    }
    void knob(LayoutKnob k) {
        if (reaches(k.cy - 8, k.cy + 8))
            out.knobs.push_back(std::move(k));
    }
    void link(LayoutLink&& l, bool lit) {
        if (!reaches(std::min(l.parentY, l.y) - 2, std::max(l.parentY, l.y) + 2))
            return;
        out.links.push_back(std::move(l));
        out.litLinks.push_back(lit);
    }

    [[nodiscard]] bool isLit(const Entry& e, const Parent* parent) const {
        return m_branch && ((parent && parent->inside) || m_branch->path.contains(e.node.get()));
    }
    [[nodiscard]] bool isInside(const Entry& e, const Parent* parent) const {
        return m_branch && ((parent && parent->inside) || e.node.get() == m_branch->item);
    }

    Columns m_columns;
    double m_top, m_bottom;
    const Branch* m_branch;
};

void each(const std::vector<EntryPtr>& entries, const std::function<void(const Entry&)>& f) {
    for (const auto& e : entries) {
        f(*e);
        each(e->children, f);
    }
}

} // namespace

TreeLayoutResult whole(const Tree& tree) {
    TreeLayoutResult out;
    out.blocks.reserve(static_cast<std::size_t>(tree.shown));
    Emitter emit(tree.context.columns, out);
    if (tree.context.style == Style::tree) {
        emit.tree(tree.top, tree.tops, 0, 0, nullptr, 0, 0, tree.context.rootLine);
    } else {
        std::vector<std::size_t> placed;
        emit.map(tree.top, tree.tops, 0, 0, placed);
    }
    out.contentSize = tree.contentSize;
    return out;
}

Visible visible(const Tree& tree, double top, double bottom, const Branch* branch) {
    Descent descent(tree, top, bottom, branch);
    if (bottom >= top) {
        if (tree.context.style == Style::tree)
            descent.tree(tree.top, tree.tops, 0, 0, nullptr, tree.context.rootLine);
        else
            descent.map(tree.top, tree.tops, 0, 0, nullptr);
    }
    return std::move(descent.out);
}

std::optional<Located> locate(const Tree& tree, const std::vector<int>& path) {
    const std::vector<EntryPtr>* list = &tree.top;
    const std::vector<double>* tops = &tree.tops;
    const std::vector<std::uint32_t>* sources = &tree.sourceIndex;
    double base = 0;
    Located located;
    for (std::size_t level = 0; level < path.size(); ++level) {
        if (path[level] < 0)
            return std::nullopt;
        auto index = static_cast<std::size_t>(path[level]);
        if (!sources->empty()) {
            auto it = std::lower_bound(sources->begin(), sources->end(), index);
            if (it == sources->end() || *it != index)
                return std::nullopt;
            index = static_cast<std::size_t>(it - sources->begin());
        }
        if (index >= list->size())
            return std::nullopt;
        const Entry& e = *(*list)[index];
        const double y = base + (*tops)[index];
        located.positions.push_back(index);
        if (level + 1 == path.size()) {
            const auto depth = static_cast<int>(level);
            const double x = columnOrigin(depth, tree.context.columns) + gutter;
            located.block = {&e, {x, y + e.itemY, nodeWidth(depth, tree.context.columns),
                                  e.size.height}};
            return located;
        }
        located.ancestors.push_back(&e);
        list = &e.children;
        tops = &e.childTops;
        sources = &e.sourceIndex;
        base = y;
    }
    return std::nullopt;
}

void forEach(const Tree& tree, const std::function<void(const Entry&)>& f) {
    each(tree.top, f);
}

} // namespace velmora::LayoutQuery
