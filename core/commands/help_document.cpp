#include "core/commands/help_document.hpp"

namespace velmora {

std::vector<std::pair<Action, std::string>> HelpSection::keyRows() const {
    std::vector<std::pair<Action, std::string>> rows;
    for (const auto& block : blocks)
        if (block.action)
            rows.emplace_back(*block.action, block.text);
    return rows;
}

const HelpSection* HelpDocument::section(std::string_view id) const {
    for (const auto& s : sections)
        if (s.id == id)
            return &s;
    return nullptr;
}

std::vector<std::string> HelpDocument::sectionIDs() const {
    std::vector<std::string> ids;
    ids.reserve(sections.size());
    for (const auto& s : sections)
        ids.push_back(s.id);
    return ids;
}

std::set<Action> HelpDocument::referencedActions() const {
    std::set<Action> actions;
    for (const auto& s : sections)
        for (const auto& block : s.blocks)
            if (block.action)
                actions.insert(*block.action);
    return actions;
}

std::string_view rawValue(HelpTopic topic) {
    switch (topic) {
    case HelpTopic::basics:
        return "basics";
    case HelpTopic::editing:
        return "editing";
    case HelpTopic::tree:
        return "tree";
    case HelpTopic::hoist:
        return "hoist";
    case HelpTopic::labels:
        return "labels";
    case HelpTopic::files:
        return "files";
    }
    return "basics";
}

std::optional<HelpTopic> helpTopicFromRawValue(std::string_view raw) {
    for (auto topic : kAllHelpTopics)
        if (rawValue(topic) == raw)
            return topic;
    return std::nullopt;
}

const std::vector<std::string>& sectionIDs(HelpTopic topic) {
    static const std::array<std::vector<std::string>, 6> ids = {{
        {"keys-list", "guide-views", "guide-undo"},
        {"keys-editing", "keys-note"},
        {"keys-tree"},
        {"guide-hoist"},
        {"labels"},
        {"guide-files"},
    }};
    return ids[static_cast<std::size_t>(topic)];
}

} // namespace velmora
