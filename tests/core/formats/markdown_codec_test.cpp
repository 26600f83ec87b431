#include "core/formats/markdown_codec.hpp"

#include "format_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

// One line per item: indentation by depth, "[x]" when checked, "B" when bold, the text and
// the note with their line breaks shown as "|".
std::string shape(const ItemList& items) {
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
        line += entry.bold ? "B " : "";
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

std::string readShape(std::string_view markdown) {
    auto document = MarkdownCodec::decode(markdown, "Imported", counter());
    EXPECT_TRUE(document.ok());
    return document.ok() ? shape(document.value().items) : std::string();
}

Item item(std::string text, ItemList children = {}) {
    Item made = Item::blank("x", std::move(text));
    made.children = std::move(children);
    return made;
}

Item noted(std::string text, std::string note, ItemList children = {}) {
    Item made = item(std::move(text), std::move(children));
    made.note = std::move(note);
    return made;
}

} // namespace

// --- Writing ---------------------------------------------------------------------------------

TEST(MarkdownWriter, WritesANestedListWithTaskMarkersAndNotesAsParagraphs) {
    Item done = item("Passport");
    done.checked = true;
    Item bold = noted("Tickets", "Two lines\nof note");
    bold.bold = true;
    ItemList items{item("Trip", {done, bold, item("Hotel")}), item("Home")};
    EXPECT_EQ(MarkdownCodec::encode(items, {.taskMarkers = true}), "- [ ] Trip\n"
                                                                   "  - [x] Passport\n"
                                                                   "  - [ ] **Tickets**\n"
                                                                   "\n"
                                                                   "    Two lines\n"
                                                                   "    of note\n"
                                                                   "\n"
                                                                   "  - [ ] Hotel\n"
                                                                   "- [ ] Home\n");
    EXPECT_EQ(MarkdownCodec::encode(items, {.taskMarkers = false}),
              "- Trip\n  - [x] Passport\n  - **Tickets**\n\n    Two lines\n    of note\n\n"
              "  - Hotel\n- Home\n");
    EXPECT_EQ(MarkdownCodec::encode({}), "");
}

TEST(MarkdownWriter, CodeBlocksInNotesStayAsWrittenWhenTheirFenceCloses) {
    ItemList items{noted("Script", "Run:\n```sh\n- not escaped\n\n# inside\n```\n```\n- open")};
    EXPECT_EQ(MarkdownCodec::encode(items, {.taskMarkers = false}), "- Script\n"
                                                                    "\n"
                                                                    "  Run:\n"
                                                                    "  ```sh\n"
                                                                    "  - not escaped\n"
                                                                    "\n"
                                                                    "  # inside\n"
                                                                    "  ```\n"
                                                                    "  \\```\n"
                                                                    "  \\- open\n");
}

TEST(MarkdownWriter, EscapesWhatWouldOtherwiseReadAsMarkup) {
    ItemList items{item("[x] not a task"), item("**not bold**"),
                   noted("Title\n- not a child", "- not a child\n# nor a heading\n> nor a quote")};
    EXPECT_EQ(MarkdownCodec::encode(items, {.taskMarkers = false}), "- \\[x] not a task\n"
                                                                    "- \\**not bold**\n"
                                                                    "- Title\\\n"
                                                                    "  \\- not a child\n"
                                                                    "\n"
                                                                    "  \\- not a child\n"
                                                                    "  \\# nor a heading\n"
                                                                    "  \\> nor a quote\n");
}

TEST(MarkdownWriter, EscapesIndentedNoteLinesThatWouldStartABlock) {
    ItemList items{noted("Plan", "Steps:\n  - sub point\n   # not a heading\n\t1. nor a list")};
    EXPECT_EQ(MarkdownCodec::encode(items, {.taskMarkers = false}), "- Plan\n"
                                                                    "\n"
                                                                    "  Steps:\n"
                                                                    "    \\- sub point\n"
                                                                    "     \\# not a heading\n"
                                                                    "  \t\\1. nor a list\n");
}

TEST(MarkdownWriter, ALongerFenceClosesACodeBlockWrittenAsItIs) {
    ItemList items{noted("Code", "```\n- inside\n`````\n- after")};
    EXPECT_EQ(MarkdownCodec::encode(items, {.taskMarkers = false}), "- Code\n"
                                                                    "\n"
                                                                    "  ```\n"
                                                                    "  - inside\n"
                                                                    "  `````\n"
                                                                    "  \\- after\n");
}

TEST(MarkdownWriter, BreaksATitleLineEndingInABackslashWithTwoBlanks) {
    ItemList items{item("a\\\nb"), item("c\\\\\nd"), item("e\\ \nf")};
    EXPECT_EQ(MarkdownCodec::encode(items, {.taskMarkers = false}), "- a\\  \n"
                                                                    "  b\n"
                                                                    "- c\\\\\\\n"
                                                                    "  d\n"
                                                                    "- e\\ \\\n"
                                                                    "  f\n");
}

// --- Round trip ------------------------------------------------------------------------------

TEST(MarkdownCodec, ImportOfTheExportGivesBackTreeTextsNotesChecksAndBold) {
    Item checked = noted("Zoë's \"list\" & <more> \xF0\x9F\x9A\x80", "Note with *inline* `code`");
    checked.checked = true;
    Item boldTwoLines = item("Bold\nacross lines");
    boldTwoLines.bold = true;
    ItemList items{
        item("Top", {checked, boldTwoLines,
                     item("Deeper", {noted("Leaf", "para one\n\npara two\n    indented code")})}),
        item("[ ] literal brackets"),
        item("\\[x] backslash first"),
        item("\\plain backslash"),
        item("**not bold**"),
        noted("Line\n1. numbered-looking\n\n# empty line above", "- dash\n## hash\n```\n---\n***"),
        item("dash pieces\n-\n--\n-"),
        noted("Code", "~~~~ c\n  - x\n\n~~~\n~~~~~\nafter"),
        item("ends with a backslash\\", {item("child")}),
        item(""),
        item("tab\tinside"),
        item("--"),
        item("---", {item("- -")}),
        noted("a\\\nb", "c"),
        item("odd run\\\\\\\nx\\\ny\\\\\nz"),
        item("\\\n\\\\"),
        item("blank after\\ \nand before\n  \\\nlast"),
        noted("Notes", "Steps:\n  - sub point\n    1. deeper\n   # not a heading\n\t> nor a quote"),
        noted("Longer fence", "```\n- inside\n````\n- after\n~~~~\n~~~\n# still code\n~~~~~"),
    };
    for (bool markers : {true, false}) {
        std::string written = MarkdownCodec::encode(items, {.taskMarkers = markers});
        auto back = MarkdownCodec::decode(written, "Imported", counter());
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(shape(back.value().items), shape(items)) << written;
        EXPECT_EQ(MarkdownCodec::encode(back.value().items, {.taskMarkers = markers}), written);
    }
}

TEST(MarkdownCodec, RichItemKeepsItsTextsExceptCarriageReturns) {
    Item rich = richItem("r", {richItem("s")});
    auto back = MarkdownCodec::decode(MarkdownCodec::encode({rich}), "", counter());
    ASSERT_TRUE(back.ok());
    const Item& read = back.value().items.front();
    EXPECT_EQ(read.text, rich.text);
    EXPECT_EQ(read.note, "Line one\nline two \u2028 \xE2\x80\x94 end");
    EXPECT_TRUE(read.checked);
    EXPECT_TRUE(read.bold);
    EXPECT_EQ(read.children.front().text, rich.text);
}

// --- Reading real-world lists ----------------------------------------------------------------

struct ReadCase {
    const char* name;
    const char* markdown;
    const char* shape;
};

class MarkdownReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(MarkdownReader, ReadsTheShape) {
    EXPECT_EQ(readShape(GetParam().markdown), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, MarkdownReader,
    ::testing::Values(
        ReadCase{"MixedMarkers", "* a\n  + b\n    - c\n* d\n", "a\n  b\n    c\nd\n"},
        ReadCase{"TabsAndFourBlanks", "- a\n\t- b\n\t\t- c\n    - d\n", "a\n  b\n    c\n  d\n"},
        ReadCase{"NumberedWithParenthesis", "1. one\n2) two\n   1. inner\n10. ten\n",
                 "one\ntwo\n  inner\nten\n"},
        ReadCase{"OneBlankIndentIsEnough", "- a\n - b\n  - c\n - d\n", "a\n  b\n    c\n  d\n"},
        ReadCase{"LooseListWithBlankLines", "- a\n\n- b\n\n  text of b\n\n  more\n\n- c\n",
                 "a\nb {text of b||more}\nc\n"},
        ReadCase{"TaskMarkers", "- [ ] open\n- [x] done\n- [X] Done\n- [y] other\n- []\n",
                 "open\n[x] done\n[x] Done\n[y] other\n[]\n"},
        ReadCase{"HeadingsWithListsBelow",
                 "# Trip\nIntro\n\n- pack\n  - socks\n\n## Days\n### Monday\n- walk\n# Home ##\n",
                 "Trip {Intro}\n  pack\n    socks\n  Days\n    Monday\n      walk\nHome\n"},
        ReadCase{"SkippedHeadingLevel", "# A\n### C\n## B\n", "A\n  C\n  B\n"},
        ReadCase{"NotesFromContinuationAndQuotes",
                 "- a\n  continued\n- b\n  > quoted\n  > twice\n- c\nlazy line\n",
                 "a {continued}\nb {quoted|twice}\nc {lazy line}\n"},
        ReadCase{"NoteAfterChildrenEndsThem", "- a\n  - child\n\n  back in a\n  - second\n",
                 "a {back in a}\n  child\n  second\n"},
        ReadCase{"FencedCodeStaysInTheNote",
                 "- a\n\n  ```\n  - not an item\n\n  # nor this\n  ```\n",
                 "a {```|- not an item||# nor this|```}\n"},
        ReadCase{"BoldTitlesOnlyWhenWhole", "- **whole**\n- **part** of it\n- **a** and **b**\n",
                 "B whole\n**part** of it\n**a** and **b**\n"},
        ReadCase{"InlineMarkdownStaysAsWritten", "- see [site](http://x) and *this*\n",
                 "see [site](http://x) and *this*\n"},
        ReadCase{"ParagraphsWithoutAListBecomeItems", "Shopping:\n- milk\n\nAnother\nline\n",
                 "Shopping:\n  milk\nAnother {line}\n"},
        ReadCase{"RulesAndUnderlinesCarryNoText", "- a\n\n---\n\n* * *\n- b\n===\n", "a\nb\n"},
        ReadCase{"ClosingHashesOnlyAfterABlank", "# Learn C#\n## Tags ##\n## F#\n# C# #\n",
                 "Learn C#\n  Tags\n  F#\nC#\n"},
        ReadCase{"ALongerFenceClosesTheCodeBlock", "- a\n\n  ```\n  - code\n  `````\n- b\n",
                 "a {```|- code|`````}\nb\n"},
        ReadCase{"AShorterFenceDoesNot", "- a\n\n  ~~~~\n  ~~~\n  - code\n  ~~~~\n- b\n",
                 "a {~~~~|~~~|- code|~~~~}\nb\n"},
        ReadCase{"AnEscapedBackslashEndsNoTitleLine", "- a\\\\\n  b\n- c\\\\\\\n  d\n- e\\\n  f\n",
                 "a\\\\ {b}\nc\\\\|d\ne|f\n"},
        ReadCase{"TwoBlanksBreakATitleLineEndingInABackslash",
                 "- a\\  \n  b\n- c  \n  d\n- e\\ \n  f\n", "a\\|b\nc {d}\ne\\ {f}\n"},
        ReadCase{"CarriageReturnsAndByteOrderMark", "\xEF\xBB\xBF- a\r\n  - b\r- c", "a\n  b\nc\n"},
        ReadCase{"EmptyText", "", ""}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(MarkdownReader, RefusesBytesThatAreNoText) {
    auto encoding = MarkdownCodec::decode("- a\n- b\n- \xC3(\n", "", counter());
    ASSERT_FALSE(encoding.ok());
    EXPECT_EQ(encoding.error(), (MarkdownError{MarkdownError::Kind::encoding, 3}));
    EXPECT_EQ(encoding.error().catalogKey(), "markdown.error.encoding %lld");
    auto binary = MarkdownCodec::decode(std::string_view("- a\n\0- b", 8), "", counter());
    ASSERT_FALSE(binary.ok());
    EXPECT_EQ(binary.error(), (MarkdownError{MarkdownError::Kind::binary, 2}));
}

TEST(MarkdownReader, NamesTheDocumentAndEveryItemInOrder) {
    auto document = MarkdownCodec::decode("- a\n  - b\n- c\n", "Trip", counter());
    ASSERT_TRUE(document.ok());
    EXPECT_EQ(document.value().id, "n1");
    EXPECT_EQ(document.value().title, "Trip");
    const ItemList& items = document.value().items;
    EXPECT_EQ(items[0].id, "n2");
    EXPECT_EQ(items[0].children[0].id, "n3");
    EXPECT_EQ(items[1].id, "n4");
}

TEST(MarkdownReader, NestsNoDeeperThanTheLimit) {
    std::string text;
    for (int depth = 0; depth < kMaxItemDepth + 50; ++depth)
        text += std::string(static_cast<std::size_t>(depth), ' ') + "- x\n";
    auto document = MarkdownCodec::decode(text, "", counter());
    ASSERT_TRUE(document.ok());
    EXPECT_EQ(document.value().items.totalCount(), kMaxItemDepth + 50);
    int depth = 0;
    for (const ItemList* level = &document.value().items; !level->empty();
         level = &level->back().children)
        ++depth;
    EXPECT_EQ(depth, kMaxItemDepth + 1);
}

TEST(MarkdownReader, LooksLikeMarkdownOnlyWithAListOrHeading) {
    EXPECT_TRUE(MarkdownCodec::looksLikeMarkdown("intro\n  - item"));
    EXPECT_TRUE(MarkdownCodec::looksLikeMarkdown("## Notes"));
    EXPECT_TRUE(MarkdownCodec::looksLikeMarkdown("1. first"));
    EXPECT_FALSE(MarkdownCodec::looksLikeMarkdown("alpha\n\tbeta\ngamma"));
    EXPECT_FALSE(MarkdownCodec::looksLikeMarkdown("#hashtag\n**bold** words"));
}
