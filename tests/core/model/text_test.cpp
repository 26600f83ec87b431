#include "core/model/text.hpp"
#include "core/model/timestamp.hpp"

#include <gtest/gtest.h>

using namespace velmora;

TEST(Text, FoldIgnoresCaseAndDiacritics) {
    EXPECT_EQ(Text::fold("Café PLAN"), Text::fold("cafe plan"));
    EXPECT_EQ(Text::fold("Straße"), Text::fold("STRASSE"));
    // A decomposed é folds like the composed one.
    EXPECT_EQ(Text::fold("Cafe\xCC\x81"), Text::fold("café"));
    EXPECT_NE(Text::fold("plan"), Text::fold("plant"));
    // Plain ASCII takes a shorter way: it must fold exactly as beside a letter that needs the
    // Unicode tables.
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) {
        ascii += static_cast<char>(c);
    }
    EXPECT_EQ(Text::fold(ascii) + Text::fold("\xC3\x89"), Text::fold(ascii + "\xC3\x89"));
    EXPECT_EQ(Text::fold("\xC3\x89"), "e");
}

TEST(Text, GraphemesCountUserPerceivedCharacters) {
    EXPECT_EQ(Text::graphemeCount(""), 0u);
    EXPECT_EQ(Text::graphemeCount("abc"), 3u);
    EXPECT_EQ(Text::graphemeCount("e\xCC\x81"), 1u);                        // e + combining acute
    EXPECT_EQ(Text::graphemeCount("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"), 1u); // thumbs up + tone
    EXPECT_EQ(Text::graphemeCount("\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"), 1u); // flag DE
}

TEST(Text, SplitNeverCutsInsideACluster) {
    auto [head, tail] = Text::splitAtGrapheme("ae\xCC\x81z", 2);
    EXPECT_EQ(head, "ae\xCC\x81");
    EXPECT_EQ(tail, "z");
    EXPECT_EQ(Text::splitAtGrapheme("abc", -3).first, "");
    EXPECT_EQ(Text::splitAtGrapheme("abc", 99).second, "");
}

TEST(Text, TrimRemovesWhitespaceAndLineBreaks) {
    EXPECT_EQ(Text::trimmed(" \t\n Archive \r\n\xE3\x80\x80"), "Archive");
    EXPECT_EQ(Text::trimmed("a b"), "a b");
    EXPECT_EQ(Text::trimmed("  "), "");
}

TEST(Text, CaseInsensitiveComparisonCoversOtherScripts) {
    EXPECT_TRUE(Text::equalsIgnoringCase("АРХІВ", "Архів"));
    EXPECT_TRUE(Text::equalsIgnoringCase("アーカイブ", "アーカイブ"));
    EXPECT_TRUE(Text::equalsIgnoringCase("archive", "ARCHIVE"));
    EXPECT_FALSE(Text::equalsIgnoringCase("Archív", "Archiv"));
}

TEST(Text, InvalidUTF8IsReplacedNotRejected) {
    EXPECT_FALSE(Text::isValidUTF8("a\xFF"));
    EXPECT_EQ(Text::validUTF8("a\xFF"), "a\xEF\xBF\xBD");
    EXPECT_EQ(Text::graphemeCount("\xC3"), 1u);
}

TEST(Timestamp, WritesAndReadsISO8601) {
    auto t = Timestamp::parseISO8601("2026-03-07T09:30:05Z");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->iso8601(), "2026-03-07T09:30:05Z");
    EXPECT_EQ(Timestamp{0}.iso8601(), "1970-01-01T00:00:00Z");
    EXPECT_EQ(Timestamp::parseISO8601("2026-03-07T10:30:05+01:00"), t);
    EXPECT_EQ(Timestamp::parseISO8601("2026-03-07T09:30:05.999Z"), t);
    EXPECT_EQ(Timestamp{-1}.iso8601(), "1969-12-31T23:59:59Z");
}

TEST(Timestamp, RefusesMalformedISO8601) {
    for (auto bad : {"", "2026-03-07", "2026-02-30T00:00:00Z", "2026-03-07T09:30:05",
                     "2026-03-07T24:00:00Z", "2026-03-07T09:30:05Zjunk", "2025-02-29T00:00:00Z"})
        EXPECT_FALSE(Timestamp::parseISO8601(bad)) << bad;
    EXPECT_TRUE(Timestamp::parseISO8601("2024-02-29T00:00:00Z"));
    // Cut short anywhere, or with something other than 0 to 9 where a digit belongs.
    const std::string good = "2026-03-07T09:30:05+01:30";
    EXPECT_TRUE(Timestamp::parseISO8601(good));
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_FALSE(Timestamp::parseISO8601(good.substr(0, length))) << length;
    for (const char* bad : {"2026-03-07T09:30:0\xD9\xA5Z", "2O26-03-07T09:30:05Z",
                            "2026-03-07T09:30:05+0:30", "2026-03-07T09:3 :05Z"})
        EXPECT_FALSE(Timestamp::parseISO8601(bad)) << bad;
}

TEST(Timestamp, ReadsRFC822AsOPMLWritesIt) {
    auto t = Timestamp::parseISO8601("2026-03-07T09:30:05Z");
    EXPECT_EQ(Timestamp::parseRFC822("Sat, 07 Mar 2026 09:30:05 GMT"), t);
    EXPECT_EQ(Timestamp::parseRFC822("7 Mar 2026 10:30:05 +0100"), t);
    EXPECT_EQ(Timestamp::parseRFC822("Sat, 07 Mar 2026 04:30:05 EST"), t);
    EXPECT_EQ(t->rfc822(), "Sat, 07 Mar 2026 09:30:05 GMT");
    EXPECT_FALSE(Timestamp::parseRFC822("yesterday"));
    EXPECT_FALSE(Timestamp::parseRFC822("Sat, 07 Foo 2026 09:30:05 GMT"));
}
