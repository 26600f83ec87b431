#pragma once

#include "app/views/appearance.hpp"
#include "app/views/canvas_blocks.hpp"
#include "core/layout/layout_cache.hpp"
#include "core/layout/tree_layout.hpp"
#include "core/session/editor_session.hpp"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
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
};

// The right edge of the column of a depth, in layout coordinates.
struct ColumnEdge {
    int depth = 0;
    double x = 0;

    bool operator==(const ColumnEdge&) const = default;
};

// What lies at each height of the canvas, by kind, in bands of fixed height, so that painting
// and hit testing look only at what is near the exposed rectangle or the pointer.
class CanvasIndex {
public:
    enum Kind { blocks, segments, knobs, links, kindCount };

    void build(const TreeLayoutResult& layout);
    // Calls f(index) once for every element of the kind that may reach into top…bottom
    // (layout coordinates).
    template <typename F> void visit(Kind kind, double top, double bottom, F f) const {
        const auto& buckets = m_buckets[kind];
        if (buckets.empty() || bottom < top) {
            return;
        }
        auto& stamps = m_stamps[kind];
        ++m_stamp;
        for (std::size_t b = bucketOf(top); b <= bucketOf(bottom) && b < buckets.size(); ++b) {
            for (std::uint32_t i : buckets[b]) {
                if (stamps[i] != m_stamp) {
                    stamps[i] = m_stamp;
                    f(static_cast<std::size_t>(i));
                }
            }
        }
    }

private:
    static constexpr double kBand = 256;
    [[nodiscard]] static std::size_t bucketOf(double y) {
        return y <= 0 ? 0 : static_cast<std::size_t>(y / kBand);
    }
    void add(Kind kind, std::uint32_t index, double top, double bottom);

    std::array<std::vector<std::vector<std::uint32_t>>, kindCount> m_buckets;
    mutable std::array<std::vector<std::uint32_t>, kindCount> m_stamps;
    mutable std::uint32_t m_stamp = 0;
};

// Everything the canvas shows after a reload: the layout of the shown items, the blocks with
// their looks, the lit branch and the index for painting and hit testing.
struct CanvasScene {
    // Where the layout's origin lies in the canvas.
    static constexpr double insetX = 8;
    static constexpr double insetY = 6;

    TreeLayout::Style style = TreeLayout::Style::tree;
    std::vector<double> columns;
    TreeLayoutResult layout;
    std::vector<CanvasBlock> blocks;
    // Block numbers by item id (the keys view the ids of the blocks' items).
    std::unordered_map<std::string_view, std::uint32_t> blockIndex;
    // Whether a branch is lit (highlighting is on and an item is selected); the blocks of the
    // branch have `lit` set.
    bool branchLit = false;
    std::optional<std::string> hoistRoot;
    bool checksVisible = true;
    std::vector<int> depths; // the distinct depths of the blocks, increasing
    CanvasIndex index;

    [[nodiscard]] const CanvasBlock* block(const std::string& id) const;
    // The size the drawing needs: the content and the inset.
    [[nodiscard]] QSizeF frameSize() const;
    // The right edges of the columns that hold blocks, by increasing depth.
    [[nodiscard]] std::vector<ColumnEdge> columnEdges() const;
    // The column edge nearest to x (layout coordinates) within 4 points; the first wins a tie.
    [[nodiscard]] std::optional<ColumnEdge> edge(double x) const;
    // The block under a point in canvas coordinates.
    [[nodiscard]] const CanvasBlock* blockAt(const QPointF& point) const;
    // Whether the link joins two items of the lit branch.
    [[nodiscard]] bool isLit(const LayoutLink& link) const;
};

// The column widths the canvas lays out with: the stored widths clamped, else on margin paper
// one column as wide as the paper margin, else none; in the map only the first is kept.
[[nodiscard]] std::vector<double> effectiveColumns(const std::optional<std::vector<double>>& stored,
                                                   const Appearance& appearance,
                                                   TreeLayout::Style style);

// Rebuilds the scene from the session: the shown items, their measured blocks and the layout.
// With a layout cache kept from the last reload, only the subtrees that changed are laid out.
[[nodiscard]] CanvasScene buildScene(const EditorSession& session, const CanvasOptions& options,
                                     BlockMeasurer& measurer,
                                     TreeLayoutCache* layoutCache = nullptr);

// Recomputes the lit branch (the selected item's ancestors, itself and all its descendants
// when branch highlighting is on) as the blocks' lit flags and alpha.
void updateBranch(CanvasScene& scene, const EditorSession& session, bool highlightBranch);

} // namespace velmora
