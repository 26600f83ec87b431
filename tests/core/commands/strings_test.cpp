#include "core/commands/resources.hpp"
#include "core/commands/strings.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using Kind = StringTableError::Kind;

TEST(StringTable, ReadsAFlatObjectOfTexts) {
    auto table =
        StringTable::parse("\xEF\xBB\xBF {\n"
                           "  \"menu.file\": \"File\",\n"
                           "  \"a.b %lld\" : \"Tab\\there \\\"q\\\" \\u00e9 \\ud83d\\ude00 \\/\"\n"
                           "}\n");
    ASSERT_TRUE(table.ok());
    EXPECT_EQ(table->size(), 2u);
    EXPECT_EQ(table->text("menu.file"), "File");
    EXPECT_EQ(table->text("a.b %lld"), "Tab\there \"q\" \xC3\xA9 \xF0\x9F\x98\x80 /");
    EXPECT_EQ(table->text("missing"), std::nullopt);
    EXPECT_EQ(table->keys(), (std::vector<std::string>{"a.b %lld", "menu.file"}));
    EXPECT_TRUE(StringTable::parse("{}").ok());
}

struct BadTable {
    const char* name;
    const char* json;
    StringTableError error;
};

class StringTableErrors : public testing::TestWithParam<BadTable> {};

TEST_P(StringTableErrors, NamesTheFirstFault) {
    auto result = StringTable::parse(GetParam().json);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    StringTable, StringTableErrors,
    testing::Values(
        BadTable{"Empty", "", {Kind::syntax, 1, ""}},
        BadTable{"Array", "[\"a\"]", {Kind::syntax, 1, ""}},
        BadTable{"NumberValue", "{\n\"a\": 1}", {Kind::notText, 2, "a"}},
        BadTable{"NestedObject", "{\"a\": {}}", {Kind::notText, 1, "a"}},
        BadTable{"Duplicate", "{\"a\": \"x\",\n\n \"a\": \"y\"}", {Kind::duplicateKey, 3, "a"}},
        BadTable{"TrailingComma", "{\"a\": \"x\",}", {Kind::syntax, 1, ""}},
        BadTable{"MissingColon", "{\"a\" \"x\"}", {Kind::syntax, 1, "a"}},
        BadTable{"Unterminated", "{\"a\": \"x", {Kind::syntax, 1, "a"}},
        BadTable{"RawLineBreak", "{\"a\": \"x\ny\"}", {Kind::syntax, 1, "a"}},
        BadTable{"LoneSurrogate", "{\"a\": \"\\udc00\"}", {Kind::syntax, 1, "a"}},
        BadTable{"BadEscape", "{\"a\": \"\\q\"}", {Kind::syntax, 1, "a"}},
        BadTable{"ShortHex", "{\"a\": \"\\u12\"}", {Kind::syntax, 1, "a"}},
        BadTable{"TextAfter", "{} {}", {Kind::syntax, 1, ""}},
        BadTable{"InvalidUTF8", "{\"a\": \"\xFF\"}", {Kind::invalidUTF8, 1, ""}}),
    [](const auto& c) { return std::string(c.param.name); });

TEST(StringsFormat, FillsPlaceholdersInOrder) {
    using Strings::format;
    EXPECT_EQ(format("Document %lld has no id.", {std::int64_t{3}}), "Document 3 has no id.");
    EXPECT_EQ(format("“%@” and %@", {std::string("a"), std::string("b")}), "“a” and b");
    EXPECT_EQ(format("%2$@ before %1$@", {std::string("one"), std::string("two")}),
              "two before one");
    EXPECT_EQ(format("%d%% of %ld", {std::int64_t{50}, std::int64_t{-7}}), "50% of -7");
    EXPECT_EQ(format("%@ items", {std::int64_t{12}}), "12 items");
}

TEST(StringsFormat, KeepsWhatItCannotFill) {
    using Strings::format;
    EXPECT_EQ(format("%@ and %@", {std::string("a")}), "a and %@");
    EXPECT_EQ(format("%3$@", {std::string("a")}), "%3$@");
    EXPECT_EQ(format("100% sure %x %", {}), "100% sure %x %");
    // A text holding a placeholder is inserted as it is, never formatted again.
    EXPECT_EQ(format("%@ %@", {std::string("%@"), std::string("b")}), "%@ b");
}

TEST(Strings, LookupFallsBackToEnglishThenToTheKey) {
    EXPECT_EQ(Strings::localized("en", "menu.file"), "File");
    EXPECT_EQ(Strings::localized("xx", "menu.file"), "File");
    EXPECT_EQ(Strings::localized("en", "no.such.key"), "no.such.key");
    EXPECT_EQ(
        Strings::localizedFormat("en", "status.itemCount %lld", {std::int64_t{42}}),
        Strings::format(Strings::localized("en", "status.itemCount %lld"), {std::int64_t{42}}));
    EXPECT_NE(
        Strings::localizedFormat("en", "opml.error.malformed %lld", {std::int64_t{17}}).find("17"),
        std::string::npos);
}

TEST(Resources, EmbedsTheHelpTextsAndStringTables) {
    auto help = Resources::text("help/en/help.md");
    ASSERT_TRUE(help);
    EXPECT_NE(help->find("## [all-keys]"), std::string_view::npos);
    EXPECT_EQ(Resources::text("help/en/missing.md"), std::nullopt);
    EXPECT_EQ(Resources::helpText("xx"), *help);
    EXPECT_EQ(Resources::helpText("en"), *help);
    auto languages = Resources::stringTableLanguages();
    EXPECT_NE(std::find(languages.begin(), languages.end(), "en"), languages.end());
}
