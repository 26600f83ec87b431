#pragma once

#include "core/commands/action.hpp"
#include "core/commands/key_chord.hpp"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace velmora {

// A set of key contexts, one bit per context.
class KeyContexts {
public:
    constexpr KeyContexts() = default;
    constexpr KeyContexts(std::initializer_list<KeyContext> contexts) {
        for (auto context : contexts)
            m_bits = static_cast<std::uint8_t>(m_bits | bit(context));
    }

    // All three contexts: outline, editing and note.
    [[nodiscard]] static constexpr KeyContexts all() {
        return {KeyContext::outline, KeyContext::editing, KeyContext::note};
    }

    [[nodiscard]] constexpr bool contains(KeyContext context) const {
        return (m_bits & bit(context)) != 0;
    }
    [[nodiscard]] constexpr bool empty() const { return m_bits == 0; }
    // The members in declaration order (outline, editing, note).
    [[nodiscard]] std::vector<KeyContext> members() const {
        std::vector<KeyContext> result;
        for (auto context : kAllKeyContexts)
            if (contains(context))
                result.push_back(context);
        return result;
    }

    constexpr bool operator==(const KeyContexts&) const = default;

private:
    static constexpr std::uint8_t bit(KeyContext context) {
        return static_cast<std::uint8_t>(1u << static_cast<unsigned>(context));
    }
    std::uint8_t m_bits = 0;
};

// One row of the key map: the chord triggers the action in the given contexts. An alias row is
// an extra chord that never shows as the action's displayed chord.
struct KeyBinding {
    KeyChord chord;
    KeyContexts contexts;
    Action action = Action::edit;
    bool alias = false;

    bool operator==(const KeyBinding&) const = default;
};

} // namespace velmora
