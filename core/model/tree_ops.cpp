// The changing half of TreeOps: every structural edit, each copying only the changed path.
#include "core/model/tree_ops.hpp"

#include "core/model/text.hpp"
#include "core/model/tree_paths.hpp"

#include <algorithm>

namespace velmora::TreeOps {
namespace {

using TreePaths::parentOf;
using TreePaths::withSiblings;

TreeDocument withItems(const TreeDocument& doc, ItemList items) {
    return TreeDocument{doc.id, doc.title, std::move(items)};
}

std::size_t clampIndex(std::optional<int> index, std::size_t count) {
    if (!index)
        return count;
    if (*index < 0)
        return 0;
    return std::min(static_cast<std::size_t>(*index), count);
}

// Inserts one new item at `offset` places after the item at `path` among its siblings.
Inserted insertBeside(const TreeDocument& doc, const std::vector<int>& path, std::size_t offset,
                      Item item) {
    auto id = item.id;
    auto index = static_cast<std::size_t>(path.back()) + offset;
    auto items = withSiblings(doc.items, parentOf(path), [&](const ItemList& siblings) {
        return siblings.inserting(index, std::move(item));
    });
    return {withItems(doc, std::move(items)), std::move(id)};
}

Inserted appendAtTop(const TreeDocument& doc, Item item) {
    auto id = item.id;
    return {withItems(doc, doc.items.appending(std::move(item))), std::move(id)};
}

Item copyWithFreshIds(const Item& item, const IDFactory& makeID) {
    Item copy = item;
    copy.id = makeID();
    copy.created.reset();
    copy.modified.reset();
    std::vector<ItemList::Node> children;
    children.reserve(item.children.size());
    for (const auto& child : item.children)
        children.push_back(std::make_shared<const Item>(copyWithFreshIds(child, makeID)));
    copy.children = ItemList::fromNodes(std::move(children));
    return copy;
}

ItemList listOf(const std::vector<Item>& items) {
    return ItemList(items);
}

std::optional<std::string> parentIdOf(const TreeDocument& doc, const std::vector<int>& path) {
    if (path.size() < 2)
        return std::nullopt;
    return itemAt(doc.items, std::vector<int>(path.begin(), path.end() - 1))->id;
}

} // namespace

TreeDocument updateItem(const TreeDocument& doc, const std::string& id,
                        const std::function<void(Item&)>& mutate) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return doc;
    auto index = static_cast<std::size_t>(path->back());
    auto items = withSiblings(doc.items, parentOf(*path), [&](const ItemList& siblings) {
        Item item = siblings[index];
        mutate(item);
        return siblings.replacing(index, std::move(item));
    });
    return withItems(doc, std::move(items));
}

TreeDocument setCollapsed(const TreeDocument& doc, const std::string& id, bool collapsed) {
    return updateItem(doc, id, [&](Item& item) { item.collapsed = collapsed; });
}

TreeDocument setCollapsedFamily(const TreeDocument& doc, const std::string& id, bool collapsed) {
    auto setAll = [&](Item& item) {
        bool changed = item.collapsed != collapsed;
        item.collapsed = collapsed;
        return changed;
    };
    return updateItem(doc, id, [&](Item& item) {
        item.collapsed = collapsed;
        item.children = TreePaths::mapTree(item.children, setAll);
    });
}

TreeDocument setCollapsedAll(const TreeDocument& doc, bool collapsed) {
    return withItems(doc, TreePaths::mapTree(doc.items, [&](Item& item) {
                         bool changed = item.collapsed != collapsed;
                         item.collapsed = collapsed;
                         return changed;
                     }));
}

Inserted insertSiblingBelow(const TreeDocument& doc, const std::string& id, const std::string& text,
                            const std::string& newID) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return appendAtTop(doc, Item::blank(newID, text));
    return insertBeside(doc, *path, 1, Item::blank(newID, text));
}

Inserted insertSiblingAbove(const TreeDocument& doc, const std::string& id, const std::string& text,
                            const std::string& newID) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return appendAtTop(doc, Item::blank(newID, text));
    return insertBeside(doc, *path, 0, Item::blank(newID, text));
}

Inserted addChild(const TreeDocument& doc, const std::string& id, const std::string& text,
                  const std::string& newID) {
    if (!pathOf(doc.items, id))
        return appendAtTop(doc, Item::blank(newID, text));
    auto changed = updateItem(doc, id, [&](Item& item) {
        item.collapsed = false;
        item.children = item.children.appending(Item::blank(newID, text));
    });
    return {std::move(changed), newID};
}

Inserted addAunt(const TreeDocument& doc, const std::string& id, const std::string& text,
                 const std::string& newID) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return appendAtTop(doc, Item::blank(newID, text));
    if (path->size() >= 2)
        path->pop_back();
    return insertBeside(doc, *path, 1, Item::blank(newID, text));
}

Inserted splitItem(const TreeDocument& doc, const std::string& id, long long offset,
                   const std::string& newID) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return {doc, newID};
    const Item& original = *itemAt(doc.items, *path);
    // Named pieces rather than a structured binding: clang 14 (the fuzz build) cannot capture
    // a binding in the lambda below.
    auto pieces = Text::splitAtGrapheme(original.text, offset);
    const std::string& head = pieces.first;
    const std::string& tail = pieces.second;
    auto index = static_cast<std::size_t>(path->back());
    auto items = withSiblings(doc.items, parentOf(*path), [&](const ItemList& siblings) {
        Item kept = siblings[index];
        kept.text = head;
        return siblings.replacing(index, std::move(kept))
            .inserting(index + 1, Item::blank(newID, tail));
    });
    return {withItems(doc, std::move(items)), newID};
}

std::vector<Item> copies(const std::vector<Item>& items, const IDFactory& makeID) {
    std::vector<Item> result;
    result.reserve(items.size());
    for (const auto& item : items)
        result.push_back(copyWithFreshIds(item, makeID));
    return result;
}

Inserted duplicate(const TreeDocument& doc, const std::string& id, const IDFactory& makeID) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return {doc, id};
    return insertBeside(doc, *path, 1, copyWithFreshIds(*itemAt(doc.items, *path), makeID));
}

Removed removeItem(const TreeDocument& doc, const std::string& id) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return {doc, std::nullopt};
    auto index = static_cast<std::size_t>(path->back());
    std::optional<std::string> proposal;
    auto items = withSiblings(doc.items, parentOf(*path), [&](const ItemList& siblings) {
        if (index > 0)
            proposal = siblings[index - 1].id;
        else if (siblings.size() > 1)
            proposal = siblings[1].id;
        return siblings.removing(index);
    });
    if (!proposal)
        proposal = parentIdOf(doc, *path);
    return {withItems(doc, std::move(items)), std::move(proposal)};
}

TreeDocument indent(const TreeDocument& doc, const std::string& id) {
    auto path = pathOf(doc.items, id);
    if (!path || path->back() < 1)
        return doc;
    auto index = static_cast<std::size_t>(path->back());
    auto items = withSiblings(doc.items, parentOf(*path), [&](const ItemList& siblings) {
        Item newParent = siblings[index - 1];
        newParent.collapsed = false;
        newParent.children = newParent.children.inserting(
            newParent.children.size(), ItemList::fromNodes({siblings.node(index)}));
        return siblings.replacing(index - 1, std::move(newParent)).removing(index);
    });
    return withItems(doc, std::move(items));
}

TreeDocument outdent(const TreeDocument& doc, const std::string& id) {
    auto path = pathOf(doc.items, id);
    if (!path || path->size() < 2)
        return doc;
    auto index = static_cast<std::size_t>(path->back());
    auto parentIndex = static_cast<std::size_t>((*path)[path->size() - 2]);
    std::vector<int> grandParentPath(path->begin(), path->end() - 2);
    auto items = withSiblings(doc.items, grandParentPath, [&](const ItemList& siblings) {
        Item parent = siblings[parentIndex];
        auto moved = parent.children.node(index);
        parent.children = parent.children.removing(index);
        return siblings.replacing(parentIndex, std::move(parent))
            .inserting(parentIndex + 1, ItemList::fromNodes({moved}));
    });
    return withItems(doc, std::move(items));
}

TreeDocument move(const TreeDocument& doc, const std::string& id, MoveDirection direction) {
    switch (direction) {
    case MoveDirection::right:
        return indent(doc, id);
    case MoveDirection::left:
        return outdent(doc, id);
    case MoveDirection::up:
    case MoveDirection::down:
        break;
    }
    auto path = pathOf(doc.items, id);
    if (!path)
        return doc;
    auto index = static_cast<std::size_t>(path->back());
    auto items = withSiblings(doc.items, parentOf(*path), [&](const ItemList& siblings) {
        if (direction == MoveDirection::up && index == 0)
            return siblings;
        if (direction == MoveDirection::down && index + 1 >= siblings.size())
            return siblings;
        auto target = direction == MoveDirection::up ? index - 1 : index + 1;
        auto moved = ItemList::fromNodes({siblings.node(index)});
        return siblings.removing(index).inserting(target, moved);
    });
    return withItems(doc, std::move(items));
}

TreeDocument move(const TreeDocument& doc, const std::string& id,
                  const std::optional<std::string>& toParent, std::optional<int> index) {
    if (!canMove(doc, id, toParent))
        return doc;
    auto path = *pathOf(doc.items, id);
    if (index && parentIdOf(doc, path) == toParent && path.back() < *index)
        *index -= 1;
    // Keep the moved node itself so its subtree stays shared.
    const ItemList* siblings = &doc.items;
    for (std::size_t level = 0; level + 1 < path.size(); ++level)
        siblings = &(*siblings)[static_cast<std::size_t>(path[level])].children;
    auto moved = ItemList::fromNodes({siblings->node(static_cast<std::size_t>(path.back()))});

    auto removed = removeItem(doc, id).doc;
    if (!toParent) {
        auto at = clampIndex(index, removed.items.size());
        return withItems(removed, removed.items.inserting(at, moved));
    }
    return updateItem(removed, *toParent, [&](Item& parent) {
        parent.collapsed = false;
        parent.children =
            parent.children.inserting(clampIndex(index, parent.children.size()), moved);
    });
}

TreeDocument insert(const TreeDocument& doc, const std::vector<Item>& items,
                    const std::optional<std::string>& parent, std::optional<int> index) {
    if (items.empty())
        return doc;
    if (!parent)
        return withItems(doc,
                         doc.items.inserting(clampIndex(index, doc.items.size()), listOf(items)));
    if (!pathOf(doc.items, *parent))
        return doc;
    return updateItem(doc, *parent, [&](Item& item) {
        item.collapsed = false;
        item.children =
            item.children.inserting(clampIndex(index, item.children.size()), listOf(items));
    });
}

TreeDocument insertAfter(const TreeDocument& doc, const std::vector<Item>& items,
                         const std::optional<std::string>& after,
                         const std::optional<std::string>& rootId) {
    if (items.empty())
        return doc;
    if (after && after != rootId) {
        if (auto path = pathOf(doc.items, *after)) {
            auto index = static_cast<std::size_t>(path->back()) + 1;
            return withItems(
                doc, withSiblings(doc.items, parentOf(*path), [&](const ItemList& siblings) {
                    return siblings.inserting(index, listOf(items));
                }));
        }
    }
    if (rootId && pathOf(doc.items, *rootId))
        return insert(doc, items, rootId, std::nullopt);
    return withItems(doc, doc.items.inserting(doc.items.size(), listOf(items)));
}

TreeDocument appendChildren(const TreeDocument& doc, const std::string& parentID,
                            const std::vector<Item>& items) {
    if (items.empty())
        return doc;
    return updateItem(doc, parentID, [&](Item& item) {
        item.children = item.children.inserting(item.children.size(), listOf(items));
    });
}

} // namespace velmora::TreeOps
