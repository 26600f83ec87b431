#pragma once

#include "core/session/tree_command.hpp"

#include <cstddef>
#include <optional>
#include <vector>

namespace velmora {

struct EditorSession;

// The undo history of one document: its records in order and where the present stands among
// them, with the version that was last saved. A record pushed after some were undone replaces
// them. Walking a record shows the whole state before or after its change, with the editor and
// the selection moved off items that hiding completed items now hides.
class UndoHistory {
public:
    // Adds the record of a change the session has just made.
    void push(TreeCommand command);

    [[nodiscard]] bool canUndo() const { return m_index > 0; }
    [[nodiscard]] bool canRedo() const { return m_index < m_records.size(); }
    // The record the next undo or redo walks (for its name in the menu); null when none.
    [[nodiscard]] const TreeCommand* nextUndo() const;
    [[nodiscard]] const TreeCommand* nextRedo() const;

    // Walks one record back or forth on the session; the record walked, null when none.
    const TreeCommand* undo(EditorSession& session);
    const TreeCommand* redo(EditorSession& session);

    // The present is the saved version; whether it still is.
    void markClean() { m_clean = m_index; }
    [[nodiscard]] bool isClean() const { return m_clean == m_index; }

    [[nodiscard]] std::size_t count() const { return m_records.size(); }
    // How many records lie behind the present.
    [[nodiscard]] std::size_t index() const { return m_index; }

private:
    std::vector<TreeCommand> m_records;
    std::size_t m_index = 0;
    // The index of the saved version; none once its record was replaced.
    std::optional<std::size_t> m_clean = 0;
};

} // namespace velmora
