#include "core/formats/web_page.hpp"

#include "format_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

namespace {

std::size_t count(std::string_view text, std::string_view what) {
    std::size_t found = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + 1))
        ++found;
    return found;
}

// The page's <body>, where everything from the document stands.
std::string bodyOf(const std::string& page) {
    return page.substr(page.find("<body>"));
}

} // namespace

TEST(WebPage, NestsItemsAsListsWithFoldingBranches) {
    Item collapsed = Item::blank("c", "Folded");
    collapsed.collapsed = true;
    collapsed.children = ItemList{Item::blank("c1", "inside")};
    Item open = Item::blank("o", "Open");
    open.children = ItemList{collapsed, Item::blank("o2", "leaf")};
    std::string page = WebPage::encode("Plans", {open, Item::blank("t", "Top leaf")});
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>\n"));
    EXPECT_NE(page.find("<title>Plans</title>"), std::string::npos);
    EXPECT_NE(page.find("<h1>Plans</h1>"), std::string::npos);
    std::string body = bodyOf(page);
    EXPECT_EQ(count(body, "<li"), 5u);
    EXPECT_EQ(count(body, "</li>"), 5u);
    EXPECT_EQ(count(body, "<ul"), 3u);
    EXPECT_EQ(count(body, "</ul>"), 3u);
    EXPECT_NE(body.find("<details open><summary><span class=\"title\">Open</span></summary>"),
              std::string::npos);
    EXPECT_NE(body.find("<details><summary><span class=\"title\">Folded</span></summary>"),
              std::string::npos);
    // Nothing to fetch and nothing to run.
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<link"), std::string::npos);
    EXPECT_EQ(page.find("src="), std::string::npos);
    EXPECT_NE(page.find("prefers-color-scheme: dark"), std::string::npos);
    EXPECT_NE(page.find("@media print"), std::string::npos);
}

TEST(WebPage, EscapesEverythingTheDocumentHolds) {
    Item hostile = Item::blank("h", "<img src=x onerror=alert(1)> & \"q\" 'a'");
    hostile.note = "<script>alert(1)</script> [x](javascript:alert(1)) <b>";
    std::string page = WebPage::encode("</title><script>x</script>", {hostile});
    std::string body = bodyOf(page);
    EXPECT_EQ(count(page, "<script"), 0u);
    EXPECT_EQ(count(body, "<img"), 0u);
    EXPECT_EQ(count(body, "<b>"), 0u);
    EXPECT_EQ(body.find("javascript:"), std::string::npos) << "no link to a script";
    EXPECT_NE(body.find("&lt;img src=x onerror=alert(1)&gt; &amp; &quot;q&quot; &#39;a&#39;"),
              std::string::npos);
    EXPECT_NE(page.find("<title>&lt;/title&gt;&lt;script&gt;x&lt;/script&gt;</title>"),
              std::string::npos);
}

TEST(WebPage, ShowsChecksLabelsAndNoteMarkdownWithOnlySafeLinks) {
    Item done = Item::blank("d", "Done");
    done.checked = true;
    done.color = ColorLabel::green;
    done.bold = true;
    done.note = "*it* **bold** `code` ~~gone~~ [site](https://x.org/?a=1&b=\"2\") "
                "[mail](MAILTO:a@b.c) [bad](file:///etc/passwd)";
    std::string body = bodyOf(WebPage::encode("T", {done}));
    EXPECT_NE(body.find("<li class=\"checked\"><span class=\"check\""), std::string::npos);
    EXPECT_NE(body.find("<span class=\"label green\""), std::string::npos);
    EXPECT_NE(body.find("<span class=\"title bold\">Done</span>"), std::string::npos);
    EXPECT_NE(body.find("<div class=\"note\"><em>it</em> <strong>bold</strong> "
                        "<code>code</code> <del>gone</del> "
                        "<a href=\"https://x.org/?a=1&amp;b=&quot;2&quot;\">site</a> "
                        "<a href=\"MAILTO:a@b.c\">mail</a> bad</div>"),
              std::string::npos)
        << body;
}

TEST(WebPage, EmptyDocumentIsAnEmptyList) {
    std::string body = bodyOf(WebPage::encode("", {}));
    EXPECT_NE(body.find("<h1></h1>\n<ul class=\"outline\">\n</ul>"), std::string::npos);
}
