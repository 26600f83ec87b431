#include "core/commands/key_chord.hpp"

namespace velmora {
namespace {

constexpr std::array<std::string_view, 3> kContextNames = {"outline", "editing", "note"};

struct KeyName {
    PhysicalKey key;
    std::string_view raw;
    std::string_view glyph;
    std::string_view text; // the Linux name, as Qt reads it
};

// The stored name, display glyph and Linux name of every key, in declaration order.
constexpr std::array<KeyName, kPhysicalKeyCount> kKeys = {{
    {PhysicalKey::returnKey, "return", "\u21A9", "Return"},
    {PhysicalKey::escape, "escape", "Esc", "Esc"},
    {PhysicalKey::tab, "tab", "\u21E5", "Tab"},
    {PhysicalKey::space, "space", "Space", "Space"},
    {PhysicalKey::backspace, "backspace", "\u232B", "Backspace"},
    {PhysicalKey::forwardDelete, "forwardDelete", "\u2326", "Del"},
    {PhysicalKey::left, "left", "\u2190", "Left"},
    {PhysicalKey::right, "right", "\u2192", "Right"},
    {PhysicalKey::up, "up", "\u2191", "Up"},
    {PhysicalKey::down, "down", "\u2193", "Down"},
    {PhysicalKey::f2, "f2", "F2", "F2"},
    {PhysicalKey::digit0, "digit0", "0", "0"},
    {PhysicalKey::digit1, "digit1", "1", "1"},
    {PhysicalKey::digit2, "digit2", "2", "2"},
    {PhysicalKey::digit3, "digit3", "3", "3"},
    {PhysicalKey::digit4, "digit4", "4", "4"},
    {PhysicalKey::digit5, "digit5", "5", "5"},
    {PhysicalKey::digit6, "digit6", "6", "6"},
    {PhysicalKey::digit7, "digit7", "7", "7"},
    {PhysicalKey::digit8, "digit8", "8", "8"},
    {PhysicalKey::digit9, "digit9", "9", "9"},
    {PhysicalKey::a, "a", "A", "A"},
    {PhysicalKey::b, "b", "B", "B"},
    {PhysicalKey::d, "d", "D", "D"},
    {PhysicalKey::e, "e", "E", "E"},
    {PhysicalKey::h, "h", "H", "H"},
    {PhysicalKey::i, "i", "I", "I"},
    {PhysicalKey::j, "j", "J", "J"},
    {PhysicalKey::k, "k", "K", "K"},
    {PhysicalKey::o, "o", "O", "O"},
    {PhysicalKey::p, "p", "P", "P"},
    {PhysicalKey::s, "s", "S", "S"},
    {PhysicalKey::t, "t", "T", "T"},
    {PhysicalKey::u, "u", "U", "U"},
    {PhysicalKey::z, "z", "Z", "Z"},
    {PhysicalKey::bracketLeft, "bracketLeft", "[", "["},
    {PhysicalKey::bracketRight, "bracketRight", "]", "]"},
    {PhysicalKey::quote, "quote", "'", "'"},
    {PhysicalKey::period, "period", ".", "."},
    {PhysicalKey::slash, "slash", "/", "/"},
    {PhysicalKey::comma, "comma", ",", ","},
}};

constexpr bool keysFollowDeclarationOrder() {
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (static_cast<std::size_t>(kKeys[i].key) != i)
            return false;
    return true;
}
static_assert(keysFollowDeclarationOrder(), "the key table must list keys in order");

constexpr std::array<PhysicalKey, kPhysicalKeyCount> makeAllKeys() {
    std::array<PhysicalKey, kPhysicalKeyCount> all{};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<PhysicalKey>(i);
    return all;
}

constexpr std::array<PhysicalKey, kPhysicalKeyCount> kAllKeys = makeAllKeys();

} // namespace

std::string_view rawValue(KeyContext context) {
    return kContextNames[static_cast<std::size_t>(context)];
}

std::optional<KeyContext> keyContextFromRawValue(std::string_view raw) {
    for (auto context : kAllKeyContexts)
        if (rawValue(context) == raw)
            return context;
    return std::nullopt;
}

const std::array<PhysicalKey, kPhysicalKeyCount>& allPhysicalKeys() {
    return kAllKeys;
}

std::string_view rawValue(PhysicalKey key) {
    auto index = static_cast<std::size_t>(key);
    return index < kKeys.size() ? kKeys[index].raw : std::string_view();
}

std::string_view displayGlyph(PhysicalKey key) {
    auto index = static_cast<std::size_t>(key);
    return index < kKeys.size() ? kKeys[index].glyph : std::string_view();
}

std::string_view linuxKeyName(PhysicalKey key) {
    auto index = static_cast<std::size_t>(key);
    return index < kKeys.size() ? kKeys[index].text : std::string_view();
}

std::optional<PhysicalKey> physicalKeyFromRawValue(std::string_view raw) {
    for (const auto& name : kKeys)
        if (name.raw == raw)
            return name.key;
    return std::nullopt;
}

KeyChordCoding encode(const KeyChord& chord) {
    return KeyChordCoding{{"key", std::string(rawValue(chord.key))},
                          {"modifiers", std::int64_t{chord.modifiers.rawValue}}};
}

std::optional<KeyChord> decodeKeyChord(const KeyChordCoding& coding) {
    auto key = coding.find("key");
    auto modifiers = coding.find("modifiers");
    if (key == coding.end() || modifiers == coding.end())
        return std::nullopt;
    const auto* keyName = std::get_if<std::string>(&key->second);
    const auto* bits = std::get_if<std::int64_t>(&modifiers->second);
    if (!keyName || !bits || *bits < INT32_MIN || *bits > INT32_MAX)
        return std::nullopt;
    auto physical = physicalKeyFromRawValue(*keyName);
    if (!physical)
        return std::nullopt;
    return KeyChord{*physical, KeyModifiers{static_cast<std::int32_t>(*bits)}};
}

} // namespace velmora
