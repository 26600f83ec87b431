#include "core/formats/item_clipboard.hpp"

#include "format_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

ItemList pasted(std::string_view text) {
    return ItemClipboard::itemsFromPlainText(text, counter());
}

// The tree as "text(children…)" for compact comparison.
std::string shape(const ItemList& items) {
    std::string out;
    for (const auto& item : items) {
        if (!out.empty())
            out += ",";
        out += item.text;
        if (!item.children.empty())
            out += "(" + shape(item.children) + ")";
    }
    return out;
}

} // namespace

TEST(ItemClipboard, PrivateTypeCarriesEveryFieldThroughOPML) {
    EXPECT_EQ(ItemClipboard::pasteboardType, "com.kestrum-software.ostrevo.items");
    TreeDocument document = richDocument();
    std::string text = ItemClipboard::opmlText(document.items);
    EXPECT_NE(text.find("<title></title>"), std::string::npos);
    EXPECT_NE(text.find("&#10;"), std::string::npos);
    auto back = ItemClipboard::itemsFromOPML(text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, document.items);
}

TEST(ItemClipboard, OPMLThatFailsOrIsEmptyGivesNothing) {
    EXPECT_FALSE(ItemClipboard::itemsFromOPML("<opml><body>"));
    EXPECT_FALSE(ItemClipboard::itemsFromOPML(ItemClipboard::opmlText({})));
    EXPECT_FALSE(ItemClipboard::itemsFromOPML("plain words"));
}

TEST(ItemClipboard, PlainTextIndentsByTabsAndFlattensLineBreaks) {
    Item grandchild = Item::blank("g", "deep");
    Item child = Item::blank("c", "two\r\nlines\n\nand\u2028more\x0b");
    child.children = ItemList{grandchild};
    Item top = richItem("t", {child});
    top.text = "top";
    EXPECT_EQ(ItemClipboard::plainText({top, Item::blank("s", "second")}),
              "top\n\ttwo lines and more\n\t\tdeep\nsecond");
    EXPECT_EQ(ItemClipboard::plainText({}), "");
}

TEST(ItemClipboard, LinesTakeApartIndentationBulletsAndCheckBoxes) {
    auto lines = ItemClipboard::lines("\t  - [x] milk \n[x] - eggs\n  \n\xE2\x80\xA2 [ ] tea\n* ");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], (ItemClipboard::Line{1, 2, "milk", true}));
    // A bullet is only recognised before the check box.
    EXPECT_EQ(lines[1], (ItemClipboard::Line{0, 0, "- eggs", true}));
    EXPECT_EQ(lines[2], (ItemClipboard::Line{0, 0, "tea", false}));
}

TEST(ItemClipboard, NestsByIndentationWidth) {
    EXPECT_EQ(shape(pasted("alpha\n\tbeta\ngamma")), "alpha(beta),gamma");
    EXPECT_EQ(shape(pasted("a\n  b\n    c\n  d")), "a(b(c),d)");
    // A tab counts as eight blanks.
    EXPECT_EQ(shape(pasted("    a\n\tb")), "a(b)");
    // Less indented than every open line: a new top-level item.
    EXPECT_EQ(shape(pasted("    a\n        b\n  c\n      d")), "a(b),c(d)");
    // Blank lines keep the nesting.
    EXPECT_EQ(shape(pasted("a\n\n   \n\tb\r\n\tc")), "a(b,c)");
}

TEST(ItemClipboard, PastedItemsAreNewAndPlain) {
    ItemList items = pasted("- [X] milk\n\tbread");
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].id, "n1");
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(items[0].children[0].id, "n2");
    Item expected = Item::blank("n2", "bread");
    EXPECT_EQ(items[0].children[0], expected);
}

TEST(ItemClipboard, RecognisesEveryBulletOnce) {
    EXPECT_EQ(shape(pasted("- a\n* b\n+ c\n\xE2\x80\xA2 d\n\xE2\x80\x93 e\n\xE2\x80\x94 f\n- - g")),
              "a,b,c,d,e,f,- g");
}

TEST(ItemClipboard, InvalidUTF8IsPastedAsReplacementCharacters) {
    ItemList items = pasted("ok\xFF");
    EXPECT_EQ(items[0].text, "ok\xEF\xBF\xBD");
}

TEST(ItemClipboard, PastedTextIsReadInTheFormItIsWrittenIn) {
    // Org headlines nest by their stars and keep their TODO state.
    auto org = ItemClipboard::itemsFromText("* DONE Plan\n** Pack\n* Go\n", false, counter());
    EXPECT_EQ(shape(org), "Plan(Pack),Go");
    EXPECT_TRUE(org[0].checked);
    // A Markdown list keeps its task markers; bare "* " bullets are a list, not headlines.
    auto markdown = ItemClipboard::itemsFromText("- [x] Milk\n  - Oat\n- Bread\n", false, counter());
    EXPECT_EQ(shape(markdown), "Milk(Oat),Bread");
    EXPECT_TRUE(markdown[0].checked);
    EXPECT_EQ(shape(ItemClipboard::itemsFromText("* one\n* two\n", false, counter())), "one,two");
    // Anything else nests by indentation.
    EXPECT_EQ(shape(ItemClipboard::itemsFromText("a\n\tb\nc\n", false, counter())), "a(b),c");
    EXPECT_TRUE(ItemClipboard::itemsFromText("", true, counter()).empty());
}
