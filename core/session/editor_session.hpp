#pragma once

#include "core/commands/action.hpp"
#include "core/commands/editor_preferences.hpp"
#include "core/model/item.hpp"
#include "core/model/timestamp.hpp"
#include "core/session/editor_snapshot.hpp"
#include "core/session/tree_command.hpp"

#include <optional>
#include <string>
#include <vector>

namespace velmora {

// The editing state machine of one open document: the current snapshot plus the settings that
// shape editing. Every change of a document goes through here; each change answers with its
// undo record (when the document changed) and a side effect for the window. A plain value: no
// threads, timers or platform calls. `clock` and `makeID` are the only sources of time and new
// ids, so tests can make every result deterministic.
struct EditorSession {
    EditorSnapshot snapshot;
    EditorPreferences preferences;
    bool hideCompleted = false;
    bool checksVisible = true;
    std::string archiveTitle = "Archive";
    Clock clock = systemClock();
    IDFactory makeID = TreeIDs::make;

    // What `cutSelection` answers: the removed items and the record of their removal.
    struct Cut {
        std::vector<Item> items;
        std::optional<TreeCommand> command;
    };

    // A session over the snapshot with the preferences; completed items shown, checks visible.
    [[nodiscard]] static EditorSession init(EditorSnapshot snapshot, EditorPreferences preferences);

    // A new document with one empty item, selected and being edited, in the tree view.
    [[nodiscard]] static EditorSession blank(std::string title, std::string documentID,
                                             std::string itemID, const Clock& now = systemClock());

    // --- Derived values ---------------------------------------------------------------------

    // The root of the active hoist tab; absent when the whole document is shown.
    [[nodiscard]] std::optional<std::string> hoistRoot() const;
    // Whether completed items are hidden (checks visible and hiding switched on).
    [[nodiscard]] bool isHiding() const { return checksVisible && hideCompleted; }
    // The rows the list view shows, in display order; a hoisted root is always the first row.
    [[nodiscard]] std::vector<VisibleRow> visibleRows() const;
    // The item with the id anywhere in the document.
    [[nodiscard]] std::optional<Item> item(const std::string& id) const;
    // The selected ids in visible-row order: the range from the anchor to the selected item
    // (siblings only) together with the items added one by one.
    [[nodiscard]] std::vector<std::string> selectedIDs() const;

    // --- Actions ----------------------------------------------------------------------------

    // Whether the action is available now (menus, palette and keys enable entries by it).
    [[nodiscard]] bool canPerform(Action action) const;

    // Performs the action. `draft` is the open editor's uncommitted text and `caret` the caret
    // position in it, in grapheme clusters; both absent when nothing is being edited. An action
    // that would nest an item deeper than kMaxItemDepth changes nothing but the committed draft
    // and answers `SideEffect::tooDeep`.
    PerformResult perform(Action action, std::optional<std::string> draft = std::nullopt,
                          std::optional<long long> caret = std::nullopt);

    // Shows the hoist tab (absent: the whole document); never undoable.
    void activateHoist(const std::optional<std::string>& tabID);
    // Closes every tab with the id; closing the active tab shows the whole document.
    void closeHoist(const std::string& tabID);
    void setView(ViewMode view) { snapshot.view = view; }
    // While hiding, moves the editor and the selection off items that are now hidden.
    void retargetIfHidden();

    // --- Selection ---------------------------------------------------------------------------

    // A click: selects the item alone (absent clears the selection).
    std::optional<TreeCommand> select(const std::optional<std::string>& id,
                                      std::optional<std::string> draft = std::nullopt);
    // A shift-click: extends a sibling range to the item.
    std::optional<TreeCommand> extendSelection(const std::string& id,
                                               std::optional<std::string> draft = std::nullopt);
    // Shift with an arrow key: moves the selected end of the range `count` siblings.
    std::optional<TreeCommand> extendSelection(int count,
                                               std::optional<std::string> draft = std::nullopt);
    // A command-click: adds the item to the selection or takes it out.
    std::optional<TreeCommand> toggleSelection(const std::string& id,
                                               std::optional<std::string> draft = std::nullopt);
    // Selects every visible row except the hoisted root.
    std::optional<TreeCommand> selectAll(std::optional<std::string> draft = std::nullopt);
    // Keeps only the focused item selected.
    void collapseSelection();

    // --- Direct edits ------------------------------------------------------------------------

    std::optional<TreeCommand> commitItemText(const std::string& id, const std::string& text);
    std::optional<TreeCommand> commitNote(const std::string& id, const std::string& note);
    // Text typed in a field of its own (the inspector's title or note) for the item, committed
    // when its editing ends: while another item's editor is open, that editor stays open, in
    // the record too, so that undo and redo keep the user typing where they were.
    std::optional<TreeCommand> commitFieldText(const std::string& id, const std::string& text,
                                               bool note);
    // Goes to the item: shows its branch (expanding collapsed ancestors, and leaving a hoisted
    // branch that does not hold it) and selects it; one record. Nothing for an unknown id.
    std::optional<TreeCommand> jumpTo(const std::string& id);
    // After `action` moved the item whose title was being typed (`editingBefore`; Tab,
    // Shift+Tab, moving up or down), opens its editor again, so that what the user types next
    // still goes into the item. Nothing when the action was no such move.
    std::optional<TreeCommand> keepTyping(Action action,
                                          const std::optional<EditingTarget>& editingBefore);
    // Checks the item, or the whole selection when the item is part of a multi-selection.
    std::optional<TreeCommand> setChecked(const std::string& id, bool checked);
    std::optional<TreeCommand> setLabel(const std::string& id, std::optional<ColorLabel> color);
    // Expands or collapses an item with children; a leaf stays as it is.
    std::optional<TreeCommand> toggleCollapsed(const std::string& id);

    // --- Clipboard and drag ------------------------------------------------------------------

    // Copies of the selected items in visible-row order, without those inside another one.
    [[nodiscard]] std::vector<Item> copySelection() const;
    // Copies the selection (or the edited item while editing) and removes it.
    Cut cutSelection(std::optional<std::string> draft = std::nullopt);
    // Inserts fresh copies of the items after the last selected item and selects the last one.
    // An empty `makeID` uses the session's.
    std::optional<TreeCommand> paste(const std::vector<Item>& items,
                                     std::optional<std::string> draft = std::nullopt,
                                     const IDFactory& makeIDs = {});
    // Whether the items, placed as children of `into` (absent: the top level), would sit deeper
    // than kMaxItemDepth, so that `insertItems` refuses them; false for an unknown `into`.
    [[nodiscard]] bool nestsTooDeep(const std::vector<Item>& items,
                                    const std::optional<std::string>& into) const;
    // The same for moving the item with the id into `into`, which `moveItem` then refuses.
    [[nodiscard]] bool moveNestsTooDeep(const std::string& id,
                                        const std::optional<std::string>& into) const;
    // The same for pasting the items now, which `paste` then refuses.
    [[nodiscard]] bool pasteNestsTooDeep(const std::vector<Item>& items) const;
    // Whether the item `moving` (absent: items from elsewhere) may be dropped into `into`
    // (absent: the top level).
    [[nodiscard]] bool canDrop(const std::optional<std::string>& into,
                               const std::optional<std::string>& moving) const;
    // Moves an item by drag and drop.
    std::optional<TreeCommand> moveItem(const std::string& id,
                                        const std::optional<std::string>& toParent,
                                        std::optional<int> index,
                                        std::optional<std::string> draft = std::nullopt);
    // Inserts fresh copies of dropped items into the parent at the index.
    std::optional<TreeCommand> insertItems(const std::vector<Item>& items,
                                           const std::optional<std::string>& toParent,
                                           std::optional<int> index,
                                           std::optional<std::string> draft = std::nullopt,
                                           const IDFactory& makeIDs = {});

    // Equal when the snapshot and settings are equal; the clock and id factory do not count.
    bool operator==(const EditorSession& other) const;
};

} // namespace velmora
