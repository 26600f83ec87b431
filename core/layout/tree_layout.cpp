#include "core/layout/tree_layout.hpp"

#include "core/layout/column_widths.hpp"

#include <algorithm>

namespace velmora::TreeLayout {

namespace {

// The row centre of a block whose top is at y.
constexpr double rowCentre = padTop + lineHeight / 2;
constexpr double standardHeight = lineHeight + 2 * padTop;

// The horizontal positions shared by every block of one column.
struct ColumnGeometry {
    double x = 0;      // the column's left edge
    double width = 0;  // the column's width
    double blockX = 0; // the blocks' left edge
    double nodeWidth = 0;
    double knobX = 0; // the knob's centre, in the middle of the right margin

    ColumnGeometry(double origin, double columnWidth)
        : x(origin), width(columnWidth), blockX(origin + gutter),
          nodeWidth(columnWidth - gutter - rightMargin),
          knobX(origin + columnWidth - rightMargin / 2) {}
};

// Shared state of one layout run. The level procedures recurse once per depth; the model caps
// depth at kMaxItemDepth, so the stack stays small.
class Builder {
public:
    Builder(const LayoutSizes& sizes, const std::vector<double>& columns)
        : m_sizes(sizes), m_columns(columns) {}

    TreeLayoutResult result;

    // Room for every shown item, so the arrays grow once.
    void reserve(const ItemList& items, Style style) {
        const auto shown = static_cast<std::size_t>(shownCount(items));
        result.blocks.reserve(shown);
        result.links.reserve(shown);
        result.knobs.reserve(shown / 4);
        if (style == Style::tree)
            result.segments.reserve(shown * 3 / 2);
    }

    // Lays out one sibling level in the tree style; returns the bottom of its last block.
    double treeLevel(const ItemList& items, int depth, double x, const std::string* parent,
                     double parentStartX, double parentY, double y0, bool withLines);

    // Lays out one sibling level in the map style, appending the indices of its blocks to
    // `placed`; returns the bottom of its last item's extent.
    double mapLevel(const ItemList& items, int depth, double x, double y0,
                    std::vector<std::size_t>& placed);

private:
    LayoutSize sizeOf(const Item& item, double nodeWidth) const {
        auto it = m_sizes.find(item.id);
        return it != m_sizes.end() ? it->second : LayoutSize{nodeWidth, standardHeight};
    }
    void treeLines(const ItemList& items, const ColumnGeometry& g, std::size_t firstCentre,
                   const std::string* parent, double parentStartX, double parentY);

    const LayoutSizes& m_sizes;
    const std::vector<double>& m_columns;
    // The row centres of the levels being laid out, innermost level last.
    std::vector<double> m_centres;
};

double Builder::treeLevel(const ItemList& items, int depth, double x, const std::string* parent,
                          double parentStartX, double parentY, double y0, bool withLines) {
    const ColumnGeometry g(x, columnWidth(depth, m_columns));
    const std::size_t firstCentre = m_centres.size();
    double y = y0;
    double bottom = y0;
    for (const Item& item : items) {
        const LayoutSize size = sizeOf(item, g.nodeWidth);
        result.blocks.push_back({item.id, {g.blockX, y, g.nodeWidth, size.height}, depth});
        const double cy = y + rowCentre;
        m_centres.push_back(cy);
        double extent = size.height;
        if (!item.children.empty()) {
            const double sx = std::min(g.knobX - 7, g.blockX + size.width + 5);
            result.segments.push_back({LayoutSegment::Kind::stub, sx, cy, g.knobX - 6, cy});
            result.knobs.push_back({item.id, g.knobX, cy, item.collapsed, descendantCount(item)});
            if (!item.collapsed) {
                result.segments.push_back(
                    {LayoutSegment::Kind::stub, g.knobX + 6, cy, x + g.width + 6, cy});
                const double childBottom =
                    treeLevel(item.children, depth + 1, x + g.width, &item.id, sx, cy, y, true);
                extent = std::max(size.height, childBottom - y);
            }
        }
        bottom = y + extent;
        y = bottom + gap;
    }
    if (depth > 0 || withLines)
        treeLines(items, g, firstCentre, parent, parentStartX, parentY);
    m_centres.resize(firstCentre);
    return bottom;
}

// The bracket and ticks of one tree-style level, and the links from its parent.
void Builder::treeLines(const ItemList& items, const ColumnGeometry& g, std::size_t firstCentre,
                        const std::string* parent, double parentStartX, double parentY) {
    const double bx = g.x + 6;
    const double tickEnd = g.x + gutter - 1;
    const std::size_t count = m_centres.size() - firstCentre;
    if (count >= 2)
        result.segments.push_back(
            {LayoutSegment::Kind::bracket, bx, m_centres[firstCentre], bx, m_centres.back()});
    for (std::size_t i = firstCentre; i < m_centres.size(); ++i)
        result.segments.push_back(
            {LayoutSegment::Kind::tick, bx, m_centres[i], tickEnd, m_centres[i]});
    if (parent == nullptr)
        return;
    for (std::size_t i = 0; i < count; ++i)
        result.links.push_back(
            {items[i].id, *parent, parentStartX, parentY, bx, m_centres[firstCentre + i], tickEnd});
}

double Builder::mapLevel(const ItemList& items, int depth, double x, double y0,
                         std::vector<std::size_t>& placed) {
    const ColumnGeometry g(x, columnWidth(depth, m_columns));
    std::vector<std::size_t> childBlocks;
    double y = y0;
    double bottom = y0;
    for (const Item& item : items) {
        const double h = sizeOf(item, g.nodeWidth).height;
        double itemY = y;
        double extent = h;
        childBlocks.clear();
        if (!item.children.empty() && !item.collapsed) {
            const double childBottom =
                mapLevel(item.children, depth + 1, x + g.width, y, childBlocks);
            itemY = (result.blocks[childBlocks.front()].frame.y +
                     result.blocks[childBlocks.back()].frame.y) /
                    2;
            extent = std::max(h + itemY - y, childBottom - y);
        }
        placed.push_back(result.blocks.size());
        result.blocks.push_back({item.id, {g.blockX, itemY, g.nodeWidth, h}, depth});
        const double cy = itemY + rowCentre;
        if (!item.children.empty())
            result.knobs.push_back({item.id, g.knobX, cy, item.collapsed, descendantCount(item)});
        for (std::size_t c : childBlocks) {
            const PlacedBlock& child = result.blocks[c];
            result.links.push_back({child.id, item.id, g.knobX + knobSize / 2 + 1, cy, g.knobX,
                                    child.frame.y + rowCentre, child.frame.x});
        }
        bottom = y + extent;
        y = bottom + mapGap;
    }
    return bottom;
}

} // namespace

std::int64_t shownCount(const ItemList& items) {
    std::int64_t count = static_cast<std::int64_t>(items.size());
    for (const Item& item : items)
        if (!item.collapsed)
            count += shownCount(item.children);
    return count;
}

double columnWidth(int index, const std::vector<double>& columns) {
    if (index < 0 || static_cast<std::size_t>(index) >= columns.size())
        return column;
    return ColumnWidths::clamped(columns[static_cast<std::size_t>(index)]);
}

double columnOrigin(int depth, const std::vector<double>& columns) {
    double origin = 0;
    for (int i = 0; i < depth; ++i)
        origin += columnWidth(i, columns);
    return origin;
}

double nodeWidth(int depth, const std::vector<double>& columns) {
    return columnWidth(depth, columns) - gutter - rightMargin;
}

std::int64_t descendantCount(const Item& item) {
    return item.children.totalCount();
}

TreeLayoutResult layout(const ItemList& items, const LayoutSizes& sizes,
                        const std::vector<double>& columns, Style style, bool rootLine) {
    Builder builder(sizes, columns);
    builder.reserve(items, style);
    double bottom = top;
    if (style == Style::tree) {
        bottom = builder.treeLevel(items, 0, 0, nullptr, 0, 0, top, rootLine);
    } else {
        std::vector<std::size_t> placed;
        bottom = builder.mapLevel(items, 0, 0, top, placed);
    }
    TreeLayoutResult result = std::move(builder.result);
    double width = 0;
    for (const auto& block : result.blocks)
        width = std::max(width, block.frame.maxX());
    result.contentSize = {width + 2 * rightMargin, bottom + 2 * rightMargin};
    return result;
}

} // namespace velmora::TreeLayout
