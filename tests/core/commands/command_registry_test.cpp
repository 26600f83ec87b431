#include "core/commands/command_registry.hpp"
#include "core/commands/help_catalog.hpp"
#include "core/commands/key_map.hpp"

#include <gtest/gtest.h>

#include <algorithm>

using namespace velmora;
namespace CR = CommandRegistry;

namespace {

const HelpDocument kHelp = HelpCatalog::parse("## [all-keys] All\n"
                                              "- {{key:add-below}} Add Item Below\n"
                                              "- {{key:add-above}} Add Item Above\n"
                                              "- {{key:add-child}} New Child\n"
                                              "- {{key:undo}} Undo\n"
                                              "- {{key:undo}} Second title loses\n"
                                              "- {{key:toggle-notes}} Show Notes\n"
                                              "- {{key:duplicate}} Duplicate\n"
                                              "- {{key:help-search}} Search Help\n"
                                              "## [basics] Basics\n"
                                              "- {{key:add-below}} Add Item Below\n"
                                              "- {{key:duplicate}} Copies the item to add below\n"
                                              "- {{key:duplicate}} Second description loses\n"
                                              "## [tree] Tree\n"
                                              "- {{key:duplicate}} Makes a twin\n"
                                              "- {{key:toggle-notes}} Reveals the annotations\n");

std::vector<Action> actionsOf(const std::vector<Command>& commands) {
    std::vector<Action> out;
    for (const auto& c : commands)
        out.push_back(c.action);
    return out;
}

const Command& commandFor(const std::vector<Command>& commands, Action action) {
    return *std::find_if(commands.begin(), commands.end(),
                         [&](const Command& c) { return c.action == action; });
}

} // namespace

TEST(CommandRegistryTables, EveryActionInOneSectionAndPaletteOrExcluded) {
    std::vector<Action> inSections;
    for (const auto& section : CR::sections())
        for (Action a : section.actions())
            inSections.push_back(a);
    std::vector<Action> palette(CR::notInPalette().begin(), CR::notInPalette().end());
    for (const auto& group : CR::paletteGroups())
        palette.insert(palette.end(), group.actions.begin(), group.actions.end());
    for (auto* list : {&inSections, &palette}) {
        std::sort(list->begin(), list->end());
        EXPECT_EQ(*list, std::vector<Action>(allActions().begin(), allActions().end()));
    }
    EXPECT_EQ(CR::sections().size(), 11u);
    EXPECT_EQ(CR::paletteGroups().size(), 8u);
    EXPECT_EQ(CR::notInPalette().size(), 13u);
    EXPECT_FALSE(CR::sections()[9].inMenu);
    EXPECT_EQ(CR::sections()[4].actions().back(), Action::label0);
}

TEST(CommandRegistryTables, PaletteGroupOfAnAction) {
    EXPECT_EQ(CR::paletteGroup(Action::commit), nullptr);
    ASSERT_NE(CR::paletteGroup(Action::label0), nullptr);
    EXPECT_EQ(CR::paletteGroup(Action::label0)->id, "labels");
    EXPECT_EQ(CR::paletteGroup(Action::jump)->id, "branches");
}

TEST(CommandRegistryCommands, TitlesAndDetailsFromTheHelpText) {
    auto commands = CR::commands(kHelp, EditorPreferences{});
    ASSERT_EQ(commands.size(), kActionCount);
    EXPECT_EQ(commands.front().action, Action::settings);
    const auto& undo = commandFor(commands, Action::undo);
    EXPECT_EQ(undo.title, "Undo");
    EXPECT_EQ(undo.sectionID, "edit");
    EXPECT_EQ(undo.glyph(), "\u2318Z");
    // A description equal to the title is no description; the first per section wins.
    EXPECT_TRUE(commandFor(commands, Action::addBelow).details.empty());
    EXPECT_EQ(commandFor(commands, Action::duplicate).details,
              (std::map<std::string, std::string>{{"basics", "Copies the item to add below"},
                                                  {"tree", "Makes a twin"}}));
    // Untitled actions fall back to their raw value; no chord means an empty glyph.
    const auto& archive = commandFor(commands, Action::archiveCompleted);
    EXPECT_EQ(archive.title, "archive-completed");
    EXPECT_EQ(archive.chord, std::nullopt);
    EXPECT_EQ(archive.glyph(), "");
}

TEST(CommandRegistryCommands, ChordsFollowThePreferences) {
    EditorPreferences prefs;
    prefs.tabIndents = false;
    auto commands = CR::commands(kHelp, prefs);
    EXPECT_EQ(commandFor(commands, Action::focusNext).glyph(), "\u21E5");
    EXPECT_EQ(commandFor(CR::commands(kHelp, {}), Action::focusNext).chord, std::nullopt);
}

TEST(CommandRegistryCommands, PaletteListsItsGroupsInOrder) {
    auto palette = CR::palette(kHelp, EditorPreferences{});
    ASSERT_EQ(palette.size(), 54u);
    std::vector<Action> expected;
    for (const auto& group : CR::paletteGroups())
        expected.insert(expected.end(), group.actions.begin(), group.actions.end());
    EXPECT_EQ(actionsOf(palette), expected);
    EXPECT_EQ(palette.front().title, "Add Item Below");
}

TEST(CommandRegistryCommands, MissingTitles) {
    EXPECT_EQ(CR::missingTitles(HelpDocument{}).size(), kActionCount);
    auto untitled = CR::commands(HelpCatalog::parse("## [other] x\n- {{key:undo}} Undo"), {});
    EXPECT_EQ(commandFor(untitled, Action::undo).title, "undo");
    auto missing = CR::missingTitles(kHelp);
    EXPECT_EQ(missing.size(), kActionCount - 7);
    EXPECT_EQ(missing.front(), Action::edit);
    EXPECT_EQ(std::count(missing.begin(), missing.end(), Action::undo), 0);
}

class CommandSearch : public testing::Test {
protected:
    std::vector<Command> palette = CR::palette(kHelp, EditorPreferences{});
};

TEST_F(CommandSearch, BlankQueryKeepsTheList) {
    EXPECT_EQ(CR::search(palette, ""), palette);
    EXPECT_EQ(CR::search(palette, " \t "), palette);
}

TEST_F(CommandSearch, TitlesStartingWithTheWordComeFirst) {
    auto hits = actionsOf(CR::search(palette, "add"));
    // "Add …" titles first, then titles merely containing "add", each band in palette order;
    // "import-backup" and the like hold "add" nowhere.
    ASSERT_GE(hits.size(), 3u);
    EXPECT_EQ(hits[0], Action::addBelow);
    EXPECT_EQ(hits[1], Action::addAbove);
    // "add-child" is titled "New Child": its raw value is not searched, so it does not match.
    EXPECT_EQ(std::count(hits.begin(), hits.end(), Action::addChild), 0);
    // Titled by raw value: "add-child-expand", "add-aunt" start with "add" too.
    EXPECT_EQ(hits[2], Action::addChildExpand);
    EXPECT_EQ(hits[3], Action::addAunt);
    // "duplicate" matches only through its description "Copies the item to add below".
    EXPECT_EQ(hits.back(), Action::duplicate);
}

TEST_F(CommandSearch, RankBands) {
    // Rank 1: every word in the title, the first not at its start.
    // Rank 2: the second word only in a description.
    auto hits = CR::search(palette, "item below");
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[0].action, Action::addBelow);
    EXPECT_EQ(hits[1].action, Action::duplicate);
    auto notes = CR::search(palette, "show annotations");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].action, Action::toggleNotes);
    EXPECT_TRUE(CR::search(palette, "show nowhere").empty());
}

TEST_F(CommandSearch, ShortcutTypedOutRanksFirst) {
    for (std::string query : {"\u21E7 \u2318 p", "\u21E7\u2318P", " \u21E7 \u2318  P "}) {
        auto hits = CR::search(CR::commands(kHelp, {}), query);
        ASSERT_FALSE(hits.empty()) << query;
        EXPECT_EQ(hits.front().action, Action::commandPalette) << query;
    }
    // The Linux names of the keys match too, with the modifiers in any order.
    for (std::string query : {"ctrl+d", "Ctrl D", "ctrl+shift+/", "shift ctrl /", "meta+ctrl+s"}) {
        auto hits = CR::search(palette, query);
        ASSERT_FALSE(hits.empty()) << query;
        EXPECT_NE(hits.front().chord, std::nullopt) << query;
    }
    EXPECT_EQ(CR::search(palette, "ctrl+d").front().action, Action::duplicate);
    EXPECT_EQ(CR::search(palette, "meta ctrl s").front().action, Action::toggleLibrary);
    EXPECT_TRUE(CR::search(palette, "ctrl+ctrl+d").empty());
    EXPECT_TRUE(CR::search(palette, "alt+d").empty());
}

TEST(CommandRegistryRecent, NewestFirstWithoutRepeatsAtMostThree) {
    using A = Action;
    EXPECT_EQ(CR::recordRecent(A::undo, {}), (std::vector<A>{A::undo}));
    EXPECT_EQ(CR::recordRecent(A::undo, {A::undo, A::redo}), (std::vector<A>{A::undo, A::redo}));
    EXPECT_EQ(CR::recordRecent(A::redo, {A::undo, A::redo, A::jump}),
              (std::vector<A>{A::redo, A::undo, A::jump}));
    EXPECT_EQ(CR::recordRecent(A::settings, {A::undo, A::redo, A::jump}),
              (std::vector<A>{A::settings, A::undo, A::redo}));
}
