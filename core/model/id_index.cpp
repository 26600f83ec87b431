#include "core/model/id_index.hpp"

#include "core/model/item.hpp"

#include <algorithm>
#include <bit>
#include <functional>
#include <unordered_map>
#include <unordered_set>

namespace velmora {

// A leaf holds its entries sorted by key. A branch holds its children in key order and, for
// every child but the first, the lowest key that child may hold (`bounds[0]` is not used).
// A node without entries and without children is empty, whichever it was.
struct KeyMap60::Node {
    std::vector<Entry> entries;
    std::vector<std::uint64_t> bounds;
    std::vector<std::shared_ptr<Node>> children;

    [[nodiscard]] bool isLeaf() const { return children.empty(); }
    [[nodiscard]] bool isEmpty() const { return entries.empty() && children.empty(); }
};

namespace {

using Node = KeyMap60::Node;
using NodePtr = std::shared_ptr<Node>;
using Entry = KeyMap60::Entry;

// A node splits when it grows past this many entries or children.
constexpr std::size_t kWidest = 64;
// How full a map built at once fills its nodes, leaving room for the edits that follow.
constexpr std::size_t kPacked = 48;
// A leaf this small after an erase is merged into a neighbour with room for it.
constexpr std::size_t kSparse = kWidest / 4;

bool keyLess(const Entry& e, std::uint64_t key) { return e.first < key; }

// The child of a branch that holds or would hold the key.
std::size_t route(const Node& n, std::uint64_t key) {
    auto it = std::upper_bound(n.bounds.begin() + 1, n.bounds.end(), key);
    return static_cast<std::size_t>(it - n.bounds.begin()) - 1;
}

// The node in the slot, copied first when another map still shares it.
Node& owned(NodePtr& slot) {
    if (slot.use_count() != 1) {
        auto copy = std::make_shared<Node>();
        copy->entries.reserve(slot->isLeaf() ? kWidest + 1 : 0);
        copy->entries.assign(slot->entries.begin(), slot->entries.end());
        copy->bounds = slot->bounds;
        copy->children = slot->children;
        slot = std::move(copy);
    }
    return *slot;
}

// The right half of a node that overflowed, and the lowest key it may hold.
struct Split {
    NodePtr right;
    std::uint64_t bound = 0;
};

template <typename T>
std::vector<T> cutAfter(std::vector<T>& v, std::size_t keep) {
    std::vector<T> rest(std::make_move_iterator(v.begin() + static_cast<std::ptrdiff_t>(keep)),
                        std::make_move_iterator(v.end()));
    v.erase(v.begin() + static_cast<std::ptrdiff_t>(keep), v.end());
    return rest;
}

Split insertInto(NodePtr& slot, std::uint64_t key, std::uint64_t value, bool& added) {
    Node& n = owned(slot);
    if (n.isLeaf()) {
        auto it = std::lower_bound(n.entries.begin(), n.entries.end(), key, keyLess);
        if (it != n.entries.end() && it->first == key) {
            it->second = value;
            return {};
        }
        n.entries.insert(it, Entry{key, value});
        added = true;
        if (n.entries.size() <= kWidest)
            return {};
        auto right = std::make_shared<Node>();
        right->entries = cutAfter(n.entries, n.entries.size() / 2);
        return {right, right->entries.front().first};
    }
    auto i = route(n, key);
    auto split = insertInto(n.children[i], key, value, added);
    if (!split.right)
        return {};
    auto at = static_cast<std::ptrdiff_t>(i + 1);
    n.children.insert(n.children.begin() + at, std::move(split.right));
    n.bounds.insert(n.bounds.begin() + at, split.bound);
    if (n.children.size() <= kWidest)
        return {};
    auto half = n.children.size() / 2;
    auto right = std::make_shared<Node>();
    right->children = cutAfter(n.children, half);
    right->bounds = cutAfter(n.bounds, half);
    return {right, right->bounds.front()};
}

// Moves a sparse leaf's entries into the neighbour beside it when they fit there.
void mergeSparse(Node& branch, std::size_t i) {
    const Node& child = *branch.children[i];
    if (!child.isLeaf() || child.entries.size() >= kSparse)
        return;
    auto fits = [&](std::size_t j) {
        return branch.children[j]->isLeaf() &&
               branch.children[j]->entries.size() + child.entries.size() <= kPacked;
    };
    if (i > 0 && fits(i - 1)) {
        auto& left = owned(branch.children[i - 1]).entries;
        left.insert(left.end(), child.entries.begin(), child.entries.end());
        branch.children.erase(branch.children.begin() + static_cast<std::ptrdiff_t>(i));
        branch.bounds.erase(branch.bounds.begin() + static_cast<std::ptrdiff_t>(i));
    } else if (i + 1 < branch.children.size() && fits(i + 1)) {
        auto& right = owned(branch.children[i + 1]).entries;
        right.insert(right.begin(), child.entries.begin(), child.entries.end());
        // The merged leaf keeps the lower bound of the one that went.
        branch.children.erase(branch.children.begin() + static_cast<std::ptrdiff_t>(i));
        branch.bounds.erase(branch.bounds.begin() + static_cast<std::ptrdiff_t>(i + 1));
    }
}

// Erases a key the subtree is known to hold.
void eraseFrom(NodePtr& slot, std::uint64_t key) {
    Node& n = owned(slot);
    if (n.isLeaf()) {
        auto it = std::lower_bound(n.entries.begin(), n.entries.end(), key, keyLess);
        n.entries.erase(it);
        return;
    }
    auto i = route(n, key);
    eraseFrom(n.children[i], key);
    if (n.children[i]->isEmpty()) {
        n.children.erase(n.children.begin() + static_cast<std::ptrdiff_t>(i));
        n.bounds.erase(n.bounds.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
        mergeSparse(n, i);
    }
}

// One level of nodes over the nodes below, each holding up to kPacked of them.
std::vector<std::pair<NodePtr, std::uint64_t>>
branchesOver(const std::vector<std::pair<NodePtr, std::uint64_t>>& level) {
    std::vector<std::pair<NodePtr, std::uint64_t>> above;
    for (std::size_t i = 0; i < level.size(); i += kPacked) {
        auto n = std::make_shared<Node>();
        auto end = std::min(level.size(), i + kPacked);
        for (auto j = i; j < end; ++j) {
            n->children.push_back(level[j].first);
            n->bounds.push_back(level[j].second);
        }
        above.emplace_back(std::move(n), level[i].second);
    }
    return above;
}

} // namespace

KeyMap60 KeyMap60::fromSorted(const std::vector<Entry>& entries) {
    KeyMap60 map;
    if (entries.empty())
        return map;
    std::vector<std::pair<NodePtr, std::uint64_t>> level;
    for (std::size_t i = 0; i < entries.size(); i += kPacked) {
        auto leaf = std::make_shared<Node>();
        auto end = std::min(entries.size(), i + kPacked);
        leaf->entries.assign(entries.begin() + static_cast<std::ptrdiff_t>(i),
                             entries.begin() + static_cast<std::ptrdiff_t>(end));
        level.emplace_back(std::move(leaf), entries[i].first);
    }
    while (level.size() > 1)
        level = branchesOver(level);
    map.m_root = std::move(level.front().first);
    map.m_size = entries.size();
    return map;
}

std::optional<std::uint64_t> KeyMap60::find(std::uint64_t key) const {
    const Node* n = m_root.get();
    if (!n)
        return std::nullopt;
    while (!n->isLeaf())
        n = n->children[route(*n, key)].get();
    auto it = std::lower_bound(n->entries.begin(), n->entries.end(), key, keyLess);
    if (it == n->entries.end() || it->first != key)
        return std::nullopt;
    return it->second;
}

void KeyMap60::assign(std::uint64_t key, std::uint64_t value) {
    if (!m_root)
        m_root = std::make_shared<Node>();
    bool added = false;
    auto split = insertInto(m_root, key, value, added);
    if (split.right) {
        auto root = std::make_shared<Node>();
        root->children = {std::move(m_root), std::move(split.right)};
        root->bounds = {0, split.bound};
        m_root = std::move(root);
    }
    m_size += added ? 1 : 0;
}

void KeyMap60::remove(std::uint64_t key) {
    if (!find(key))
        return;
    eraseFrom(m_root, key);
    --m_size;
    while (m_root && !m_root->isLeaf() && m_root->children.size() == 1) {
        NodePtr only = m_root->children.front();
        m_root = std::move(only);
    }
    if (m_root && m_root->isEmpty())
        m_root.reset();
}

KeyMap60 KeyMap60::set(std::uint64_t key, std::uint64_t value) const {
    KeyMap60 map = *this;
    map.assign(key, value);
    return map;
}

KeyMap60 KeyMap60::erase(std::uint64_t key) const {
    KeyMap60 map = *this;
    map.remove(key);
    return map;
}

std::uint64_t idKey(std::string_view id) {
    return (std::hash<std::string_view>{}(id) >> 4) | 1;
}

namespace {

void collectEntries(const ItemList& list, std::uint64_t parent,
                    std::vector<KeyMap60::Entry>& into) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        auto key = list.idKeyAt(i);
        into.emplace_back(key, parent);
        collectEntries(list[i].children, key, into);
    }
}

// The changes between two versions of a tree, found by walking only where storage differs.
class IndexDiff {
public:
    // Changing an entry costs about this many times what indexing an item afresh costs.
    static constexpr std::int64_t kRebuildFactor = 4;

    IndexDiff(const IdIndex& base) : m_index(base) {}

    IdIndex apply(const ItemList& oldTop, const ItemList& newTop) {
        walk(oldTop, newTop, IdIndex::kTopLevel);
        // Old subtrees that reappear somewhere in the new tree only change their parent.
        for (const auto& [node, parent] : m_added)
            markMoved(*node);
        // When a large share of the tree changed (a mass delete, a paste of a whole outline),
        // indexing the new tree afresh costs less than changing the index item by item.
        std::int64_t touched = 0;
        for (const auto& [node, parent] : m_removed)
            touched += m_moved.count(node) ? 1 : node->count();
        for (const auto& [node, parent] : m_added)
            touched += m_moved.count(node) ? 1 : node->count();
        if (touched * kRebuildFactor > newTop.totalCount())
            return IdIndex::build(newTop);
        for (const auto& [node, parent] : m_removed)
            if (!m_moved.count(node))
                eraseSubtree(*node);
        for (const auto& [node, parent] : m_added)
            addSubtree(*node, idKey(node->id), parent);
        return m_index;
    }

private:
    void walk(const ItemList& before, const ItemList& after, std::uint64_t parent) {
        if (before.sharesStorageWith(after))
            return;
        std::size_t b0 = 0, b1 = before.size(), a0 = 0, a1 = after.size();
        while (b0 < b1 && a0 < a1 && before.node(b0) == after.node(a0))
            ++b0, ++a0;
        while (b1 > b0 && a1 > a0 && before.node(b1 - 1) == after.node(a1 - 1))
            --b1, --a1;
        std::unordered_map<std::string_view, const Item*> oldById;
        std::unordered_set<const Item*> oldNodes;
        for (auto i = b0; i < b1; ++i) {
            oldById.emplace(before[i].id, before.node(i).get());
            oldNodes.insert(before.node(i).get());
        }
        std::unordered_set<const Item*> matched;
        for (auto i = a0; i < a1; ++i) {
            const Item* node = after.node(i).get();
            if (oldNodes.count(node)) {
                matched.insert(node);
                continue;
            }
            auto it = oldById.find(node->id);
            if (it != oldById.end() && !matched.count(it->second)) {
                matched.insert(it->second);
                walk(it->second->children, node->children, after.idKeyAt(i));
            } else {
                m_added.emplace_back(node, parent);
            }
        }
        for (auto i = b0; i < b1; ++i)
            if (!matched.count(before.node(i).get()))
                m_removed.emplace(before.node(i).get(), parent);
    }

    void markMoved(const Item& item) {
        if (m_removed.count(&item)) {
            m_moved.insert(&item);
            return;
        }
        for (std::size_t i = 0; i < item.children.size(); ++i)
            markMoved(item.children[i]);
    }

    void eraseSubtree(const Item& item) {
        m_index.parents.remove(idKey(item.id));
        for (std::size_t i = 0; i < item.children.size(); ++i)
            if (!m_moved.count(item.children.node(i).get()))
                eraseSubtree(item.children[i]);
    }

    void addSubtree(const Item& item, std::uint64_t key, std::uint64_t parent) {
        bool isMove = m_moved.count(&item) > 0;
        if (!isMove && m_index.parents.find(key))
            m_index.ambiguous = true;
        m_index.parents.assign(key, parent);
        if (isMove)
            return;
        for (std::size_t i = 0; i < item.children.size(); ++i)
            addSubtree(item.children[i], item.children.idKeyAt(i), key);
    }

    IdIndex m_index;
    std::vector<std::pair<const Item*, std::uint64_t>> m_added;
    std::unordered_map<const Item*, std::uint64_t> m_removed;
    std::unordered_set<const Item*> m_moved;
};

} // namespace

IdIndex IdIndex::build(const ItemList& top) {
    std::vector<KeyMap60::Entry> entries;
    entries.reserve(static_cast<std::size_t>(top.totalCount()));
    collectEntries(top, kTopLevel, entries);
    std::sort(entries.begin(), entries.end());
    IdIndex index;
    for (std::size_t i = 1; i < entries.size(); ++i)
        if (entries[i].first == entries[i - 1].first)
            index.ambiguous = true;
    if (index.ambiguous)
        entries.erase(std::unique(entries.begin(), entries.end(),
                                  [](const auto& a, const auto& b) { return a.first == b.first; }),
                      entries.end());
    index.parents = KeyMap60::fromSorted(entries);
    return index;
}

IdIndex IdIndex::derive(const IdIndex& base, const ItemList& oldTop, const ItemList& newTop) {
    if (base.ambiguous)
        return build(newTop);
    return IndexDiff(base).apply(oldTop, newTop);
}

} // namespace velmora
