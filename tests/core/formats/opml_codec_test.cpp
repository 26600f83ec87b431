#include "core/formats/opml_codec.hpp"

#include "format_fixtures.hpp"

#include <gtest/gtest.h>

#include <set>

using namespace velmora;
using namespace velmora::testing;

namespace {

TreeDocument decoded(std::string_view text, std::string_view fallback = "Imported") {
    auto result = OPMLCodec::decode(text, fallback, counter());
    EXPECT_TRUE(result.ok()) << (result.ok() ? 0 : result.error().line);
    return result.ok() ? result.value() : TreeDocument{};
}

std::int64_t failureLine(std::string_view text) {
    auto result = OPMLCodec::decode(text, "", counter());
    EXPECT_FALSE(result.ok());
    return result.ok() ? -1 : result.error().line;
}

std::string body(const std::string& outlines) {
    return "<?xml version=\"1.0\"?>\n<opml version=\"2.0\"><body>" + outlines + "</body></opml>";
}

} // namespace

TEST(OPMLCodec, WritesTheLayoutAndAttributeOrder) {
    Item child = Item::blank("c", "Two\nlines");
    child.created = at("2026-03-07T09:30:05Z");
    Item parent = richItem("p", {child});
    parent.text = "A & B < \"C\" > 'D'";
    parent.note = "n\r\n\tx";
    std::string text = OPMLCodec::encode("Title & <more>\nline", {parent, Item::blank("e", "")});
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<opml version=\"2.0\">\n"
                    "  <head>\n"
                    "    <title>Title &amp; &lt;more&gt;\nline</title>\n"
                    "  </head>\n"
                    "  <body>\n"
                    "    <outline text=\"A &amp; B &lt; &quot;C&quot; &gt; 'D'\" _id=\"p\" "
                    "_note=\"n&#13;&#10;&#9;x\" checked=\"true\" _color=\"purple\" _bold=\"true\" "
                    "_underline=\"true\" _collapsed=\"true\" _created=\"2026-03-07T09:30:05Z\" "
                    "_modified=\"2026-03-08T10:00:00Z\">\n"
                    "      <outline text=\"Two&#10;lines\" _id=\"c\" "
                    "_created=\"2026-03-07T09:30:05Z\"/>\n"
                    "    </outline>\n"
                    "    <outline text=\"\" _id=\"e\"/>\n"
                    "  </body>\n"
                    "</opml>\n");
}

TEST(OPMLCodec, EmptyDocumentLeavesAnEmptyLineInTheBody) {
    EXPECT_NE(OPMLCodec::encode("", {}).find("  <body>\n\n  </body>\n"), std::string::npos);
}

TEST(OPMLCodec, LineBreaksStayRawWithoutTheOption) {
    std::string text = OPMLCodec::encode("", {Item::blank("i", "a\nb")}, {false});
    EXPECT_NE(text.find("text=\"a\nb\""), std::string::npos);
    // Attribute-value normalisation then turns the break into a blank.
    EXPECT_EQ(decoded(text).items[0].text, "a b");
}

TEST(OPMLCodec, CharactersXMLCannotCarryAreReplacedSoTheFileStaysReadable) {
    Item item = Item::blank("i", std::string("bell\x07 vt\x0b ok\xF0\x9F\x98\x80 bad\xFF"));
    std::string text = OPMLCodec::encode("t\x01", {item});
    TreeDocument back = decoded(text);
    EXPECT_EQ(back.title, "t\xEF\xBF\xBD");
    EXPECT_EQ(back.items[0].text,
              "bell\xEF\xBF\xBD vt\xEF\xBF\xBD ok\xF0\x9F\x98\x80 bad\xEF\xBF\xBD");
}

TEST(OPMLCodec, RoundTripKeepsEveryField) {
    TreeDocument document = richDocument();
    TreeDocument back = decoded(OPMLCodec::encode(document.title, document.items));
    EXPECT_EQ(back.title, document.title);
    EXPECT_EQ(back.items, document.items);
    EXPECT_NE(back.id, document.id); // the document gets a fresh id
}

TEST(OPMLCodec, ElementNamesIgnoreCaseButAttributeNamesDoNot) {
    TreeDocument document = decoded(readData("opml/quirks.opml"), "Fallback");
    EXPECT_EQ(document.title, "Fallback");
    ASSERT_EQ(document.items.size(), 5u);
    EXPECT_EQ(document.items[0].text, "");
    EXPECT_EQ(document.items[0].id, "x");
}

TEST(OPMLCodec, ChecksColoursAndFlagsFollowTheAttributeTable) {
    TreeDocument document = decoded(readData("opml/quirks.opml"));
    const ItemList& items = document.items;
    EXPECT_TRUE(items[1].checked); // "yes"
    EXPECT_TRUE(items[2].checked); // "1"
    EXPECT_TRUE(items[3].checked); // _status
    EXPECT_EQ(items[3].color, ColorLabel::blue);
    EXPECT_FALSE(items[4].checked); // "TRUE" in capitals
    EXPECT_FALSE(items[4].color);
    EXPECT_FALSE(items[4].bold);
    EXPECT_TRUE(items[4].collapsed);
    // Elements other than outline are skipped with everything inside them.
    ASSERT_EQ(items[4].children.size(), 1u);
    const Item& child = items[4].children[0];
    EXPECT_TRUE(child.underline);
    EXPECT_EQ(child.modified, at("2026-03-07T09:30:05Z"));
}

TEST(OPMLCodec, RepeatedMissingOrEmptyIdsAreReplacedInDocumentOrder) {
    TreeDocument document = decoded(readData("opml/quirks.opml"));
    const ItemList& items = document.items;
    EXPECT_EQ(items[0].id, "x");
    EXPECT_EQ(items[1].id, "n1"); // a second "x"
    EXPECT_EQ(items[2].id, "n2"); // empty
    EXPECT_EQ(items[3].id, "n3"); // missing
    EXPECT_EQ(items[4].id, "n4");
    EXPECT_EQ(items[4].children[0].id, "n5");
    EXPECT_EQ(document.id, "n6");
}

TEST(OPMLCodec, ReadsFeedReaderFilesInLatin1WithCRLF) {
    TreeDocument document = decoded(readData("opml/feed_reader.opml"));
    EXPECT_EQ(document.title, "Abonnements fran\xC3\xA7"
                              "ais");
    ASSERT_EQ(document.items.size(), 1u);
    EXPECT_EQ(document.items[0].text, "Caf\xC3\xA9 news");
    ASSERT_EQ(document.items[0].children.size(), 2u);
    EXPECT_EQ(document.items[0].children[0].text, "Le Monde");
    EXPECT_EQ(document.items[0].children[1].text, "Text wins");
}

TEST(OPMLCodec, ReadsWebOutlinerCompletionNotesAndCreationTimes) {
    TreeDocument document = decoded(readData("opml/web_outliner.opml"));
    EXPECT_EQ(document.title, "Groceries");
    ASSERT_EQ(document.items.size(), 4u); // the second body is not read
    EXPECT_TRUE(document.items[0].checked);
    EXPECT_EQ(document.items[0].note, "2 litres");
    EXPECT_FALSE(document.items[1].checked);
    EXPECT_EQ(document.items[1].created, at("2026-03-07T09:30:05Z"));
    // Our own "checked" attribute wins over _complete.
    EXPECT_FALSE(document.items[2].checked);
    EXPECT_EQ(document.items[2].note, "a dozen");
    // And our own "_created" over the RFC 822 "created".
    EXPECT_EQ(document.items[3].created, at("2026-01-02T03:04:05Z"));
}

TEST(OPMLCodec, ReadsOtherDeclaredEncodings) {
    TreeDocument cp1252 = decoded(readData("opml/windows1252.opml"), "Fallback");
    EXPECT_EQ(cp1252.title, "Fallback"); // empty title
    EXPECT_EQ(cp1252.items[0].text, "\xE2\x82\xAC 5 \xE2\x80\x9Cquoted\xE2\x80\x9D");
    TreeDocument utf16 = decoded(readData("opml/utf16.opml"));
    EXPECT_EQ(utf16.title, "Zo\xC3\xAB");
    EXPECT_EQ(utf16.items[0].text, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
}

TEST(OPMLCodec, FilesWithoutHeadOrBodyReadEmpty) {
    TreeDocument bare = decoded("<opml/>", "F");
    EXPECT_EQ(bare.title, "F");
    EXPECT_TRUE(bare.items.empty());
    TreeDocument other = decoded("<html><head><title> T </title></head><p/></html>", "F");
    EXPECT_EQ(other.title, "T");
    // Only the first title of the first head counts, and only its own text.
    TreeDocument titles =
        decoded("<opml><head><title>A<b>x</b>B</title><title>C</title></head></opml>");
    EXPECT_EQ(titles.title, "AB");
}

TEST(OPMLCodec, MalformedXMLNamesTheLine) {
    EXPECT_EQ(failureLine("<?xml version=\"1.0\"?>\n<opml>\n<body>\n<outline text=\"a\">\n"), 5);
    std::string twelve;
    for (int i = 1; i < 12; ++i)
        twelve += i == 1 ? "<opml><body>\n" : "<outline/>\n";
    EXPECT_EQ(failureLine(twelve + "<outline text=\"a & b\"/>\n</body></opml>"), 12);
    EXPECT_EQ(failureLine(""), 1);
    EXPECT_EQ(failureLine("<opml>&undefined;</opml>"), 1);
    EXPECT_EQ(failureLine("<?xml version=\"1.0\" encoding=\"EBCDIC-X\"?><opml/>"), 1);
}

TEST(OPMLCodec, CheckedAcceptsExactlyTrueOneAndYes) {
    for (auto [value, checked] : {std::pair{"true", true},
                                  {"1", true},
                                  {"yes", true},
                                  {"TRUE", false},
                                  {"Yes", false},
                                  {"0", false},
                                  {"", false}}) {
        TreeDocument document =
            decoded(body(std::string("<outline text=\"a\" checked=\"") + value + "\"/>"));
        EXPECT_EQ(document.items[0].checked, checked) << value;
    }
}

TEST(OPMLCodec, FreshIdThatEqualsAnIdWrittenEarlierIsNotReused) {
    // The factory's second id is "n2", which the file has already used.
    TreeDocument document = decoded(body("<outline text=\"a\"/><outline text=\"b\" _id=\"n2\"/>"
                                         "<outline text=\"c\"/><outline text=\"d\" _id=\"n2\"/>"));
    std::set<std::string> ids;
    for (const auto& item : document.items)
        ids.insert(item.id);
    EXPECT_EQ(ids.size(), 4u);
    EXPECT_EQ(document.items[1].id, "n2");
    EXPECT_EQ(document.items[2].id, "n3");
}

TEST(OPMLCodec, FactoryRepeatingItselfStillGivesUniqueIds) {
    auto result = OPMLCodec::decode(body("<outline/><outline/><outline _id=\"same\"/>"), "",
                                    [] { return std::string("same"); });
    ASSERT_TRUE(result.ok());
    const ItemList& items = result.value().items;
    EXPECT_EQ(items[0].id, "same");
    EXPECT_EQ(items[1].id, "same-2");
    EXPECT_EQ(items[2].id, "same-3");
}
