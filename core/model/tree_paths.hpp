#pragma once

#include "core/model/item.hpp"

#include <span>
#include <utility>
#include <vector>

// Building blocks of the tree operations: rebuilding the arrays on one path of a tree.
namespace velmora::TreePaths {

// The top-level list with the sibling array at `parentPath` replaced by edit(that array).
// Only the arrays on the path are copied. An invalid path returns the list unchanged.
template <class Edit>
ItemList withSiblings(const ItemList& items, std::span<const int> parentPath, const Edit& edit) {
    if (parentPath.empty())
        return edit(items);
    auto index = static_cast<std::size_t>(parentPath.front());
    if (parentPath.front() < 0 || index >= items.size())
        return items;
    Item parent = items[index];
    parent.children = withSiblings(parent.children, parentPath.subspan(1), edit);
    return items.replacing(index, std::move(parent));
}

// The path without its last element (the path of the item's parent).
inline std::span<const int> parentOf(const std::vector<int>& path) {
    return std::span<const int>(path.data(), path.empty() ? 0 : path.size() - 1);
}

// The list with every item (at every depth) passed through `change`; subtrees where `change`
// alters nothing stay shared.
template <class Change> ItemList mapTree(const ItemList& items, const Change& change) {
    std::vector<ItemList::Node> nodes;
    bool changed = false;
    nodes.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& node = items.node(i);
        Item copy = *node;
        bool itemChanged = change(copy);
        auto children = mapTree(node->children, change);
        if (!children.sharesStorageWith(node->children)) {
            copy.children = std::move(children);
            itemChanged = true;
        }
        if (itemChanged) {
            nodes.push_back(std::make_shared<const Item>(std::move(copy)));
            changed = true;
        } else {
            nodes.push_back(node);
        }
    }
    return changed ? ItemList::fromNodes(std::move(nodes)) : items;
}

// Visits every item in pre-order (an item before its children) with its path of indices from
// the top, until `visit` returns false. Walks with its own stack, so no depth exhausts it.
template <class Visit> void forEachPreOrder(const ItemList& items, const Visit& visit) {
    struct Frame {
        const ItemList* list;
        std::size_t next;
    };
    std::vector<Frame> stack{{&items, 0}};
    std::vector<int> path;
    while (!stack.empty()) {
        auto& frame = stack.back();
        if (frame.next >= frame.list->size()) {
            stack.pop_back();
            if (!path.empty())
                path.pop_back();
            continue;
        }
        auto index = frame.next++;
        const Item& item = (*frame.list)[index];
        path.push_back(static_cast<int>(index));
        if (!visit(item, std::as_const(path)))
            return;
        if (item.children.empty())
            path.pop_back();
        else
            stack.push_back({&item.children, 0});
    }
}

} // namespace velmora::TreePaths
