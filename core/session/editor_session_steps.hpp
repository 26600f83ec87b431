#pragma once

#include "core/session/editor_session.hpp"
#include "core/session/editor_session_tree.hpp"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The steps the editor session is built from, shared by its source files. Each works on the
// session in place; the public entry points take the snapshot before, run steps, and form the
// undo record at the end.
namespace velmora::SessionSteps {

using SessionTree::Path;

// --- The depth limit (editor_session_depth.cpp) ---------------------------------------------

// Whether the action can place items deeper than they were.
[[nodiscard]] bool mayNestDeeper(Action action);
// Whether the action just performed left an item deeper than kMaxItemDepth.
[[nodiscard]] bool passedDepthLimit(const EditorSession& session, Action action);

// --- Shared helpers (editor_session_steps.cpp) ------------------------------------------

// The path of the first item with the id in the session's document.
[[nodiscard]] std::optional<Path> locate(const EditorSession& session, const std::string& id);

// The paths of the ids found in the session's document.
[[nodiscard]] std::unordered_map<std::string, Path> locateAll(const EditorSession& session,
                                                              const std::vector<std::string>& ids);

// Forms the record of the change since `before` and makes its stamped `after` current.
std::optional<TreeCommand> record(EditorSession& session, const EditorSnapshot& before,
                                  std::string_view catalogKey);

// Writes a present draft into the title or note being edited; with no editing target it is
// ignored. An unchanged text leaves the tree untouched.
void commitDraft(EditorSession& session, const std::optional<std::string>& draft);

void endEditing(EditorSession& session);

// Makes the id the only selection (absent clears it).
void selectOnly(EditorSession& session, std::optional<std::string> id);

// The path of the hoisted root; absent when not hoisted or when the root is gone.
[[nodiscard]] std::optional<Path> rootPath(const EditorSession& session);

// The id of the first visible row; absent when there are no rows (also when the hoisted
// root is gone).
[[nodiscard]] std::optional<std::string> firstRow(const EditorSession& session);

// Whether the item at the path is a visible row; `root` is rootPath(session).
[[nodiscard]] bool isShown(const EditorSession& session, const Path& path,
                           const std::optional<Path>& root);

// The selected item with its path; absent when nothing valid is selected.
struct Located {
    std::string id;
    Path path;
};
[[nodiscard]] std::optional<Located> selectedItem(const EditorSession& session);

// The selected item, or the first visible row (which then becomes the selection).
[[nodiscard]] std::optional<Located> takeTarget(EditorSession& session);

// Closes the hoist tabs whose root is gone.
void pruneHoistTabs(EditorSession& session);

// --- Single-item actions (editor_session_actions.cpp) -----------------------------------------

void addItem(EditorSession& session, Action action);
void indentItem(EditorSession& session);
void outdentItem(EditorSession& session);
void moveItemPast(EditorSession& session, bool up);
void expandOrCollapse(EditorSession& session, Action action);
void editNote(EditorSession& session);
void duplicateItem(EditorSession& session);
void toggleCheck(EditorSession& session);
void deleteItem(EditorSession& session);
void splitItem(EditorSession& session, const std::optional<std::string>& draft,
               std::optional<long long> caret);
void applyLabel(EditorSession& session, int labelNumber);
void toggleFormat(EditorSession& session, bool bold);
void archiveCompleted(EditorSession& session);
void showFamily(EditorSession& session);
void focusStep(EditorSession& session, int step);

// --- Keyboard navigation (editor_session_navigation.cpp) --------------------------------------

void navigate(EditorSession& session, Action action);

// --- Multi-selection (editor_session_multi.cpp) -----------------------------------------------

// Whether `perform` hands the action to the whole selection when two or more items are chosen.
[[nodiscard]] bool isMultiAction(Action action);
void performOnSelection(EditorSession& session, Action action, const std::vector<std::string>& ids);

// The ids without those that lie inside another listed item, keeping their order.
[[nodiscard]] std::vector<std::string> topmost(const EditorSession& session,
                                               const std::vector<std::string>& ids);

// Removes the (topmost) items and selects what `selectionAfterRemoving` proposes.
void removeSelection(EditorSession& session, const std::vector<std::string>& ids);

// Applies the change to every listed item (one rebuild of the touched paths).
void updateEach(EditorSession& session, const std::vector<std::string>& ids,
                const std::function<void(Item&)>& mutate);

// Appends the run of siblings to the nearest visible sibling before them, which is expanded;
// false when there is no such sibling.
bool indentBlock(EditorSession& session, const std::vector<Path>& run);

// Whether the item at the path may be outdented: it has a parent, and that parent is not the
// hoisted root (an item never leaves the hoisted tree).
[[nodiscard]] bool outdentAllowed(const EditorSession& session, const Path& path);

// Moves the visible sibling before (up) or after (down) the block of siblings first…last to
// its other side; false when there is no such sibling.
bool moveBlockPast(EditorSession& session, const Path& first, const Path& last, bool up);

// The range part of the selection: the anchor-to-selected siblings, or just the selected item.
[[nodiscard]] std::vector<std::string> selectionRange(const EditorSession& session);

} // namespace velmora::SessionSteps
