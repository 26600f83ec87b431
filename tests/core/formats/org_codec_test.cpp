#include "core/formats/org_codec.hpp"

#include "format_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

// One line per item: indentation by depth, "[x]" when checked, the id in "#…#" when it is not
// one the counter made, the text and the note with line breaks shown as "|".
std::string shape(const ItemList& items, bool ids = false) {
    std::string out;
    std::vector<std::pair<const ItemList*, std::size_t>> stack{{&items, 0}};
    while (!stack.empty()) {
        auto& [list, next] = stack.back();
        if (next == list->size()) {
            stack.pop_back();
            continue;
        }
        const Item& entry = (*list)[next++];
        std::string line(2 * (stack.size() - 1), ' ');
        line += entry.checked ? "[x] " : "";
        if (ids)
            line += "#" + entry.id + "# ";
        line += entry.text;
        if (!entry.note.empty())
            line += " {" + entry.note + "}";
        for (char& c : line)
            if (c == '\n')
                c = '|';
        out += line + "\n";
        if (!entry.children.empty())
            stack.push_back({&entry.children, 0});
    }
    return out;
}

std::string readShape(std::string_view org, bool ids = false) {
    auto document = OrgCodec::decode(org, "file", counter());
    EXPECT_TRUE(document.ok());
    return document.ok() ? shape(document.value().items, ids) : std::string();
}

Item item(std::string id, std::string text, ItemList children = {}) {
    Item made = Item::blank(std::move(id), std::move(text));
    made.children = std::move(children);
    return made;
}

Item noted(std::string id, std::string text, std::string note, ItemList children = {}) {
    Item made = item(std::move(id), std::move(text), std::move(children));
    made.note = std::move(note);
    return made;
}

} // namespace

// --- Writing ---------------------------------------------------------------------------------

TEST(OrgWriter, WritesStarsDoneKeywordsIdDrawersAndNotes) {
    Item done = item("p1", "Passport");
    done.checked = true;
    ItemList items{item("t1", "Trip", {done, noted("k1", "Tickets", "Two lines\nof note")}),
                   item("h1", "Home")};
    EXPECT_EQ(OrgCodec::encode("Plans", items), "#+TITLE: Plans\n"
                                                "* Trip\n"
                                                ":PROPERTIES:\n:ID: t1\n:END:\n"
                                                "** DONE Passport\n"
                                                ":PROPERTIES:\n:ID: p1\n:END:\n"
                                                "** Tickets\n"
                                                ":PROPERTIES:\n:ID: k1\n:END:\n"
                                                "Two lines\nof note\n"
                                                "* Home\n"
                                                ":PROPERTIES:\n:ID: h1\n:END:\n");
    EXPECT_EQ(OrgCodec::encode("", items, {.ids = false}), "#+TITLE:\n"
                                                           "* Trip\n"
                                                           "** DONE Passport\n"
                                                           "** Tickets\n"
                                                           "Two lines\nof note\n"
                                                           "* Home\n");
}

TEST(OrgWriter, EscapesWhatWouldOtherwiseReadAsOrgSyntax) {
    ItemList items{
        noted("a", "TODO is a word here", "* not a headline\n,* already escaped\n#+TODO: A | B"),
        item("b", "[#B] not a priority"), item("c", "ends like tags :x:"),
        item("d", "[[http://x][not a link]]"),
        noted("e", "Block", "#+BEGIN_SRC org\n* inside stays\n#+END_SRC\n#+BEGIN_QUOTE\n* open")};
    EXPECT_EQ(OrgCodec::encode("", items, {.ids = false}),
              "#+TITLE:\n"
              "* TODO TODO is a word here\n"
              ",* not a headline\n,,* already escaped\n,#+TODO: A | B\n"
              "* [#A] [#B] not a priority\n"
              "* ends like tags :x:\xC2\xA0\n"
              "* [\xE2\x80\x8B[http://x][not a link]]\n"
              "* Block\n"
              "#+BEGIN_SRC org\n* inside stays\n#+END_SRC\n,#+BEGIN_QUOTE\n,* open\n");
}

TEST(OrgWriter, PutsTheIdIntoTheNotesOwnDrawerAfterItsPlanningLine) {
    Item scheduled = noted("s1", "Call\nback later",
                           "SCHEDULED: <2026-03-07 Sat>\n:PROPERTIES:\n:EFFORT: 1:00\n:END:\nText");
    EXPECT_EQ(OrgCodec::encode("", {scheduled}), "#+TITLE:\n"
                                                 "* Call\n"
                                                 "SCHEDULED: <2026-03-07 Sat>\n"
                                                 ":PROPERTIES:\n"
                                                 ":ID: s1\n"
                                                 ":TITLE_LINE: back later\n"
                                                 ":EFFORT: 1:00\n"
                                                 ":END:\n"
                                                 "Text\n");
}

// --- Round trip ------------------------------------------------------------------------------

TEST(OrgCodec, ReadingWhatWasWrittenGivesTheSameTitlesNotesChecksNestingAndIds) {
    Item checked = noted("c-1", "Zoë's \"list\" & <more> \xF0\x9F\x9A\x80", "*inline* `code`");
    checked.checked = true;
    Item doneWord = item("c-2", "DONE twice");
    doneWord.checked = true;
    ItemList items{
        item("top", "Top",
             {checked, doneWord, item("ml", "Multi\n  line\n\ntitle"),
              item("deeper", "Deeper",
                   {noted("leaf", "Leaf", "para one\n\npara two\n\tindented")})}),
        item("kw", "TODO looks like a keyword"),
        item("pri", "[#A] looks like a priority"),
        item("tags", ":just:tags:"),
        item("tags2", "nbsp after tags :a:\xC2\xA0"),
        item("link", "[[https://x][text]] and [\xE2\x80\x8B[kept]]"),
        item("brackets", "[[[", {item("empty", "")}),
        noted("escapes", "Note escapes",
              "* star\n,* comma star\n,,** two commas\n#+TODO: X\n#+begin_example\n* in\n"
              "#+end_example\n#+BEGIN_SRC\nno end"),
        noted("drawer", "Drawer", "DEADLINE: <2026-01-01>\n:PROPERTIES:\n:OTHER: x\n:END:\nbody"),
        noted("empty-drawer", "Empty drawer", ":PROPERTIES:\n:END:\nrest"),
        noted("logbook", "Logbook", ":LOGBOOK:\n- State \"DONE\"\n:END:"),
        item("tab", "tab\tinside"),
        item("stars", "* starts with a star"),
    };
    for (bool ids : {true, false}) {
        std::string written = OrgCodec::encode("Title", items, {.ids = ids});
        auto back = OrgCodec::decode(written, "file", counter());
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.value().title, "Title");
        EXPECT_EQ(shape(back.value().items, ids), shape(items, ids)) << written;
        EXPECT_EQ(OrgCodec::encode("Title", back.value().items, {.ids = ids}), written);
    }
}

TEST(OrgCodec, RichItemKeepsItsTextsExceptCarriageReturns) {
    Item rich = richItem("r", {richItem("s")});
    auto back = OrgCodec::decode(OrgCodec::encode("T", {rich}), "", counter());
    ASSERT_TRUE(back.ok());
    const Item& read = back.value().items.front();
    EXPECT_EQ(read.id, "r");
    EXPECT_EQ(read.text, rich.text);
    EXPECT_EQ(read.note, "Line one\nline two \u2028 \xE2\x80\x94 end");
    EXPECT_TRUE(read.checked);
    EXPECT_EQ(read.children.front().id, "s");
    EXPECT_EQ(read.children.front().text, rich.text);
}

TEST(OrgCodec, EmptyDocumentsStayEmpty) {
    for (const char* title : {"", "Named"}) {
        auto back = OrgCodec::decode(OrgCodec::encode(title, {}), "file", counter());
        ASSERT_TRUE(back.ok());
        EXPECT_TRUE(back.value().items.empty()) << title;
    }
}

// --- Reading real-world files ----------------------------------------------------------------

struct ReadCase {
    const char* name;
    const char* org;
    const char* shape;
};

class OrgReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(OrgReader, ReadsTheShape) {
    EXPECT_EQ(readShape(GetParam().org), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, OrgReader,
    ::testing::Values(
        ReadCase{"LevelsAndSkippedLevels", "* a\n*** c\n** b\n* d\n", "a\n  c\n  b\nd\n"},
        ReadCase{"DefaultKeywords", "* TODO open\n* DONE done\n* WAIT undeclared\n",
                 "open\n[x] done\nWAIT undeclared\n"},
        ReadCase{"DeclaredKeywordsWithBar",
                 "#+TODO: TODO(t) WAIT(w@/!) | DONE(d!) CANCELED(c@)\n"
                 "* WAIT a\n* CANCELED b\n* DONE c\n* TODO d\n",
                 "file {#+TODO: TODO(t) WAIT(w@/!) | DONE(d!) CANCELED(c@)}\na\n[x] b\n[x] c\nd\n"},
        ReadCase{"SequenceWithoutBarEndsInItsDoneKind",
                 "* x\n#+SEQ_TODO: OPEN NEXT CLOSED\n#+TYP_TODO: Fred Sara | GONE\n"
                 "* NEXT a\n* CLOSED b\n* Sara c\n* GONE d\n* TODO e\n",
                 "x {#+SEQ_TODO: OPEN NEXT CLOSED|#+TYP_TODO: Fred Sara | GONE}\na\n[x] b\nc\n"
                 "[x] d\nTODO e\n"},
        ReadCase{
            "PriorityTagsAndLinks",
            "** TODO [#A] Call [[https://x.org][the office]] about [[file:a.org]] :work:urgent:\n",
            "Call the office about file:a.org\n"},
        ReadCase{"KeywordNeedsABlankAfterIt", "* TODOS list\n* DONE\n", "TODOS list\n[x] \n"},
        ReadCase{"SectionsWithPlanningDrawersListsAndTables",
                 "* a\nSCHEDULED: <2026-03-07 Sat>\n:LOGBOOK:\nCLOCK: x\n:END:\n- one\n"
                 "| x | y |\n\n* b\n",
                 "a {SCHEDULED: <2026-03-07 Sat>|:LOGBOOK:|CLOCK: x|:END:|- one|| x | y |}\nb\n"},
        ReadCase{"StarsInsideBlocksAreText",
                 "* a\n#+BEGIN_SRC org\n* not a headline\n,* escaped\n#+END_SRC\n"
                 "#+begin_example\n** nor this\n#+end_example\n* b\n",
                 "a {#+BEGIN_SRC org|* not a headline|,* escaped|#+END_SRC|#+begin_example|"
                 "** nor this|#+end_example}\nb\n"},
        ReadCase{"UnclosedBlockIsText", "* a\n#+BEGIN_SRC\n* b\n", "a {#+BEGIN_SRC}\nb\n"},
        ReadCase{"TextBeforeTheFirstHeadline",
                 "#+TITLE: Plans\n#+STARTUP: overview\n\nIntro text\n* a\n",
                 "Plans {#+STARTUP: overview||Intro text}\na\n"},
        ReadCase{"NoHeadlineIsOneItem", "just text\nand more\n", "file {just text|and more}\n"},
        ReadCase{"EmptyFileIsOneEmptyItem", "", "file\n"},
        ReadCase{"ByteOrderMarkMixedLineEndsAndTabs", "\xEF\xBB\xBF* a\r\n**\tb\r*** c\nnote\r\n",
                 "a\n  b\n    c {note}\n"},
        ReadCase{"BoldIsNoHeadline", "* a\n*bold* text\n**also** text\n",
                 "a {*bold* text|**also** text}\n"},
        ReadCase{"CommasBeforeHeadlinesOutsideBlocks", "* a\n,* b\n,,* c\n,plain\n",
                 "a {* b|,* c|,plain}\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(OrgReader, TakesValidUniqueIdsFromThePropertyDrawer) {
    EXPECT_EQ(readShape("* a\n:PROPERTIES:\n:ID: 9f2c\n:END:\n"
                        "* b\n:properties:\n:id:   9f2c\n:CUSTOM_ID: x\n:end:\n"
                        "* c\nSCHEDULED: <x>\n:PROPERTIES:\n:ID: has space\n:END:\n"
                        "* d\n\n:PROPERTIES:\n:ID: late\n:END:\n"
                        "* e\n:PROPERTIES:\n:ID: e-1\n:Effort: 2\n:END:\n",
                        true),
              "#9f2c# a\n"
              "#n2# b {:properties:|:id:   9f2c|:CUSTOM_ID: x|:end:}\n"
              "#n3# c {SCHEDULED: <x>|:PROPERTIES:|:ID: has space|:END:}\n"
              "#n4# d {:PROPERTIES:|:ID: late|:END:}\n"
              "#e-1# e {:PROPERTIES:|:Effort: 2|:END:}\n");
}

TEST(OrgReader, NamesTheDocumentByItsTitleOrTheFile) {
    auto titled = OrgCodec::decode("#+title: First\n#+TITLE: Second\n* a\n", "file", counter());
    ASSERT_TRUE(titled.ok());
    EXPECT_EQ(titled.value().title, "First Second");
    EXPECT_EQ(titled.value().id, "n1");
    auto untitled = OrgCodec::decode("* a\n#+TITLE: late\n", "file", counter());
    ASSERT_TRUE(untitled.ok());
    EXPECT_EQ(untitled.value().title, "file");
}

struct ErrorCase {
    const char* name;
    std::string org;
    OrgError error;
    const char* key;
};

class OrgReaderErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(OrgReaderErrors, RefusesWithTheLine) {
    auto read = OrgCodec::decode(GetParam().org, "", counter());
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error(), GetParam().error);
    EXPECT_EQ(read.error().catalogKey(), GetParam().key);
}

std::string tooDeep() {
    std::string text;
    for (int depth = 0; depth <= kMaxItemDepth + 1; ++depth)
        text += std::string(static_cast<std::size_t>(depth + 1), '*') + " x\n";
    return text;
}

INSTANTIATE_TEST_SUITE_P(Errors, OrgReaderErrors,
                         ::testing::Values(ErrorCase{"Latin1",
                                                     "* a\n* caf\xE9\n",
                                                     {OrgError::Kind::encoding, 2},
                                                     "org.error.encoding %lld"},
                                           ErrorCase{"Truncated",
                                                     "* a\r\n\r\n* \xE2\x82",
                                                     {OrgError::Kind::encoding, 3},
                                                     "org.error.encoding %lld"},
                                           ErrorCase{"Binary",
                                                     std::string("* a\n\n\n\0* b", 9),
                                                     {OrgError::Kind::binary, 4},
                                                     "org.error.binary %lld"},
                                           ErrorCase{"DeeperThanTheLimit",
                                                     tooDeep(),
                                                     {OrgError::Kind::tooDeep, kMaxItemDepth + 2},
                                                     "org.error.tooDeep %lld"}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(OrgReader, ReadsTheDeepestItemTheCoreAllows) {
    std::string text;
    for (int depth = 0; depth <= kMaxItemDepth; ++depth)
        text += std::string(static_cast<std::size_t>(depth + 1), '*') + " x\n";
    auto read = OrgCodec::decode(text, "", counter());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(chainDepth(read.value().items), kMaxItemDepth);
}

TEST(OrgReader, LooksLikeOrgOnlyWithHeadlinesThatAreNoPlainBullets) {
    EXPECT_TRUE(OrgCodec::looksLikeOrg("* Inbox\n** TODO call"));
    EXPECT_TRUE(OrgCodec::looksLikeOrg("* DONE shop"));
    EXPECT_TRUE(OrgCodec::looksLikeOrg("#+TITLE: x\n* a"));
    EXPECT_FALSE(OrgCodec::looksLikeOrg("* milk\n* eggs"));
    EXPECT_FALSE(OrgCodec::looksLikeOrg("- a\n  - b"));
    EXPECT_FALSE(OrgCodec::looksLikeOrg("**bold** words"));
}
