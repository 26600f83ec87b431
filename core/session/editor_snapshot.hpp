#pragma once

#include "core/model/item.hpp"
#include "core/session/id_set.hpp"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora {

// A branch hoisted into a tab of its own.
struct HoistTab {
    std::string id;
    std::string rootId;
    std::string title;

    bool operator==(const HoistTab&) const = default;
};

// The item title or note that has the text editor.
struct EditingTarget {
    enum class Kind { item, note };
    Kind kind = Kind::item;
    std::string id;

    [[nodiscard]] static EditingTarget item(std::string id) { return {Kind::item, std::move(id)}; }
    [[nodiscard]] static EditingTarget note(std::string id) { return {Kind::note, std::move(id)}; }
    [[nodiscard]] bool isItem() const { return kind == Kind::item; }
    [[nodiscard]] bool isNote() const { return kind == Kind::note; }

    bool operator==(const EditingTarget&) const = default;
};

// The whole undoable state of one open document. Copying it shares the tree.
struct EditorSnapshot {
    TreeDocument document;
    std::optional<std::string> selectedId;
    std::optional<std::string> anchorId;
    IdSet extraIds;
    ViewMode view = ViewMode::list;
    std::vector<HoistTab> hoistTabs;
    std::optional<std::string> activeHoist;
    bool showAllNotes = false;
    std::optional<EditingTarget> editing;
    std::optional<std::vector<double>> columnWidths;

    bool operator==(const EditorSnapshot&) const = default;
};

} // namespace velmora
