#pragma once

#include "app/platform/appearance.hpp"
#include "app/views/canvas_blocks.hpp"
#include "core/layout/layout_cache.hpp"
#include "core/layout/layout_query.hpp"
#include "core/layout/tree_layout.hpp"
#include "core/session/editor_session.hpp"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velmora {

// The preferences the canvas draws with.
struct CanvasOptions {
    Appearance appearance;
    bool hideRootLine = false;
    bool highlightBranch = false;
    // Drawing the print picture: plain white paper whatever the preference.
    bool printing = false;

    bool operator==(const CanvasOptions&) const = default;
};

// One shown item of the canvas, in canvas coordinates (the layout's frame moved by the inset).
struct CanvasBlock {
    ItemList::Node node;
    QRectF frame;
    BlockMetrics metrics;
    int depth = 0;
    bool hasChildren = false;
    bool selected = false;
    std::optional<EditingTarget::Kind> editing;
    bool framed = false; // the hoisted root, drawn as a card
    bool lit = false;
    double alpha = 1;

    [[nodiscard]] const Item& item() const { return *node; }
    [[nodiscard]] const std::string& id() const { return node->id; }
    // The title and note rectangles in canvas coordinates.
    [[nodiscard]] QRectF textRect() const { return metrics.textRect.translated(frame.topLeft()); }
    [[nodiscard]] std::optional<QRectF> noteRect() const;
    // Where the frame of an edited or selected block is drawn (beside its controls), in canvas
    // coordinates.
    [[nodiscard]] QRectF editingFrame() const;
};

// The right edge of the column of a depth, in layout coordinates.
struct ColumnEdge {
    int depth = 0;
    double x = 0;

    bool operator==(const ColumnEdge&) const = default;
};

// What the canvas shows after a reload: the cached layout of the shown items and what their
// looks depend on. Nothing is written out per block: painting and hit testing ask for the part
// of the layout they need, and an item's block is found along its path.
struct CanvasScene {
    // Where the layout's origin lies in the canvas.
    static constexpr double insetX = 8;
    static constexpr double insetY = 6;

    TreeLayout::Style style = TreeLayout::Style::tree;
    std::vector<double> columns;
    std::shared_ptr<const TreeLayoutCache::Tree> tree =
        std::make_shared<const TreeLayoutCache::Tree>();
    // Where the blocks' metrics come from (the measurer that sized them).
    std::shared_ptr<BlockMeasurer> measurer = std::make_shared<BlockMeasurer>();
    ItemList documentItems;
    std::optional<std::string> hoistRoot;
    std::vector<int> hoistPath; // the hoisted root's path in the document
    bool checksVisible = true;
    bool labelDots = false;
    bool showAllNotes = false;
    bool printing = false;
    std::optional<EditingTarget> editing;
    std::unordered_set<std::string> selected;
    // Whether a branch is lit (highlighting is on and an item is selected), and which.
    bool branchLit = false;
    LayoutQuery::Branch branch;

    // The blocks and connectors that reach into top…bottom (layout coordinates).
    struct Part {
        std::vector<CanvasBlock> blocks;
        LayoutQuery::Visible geometry;
    };
    [[nodiscard]] Part visible(double top, double bottom) const;

    // The block of a shown item.
    [[nodiscard]] std::optional<CanvasBlock> block(const std::string& id) const;
    // Every block, in the layout's order (printing and tests).
    [[nodiscard]] std::vector<CanvasBlock> blocks() const;
    // The whole geometry (printing and tests).
    [[nodiscard]] TreeLayoutResult layout() const { return LayoutQuery::whole(*tree); }
    [[nodiscard]] bool empty() const { return tree->top.empty(); }
    // The size the drawing needs: the content and the inset.
    [[nodiscard]] QSizeF frameSize() const;
    // The right edges of the columns that hold blocks, by increasing depth.
    [[nodiscard]] std::vector<ColumnEdge> columnEdges() const;
    // The column edge nearest to x (layout coordinates) within 4 points; the first wins a tie.
    [[nodiscard]] std::optional<ColumnEdge> edge(double x) const;
    // The block under a point in canvas coordinates.
    [[nodiscard]] std::optional<CanvasBlock> blockAt(const QPointF& point) const;
    // The block whose centre is nearest to a height in canvas coordinates (the first of equals).
    [[nodiscard]] std::optional<CanvasBlock> nearestBlock(double y) const;
    // How the note of an item shows on this canvas.
    [[nodiscard]] NoteShow noteShow(const Item& item) const;
    // The item's path among the laid-out items (see LayoutQuery::locate).
    [[nodiscard]] std::optional<std::vector<int>> layoutPath(const std::string& id) const;
    // Home, End and the page keys walk the blocks in outline order. The first block that is an
    // item to go to (a hoisted root is the first block but none, unless it is the only one),
    // the last, and the item `steps` blocks after the item (before it when negative), never
    // before the first; from an item not shown the steps count from the first.
    [[nodiscard]] std::optional<std::string> firstItem() const;
    [[nodiscard]] std::optional<std::string> lastItem() const;
    [[nodiscard]] std::optional<std::string> itemAfter(const std::string& id,
                                                       std::int64_t steps) const;

private:
    [[nodiscard]] CanvasBlock makeBlock(const LayoutQuery::Block& placed) const;
};

// The column widths the canvas lays out with: the stored widths clamped, else on margin paper
// one column as wide as the paper margin, else none; in the map only the first is kept.
[[nodiscard]] std::vector<double> effectiveColumns(const std::optional<std::vector<double>>& stored,
                                                   const Appearance& appearance,
                                                   TreeLayout::Style style);

// Rebuilds the scene from the session with the layout cache kept from the last reload, so only
// the subtrees that changed are laid out. Lazily, blocks not measured yet get estimated sizes
// (see TreeCanvasView::measureShown); otherwise every shown block is measured.
[[nodiscard]] CanvasScene buildScene(const EditorSession& session, const CanvasOptions& options,
                                     const std::shared_ptr<BlockMeasurer>& measurer,
                                     TreeLayoutCache& layoutCache, bool lazily = false);
// The same with a measurer and cache of its own: every block measured.
[[nodiscard]] CanvasScene buildScene(const EditorSession& session, const CanvasOptions& options);

// The measuring the layout cache asks for while laying out the scene's items.
[[nodiscard]] TreeLayoutCache::Measure sceneMeasure(const CanvasScene& scene, bool lazily);

// Recomputes the lit branch (the selected item's ancestors, itself and all its descendants
// when branch highlighting is on).
void updateBranch(CanvasScene& scene, const EditorSession& session, bool highlightBranch);

} // namespace velmora
