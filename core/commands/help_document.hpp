#pragma once

#include "core/commands/action.hpp"

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmora {

// One block of a help section: a paragraph of text, or a key line that names an action with a
// short text (its title in the "all-keys" section, a description elsewhere).
struct HelpBlock {
    std::optional<Action> action; // present exactly for a key line
    std::string text;

    [[nodiscard]] static HelpBlock paragraph(std::string text) {
        return {std::nullopt, std::move(text)};
    }
    [[nodiscard]] static HelpBlock key(Action action, std::string text) {
        return {action, std::move(text)};
    }
    [[nodiscard]] bool isKey() const { return action.has_value(); }

    bool operator==(const HelpBlock&) const = default;
};

struct HelpSection {
    std::string id;
    std::string title;
    std::vector<HelpBlock> blocks;

    // The key lines of the section in order, paragraphs skipped.
    [[nodiscard]] std::vector<std::pair<Action, std::string>> keyRows() const;

    bool operator==(const HelpSection&) const = default;
};

// A parsed help text: its sections in file order. Several sections may share an id.
struct HelpDocument {
    std::vector<HelpSection> sections;

    // The first section with the id; null when there is none.
    [[nodiscard]] const HelpSection* section(std::string_view id) const;
    // The ids of all sections, in order.
    [[nodiscard]] std::vector<std::string> sectionIDs() const;
    // Every action named by a key line of any section.
    [[nodiscard]] std::set<Action> referencedActions() const;

    bool operator==(const HelpDocument&) const = default;
};

// A search hit: the block's text in its section; `action` for a key line.
struct HelpHit {
    std::string sectionID;
    std::string sectionTitle;
    std::string text;
    std::optional<Action> action;

    bool operator==(const HelpHit&) const = default;
};

// The topics the help panel offers; each shows a few sections of the help text.
enum class HelpTopic { basics, editing, tree, hoist, labels, files };

inline constexpr std::array<HelpTopic, 6> kAllHelpTopics = {HelpTopic::basics, HelpTopic::editing,
                                                            HelpTopic::tree,   HelpTopic::hoist,
                                                            HelpTopic::labels, HelpTopic::files};

[[nodiscard]] std::string_view rawValue(HelpTopic topic);
[[nodiscard]] std::optional<HelpTopic> helpTopicFromRawValue(std::string_view raw);

// The ids of the sections the topic shows, in order.
[[nodiscard]] const std::vector<std::string>& sectionIDs(HelpTopic topic);

// The id of the section whose key lines give every command its title.
inline constexpr std::string_view kAllKeysSectionID = "all-keys";

} // namespace velmora
