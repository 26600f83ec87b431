#include "core/formats/native_document_codec.hpp"
#include "core/library/library.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <unistd.h>

using namespace velmora;
namespace fs = std::filesystem;

namespace {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::random_device rd;
        m_path = fs::temp_directory_path() / ("ostrevo-library-" + std::to_string(rd()));
        fs::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A document file with one item per text, and a note on the first.
std::string documentFile(const std::string& title, std::vector<std::string> texts,
                         const std::string& note = {}) {
    std::vector<Item> items;
    for (auto& text : texts)
        items.push_back(Item::blank("id-" + text, text));
    if (!items.empty())
        items[0].note = note;
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc-" + title, title, ItemList(std::move(items))};
    return NativeDocumentCodec::encode(snapshot, BackupSettings{});
}

std::vector<std::string> names(const std::vector<LibraryEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name);
    return out;
}

using Names = std::vector<std::string>;

} // namespace

TEST(LibraryScan, FoldersFirstThenDocumentsByName) {
    TempFolder dir;
    fs::create_directories(dir.path() / "b");
    write(dir.path() / "A.quenlith", "{}");
    write(dir.path() / "c.QUENLITH", "{}");
    write(dir.path() / "notes.txt", "x");
    write(dir.path() / ".hidden.quenlith", "{}");
    fs::create_directories(dir.path() / ".hiddenfolder");
    auto entries = Library::scan(dir.path());
    EXPECT_EQ(names(entries), (Names{"b", "A", "c"}));
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_FALSE(entries[0].modified);
    EXPECT_TRUE(entries[1].modified);
    EXPECT_TRUE(Library::scan(dir.path() / "missing").empty());
}

TEST(LibraryScan, NestedFoldersAndNaturalOrder) {
    TempFolder dir;
    write(dir.path() / "1/2/3/4/5/deep.quenlith", "{}");
    write(dir.path() / "Plan 10.quenlith", "{}");
    write(dir.path() / "plan 2.quenlith", "{}");
    write(dir.path() / "Plan.quenlith", "{}");
    auto entries = Library::scan(dir.path());
    EXPECT_EQ(names(entries), (Names{"1", "Plan", "plan 2", "Plan 10"}));
    auto docs = Library::documents(entries);
    EXPECT_EQ(names(docs), (Names{"deep", "Plan", "plan 2", "Plan 10"}));
    EXPECT_LT(Library::compareNames("item 9", "Item 10"), 0);
    // Names equal without regard to case still have one order: case breaks the tie.
    EXPECT_LT(Library::compareNames("Notes", "notes"), 0);
}

TEST(LibraryNames, OrderIsTotalAtItsCorners) {
    EXPECT_LT(Library::compareNames("file2", "file10"), 0);
    EXPECT_GT(Library::compareNames("file10", "file2"), 0);
    EXPECT_LT(Library::compareNames("A", "a"), 0);
    EXPECT_GT(Library::compareNames("a", "A"), 0);
    EXPECT_LT(Library::compareNames("a", "B"), 0);
    EXPECT_LT(Library::compareNames("file01", "file1"), 0);
    EXPECT_LT(Library::compareNames("file1", "file01a"), 0);
    EXPECT_LT(Library::compareNames("cafe", "caf\xC3\xA9"), 0);
    EXPECT_LT(Library::compareNames("caf\xC3\xA9", "cafes"), 0);
    EXPECT_EQ(Library::compareNames("same", "same"), 0);
    // A scan lists both spellings, in the same order every time.
    TempFolder dir;
    write(dir.path() / "a.quenlith", "{}");
    write(dir.path() / "A.quenlith", "{}");
    write(dir.path() / "file10.quenlith", "{}");
    write(dir.path() / "file2.quenlith", "{}");
    EXPECT_EQ(names(Library::scan(dir.path())), (Names{"A", "a", "file2", "file10"}));
}

TEST(LibraryScan, LinkedFoldersAreNotFollowed) {
    TempFolder dir;
    write(dir.path() / "Real/inside.quenlith", "{}");
    write(dir.path() / "elsewhere.quenlith", "{}");
    // A loop back to the library itself and a link to a folder outside it.
    fs::create_directory_symlink(dir.path(), dir.path() / "Real/loop");
    fs::create_directory_symlink(dir.path() / "Real", dir.path() / "Shortcut");
    fs::create_symlink(dir.path() / "elsewhere.quenlith", dir.path() / "Real/linked.quenlith");
    fs::create_symlink(dir.path() / "gone.quenlith", dir.path() / "Real/dangling.quenlith");
    auto entries = Library::scan(dir.path());
    EXPECT_EQ(names(entries), (Names{"Real", "elsewhere"}));
    EXPECT_EQ(names(entries[0].children), (Names{"inside", "linked"}));
    EXPECT_EQ(Library::documents(entries).size(), 3u);
}

TEST(LibraryMatch, FoldsAndSplitsTheQuery) {
    int reads = 0;
    auto text = [&] {
        ++reads;
        return std::string("agenda");
    };
    EXPECT_TRUE(Library::matches("cafe PLAN", "Café plan", text));
    EXPECT_TRUE(Library::matches(" \n\t", "anything", text));
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(Library::matches("plan agenda", "Café plan", text));
    EXPECT_EQ(reads, 1);
    EXPECT_FALSE(Library::matches("plan budget", "Café plan", text));
    EXPECT_EQ(reads, 2);
}

TEST(LibrarySearch, NameAndTextSplitAndTitleNotSearched) {
    TempFolder dir;
    write(dir.path() / "Trip.quenlith", documentFile("Secret title", {"pack bags"}, "passport"));
    write(dir.path() / "Work.quenlith", documentFile("Trip budget", {"meeting"}));
    auto entries = Library::scan(dir.path());
    Library::TextCache cache;
    int reads = 0;
    auto read = [&](const fs::path& p) {
        ++reads;
        return Library::readFile(p);
    };
    EXPECT_EQ(names(Library::search("trip passport", entries, cache, read)), (Names{"Trip"}));
    // "budget" is only in Work's title inside the file, which is not searched.
    EXPECT_TRUE(Library::search("work budget", entries, cache, read).empty());
    EXPECT_EQ(names(Library::search("meeting", entries, cache, read)), (Names{"Work"}));
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(Library::searchText(*Library::readFile(dir.path() / "Trip.quenlith")),
              "pack bags\npassport");
    EXPECT_EQ(Library::searchText("not json"), "");
}

TEST(LibrarySearch, ChangedFilesAreReadAgain) {
    TempFolder dir;
    auto file = dir.path() / "Doc.quenlith";
    write(file, documentFile("Doc", {"alpha"}));
    Library::TextCache cache;
    auto entry = Library::scan(dir.path()).front();
    EXPECT_EQ(Library::cachedText(entry, cache, Library::readFile), "alpha");
    write(file, documentFile("Doc", {"beta"}));
    EXPECT_EQ(Library::cachedText(entry, cache, Library::readFile), "alpha");
    entry.modified = *entry.modified + std::chrono::seconds(1);
    EXPECT_EQ(Library::cachedText(entry, cache, Library::readFile), "beta");
    auto unreadable = [](const fs::path&) { return std::optional<std::string>(); };
    entry.modified.reset();
    EXPECT_EQ(Library::cachedText(entry, cache, unreadable), "");
}

TEST(LibraryNames, UniqueNamesCountFromTwo) {
    TempFolder dir;
    write(dir.path() / "Notes.quenlith", "{}");
    write(dir.path() / "Notes 2.quenlith", "{}");
    EXPECT_EQ(Library::uniqueURL(dir.path(), "Notes", false), dir.path() / "Notes 3.quenlith");
    EXPECT_EQ(Library::uniqueURL(dir.path(), "a/b", true), dir.path() / "a-b");
    fs::create_directories(dir.path() / "Folder");
    EXPECT_EQ(Library::uniqueURL(dir.path(), "Folder", true), dir.path() / "Folder 2");
}

TEST(LibraryNames, ProposedNamesNeverStartWithADot) {
    TempFolder dir;
    EXPECT_EQ(Library::uniqueURL(dir.path(), ".plan", false), dir.path() / "plan.quenlith");
    EXPECT_EQ(Library::uniqueURL(dir.path(), "...", false), dir.path() / "Untitled.quenlith");
    EXPECT_EQ(Library::uniqueURL(dir.path(), " . config", true), dir.path() / "config");
    // What it proposes, the scan lists.
    auto path = Library::uniqueURL(dir.path(), ".plan", false);
    write(path, "{}");
    EXPECT_EQ(names(Library::scan(dir.path())), (Names{"plan"}));
}

TEST(LibraryMove, MovesEntriesAndSkipsNameClashes) {
    TempFolder from, to;
    write(from.path() / "Keep.quenlith", "old");
    write(from.path() / "Moves.quenlith", "doc");
    write(from.path() / "Folder/Inner.quenlith", "inner");
    write(from.path() / "notes.txt", "stays");
    write(to.path() / "Keep.quenlith", "existing");
    auto summary = Library::moveContents(from.path(), to.path());
    EXPECT_EQ(summary.moved, 2);
    EXPECT_EQ(summary.skipped, (Names{"Keep.quenlith"}));
    EXPECT_EQ(summary.reasons, std::vector<Library::MoveFailure>{Library::MoveFailure::exists});
    EXPECT_EQ(Library::readFile(to.path() / "Keep.quenlith"), "existing");
    EXPECT_EQ(Library::readFile(from.path() / "Keep.quenlith"), "old");
    EXPECT_EQ(Library::readFile(to.path() / "Folder/Inner.quenlith"), "inner");
    EXPECT_FALSE(fs::exists(from.path() / "Moves.quenlith"));
    EXPECT_TRUE(fs::exists(from.path() / "notes.txt"));
}

TEST(LibraryMove, ExistingFolderAtTheDestinationIsNotMerged) {
    TempFolder from, to;
    write(from.path() / "Shared/a.quenlith", "a");
    fs::create_directories(to.path() / "Shared");
    auto summary = Library::moveContents(from.path(), to.path());
    EXPECT_EQ(summary.moved, 0);
    EXPECT_EQ(summary.skipped, (Names{"Shared"}));
    EXPECT_EQ(summary.reasons, std::vector<Library::MoveFailure>{Library::MoveFailure::exists});
    EXPECT_TRUE(fs::exists(from.path() / "Shared/a.quenlith"));
    EXPECT_FALSE(fs::exists(to.path() / "Shared/a.quenlith"));
}

TEST(LibraryMove, OneEntryNamesWhyItStayed) {
    TempFolder dir;
    write(dir.path() / "a.quenlith", "a");
    write(dir.path() / "b.quenlith", "b");
    fs::create_directories(dir.path() / "Locked");
    EXPECT_EQ(Library::move(dir.path() / "a.quenlith", dir.path() / "b.quenlith"),
              Library::MoveFailure::exists);
    EXPECT_EQ(Library::readFile(dir.path() / "b.quenlith"), "b");
    EXPECT_EQ(Library::move(dir.path() / "none.quenlith", dir.path() / "c.quenlith"),
              Library::MoveFailure::missing);
    // A folder moves whole; nothing is left behind.
    write(dir.path() / "F/inner.quenlith", "i");
    EXPECT_EQ(Library::move(dir.path() / "F", dir.path() / "Locked/F"), std::nullopt);
    EXPECT_EQ(Library::readFile(dir.path() / "Locked/F/inner.quenlith"), "i");
    EXPECT_FALSE(fs::exists(dir.path() / "F"));
    fs::permissions(dir.path() / "Locked", fs::perms::owner_read | fs::perms::owner_exec);
    bool privileged = ::access((dir.path() / "Locked").c_str(), W_OK) == 0;
    if (!privileged) {
        EXPECT_EQ(Library::move(dir.path() / "a.quenlith", dir.path() / "Locked/a.quenlith"),
                  Library::MoveFailure::permission);
    }
    fs::permissions(dir.path() / "Locked", fs::perms::owner_all);
}

TEST(LibraryRoot, LocationsFollowTheHomeFolder) {
    fs::path home = "/home/ada";
    EXPECT_EQ(Library::root(LibraryLocation::local, home, std::nullopt),
              fs::path("/home/ada/Documents/Ostrevo"));
    EXPECT_EQ(Library::root(LibraryLocation::iCloud, home, std::nullopt),
              fs::path("/home/ada/Library/Mobile Documents/com~apple~CloudDocs/Ostrevo"));
    EXPECT_EQ(Library::root(LibraryLocation::custom, home, std::nullopt), std::nullopt);
    EXPECT_EQ(Library::root(LibraryLocation::custom, home, fs::path("/data")), fs::path("/data"));
    EXPECT_EQ(Library::root(LibraryLocation::local, home, std::nullopt, fs::path("/home/ada/Dokumente")),
              fs::path("/home/ada/Dokumente/Ostrevo"));
    EXPECT_EQ(libraryLocationFromRawValue("iCloud"), LibraryLocation::iCloud);
    EXPECT_EQ(libraryLocationFromRawValue("cloud"), std::nullopt);
}

TEST(LibraryMove, AcrossFileSystemsCopiesThenRemoves) {
    std::error_code error;
    fs::path shm = "/dev/shm";
    TempFolder to;
    if (!fs::is_directory(shm, error))
        GTEST_SKIP() << "no second file system here";
    fs::path from = shm / ("ostrevo-move-" + std::to_string(std::random_device{}()));
    write(from / "Folder/Inner.quenlith", "inner");
    write(from / "Top.quenlith", "top");
    auto summary = Library::moveContents(from, to.path());
    EXPECT_EQ(summary.moved, 2);
    EXPECT_TRUE(summary.skipped.empty());
    EXPECT_EQ(Library::readFile(to.path() / "Folder/Inner.quenlith"), "inner");
    EXPECT_FALSE(fs::exists(from / "Top.quenlith"));
    EXPECT_FALSE(fs::exists(from / "Folder"));
    fs::remove_all(from, error);
}

TEST(LibraryRoot, StoredLocationIsReadStrictly) {
    using L = LibraryLocation;
    EXPECT_EQ(Library::location(std::string("local"), true, true), L::local);
    EXPECT_EQ(Library::location(std::string("custom"), true, true), L::custom);
    EXPECT_EQ(Library::location(std::string("custom"), false, true), L::local);
    EXPECT_EQ(Library::location(std::string("iCloud"), false, false), L::local);
    EXPECT_EQ(Library::location(std::string("iCloud"), false, true), L::iCloud);
    EXPECT_EQ(Library::location(std::nullopt, false, false), L::local);
    EXPECT_EQ(Library::location(std::string("moon"), false, false), L::local);
}

TEST(LibraryFiles, ReadFileGivesTheBytesOrNothing) {
    TempFolder dir;
    std::string bytes("a\0b\xFF\n", 5);
    write(dir.path() / "raw.bin", bytes);
    EXPECT_EQ(Library::readFile(dir.path() / "raw.bin"), bytes);
    EXPECT_EQ(Library::readFile(dir.path() / "missing"), std::nullopt);
    // A folder is no file: it reads as nothing, not as an empty file.
    fs::create_directories(dir.path() / "Folder");
    EXPECT_EQ(Library::readFile(dir.path() / "Folder"), std::nullopt);
}
