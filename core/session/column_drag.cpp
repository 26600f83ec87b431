#include "core/session/column_drag.hpp"

#include "core/layout/column_widths.hpp"
#include "core/layout/tree_layout.hpp"

#include <algorithm>

namespace velmora {
namespace {

// The columns the tree view draws for stored widths: the stored ones, else the margin paper's.
std::vector<double> shownColumns(const std::optional<std::vector<double>>& stored,
                                 std::optional<double> marginColumn) {
    std::vector<double> columns;
    if (stored && !stored->empty()) {
        for (double width : *stored)
            columns.push_back(ColumnWidths::clamped(width));
    } else if (marginColumn) {
        columns.push_back(ColumnWidths::clamped(*marginColumn));
    }
    return columns;
}

// Whether two stored lists give every column the same width on the canvas.
bool sameWidths(const std::optional<std::vector<double>>& a,
                const std::optional<std::vector<double>>& b, std::optional<double> marginColumn) {
    const auto columnsA = shownColumns(a, marginColumn);
    const auto columnsB = shownColumns(b, marginColumn);
    const auto count = static_cast<int>(std::max(columnsA.size(), columnsB.size()));
    for (int i = 0; i < count; ++i)
        if (TreeLayout::columnWidth(i, columnsA) != TreeLayout::columnWidth(i, columnsB))
            return false;
    return true;
}

} // namespace

std::optional<TreeCommand> ColumnDrag::apply(EditorSession& session, int depth, double width,
                                             bool ended, std::optional<double> marginColumn) {
    EditorSnapshot& snapshot = session.snapshot;
    if (!m_before)
        m_before = snapshot;
    // The width column 0 shows now, which a first stored list starts from.
    double first = ColumnWidths::standard;
    if (snapshot.columnWidths && !snapshot.columnWidths->empty())
        first = ColumnWidths::width(0, snapshot.columnWidths);
    else if (marginColumn)
        first = ColumnWidths::clamped(*marginColumn);
    snapshot.columnWidths = ColumnWidths::setting(snapshot.columnWidths, depth, width, first);
    if (!ended)
        return std::nullopt;
    EditorSnapshot before = std::move(*m_before);
    m_before.reset();
    // A drag that ends with the columns as wide as they began changes nothing, not even the
    // stored list (absent widths stay absent rather than becoming the standard ones).
    if (sameWidths(before.columnWidths, snapshot.columnWidths, marginColumn))
        snapshot.columnWidths = before.columnWidths;
    if (before == snapshot)
        return std::nullopt;
    return TreeCommand{"undo.column", std::move(before), snapshot};
}

} // namespace velmora
