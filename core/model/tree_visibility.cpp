// The read-only half of TreeOps: locating items and deciding what is shown.
#include "core/model/archive_titles.hpp"
#include "core/model/id_index.hpp"
#include "core/model/id_lookup.hpp"
#include "core/model/tree_ops.hpp"
#include "core/model/tree_paths.hpp"

#include <algorithm>
#include <utility>

namespace velmora::TreeOps {
namespace {

struct RowWalk {
    const std::optional<std::string>& rootId;
    bool hiding;
    std::vector<VisibleRow>& rows;

    void walk(const ItemList& items, int depth, const ItemList::Node& parent) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            const auto& node = items.node(i);
            if (hiding && node->checked && !(rootId && node->id == *rootId))
                continue;
            rows.push_back(VisibleRow{node, depth, parent});
            if (!node->collapsed && !node->children.empty())
                walk(node->children, depth + 1, node);
        }
    }
};

ItemList withoutChecked(const ItemList& items, const std::optional<std::string>& rootId) {
    std::vector<ItemList::Node> kept;
    bool changed = false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& node = items.node(i);
        if (node->checked && !(rootId && node->id == *rootId)) {
            changed = true;
            continue;
        }
        auto children = withoutChecked(node->children, rootId);
        if (children.sharesStorageWith(node->children)) {
            kept.push_back(node);
        } else {
            Item copy = *node;
            copy.children = std::move(children);
            kept.push_back(std::make_shared<const Item>(std::move(copy)));
            changed = true;
        }
    }
    return changed ? ItemList::fromNodes(std::move(kept)) : items;
}

void collectIds(const Item& item, std::set<std::string>& into) {
    into.insert(item.id);
    for (const auto& child : item.children)
        collectIds(child, into);
}

void collectCompleted(const ItemList& items, bool archiveTest, std::vector<Item>& into) {
    for (const auto& item : items) {
        if (archiveTest && ArchiveTitles::matches(item.text))
            continue;
        if (item.checked)
            into.push_back(item);
        else
            collectCompleted(item.children, false, into);
    }
}

} // namespace

// The path by following parent links in the id index; nothing when the index cannot answer
// (no index, an id it does not hold, or ids that repeat).
std::optional<std::vector<int>> indexedPath(const ItemList& items, const std::string& id,
                                            bool& answered) {
    answered = false;
    auto index = items.idIndex();
    if (!index || index->ambiguous)
        return std::nullopt;
    answered = true;
    std::vector<std::uint64_t> chain{idKey(id)};
    while (true) {
        auto parent = index->parents.find(chain.back());
        if (!parent)
            return std::nullopt;
        if (*parent == IdIndex::kTopLevel)
            break;
        if (chain.size() > static_cast<std::size_t>(kMaxItemDepth) + 1) {
            answered = false;
            return std::nullopt;
        }
        chain.push_back(*parent);
    }
    std::vector<int> path;
    const ItemList* list = &items;
    for (auto key = chain.rbegin(); key != chain.rend(); ++key) {
        std::size_t i = 0;
        while (i < list->size() && list->idKeyAt(i) != *key)
            ++i;
        if (i == list->size()) {
            answered = false;
            return std::nullopt;
        }
        path.push_back(static_cast<int>(i));
        if (key + 1 != chain.rend())
            list = &(*list)[i].children;
        else if ((*list)[i].id != id)
            answered = false;
    }
    if (!answered)
        return std::nullopt;
    return path;
}

std::optional<std::vector<int>> pathOf(const ItemList& items, const std::string& id) {
    bool answered = false;
    auto indexed = indexedPath(items, id, answered);
    if (answered)
        return indexed;
    std::optional<std::vector<int>> found;
    TreePaths::forEachPreOrder(items, [&](const Item& item, const std::vector<int>& path) {
        if (item.id != id)
            return true;
        found = path;
        return false;
    });
    return found;
}

const Item* itemAt(const ItemList& items, const std::vector<int>& path) {
    const ItemList* list = &items;
    const Item* item = nullptr;
    for (int index : path) {
        if (index < 0 || static_cast<std::size_t>(index) >= list->size())
            return nullptr;
        item = &(*list)[static_cast<std::size_t>(index)];
        list = &item->children;
    }
    return item;
}

std::optional<ItemLocation> locate(const ItemList& items, const std::string& id) {
    auto path = pathOf(items, id);
    if (!path)
        return std::nullopt;
    ItemLocation location{*path, *itemAt(items, *path), std::nullopt};
    if (path->size() >= 2)
        location.parent = *itemAt(items, std::vector<int>(path->begin(), path->end() - 1));
    return location;
}

std::vector<VisibleRow> visibleItems(const ItemList& items,
                                     const std::optional<std::string>& rootId,
                                     bool hidingCompleted) {
    std::vector<VisibleRow> rows;
    RowWalk walk{rootId, hidingCompleted, rows};
    if (!rootId) {
        rows.reserve(static_cast<std::size_t>(std::min<std::int64_t>(items.totalCount(), 1 << 20)));
        walk.walk(items, 0, nullptr);
        return rows;
    }
    auto path = pathOf(items, *rootId);
    if (!path)
        return rows;
    const ItemList* list = &items;
    ItemList::Node parent;
    for (std::size_t level = 0; level + 1 < path->size(); ++level) {
        parent = list->node(static_cast<std::size_t>((*path)[level]));
        list = &parent->children;
    }
    walk.walk(ItemList::fromNodes({list->node(static_cast<std::size_t>(path->back()))}), 0, parent);
    return rows;
}

namespace {

struct VisibleWalk {
    const std::optional<std::string>& rootId;
    bool hiding;
    const std::function<void(const ItemList&, std::size_t)>& visit;

    void walk(const ItemList& items) const {
        for (std::size_t i = 0; i < items.size(); ++i) {
            const Item& item = items[i];
            if (hiding && item.checked && !(rootId && item.id == *rootId))
                continue;
            visit(items, i);
            if (!item.collapsed && !item.children.empty())
                walk(item.children);
        }
    }
};

} // namespace

void forEachVisible(const ItemList& items, const std::optional<std::string>& rootId,
                    bool hidingCompleted,
                    const std::function<void(const ItemList&, std::size_t)>& visit) {
    const VisibleWalk walk{rootId, hidingCompleted, visit};
    if (!rootId) {
        walk.walk(items);
        return;
    }
    auto path = pathOf(items, *rootId);
    if (!path)
        return;
    const ItemList* list = &items;
    for (std::size_t level = 0; level + 1 < path->size(); ++level)
        list = &(*list)[static_cast<std::size_t>((*path)[level])].children;
    walk.walk(ItemList::fromNodes({list->node(static_cast<std::size_t>(path->back()))}));
}

ItemList displayItems(const ItemList& items, const std::optional<std::string>& rootId,
                      bool hidingCompleted) {
    ItemList base = items;
    if (rootId) {
        auto path = pathOf(items, *rootId);
        if (!path)
            return ItemList();
        const ItemList* list = &items;
        for (std::size_t level = 0; level + 1 < path->size(); ++level)
            list = &(*list)[static_cast<std::size_t>((*path)[level])].children;
        base = ItemList::fromNodes({list->node(static_cast<std::size_t>(path->back()))});
    }
    return hidingCompleted ? withoutChecked(base, rootId) : base;
}

bool isCompletedHidden(const ItemList& items, const std::string& id,
                       const std::optional<std::string>& rootId) {
    auto path = pathOf(items, id);
    if (!path)
        return false;
    if (rootId && id == *rootId)
        return false;
    auto depth = path->size();
    std::vector<const Item*> chain; // top-level ancestor first, the item last
    const ItemList* list = &items;
    for (std::size_t level = 0; level < depth; ++level) {
        const Item* at = &(*list)[static_cast<std::size_t>((*path)[level])];
        chain.push_back(at);
        list = &at->children;
    }
    if (chain.back()->checked)
        return true;
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
        if (rootId && (*it)->id == *rootId)
            return false;
        if ((*it)->checked)
            return true;
    }
    return false;
}

int modelIndex(int visibleIndex, const ItemList& siblings,
               const std::function<bool(const Item&)>& hidden) {
    int shown = 0;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (hidden(siblings[i]))
            continue;
        if (shown == visibleIndex)
            return static_cast<int>(i);
        ++shown;
    }
    return static_cast<int>(siblings.size());
}

std::set<std::string> ancestorIds(const ItemList& items, const std::string& id) {
    std::set<std::string> ids;
    auto path = pathOf(items, id);
    if (!path)
        return ids;
    const ItemList* list = &items;
    for (std::size_t level = 0; level + 1 < path->size(); ++level) {
        const Item& at = (*list)[static_cast<std::size_t>((*path)[level])];
        ids.insert(at.id);
        list = &at.children;
    }
    return ids;
}

std::set<std::string> branch(const ItemList& items, const std::string& id) {
    auto path = pathOf(items, id);
    if (!path)
        return {};
    auto ids = ancestorIds(items, id);
    collectIds(*itemAt(items, *path), ids);
    return ids;
}

bool isInArchive(const ItemList& items, const std::string& id) {
    auto path = pathOf(items, id);
    if (!path)
        return false;
    return ArchiveTitles::matches(items[static_cast<std::size_t>(path->front())].text);
}

std::vector<Item> topmostCompleted(const ItemList& items,
                                   const std::optional<std::string>& rootId) {
    std::vector<Item> result;
    if (!rootId) {
        collectCompleted(items, true, result);
        return result;
    }
    auto path = pathOf(items, *rootId);
    if (!path || isInArchive(items, *rootId))
        return result;
    const Item& root = *itemAt(items, *path);
    if (root.checked)
        return {root};
    collectCompleted(root.children, false, result);
    return result;
}

std::optional<std::string> selectionAfterRemoving(const ItemList& items,
                                                  const std::vector<std::string>& ids) {
    if (ids.empty())
        return std::nullopt;
    auto path = pathOf(items, ids.back());
    if (!path)
        return std::nullopt;
    const Item* parent = path->size() >= 2
                             ? itemAt(items, std::vector<int>(path->begin(), path->end() - 1))
                             : nullptr;
    const ItemList& siblings = parent ? parent->children : items;
    const IdLookup chosen(ids);
    std::optional<std::size_t> first, last;
    for (std::size_t i = 0; i < siblings.size(); ++i) {
        if (chosen.find(siblings[i].id, siblings.idKeyAt(i))) {
            if (!first)
                first = i;
            last = i;
        }
    }
    auto parentAnswer = parent ? std::optional<std::string>(parent->id) : std::nullopt;
    if (!first)
        return parentAnswer;
    for (std::size_t i = *last + 1; i < siblings.size(); ++i)
        if (!chosen.find(siblings[i].id, siblings.idKeyAt(i)))
            return siblings[i].id;
    for (std::size_t i = *first; i-- > 0;)
        if (!chosen.find(siblings[i].id, siblings.idKeyAt(i)))
            return siblings[i].id;
    return parentAnswer;
}

bool canMove(const TreeDocument& doc, const std::string& id,
             const std::optional<std::string>& toParent) {
    auto path = pathOf(doc.items, id);
    if (!path)
        return false;
    if (!toParent)
        return true;
    if (*toParent == id)
        return false;
    auto target = pathOf(doc.items, *toParent);
    if (!target)
        return false;
    if (target->size() > path->size() && std::equal(path->begin(), path->end(), target->begin()))
        return false;
    // With repeated ids another item of that id may still stand inside the moved subtree.
    auto index = doc.items.idIndex();
    if (index && !index->ambiguous)
        return true;
    return !pathOf(itemAt(doc.items, *path)->children, *toParent);
}

} // namespace velmora::TreeOps
