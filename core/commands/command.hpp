#pragma once

#include "core/commands/action.hpp"
#include "core/commands/key_chord.hpp"

#include <map>
#include <optional>
#include <string>

namespace velmora {

// An action as menus, the palette and the help panel present it.
struct Command {
    Action action = Action::edit;
    // The display title, from the help text (the raw value when the text names none).
    std::string title;
    // Descriptions of the action by help section id, each different from the title.
    std::map<std::string, std::string> details;
    // The primary chord under the preferences the command was built with.
    std::optional<KeyChord> chord;
    // The id of the registry section that holds the action.
    std::string sectionID;

    // The display text of the chord; empty without one.
    [[nodiscard]] std::string glyph() const;

    bool operator==(const Command&) const = default;
};

} // namespace velmora
