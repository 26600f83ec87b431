#include "app/platform/keyboard_layout.hpp"

#include "app/platform/key_router.hpp"

#include <QGuiApplication>
#include <QKeyEvent>

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <qguiapplication_platform.h>

#include <algorithm>

namespace velmora {
namespace {

struct ContextDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};
struct KeymapDeleter {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};
using Context = std::unique_ptr<xkb_context, ContextDeleter>;
using Keymap = std::unique_ptr<xkb_keymap, KeymapDeleter>;

// The symbol a key types on its own when it is a character key ("a", "1", "["), else 0.
std::uint32_t symbolOf(PhysicalKey key) {
    const std::string_view name = linuxKeyName(key);
    if (name.size() != 1) {
        return 0;
    }
    const char c = name[0];
    // Latin-1 key symbols are their characters; letters are named upper case, typed lower.
    return (c >= 'A' && c <= 'Z') ? static_cast<std::uint32_t>(c - 'A' + 'a')
                                  : static_cast<std::uint32_t>(static_cast<unsigned char>(c));
}

bool isLetter(PhysicalKey key) {
    const std::uint32_t symbol = symbolOf(key);
    return symbol >= 'a' && symbol <= 'z';
}

// The typing keys every keyboard has, from the digit row to the slash key: a character found
// only on the extra key of ISO keyboards (the "/" of Ukrainian) or the keypad goes by position.
constexpr xkb_keycode_t kFirstTypingKey = 10;
constexpr xkb_keycode_t kLastTypingKey = 61;

// The key codes of the US layout.
std::uint32_t usKeyCode(PhysicalKey key) {
    for (std::uint32_t code = 8; code < 256; ++code) {
        if (PhysicalKeys::fromScanCode(code) == key) {
            return code;
        }
    }
    return 0;
}

// The character a symbol shows on a key cap when it is Latin or punctuation (dead accents as
// their spacing forms); nothing for letters of other scripts and for function keys.
std::optional<char32_t> capCharacter(std::uint32_t symbol) {
    switch (symbol) {
    case XKB_KEY_dead_circumflex:
        return U'^';
    case XKB_KEY_dead_diaeresis:
        return U'\u00A8';
    case XKB_KEY_dead_grave:
        return U'`';
    case XKB_KEY_dead_acute:
        return U'\u00B4';
    case XKB_KEY_dead_tilde:
        return U'~';
    default:
        break;
    }
    const char32_t c = xkb_keysym_to_utf32(symbol);
    if (c <= U' ' || c == 0x7F || (c >= 0x80 && c < 0xA0) || c >= 0x250) {
        return std::nullopt;
    }
    return c;
}

QString capText(char32_t c) {
    return QString::fromUcs4(&c, 1).toUpper();
}

} // namespace

std::shared_ptr<const KeyboardLayout> KeyboardLayout::fromNames(const std::string& layout,
                                                                const std::string& variant) {
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) {
        return nullptr;
    }
    xkb_rule_names names{};
    names.layout = layout.c_str();
    names.variant = variant.c_str();
    const Keymap keymap(
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    return keymap ? fromKeymap(keymap.get()) : nullptr;
}

std::shared_ptr<const KeyboardLayout> KeyboardLayout::fromX11() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
                                                    XKB_X11_MIN_MINOR_XKB_VERSION,
                                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr,
                                                    nullptr, nullptr, nullptr)) {
        return nullptr;
    }
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    const Context context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (device < 0 || !context) {
        return nullptr;
    }
    const Keymap keymap(xkb_x11_keymap_new_from_device(context.get(), connection, device,
                                                       XKB_KEYMAP_COMPILE_NO_FLAGS));
    return keymap ? fromKeymap(keymap.get()) : nullptr;
}

std::shared_ptr<const KeyboardLayout> KeyboardLayout::fromKeymap(void* opaque) {
    auto* keymap = static_cast<xkb_keymap*>(opaque);
    auto layout = std::make_shared<KeyboardLayout>();
    const xkb_layout_index_t groups =
        std::max<xkb_layout_index_t>(1, xkb_keymap_num_layouts(keymap));
    const xkb_keycode_t low = std::max<xkb_keycode_t>(8, xkb_keymap_min_keycode(keymap));
    const xkb_keycode_t high = std::min<xkb_keycode_t>(255, xkb_keymap_max_keycode(keymap));
    layout->m_groups.resize(groups);
    for (xkb_layout_index_t g = 0; g < groups; ++g) {
        Group& group = layout->m_groups[g];
        for (xkb_keycode_t code = low; code <= high; ++code) {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, code, g);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* symbols = nullptr;
                const int count =
                    xkb_keymap_key_get_syms_by_level(keymap, code, g, level, &symbols);
                group.symbols[code].push_back(count > 0 ? symbols[0] : XKB_KEY_NoSymbol);
            }
        }
        // The layout's own keys first: the key that types the symbol without Shift or AltGr.
        std::array<bool, kPhysicalKeyCount> placed{};
        for (PhysicalKey key : allPhysicalKeys()) {
            const std::uint32_t symbol = symbolOf(key);
            if (symbol == 0) {
                continue;
            }
            for (xkb_keycode_t code = kFirstTypingKey; code <= kLastTypingKey; ++code) {
                const Levels& levels = group.symbols[code];
                if (!levels.empty() && levels[0] == symbol) {
                    group.keys[code].push_back(key);
                    group.keyCodes[static_cast<std::size_t>(key)] = code;
                    placed[static_cast<std::size_t>(key)] = true;
                    break;
                }
            }
        }
        // Then the keys read by position: function keys, and characters the layout types only
        // with a modifier or not at all (letters of another script fall back to the US key).
        for (PhysicalKey key : allPhysicalKeys()) {
            if (placed[static_cast<std::size_t>(key)]) {
                continue;
            }
            const std::uint32_t code = usKeyCode(key);
            if (code != 0) {
                group.keys[code].push_back(key);
                group.keyCodes[static_cast<std::size_t>(key)] = code;
            }
        }
    }
    return layout;
}

const KeyboardLayout::Group* KeyboardLayout::group(int index) const {
    if (m_groups.empty()) {
        return nullptr;
    }
    return &m_groups[static_cast<std::size_t>(std::clamp(index, 0, groupCount() - 1))];
}

const std::vector<PhysicalKey>& KeyboardLayout::keysAt(std::uint32_t keyCode, int index) const {
    static const std::vector<PhysicalKey> none;
    const Group* g = group(index);
    return g && keyCode < 256 ? g->keys[keyCode] : none;
}

bool KeyboardLayout::types(std::uint32_t keyCode, std::uint32_t keySymbol, int index) const {
    const Group* g = group(index);
    if (!g || keyCode >= 256) {
        return false;
    }
    const Levels& levels = g->symbols[keyCode];
    // Caps Lock and Shift type the upper case of a letter the level lists in lower case.
    const std::uint32_t lower = xkb_keysym_to_lower(keySymbol);
    return std::any_of(levels.begin(), levels.end(), [&](std::uint32_t symbol) {
        return symbol == keySymbol || xkb_keysym_to_lower(symbol) == lower;
    });
}

std::uint32_t KeyboardLayout::symbol(std::uint32_t keyCode, int level, int index) const {
    const Group* g = group(index);
    if (!g || keyCode >= 256 || level < 0) {
        return 0;
    }
    const Levels& levels = g->symbols[keyCode];
    return static_cast<std::size_t>(level) < levels.size() ? levels[static_cast<std::size_t>(level)]
                                                           : 0;
}

QString KeyboardLayout::label(PhysicalKey key, bool shifted, int index) const {
    const std::uint32_t symbol = symbolOf(key);
    const Group* g = group(index);
    if (symbol == 0 || isLetter(key) || !g) {
        return QString::fromLatin1(linuxKeyName(key).data(),
                                   static_cast<qsizetype>(linuxKeyName(key).size()));
    }
    const Levels& levels = g->symbols[g->keyCodes[static_cast<std::size_t>(key)]];
    if (shifted && levels.size() > 1) {
        if (const auto c = capCharacter(levels[1])) {
            return capText(*c);
        }
    }
    // A key that types the symbol at some level shows it (the digits of AZERTY); another shows
    // what it types on its own (Ü on German for the key of "["), unless that is no Latin.
    if (std::find(levels.begin(), levels.end(), symbol) != levels.end()) {
        return capText(static_cast<char32_t>(symbol));
    }
    if (!levels.empty()) {
        if (const auto c = capCharacter(levels[0])) {
            return capText(*c);
        }
    }
    return capText(static_cast<char32_t>(symbol));
}

// --- The active layout ------------------------------------------------------------------------

KeyboardLayouts& KeyboardLayouts::shared() {
    static auto* layouts = new KeyboardLayouts;
    return *layouts;
}

std::shared_ptr<const KeyboardLayout> KeyboardLayouts::active() {
    if (!m_read && !m_fixed) {
        m_read = true;
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            m_layout = KeyboardLayout::fromX11();
        }
    }
    return m_layout;
}

void KeyboardLayouts::setActive(std::shared_ptr<const KeyboardLayout> layout) {
    m_fixed = true;
    m_layout = std::move(layout);
    m_group = 0;
    emit changed();
}

int KeyboardLayouts::groupOf(const QKeyEvent& event) {
    return static_cast<int>((event.nativeModifiers() >> 13) & 3);
}

void KeyboardLayouts::notice(const QKeyEvent& event) {
    const auto layout = active();
    const int group = groupOf(event);
    const std::uint32_t code = event.nativeScanCode();
    const std::uint32_t symbol = event.nativeVirtualKey();
    bool changedNow = group != m_group;
    m_group = group;
    if (!m_fixed && m_read && layout && code != 0 && symbol != 0 &&
        !layout->types(code, symbol, group)) {
        // Typed with another keymap (setxkbmap, a layout switch): read the server's again.
        m_layout = KeyboardLayout::fromX11();
        changedNow = true;
    }
    if (changedNow) {
        emit changed();
    }
}

QString KeyboardLayouts::label(PhysicalKey key, bool shifted) {
    if (const auto layout = active()) {
        return layout->label(key, shifted, m_group);
    }
    // Without a keymap, the US key caps.
    const std::string_view name = linuxKeyName(key);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

QString KeyboardLayouts::text(const KeyChord& chord, bool shiftedSymbols) {
    QString result;
    if (chord.modifiers.contains(KeyModifiers::control)) {
        result += QStringLiteral("Meta+");
    }
    if (chord.modifiers.contains(KeyModifiers::command)) {
        result += QStringLiteral("Ctrl+");
    }
    if (chord.modifiers.contains(KeyModifiers::option)) {
        result += QStringLiteral("Alt+");
    }
    if (chord.modifiers.contains(KeyModifiers::shift)) {
        result += QStringLiteral("Shift+");
    }
    return result +
           label(chord.key, shiftedSymbols && chord.modifiers.contains(KeyModifiers::shift));
}

} // namespace velmora
