#pragma once

#include "core/commands/action.hpp"
#include "core/commands/key_chord.hpp"
#include "core/commands/key_map.hpp"

#include <optional>

class QKeyEvent;

namespace velmora {

// What a document tab does with a key press.
struct KeyRoute {
    // Perform the action; extend the selection `count` siblings; type a line break; go to the
    // first, last, previous-page or next-page item shown (`count` -2, 2, -1 or 1), extending
    // the selection among siblings when `extend`.
    enum class Kind { perform, extendSelection, newline, goTo };
    Kind kind = Kind::perform;
    Action action = Action::edit;
    int count = 0;
    bool extend = false;

    bool operator==(const KeyRoute&) const = default;
};

// The one decision about a key press in a document tab, from the key and the situation alone.
// The key map decides every chord: a chord it resolves is performed by the tab, which is also
// what the menu item showing that chord does (menus take their shortcuts from the same map).
// Keys the key map leaves out but navigation needs (Shift+Up/Down, Home, End, Page Up, Page
// Down) move or extend the selection. Everything else goes on to the focused widget: the item
// editor types it, and Qt's shortcuts of the standard menu items (new, open, close, save, quit,
// cut, copy, paste, select all, zoom, full screen) get their turn — the one other route.
class KeyDispatcher {
public:
    struct Situation {
        // Navigating, typing a title or typing a note.
        KeyContext context = KeyContext::outline;
        EditorPreferences preferences;
        ViewMode view = ViewMode::list;
        // Whether the title or note being typed is empty.
        bool editingIsEmpty = false;
    };

    [[nodiscard]] static std::optional<KeyRoute> route(const QKeyEvent& event,
                                                       const Situation& situation);
};

} // namespace velmora
