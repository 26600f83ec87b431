#include "app/views/canvas_scene.hpp"

#include "core/layout/column_widths.hpp"
#include "core/model/tree_ops.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {
namespace {

// What the layout depends on besides the nodes: columns, style, the root line, hiding and what
// the measurements depend on (label dots, note display, the note being edited, printing).
TreeLayoutCache::Context layoutContext(const CanvasScene& scene, const EditorSession& session,
                                       const CanvasOptions& options) {
    const EditorSnapshot& snapshot = session.snapshot;
    std::string measured = std::to_string(static_cast<int>(options.appearance.labelStyle));
    measured += snapshot.showAllNotes ? 'n' : '-';
    measured += options.printing ? 'p' : '-';
    if (snapshot.editing && snapshot.editing->isNote()) {
        measured += snapshot.editing->id;
    }
    return {scene.columns,         scene.style,
            !options.hideRootLine, std::hash<std::string>{}(measured),
            session.isHiding(),    scene.hoistRoot.has_value()};
}

// The items laid out at depth 0: the hoisted root alone, or the document's top level.
ItemList layoutItems(const CanvasScene& scene) {
    if (!scene.hoistRoot) {
        return scene.documentItems;
    }
    if (scene.hoistPath.empty()) {
        return {};
    }
    const ItemList* list = &scene.documentItems;
    for (std::size_t level = 0; level + 1 < scene.hoistPath.size(); ++level) {
        list = &(*list)[static_cast<std::size_t>(scene.hoistPath[level])].children;
    }
    return ItemList::fromNodes({list->node(static_cast<std::size_t>(scene.hoistPath.back()))});
}

} // namespace

std::optional<QRectF> CanvasBlock::noteRect() const {
    if (!metrics.noteRect) {
        return std::nullopt;
    }
    return metrics.noteRect->translated(frame.topLeft());
}

NoteShow CanvasScene::noteShow(const Item& item) const {
    const NoteShow show = noteShowFor(item, showAllNotes, editing);
    // Paper has no scrolling: a printed block shows its note whole.
    return printing && show == NoteShow::placeholder ? NoteShow::full : show;
}

CanvasBlock CanvasScene::makeBlock(const LayoutQuery::Block& placed) const {
    const TreeLayoutCache::Entry& entry = *placed.entry;
    CanvasBlock block;
    block.node = entry.node;
    block.depth = entry.depth;
    const Item& item = *entry.node;
    block.metrics = measurer->measure(entry.node, TreeLayout::nodeWidth(entry.depth, columns),
                                      labelDots && item.color.has_value(), noteShow(item));
    block.frame = QRectF(placed.frame.x + insetX, placed.frame.y + insetY, placed.frame.width,
                         placed.frame.height);
    block.hasChildren = entry.hasChildren;
    block.selected = selected.contains(item.id);
    if (editing && editing->id == item.id) {
        block.editing = editing->kind;
    }
    block.framed = hoistRoot == item.id;
    block.lit = placed.lit;
    block.alpha = !branchLit || block.lit ? 1.0 : 0.32;
    return block;
}

CanvasScene::Part CanvasScene::visible(double top, double bottom) const {
    Part part;
    part.geometry = LayoutQuery::visible(*tree, top, bottom, branchLit ? &branch : nullptr);
    part.blocks.reserve(part.geometry.blocks.size());
    for (const auto& placed : part.geometry.blocks) {
        part.blocks.push_back(makeBlock(placed));
    }
    return part;
}

std::optional<std::vector<int>> CanvasScene::layoutPath(const std::string& id) const {
    auto path = TreeOps::pathOf(documentItems, id);
    if (!path || !hoistRoot) {
        return path;
    }
    // Below the hoisted root: the root is the only item at depth 0.
    if (hoistPath.empty() || path->size() < hoistPath.size() ||
        !std::equal(hoistPath.begin(), hoistPath.end(), path->begin())) {
        return std::nullopt;
    }
    std::vector<int> inside{0};
    inside.insert(inside.end(), path->begin() + static_cast<std::ptrdiff_t>(hoistPath.size()),
                  path->end());
    return inside;
}

std::optional<CanvasBlock> CanvasScene::block(const std::string& id) const {
    const auto path = layoutPath(id);
    const auto located = path ? LayoutQuery::locate(*tree, *path) : std::nullopt;
    if (!located || located->block.entry->node->id != id) {
        return std::nullopt;
    }
    LayoutQuery::Block placed = located->block;
    if (branchLit) {
        bool inside = placed.entry->node.get() == branch.item;
        for (const auto* ancestor : located->ancestors) {
            inside = inside || ancestor->node.get() == branch.item;
        }
        placed.lit = inside || branch.path.contains(placed.entry->node.get());
    }
    return makeBlock(placed);
}

std::vector<CanvasBlock> CanvasScene::blocks() const {
    const auto whole = LayoutQuery::visible(*tree, -std::numeric_limits<double>::infinity(),
                                            std::numeric_limits<double>::infinity(),
                                            branchLit ? &branch : nullptr);
    std::vector<CanvasBlock> all;
    all.reserve(whole.blocks.size());
    for (const auto& placed : whole.blocks) {
        all.push_back(makeBlock(placed));
    }
    // In the layout's order: pre-order in the tree, post-order in the map.
    if (style == TreeLayout::Style::map) {
        std::vector<CanvasBlock> post;
        post.reserve(all.size());
        std::vector<std::pair<std::size_t, std::size_t>> stack; // block, next child to emit
        std::vector<std::vector<std::size_t>> children(all.size());
        std::vector<std::size_t> roots;
        for (std::size_t i = 0; i < whole.blocks.size(); ++i) {
            const int parent = whole.blocks[i].parent;
            (parent < 0 ? roots : children[static_cast<std::size_t>(parent)]).push_back(i);
        }
        auto postOrder = [&](std::size_t root) {
            stack.push_back({root, 0});
            while (!stack.empty()) {
                auto& [at, next] = stack.back();
                if (next < children[at].size()) {
                    const std::size_t child = children[at][next++];
                    stack.push_back({child, 0});
                } else {
                    post.push_back(std::move(all[at]));
                    stack.pop_back();
                }
            }
        };
        for (std::size_t root : roots) {
            postOrder(root);
        }
        return post;
    }
    return all;
}

QSizeF CanvasScene::frameSize() const {
    return {tree->contentSize.width + insetX, tree->contentSize.height + insetY};
}

std::vector<ColumnEdge> CanvasScene::columnEdges() const {
    std::vector<ColumnEdge> edges;
    double x = 0;
    for (int depth = 0; depth <= tree->maxDepth; ++depth) {
        x += TreeLayout::columnWidth(depth, columns);
        edges.push_back({depth, x});
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

std::optional<CanvasBlock> CanvasScene::blockAt(const QPointF& point) const {
    const double y = point.y() - insetY;
    const auto part = LayoutQuery::visible(*tree, y, y, branchLit ? &branch : nullptr);
    for (const auto& placed : part.blocks) {
        const LayoutRect& f = placed.frame;
        if (QRectF(f.x + insetX, f.y + insetY, f.width, f.height).contains(point)) {
            return makeBlock(placed);
        }
    }
    return std::nullopt;
}

std::optional<CanvasBlock> CanvasScene::nearestBlock(double y) const {
    if (empty()) {
        return std::nullopt;
    }
    const double at = y - insetY;
    // Widen the band until it holds a block; the nearest centre then lies within the band
    // widened by the tallest block found.
    for (double reach = 64;; reach *= 4) {
        const auto part = LayoutQuery::visible(*tree, at - reach, at + reach, nullptr);
        if (part.blocks.empty() && reach < std::abs(at) + tree->contentSize.height) {
            continue;
        }
        double tallest = 0;
        for (const auto& placed : part.blocks) {
            tallest = std::max(tallest, placed.frame.height);
        }
        const auto wide = LayoutQuery::visible(*tree, at - reach - tallest, at + reach + tallest,
                                               branchLit ? &branch : nullptr);
        const LayoutQuery::Block* nearest = nullptr;
        double distance = std::numeric_limits<double>::infinity();
        for (const auto& placed : wide.blocks) {
            const double d = std::abs(placed.frame.midY() - at);
            if (d < distance ||
                (d == distance && nearest && placed.frame.y < nearest->frame.y)) {
                distance = d;
                nearest = &placed;
            }
        }
        return nearest ? std::optional(makeBlock(*nearest)) : std::nullopt;
    }
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
        // A map has one stored column; erase rather than resize, which GCC's optimiser
        // misreads as writing past the first element.
        columns.erase(columns.begin() + 1, columns.end());
    }
    return columns;
}

TreeLayoutCache::Measure sceneMeasure(const CanvasScene& scene, bool lazily) {
    return [&scene, lazily](const ItemList::Node& node,
                            int depth) -> TreeLayoutCache::Measured {
        const double width = TreeLayout::nodeWidth(depth, scene.columns);
        const bool dot = scene.labelDots && node->color.has_value();
        const NoteShow show = scene.noteShow(*node);
        if (!lazily) {
            return scene.measurer->measure(node, width, dot, show).size;
        }
        if (const BlockMetrics* known = scene.measurer->find(node, width, dot, show)) {
            return known->size;
        }
        return {scene.measurer->estimate(*node, width, show), true};
    };
}

CanvasScene buildScene(const EditorSession& session, const CanvasOptions& options,
                       const std::shared_ptr<BlockMeasurer>& measurer,
                       TreeLayoutCache& layoutCache, bool lazily) {
    const EditorSnapshot& snapshot = session.snapshot;
    CanvasScene scene;
    scene.measurer = measurer;
    scene.documentItems = snapshot.document.items;
    scene.hoistRoot = session.hoistRoot();
    if (scene.hoistRoot) {
        scene.hoistPath = TreeOps::pathOf(scene.documentItems, *scene.hoistRoot)
                              .value_or(std::vector<int>{});
    }
    scene.checksVisible = session.checksVisible;
    scene.style = snapshot.view == ViewMode::map ? TreeLayout::Style::map : TreeLayout::Style::tree;
    scene.columns = effectiveColumns(snapshot.columnWidths, options.appearance, scene.style);
    scene.labelDots = options.appearance.labelStyle == LabelStyle::dot;
    scene.showAllNotes = snapshot.showAllNotes;
    scene.printing = options.printing;
    scene.editing = snapshot.editing;

    layoutCache.update(layoutItems(scene), layoutContext(scene, session, options),
                       sceneMeasure(scene, lazily));
    scene.tree = layoutCache.tree();
    // Results of nodes no longer shown pile up with every edit: drop them now and then.
    if (measurer->size() > 2 * static_cast<std::size_t>(scene.tree->shown) + 1024) {
        measurer->retain([&](const std::function<void(const Item*)>& live) {
            LayoutQuery::forEach(*scene.tree,
                                 [&](const TreeLayoutCache::Entry& e) { live(e.node.get()); });
        });
    }
    for (const auto& id : session.selectedIDs()) {
        scene.selected.insert(id);
    }
    updateBranch(scene, session, options.highlightBranch);
    return scene;
}

CanvasScene buildScene(const EditorSession& session, const CanvasOptions& options) {
    TreeLayoutCache cache;
    return buildScene(session, options, std::make_shared<BlockMeasurer>(), cache);
}

void updateBranch(CanvasScene& scene, const EditorSession& session, bool highlightBranch) {
    scene.branch = {};
    const auto& selectedId = session.snapshot.selectedId;
    const auto& items = session.snapshot.document.items;
    const auto path = highlightBranch && selectedId ? TreeOps::pathOf(items, *selectedId)
                                                    : std::nullopt;
    scene.branchLit = path.has_value();
    if (!path) {
        return;
    }
    const ItemList* list = &items;
    for (int index : *path) {
        const ItemList::Node& node = list->node(static_cast<std::size_t>(index));
        scene.branch.path.insert(node.get());
        scene.branch.item = node.get();
        list = &node->children;
    }
}

} // namespace velmora
