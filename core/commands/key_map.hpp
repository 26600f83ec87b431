#pragma once

#include "core/commands/action.hpp"
#include "core/commands/editor_preferences.hpp"
#include "core/commands/key_binding.hpp"
#include "core/commands/key_chord.hpp"
#include "core/model/color_label.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::KeyMap {

// The base table of 76 rows, built once and shared read-only.
[[nodiscard]] const std::vector<KeyBinding>& bindings();

// The rows that stand in for Meta chords the common Linux desktops take (moving items, colour
// labels): shown in place of those chords, which stay usable.
[[nodiscard]] const std::vector<KeyBinding>& desktopBindings();

// The 79 rows in effect for the preferences (Return in the outline edits or adds, Return while
// typing a title commits or commits and adds, Tab indents or moves the focus), then the desktop
// rows.
[[nodiscard]] std::vector<KeyBinding> bindings(const EditorPreferences& preferences);

// The action the chord triggers in the context, or nothing. `editingIsEmpty` is true when a
// title or note is being edited and its text is empty; `view` decides what Tab does on the
// canvas.
[[nodiscard]] std::optional<Action> resolve(const KeyChord& chord, KeyContext context,
                                            const EditorPreferences& preferences,
                                            bool editingIsEmpty, ViewMode view);

// The chord menus, palette and help show for the action: its desktop row, else its first
// non-alias row usable while navigating, else its first non-alias row; nothing without a row.
[[nodiscard]] std::optional<KeyChord> primaryChord(Action action,
                                                   const EditorPreferences& preferences);

// The display text of the primary chord, or "—" when the action has none.
[[nodiscard]] std::string primaryGlyph(Action action, const EditorPreferences& preferences);

// The key's display glyph ("↩", "Esc", "A", …).
[[nodiscard]] std::string_view glyph(PhysicalKey key);

// The modifier glyphs in the order control, option, shift, command, then the key's glyph
// ("⌃⌘S").
[[nodiscard]] std::string glyph(const KeyChord& chord);

// The chord as Linux desktops write it, with command as Ctrl, option as Alt and control as Meta
// ("Meta+Ctrl+S", "Ctrl+Return"); Qt reads this form as a portable key sequence.
[[nodiscard]] std::string text(const KeyChord& chord);

// The Linux text of the primary chord, or "—" when the action has none.
[[nodiscard]] std::string primaryText(Action action, const EditorPreferences& preferences);

} // namespace velmora::KeyMap
