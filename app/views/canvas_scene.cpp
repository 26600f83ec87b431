#include "app/views/canvas_scene.hpp"

#include "core/layout/column_widths.hpp"
#include "core/model/tree_ops.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

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
    std::vector<bool> depths; // which depths hold blocks

private:
    void visit(const ItemList::Node& node, int depth) {
        const bool dot = node->color && m_options.appearance.labelStyle == LabelStyle::dot;
        NoteShow show = noteShowFor(*node, m_snapshot);
        // Paper has no scrolling: a printed block shows its note whole.
        if (m_options.printing && show == NoteShow::placeholder) {
            show = NoteShow::full;
        }
        const BlockMetrics& m =
            m_measurer.measure(node, TreeLayout::nodeWidth(depth, m_columns), dot, show);
        nodes.push_back(node);
        metrics.push_back(m);
        if (static_cast<std::size_t>(depth) >= depths.size()) {
            depths.resize(static_cast<std::size_t>(depth) + 1);
        }
        depths[static_cast<std::size_t>(depth)] = true;
    }

    const EditorSnapshot& m_snapshot;
    const CanvasOptions& m_options;
    const std::vector<double>& m_columns;
    bool m_postOrder;
    BlockMeasurer& m_measurer;
};

// What the layout depends on besides the nodes: columns, style, the root line and what the
// measurements depend on (label dots, note display, the note being edited).
TreeLayoutCache::Context layoutContext(const CanvasScene& scene, const EditorSnapshot& snapshot,
                                       const CanvasOptions& options) {
    std::string measured = std::to_string(static_cast<int>(options.appearance.labelStyle));
    measured += snapshot.showAllNotes ? 'n' : '-';
    if (snapshot.editing && snapshot.editing->isNote()) {
        measured += snapshot.editing->id;
    }
    return {scene.columns, scene.style, !options.hideRootLine,
            std::hash<std::string>{}(measured)};
}

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
    if (!branchLit) {
        return false;
    }
    const CanvasBlock* child = block(link.id);
    const CanvasBlock* parent = block(link.parent);
    return child && parent && child->lit && parent->lit;
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
                       BlockMeasurer& measurer, TreeLayoutCache* layoutCache) {
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
    walk.nodes.reserve(static_cast<std::size_t>(items.totalCount()));
    walk.metrics.reserve(static_cast<std::size_t>(items.totalCount()));
    walk.walk(items, 0);
    measurer.finishPass();
    for (std::size_t depth = 0; depth < walk.depths.size(); ++depth) {
        if (walk.depths[depth]) {
            scene.depths.push_back(static_cast<int>(depth));
        }
    }
    if (layoutCache) {
        layoutCache->update(items, layoutContext(scene, snapshot, options),
                            [&](const ItemList::Node& node, int depth) {
                                return measurer
                                    .measure(node, TreeLayout::nodeWidth(depth, scene.columns),
                                             node->color && options.appearance.labelStyle ==
                                                                LabelStyle::dot,
                                             noteShowFor(*node, snapshot))
                                    .size;
                            });
        scene.layout = layoutCache->result();
    } else {
        scene.layout = TreeLayout::layout(items, measurer.sizes(), scene.columns, scene.style,
                                          !options.hideRootLine);
    }
    scene.index.build(scene.layout);

    const std::vector<std::string> selectedIds = session.selectedIDs();
    scene.blocks.reserve(scene.layout.blocks.size());
    scene.blockIndex.reserve(scene.layout.blocks.size());
    for (std::size_t i = 0; i < scene.layout.blocks.size() && i < walk.nodes.size(); ++i) {
        const PlacedBlock& placed = scene.layout.blocks[i];
        CanvasBlock block;
        block.node = walk.nodes[i];
        block.metrics = walk.metrics[i];
        block.depth = placed.depth;
        block.frame =
            QRectF(placed.frame.x + CanvasScene::insetX, placed.frame.y + CanvasScene::insetY,
                   placed.frame.width, placed.frame.height);
        block.hasChildren = !block.node->children.empty();
        if (snapshot.editing && snapshot.editing->id == block.id()) {
            block.editing = snapshot.editing->kind;
        }
        block.framed = scene.hoistRoot == block.id();
        scene.blocks.push_back(std::move(block));
        scene.blockIndex.emplace(scene.blocks.back().id(), static_cast<std::uint32_t>(i));
    }
    for (const auto& id : selectedIds) {
        if (auto it = scene.blockIndex.find(id); it != scene.blockIndex.end()) {
            scene.blocks[it->second].selected = true;
        }
    }
    updateBranch(scene, session, options.highlightBranch);
    return scene;
}

void updateBranch(CanvasScene& scene, const EditorSession& session, bool highlightBranch) {
    for (CanvasBlock& block : scene.blocks) {
        block.lit = false;
    }
    const auto& selectedId = session.snapshot.selectedId;
    const auto& items = session.snapshot.document.items;
    scene.branchLit = highlightBranch && selectedId && TreeOps::pathOf(items, *selectedId);
    if (scene.branchLit) {
        for (const auto& id : TreeOps::ancestorIds(items, *selectedId)) {
            if (auto it = scene.blockIndex.find(id); it != scene.blockIndex.end()) {
                scene.blocks[it->second].lit = true;
            }
        }
        // The selected item's shown descendants sit right after its block in the tree (blocks
        // in pre-order) and right before it in the map (post-order), all deeper than it.
        if (auto it = scene.blockIndex.find(*selectedId); it != scene.blockIndex.end()) {
            const std::size_t at = it->second;
            const int depth = scene.blocks[at].depth;
            scene.blocks[at].lit = true;
            if (scene.style == TreeLayout::Style::tree) {
                for (std::size_t i = at + 1;
                     i < scene.blocks.size() && scene.blocks[i].depth > depth; ++i) {
                    scene.blocks[i].lit = true;
                }
            } else {
                for (std::size_t i = at; i-- > 0 && scene.blocks[i].depth > depth;) {
                    scene.blocks[i].lit = true;
                }
            }
        }
    }
    for (CanvasBlock& block : scene.blocks) {
        block.alpha = !scene.branchLit || block.lit ? 1.0 : 0.32;
    }
}

} // namespace velmora
