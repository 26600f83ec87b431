#pragma once

// Builders for editor-session tests: small outlines written as nested calls, a session with a
// fixed clock and counting ids, and a compact text form of a tree to compare against.
#include "core/session/editor_session.hpp"

#include <string>
#include <vector>

namespace velmora::testing_support {

inline constexpr Timestamp kNow{1'700'000'000};

// An item whose text is its id.
inline Item I(std::string id, std::vector<Item> children = {}) {
    Item item = Item::blank(id, id);
    item.children = ItemList(std::move(children));
    return item;
}

inline Item checked(Item item) {
    item.checked = true;
    return item;
}

inline Item collapsed(Item item) {
    item.collapsed = true;
    return item;
}

// A session over the items with `selected` selected, a fixed clock and ids "n1", "n2", ….
inline EditorSession sessionOf(std::vector<Item> items,
                               std::optional<std::string> selected = std::nullopt) {
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", "Doc", ItemList(std::move(items))};
    snapshot.selectedId = std::move(selected);
    auto session = EditorSession::init(snapshot, EditorPreferences{});
    session.clock = [] { return kNow; };
    session.makeID = [n = 0]() mutable { return "n" + std::to_string(++n); };
    return session;
}

// The tree as ids: "a(a1 a2) b"; a collapsed item is marked "+", a checked one "✓".
inline std::string shapeOf(const ItemList& items) {
    std::string out;
    for (const auto& item : items) {
        if (!out.empty())
            out += ' ';
        out += item.id;
        if (item.collapsed)
            out += '+';
        if (item.checked)
            out += "✓";
        if (!item.children.empty())
            out += "(" + shapeOf(item.children) + ")";
    }
    return out;
}

inline std::string shapeOf(const EditorSession& session) {
    return shapeOf(session.snapshot.document.items);
}

// Hoists the item into a new tab and makes it active.
inline void hoist(EditorSession& session, const std::string& rootId) {
    session.snapshot.hoistTabs.push_back(HoistTab{"tab-" + rootId, rootId, rootId});
    session.activateHoist("tab-" + rootId);
}

} // namespace velmora::testing_support
