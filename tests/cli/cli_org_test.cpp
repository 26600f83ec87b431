// Org files and web pages through ostrevo-cli, and the web page in a real browser.
#include "cli_harness.hpp"

#include "core/formats/org_codec.hpp"

#include <regex>
#include <set>

using namespace velmora;
using namespace velmora::clitest;

using CliOrg = CliTest;
using CliWebPage = CliTest;

TEST_F(CliOrg, ConvertsOrgBothWaysKeepingIdsUnlessAsked) {
    auto file = documentFile("Plans.quenlith");
    ASSERT_EQ(cli({"convert", file, path("plans.org").string()}).status, 0);
    EXPECT_EQ(slurp(path("plans.org")), "#+TITLE: Plans\n"
                                        "* Alpha\n:PROPERTIES:\n:ID: a\n:END:\n"
                                        "** Alpha one\n:PROPERTIES:\n:ID: a1\n:END:\n"
                                        "* Beta\n:PROPERTIES:\n:ID: b\n:END:\n");
    ASSERT_EQ(cli({"convert", file, path("bare.ORG").string(), "--no-ids"}).status, 0);
    EXPECT_EQ(slurp(path("bare.ORG")), "#+TITLE: Plans\n* Alpha\n** Alpha one\n* Beta\n");

    ASSERT_EQ(cli({"convert", path("plans.org").string(), path("Back.quenlith").string()}).status,
              0);
    auto back = NativeDocumentCodec::decode(slurp(path("Back.quenlith")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value().document.title, "Plans");
    EXPECT_EQ(back.value().document.items[0].children[0].id, "a1");

    write("todo.org", "* TODO Call\n** DONE Write\n* Rest\n");
    auto info = cli({"info", "--json", path("todo.org").string()});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("\"title\": \"todo\""), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("\"itemCount\": 3"), std::string::npos) << info.out;

    write("bad.org", "* fine\n\n* \xFF\n");
    auto refused = cli({"info", "--json", path("bad.org").string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("\"org.error.encoding %lld\", \"argument\": 3"), std::string::npos)
        << refused.out;
}

TEST_F(CliOrg, SearchFindsOrgFilesAfterDocuments) {
    documentFile("lib/Café plan.quenlith");
    write("lib/notes/garden.org", "* Seeds\nOrder the tomato plan\n");
    write("lib/.hidden/secret.org", "* tomato\n");
    write("lib/broken.org", "* tomato \xFF\n");
    auto r = cli({"search", path("lib").string(), "TOMATO"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "notes/garden.org\n");
    auto both = cli({"search", path("lib").string(), "plan"});
    EXPECT_EQ(both.out, "Café plan.quenlith\nnotes/garden.org\n");
}

TEST_F(CliWebPage, WebPagesAreWrittenNeverRead) {
    auto file = documentFile("Plans.quenlith");
    ASSERT_EQ(cli({"convert", file, path("plans.html").string()}).status, 0);
    EXPECT_NE(slurp(path("plans.html")).find("<h1>Plans</h1>"), std::string::npos);
    auto refused = cli({"info", path("plans.html").string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("is a web page"), std::string::npos) << refused.err;
}

namespace {

// The path of the headless browser, or empty when it is not installed.
std::string chromium() {
    for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
        if (fs::exists(candidate))
            return candidate;
    return {};
}

std::multiset<std::string> tagsOf(const std::string& html) {
    std::multiset<std::string> tags;
    static const std::regex tag("<([A-Za-z][A-Za-z0-9-]*)");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), tag);
         it != std::sregex_iterator(); ++it) {
        std::string name = (*it)[1];
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        tags.insert(name);
    }
    return tags;
}

} // namespace

TEST_F(CliWebPage, OpensInChromiumAsANestedOutlineWithNothingFromTheDocumentAsMarkup) {
    const std::string browser = chromium();
    if (browser.empty())
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps --tests installs it)";
    write("hostile.org", "#+TITLE: <script>alert(1)</script>\n"
                         "* <img src=x onerror=alert(1)>\n"
                         "<iframe src=\"javascript:alert(2)\"></iframe> [x](javascript:alert(3)) "
                         "*fine* [site](https://example.org)\n"
                         "** DONE <b>struck</b>\n"
                         "*** </li></ul><li>escaped list</li>\n"
                         "* Second <svg onload=alert(4)>\n");
    ASSERT_EQ(cli({"convert", path("hostile.org").string(), path("page.html").string()}).status, 0);
    // A browser that hangs fails the test instead of holding the run.
    std::string command = "timeout 120 " + quote(browser) +
                          " --headless --no-sandbox --disable-gpu --disable-background-networking"
                          " --disable-component-update --disable-sync --no-first-run"
                          " --user-data-dir=" +
                          quote(path("profile").string()) + " --dump-dom " +
                          quote("file://" + path("page.html").string()) + " >" +
                          quote(path("dom.html").string()) + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string dom = slurp(path("dom.html"));
    ASSERT_NE(dom.find("</html>"), std::string::npos) << dom;

    auto tags = tagsOf(dom);
    EXPECT_EQ(tags.count("li"), 4u) << dom;
    EXPECT_EQ(tags.count("ul"), 3u) << dom;
    EXPECT_EQ(tags.count("details"), 2u) << dom;
    EXPECT_EQ(tags.count("summary"), 2u) << dom;
    for (const char* injected : {"script", "img", "iframe", "b", "svg"})
        EXPECT_EQ(tags.count(injected), 0u) << injected;
    const std::set<std::string> ours = {
        "html",    "head",    "meta", "title", "style", "body", "main",   "h1",   "ul", "li",
        "details", "summary", "span", "div",   "em",    "a",    "strong", "code", "del"};
    for (const auto& name : tags)
        EXPECT_TRUE(ours.contains(name)) << "an element the page does not make: " << name;
    EXPECT_EQ(tags.count("a"), 1u) << "only the https link is a link";
    EXPECT_NE(dom.find("href=\"https://example.org\""), std::string::npos);
    EXPECT_EQ(dom.find("href=\"javascript"), std::string::npos);
    EXPECT_NE(dom.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos) << dom;
    EXPECT_NE(dom.find("<title>&lt;script&gt;alert(1)&lt;/script&gt;</title>"), std::string::npos);
    EXPECT_NE(dom.find("<li class=\"checked\">"), std::string::npos);
}
