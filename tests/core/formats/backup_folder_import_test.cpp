#include "core/formats/backup_folder_import.hpp"

#include "core/formats/native_document_codec.hpp"
#include "core/formats/safe_file_name.hpp"
#include "core/model/text.hpp"
#include "format_fixtures.hpp"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::testing;

TEST(SafeFileName, ReplacesForbiddenCharactersAndTrims) {
    EXPECT_EQ(safeFileName("a/b: c?"), "a-b- c-");
    EXPECT_EQ(safeFileName("\\%*|\"<>"), "-------");
    EXPECT_EQ(safeFileName("  Plan  for   May  "), "Plan for May");
    // A line break is a control character: replaced before the trimming.
    EXPECT_EQ(safeFileName("Plan\n"), "Plan-");
    EXPECT_EQ(safeFileName("tab\there"), "tab-here");
    // A forbidden scalar anywhere in a character replaces the whole character.
    EXPECT_EQ(safeFileName("x/\xCC\x81y"), "x-y");
    EXPECT_EQ(safeFileName("zero\xE2\x80\x8Bwidth"), "zero-width");
    EXPECT_EQ(safeFileName("Zo\xC3\xAB \xF0\x9F\x9A\x80"), "Zo\xC3\xAB \xF0\x9F\x9A\x80");
}

TEST(SafeFileName, EmptyAndDotNamesBecomeUntitled) {
    for (std::string_view title : {"", "   ", ".", "..", " .. ", "..."})
        EXPECT_EQ(safeFileName(title), "Untitled") << title;
}

// A name starting with a dot is hidden: the library would never show the file.
TEST(SafeFileName, LeadingDotsAreDroppedSoFilesStayVisible) {
    EXPECT_EQ(safeFileName(".plan"), "plan");
    EXPECT_EQ(safeFileName(" .. notes"), "notes");
    EXPECT_EQ(safeFileName("v1.2 plan."), "v1.2 plan.");
}

TEST(SafeFileName, LongTitlesAreCutTo80CharactersAndTrimmed) {
    std::string title = std::string(79, 'a') + " " + std::string(20, 'b');
    EXPECT_EQ(safeFileName(title), std::string(79, 'a'));
    EXPECT_EQ(safeFileName(std::string(100, 'x')).size(), 80u);
    // Characters, not bytes: a letter with a combining accent counts once.
    std::string accented;
    for (int i = 0; i < 85; ++i)
        accented += i % 2 ? "e\xCC\x81" : "\xC3\xA9";
    EXPECT_EQ(Text::graphemeCount(safeFileName(accented)), 80u);
    EXPECT_EQ(safeFileName(accented), accented.substr(0, 40 * 5));
}

TEST(SafeFileName, NamesStayWithinLinuxByteLimit) {
    std::string rockets;
    for (int i = 0; i < 100; ++i)
        rockets += "\xF0\x9F\x9A\x80";
    std::string name = safeFileName(rockets);
    EXPECT_EQ(name.size(), 200u); // 50 whole rockets
    EXPECT_EQ(name, rockets.substr(0, 200));
}

TEST(BackupFolderImport, NumbersNamesThatAreTakenWithoutRegardToCase) {
    EXPECT_EQ(BackupFolderImport::fileNames({"Plan", "Plan"}, {"plan.quenlith", "notes.txt"}),
              (std::vector<std::string>{"Plan 2.quenlith", "Plan 3.quenlith"}));
    EXPECT_EQ(BackupFolderImport::fileNames({"A", "a", "b/c"}, {}),
              (std::vector<std::string>{"A.quenlith", "a 2.quenlith", "b-c.quenlith"}));
    EXPECT_EQ(BackupFolderImport::fileNames({"\xC3\x84pfel"}, {"\xC3\xA4PFEL.QUENLITH"}),
              (std::vector<std::string>{"\xC3\x84pfel 2.quenlith"}));
}

TEST(BackupFolderImport, WritesEachDocumentAsAFileThatOpensWithTheBackupSettings) {
    FakeFileSystem files;
    files.files["/lib/Plan.quenlith"] = "old";
    BackupSettings settings{BackupSettings::OpenMode::window, BackupSettings::View::tree, true};
    std::vector<TreeDocument> documents{TreeDocument{"d1", "Plan", {Item::blank("i", "x")}},
                                        richDocument()};
    auto summary = BackupFolderImport::write(documents, settings, "/lib", files);

    EXPECT_EQ(summary.saved,
              (std::vector<BackupFolderImport::Written>{
                  {"Plan 2.quenlith", "Plan"},
                  {"Trip -2026- - \xC3\x86r\xC3\xB8.quenlith", documents[1].title}}));
    EXPECT_TRUE(summary.problems.empty());
    EXPECT_EQ(files.files["/lib/Plan.quenlith"], "old");
    auto loaded = NativeDocumentCodec::decode(files.files["/lib/Plan 2.quenlith"]);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.value().document, documents[0]);
    EXPECT_EQ(loaded.value().settings, settings);
    ASSERT_TRUE(loaded.value().mac);
    EXPECT_EQ(*loaded.value().mac, (MacDocumentState{"tree", {}, {}, {}, true, {}}));
}

TEST(BackupFolderImport, FailedWritesAreReportedAndTheOthersGoOn) {
    FakeFileSystem files;
    files.failWrite = [](const std::filesystem::path& path) {
        return path.filename() == "B.quenlith";
    };
    auto summary = BackupFolderImport::write(
        {TreeDocument{"1", "A", {}}, TreeDocument{"2", "B", {}}, TreeDocument{"3", "C", {}}},
        BackupSettings{}, "/f", files);
    EXPECT_EQ(summary.saved.size(), 2u);
    EXPECT_EQ(summary.problems,
              (std::vector<BackupFolderImport::Problem>{{"B", "backup.import.writeFailed"}}));
    EXPECT_TRUE(files.exists("/f/C.quenlith"));
}

TEST(BackupFolderImport, FolderThatCannotBeListedIsTreatedAsEmpty) {
    FakeFileSystem files;
    files.failListing = true;
    auto summary =
        BackupFolderImport::write({TreeDocument{"1", "A", {}}}, BackupSettings{}, "/f", files);
    EXPECT_EQ(summary.saved, (std::vector<BackupFolderImport::Written>{{"A.quenlith", "A"}}));
}

TEST(BackupFolderImport, NeverOverwritesAFileThatAppearedAfterTheListing) {
    FakeFileSystem files;
    files.failListing = true; // the listing misses the existing file
    files.files["/f/A.quenlith"] = "precious";
    auto summary =
        BackupFolderImport::write({TreeDocument{"1", "A", {}}}, BackupSettings{}, "/f", files);
    EXPECT_EQ(summary.problems.size(), 1u);
    EXPECT_EQ(files.files["/f/A.quenlith"], "precious");
}
