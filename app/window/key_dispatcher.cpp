#include "app/window/key_dispatcher.hpp"

#include "app/platform/key_router.hpp"

#include <QKeyEvent>

namespace velmora {

std::optional<KeyRoute> KeyDispatcher::route(const QKeyEvent& event, const Situation& situation) {
    for (const KeyChord& chord : PhysicalKeys::chords(event)) {
        // A chord with the command key means the same while typing, whatever the view.
        const bool command = chord.modifiers.contains(KeyModifiers::command);
        const auto action = KeyMap::resolve(chord, situation.context, situation.preferences,
                                            command ? false : situation.editingIsEmpty,
                                            command ? ViewMode::list : situation.view);
        if (!action) {
            continue;
        }
        const auto kind = *action == Action::newline ? KeyRoute::Kind::newline
                                                     : KeyRoute::Kind::perform;
        return KeyRoute{kind, *action, 0, false};
    }
    if (situation.context != KeyContext::outline) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    if (!shift && modifiers != Qt::NoModifier) {
        return std::nullopt;
    }
    const auto route = [shift](KeyRoute::Kind kind, int count) {
        return KeyRoute{kind, Action::edit, count, shift};
    };
    switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (!shift) {
            return std::nullopt;
        }
        return route(KeyRoute::Kind::extendSelection, event.key() == Qt::Key_Up ? -1 : 1);
    case Qt::Key_Home:
        return route(KeyRoute::Kind::goTo, -2);
    case Qt::Key_End:
        return route(KeyRoute::Kind::goTo, 2);
    case Qt::Key_PageUp:
        return route(KeyRoute::Kind::goTo, -1);
    case Qt::Key_PageDown:
        return route(KeyRoute::Kind::goTo, 1);
    default:
        return std::nullopt;
    }
}

} // namespace velmora
