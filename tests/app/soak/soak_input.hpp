#pragma once

#include "app/window/main_menu.hpp"
#include "core/commands/action.hpp"
#include "core/commands/key_chord.hpp"

#include <string>

class QWidget;

namespace velmora {
class DocumentTab;
}

namespace velmora::soak {

class World;

// What a user's hands do, as the soak's actions use it.

// The widget that has the keyboard, else the current document's window content.
[[nodiscard]] QWidget* keyTarget(World& world);
// A key press and release of the chord, as Qt reads it from the keyboard.
void sendChord(QWidget* target, const KeyChord& chord);
// The action's key chord (its primary one) pressed where the keyboard is.
void sendAction(World& world, Action action);
// Types the text as a keyboard does: a key event per character cluster, line breaks with the
// key that types a line break in a title.
void typeText(World& world, const std::string& text);
// The window content of the current document.
[[nodiscard]] DocumentTab& window(World& world);
// Waits up to 5 s for every document's writes to end; false when one did not.
bool waitForWrites(World& world);
// Runs the front window's menu item when it is enabled; false when it is not.
bool runStandardItem(World& world, StandardItem which);
bool runActionItem(World& world, Action action);

} // namespace velmora::soak
