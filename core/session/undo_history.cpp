#include "core/session/undo_history.hpp"

#include "core/session/editor_session.hpp"

namespace velmora {
namespace {

void show(EditorSession& session, const EditorSnapshot& snapshot) {
    session.snapshot = snapshot;
    // The state may select or edit an item that hiding completed items now hides.
    session.retargetIfHidden();
}

} // namespace

void UndoHistory::push(TreeCommand command) {
    if (m_clean && *m_clean > m_index)
        m_clean.reset();
    m_records.resize(m_index);
    m_records.push_back(std::move(command));
    m_index = m_records.size();
}

const TreeCommand* UndoHistory::nextUndo() const {
    return canUndo() ? &m_records[m_index - 1] : nullptr;
}

const TreeCommand* UndoHistory::nextRedo() const {
    return canRedo() ? &m_records[m_index] : nullptr;
}

const TreeCommand* UndoHistory::undo(EditorSession& session) {
    if (!canUndo())
        return nullptr;
    const TreeCommand& command = m_records[--m_index];
    show(session, command.before);
    return &command;
}

const TreeCommand* UndoHistory::redo(EditorSession& session) {
    if (!canRedo())
        return nullptr;
    const TreeCommand& command = m_records[m_index++];
    show(session, command.after);
    return &command;
}

} // namespace velmora
