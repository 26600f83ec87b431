#pragma once

#include "core/model/tree_ops.hpp"

#include <string>
#include <vector>

namespace velmora::testing {

// A leaf item with the id and the text equal to the id.
inline Item leaf(const std::string& id) {
    return Item::blank(id, id);
}

// An item with children.
inline Item node(const std::string& id, std::vector<Item> children, bool collapsed = false) {
    Item item = Item::blank(id, id);
    item.children = ItemList(std::move(children));
    item.collapsed = collapsed;
    return item;
}

inline Item checked(Item item) {
    item.checked = true;
    return item;
}

inline TreeDocument doc(std::vector<Item> items) {
    return TreeDocument{"doc", "Document", ItemList(std::move(items))};
}

// The ids of a list, in order.
inline std::vector<std::string> ids(const ItemList& items) {
    std::vector<std::string> out;
    for (const auto& item : items)
        out.push_back(item.id);
    return out;
}

// The ids of the children of the item with the id.
inline std::vector<std::string> childIds(const TreeDocument& d, const std::string& id) {
    auto loc = TreeOps::locate(d.items, id);
    return loc ? ids(loc->item.children) : std::vector<std::string>{};
}

inline std::vector<std::string> rowIds(const std::vector<VisibleRow>& rows) {
    std::vector<std::string> out;
    for (const auto& row : rows)
        out.push_back(row.item().id);
    return out;
}

// Ids "n1", "n2", … for deterministic copies.
struct Counter {
    int next = 1;
    std::string operator()() { return "n" + std::to_string(next++); }
};

} // namespace velmora::testing
