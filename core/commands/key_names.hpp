#pragma once

#include "core/commands/key_chord.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A key that is written as a word rather than as the character it types: the four modifiers and
// the keys that menus, the palette, the help and the settings name.
enum class NamedKey {
    ctrl,
    shift,
    alt,
    meta,
    enter,
    escape,
    tab,
    space,
    backspace,
    del,
    insert,
    home,
    end,
    pageUp,
    pageDown,
    left,
    right,
    up,
    down,
};

inline constexpr std::size_t kNamedKeyCount = 19;

// Every named key in declaration order.
[[nodiscard]] const std::array<NamedKey, kNamedKeyCount>& allNamedKeys();

// The names of keys in the ten interface languages: one name per key and language, used alike by
// the menus, the palette, the help and the settings.
namespace KeyNames {

// The interface languages the table names keys in ("en", "de", "pt-BR", …).
[[nodiscard]] const std::vector<std::string>& languages();

// The key's name in the language ("Strg" for ctrl in "de"); English for a language the table
// does not know.
[[nodiscard]] std::string_view name(NamedKey key, std::string_view language);

// The key's name in key sequences as Linux desktops store them ("Ctrl", "Return", "PgUp").
[[nodiscard]] std::string_view portableName(NamedKey key);

// The key that a stored name stands for, the other stored names of one key included ("Enter"
// and "Return", "Backtab" and "Tab"); nothing for any other text.
[[nodiscard]] std::optional<NamedKey> fromPortableName(std::string_view name);

// The named key of a physical key; nothing for the keys that type a character or F2.
[[nodiscard]] std::optional<NamedKey> namedKey(PhysicalKey key);

// The chord in the language's words, modifiers first in the order Meta, Ctrl, Alt, Shift, joined
// by "+" ("Strg+Umschalt+Eingabe"). A key without a name is written as `label`, what its cap
// shows on the keyboard in use ("Ü", "F2").
[[nodiscard]] std::string text(const KeyChord& chord, std::string_view language,
                               std::string_view label);

// The chord written in the stored form ("Meta+Ctrl+S", "Shift+Return", "Alt+Shift+1"), as the
// help text writes chords; nothing when the text is not one of the key map's chords.
[[nodiscard]] std::optional<KeyChord> parse(std::string_view portable);

} // namespace KeyNames
} // namespace velmora
