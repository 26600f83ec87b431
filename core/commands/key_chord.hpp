#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace velmora {

// The input situation a key event arrives in: navigating the outline, typing an item title, or
// typing a note.
enum class KeyContext { outline, editing, note };

inline constexpr std::array<KeyContext, 3> kAllKeyContexts = {
    KeyContext::outline, KeyContext::editing, KeyContext::note};

[[nodiscard]] std::string_view rawValue(KeyContext context);
[[nodiscard]] std::optional<KeyContext> keyContextFromRawValue(std::string_view raw);

// A key by its position on the keyboard, independent of the layout.
enum class PhysicalKey {
    returnKey,
    escape,
    tab,
    space,
    backspace,
    forwardDelete,
    left,
    right,
    up,
    down,
    f2,
    digit0,
    digit1,
    digit2,
    digit3,
    digit4,
    digit5,
    digit6,
    digit7,
    digit8,
    digit9,
    a,
    b,
    d,
    e,
    h,
    i,
    j,
    k,
    o,
    p,
    s,
    t,
    u,
    z,
    bracketLeft,
    bracketRight,
    quote,
    period,
    slash,
    comma,
};

inline constexpr std::size_t kPhysicalKeyCount = 41;

// Every key in declaration order.
[[nodiscard]] const std::array<PhysicalKey, kPhysicalKeyCount>& allPhysicalKeys();

// The key's stored name ("return", "forwardDelete", "digit1", …).
[[nodiscard]] std::string_view rawValue(PhysicalKey key);
[[nodiscard]] std::optional<PhysicalKey> physicalKeyFromRawValue(std::string_view raw);

// The key's display glyph ("↩", "Esc", "A"); KeyMap::glyph shows it.
[[nodiscard]] std::string_view displayGlyph(PhysicalKey key);

// The key's name on Linux desktops ("Return", "Del", "A"); KeyMap::text shows it.
[[nodiscard]] std::string_view linuxKeyName(PhysicalKey key);

// A set of modifier keys, stored as one integer: command 1, shift 2, option 4, control 8.
struct KeyModifiers {
    std::int32_t rawValue = 0;

    static const KeyModifiers none;
    static const KeyModifiers command;
    static const KeyModifiers shift;
    static const KeyModifiers option;
    static const KeyModifiers control;

    // Whether every member of `other` is in this set.
    [[nodiscard]] constexpr bool contains(KeyModifiers other) const {
        return (rawValue & other.rawValue) == other.rawValue;
    }
    [[nodiscard]] constexpr bool empty() const { return rawValue == 0; }
    constexpr KeyModifiers operator|(KeyModifiers other) const {
        return KeyModifiers{rawValue | other.rawValue};
    }

    bool operator==(const KeyModifiers&) const = default;
};

inline constexpr KeyModifiers KeyModifiers::none{0};
inline constexpr KeyModifiers KeyModifiers::command{1};
inline constexpr KeyModifiers KeyModifiers::shift{2};
inline constexpr KeyModifiers KeyModifiers::option{4};
inline constexpr KeyModifiers KeyModifiers::control{8};

// One key together with the modifiers held while pressing it.
struct KeyChord {
    PhysicalKey key = PhysicalKey::returnKey;
    KeyModifiers modifiers;

    bool operator==(const KeyChord&) const = default;
};

// A value of the keyed coding form of a chord ({"key": "return", "modifiers": 3}).
using KeyChordCodingValue = std::variant<std::string, std::int64_t, double, bool>;
using KeyChordCoding = std::map<std::string, KeyChordCodingValue, std::less<>>;

// The chord's coding form: "key" holds the key's raw value, "modifiers" the integer set.
[[nodiscard]] KeyChordCoding encode(const KeyChord& chord);

// The chord of a coding form; nothing when a key is missing, "key" is no key's raw value or
// "modifiers" is not an integer.
[[nodiscard]] std::optional<KeyChord> decodeKeyChord(const KeyChordCoding& coding);

} // namespace velmora

template <> struct std::hash<velmora::KeyChord> {
    std::size_t operator()(const velmora::KeyChord& chord) const noexcept {
        return (static_cast<std::size_t>(chord.key) << 8) ^
               static_cast<std::size_t>(chord.modifiers.rawValue);
    }
};
