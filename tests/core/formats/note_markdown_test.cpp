#include "core/formats/note_markdown.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmora {
namespace {

// A compact picture of the runs: each run's text, prefixed by its styles
// (e emphasis, s strong, c code, x strike-through, l link) and a colon when it has any.
std::string describe(std::string_view note) {
    std::string out;
    for (const auto& run : NoteMarkdown::parse(note)) {
        std::string styles;
        if (run.emphasis)
            styles += 'e';
        if (run.strong)
            styles += 's';
        if (run.code)
            styles += 'c';
        if (run.strikethrough)
            styles += 'x';
        if (run.link)
            styles += 'l';
        out += "[";
        if (!styles.empty())
            out += styles + ":";
        out += std::string(note.substr(run.start, run.length)) + "]";
    }
    return out;
}

struct MarkdownCase {
    const char* name;
    const char* note;
    const char* runs;
};

class NoteMarkdownCases : public testing::TestWithParam<MarkdownCase> {};

TEST_P(NoteMarkdownCases, ParsesRuns) {
    EXPECT_EQ(describe(GetParam().note), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    NoteMarkdown, NoteMarkdownCases,
    testing::Values(
        MarkdownCase{"ItalicWord", "a *word* b", "[a ][e:word][ b]"},
        MarkdownCase{"UnderscoreItalic", "_word_", "[e:word]"},
        MarkdownCase{"BoldThenCode", "**bold** `code`", "[s:bold][ ][c:code]"},
        MarkdownCase{"StrongAndEmphasis", "***both***", "[es:both]"},
        MarkdownCase{"NestedEmphasisInStrong", "**a *b* c**", "[s:a ][es:b][s: c]"},
        MarkdownCase{"StrikeThrough", "[x] ~~gone~~", "[[x] ][x:gone]"},
        MarkdownCase{"UnclosedAsteriskLiteral", "2 * 3", "[2 * 3]"},
        MarkdownCase{"UnclosedOpenerLiteral", "*open", "[*open]"},
        MarkdownCase{"UnclosedBacktickLiteral", "a `b", "[a `b]"},
        MarkdownCase{"IntrawordUnderscoreLiteral", "snake_case_name", "[snake_case_name]"},
        MarkdownCase{"CodeSpanHidesEmphasis", "`*not*`", "[c:*not*]"},
        MarkdownCase{"CodeSpanStripsOneSpace", "`` `tick` ``", "[c:`tick`]"},
        MarkdownCase{"EscapedAsterisk", "\\*plain\\*", "[*plain][*]"},
        MarkdownCase{"LineBreaksKept", "*a*\n\nb", "[e:a][\n\nb]"},
        MarkdownCase{"ListMarkersStayText", "- one\n- *two*", "[- one\n- ][e:two]"},
        MarkdownCase{"HeadingMarkerStaysText", "# title *x*", "[# title ][e:x]"},
        MarkdownCase{"Link", "see [site](https://example.org) now", "[see ][l:site][ now]"},
        MarkdownCase{"LinkWithTitle", "[a](http://x \"T\")", "[l:a]"},
        MarkdownCase{"EmphasisInsideLink", "[*a*](http://x)", "[el:a]"},
        MarkdownCase{"LinkWinsOverEmphasis", "*[a*](http://x)", "[*][l:a*]"},
        MarkdownCase{"BracketsWithoutTarget", "[todo] item", "[[todo] item]"},
        MarkdownCase{"UnclosedLinkTarget", "[a](http://x", "[[a](http://x]"},
        MarkdownCase{"Autolink", "<https://a.b> [x", "[l:https://a.b][ [x]"},
        MarkdownCase{"NoTriggerIsOneRun", "~~a~~ plain", "[~~a~~ plain]"}),
    [](const testing::TestParamInfo<MarkdownCase>& param) {
        return std::string(param.param.name);
    });

TEST(NoteMarkdown, EmptyNoteHasNoRuns) {
    EXPECT_TRUE(NoteMarkdown::parse("").empty());
}

TEST(NoteMarkdown, RunsAreSlicesInOrderAndGapsAreMarkup) {
    std::string note = "x **b** [l](https://e.org/a_(b)) `c` \\_";
    auto runs = NoteMarkdown::parse(note);
    std::size_t last = 0;
    for (const auto& run : runs) {
        EXPECT_GE(run.start, last);
        EXPECT_LE(run.end(), note.size());
        last = run.end();
    }
    EXPECT_EQ(NoteMarkdown::shownText(note, runs), "x b l c _");
}

TEST(NoteMarkdown, LinkKeepsDestinationWithBalancedParenthesesAndEscapes) {
    auto runs = NoteMarkdown::parse("[w](https://en.org/A_(b)\\)x)");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].link, "https://en.org/A_(b))x");
}

TEST(NoteMarkdown, EmailAutolinkBecomesMailto) {
    auto runs = NoteMarkdown::parse("<me@example.org> _");
    ASSERT_FALSE(runs.empty());
    EXPECT_EQ(runs[0].link, "mailto:me@example.org");
}

TEST(NoteMarkdown, ManyUnmatchedDelimitersStayLiteralAndFast) {
    std::string note(20000, '*');
    note += std::string(20000, '`') + "_a";
    auto runs = NoteMarkdown::parse(note);
    EXPECT_EQ(NoteMarkdown::shownText(note, runs), note);
}

TEST(NoteMarkdown, DeepBracketNestingDoesNotRecurse) {
    std::string note(50000, '[');
    note += "x";
    EXPECT_EQ(NoteMarkdown::shownText(note, NoteMarkdown::parse(note)), note);
}

TEST(NoteMarkdown, SchemesAreCheckedCaseInsensitively) {
    EXPECT_TRUE(NoteMarkdown::isAllowedLink("HTTPS://example.org"));
    EXPECT_TRUE(NoteMarkdown::isAllowedLink("mailto:a@b.c"));
    EXPECT_FALSE(NoteMarkdown::isAllowedLink("javascript:alert(1)"));
    EXPECT_FALSE(NoteMarkdown::isAllowedLink("file:///etc/passwd"));
    EXPECT_FALSE(NoteMarkdown::isAllowedLink("example.org/page"));
    EXPECT_FALSE(NoteMarkdown::isAllowedLink("://x"));
    EXPECT_EQ(NoteMarkdown::scheme("Mailto:x"), "mailto");
}

} // namespace
} // namespace velmora
