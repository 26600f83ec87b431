#include "app/views/canvas_scene.hpp"

#include "core/layout/column_widths.hpp"
#include "core/model/tree_ops.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace velmora {
namespace {

// Collects the shown items in the order the layout places their blocks (pre-order in the tree,
// post-order in the map) together with their measured sizes.
class SceneWalk {
public:
    SceneWalk(const EditorSnapshot& snapshot, const CanvasOptions& options,
              const std::vector<double>& columns, bool postOrder, BlockMeasurer& measurer)
        : m_snapshot(snapshot), m_options(options), m_columns(columns), m_postOrder(postOrder),
          m_measurer(measurer) {}

    void walk(const ItemList& items, int depth) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            const ItemList::Node& node = items.node(i);
            const bool expanded = !node->collapsed && !node->children.empty();
            if (m_postOrder && expanded) {
                walk(node->children, depth + 1);
            }
            visit(node, depth);
            if (!m_postOrder && expanded) {
                walk(node->children, depth + 1);
            }
        }
    }

    std::vector<ItemList::Node> nodes;
    std::vector<BlockMetrics> metrics;
    std::vector<int> nodeDepths;
    LayoutSizes sizes;
    std::set<int> depths;

private:
    void visit(const ItemList::Node& node, int depth) {
        const bool dot = node->color && m_options.appearance.labelStyle == LabelStyle::dot;
        const BlockMetrics& m =
            m_measurer.measure(node, TreeLayout::nodeWidth(depth, m_columns), dot,
                               noteShowFor(*node, m_snapshot));
        nodes.push_back(node);
        metrics.push_back(m);
        nodeDepths.push_back(depth);
        sizes.emplace(node->id, m.size);
        depths.insert(depth);
    }

    const EditorSnapshot& m_snapshot;
    const CanvasOptions& m_options;
    const std::vector<double>& m_columns;
    bool m_postOrder;
    BlockMeasurer& m_measurer;
};

} // namespace

std::optional<QRectF> CanvasBlock::noteRect() const {
    if (!metrics.noteRect) {
        return std::nullopt;
    }
    return metrics.noteRect->translated(frame.topLeft());
}

void CanvasIndex::add(Kind kind, std::uint32_t index, double top, double bottom) {
    auto& buckets = m_buckets[kind];
    const std::size_t last = std::min(bucketOf(bottom), buckets.size() - 1);
    for (std::size_t b = std::min(bucketOf(top), last); b <= last; ++b) {
        buckets[b].push_back(index);
    }
}

void CanvasIndex::build(const TreeLayoutResult& layout) {
    const std::size_t count = bucketOf(layout.contentSize.height) + 1;
    for (auto& buckets : m_buckets) {
        buckets.assign(count, {});
    }
    for (std::uint32_t i = 0; i < layout.blocks.size(); ++i) {
        const auto& f = layout.blocks[i].frame;
        add(blocks, i, f.y, f.maxY());
    }
    for (std::uint32_t i = 0; i < layout.segments.size(); ++i) {
        const auto& s = layout.segments[i];
        add(segments, i, std::min(s.y1, s.y2) - 1, std::max(s.y1, s.y2) + 1);
    }
    for (std::uint32_t i = 0; i < layout.knobs.size(); ++i) {
        add(knobs, i, layout.knobs[i].cy - 8, layout.knobs[i].cy + 8);
    }
    for (std::uint32_t i = 0; i < layout.links.size(); ++i) {
        const auto& l = layout.links[i];
        add(links, i, std::min(l.parentY, l.y) - 2, std::max(l.parentY, l.y) + 2);
    }
    m_stamps[blocks].assign(layout.blocks.size(), 0);
    m_stamps[segments].assign(layout.segments.size(), 0);
    m_stamps[knobs].assign(layout.knobs.size(), 0);
    m_stamps[links].assign(layout.links.size(), 0);
    m_stamp = 0;
}

const CanvasBlock* CanvasScene::block(const std::string& id) const {
    auto it = blockIndex.find(id);
    return it == blockIndex.end() ? nullptr : &blocks[it->second];
}

QSizeF CanvasScene::frameSize() const {
    return {layout.contentSize.width + insetX, layout.contentSize.height + insetY};
}

std::vector<ColumnEdge> CanvasScene::columnEdges() const {
    std::vector<ColumnEdge> edges;
    for (int depth : depths) {
        edges.push_back({depth, TreeLayout::columnOrigin(depth, columns) +
                                    TreeLayout::columnWidth(depth, columns)});
    }
    return edges;
}

std::optional<ColumnEdge> CanvasScene::edge(double x) const {
    std::optional<ColumnEdge> nearest;
    for (const ColumnEdge& e : columnEdges()) {
        if (!nearest || std::abs(e.x - x) < std::abs(nearest->x - x)) {
            nearest = e;
        }
    }
    if (nearest && std::abs(nearest->x - x) <= 4) {
        return nearest;
    }
    return std::nullopt;
}

const CanvasBlock* CanvasScene::blockAt(const QPointF& point) const {
    const CanvasBlock* hit = nullptr;
    const double y = point.y() - insetY;
    index.visit(CanvasIndex::blocks, y, y, [&](std::size_t i) {
        if (!hit && blocks[i].frame.contains(point)) {
            hit = &blocks[i];
        }
    });
    return hit;
}

bool CanvasScene::isLit(const LayoutLink& link) const {
    return !branch.empty() && branch.contains(link.id) && branch.contains(link.parent);
}

std::vector<double> effectiveColumns(const std::optional<std::vector<double>>& stored,
                                     const Appearance& appearance, TreeLayout::Style style) {
    std::vector<double> columns;
    if (stored && !stored->empty()) {
        for (double width : *stored) {
            columns.push_back(ColumnWidths::clamped(width));
        }
    } else if (appearance.paperStyle == PaperStyle::margin) {
        columns.push_back(ColumnWidths::clamped(appearance.paperMargin));
    }
    if (style == TreeLayout::Style::map && columns.size() > 1) {
        columns.resize(1);
    }
    return columns;
}

CanvasScene buildScene(const EditorSession& session, const CanvasOptions& options,
                       BlockMeasurer& measurer) {
    const EditorSnapshot& snapshot = session.snapshot;
    CanvasScene scene;
    scene.hoistRoot = session.hoistRoot();
    scene.checksVisible = session.checksVisible;
    scene.style = snapshot.view == ViewMode::map ? TreeLayout::Style::map : TreeLayout::Style::tree;
    scene.columns = effectiveColumns(snapshot.columnWidths, options.appearance, scene.style);
    const ItemList items =
        TreeOps::displayItems(snapshot.document.items, scene.hoistRoot, session.isHiding());

    measurer.beginPass();
    SceneWalk walk(snapshot, options, scene.columns, scene.style == TreeLayout::Style::map,
                   measurer);
    walk.sizes.reserve(static_cast<std::size_t>(TreeLayout::shownCount(items)));
    walk.walk(items, 0);
    measurer.finishPass();
    scene.depths.assign(walk.depths.begin(), walk.depths.end());
    scene.layout =
        TreeLayout::layout(items, walk.sizes, scene.columns, scene.style, !options.hideRootLine);
    scene.index.build(scene.layout);

    std::unordered_set<std::string> selected;
    for (auto& id : session.selectedIDs()) {
        selected.insert(std::move(id));
    }
    scene.blocks.reserve(scene.layout.blocks.size());
    scene.blockIndex.reserve(scene.layout.blocks.size());
    for (std::size_t i = 0; i < scene.layout.blocks.size() && i < walk.nodes.size(); ++i) {
        const PlacedBlock& placed = scene.layout.blocks[i];
        CanvasBlock block;
        block.id = placed.id;
        block.node = walk.nodes[i];
        block.metrics = walk.metrics[i];
        block.depth = placed.depth;
        block.frame = QRectF(placed.frame.x + CanvasScene::insetX,
                             placed.frame.y + CanvasScene::insetY, placed.frame.width,
                             placed.frame.height);
        block.hasChildren = !block.node->children.empty();
        block.selected = selected.contains(block.id);
        if (snapshot.editing && snapshot.editing->id == block.id) {
            block.editing = snapshot.editing->kind;
        }
        block.framed = scene.hoistRoot == block.id;
        scene.blockIndex.emplace(block.id, scene.blocks.size());
        scene.blocks.push_back(std::move(block));
    }
    updateBranch(scene, session, options.highlightBranch);
    return scene;
}

void updateBranch(CanvasScene& scene, const EditorSession& session, bool highlightBranch) {
    scene.branch.clear();
    const auto& selectedId = session.snapshot.selectedId;
    if (highlightBranch && selectedId) {
        for (const auto& id : TreeOps::branch(session.snapshot.document.items, *selectedId)) {
            scene.branch.insert(id);
        }
    }
    for (CanvasBlock& block : scene.blocks) {
        block.lit = scene.branch.contains(block.id);
        block.alpha = scene.branch.empty() || block.lit ? 1.0 : 0.32;
    }
}

} // namespace velmora
