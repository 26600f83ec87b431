#include "cli_harness.hpp"

using namespace velmora;
using namespace velmora::clitest;

using CliRun = CliTest;

TEST_F(CliRun, StepsPrintRecordsAndWriteTheDocument) {
    auto file = documentFile("Plans.quenlith");
    auto out = path("Out.quenlith").string();
    auto r = cli({"run", file, "--out", out, "select=b", "add-below=Gamma", "commit=Gamma",
                  "indent", "export-backup", "undo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "- -\nundo.add -\nundo.edit -\nundo.indent -\n- exportBackup\nundo.indent -\n");
    auto written = NativeDocumentCodec::decode(slurp(out));
    ASSERT_TRUE(written);
    EXPECT_EQ(written.value().document.itemCount(), 4);
    EXPECT_EQ(written.value().document.items[2].text, "Gamma");
    // The input stays as it was when the output goes elsewhere.
    EXPECT_EQ(NativeDocumentCodec::decode(slurp(file)).value().document.itemCount(), 3);
}

TEST_F(CliRun, UnknownStepRefusesBeforeWriting) {
    auto file = documentFile("Plans.quenlith");
    auto before = slurp(file);
    auto r = cli({"run", file, "add-below", "fly-away"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("fly-away"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(file), before);
    EXPECT_EQ(cli({"run", file, "label=a=pink"}).status, 1);
    EXPECT_EQ(cli({"run", file, "move=a=top=first"}).status, 1);
    EXPECT_EQ(slurp(file), before);
}

TEST_F(CliRun, StateShowsSelectionEditingAndRows) {
    auto file = documentFile("Plans.quenlith");
    auto r = cli({"run", file, "--state", "select=a", "toggle=b", "edit"});
    EXPECT_EQ(r.status, 0) << r.err;
    auto state = r.out.substr(r.out.rfind("{\"selectedId\""));
    EXPECT_NE(state.find("\"selectedIDs\": [\"a\", \"b\"]"), std::string::npos) << state;
    EXPECT_NE(state.find("\"rows\": [[\"a\", 0], [\"a1\", 1], [\"b\", 0]]"), std::string::npos)
        << state;
    EXPECT_NE(state.find("\"view\": \"tree\""), std::string::npos);
}

TEST_F(CliRun, CopyPrintsTextAndPasteReadsIt) {
    auto file = documentFile("Plans.quenlith");
    auto r =
        cli({"run", file, "select=a", "copy", "select=b", "paste=New\\n\\tChild", "undo", "redo"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("Alpha\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("undo.paste -\nundo.paste -\nundo.paste -\n"), std::string::npos) << r.out;
    auto doc = NativeDocumentCodec::decode(slurp(file)).value().document;
    EXPECT_EQ(doc.itemCount(), 5);
    EXPECT_EQ(doc.items[2].text, "New");
    EXPECT_EQ(doc.items[2].children[0].text, "Child");
}

TEST_F(CliRun, CompletionStepsFollowTheChecksOption) {
    auto file = documentFile("Plans.quenlith");
    auto r = cli({"run", file, "--no-checks", "select=b", "toggle-check"});
    EXPECT_EQ(r.out, "- -\n- -\n");
    auto hidden = cli({"run", file, "--hide-completed", "--state", "check=b=true"});
    EXPECT_NE(hidden.out.find("undo.check -"), std::string::npos);
    EXPECT_EQ(hidden.out.find("[\"b\", 0]"), std::string::npos) << hidden.out;
}

TEST_F(CliRun, AChildBelowTheDeepestItemIsRefusedAndTheFileStaysReadable) {
    // A chain as deep as the readers accept: "d0" at the top down to "d<limit>".
    Item item = Item::blank("d" + std::to_string(kMaxItemDepth), "deepest");
    for (int depth = kMaxItemDepth - 1; depth >= 0; --depth) {
        Item parent = Item::blank("d" + std::to_string(depth), "level");
        parent.children = ItemList{item};
        item = parent;
    }
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", "Deep", ItemList{item}};
    write("Deep.quenlith", NativeDocumentCodec::encode(snapshot, BackupSettings{}));
    auto file = path("Deep.quenlith").string();

    auto r = cli({"run", file, "select=d" + std::to_string(kMaxItemDepth), "add-child", "commit=x",
                  "paste=a\\n\\tb"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "- -\n- tooDeep\n- -\n- -\n");
    auto written = NativeDocumentCodec::decode(slurp(file));
    ASSERT_TRUE(written);
    EXPECT_EQ(written.value().document.itemCount(), kMaxItemDepth + 1);
    EXPECT_EQ(cli({"info", file}).status, 0);
}
