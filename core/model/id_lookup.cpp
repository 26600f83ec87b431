#include "core/model/id_lookup.hpp"

#include "core/model/id_index.hpp"

#include <algorithm>
#include <bit>

namespace velmora {

void IdLookup::reserve(std::size_t count) {
    // At most half full, so a probe rarely goes past its first place.
    const std::size_t places = std::bit_ceil(std::max<std::size_t>(count * 2, 8));
    m_table.assign(places, 0);
    m_shift = 64 - std::countr_zero(places);
    m_ids.reserve(count);
    m_keys.reserve(count);
}

std::size_t IdLookup::home(std::uint64_t key) const {
    // Fibonacci hashing spreads the keys' high bits over the table.
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
}

void IdLookup::add(std::string_view id) {
    const std::uint64_t key = idKey(id);
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t at = home(key);; at = (at + 1) & mask) {
        const std::uint32_t entry = m_table[at];
        if (entry == 0) {
            m_table[at] = static_cast<std::uint32_t>(m_ids.size() + 1);
            m_ids.push_back(id);
            m_keys.push_back(key);
            return;
        }
        if (m_keys[entry - 1] == key && m_ids[entry - 1] == id)
            return;
    }
}

std::optional<std::size_t> IdLookup::find(std::string_view id, std::uint64_t key) const {
    if (m_ids.empty())
        return std::nullopt;
    const std::size_t mask = m_table.size() - 1;
    for (std::size_t at = home(key);; at = (at + 1) & mask) {
        const std::uint32_t entry = m_table[at];
        if (entry == 0)
            return std::nullopt;
        if (m_keys[entry - 1] == key && m_ids[entry - 1] == id)
            return entry - 1;
    }
}

std::optional<std::size_t> IdLookup::find(std::string_view id) const {
    return find(id, idKey(id));
}

} // namespace velmora
