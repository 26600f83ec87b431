#pragma once

#include "core/model/timestamp.hpp"
#include "core/session/editor_snapshot.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// One undo record: the whole state before and after a change, named by a catalog key.
struct TreeCommand {
    std::string catalogKey;
    EditorSnapshot before;
    EditorSnapshot after;

    // The same record walked the other way.
    [[nodiscard]] TreeCommand inverse() const { return {catalogKey, after, before}; }

    bool operator==(const TreeCommand&) const = default;
};

// What the window carries out after an action.
enum class SideEffect {
    exportBackup,
    importBackup,
    exportOPML,
    importOPML,
    toggleHelp,
    focusHelpSearch,
    settings,
    undo,
    redo,
    jump,
    newDocumentTab,
    insertNewline,
    commandPalette,
    showProperties,
    showHelp,
    toggleLibrary,
    toggleHighlight,
    // Refused: the change would nest items deeper than kMaxItemDepth. The window beeps and
    // says why.
    tooDeep,
};

// The case name of a side effect ("exportBackup" …).
[[nodiscard]] std::string_view rawValue(SideEffect side);

// The answer to a performed action.
struct PerformResult {
    std::optional<TreeCommand> command;
    std::optional<SideEffect> side;

    bool operator==(const PerformResult&) const = default;
};

namespace UndoRecords {

// The record of a change from `before` to `current`, or nothing when the document is unchanged
// (selection, view, hoist, notes and editing alone are never undoable). New items get created
// and modified stamps, items whose content changed get a new modified stamp, both at `now`; the
// record's `after` is `current` with those stamps.
[[nodiscard]] std::optional<TreeCommand> form(const EditorSnapshot& before, std::string catalogKey,
                                              const EditorSnapshot& current, Timestamp now);

// The items of `after` stamped against `before` as `form` does.
[[nodiscard]] ItemList stamped(const ItemList& before, const ItemList& after, Timestamp now);

} // namespace UndoRecords
} // namespace velmora
