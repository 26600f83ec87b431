// Saving without holding the whole text: the codecs hand their text to a sink in pieces, and
// the file system writes those pieces atomically as they come.
#include "core/formats/backup_codec.hpp"
#include "core/formats/file_system.hpp"
#include "core/formats/native_document_codec.hpp"
#include "format_fixtures.hpp"
#include "temp_folder_fixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::testing;
namespace fs = std::filesystem;

namespace {

// A document of `count` rich items in nested groups, well over one 64 KB piece of text.
TreeDocument largeDocument(int count) {
    std::vector<Item> top;
    for (int i = 0; i < count; i += 10) {
        std::vector<Item> group;
        for (int j = 1; j < 10; ++j)
            group.push_back(richItem("g" + std::to_string(i + j)));
        top.push_back(richItem("g" + std::to_string(i), ItemList(std::move(group))));
    }
    return TreeDocument{"big", "Large \"outline\"", ItemList(std::move(top))};
}

struct Pieces {
    std::vector<std::string> pieces;
    std::size_t refuseAt = SIZE_MAX; // the index of the first piece refused

    TextSink sink() {
        return [this](std::string_view piece) {
            pieces.emplace_back(piece);
            return pieces.size() - 1 < refuseAt;
        };
    }
    std::string joined() const {
        std::string out;
        for (const auto& p : pieces)
            out += p;
        return out;
    }
};

const BackupSettings kSettings{BackupSettings::OpenMode::window, BackupSettings::View::tree, true};

} // namespace

TEST(StreamedWriting, BackupPiecesJoinToTheEncodedTextByteForByte) {
    std::vector<std::vector<TreeDocument>> cases = {
        {},
        {richDocument()},
        {richDocument(), TreeDocument{"e", "Empty", {}}},
        {largeDocument(2000)}};
    for (const auto& documents : cases) {
        Pieces out;
        ASSERT_TRUE(BackupCodec::write(documents, kSettings, out.sink()));
        EXPECT_EQ(out.joined(), BackupCodec::encode(documents, kSettings));
        for (const auto& piece : out.pieces)
            EXPECT_FALSE(piece.empty());
    }
}

TEST(StreamedWriting, LargeTextsComeInBoundedPieces) {
    const auto document = largeDocument(2000);
    Pieces out;
    ASSERT_TRUE(BackupCodec::write({document}, kSettings, out.sink()));
    const std::size_t whole = BackupCodec::encode({document}, kSettings).size();
    ASSERT_GT(whole, std::size_t{4} << 16);
    EXPECT_GE(out.pieces.size(), whole >> 16);
    for (const auto& piece : out.pieces)
        EXPECT_LT(piece.size(), std::size_t{80} << 10); // a chunk and at most one item more
}

TEST(StreamedWriting, DocumentFilePiecesJoinToTheEncodedText) {
    EditorSnapshot snapshot;
    snapshot.document = largeDocument(1000);
    snapshot.selectedId = "g3";
    snapshot.hoistTabs = {{"t1", "g10", "Group"}};
    snapshot.columnWidths = std::vector<double>{240, 180.5};
    for (const auto& document : {richDocument(), largeDocument(1000)}) {
        snapshot.document = document;
        Pieces out;
        ASSERT_TRUE(NativeDocumentCodec::write(snapshot, kSettings, out.sink()));
        const auto whole = NativeDocumentCodec::encode(snapshot, kSettings);
        EXPECT_EQ(out.joined(), whole);
        auto read = NativeDocumentCodec::decode(whole);
        ASSERT_TRUE(read.ok());
        EXPECT_EQ(read.value().document, document);
        EXPECT_EQ(read.value().mac->selectedId, "g3");
    }
}

TEST(StreamedWriting, ARefusedPieceStopsTheWriter) {
    const auto document = largeDocument(2000);
    for (std::size_t refuseAt : {0u, 1u, 3u}) {
        Pieces out;
        out.refuseAt = refuseAt;
        EXPECT_FALSE(BackupCodec::write({document}, kSettings, out.sink()));
        EXPECT_EQ(out.pieces.size(), refuseAt + 1) << "nothing is offered after a refusal";
    }
    Pieces small; // a text of a single piece, refused at its end
    small.refuseAt = 0;
    EXPECT_FALSE(BackupCodec::write({richDocument()}, kSettings, small.sink()));
    EXPECT_EQ(small.pieces.size(), 1u);
}

namespace {

class StreamedFileTest : public velmora::testing::TempFolderTest {};

FileSystem::Producer backupOf(const TreeDocument& document) {
    return [document](const TextSink& sink) {
        return BackupCodec::write({document}, kSettings, sink);
    };
}

} // namespace

TEST_F(StreamedFileTest, WritesThePiecesAtomicallyAndReadsThemBack) {
    const auto document = largeDocument(2000);
    const fs::path file = root / "big.json";
    ASSERT_TRUE(files.writeStreamed(file, backupOf(document), FileSystem::Overwrite::never).ok());
    EXPECT_EQ(files.read(file).value(), BackupCodec::encode({document}, kSettings));
    EXPECT_EQ(names(), std::vector<std::string>{"big.json"});

    auto refused =
        files.writeStreamed(file, backupOf(richDocument()), FileSystem::Overwrite::never);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, FileError::Kind::exists);
    ASSERT_TRUE(
        files.writeStreamed(file, backupOf(richDocument()), FileSystem::Overwrite::replace).ok());
    EXPECT_EQ(files.read(file).value(), BackupCodec::encode({richDocument()}, kSettings));
    EXPECT_EQ(names(), std::vector<std::string>{"big.json"});
}

TEST_F(StreamedFileTest, AProducerThatGivesUpLeavesTheOldFileAndNoTemporary) {
    const fs::path file = root / "keep.json";
    ASSERT_TRUE(files.write(file, "old", FileSystem::Overwrite::never).ok());
    auto failed = files.writeStreamed(
        file, [](const TextSink& sink) { return sink("half of a new text") && false; },
        FileSystem::Overwrite::replace);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(files.read(file).value(), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"keep.json"});
}

TEST_F(StreamedFileTest, AProducerThatThrowsLeavesTheOldFileAndNoTemporary) {
    const fs::path file = root / "keep.json";
    ASSERT_TRUE(files.write(file, "old", FileSystem::Overwrite::never).ok());
    EXPECT_THROW((void)files.writeStreamed(
                     file,
                     [](const TextSink& sink) -> bool {
                         (void)sink("half");
                         throw std::bad_alloc();
                     },
                     FileSystem::Overwrite::replace),
                 std::bad_alloc);
    EXPECT_EQ(files.read(file).value(), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"keep.json"});
}

TEST_F(StreamedFileTest, APieceThatCannotBeWrittenFailsTheWriteAndStopsTheProducer) {
    // A file size limit makes the write of the second piece fail (EFBIG once SIGXFSZ is
    // ignored), as a full disk would.
    const fs::path file = root / "keep.json";
    ASSERT_TRUE(files.write(file, "old", FileSystem::Overwrite::never).ok());
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    auto* handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = before;
    limited.rlim_cur = 1 << 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    int accepted = 0, offered = 0;
    auto result = files.writeStreamed(
        file,
        [&](const TextSink& sink) {
            for (int i = 0; i < 4; ++i) {
                ++offered;
                if (!sink(std::string(40'000, 'x')))
                    return false;
                ++accepted;
            }
            return true;
        },
        FileSystem::Overwrite::replace);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, EFBIG);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(offered, 2);
    EXPECT_EQ(files.read(file).value(), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"keep.json"});
}

TEST(StreamedWriting, FileSystemsWithoutStreamingCollectThePiecesAndWriteOnce) {
    FakeFileSystem files;
    const auto document = largeDocument(1000);
    ASSERT_TRUE(
        files.writeStreamed("/d/a.json", backupOf(document), FileSystem::Overwrite::never).ok());
    EXPECT_EQ(files.files.at("/d/a.json"), BackupCodec::encode({document}, kSettings));
    auto gaveUp = files.writeStreamed(
        "/d/b.json", [](const TextSink& sink) { return sink("x") && false; },
        FileSystem::Overwrite::never);
    EXPECT_FALSE(gaveUp.ok());
    EXPECT_FALSE(files.exists("/d/b.json"));
}
