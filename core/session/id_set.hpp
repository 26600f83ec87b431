#pragma once

#include "core/model/id_lookup.hpp"

#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace velmora {

// A sorted set of item ids that copies share until one of them changes. A snapshot is copied
// for every step and every undo record, and after Select All this set holds every item, so it
// must cost no more to copy than the tree does. Its lookup for walks over the tree is built
// once and shared by the copies too.
class IdSet {
public:
    using Set = std::set<std::string, std::less<>>;
    using const_iterator = Set::const_iterator;

    IdSet() = default;
    IdSet(std::initializer_list<std::string> ids) : IdSet(ids.begin(), ids.end()) {}
    template <class It> IdSet(It first, It last) {
        if (first != last)
            m_shared = std::make_shared<Shared>(Set(first, last));
    }

    [[nodiscard]] bool empty() const { return !m_shared || m_shared->set.empty(); }
    [[nodiscard]] std::size_t size() const { return m_shared ? m_shared->set.size() : 0; }
    [[nodiscard]] bool contains(std::string_view id) const {
        return m_shared && m_shared->set.find(id) != m_shared->set.end();
    }
    [[nodiscard]] std::size_t count(std::string_view id) const { return contains(id) ? 1 : 0; }
    [[nodiscard]] const_iterator begin() const { return set().begin(); }
    [[nodiscard]] const_iterator end() const { return set().end(); }
    // The ids as a lookup, built on first use.
    [[nodiscard]] const IdLookup& lookup() const;

    void insert(const std::string& id) { edit().insert(id); }
    template <class It> void insert(It first, It last) {
        if (first != last)
            edit().insert(first, last);
    }
    void erase(std::string_view id);
    void clear() { m_shared.reset(); }

    bool operator==(const IdSet& other) const {
        return m_shared == other.m_shared || set() == other.set();
    }

private:
    struct Shared {
        explicit Shared(Set ids) : set(std::move(ids)) {}
        Set set;
        std::once_flag once;
        bool built = false;
        IdLookup lookup;
    };

    [[nodiscard]] const Set& set() const;
    // The set to change: a fresh one, with no lookup built, unless it is the only holder's.
    Set& edit();

    std::shared_ptr<Shared> m_shared;
};

} // namespace velmora
