#pragma once

#include <utility>
#include <variant>

namespace velmora {

// Either a value or the typed error that explains why there is none. The core's readers return
// this instead of throwing.
template <class T, class E> class Result {
public:
    Result(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : m_state(std::in_place_index<1>, std::move(error)) {}

    [[nodiscard]] bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only valid when ok().
    [[nodiscard]] const T& value() const& { return std::get<0>(m_state); }
    [[nodiscard]] T& value() & { return std::get<0>(m_state); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(m_state)); }
    // The error; only valid when !ok().
    [[nodiscard]] const E& error() const { return std::get<1>(m_state); }

    const T* operator->() const { return &value(); }
    const T& operator*() const& { return value(); }

    bool operator==(const Result&) const = default;

private:
    std::variant<T, E> m_state;
};

} // namespace velmora
