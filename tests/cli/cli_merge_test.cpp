#include "cli_harness.hpp"
#include "core/model/tree_ops.hpp"

#include <cstdlib>

using namespace velmora;
using namespace velmora::clitest;

namespace {

class CliMerge : public CliTest {
protected:
    // Plans: Alpha (Alpha one), Beta.
    static TreeDocument plans() {
        Item a = Item::blank("a", "Alpha");
        a.children = ItemList{Item::blank("a1", "Alpha one")};
        return TreeDocument{"doc", "Plans", ItemList{a, Item::blank("b", "Beta")}};
    }
    static TreeDocument retitled(const TreeDocument& d, const std::string& id,
                                 const std::string& text) {
        return TreeOps::updateItem(d, id, [&](Item& item) { item.text = text; });
    }
    std::string writeDocument(const std::string& file, const TreeDocument& d) const {
        EditorSnapshot snapshot;
        snapshot.document = d;
        snapshot.view = ViewMode::tree;
        write(file, NativeDocumentCodec::encode(snapshot, BackupSettings{}));
        return path(file).string();
    }
    static TreeDocument readDocument(const fs::path& file) {
        auto loaded = NativeDocumentCodec::decode(slurp(file));
        EXPECT_TRUE(loaded.ok()) << file;
        return loaded ? loaded.value().document : TreeDocument{};
    }
    static std::vector<std::string> titles(const TreeDocument& d) {
        std::vector<std::string> out;
        std::function<void(const ItemList&)> walk = [&](const ItemList& items) {
            for (const auto& item : items) {
                out.push_back(item.text);
                walk(item.children);
            }
        };
        walk(d.items);
        return out;
    }
    int shell(const std::string& command) const {
        const std::string full = "cd " + quote(m_dir.string()) +
                                 " && HOME=" + quote(m_dir.string()) + " GIT_CONFIG_NOSYSTEM=1 " +
                                 command + " >>" + quote((m_dir / ".git-log").string()) + " 2>&1";
        const int raw = std::system(full.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

using Titles = std::vector<std::string>;

} // namespace

TEST_F(CliMerge, ThreeWayReplacesOursAndExitsByConflicts) {
    auto base = writeDocument("base.quenlith", plans());
    auto ours = writeDocument("ours.quenlith", retitled(plans(), "a1", "Mine"));
    auto theirs = writeDocument("theirs.quenlith",
                                TreeOps::insertSiblingBelow(plans(), "b", "Gamma", "c").doc);
    auto r = cli({"merge", base, ours, theirs});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Merged " + ours + ": 1 change from ours, 1 from theirs\n");
    EXPECT_EQ(titles(readDocument(ours)), (Titles{"Alpha", "Mine", "Beta", "Gamma"}));

    // Both sides renamed the same item: both titles are kept and the status says so.
    writeDocument("ours.quenlith", retitled(plans(), "b", "Ours"));
    writeDocument("theirs.quenlith", retitled(plans(), "b", "Theirs"));
    r = cli({"merge", base, ours, theirs, "--out", path("out.quenlith").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(titles(readDocument(path("out.quenlith"))),
              (Titles{"Alpha", "Alpha one", "Ours", "Theirs"}));
    EXPECT_EQ(titles(readDocument(ours)), (Titles{"Alpha", "Alpha one", "Ours"}));
}

TEST_F(CliMerge, UnreadableInputOrBadUsageWritesNothing) {
    auto base = writeDocument("base.quenlith", plans());
    auto ours = writeDocument("ours.quenlith", retitled(plans(), "a1", "Mine"));
    const std::string before = slurp(ours);
    write("broken.quenlith", "{ not json");
    auto r = cli({"merge", base, ours, path("broken.quenlith").string()});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(slurp(ours), before);
    EXPECT_EQ(cli({"merge", base, ours, path("missing.quenlith").string()}).status, 2);
    EXPECT_EQ(cli({"merge", base, ours}).status, 2);
    EXPECT_EQ(cli({"merge", base, ours, ours, "--out"}).status, 2);
    EXPECT_EQ(slurp(ours), before);
    EXPECT_EQ(cli({"merge", "--help"}).status, 0);
}

TEST_F(CliMerge, BackupsMergeByDocumentAndEmptyBaseKeepsTheUnion) {
    TreeDocument other{"doc2", "Other", ItemList{Item::blank("x", "Ex")}};
    write("base.json", BackupCodec::encode({plans(), other}, BackupSettings{}));
    write("ours.json",
          BackupCodec::encode({retitled(plans(), "a", "A!"), other}, BackupSettings{}));
    // Theirs deleted the untouched second document and renamed Beta.
    write("theirs.json", BackupCodec::encode({retitled(plans(), "b", "B!")}, BackupSettings{}));
    auto r = cli({"merge", path("base.json").string(), path("ours.json").string(),
                  path("theirs.json").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    auto merged = BackupCodec::decode(slurp(path("ours.json")));
    ASSERT_TRUE(merged.ok());
    ASSERT_EQ(merged.value().documents.size(), 1u);
    EXPECT_EQ(titles(merged.value().documents[0]), (Titles{"A!", "Alpha one", "B!"}));

    // No common version: an empty BASE, as git passes when both sides added the file.
    write("empty", "");
    auto ours = writeDocument("o.quenlith", retitled(plans(), "b", "Left"));
    auto theirs =
        writeDocument("t.quenlith", TreeOps::insertSiblingBelow(plans(), "a", "New", "n").doc);
    r = cli({"merge", path("empty").string(), ours, theirs});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(titles(readDocument(ours)), (Titles{"Alpha", "Alpha one", "New", "Left", "Beta"}));
}

TEST_F(CliMerge, GitMergesTwoBranchesThroughTheDriver) {
    ASSERT_EQ(shell("git init -q -b main repo"), 0);
    const std::string git = "git -C repo -c user.name=Test -c user.email=test@example.invalid";
    ASSERT_EQ(shell(git + " config merge.ostrevo.driver " +
                    quote(quote(OSTREVO_CLI) + " merge %O %A %B")),
              0);
    write("repo/.gitattributes", "*.quenlith merge=ostrevo\n");
    writeDocument("repo/Plans.quenlith", plans());
    ASSERT_EQ(shell(git + " add -A && " + git + " commit -q -m base"), 0);
    ASSERT_EQ(shell(git + " checkout -q -b laptop"), 0);
    writeDocument("repo/Plans.quenlith",
                  TreeOps::insertSiblingBelow(retitled(plans(), "a1", "Laptop one"), "b",
                                              "From the laptop", "l")
                      .doc);
    ASSERT_EQ(shell(git + " commit -q -am laptop"), 0);
    ASSERT_EQ(shell(git + " checkout -q main"), 0);
    writeDocument(
        "repo/Plans.quenlith",
        TreeOps::addChild(retitled(plans(), "b", "Desk Beta"), "b", "From the desk", "d").doc);
    ASSERT_EQ(shell(git + " commit -q -am desk"), 0);
    EXPECT_EQ(shell(git + " merge -q --no-edit laptop"), 0) << slurp(path(".git-log"));
    EXPECT_EQ(titles(readDocument(path("repo/Plans.quenlith"))),
              (Titles{"Alpha", "Laptop one", "Desk Beta", "From the desk", "From the laptop"}));
    EXPECT_EQ(shell(git + " diff --quiet HEAD"), 0);

    // Both branches rename Alpha: git reports the conflict, the file holds both titles.
    ASSERT_EQ(shell(git + " checkout -q -b other"), 0);
    writeDocument("repo/Plans.quenlith",
                  retitled(readDocument(path("repo/Plans.quenlith")), "a", "Other Alpha"));
    ASSERT_EQ(shell(git + " commit -q -am other"), 0);
    ASSERT_EQ(shell(git + " checkout -q main"), 0);
    writeDocument("repo/Plans.quenlith",
                  retitled(readDocument(path("repo/Plans.quenlith")), "a", "Main Alpha"));
    ASSERT_EQ(shell(git + " commit -q -am main"), 0);
    EXPECT_NE(shell(git + " merge -q --no-edit other"), 0);
    EXPECT_EQ(titles(readDocument(path("repo/Plans.quenlith"))),
              (Titles{"Main Alpha", "Laptop one", "Other Alpha", "Desk Beta", "From the desk",
                      "From the laptop"}));
}

TEST_F(CliMerge, MergeCopiesFoldsEachCopyInAndTrashesIt) {
    const fs::path library = path("Library");
    writeDocument("Library/Plan.quenlith", retitled(plans(), "a", "Here"));
    writeDocument("Library/Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith",
                  TreeOps::insertSiblingBelow(plans(), "b", "There", "t").doc);
    writeDocument("Library/Sub/Plan (conflicted copy 2026-12-07 101010).quenlith", plans());
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", path("data").c_str(), 1);
    auto r = cli({"merge-copies", library.string()});
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith: merged into "
                     "Plan.quenlith (1 item added, 1 conflict kept side by side), moved to the "
                     "trash\n");
    EXPECT_EQ(titles(readDocument(library / "Plan.quenlith")),
              (Titles{"Here", "Alpha one", "Alpha", "Beta", "There"}));
    EXPECT_FALSE(fs::exists(library / "Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith"));
    EXPECT_TRUE(
        fs::exists(path("data/Trash/files/Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith")));
    EXPECT_TRUE(fs::exists(
        path("data/Trash/info/Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith.trashinfo")));
    // A copy without its document beside it is left alone.
    EXPECT_TRUE(fs::exists(library / "Sub/Plan (conflicted copy 2026-12-07 101010).quenlith"));
    EXPECT_EQ(cli({"merge-copies", path("nowhere").string()}).status, 2);
}
