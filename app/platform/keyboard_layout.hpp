#pragma once

#include "core/commands/key_chord.hpp"

#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QKeyEvent;

namespace velmora {

// What the keys of a keyboard layout stand for in the key map. Letters follow the layout (the
// key that types "z" is Z on QWERTY, QWERTZ and AZERTY alike); a layout without Latin letters
// (Ukrainian, Japanese kana) falls back to the key's letter on the US layout. Digits and
// punctuation the layout types without Shift or AltGr follow the layout too; those it types only
// with them, or not at all, are matched by position (Ctrl+[ is the key right of P everywhere).
class KeyboardLayout {
public:
    // The symbols of one X11 key code (evdev code + 8) on one layout, by shift level.
    using Levels = std::vector<std::uint32_t>;

    // The layout xkb compiles from its names ("de", "fr", "ua", "jp" with variant "kana"); nothing
    // when the keyboard data does not know it.
    [[nodiscard]] static std::shared_ptr<const KeyboardLayout>
    fromNames(const std::string& layout, const std::string& variant);
    // The X server's keyboard, every layout group of it; nothing off X11.
    [[nodiscard]] static std::shared_ptr<const KeyboardLayout> fromX11();

    // The keys of the key map the key code stands for in the layout group, the layout's own
    // first; empty for keys the key map does not use.
    [[nodiscard]] const std::vector<PhysicalKey>& keysAt(std::uint32_t keyCode, int group) const;
    // Whether the key code types the key symbol at some level in the group (a key event read
    // with another keymap does not).
    [[nodiscard]] bool types(std::uint32_t keyCode, std::uint32_t keySymbol, int group) const;
    // The key's label as the user finds it on the keyboard: "Z", "Ü" for Ctrl+[ on German, the
    // symbol Shift makes when `shifted` ("?" for Shift+/ on US).
    [[nodiscard]] QString label(PhysicalKey key, bool shifted, int group) const;
    // The symbol the key code types at the shift level (0 alone, 1 with Shift); 0 for none.
    [[nodiscard]] std::uint32_t symbol(std::uint32_t keyCode, int level, int group) const;
    [[nodiscard]] int groupCount() const { return static_cast<int>(m_groups.size()); }

private:
    struct Group {
        std::array<Levels, 256> symbols;
        std::array<std::vector<PhysicalKey>, 256> keys;
        std::array<std::uint32_t, kPhysicalKeyCount> keyCodes{};
    };
    static std::shared_ptr<const KeyboardLayout> fromKeymap(void* keymap);
    [[nodiscard]] const Group* group(int index) const;

    std::vector<Group> m_groups;
};

// The layout in force for the application: the X server's (read again when a key event shows
// another one) or the one a test sets. Announces `changed` so that menus relabel their chords.
class KeyboardLayouts : public QObject {
    Q_OBJECT
public:
    static KeyboardLayouts& shared();

    // The active layout; nothing on platforms without xkb keymaps (the chords then come from
    // Qt's key codes).
    [[nodiscard]] std::shared_ptr<const KeyboardLayout> active();
    // Replaces the layout (tests; nothing returns to the X server's).
    void setActive(std::shared_ptr<const KeyboardLayout> layout);
    // The layout group of a key event (X11 carries it in bits 13 and 14 of the state).
    [[nodiscard]] static int groupOf(const QKeyEvent& event);
    // Reads the X server's keymap again when the event was typed with another one.
    void notice(const QKeyEvent& event);
    // The key's label on the active layout, or its US name without one.
    [[nodiscard]] QString label(PhysicalKey key, bool shifted);
    // The chord as the user presses it on the active layout ("Ctrl+Ü"), in Qt's portable form;
    // `shiftedSymbols` names a shifted key by the symbol Shift makes ("Ctrl+Shift+?"), as Qt's
    // menus match it.
    [[nodiscard]] QString text(const KeyChord& chord, bool shiftedSymbols = false);

signals:
    void changed();

private:
    KeyboardLayouts() = default;

    std::shared_ptr<const KeyboardLayout> m_layout;
    bool m_read = false;
    bool m_fixed = false;
    int m_group = 0;
};

} // namespace velmora
