#include "core/model/bulk_edit.hpp"

#include "core/model/id_index.hpp"

#include <algorithm>
#include <bit>
#include <utility>

namespace velmora::BulkEdit {
namespace {

using Node = ItemList::Node;

// Below this share of the tree's items the walk is guided by the id index.
constexpr std::int64_t kGuidedShare = 16;

// The keys of the items whose branch holds a wanted id, in an open-addressing table (no id key
// is 0, so 0 marks a free place).
class KeySet {
public:
    KeySet() { resize(16); }

    // Adds the key; false when it was there already.
    bool insert(std::uint64_t key) {
        if ((m_count + 1) * 2 > m_places.size())
            resize(m_places.size() * 2);
        return place(key);
    }
    [[nodiscard]] bool contains(std::uint64_t key) const {
        const std::size_t mask = m_places.size() - 1;
        for (std::size_t at = home(key);; at = (at + 1) & mask) {
            if (m_places[at] == key)
                return true;
            if (m_places[at] == 0)
                return false;
        }
    }

private:
    [[nodiscard]] std::size_t home(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
    }
    bool place(std::uint64_t key) {
        const std::size_t mask = m_places.size() - 1;
        for (std::size_t at = home(key);; at = (at + 1) & mask) {
            if (m_places[at] == key)
                return false;
            if (m_places[at] == 0) {
                m_places[at] = key;
                ++m_count;
                return true;
            }
        }
    }
    void resize(std::size_t places) {
        std::vector<std::uint64_t> old = std::exchange(m_places, std::vector<std::uint64_t>(places));
        m_shift = 64 - std::countr_zero(places);
        m_count = 0;
        for (std::uint64_t key : old)
            if (key != 0)
                place(key);
    }

    std::vector<std::uint64_t> m_places;
    std::size_t m_count = 0;
    int m_shift = 60;
};

// One walk's progress: which wanted ids were met, and where the walk needs to descend.
class Walk {
public:
    Walk(const ItemList& top, const IdLookup& wanted)
        : m_wanted(wanted), m_met(wanted.size(), 0), m_remaining(wanted.size()) {
        guide(top);
    }

    [[nodiscard]] bool done() const { return m_remaining == 0; }
    // Whether the item at i is the first met of a wanted id; it counts as met from now on.
    bool take(const ItemList& list, std::size_t i) {
        const auto slot = m_wanted.find(list[i].id, list.idKeyAt(i));
        if (!slot || m_met[*slot])
            return false;
        m_met[*slot] = 1;
        --m_remaining;
        m_slot = *slot;
        return true;
    }
    // The slot of the item taken last.
    [[nodiscard]] std::size_t slot() const { return m_slot; }
    // Whether the children of the item at i may hold a wanted id not met yet.
    [[nodiscard]] bool descends(const ItemList& list, std::size_t i) const {
        return m_remaining > 0 && !list[i].children.empty() &&
               (!m_guided || m_branches.contains(list.idKeyAt(i)));
    }

private:
    // Marks the ancestors of every wanted id, following the index's parent links, when the
    // index is there and the ids are few next to the tree.
    void guide(const ItemList& top) {
        const auto index = top.builtIdIndex();
        if (!index || index->ambiguous ||
            static_cast<std::int64_t>(m_wanted.size()) * kGuidedShare >= top.totalCount())
            return;
        m_guided = true;
        for (std::size_t slot = 0; slot < m_wanted.size(); ++slot) {
            std::uint64_t key = m_wanted.keyAt(slot);
            for (int level = 0; level <= kMaxItemDepth; ++level) {
                const auto parent = index->parents.find(key);
                if (!parent || *parent == IdIndex::kTopLevel || !m_branches.insert(*parent))
                    break;
                key = *parent;
            }
        }
    }

    const IdLookup& m_wanted;
    std::vector<char> m_met;
    std::size_t m_remaining;
    std::size_t m_slot = 0;
    bool m_guided = false;
    KeySet m_branches;
};

using Visit = std::function<bool(std::size_t, const Item&)>;

bool visitList(const ItemList& list, Walk& walk, const Visit& visit) {
    for (std::size_t i = 0; i < list.size() && !walk.done(); ++i) {
        if (walk.take(list, i) && !visit(walk.slot(), list[i]))
            return false;
        if (walk.descends(list, i) && !visitList(list[i].children, walk, visit))
            return false;
    }
    return !walk.done();
}

ItemList updatedList(const ItemList& list, Walk& walk, const std::function<void(Item&)>& mutate) {
    std::vector<Node> nodes; // a copy of the list's nodes, made at its first change
    for (std::size_t i = 0; i < list.size() && !walk.done(); ++i) {
        const bool self = walk.take(list, i);
        const Node& node = list.node(i);
        const ItemList* children = &node->children;
        ItemList changed;
        if (walk.descends(list, i)) {
            changed = updatedList(node->children, walk, mutate);
            children = &changed;
        }
        const bool below = !children->sharesStorageWith(node->children);
        if (!self && !below)
            continue;
        if (nodes.empty())
            nodes = list.nodes();
        Item copy = *node;
        if (below)
            copy.children = *children;
        if (self)
            mutate(copy);
        nodes[i] = std::make_shared<const Item>(std::move(copy));
    }
    return nodes.empty() ? list : list.withSameShape(std::move(nodes));
}

void takeAll(const ItemList& list, Walk& walk) {
    for (std::size_t i = 0; i < list.size() && !walk.done(); ++i) {
        walk.take(list, i);
        if (walk.descends(list, i))
            takeAll(list[i].children, walk);
    }
}

ItemList removedList(const ItemList& list, Walk& walk) {
    std::vector<Node> kept; // filled at the list's first change
    bool changed = false;
    auto change = [&](std::size_t i) {
        if (changed)
            return;
        changed = true;
        kept.reserve(list.size());
        for (std::size_t j = 0; j < i; ++j)
            kept.push_back(list.node(j));
    };
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Node& node = list.node(i);
        if (walk.done()) {
            if (changed)
                kept.push_back(node);
            continue;
        }
        if (walk.take(list, i)) {
            change(i);
            // Ids met only inside it are gone with it, not looked for further on.
            if (walk.descends(list, i))
                takeAll(node->children, walk);
            continue;
        }
        Node result = node;
        if (walk.descends(list, i)) {
            ItemList children = removedList(node->children, walk);
            if (!children.sharesStorageWith(node->children)) {
                Item copy = *node;
                copy.children = std::move(children);
                result = std::make_shared<const Item>(std::move(copy));
            }
        }
        if (result != node)
            change(i);
        if (changed)
            kept.push_back(std::move(result));
    }
    return changed ? ItemList::fromNodes(std::move(kept)) : list;
}

void markOutermost(const ItemList& list, Walk& walk, bool inside, std::vector<bool>& outermost) {
    for (std::size_t i = 0; i < list.size() && !walk.done(); ++i) {
        const bool taken = walk.take(list, i);
        if (taken)
            outermost[walk.slot()] = !inside;
        if (walk.descends(list, i))
            markOutermost(list[i].children, walk, inside || taken, outermost);
    }
}

} // namespace

void forEachFound(const ItemList& items, const IdLookup& wanted, const Visit& visit) {
    Walk walk(items, wanted);
    visitList(items, walk, visit);
}

ItemList updated(const ItemList& items, const IdLookup& wanted,
                 const std::function<void(Item&)>& mutate) {
    Walk walk(items, wanted);
    return updatedList(items, walk, mutate);
}

ItemList removed(const ItemList& items, const IdLookup& wanted) {
    Walk walk(items, wanted);
    return removedList(items, walk);
}

std::vector<bool> outermost(const ItemList& items, const IdLookup& wanted) {
    std::vector<bool> result(wanted.size(), false);
    Walk walk(items, wanted);
    markOutermost(items, walk, false, result);
    return result;
}

} // namespace velmora::BulkEdit
