#pragma once

#include "core/model/color_label.hpp"
#include "core/model/timestamp.hpp"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

// The deepest nesting the core accepts: readers refuse deeper input and pasted text is attached
// at this depth, so no recursive walk over a tree can exhaust the stack. Depth 0 is top level.
inline constexpr int kMaxItemDepth = 4096;

struct Item;
struct IdIndex;

// An immutable, shared array of items: the children of an item or the top-level items of a
// document. Copies share storage; the edit functions return a new list that copies only the
// array of node pointers, so every untouched item stays shared between the old and new tree.
class ItemList {
public:
    using Node = std::shared_ptr<const Item>;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = Item;
        using difference_type = std::ptrdiff_t;
        using pointer = const Item*;
        using reference = const Item&;

        const_iterator() = default;
        explicit const_iterator(const Node* at) : m_at(at) {}
        reference operator*() const { return **m_at; }
        pointer operator->() const { return m_at->get(); }
        const_iterator& operator++() {
            ++m_at;
            return *this;
        }
        const_iterator operator++(int) {
            auto old = *this;
            ++m_at;
            return old;
        }
        const_iterator& operator--() {
            --m_at;
            return *this;
        }
        const_iterator& operator+=(difference_type n) {
            m_at += n;
            return *this;
        }
        const_iterator operator+(difference_type n) const { return const_iterator(m_at + n); }
        difference_type operator-(const const_iterator& o) const { return m_at - o.m_at; }
        reference operator[](difference_type n) const { return *m_at[n]; }
        auto operator<=>(const const_iterator&) const = default;

    private:
        const Node* m_at = nullptr;
    };

    ItemList() = default;
    ItemList(std::initializer_list<Item> items);
    explicit ItemList(std::vector<Item> items);
    // A list over existing nodes; the nodes are shared, not copied.
    [[nodiscard]] static ItemList fromNodes(std::vector<Node> nodes);

    [[nodiscard]] std::size_t size() const { return m_storage ? m_storage->nodes.size() : 0; }
    [[nodiscard]] bool empty() const { return size() == 0; }
    [[nodiscard]] const Item& operator[](std::size_t i) const { return *m_storage->nodes[i]; }
    [[nodiscard]] const Item& front() const { return (*this)[0]; }
    [[nodiscard]] const Item& back() const { return (*this)[size() - 1]; }
    [[nodiscard]] const_iterator begin() const;
    [[nodiscard]] const_iterator end() const;
    [[nodiscard]] const Node& node(std::size_t i) const { return m_storage->nodes[i]; }
    [[nodiscard]] std::vector<Node> nodes() const;
    [[nodiscard]] std::vector<Item> toVector() const;

    // The number of items in the list at every depth (each item with its descendants).
    [[nodiscard]] std::int64_t totalCount() const { return m_storage ? m_storage->total : 0; }

    [[nodiscard]] ItemList replacing(std::size_t i, Item item) const;
    [[nodiscard]] ItemList inserting(std::size_t i, Item item) const;
    [[nodiscard]] ItemList inserting(std::size_t i, const ItemList& items) const;
    [[nodiscard]] ItemList removing(std::size_t i) const;
    [[nodiscard]] ItemList appending(Item item) const;

    // Whether both lists use the same storage (so they are equal without looking further).
    [[nodiscard]] bool sharesStorageWith(const ItemList& other) const {
        return m_storage == other.m_storage;
    }
    [[nodiscard]] const void* storageIdentity() const { return m_storage.get(); }

    // The key of the id of the item at index i (see IdIndex).
    [[nodiscard]] std::uint64_t idKeyAt(std::size_t i) const { return m_storage->keys[i]; }
    // The index of every id in the tree under this list, built on first use and carried over
    // to lists derived from this one by replacing, inserting or removing.
    [[nodiscard]] std::shared_ptr<const IdIndex> idIndex() const;
    // The index if it has been built already; never builds it.
    [[nodiscard]] std::shared_ptr<const IdIndex> builtIdIndex() const;

    // A list over the nodes that takes over this list's id index. Only for nodes that keep the
    // ids of this list's whole tree, each under the same parent (contents changed, not shape).
    [[nodiscard]] ItemList withSameShape(std::vector<Node> nodes) const;

    // Deep equality, short-cut wherever both sides share storage or nodes.
    bool operator==(const ItemList& other) const;

private:
    struct Storage {
        std::vector<Node> nodes;
        std::vector<std::uint64_t> keys;
        std::int64_t total = 0;
        mutable std::atomic<std::shared_ptr<const IdIndex>> index;
    };
    explicit ItemList(std::shared_ptr<const Storage> storage) : m_storage(std::move(storage)) {}
    static ItemList make(std::vector<Node> nodes);
    // A list over the nodes that inherits this list's index, if it has one.
    ItemList derived(std::vector<Node> nodes) const;

    std::shared_ptr<const Storage> m_storage;
};

// One outline entry. A plain value: copying it copies its texts and shares its children.
struct Item {
    std::string id;
    std::string text;
    std::string note;
    bool checked = false;
    std::optional<ColorLabel> color;
    bool bold = false;
    bool underline = false;
    bool collapsed = false;
    std::optional<Timestamp> created;
    std::optional<Timestamp> modified;
    ItemList children;

    // The item together with all its descendants.
    [[nodiscard]] std::int64_t count() const { return 1 + children.totalCount(); }

    // A new blank item: the given id and text, everything else empty or false.
    [[nodiscard]] static Item blank(std::string id, std::string text = {});

    bool operator==(const Item&) const = default;
};

// A document: its identity, title and top-level items.
struct TreeDocument {
    std::string id;
    std::string title;
    ItemList items;

    // The number of items at all depths.
    [[nodiscard]] std::int64_t itemCount() const { return items.totalCount(); }

    bool operator==(const TreeDocument&) const = default;
};

// One row of the list view. The item and its parent are shared with the tree rather than
// copied, so listing a million rows allocates no text.
struct VisibleRow {
    ItemList::Node node;
    int depth = 0;
    ItemList::Node parent; // null for a row at the top level of the document

    // The row's item, with its subtree.
    [[nodiscard]] const Item& item() const { return *node; }
    // The id of the item whose child this row is; absent for top-level items.
    [[nodiscard]] std::optional<std::string> parentId() const;

    bool operator==(const VisibleRow& other) const;
};

// Fresh identifiers for items, documents and hoist tabs.
namespace TreeIDs {
// A random version-4 UUID in lower case, 36 characters.
[[nodiscard]] std::string make();
} // namespace TreeIDs

// Makes ids on demand; normally TreeIDs::make, a counter in tests.
using IDFactory = std::function<std::string()>;

} // namespace velmora
