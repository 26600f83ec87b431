#pragma once

#include "core/commands/action.hpp"
#include "core/commands/key_chord.hpp"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <optional>

namespace velmora::MenuKeys {

// The catalog key of an action's menu title; nothing for actions that have no menu item.
[[nodiscard]] std::optional<QString> titleKey(Action action);

// The key of a chord as Qt names it (a shifted slash is the question mark).
[[nodiscard]] int qtKey(const KeyChord& chord);
// The modifiers: command → Ctrl, option → Alt, control → Meta, shift → Shift.
[[nodiscard]] Qt::KeyboardModifiers qtModifiers(KeyModifiers modifiers);
// The key sequence of a chord, as its keys are labelled on the active keyboard layout: the
// key's own cap, also with Shift ("Alt+Shift+1"). Menus show it.
[[nodiscard]] QKeySequence sequence(const KeyChord& chord);
// The sequences Qt matches a chord by: `sequence`, then, for a chord with Shift, the one named
// by the symbol Shift makes ("Alt+Shift+!"), which Qt's shortcuts compare key events with.
[[nodiscard]] QList<QKeySequence> sequences(const KeyChord& chord);

// The key equivalent of an action's menu item: its primary chord under the default editing
// preferences when that chord holds command, control or option (always for "delete-item");
// nothing otherwise.
[[nodiscard]] std::optional<QKeySequence> keyEquivalent(Action action);
// The shortcuts of an action's menu item: the sequences of its key equivalent, the one shown
// first; empty without one.
[[nodiscard]] QList<QKeySequence> keyEquivalents(Action action);

// The shortcuts of the zoom items: Ctrl+= and the keypad's + (and - to zoom out). Ctrl++ is
// left to the key map: on German keyboards it is the key of Ctrl+], indenting.
[[nodiscard]] QList<QKeySequence> zoomInKeys();
[[nodiscard]] QList<QKeySequence> zoomOutKeys();

} // namespace velmora::MenuKeys
