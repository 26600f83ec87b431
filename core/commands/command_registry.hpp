#pragma once

#include "core/commands/command.hpp"
#include "core/commands/editor_preferences.hpp"
#include "core/commands/help_document.hpp"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Turns actions into presentable commands: titles and descriptions from the help text, the
// menu sections and palette groups, the palette's search and its list of recent commands.
namespace velmora::CommandRegistry {

// A menu (or a section that no menu shows) and its actions in groups; menus put a separator
// between groups.
struct Section {
    std::string id;
    std::vector<std::vector<Action>> groups;
    bool inMenu = true;

    // The groups' actions in order.
    [[nodiscard]] std::vector<Action> actions() const;

    bool operator==(const Section&) const = default;
};

// A heading of the command palette and the actions listed under it.
struct PaletteGroup {
    std::string id;
    std::vector<Action> actions;

    bool operator==(const PaletteGroup&) const = default;
};

// The eleven sections; every action is in exactly one.
[[nodiscard]] const std::vector<Section>& sections();

// The eight palette groups, in palette order.
[[nodiscard]] const std::vector<PaletteGroup>& paletteGroups();

// The actions the palette never offers (typing, navigation, focus and the palette itself).
[[nodiscard]] const std::set<Action>& notInPalette();

// One command per action in section order, titled by the help text's "all-keys" section and
// described by its other sections.
[[nodiscard]] std::vector<Command> commands(const HelpDocument& help,
                                            const EditorPreferences& preferences);

// The commands the palette lists, in palette-group order.
[[nodiscard]] std::vector<Command> palette(const HelpDocument& help,
                                           const EditorPreferences& preferences);

// The commands matching the query, best first: the shortcut typed out, then titles starting
// with the first word, then titles holding every word, then titles and descriptions together
// holding every word; equal ranks keep their order. A blank query returns all commands.
// `shown` holds the shortcut of an action as the window shows it ("Strg+Umschalt+I"): typed
// out with its words in any order of the modifiers, it matches as the English names do.
[[nodiscard]] std::vector<Command> search(const std::vector<Command>& commands,
                                          std::string_view query,
                                          const std::map<Action, std::string>& shown = {});

// The form the search compares: case- and diacritic-insensitive.
[[nodiscard]] std::string fold(std::string_view text);

// The recent list after running `action`: newest first, no repeats, at most three.
[[nodiscard]] std::vector<Action> recordRecent(Action action, const std::vector<Action>& recent);

// The first palette group that lists the action; nothing for actions the palette never offers.
[[nodiscard]] const PaletteGroup* paletteGroup(Action action);

// The actions, in declaration order, without a key line in the help text's "all-keys" section
// (every action when the section is missing).
[[nodiscard]] std::vector<Action> missingTitles(const HelpDocument& help);

} // namespace velmora::CommandRegistry
