#include "app/platform/key_router.hpp"

#include "app/platform/keyboard_layout.hpp"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>

#include <array>
#include <utility>

namespace velmora {
namespace {

// X11 key codes (evdev code + 8) of the 41 keys, in the order of PhysicalKey.
constexpr std::array<std::pair<quint32, PhysicalKey>, 42> kScanCodes = {{
    {36, PhysicalKey::returnKey},
    {104, PhysicalKey::returnKey}, // keypad Enter
    {9, PhysicalKey::escape},
    {23, PhysicalKey::tab},
    {65, PhysicalKey::space},
    {22, PhysicalKey::backspace},
    {119, PhysicalKey::forwardDelete},
    {113, PhysicalKey::left},
    {114, PhysicalKey::right},
    {111, PhysicalKey::up},
    {116, PhysicalKey::down},
    {68, PhysicalKey::f2},
    {19, PhysicalKey::digit0},
    {10, PhysicalKey::digit1},
    {11, PhysicalKey::digit2},
    {12, PhysicalKey::digit3},
    {13, PhysicalKey::digit4},
    {14, PhysicalKey::digit5},
    {15, PhysicalKey::digit6},
    {16, PhysicalKey::digit7},
    {17, PhysicalKey::digit8},
    {18, PhysicalKey::digit9},
    {38, PhysicalKey::a},
    {56, PhysicalKey::b},
    {40, PhysicalKey::d},
    {26, PhysicalKey::e},
    {43, PhysicalKey::h},
    {31, PhysicalKey::i},
    {44, PhysicalKey::j},
    {45, PhysicalKey::k},
    {32, PhysicalKey::o},
    {33, PhysicalKey::p},
    {39, PhysicalKey::s},
    {28, PhysicalKey::t},
    {30, PhysicalKey::u},
    {52, PhysicalKey::z},
    {34, PhysicalKey::bracketLeft},
    {35, PhysicalKey::bracketRight},
    {48, PhysicalKey::quote},
    {60, PhysicalKey::period},
    {61, PhysicalKey::slash},
    {59, PhysicalKey::comma},
}};

// Qt key codes of the 41 keys, with the symbols Shift makes of them on a US layout.
constexpr std::array<std::pair<int, PhysicalKey>, 60> kQtKeys = {{
    {Qt::Key_Return, PhysicalKey::returnKey},
    {Qt::Key_Enter, PhysicalKey::returnKey},
    {Qt::Key_Escape, PhysicalKey::escape},
    {Qt::Key_Tab, PhysicalKey::tab},
    {Qt::Key_Backtab, PhysicalKey::tab},
    {Qt::Key_Space, PhysicalKey::space},
    {Qt::Key_Backspace, PhysicalKey::backspace},
    {Qt::Key_Delete, PhysicalKey::forwardDelete},
    {Qt::Key_Left, PhysicalKey::left},
    {Qt::Key_Right, PhysicalKey::right},
    {Qt::Key_Up, PhysicalKey::up},
    {Qt::Key_Down, PhysicalKey::down},
    {Qt::Key_F2, PhysicalKey::f2},
    {Qt::Key_0, PhysicalKey::digit0},
    {Qt::Key_1, PhysicalKey::digit1},
    {Qt::Key_2, PhysicalKey::digit2},
    {Qt::Key_3, PhysicalKey::digit3},
    {Qt::Key_4, PhysicalKey::digit4},
    {Qt::Key_5, PhysicalKey::digit5},
    {Qt::Key_6, PhysicalKey::digit6},
    {Qt::Key_7, PhysicalKey::digit7},
    {Qt::Key_8, PhysicalKey::digit8},
    {Qt::Key_9, PhysicalKey::digit9},
    {Qt::Key_ParenRight, PhysicalKey::digit0},
    {Qt::Key_Exclam, PhysicalKey::digit1},
    {Qt::Key_At, PhysicalKey::digit2},
    {Qt::Key_NumberSign, PhysicalKey::digit3},
    {Qt::Key_Dollar, PhysicalKey::digit4},
    {Qt::Key_Percent, PhysicalKey::digit5},
    {Qt::Key_AsciiCircum, PhysicalKey::digit6},
    {Qt::Key_Ampersand, PhysicalKey::digit7},
    {Qt::Key_Asterisk, PhysicalKey::digit8},
    {Qt::Key_ParenLeft, PhysicalKey::digit9},
    {Qt::Key_A, PhysicalKey::a},
    {Qt::Key_B, PhysicalKey::b},
    {Qt::Key_D, PhysicalKey::d},
    {Qt::Key_E, PhysicalKey::e},
    {Qt::Key_H, PhysicalKey::h},
    {Qt::Key_I, PhysicalKey::i},
    {Qt::Key_J, PhysicalKey::j},
    {Qt::Key_K, PhysicalKey::k},
    {Qt::Key_O, PhysicalKey::o},
    {Qt::Key_P, PhysicalKey::p},
    {Qt::Key_S, PhysicalKey::s},
    {Qt::Key_T, PhysicalKey::t},
    {Qt::Key_U, PhysicalKey::u},
    {Qt::Key_Z, PhysicalKey::z},
    {Qt::Key_BracketLeft, PhysicalKey::bracketLeft},
    {Qt::Key_BraceLeft, PhysicalKey::bracketLeft},
    {Qt::Key_BracketRight, PhysicalKey::bracketRight},
    {Qt::Key_BraceRight, PhysicalKey::bracketRight},
    {Qt::Key_Apostrophe, PhysicalKey::quote},
    {Qt::Key_QuoteDbl, PhysicalKey::quote},
    {Qt::Key_Period, PhysicalKey::period},
    {Qt::Key_Greater, PhysicalKey::period},
    {Qt::Key_Slash, PhysicalKey::slash},
    {Qt::Key_Question, PhysicalKey::slash},
    {Qt::Key_Comma, PhysicalKey::comma},
}};

// Whether the platform's native scan codes are X11/evdev key codes.
bool scanCodesArePositions() {
    static const bool positional = [] {
        const QString platform = QGuiApplication::platformName();
        return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
    }();
    return positional;
}

} // namespace

std::optional<PhysicalKey> PhysicalKeys::fromScanCode(quint32 scanCode) {
    for (const auto& [code, key] : kScanCodes) {
        if (code == scanCode) {
            return key;
        }
    }
    return std::nullopt;
}

std::optional<PhysicalKey> PhysicalKeys::fromQtKey(int qtKey) {
    for (const auto& [code, key] : kQtKeys) {
        if (code == qtKey) {
            return key;
        }
    }
    return std::nullopt;
}

KeyModifiers PhysicalKeys::modifiers(Qt::KeyboardModifiers qt) {
    KeyModifiers result;
    if (qt.testFlag(Qt::ControlModifier)) {
        result = result | KeyModifiers::command;
    }
    if (qt.testFlag(Qt::ShiftModifier)) {
        result = result | KeyModifiers::shift;
    }
    if (qt.testFlag(Qt::AltModifier)) {
        result = result | KeyModifiers::option;
    }
    if (qt.testFlag(Qt::MetaModifier)) {
        result = result | KeyModifiers::control;
    }
    return result;
}

std::vector<KeyChord> PhysicalKeys::chords(const QKeyEvent& event) {
    std::vector<PhysicalKey> keys;
    auto& layouts = KeyboardLayouts::shared();
    const auto code = event.nativeScanCode();
    if (code != 0) {
        layouts.notice(event);
    }
    if (const auto layout = code != 0 ? layouts.active() : nullptr) {
        keys = layout->keysAt(code, KeyboardLayouts::groupOf(event));
    } else {
        std::optional<PhysicalKey> key;
        const auto typed = fromQtKey(event.key());
        if (event.key() >= Qt::Key_A && event.key() <= Qt::Key_Z) {
            // Letters follow the layout even without its keymap (the key typing "y" on German
            // is no Z).
            key = typed;
        } else if (code != 0 && scanCodesArePositions()) {
            key = fromScanCode(code);
        } else {
            key = typed;
        }
        if (key) {
            keys.push_back(*key);
        }
    }
    KeyModifiers mods = modifiers(event.modifiers());
    // Qt reports Shift+Tab as Backtab, sometimes without the Shift flag.
    if (event.key() == Qt::Key_Backtab) {
        mods = mods | KeyModifiers::shift;
    }
    std::vector<KeyChord> result;
    result.reserve(keys.size());
    for (PhysicalKey key : keys) {
        result.push_back(KeyChord{key, mods});
    }
    return result;
}

std::optional<KeyChord> PhysicalKeys::chord(const QKeyEvent& event) {
    const auto all = chords(event);
    if (all.empty()) {
        return std::nullopt;
    }
    return all.front();
}

KeyRouter::KeyRouter(QWidget* scope, Query wants, Query handle, QObject* parent)
    : QObject(parent), m_scope(scope), m_wants(std::move(wants)), m_handle(std::move(handle)) {
    qApp->installEventFilter(this);
}

KeyRouter::~KeyRouter() {
    if (qApp) {
        qApp->removeEventFilter(this);
    }
}

bool KeyRouter::covers(const QWidget* widget) const {
    if (!m_scope || !widget || !m_scope->isVisible()) {
        return false;
    }
    return widget == m_scope || m_scope->isAncestorOf(widget);
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) {
        return false;
    }
    auto* receiver = qobject_cast<QWidget*>(watched);
    // A key press travels up to the parents when a widget ignores it: route it only once,
    // where it is first delivered.
    QWidget* focus = QApplication::focusWidget();
    if (!receiver || (focus && receiver != focus) || !covers(receiver)) {
        return false;
    }
    auto* keyEvent = static_cast<QKeyEvent*>(event);
    if (type == QEvent::ShortcutOverride) {
        if (m_wants && m_wants(receiver, *keyEvent)) {
            // Claim the key so that no shortcut fires; the key press follows.
            event->accept();
            return true;
        }
        return false;
    }
    return m_handle && m_handle(receiver, *keyEvent);
}

} // namespace velmora
