#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace velmora {

// Answers "is this item one of the wanted ones?" during a walk over a large tree. The wanted
// ids are kept in one open-addressing table of their keys (see idKey), probed with the keys the
// item lists already hold and confirmed by comparing the ids, so neither building nor asking
// allocates per id. Each distinct id gets a slot, numbered in the order first given; the ids
// themselves are not copied and must outlive the lookup.
class IdLookup {
public:
    IdLookup() = default;
    template <class Range> explicit IdLookup(const Range& ids) {
        std::size_t count = 0;
        for (auto it = ids.begin(); it != ids.end(); ++it)
            ++count;
        reserve(count);
        for (const auto& id : ids)
            add(std::string_view(id));
    }

    // The number of different ids.
    [[nodiscard]] std::size_t size() const { return m_ids.size(); }
    [[nodiscard]] bool empty() const { return m_ids.empty(); }
    // The slot of the id, whose key is given (an item list holds the keys of its items).
    [[nodiscard]] std::optional<std::size_t> find(std::string_view id, std::uint64_t key) const;
    [[nodiscard]] std::optional<std::size_t> find(std::string_view id) const;
    [[nodiscard]] bool contains(std::string_view id) const { return find(id).has_value(); }
    // The id of a slot.
    [[nodiscard]] std::string_view idAt(std::size_t slot) const { return m_ids[slot]; }
    [[nodiscard]] std::uint64_t keyAt(std::size_t slot) const { return m_keys[slot]; }

private:
    void reserve(std::size_t count);
    void add(std::string_view id);
    [[nodiscard]] std::size_t home(std::uint64_t key) const;

    std::vector<std::string_view> m_ids;
    std::vector<std::uint64_t> m_keys;
    // Slot + 1 at each place of the table, 0 where it is free.
    std::vector<std::uint32_t> m_table;
    int m_shift = 64;
};

} // namespace velmora
