#pragma once

#include "core/commands/key_chord.hpp"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

namespace velmora {

// The keyboard positions of key events. Platforms that report native scan codes (X11 and
// Wayland, both as evdev codes + 8) are read by position, so that a chord such as Ctrl+[ is
// the same key on every layout; elsewhere (the offscreen platform of the tests) Qt's key code
// stands in.
namespace PhysicalKeys {

// The key at the position of an X11/evdev key code; nothing for keys outside the 41.
[[nodiscard]] std::optional<PhysicalKey> fromScanCode(quint32 scanCode);
// The key a Qt key code names (US symbols of shifted digits and punctuation included).
[[nodiscard]] std::optional<PhysicalKey> fromQtKey(int key);
// The modifiers of the key map: Ctrl is command, Alt option, Meta control.
[[nodiscard]] KeyModifiers modifiers(Qt::KeyboardModifiers qt);
// The chord of a key event, or nothing when its key is none of the 41.
[[nodiscard]] std::optional<KeyChord> chord(const QKeyEvent& event);

} // namespace PhysicalKeys

// The application-wide filter that hands key presses inside one window's content to its
// controller before any widget or menu shortcut sees them. `wants` answers whether the
// controller would take the key (asked when Qt offers the key to shortcuts, so that a key the
// controller takes never also fires a shortcut); `handle` carries the key out and answers
// whether it was consumed. Key presses outside `scope` pass untouched.
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
