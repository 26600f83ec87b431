#pragma once

#include "core/commands/editor_preferences.hpp"
#include "core/commands/help_document.hpp"

#include <map>
#include <string>
#include <string_view>
#include <vector>

// Reads help texts and searches them. A help text is one plain-text file per language in a
// small line format:
//   "## [id] Title"               starts a section
//   "- {{key:add-below}} Text"    a key line: an action's raw value and a short text
//   an empty line                 ends a paragraph
//   any other line                continues the current paragraph
// Lines before the first section heading are ignored.
namespace velmora::HelpCatalog {

// The document the text describes. Never fails: anything unrecognised is paragraph text.
[[nodiscard]] HelpDocument parse(std::string_view text);

// The blocks whose section title, text and shortcut contain every word of the query, in
// document order; none for an empty query. A shortcut matches in its glyphs ("⌘Z") and in the
// names Linux writes ("ctrl z", "Ctrl+Z"), as the preferences bind it (the defaults unless given),
// and as `shown` holds it: the text the window shows for the action ("Strg+Z").
[[nodiscard]] std::vector<HelpHit> search(const HelpDocument& document, std::string_view query,
                                          const EditorPreferences& preferences = {},
                                          const std::map<Action, std::string>& shown = {});

// The form searches compare: case- and diacritic-insensitive, the same in every language.
[[nodiscard]] std::string fold(std::string_view text);

// The folded query split at white space, empty pieces dropped.
[[nodiscard]] std::vector<std::string> tokens(std::string_view query);

} // namespace velmora::HelpCatalog
