#include "cli_harness.hpp"

#include "core/commands/key_map.hpp"
#include "core/formats/opml_codec.hpp"

using namespace velmora;
using namespace velmora::clitest;

using CliInfo = CliTest;
using CliConvert = CliTest;
using CliLibrary = CliTest;
using CliKeys = CliTest;

TEST_F(CliInfo, DescribesADocumentFileAsJSON) {
    auto file = documentFile("Plans.quenlith");
    auto r = cli({"info", "--json", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"kind\": \"document\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"id\": \"doc\", \"title\": \"Plans\", \"itemCount\": 3}"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"settings\": {\"openMode\": \"tab\""), std::string::npos);
    EXPECT_NE(r.out.find("\"selectedId\": \"b\""), std::string::npos);
    EXPECT_NE(r.out.find("\"view\": \"tree\""), std::string::npos);
    auto text = cli({"info", file});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("Plans (3 items"), std::string::npos) << text.out;
}

TEST_F(CliInfo, RefusedFilesNameTheKeyAndArgument) {
    Item child = Item::blank("c", ""); // no text: the error names the path
    Item parent = Item::blank("p", "parent");
    parent.children = ItemList{child};
    auto good = BackupCodec::encode({TreeDocument{"d", "Notes", ItemList{parent}}}, {});
    auto at = good.find("\"id\": \"c\"");
    ASSERT_NE(at, std::string::npos) << good;
    write("bad.json", good.substr(0, at) + "\"idx\": \"c\"" + good.substr(at + 9));
    auto r = cli({"info", "--json", path("bad.json").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "{\"error\": \"backup.error.itemNoID %@\", \"argument\": \"Notes/0/0\"}\n");
    EXPECT_FALSE(r.err.empty());

    write("broken.opml", "<opml version=\"2.0\">\n<body>\n<outline text=\"a\">\n</body>\n");
    auto o = cli({"info", "--json", path("broken.opml").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("\"error\": \"opml.error.malformed %lld\", \"argument\": 4"),
              std::string::npos)
        << o.out;

    auto missing = cli({"info", path("missing.quenlith").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing.quenlith"), std::string::npos) << missing.err;
}

TEST_F(CliInfo, BadUsageExitsWithTwo) {
    EXPECT_EQ(cli({}).status, 2);
    EXPECT_EQ(cli({"frobnicate"}).status, 2);
    EXPECT_EQ(cli({"info"}).status, 2);
    EXPECT_EQ(cli({"info", "--bogus", "x.json"}).status, 2);
    auto help = cli({"convert", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Examples:"), std::string::npos);
}

TEST_F(CliConvert, RoundTripsThroughOPMLAndText) {
    auto file = documentFile("Plans.quenlith");
    ASSERT_EQ(cli({"convert", file, path("plans.opml").string()}).status, 0);
    auto opml = slurp(path("plans.opml"));
    EXPECT_NE(opml.find("<title>Plans</title>"), std::string::npos) << opml;
    ASSERT_EQ(cli({"convert", path("plans.opml").string(), path("Back.quenlith").string()}).status,
              0);
    auto back = NativeDocumentCodec::decode(slurp(path("Back.quenlith")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value().document.itemCount(), 3);
    EXPECT_EQ(back.value().document.items[0].children[0].text, "Alpha one");

    write("List.txt", "Groceries\n\tMilk\n\tBread\n");
    ASSERT_EQ(cli({"convert", path("List.txt").string(), path("List.quenlith").string()}).status,
              0);
    auto list = NativeDocumentCodec::decode(slurp(path("List.quenlith")));
    ASSERT_TRUE(list);
    EXPECT_EQ(list.value().document.title, "List");
    EXPECT_EQ(list.value().document.itemCount(), 3);
    EXPECT_FALSE(list.value().mac && list.value().mac->selectedId);
}

TEST_F(CliConvert, MarkdownOutAndBackWithOrWithoutTaskMarkers) {
    auto file = documentFile("Plans.quenlith");
    ASSERT_EQ(cli({"convert", file, path("plans.md").string()}).status, 0);
    EXPECT_EQ(slurp(path("plans.md")), "- [ ] Alpha\n  - [ ] Alpha one\n- [ ] Beta\n");
    ASSERT_EQ(cli({"convert", file, path("bare.MD").string(), "--no-checks"}).status, 0);
    EXPECT_EQ(slurp(path("bare.MD")), "- Alpha\n  - Alpha one\n- Beta\n");

    ASSERT_EQ(cli({"convert", path("plans.md").string(), path("Back.quenlith").string()}).status,
              0);
    auto back = NativeDocumentCodec::decode(slurp(path("Back.quenlith")));
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value().document.title, "plans");
    EXPECT_EQ(back.value().document.items[0].children[0].text, "Alpha one");

    write("bad.md", "- fine\n- \xFF\n");
    auto refused = cli({"info", "--json", path("bad.md").string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("\"markdown.error.encoding %lld\", \"argument\": 2"),
              std::string::npos)
        << refused.out;
}

TEST_F(CliConvert, NeverReplacesWithoutForce) {
    auto file = documentFile("Plans.quenlith");
    write("out.opml", "keep me");
    auto r = cli({"convert", file, path("out.opml").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(slurp(path("out.opml")), "keep me");
    EXPECT_EQ(cli({"convert", file, path("out.opml").string(), "--force"}).status, 0);
    EXPECT_NE(slurp(path("out.opml")), "keep me");
}

TEST_F(CliConvert, LargeBackupsAndDocumentFilesAreWrittenAsTheCodecsWriteThem) {
    // Several pieces of streamed text: a thousand items with long texts and notes.
    std::vector<Item> items;
    for (int i = 0; i < 1000; ++i) {
        Item item = Item::blank("i" + std::to_string(i), std::string(60, 'a' + i % 26));
        item.note = "Note \"" + std::to_string(i) + "\"\nsecond line";
        item.children = ItemList{Item::blank("c" + std::to_string(i), "child")};
        items.push_back(std::move(item));
    }
    const TreeDocument document{"big", "Big", ItemList(std::move(items))};
    const BackupSettings settings{BackupSettings::OpenMode::window, BackupSettings::View::tree,
                                  true};
    const std::string backup = BackupCodec::encode({document}, settings);
    ASSERT_GT(backup.size(), std::size_t{1} << 18);
    write("big.json", backup);
    ASSERT_EQ(cli({"convert", path("big.json").string(), path("copy.json").string()}).status, 0);
    EXPECT_EQ(slurp(path("copy.json")), backup);

    ASSERT_EQ(cli({"convert", path("big.json").string(), path("Big.quenlith").string()}).status, 0);
    EditorSnapshot imported;
    imported.document = document;
    imported.view = ViewMode::tree;
    imported.showAllNotes = true;
    EXPECT_EQ(slurp(path("Big.quenlith")), NativeDocumentCodec::encode(imported, settings));
    ASSERT_EQ(cli({"convert", path("Big.quenlith").string(), path("again.json").string()}).status,
              0);
    EXPECT_EQ(slurp(path("again.json")), backup);
    auto info = cli({"info", "--json", path("Big.quenlith").string()});
    EXPECT_NE(info.out.find("\"itemCount\": 2000"), std::string::npos) << info.out;
    EXPECT_EQ(std::vector<std::string>{}, [&] {
        std::vector<std::string> temporaries;
        for (const auto& entry : fs::directory_iterator(m_dir))
            if (entry.path().filename().string().rfind(".", 0) == 0 &&
                entry.path().filename() != ".out" && entry.path().filename() != ".err")
                temporaries.push_back(entry.path().filename().string());
        return temporaries;
    }());
}

TEST_F(CliConvert, SeveralDocumentsOnlyBecomeABackup) {
    std::vector<TreeDocument> docs;
    for (auto title : {"One", "Two", "Three"})
        docs.push_back(TreeDocument{std::string("id-") + title, title,
                                    ItemList{Item::blank(std::string("i-") + title, title)}});
    write("three.json", BackupCodec::encode(docs, BackupSettings{}));
    auto r = cli({"convert", path("three.json").string(), path("three.opml").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(path("three.opml")));
    auto j = cli({"info", "--json", path("three.json").string()});
    EXPECT_NE(j.out.find("\"kind\": \"backup\""), std::string::npos);
    auto doc = cli({"convert", path("three.json").string(), path("three.quenlith").string()});
    EXPECT_EQ(doc.status, 1);
    EXPECT_FALSE(fs::exists(path("three.quenlith")));
    EXPECT_EQ(cli({"convert", path("three.json").string(), path("copy.json").string()}).status, 0);
    EXPECT_EQ(slurp(path("copy.json")), slurp(path("three.json")));
}

TEST_F(CliLibrary, SearchFindsFoldedWordsInLibraryOrder) {
    documentFile("lib/Café plan.quenlith");
    documentFile("lib/b/Other.quenlith");
    write("lib/notes.txt", "cafe plan");
    auto r = cli({"search", path("lib").string(), "cafe", "PLAN"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Café plan.quenlith\n");
    auto text = cli({"search", path("lib").string(), "alpha one"});
    EXPECT_EQ(text.out, "b/Other.quenlith\nCafé plan.quenlith\n");
}

TEST_F(CliLibrary, SamplesAndBackupImportWriteFreshFiles) {
    auto first = cli({"samples", m_dir.string()});
    auto second = cli({"samples", m_dir.string()});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, (m_dir / "Samples").string() + "\n");
    EXPECT_EQ(second.out, (m_dir / "Samples 2").string() + "\n");

    std::vector<TreeDocument> docs{TreeDocument{"d1", "Plan", ItemList{Item::blank("i1", "x")}},
                                   TreeDocument{"d2", "Plan", ItemList{Item::blank("i2", "y")}}};
    write("backup.json", BackupCodec::encode(docs, BackupSettings{}));
    write("restored/plan.quenlith", "existing");
    auto r = cli({"import-backup", path("backup.json").string(), path("restored").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Plan 2.quenlith\nPlan 3.quenlith\n");
    EXPECT_EQ(slurp(path("restored/plan.quenlith")), "existing");
}

TEST_F(CliKeys, ResolvesChordsPerContextAndPreference) {
    EXPECT_EQ(cli({"keys", "--resolve", "return", "--context", "outline"}).out, "edit\n");
    EXPECT_EQ(cli({"keys", "--resolve", "return", "--context", "outline", "--no-return-edits"}).out,
              "add-below\n");
    EXPECT_EQ(cli({"keys", "--resolve", "control+option+shift+command+z", "--context", "note"}).out,
              "-\n");
    EXPECT_EQ(cli({"keys", "--resolve", "nonsense+up", "--context", "outline"}).status, 2);
    EXPECT_EQ(cli({"keys", "--resolve", "up"}).status, 2);
    auto table = cli({"keys"});
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'),
              79 + static_cast<long>(KeyMap::desktopBindings().size()));
}
