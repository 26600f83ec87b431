#pragma once

#include "core/commands/key_chord.hpp"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class QKeyEvent;
class QWidget;

namespace velmora {

// The keys of the key map that key events stand for. With the active keyboard layout known
// (X11, or a layout a test sets) its rules decide (see KeyboardLayout): letters follow the
// layout, characters it types only with Shift or AltGr go by position. Without one, platforms
// that report native scan codes (Wayland, as evdev codes + 8) are read by position with letters
// taken from the key typed; elsewhere (the offscreen platform of the tests) Qt's key code
// stands in.
namespace PhysicalKeys {

// The key at the position of an X11/evdev key code; nothing for keys outside the 41.
[[nodiscard]] std::optional<PhysicalKey> fromScanCode(quint32 scanCode);
// The key a Qt key code names (US symbols of shifted digits and punctuation included).
[[nodiscard]] std::optional<PhysicalKey> fromQtKey(int key);
// The modifiers of the key map: Ctrl is command, Alt option, Meta control.
[[nodiscard]] KeyModifiers modifiers(Qt::KeyboardModifiers qt);
// The chords a key event stands for, the layout's own reading first; empty when its key is none
// of the 41.
[[nodiscard]] std::vector<KeyChord> chords(const QKeyEvent& event);
// The first of them, or nothing.
[[nodiscard]] std::optional<KeyChord> chord(const QKeyEvent& event);

} // namespace PhysicalKeys

// The application-wide filter that hands key presses inside one window's content to its
// dispatcher before any widget or menu shortcut sees them. `wants` answers whether the
// dispatcher takes the key (asked when Qt offers the key to shortcuts, so that a key it takes
// never also fires a shortcut); `handle` carries the key out and answers whether it was
// consumed. Both are asked the same question, so they always agree. Key presses outside
// `scope` pass untouched.
class KeyRouter : public QObject {
    Q_OBJECT
public:
    using Query = std::function<bool(QWidget* receiver, const QKeyEvent& event)>;

    KeyRouter(QWidget* scope, Query wants, Query handle, QObject* parent = nullptr);
    ~KeyRouter() override;

    // Whether the widget is the scope or inside it, and the scope is the shown content.
    [[nodiscard]] bool covers(const QWidget* widget) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_scope;
    Query m_wants;
    Query m_handle;
};

} // namespace velmora
