#include "core/library/conflict_copies.hpp"
#include "core/library/library.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class Folder {
public:
    Folder() {
        std::random_device rd;
        m_path = fs::temp_directory_path() / ("ostrevo-copies-" + std::to_string(rd()));
        fs::create_directories(m_path);
    }
    ~Folder() {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

void touch(const fs::path& path, const std::string& text = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> namesOf(const std::vector<LibraryEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name);
    return out;
}

} // namespace

TEST(LibraryConflictCopies, SyncToolsNamesGiveTheirDocument) {
    using Library::conflictCopyOriginal;
    EXPECT_EQ(conflictCopyOriginal("Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith"),
              "Plan.quenlith");
    EXPECT_EQ(conflictCopyOriginal("Plan (conflicted copy 2026-12-07 101010).quenlith"),
              "Plan.quenlith");
    EXPECT_EQ(conflictCopyOriginal("Plan (Someone's conflicted copy 2026-12-07).quenlith"),
              "Plan.quenlith");
    EXPECT_EQ(conflictCopyOriginal("Trip v2 (Ana's conflicted copy 2026-12-07 (1)).quenlith"),
              "Trip v2.quenlith");
    EXPECT_EQ(conflictCopyOriginal(
                  "Plan.sync-conflict-20261207-101010-ABCDEFG.sync-conflict-20261208-090000-"
                  "XYZXYZ1.quenlith"),
              "Plan.quenlith");
    for (const char* plain :
         {"Plan.quenlith", "Plan (copy).quenlith", "sync-conflict.quenlith",
          "Plan.sync-conflict-2026-ABC.quenlith", "Plan (conflicted copy).quenlith"})
        EXPECT_FALSE(conflictCopyOriginal(plain)) << plain;
}

TEST(LibraryConflictCopies, ScanListsCopiesUnderTheirDocumentNotAsDocuments) {
    Folder folder;
    touch(folder.path() / "Plan.quenlith");
    touch(folder.path() / "Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith");
    touch(folder.path() / "Plan (conflicted copy 2026-12-07 101010).quenlith");
    // No document of that name here: the copy is all there is, so it is listed.
    touch(folder.path() / "Lost.sync-conflict-20261207-101010-ABCDEFG.quenlith");
    touch(folder.path() / "Sub" / "Plan (Someone's conflicted copy 2026-12-07).quenlith");
    auto entries = Library::scan(folder.path());
    ASSERT_EQ(namesOf(entries), (std::vector<std::string>{
                                    "Sub", "Lost.sync-conflict-20261207-101010-ABCDEFG", "Plan"}));
    EXPECT_EQ(namesOf(entries[2].conflictCopies),
              (std::vector<std::string>{"Plan (conflicted copy 2026-12-07 101010)",
                                        "Plan.sync-conflict-20261207-101010-ABCDEFG"}));
    EXPECT_EQ(entries[0].children.size(), 1u);
    // Searches and the list of documents never offer the attached copies.
    EXPECT_EQ(Library::documents(entries).size(), 3u);
    Library::TextCache cache;
    EXPECT_EQ(namesOf(Library::search("plan", entries, cache, Library::readFile)),
              (std::vector<std::string>{"Plan (Someone's conflicted copy 2026-12-07)", "Plan"}));
}

TEST(LibraryConflictCopies, MovingTheLibraryTakesTheCopiesAlong) {
    Folder from, to;
    touch(from.path() / "Plan.quenlith");
    touch(from.path() / "Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith");
    auto summary = Library::moveContents(from.path(), to.path());
    EXPECT_EQ(summary.moved, 2);
    EXPECT_TRUE(fs::exists(to.path() / "Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith"));
    EXPECT_TRUE(fs::is_empty(from.path()));
}

TEST(LibraryTrash, MovesIntoFilesWithAnInfoRecordAndNeverReplaces) {
    Folder folder;
    const fs::path trash = folder.path() / "Trash";
    const fs::path file = folder.path() / "My plan%.quenlith";
    touch(file, "first");
    auto trashed = Library::moveToTrash(file, trash);
    ASSERT_TRUE(trashed);
    EXPECT_EQ(*trashed, trash / "files" / "My plan%.quenlith");
    EXPECT_FALSE(fs::exists(file));
    std::ifstream in(trash / "info" / "My plan%.quenlith.trashinfo");
    std::stringstream info;
    info << in.rdbuf();
    const std::string encoded = "Path=" + (folder.path() / "My%20plan%25.quenlith").string();
    EXPECT_EQ(info.str().rfind("[Trash Info]\n" + encoded + "\nDeletionDate=", 0), 0u)
        << info.str();
    EXPECT_EQ(info.str().size(),
              std::string("[Trash Info]\n" + encoded + "\nDeletionDate=").size() +
                  std::string("2026-12-07T10:10:10\n").size());

    touch(file, "second");
    trashed = Library::moveToTrash(file, trash);
    ASSERT_TRUE(trashed);
    EXPECT_EQ(*trashed, trash / "files" / "My plan%.2.quenlith");
    EXPECT_TRUE(fs::exists(trash / "info" / "My plan%.2.quenlith.trashinfo"));
    std::ifstream first(trash / "files" / "My plan%.quenlith");
    std::string text;
    first >> text;
    EXPECT_EQ(text, "first");
    EXPECT_FALSE(Library::moveToTrash(folder.path() / "gone.quenlith", trash));
}

TEST(LibraryTrash, FolderFollowsXdgDataHome) {
    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", "/tmp/data-home", 1);
    EXPECT_EQ(Library::trashFolder(), fs::path("/tmp/data-home/Trash"));
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}
