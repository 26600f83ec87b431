#pragma once

#include "app/shell/preferences.hpp"
#include "core/model/item.hpp"
#include "core/session/editor_snapshot.hpp"

#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

inline Item itemWith(std::string id, std::string text, std::vector<Item> children = {}) {
    Item item = Item::blank(std::move(id), std::move(text));
    item.children = ItemList(std::move(children));
    return item;
}

// A list-view state over the items with the item selected.
inline EditorSnapshot outline(std::vector<Item> items, std::optional<std::string> selected) {
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", "Test", ItemList(std::move(items))};
    snapshot.selectedId = std::move(selected);
    snapshot.view = ViewMode::list;
    return snapshot;
}

// Three top items, the first with two children.
inline EditorSnapshot groceries(std::optional<std::string> selected = "a") {
    return outline({itemWith("a", "Fruit", {itemWith("a1", "Apples"), itemWith("a2", "Pears")}),
                    itemWith("b", "Bread"), itemWith("c", "Cheese")},
                   std::move(selected));
}

} // namespace velmora::test
