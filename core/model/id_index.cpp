#include "core/model/id_index.hpp"

#include "core/model/item.hpp"

#include <algorithm>
#include <bit>
#include <functional>
#include <unordered_map>
#include <unordered_set>

namespace velmora {

// A leaf holds one entry; a branch holds up to 32 children chosen by five bits of the key.
struct KeyMap60::Node {
    bool leaf = true;
    std::uint64_t key = 0, value = 0;
    std::uint32_t bitmap = 0;
    std::vector<std::shared_ptr<const Node>> children;
};

namespace {

using NodePtr = std::shared_ptr<const KeyMap60::Node>;
constexpr int kLevels = 12;

unsigned chunk(std::uint64_t key, int level) {
    return static_cast<unsigned>((key >> (55 - 5 * level)) & 31);
}

NodePtr makeLeaf(std::uint64_t key, std::uint64_t value) {
    auto n = std::make_shared<KeyMap60::Node>();
    n->key = key;
    n->value = value;
    return n;
}

std::size_t slot(const KeyMap60::Node& n, unsigned bit) {
    return static_cast<std::size_t>(std::popcount(n.bitmap & ((1u << bit) - 1)));
}

NodePtr buildSorted(const std::vector<KeyMap60::Entry>& e, std::size_t begin, std::size_t end,
                    int level) {
    if (end - begin == 1)
        return makeLeaf(e[begin].first, e[begin].second);
    auto n = std::make_shared<KeyMap60::Node>();
    n->leaf = false;
    for (std::size_t i = begin; i < end;) {
        auto bit = chunk(e[i].first, level);
        std::size_t j = i;
        while (j < end && chunk(e[j].first, level) == bit)
            ++j;
        n->bitmap |= 1u << bit;
        n->children.push_back(buildSorted(e, i, j, level + 1));
        i = j;
    }
    return n;
}

NodePtr setIn(const NodePtr& n, std::uint64_t key, std::uint64_t value, int level) {
    if (!n)
        return makeLeaf(key, value);
    if (n->leaf) {
        if (n->key == key || level >= kLevels)
            return makeLeaf(key, value);
        auto branch = std::make_shared<KeyMap60::Node>();
        branch->leaf = false;
        branch->bitmap = 1u << chunk(n->key, level);
        branch->children.push_back(n);
        return setIn(branch, key, value, level);
    }
    auto bit = chunk(key, level);
    auto copy = std::make_shared<KeyMap60::Node>(*n);
    auto at = slot(*n, bit);
    if (n->bitmap & (1u << bit)) {
        copy->children[at] = setIn(n->children[at], key, value, level + 1);
    } else {
        copy->bitmap |= 1u << bit;
        copy->children.insert(copy->children.begin() + static_cast<std::ptrdiff_t>(at),
                              makeLeaf(key, value));
    }
    return copy;
}

NodePtr eraseIn(const NodePtr& n, std::uint64_t key, int level) {
    if (!n)
        return n;
    if (n->leaf)
        return n->key == key ? nullptr : n;
    auto bit = chunk(key, level);
    if (!(n->bitmap & (1u << bit)))
        return n;
    auto at = slot(*n, bit);
    auto child = eraseIn(n->children[at], key, level + 1);
    if (child == n->children[at])
        return n;
    auto copy = std::make_shared<KeyMap60::Node>(*n);
    if (child) {
        copy->children[at] = child;
    } else {
        copy->bitmap &= ~(1u << bit);
        copy->children.erase(copy->children.begin() + static_cast<std::ptrdiff_t>(at));
    }
    if (copy->children.empty())
        return nullptr;
    if (copy->children.size() == 1 && copy->children[0]->leaf)
        return copy->children[0];
    return copy;
}

} // namespace

KeyMap60 KeyMap60::fromSorted(const std::vector<Entry>& entries) {
    KeyMap60 map;
    if (!entries.empty())
        map.m_root = buildSorted(entries, 0, entries.size(), 0);
    return map;
}

std::optional<std::uint64_t> KeyMap60::find(std::uint64_t key) const {
    const Node* n = m_root.get();
    for (int level = 0; n; ++level) {
        if (n->leaf)
            return n->key == key ? std::optional(n->value) : std::nullopt;
        auto bit = chunk(key, level);
        if (!(n->bitmap & (1u << bit)))
            return std::nullopt;
        n = n->children[slot(*n, bit)].get();
    }
    return std::nullopt;
}

KeyMap60 KeyMap60::set(std::uint64_t key, std::uint64_t value) const {
    KeyMap60 map;
    map.m_root = setIn(m_root, key, value, 0);
    return map;
}

KeyMap60 KeyMap60::erase(std::uint64_t key) const {
    KeyMap60 map;
    map.m_root = eraseIn(m_root, key, 0);
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
    IndexDiff(const IdIndex& base) : m_index(base) {}

    IdIndex apply(const ItemList& oldTop, const ItemList& newTop) {
        walk(oldTop, newTop, IdIndex::kTopLevel);
        // Old subtrees that reappear somewhere in the new tree only change their parent.
        for (const auto& [node, parent] : m_added)
            markMoved(*node);
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
        m_index.parents = m_index.parents.erase(idKey(item.id));
        for (std::size_t i = 0; i < item.children.size(); ++i)
            if (!m_moved.count(item.children.node(i).get()))
                eraseSubtree(item.children[i]);
    }

    void addSubtree(const Item& item, std::uint64_t key, std::uint64_t parent) {
        bool isMove = m_moved.count(&item) > 0;
        if (!isMove && m_index.parents.find(key))
            m_index.ambiguous = true;
        m_index.parents = m_index.parents.set(key, parent);
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
