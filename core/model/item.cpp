#include "core/model/item.hpp"

#include "core/model/id_index.hpp"

#include <algorithm>
#include <atomic>
#include <random>

namespace velmora {

// Lists smaller than this are searched by scanning; larger ones keep an id index.
constexpr std::int64_t kIndexedTotal = 2048;

ItemList ItemList::make(std::vector<Node> nodes) {
    if (nodes.empty())
        return ItemList();
    auto storage = std::make_shared<Storage>();
    std::int64_t total = 0;
    storage->keys.reserve(nodes.size());
    for (const auto& n : nodes) {
        total += n->count();
        storage->keys.push_back(idKey(n->id));
    }
    storage->nodes = std::move(nodes);
    storage->total = total;
    return ItemList(std::shared_ptr<const Storage>(std::move(storage)));
}

ItemList ItemList::derived(std::vector<Node> nodes) const {
    auto list = make(std::move(nodes));
    if (!m_storage || !list.m_storage || list.totalCount() < kIndexedTotal)
        return list;
    if (auto base = m_storage->index.load())
        list.m_storage->index.store(
            std::make_shared<const IdIndex>(IdIndex::derive(*base, *this, list)));
    return list;
}

ItemList ItemList::withSameShape(std::vector<Node> nodes) const {
    auto list = make(std::move(nodes));
    if (m_storage && list.m_storage && list.m_storage->keys == m_storage->keys)
        if (auto index = m_storage->index.load())
            list.m_storage->index.store(std::move(index));
    return list;
}

std::shared_ptr<const IdIndex> ItemList::builtIdIndex() const {
    return m_storage ? m_storage->index.load() : nullptr;
}

std::shared_ptr<const IdIndex> ItemList::idIndex() const {
    if (!m_storage || totalCount() < kIndexedTotal)
        return nullptr;
    if (auto index = m_storage->index.load())
        return index;
    auto built = std::make_shared<const IdIndex>(IdIndex::build(*this));
    m_storage->index.store(built);
    return built;
}

ItemList::ItemList(std::initializer_list<Item> items)
    : ItemList(std::vector<Item>(items.begin(), items.end())) {}

ItemList::ItemList(std::vector<Item> items) {
    std::vector<Node> nodes;
    nodes.reserve(items.size());
    for (auto& item : items)
        nodes.push_back(std::make_shared<const Item>(std::move(item)));
    *this = make(std::move(nodes));
}

ItemList ItemList::fromNodes(std::vector<Node> nodes) {
    return make(std::move(nodes));
}

ItemList::const_iterator ItemList::begin() const {
    return m_storage ? const_iterator(m_storage->nodes.data()) : const_iterator();
}

ItemList::const_iterator ItemList::end() const {
    return m_storage ? const_iterator(m_storage->nodes.data() + m_storage->nodes.size())
                     : const_iterator();
}

std::vector<ItemList::Node> ItemList::nodes() const {
    return m_storage ? m_storage->nodes : std::vector<Node>{};
}

std::vector<Item> ItemList::toVector() const {
    return std::vector<Item>(begin(), end());
}

ItemList ItemList::replacing(std::size_t i, Item item) const {
    auto copy = nodes();
    if (i >= copy.size())
        return *this;
    copy[i] = std::make_shared<const Item>(std::move(item));
    return derived(std::move(copy));
}

ItemList ItemList::inserting(std::size_t i, Item item) const {
    auto copy = nodes();
    i = std::min(i, copy.size());
    copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(i),
                std::make_shared<const Item>(std::move(item)));
    return derived(std::move(copy));
}

ItemList ItemList::inserting(std::size_t i, const ItemList& items) const {
    if (items.empty())
        return *this;
    auto copy = nodes();
    i = std::min(i, copy.size());
    const auto& added = items.m_storage->nodes;
    copy.insert(copy.begin() + static_cast<std::ptrdiff_t>(i), added.begin(), added.end());
    return derived(std::move(copy));
}

ItemList ItemList::appending(Item item) const {
    return inserting(size(), std::move(item));
}

ItemList ItemList::removing(std::size_t i) const {
    if (i >= size())
        return *this;
    auto copy = nodes();
    copy.erase(copy.begin() + static_cast<std::ptrdiff_t>(i));
    return derived(std::move(copy));
}

bool ItemList::operator==(const ItemList& other) const {
    if (m_storage == other.m_storage)
        return true;
    if (size() != other.size() || totalCount() != other.totalCount())
        return false;
    for (std::size_t i = 0; i < size(); ++i) {
        const auto& a = m_storage->nodes[i];
        const auto& b = other.m_storage->nodes[i];
        if (a != b && !(*a == *b))
            return false;
    }
    return true;
}

Item Item::blank(std::string id, std::string text) {
    Item item;
    item.id = std::move(id);
    item.text = std::move(text);
    return item;
}

std::optional<std::string> VisibleRow::parentId() const {
    if (!parent)
        return std::nullopt;
    return parent->id;
}

bool VisibleRow::operator==(const VisibleRow& other) const {
    bool sameItem = node == other.node || (node && other.node && *node == *other.node);
    return sameItem && depth == other.depth && parentId() == other.parentId();
}

namespace TreeIDs {

std::string make() {
    thread_local std::mt19937_64 engine{std::random_device{}()};
    std::uniform_int_distribution<std::uint64_t> dist;
    std::uint64_t hi = dist(engine);
    std::uint64_t lo = dist(engine);
    hi = (hi & 0xFFFFFFFFFFFF0FFFULL) | 0x0000000000004000ULL; // version 4
    lo = (lo & 0x3FFFFFFFFFFFFFFFULL) | 0x8000000000000000ULL; // RFC 4122 variant
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(36);
    auto put = [&](std::uint64_t value, int fromNibble, int toNibble) {
        for (int n = fromNibble; n < toNibble; ++n)
            out.push_back(hex[(value >> (60 - 4 * n)) & 0xF]);
    };
    put(hi, 0, 8);
    out.push_back('-');
    put(hi, 8, 12);
    out.push_back('-');
    put(hi, 12, 16);
    out.push_back('-');
    put(lo, 0, 4);
    out.push_back('-');
    put(lo, 4, 16);
    return out;
}

} // namespace TreeIDs
} // namespace velmora
