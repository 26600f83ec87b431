#include "app/views/column_resize_recorder.hpp"

#include "app/views/canvas_scene.hpp"
#include "core/layout/column_widths.hpp"

#include <algorithm>

namespace velmora {
namespace {

// Whether two stored lists give every column the same width on the canvas.
bool sameWidths(const std::optional<std::vector<double>>& a,
                const std::optional<std::vector<double>>& b, const Appearance& appearance) {
    const auto columnsA = effectiveColumns(a, appearance, TreeLayout::Style::tree);
    const auto columnsB = effectiveColumns(b, appearance, TreeLayout::Style::tree);
    const auto count = static_cast<int>(std::max(columnsA.size(), columnsB.size()));
    for (int i = 0; i < count; ++i) {
        if (TreeLayout::columnWidth(i, columnsA) != TreeLayout::columnWidth(i, columnsB)) {
            return false;
        }
    }
    return true;
}

} // namespace

std::optional<TreeCommand> ColumnResizeRecorder::apply(EditorSession& session, int depth,
                                                       double width, bool ended,
                                                       const Appearance& appearance) {
    EditorSnapshot& snapshot = session.snapshot;
    if (!m_before) {
        m_before = snapshot;
    }
    // The width column 0 shows now, which a first stored list starts from.
    double first = ColumnWidths::standard;
    if (snapshot.columnWidths && !snapshot.columnWidths->empty()) {
        first = ColumnWidths::width(0, snapshot.columnWidths);
    } else if (appearance.paperStyle == PaperStyle::margin) {
        first = ColumnWidths::clamped(appearance.paperMargin);
    }
    snapshot.columnWidths = ColumnWidths::setting(snapshot.columnWidths, depth, width, first);
    if (!ended) {
        return std::nullopt;
    }
    EditorSnapshot before = std::move(*m_before);
    m_before.reset();
    // A drag that ends with the columns as wide as they began changes nothing, not even the
    // stored list (absent widths stay absent rather than becoming the standard ones).
    if (sameWidths(before.columnWidths, snapshot.columnWidths, appearance)) {
        snapshot.columnWidths = before.columnWidths;
    }
    if (before == snapshot) {
        return std::nullopt;
    }
    return TreeCommand{"undo.column", std::move(before), snapshot};
}

} // namespace velmora
