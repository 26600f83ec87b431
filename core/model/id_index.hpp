#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

class ItemList;

// A persistent map from 60-bit keys to 60-bit values: a B+ tree whose leaves hold up to 64
// entries side by side, so an entry costs little more than its 16 bytes. Copies share
// everything; changing a copy copies only the nodes on the path to the change that it still
// shares with other copies, so a run of changes to one map copies each node at most once.
class KeyMap60 {
public:
    using Entry = std::pair<std::uint64_t, std::uint64_t>;

    // A map of the entries, which must be sorted by key and hold no key twice.
    [[nodiscard]] static KeyMap60 fromSorted(const std::vector<Entry>& entries);

    [[nodiscard]] std::optional<std::uint64_t> find(std::uint64_t key) const;
    [[nodiscard]] KeyMap60 set(std::uint64_t key, std::uint64_t value) const;
    [[nodiscard]] KeyMap60 erase(std::uint64_t key) const;
    // The same changes made to this map; other copies keep what they hold.
    void assign(std::uint64_t key, std::uint64_t value);
    void remove(std::uint64_t key);

    [[nodiscard]] std::size_t size() const { return m_size; }

    struct Node;

private:
    std::shared_ptr<Node> m_root;
    std::size_t m_size = 0;
};

// Where every item of a tree stands, by the key of its id: the key of its parent's id, or
// kTopLevel. Lets a lookup by id follow a few parent links instead of scanning the tree.
struct IdIndex {
    static constexpr std::uint64_t kTopLevel = 0;

    KeyMap60 parents;
    // Two items share an id key: lookups must fall back to scanning in pre-order.
    bool ambiguous = false;

    // The index of a whole tree.
    [[nodiscard]] static IdIndex build(const ItemList& top);
    // The index of `newTop`, derived from the index of `oldTop` with work proportional to what
    // differs between the two trees.
    [[nodiscard]] static IdIndex derive(const IdIndex& base, const ItemList& oldTop,
                                        const ItemList& newTop);
};

// The key of an id: a non-zero 60-bit hash.
[[nodiscard]] std::uint64_t idKey(std::string_view id);

} // namespace velmora
