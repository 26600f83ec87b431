#include "core/commands/command_registry.hpp"

#include "core/commands/help_catalog.hpp"
#include "core/commands/key_map.hpp"

#include <algorithm>
#include <array>
#include <map>

namespace velmora::CommandRegistry {

namespace {

using A = Action;

// The shortcut as typed with the names Linux shows ("ctrl shift p", "Ctrl+Z"): command is
// Ctrl, option Alt, control Meta. Modifiers may come in any order; the key name comes last.
bool matchesShortcutNames(std::string_view compact, const KeyChord& chord) {
    static const std::array<std::pair<std::string_view, KeyModifiers>, 4> modifierNames = {{
        {"ctrl", KeyModifiers::command},
        {"alt", KeyModifiers::option},
        {"shift", KeyModifiers::shift},
        {"meta", KeyModifiers::control},
    }};
    std::string plain;
    for (char c : compact)
        if (c != '+')
            plain += c;
    std::string_view rest = plain;
    KeyModifiers typed;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [name, modifier] : modifierNames) {
            if (rest.starts_with(name) && !typed.contains(modifier)) {
                typed = typed | modifier;
                rest.remove_prefix(name.size());
                found = true;
            }
        }
    }
    if (typed != chord.modifiers)
        return false;
    const std::string glyph = fold(KeyMap::glyph(chord.key));
    std::string_view name = rawValue(chord.key);
    if (chord.key == PhysicalKey::returnKey)
        name = "return";
    else if (chord.key == PhysicalKey::escape)
        name = "esc";
    else if (chord.key == PhysicalKey::forwardDelete)
        name = "del";
    return rest == glyph || rest == fold(name);
}

// The words of a shown shortcut, folded and without blanks ("Strg+Bild auf" gives "strg" and
// "bildauf"); the last is the key, which may itself be "+" ("Strg++").
std::vector<std::string> shownWords(std::string_view shown) {
    std::vector<std::string> words;
    std::string_view rest = shown;
    std::string_view key;
    if (rest.size() >= 2 && rest.ends_with("++")) {
        key = "+";
        rest.remove_suffix(2);
    } else {
        const auto plus = rest.rfind('+');
        key = plus == std::string_view::npos ? rest : rest.substr(plus + 1);
        rest = plus == std::string_view::npos ? std::string_view() : rest.substr(0, plus);
    }
    auto add = [&](std::string_view word) {
        std::string compact;
        for (const auto& part : HelpCatalog::tokens(word))
            compact += part;
        words.push_back(std::move(compact));
    };
    for (std::size_t at = 0; !rest.empty() && at <= rest.size();) {
        const auto plus = rest.find('+', at);
        add(rest.substr(at, plus == std::string_view::npos ? std::string_view::npos : plus - at));
        if (plus == std::string_view::npos)
            break;
        at = plus + 1;
    }
    add(key);
    return words;
}

// The shortcut as the window shows it, typed with or without its "+" and with the modifiers in
// any order.
bool matchesShownText(std::string_view compact, std::string_view shown) {
    if (shown.empty())
        return false;
    auto words = shownWords(shown);
    const std::string key = std::move(words.back());
    words.pop_back();
    std::vector<bool> used(words.size(), false);
    std::string_view rest = compact;
    auto skipPlus = [&] {
        if (rest.size() > 1 && rest.front() == '+')
            rest.remove_prefix(1);
    };
    for (bool found = true; found;) {
        found = false;
        skipPlus();
        for (std::size_t i = 0; i < words.size(); ++i) {
            if (!used[i] && !words[i].empty() && rest.starts_with(words[i])) {
                used[i] = true;
                rest.remove_prefix(words[i].size());
                found = true;
            }
        }
    }
    skipPlus();
    return std::all_of(used.begin(), used.end(), [](bool u) { return u; }) && rest == key;
}

bool shortcutMatches(const Command& command, const std::string& compact,
                     const std::map<Action, std::string>& shown) {
    if (!command.chord)
        return false;
    if (fold(command.glyph()) == compact || matchesShortcutNames(compact, *command.chord))
        return true;
    const auto text = shown.find(command.action);
    return text != shown.end() && matchesShownText(compact, text->second);
}

// The search rank of a command, or nothing when it does not match. A word is found in the
// title or in one of the descriptions: words hold no white space, so none can run from one
// text into the next.
std::optional<int> rank(const Command& command, const std::vector<std::string>& words,
                        const std::string& compact, const std::map<Action, std::string>& shown) {
    if (shortcutMatches(command, compact, shown))
        return 0;
    const std::string title = fold(command.title);
    std::vector<std::string> descriptions;
    for (const auto& [section, text] : command.details)
        descriptions.push_back(fold(text));
    bool allInTitle = true;
    for (const auto& word : words) {
        const bool inTitle = title.find(word) != std::string::npos;
        allInTitle = allInTitle && inTitle;
        if (!inTitle &&
            std::none_of(descriptions.begin(), descriptions.end(),
                         [&](const std::string& d) { return d.find(word) != std::string::npos; }))
            return std::nullopt;
    }
    if (title.starts_with(words.front()))
        return 0;
    return allInTitle ? 1 : 2;
}

// The title and descriptions the help text gives each action.
struct HelpTexts {
    std::map<Action, std::string> titles;
    std::map<Action, std::map<std::string, std::string>> details;
};

HelpTexts helpTexts(const HelpDocument& help) {
    HelpTexts texts;
    const HelpSection* allKeys = help.section(kAllKeysSectionID);
    if (allKeys)
        for (const auto& [action, text] : allKeys->keyRows())
            texts.titles.emplace(action, text);
    for (const auto& section : help.sections) {
        if (&section == allKeys)
            continue;
        for (const auto& [action, text] : section.keyRows()) {
            auto title = texts.titles.find(action);
            if (title != texts.titles.end() && title->second == text)
                continue;
            texts.details[action].emplace(section.id, text);
        }
    }
    return texts;
}

} // namespace

std::vector<Action> Section::actions() const {
    std::vector<Action> out;
    for (const auto& group : groups)
        out.insert(out.end(), group.begin(), group.end());
    return out;
}

const std::vector<Section>& sections() {
    static const std::vector<Section> table = {
        {"app", {{A::settings}}, true},
        {"file",
         {{A::newDocumentTab}, {A::importBackup, A::importOPML, A::exportBackup, A::exportOPML}},
         true},
        {"edit", {{A::undo, A::redo}, {A::jump, A::commandPalette}, {A::archiveCompleted}}, true},
        {"format", {{A::toggleCheck}, {A::toggleBold, A::toggleUnderline}}, true},
        {"labels",
         {{A::label1, A::label2, A::label3, A::label4, A::label5, A::label6, A::label7, A::label0}},
         true},
        {"view",
         {{A::viewList, A::viewTree, A::viewMap},
          {A::hideCompleted},
          {A::expand, A::collapse, A::expandFamily, A::collapseFamily, A::expandAll,
           A::collapseAll},
          {A::toggleNotes, A::toggleHighlight, A::toggleLibrary, A::toggleHelp, A::showProperties,
           A::showHelp}},
         true},
        {"reorganize",
         {{A::indent, A::outdent, A::moveUp, A::moveDown, A::moveLeft, A::moveRight},
          {A::showFamily, A::duplicate}},
         true},
        {"item",
         {{A::addBelow, A::addAbove, A::addChild, A::addChildExpand, A::addAunt},
          {A::editNote, A::split, A::deleteItem}},
         true},
        {"help", {{A::helpSearch}}, true},
        {"navigation",
         {{A::navLeft, A::navRight, A::navUp, A::navDown},
          {A::focusNext, A::focusPrev},
          {A::edit, A::deselect, A::help}},
         false},
        {"typing", {{A::commitNext, A::commit, A::newline}}, false},
    };
    return table;
}

const std::vector<PaletteGroup>& paletteGroups() {
    static const std::vector<PaletteGroup> table = {
        {"newItem", {A::addBelow, A::addAbove, A::addChild, A::addChildExpand, A::addAunt}},
        {"item",
         {A::edit, A::editNote, A::toggleCheck, A::archiveCompleted, A::toggleBold,
          A::toggleUnderline, A::duplicate, A::deleteItem}},
        {"move", {A::indent, A::outdent, A::moveUp, A::moveDown, A::moveLeft, A::moveRight}},
        {"labels",
         {A::label1, A::label2, A::label3, A::label4, A::label5, A::label6, A::label7, A::label0}},
        {"branches",
         {A::expand, A::collapse, A::expandFamily, A::collapseFamily, A::expandAll, A::collapseAll,
          A::showFamily, A::jump}},
        {"view",
         {A::viewList, A::viewTree, A::viewMap, A::hideCompleted, A::toggleNotes,
          A::toggleHighlight, A::toggleLibrary, A::toggleHelp, A::showProperties, A::showHelp}},
        {"document",
         {A::newDocumentTab, A::importBackup, A::importOPML, A::exportBackup, A::exportOPML}},
        {"app", {A::undo, A::redo, A::settings, A::helpSearch}},
    };
    return table;
}

const std::set<Action>& notInPalette() {
    static const std::set<Action> actions = {
        A::commitNext, A::commit,         A::newline, A::split,     A::navLeft,
        A::navRight,   A::navUp,          A::navDown, A::focusNext, A::focusPrev,
        A::deselect,   A::commandPalette, A::help};
    return actions;
}

std::vector<Command> commands(const HelpDocument& help, const EditorPreferences& preferences) {
    HelpTexts texts = helpTexts(help);
    std::vector<Command> out;
    out.reserve(kActionCount);
    for (const auto& section : sections()) {
        for (Action action : section.actions()) {
            auto title = texts.titles.find(action);
            out.push_back(
                {action,
                 title != texts.titles.end() ? title->second : std::string(rawValue(action)),
                 std::move(texts.details[action]), KeyMap::primaryChord(action, preferences),
                 section.id});
        }
    }
    return out;
}

std::vector<Command> palette(const HelpDocument& help, const EditorPreferences& preferences) {
    std::map<Action, Command> byAction;
    for (auto& command : commands(help, preferences))
        byAction.emplace(command.action, std::move(command));
    std::vector<Command> out;
    for (const auto& group : paletteGroups())
        for (Action action : group.actions)
            out.push_back(byAction.at(action));
    return out;
}

std::vector<Command> search(const std::vector<Command>& commands, std::string_view query,
                            const std::map<Action, std::string>& shown) {
    const auto words = HelpCatalog::tokens(query);
    if (words.empty())
        return commands;
    std::string compact;
    for (const auto& word : words)
        compact += word;
    std::vector<std::pair<int, const Command*>> ranked;
    for (const auto& command : commands)
        if (auto r = rank(command, words, compact, shown))
            ranked.emplace_back(*r, &command);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Command> out;
    out.reserve(ranked.size());
    for (const auto& [r, command] : ranked)
        out.push_back(*command);
    return out;
}

std::string fold(std::string_view text) {
    return HelpCatalog::fold(text);
}

std::vector<Action> recordRecent(Action action, const std::vector<Action>& recent) {
    std::vector<Action> out{action};
    for (Action entry : recent)
        if (entry != action && out.size() < 3)
            out.push_back(entry);
    return out;
}

const PaletteGroup* paletteGroup(Action action) {
    for (const auto& group : paletteGroups())
        if (std::find(group.actions.begin(), group.actions.end(), action) != group.actions.end())
            return &group;
    return nullptr;
}

std::vector<Action> missingTitles(const HelpDocument& help) {
    std::set<Action> titled;
    if (const HelpSection* allKeys = help.section(kAllKeysSectionID))
        for (const auto& [action, text] : allKeys->keyRows())
            titled.insert(action);
    std::vector<Action> missing;
    for (Action action : allActions())
        if (!titled.contains(action))
            missing.push_back(action);
    return missing;
}

} // namespace velmora::CommandRegistry
