#include "core/commands/key_names.hpp"

#include <algorithm>

namespace velmora {
namespace {

using Names = std::array<std::string_view, kNamedKeyCount>;

struct LanguageNames {
    std::string_view language;
    Names names;
};

// The names as the keyboards and desktops of each language write them. Columns in the order of
// NamedKey: Ctrl, Shift, Alt, Meta, Enter, Esc, Tab, Space, Backspace, Delete, Insert, Home,
// End, Page Up, Page Down, Left, Right, Up, Down.
constexpr std::array<LanguageNames, 10> kNames = {{
    {"en",
     {"Ctrl", "Shift", "Alt", "Meta", "Enter", "Esc", "Tab", "Space", "Backspace", "Delete",
      "Insert", "Home", "End", "Page Up", "Page Down", "Left", "Right", "Up", "Down"}},
    {"uk",
     {"Ctrl", "Shift", "Alt", "Meta", "Enter", "Esc", "Tab", "Пробіл", "Backspace", "Delete",
      "Insert", "Home", "End", "Page Up", "Page Down", "Ліворуч", "Праворуч", "Вгору", "Вниз"}},
    {"de",
     {"Strg", "Umschalt", "Alt", "Meta", "Eingabe", "Esc", "Tab", "Leertaste", "Rücktaste", "Entf",
      "Einfg", "Pos1", "Ende", "Bild auf", "Bild ab", "Links", "Rechts", "Hoch", "Runter"}},
    {"fr",
     {"Ctrl", "Maj", "Alt", "Méta", "Entrée", "Échap", "Tab", "Espace", "Retour arrière", "Suppr",
      "Inser", "Début", "Fin", "Page préc.", "Page suiv.", "Gauche", "Droite", "Haut", "Bas"}},
    {"es",
     {"Ctrl", "Mayús", "Alt", "Meta", "Intro", "Esc", "Tab", "Espacio", "Retroceso", "Supr",
      "Insert", "Inicio", "Fin", "Re Pág", "Av Pág", "Izquierda", "Derecha", "Arriba", "Abajo"}},
    {"it",
     {"Ctrl", "Maiusc", "Alt", "Meta", "Invio", "Esc", "Tab", "Spazio", "Backspace", "Canc", "Ins",
      "Home", "Fine", "Pag su", "Pag giù", "Sinistra", "Destra", "Su", "Giù"}},
    {"pt-BR",
     {"Ctrl", "Shift", "Alt", "Meta", "Enter", "Esc", "Tab", "Espaço", "Backspace", "Delete",
      "Insert", "Home", "End", "Page Up", "Page Down", "Esquerda", "Direita", "Acima", "Abaixo"}},
    {"nl",
     {"Ctrl", "Shift", "Alt", "Meta", "Enter", "Esc", "Tab", "Spatie", "Backspace", "Delete",
      "Insert", "Home", "End", "Page Up", "Page Down", "Links", "Rechts", "Omhoog", "Omlaag"}},
    {"pl",
     {"Ctrl", "Shift", "Alt", "Meta", "Enter", "Esc", "Tab", "Spacja", "Backspace", "Delete",
      "Insert", "Home", "End", "Page Up", "Page Down", "W lewo", "W prawo", "W górę", "W dół"}},
    {"ja",
     {"Ctrl", "Shift", "Alt", "Meta", "Enter", "Esc", "Tab", "スペース", "Backspace", "Delete",
      "Insert", "Home", "End", "Page Up", "Page Down", "←", "→", "↑", "↓"}},
}};

// The stored names, as key sequences are written in text (and as Qt reads them).
constexpr Names kPortable = {"Ctrl",   "Shift",     "Alt",   "Meta", "Return", "Esc", "Tab",
                             "Space",  "Backspace", "Del",   "Ins",  "Home",   "End", "PgUp",
                             "PgDown", "Left",      "Right", "Up",   "Down"};

constexpr std::array<NamedKey, kNamedKeyCount> makeAllNamedKeys() {
    std::array<NamedKey, kNamedKeyCount> all{};
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<NamedKey>(i);
    return all;
}

constexpr std::array<NamedKey, kNamedKeyCount> kAllNamedKeys = makeAllNamedKeys();

const Names& namesOf(std::string_view language) {
    for (const auto& entry : kNames)
        if (entry.language == language)
            return entry.names;
    return kNames.front().names;
}

// The modifiers in the order chords are written, with the key map's flags they stand for.
constexpr std::array<std::pair<NamedKey, KeyModifiers>, 4> kModifiers = {{
    {NamedKey::meta, KeyModifiers::control},
    {NamedKey::ctrl, KeyModifiers::command},
    {NamedKey::alt, KeyModifiers::option},
    {NamedKey::shift, KeyModifiers::shift},
}};

} // namespace

const std::array<NamedKey, kNamedKeyCount>& allNamedKeys() {
    return kAllNamedKeys;
}

namespace KeyNames {

const std::vector<std::string>& languages() {
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> out;
        for (const auto& entry : kNames)
            out.emplace_back(entry.language);
        return out;
    }();
    return codes;
}

std::string_view name(NamedKey key, std::string_view language) {
    return namesOf(language)[static_cast<std::size_t>(key)];
}

std::string_view portableName(NamedKey key) {
    return kPortable[static_cast<std::size_t>(key)];
}

std::optional<NamedKey> fromPortableName(std::string_view text) {
    if (text == "Enter")
        return NamedKey::enter;
    if (text == "Backtab")
        return NamedKey::tab;
    for (NamedKey key : kAllNamedKeys)
        if (portableName(key) == text)
            return key;
    return std::nullopt;
}

std::optional<NamedKey> namedKey(PhysicalKey key) {
    switch (key) {
    case PhysicalKey::returnKey:
        return NamedKey::enter;
    case PhysicalKey::escape:
        return NamedKey::escape;
    case PhysicalKey::tab:
        return NamedKey::tab;
    case PhysicalKey::space:
        return NamedKey::space;
    case PhysicalKey::backspace:
        return NamedKey::backspace;
    case PhysicalKey::forwardDelete:
        return NamedKey::del;
    case PhysicalKey::left:
        return NamedKey::left;
    case PhysicalKey::right:
        return NamedKey::right;
    case PhysicalKey::up:
        return NamedKey::up;
    case PhysicalKey::down:
        return NamedKey::down;
    default:
        return std::nullopt;
    }
}

std::string text(const KeyChord& chord, std::string_view language, std::string_view label) {
    std::string out;
    for (const auto& [modifier, flag] : kModifiers) {
        if (chord.modifiers.contains(flag)) {
            out += name(modifier, language);
            out += '+';
        }
    }
    const auto named = namedKey(chord.key);
    out += named ? name(*named, language) : label;
    return out;
}

std::optional<KeyChord> parse(std::string_view portable) {
    KeyModifiers modifiers;
    std::string_view rest = portable;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [modifier, flag] : kModifiers) {
            const std::string_view word = portableName(modifier);
            if (rest.size() > word.size() + 1 && rest.starts_with(word) &&
                rest[word.size()] == '+' && !modifiers.contains(flag)) {
                modifiers = modifiers | flag;
                rest.remove_prefix(word.size() + 1);
                found = true;
            }
        }
    }
    const auto named = fromPortableName(rest);
    for (PhysicalKey key : allPhysicalKeys()) {
        const bool same = named ? namedKey(key) == named : linuxKeyName(key) == rest;
        if (same)
            return KeyChord{key, modifiers};
    }
    return std::nullopt;
}

} // namespace KeyNames
} // namespace velmora
