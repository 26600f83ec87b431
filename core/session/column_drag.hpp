#pragma once

#include "core/session/editor_session.hpp"

#include <optional>

namespace velmora {

// A column edge dragged on the canvas: each report stores the new width in the session's
// snapshot at once, and the report that ends the drag yields one undo record ("undo.column")
// from the snapshot before the drag, unless every column ended as wide as it began.
class ColumnDrag {
public:
    // Applies one report (depth, width, ended) to the session; the record when this report
    // ended a drag that changed the widths. `marginColumn` is the width the first column shows
    // on margin paper while no widths are stored (none on other paper).
    std::optional<TreeCommand> apply(EditorSession& session, int depth, double width, bool ended,
                                     std::optional<double> marginColumn);

    [[nodiscard]] bool dragging() const { return m_before.has_value(); }

private:
    std::optional<EditorSnapshot> m_before;
};

} // namespace velmora
