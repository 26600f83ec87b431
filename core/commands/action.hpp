#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace velmora {

// Every user command, in the order of the list of all actions (menus, palette and help follow
// it). An action's raw value is its stable external name ("add-below", "label-3").
enum class Action {
    edit,
    commitNext,
    commit,
    newline,
    deselect,
    viewList,
    viewTree,
    addBelow,
    addAbove,
    addChild,
    addChildExpand,
    addAunt,
    indent,
    outdent,
    moveUp,
    moveDown,
    moveLeft,
    moveRight,
    expand,
    collapse,
    expandFamily,
    collapseFamily,
    expandAll,
    collapseAll,
    navLeft,
    navRight,
    navUp,
    navDown,
    editNote,
    toggleNotes,
    showFamily,
    duplicate,
    toggleCheck,
    deleteItem,
    help,
    focusNext,
    focusPrev,
    jump,
    split,
    exportBackup,
    importBackup,
    label0,
    label1,
    label2,
    label3,
    label4,
    label5,
    label6,
    label7,
    undo,
    redo,
    toggleHelp,
    helpSearch,
    exportOPML,
    importOPML,
    settings,
    newDocumentTab,
    commandPalette,
    showProperties,
    showHelp,
    toggleLibrary,
    toggleHighlight,
    toggleBold,
    toggleUnderline,
    viewMap,
    hideCompleted,
    archiveCompleted,
};

inline constexpr std::size_t kActionCount = 67;

// Every action in declaration order.
[[nodiscard]] const std::array<Action, kActionCount>& allActions();

// The action's external name ("commit-next").
[[nodiscard]] std::string_view rawValue(Action action);

// The action with exactly that external name; nothing for any other string.
[[nodiscard]] std::optional<Action> actionFromRawValue(std::string_view raw);

// The catalog key that names the undo record of the action ("undo.add", "undo.edit", …).
[[nodiscard]] std::string_view catalogKey(Action action);

// The label number of `label0` … `label7` (0 … 7); nothing for other actions.
[[nodiscard]] std::optional<int> labelIndex(Action action);

} // namespace velmora
