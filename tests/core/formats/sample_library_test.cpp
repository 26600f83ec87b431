#include "core/formats/sample_library.hpp"

#include "core/formats/native_document_codec.hpp"
#include "format_fixtures.hpp"

#include <gtest/gtest.h>

#include <set>

using namespace velmora;
using namespace velmora::testing;

namespace {

void collectIds(const ItemList& items, std::set<std::string>& ids) {
    for (const auto& item : items) {
        ids.insert(item.id);
        collectIds(item.children, ids);
    }
}

} // namespace

TEST(SampleLibrary, ThreeDocumentsWithNotesChecksAndLabels) {
    auto documents = SampleLibrary::documents(counter());
    ASSERT_EQ(documents.size(), 3u);
    EXPECT_EQ(documents[0].title, "Trip");
    EXPECT_EQ(documents[1].title, "Community Event");
    EXPECT_EQ(documents[2].title, "Roadmap");
    EXPECT_EQ(documents[0].itemCount(), 17);
    EXPECT_EQ(documents[1].itemCount(), 14);
    EXPECT_EQ(documents[2].itemCount(), 13);

    const Item& before = documents[0].items[0];
    EXPECT_EQ(before.color, ColorLabel::orange);
    EXPECT_TRUE(before.children[0].checked);
    EXPECT_EQ(before.children[0].note, "Morning departure, aisle seats");
    EXPECT_EQ(before.children[4].text, "Ask the hotel:\nearly check-in?\nairport shuttle?");
    EXPECT_NE(before.children[4].note.find("desk \xE2\x80\x94 the"), std::string::npos);
    EXPECT_EQ(documents[0].items[1].children[0].children[2].text, "Insurance");
    EXPECT_EQ(documents[1].items[1].children[0].children[3].color, ColorLabel::purple);
    EXPECT_EQ(documents[2].items[2].color, ColorLabel::gray);
}

TEST(SampleLibrary, EveryBuildHasFreshUniqueIds) {
    std::set<std::string> first, second;
    std::size_t count = 0;
    for (const auto& document : SampleLibrary::documents()) {
        first.insert(document.id);
        collectIds(document.items, first);
        count += 1 + static_cast<std::size_t>(document.itemCount());
    }
    EXPECT_EQ(first.size(), count);
    for (const auto& document : SampleLibrary::documents())
        collectIds(document.items, second);
    for (const auto& id : second)
        EXPECT_FALSE(first.contains(id));
}

TEST(SampleLibrary, InstallingTwiceMakesTwoFoldersOfThreeFiles) {
    FakeFileSystem files;
    auto first = SampleLibrary::install("/lib", files);
    auto second = SampleLibrary::install("/lib", files);
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(first.value(), "/lib/Samples");
    EXPECT_EQ(second.value(), "/lib/Samples 2");
    for (const char* folder : {"/lib/Samples", "/lib/Samples 2"}) {
        auto names = files.list(folder).value();
        EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
                  (std::set<std::string>{"Trip.quenlith", "Community Event.quenlith",
                                         "Roadmap.quenlith"}));
    }
    EXPECT_NE(files.files["/lib/Samples/Trip.quenlith"],
              files.files["/lib/Samples 2/Trip.quenlith"]);
}

TEST(SampleLibrary, FilesOpenAsATreeWithAllNotesAlthoughTheSettingsSayList) {
    FakeFileSystem files;
    ASSERT_TRUE(SampleLibrary::install("/lib", files).ok());
    auto loaded = NativeDocumentCodec::decode(files.files["/lib/Samples/Roadmap.quenlith"]);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.value().settings, BackupSettings{});
    EditorSnapshot snapshot = NativeDocumentCodec::snapshot(loaded.value());
    EXPECT_EQ(snapshot.view, ViewMode::tree);
    EXPECT_TRUE(snapshot.showAllNotes);
    EXPECT_EQ(snapshot.document.title, "Roadmap");
}

TEST(SampleLibrary, FailuresAreReported) {
    FakeFileSystem noFolder;
    noFolder.failMakeFolder = true;
    auto refused = SampleLibrary::install("/lib", noFolder);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, FileError::Kind::permissionDenied);
    EXPECT_TRUE(noFolder.files.empty());

    FakeFileSystem full;
    full.failWrite = [](const std::filesystem::path& p) {
        return p.filename() == "Roadmap.quenlith";
    };
    auto failed = SampleLibrary::install("/lib", full);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().path, "/lib/Samples/Roadmap.quenlith");
    EXPECT_EQ(full.files.size(), 2u); // the files written before stay
}
