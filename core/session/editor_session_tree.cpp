#include "core/session/editor_session_tree.hpp"

#include "core/model/tree_ops.hpp"
#include "core/model/tree_paths.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string_view>
#include <unordered_set>

namespace velmora::SessionTree {
namespace {

// Answers "is this one of the wanted ids?" for a walk over a large tree. A few ids are told
// apart by their length and first eight bytes before any full comparison; many go through a
// hash set.
class IdFilter {
public:
    explicit IdFilter(const std::vector<std::string>& ids) : m_ids(ids) {
        if (ids.size() > kDirect)
            m_set.insert(ids.begin(), ids.end());
        for (const auto& id : ids)
            m_keys.push_back(Key{id.size(), headOf(id)});
    }
    // The number of different ids looked for.
    [[nodiscard]] std::size_t distinctCount() const {
        if (m_ids.size() > kDirect)
            return m_set.size();
        return std::set<std::string_view>(m_ids.begin(), m_ids.end()).size();
    }
    [[nodiscard]] bool contains(const std::string& id) const {
        if (m_ids.size() > kDirect)
            return m_set.count(id) > 0;
        auto head = headOf(id);
        for (std::size_t i = 0; i < m_keys.size(); ++i)
            if (m_keys[i].size == id.size() && m_keys[i].head == head && m_ids[i] == id)
                return true;
        return false;
    }

private:
    struct Key {
        std::size_t size;
        std::uint64_t head;
    };
    static std::uint64_t headOf(const std::string& id) {
        std::uint64_t head = 0;
        std::memcpy(&head, id.data(), std::min<std::size_t>(id.size(), sizeof head));
        return head;
    }
    static constexpr std::size_t kDirect = 16;
    const std::vector<std::string>& m_ids;
    std::vector<Key> m_keys;
    std::unordered_set<std::string_view> m_set;
};

// Walks the tree in pre-order and reports the path of every item the filter accepts, until
// `found` returns false.
template <class Found>
void walkFor(const ItemList& items, const IdFilter& filter, const Found& found) {
    TreePaths::forEachPreOrder(items, [&](const Item& item, const Path& path) {
        return !filter.contains(item.id) || found(item.id, path);
    });
}

constexpr std::size_t kLookedUpOneByOne = 32;

// Lists edited in fewer places than this are rebuilt by replacing and removing single items,
// which carries the tree's id index over; larger edits rebuild the list at once.
constexpr std::size_t kEditedOneByOne = 16;

TreeDocument withItems(const TreeDocument& doc, ItemList items) {
    return TreeDocument{doc.id, doc.title, std::move(items)};
}

std::span<const int> spanOf(const Path& path) {
    return {path.data(), path.size()};
}

} // namespace

std::optional<Path> pathOf(const ItemList& items, const std::string& id) {
    return TreeOps::pathOf(items, id);
}

std::unordered_map<std::string, Path> pathsOf(const ItemList& items,
                                              const std::vector<std::string>& ids) {
    std::unordered_map<std::string, Path> found;
    if (ids.empty())
        return found;
    // A few ids are looked up one by one through the tree's id index; many in one walk.
    if (ids.size() <= kLookedUpOneByOne) {
        for (const auto& id : ids)
            if (!found.count(id))
                if (auto path = TreeOps::pathOf(items, id))
                    found.emplace(id, std::move(*path));
        return found;
    }
    // The filter's hash set counts the different ids without copying them again.
    const IdFilter filter(ids);
    const std::size_t wanted = filter.distinctCount();
    found.reserve(wanted);
    walkFor(items, filter, [&](const std::string& id, const Path& path) {
        found.emplace(id, path);
        return found.size() < wanted;
    });
    return found;
}

const Item* itemAt(const ItemList& items, const Path& path) {
    return TreeOps::itemAt(items, path);
}

const ItemList& siblingsAt(const ItemList& items, const Path& path) {
    if (path.size() < 2)
        return items;
    return itemAt(items, parentPath(path))->children;
}

Path parentPath(const Path& path) {
    return path.empty() ? Path{} : Path(path.begin(), path.end() - 1);
}

bool isAncestorPath(const Path& ancestor, const Path& path) {
    return ancestor.size() < path.size() &&
           std::equal(ancestor.begin(), ancestor.end(), path.begin());
}

bool completedHiddenAt(const ItemList& items, const Path& path,
                       const std::optional<Path>& rootPath) {
    if (rootPath && *rootPath == path)
        return false;
    // Levels at or above the root's own level are not tested when the root is an ancestor.
    std::size_t firstTested = 0;
    if (rootPath && isAncestorPath(*rootPath, path))
        firstTested = rootPath->size();
    const ItemList* list = &items;
    for (std::size_t level = 0; level < path.size(); ++level) {
        auto index = static_cast<std::size_t>(path[level]);
        if (path[level] < 0 || index >= list->size())
            return false;
        const Item& at = (*list)[index];
        if (level >= firstTested && at.checked)
            return true;
        list = &at.children;
    }
    return false;
}

bool shownAt(const ItemList& items, const Path& path, const std::optional<Path>& rootPath,
             bool hiding) {
    std::size_t rootLevel = 0; // the first level that belongs to the shown tree
    if (rootPath) {
        if (*rootPath != path && !isAncestorPath(*rootPath, path))
            return false;
        rootLevel = rootPath->size() - 1;
    }
    const ItemList* list = &items;
    for (std::size_t level = 0; level < path.size(); ++level) {
        auto index = static_cast<std::size_t>(path[level]);
        if (path[level] < 0 || index >= list->size())
            return false;
        const Item& at = (*list)[index];
        bool isRoot = rootPath && level == rootLevel;
        if (level >= rootLevel && !isRoot && hiding && at.checked)
            return false;
        if (level >= rootLevel && level + 1 < path.size() && at.collapsed)
            return false;
        list = &at.children;
    }
    return !path.empty();
}

std::optional<std::string> firstShownId(const ItemList& items, const std::optional<Path>& rootPath,
                                        bool hiding) {
    if (rootPath) {
        const Item* root = itemAt(items, *rootPath);
        return root ? std::optional<std::string>(root->id) : std::nullopt;
    }
    for (const auto& item : items)
        if (!(hiding && item.checked))
            return item.id;
    return std::nullopt;
}

namespace {

// The index of the nearest sibling from `start` in the direction `step` that hiding leaves
// shown; -1 when there is none.
int shownSibling(const ItemList& siblings, int start, int step, bool hiding) {
    for (int i = start; i >= 0 && i < static_cast<int>(siblings.size()); i += step)
        if (!(hiding && siblings[static_cast<std::size_t>(i)].checked))
            return i;
    return -1;
}

} // namespace

std::optional<Path> nextShown(const ItemList& items, const Path& from,
                              const std::optional<Path>& rootPath, bool hiding) {
    const Item* item = itemAt(items, from);
    if (!item)
        return std::nullopt;
    if (!item->collapsed) {
        int child = shownSibling(item->children, 0, 1, hiding);
        if (child >= 0) {
            Path path = from;
            path.push_back(child);
            return path;
        }
    }
    Path current = from;
    while (!current.empty() && current != rootPath) {
        const auto& siblings = siblingsAt(items, current);
        int next = shownSibling(siblings, current.back() + 1, 1, hiding);
        if (next >= 0) {
            current.back() = next;
            return current;
        }
        current.pop_back();
    }
    return std::nullopt;
}

std::optional<Path> previousShown(const ItemList& items, const Path& from,
                                  const std::optional<Path>& rootPath, bool hiding) {
    if (from.empty() || from == rootPath)
        return std::nullopt;
    int previous = shownSibling(siblingsAt(items, from), from.back() - 1, -1, hiding);
    if (previous < 0) {
        if (from.size() < 2)
            return std::nullopt;
        return parentPath(from);
    }
    // The last shown row inside the previous sibling.
    Path path = from;
    path.back() = previous;
    for (const Item* at = itemAt(items, path); !at->collapsed;) {
        int last =
            shownSibling(at->children, static_cast<int>(at->children.size()) - 1, -1, hiding);
        if (last < 0)
            break;
        path.push_back(last);
        at = &at->children[static_cast<std::size_t>(last)];
    }
    return path;
}

TreeDocument updatedAt(const TreeDocument& doc, const Path& path,
                       const std::function<void(Item&)>& mutate) {
    if (!itemAt(doc.items, path))
        return doc;
    auto index = static_cast<std::size_t>(path.back());
    return withItems(doc, TreePaths::withSiblings(
                              doc.items, TreePaths::parentOf(path), [&](const ItemList& siblings) {
                                  Item item = siblings[index];
                                  mutate(item);
                                  return siblings.replacing(index, std::move(item));
                              }));
}

namespace {

// Rebuilds `list` with the items at paths[begin, end) changed; all those paths share their
// first `depth` indices, which lead to `list`.
ItemList updatedList(const ItemList& list, const std::vector<Path>& paths, std::size_t begin,
                     std::size_t end, std::size_t depth, const std::function<void(Item&)>& mutate) {
    std::vector<std::pair<std::size_t, Item>> changed;
    for (std::size_t i = begin; i < end;) {
        auto index = paths[i][depth];
        std::size_t j = i;
        while (j < end && paths[j][depth] == index)
            ++j;
        Item copy = list[static_cast<std::size_t>(index)];
        std::size_t inner = i;
        bool self = paths[i].size() == depth + 1; // sorted: the item's own path comes first
        if (self)
            ++inner;
        if (inner < j)
            copy.children = updatedList(copy.children, paths, inner, j, depth + 1, mutate);
        if (self)
            mutate(copy);
        changed.emplace_back(static_cast<std::size_t>(index), std::move(copy));
        i = j;
    }
    if (changed.size() < kEditedOneByOne) {
        ItemList result = list;
        for (auto& [index, item] : changed)
            result = result.replacing(index, std::move(item));
        return result;
    }
    auto nodes = list.nodes();
    for (auto& [index, item] : changed)
        nodes[index] = std::make_shared<const Item>(std::move(item));
    return ItemList::fromNodes(std::move(nodes));
}

} // namespace

TreeDocument updatedAtPaths(const TreeDocument& doc, std::vector<Path> paths,
                            const std::function<void(Item&)>& mutate) {
    std::erase_if(paths, [&](const Path& path) { return !itemAt(doc.items, path); });
    if (paths.empty())
        return doc;
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return withItems(doc, updatedList(doc.items, paths, 0, paths.size(), 0, mutate));
}

TreeDocument siblingsEdited(const TreeDocument& doc, const Path& path,
                            const std::function<ItemList(const ItemList&)>& edit) {
    if (path.empty())
        return doc;
    return withItems(doc, TreePaths::withSiblings(doc.items, TreePaths::parentOf(path), edit));
}

TreeDocument removedAt(const TreeDocument& doc, std::vector<Path> paths) {
    // Lists are edited deepest-last-first, so no edit moves a path that is still to come.
    std::map<Path, std::set<int>, std::greater<>> byParent;
    for (auto& path : paths)
        if (!path.empty() && itemAt(doc.items, path))
            byParent[parentPath(path)].insert(path.back());
    ItemList items = doc.items;
    for (const auto& entry : byParent) {
        // Not a structured binding: clang 14 (the fuzz build) cannot capture one in a lambda.
        const std::set<int>& indices = entry.second;
        items = TreePaths::withSiblings(items, spanOf(entry.first), [&](const ItemList& siblings) {
            if (indices.size() < kEditedOneByOne) {
                ItemList result = siblings;
                for (auto index = indices.rbegin(); index != indices.rend(); ++index)
                    result = result.removing(static_cast<std::size_t>(*index));
                return result;
            }
            std::vector<ItemList::Node> kept;
            kept.reserve(siblings.size());
            for (std::size_t i = 0; i < siblings.size(); ++i)
                if (!indices.count(static_cast<int>(i)))
                    kept.push_back(siblings.node(i));
            return ItemList::fromNodes(std::move(kept));
        });
    }
    return withItems(doc, std::move(items));
}

} // namespace velmora::SessionTree
