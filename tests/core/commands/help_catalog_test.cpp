#include "core/commands/help_catalog.hpp"

#include <gtest/gtest.h>

using namespace velmora;

namespace {

HelpBlock para(std::string text) {
    return HelpBlock::paragraph(std::move(text));
}
HelpBlock key(Action action, std::string text) {
    return HelpBlock::key(action, std::move(text));
}

} // namespace

TEST(HelpCatalogParse, SectionsParagraphsAndKeyLines) {
    auto doc = HelpCatalog::parse("## [keys-list]  Keys \t\n"
                                  "First line\n"
                                  "  second line  \n"
                                  "- {{key:nav-down}} Selects the item below\n"
                                  "\n"
                                  "## [guide]Guide\n"
                                  "Only text\n");
    ASSERT_EQ(doc.sections.size(), 2u);
    EXPECT_EQ(doc.sections[0], (HelpSection{"keys-list",
                                            "Keys",
                                            {para("First line second line"),
                                             key(Action::navDown, "Selects the item below")}}));
    EXPECT_EQ(doc.sections[1], (HelpSection{"guide", "Guide", {para("Only text")}}));
}

TEST(HelpCatalogParse, TrickyKeyLines) {
    auto doc = HelpCatalog::parse("## [s] S\n"
                                  "- {{key:undo} Single brace\n"
                                  "- {{key:no-such-action}} Unknown\n"
                                  "- {{key:redo\n"
                                  "\t- {{key:redo}}}  Extra brace  \n"
                                  "- {{key:label-0}}\n");
    ASSERT_EQ(doc.sections.size(), 1u);
    EXPECT_EQ(doc.sections[0].blocks, (std::vector<HelpBlock>{
                                          key(Action::undo, "Single brace"),
                                          // Lines that name no action are text, braces and all.
                                          para("- {{key:no-such-action}} Unknown - {{key:redo"),
                                          // Only one more closing brace is dropped.
                                          key(Action::redo, "}  Extra brace"),
                                          key(Action::label0, ""),
                                      }));
}

TEST(HelpCatalogParse, DropsTextOutsideSections) {
    auto doc = HelpCatalog::parse("Intro before any heading\n"
                                  "- {{key:undo}} Undo\n"
                                  "## [first] First\n"
                                  "kept\n"
                                  "## [broken heading without bracket\n"
                                  "dropped\n"
                                  "- {{key:redo}} dropped too\n"
                                  "## [second] Second\n"
                                  "\n\n\n"
                                  "kept too");
    EXPECT_EQ(doc.sectionIDs(), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(doc.sections[0].blocks, (std::vector<HelpBlock>{para("kept")}));
    EXPECT_EQ(doc.sections[1].blocks, (std::vector<HelpBlock>{para("kept too")}));
}

TEST(HelpCatalogParse, HeadingIdIsNotTrimmedAndEmptyTitleIsAllowed) {
    auto doc = HelpCatalog::parse("## [ spaced ]\n## []x");
    EXPECT_EQ(doc.sectionIDs(), (std::vector<std::string>{" spaced ", ""}));
    EXPECT_EQ(doc.sections[0].title, "");
    EXPECT_EQ(doc.sections[1].title, "x");
    EXPECT_TRUE(HelpCatalog::parse("").sections.empty());
}

TEST(HelpDocument, LookupsAndReferencedActions) {
    auto doc = HelpCatalog::parse("## [a] A\n- {{key:undo}} One\ntext\n- {{key:redo}} Two\n"
                                  "## [a] Again\n- {{key:jump}} Three\n");
    ASSERT_NE(doc.section("a"), nullptr);
    EXPECT_EQ(doc.section("a")->title, "A");
    EXPECT_EQ(doc.section("missing"), nullptr);
    EXPECT_EQ(doc.section("a")->keyRows(), (std::vector<std::pair<Action, std::string>>{
                                               {Action::undo, "One"}, {Action::redo, "Two"}}));
    EXPECT_EQ(doc.referencedActions(),
              (std::set<Action>{Action::undo, Action::redo, Action::jump}));
}

class HelpSearch : public testing::Test {
protected:
    HelpDocument doc = HelpCatalog::parse("## [keys] Keys\n"
                                          "Everything about the Café.\n"
                                          "\n"
                                          "- {{key:undo}} Takes back the last change\n"
                                          "- {{key:archive-completed}} Moves done items\n"
                                          "## [more] More keys\n"
                                          "- {{key:redo}} Does it again\n");
};

TEST_F(HelpSearch, EveryWordMustMatchTitleTextOrShortcut) {
    auto hits = HelpCatalog::search(doc, "  CAFE  ");
    ASSERT_EQ(hits.size(), 1u);
    EXPECT_EQ(hits[0], (HelpHit{"keys", "Keys", "Everything about the Café.", std::nullopt}));
    // The section title counts for every block in it.
    EXPECT_EQ(HelpCatalog::search(doc, "more again").size(), 1u);
    EXPECT_TRUE(HelpCatalog::search(doc, "more café").empty());
    EXPECT_EQ(HelpCatalog::search(doc, "keys").size(), 4u);
}

TEST_F(HelpSearch, FindsKeyLinesByShortcutGlyph) {
    auto hits = HelpCatalog::search(doc, "\u2318z");
    ASSERT_GE(hits.size(), 1u);
    EXPECT_EQ(hits[0].action, Action::undo);
    EXPECT_EQ(hits[0].text, "Takes back the last change");
    // Without a chord the shortcut text is an em dash.
    auto dash = HelpCatalog::search(doc, "\u2014");
    ASSERT_EQ(dash.size(), 1u);
    EXPECT_EQ(dash[0].action, Action::archiveCompleted);
}

TEST_F(HelpSearch, FindsKeyLinesByTheLinuxKeyNames) {
    // Words anywhere in the shortcut, as with any other text: Ctrl+Shift+Z holds them too.
    for (const char* query : {"ctrl z", "z ctrl"}) {
        auto hits = HelpCatalog::search(doc, query);
        ASSERT_EQ(hits.size(), 2u) << query;
        EXPECT_EQ(hits[0].action, Action::undo) << query;
        EXPECT_EQ(hits[1].action, Action::redo) << query;
    }
    auto undo = HelpCatalog::search(doc, "Ctrl+Z");
    ASSERT_EQ(undo.size(), 1u);
    EXPECT_EQ(undo[0].action, Action::undo);
    auto redo = HelpCatalog::search(doc, "ctrl+shift+z");
    ASSERT_EQ(redo.size(), 1u);
    EXPECT_EQ(redo[0].action, Action::redo);
}

TEST(HelpCatalogSearch, ShortcutsFollowThePreferences) {
    const HelpDocument doc = HelpCatalog::parse("## [k] Keys\n- {{key:focus-next}} Next\n");
    EditorPreferences tabMovesFocus;
    tabMovesFocus.tabIndents = false;
    EXPECT_TRUE(HelpCatalog::search(doc, "tab").empty());
    EXPECT_EQ(HelpCatalog::search(doc, "tab", tabMovesFocus).size(), 1u);
}

TEST_F(HelpSearch, EmptyQueryOrDocumentFindsNothing) {
    EXPECT_TRUE(HelpCatalog::search(doc, "").empty());
    EXPECT_TRUE(HelpCatalog::search(doc, " \t\n").empty());
    EXPECT_TRUE(HelpCatalog::search(HelpDocument{}, "undo").empty());
}

TEST(HelpCatalog, TokensSplitAtAnyWhiteSpace) {
    EXPECT_EQ(HelpCatalog::tokens(" Add\u00A0ITEM\tbelow\u3000x "),
              (std::vector<std::string>{"add", "item", "below", "x"}));
    EXPECT_TRUE(HelpCatalog::tokens("\n \t").empty());
}
