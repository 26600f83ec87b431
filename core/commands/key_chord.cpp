#include "core/commands/key_chord.hpp"

namespace velmora {
namespace {

constexpr std::array<std::string_view, 3> kContextNames = {"outline", "editing", "note"};

// The stored name of every key, in declaration order.
constexpr std::array<std::string_view, kPhysicalKeyCount> kKeyNames = {"return",
                                                                       "escape",
                                                                       "tab",
                                                                       "space",
                                                                       "backspace",
                                                                       "forwardDelete",
                                                                       "left",
                                                                       "right",
                                                                       "up",
                                                                       "down",
                                                                       "f2",
                                                                       "digit0",
                                                                       "digit1",
                                                                       "digit2",
                                                                       "digit3",
                                                                       "digit4",
                                                                       "digit5",
                                                                       "digit6",
                                                                       "digit7",
                                                                       "digit8",
                                                                       "digit9",
                                                                       "a",
                                                                       "b",
                                                                       "d",
                                                                       "e",
                                                                       "h",
                                                                       "i",
                                                                       "j",
                                                                       "k",
                                                                       "o",
                                                                       "p",
                                                                       "s",
                                                                       "t",
                                                                       "u",
                                                                       "z",
                                                                       "bracketLeft",
                                                                       "bracketRight",
                                                                       "quote",
                                                                       "period",
                                                                       "slash",
                                                                       "comma"};

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
    return index < kKeyNames.size() ? kKeyNames[index] : std::string_view();
}

std::optional<PhysicalKey> physicalKeyFromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < kKeyNames.size(); ++i)
        if (kKeyNames[i] == raw)
            return static_cast<PhysicalKey>(i);
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
