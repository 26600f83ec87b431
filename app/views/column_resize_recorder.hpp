#pragma once

#include "app/platform/appearance.hpp"
#include "core/session/editor_session.hpp"

#include <optional>

namespace velmora {

// The window's side of a column drag in the canvas: each report stores the new width in the
// session's snapshot at once, and the report that ends the drag yields one undo record
// ("undo.column") from the snapshot before the drag, unless every column ended as wide as it
// began.
class ColumnResizeRecorder {
public:
    // Applies one report of the canvas (depth, width, ended) to the session; the record when
    // this report ended a drag that changed the widths.
    std::optional<TreeCommand> apply(EditorSession& session, int depth, double width, bool ended,
                                     const Appearance& appearance);

    [[nodiscard]] bool dragging() const { return m_before.has_value(); }

private:
    std::optional<EditorSnapshot> m_before;
};

} // namespace velmora
