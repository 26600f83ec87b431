#pragma once

#include "core/commands/action.hpp"
#include "core/commands/key_chord.hpp"

#include <QKeySequence>
#include <QString>

#include <optional>

namespace velmora::MenuKeys {

// The catalog key of an action's menu title; nothing for actions that have no menu item.
[[nodiscard]] std::optional<QString> titleKey(Action action);

// The key of a chord as Qt names it (a shifted slash is the question mark).
[[nodiscard]] int qtKey(const KeyChord& chord);
// The modifiers: command → Ctrl, option → Alt, control → Meta, shift → Shift.
[[nodiscard]] Qt::KeyboardModifiers qtModifiers(KeyModifiers modifiers);
// The key sequence of a chord, as its keys are labelled on the active keyboard layout.
[[nodiscard]] QKeySequence sequence(const KeyChord& chord);

// The key equivalent of an action's menu item: its primary chord under the default editing
// preferences when that chord holds command, control or option (always for "delete-item");
// nothing otherwise.
[[nodiscard]] std::optional<QKeySequence> keyEquivalent(Action action);

} // namespace velmora::MenuKeys
