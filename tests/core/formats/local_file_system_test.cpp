#include "core/formats/file_system.hpp"
#include "temp_folder_fixture.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class LocalFileSystemTest : public velmora::testing::TempFolderTest {};

} // namespace

TEST_F(LocalFileSystemTest, WritesReadsAndLeavesNoTemporaryFiles) {
    ASSERT_TRUE(files.write(root / "a.txt", "hello", FileSystem::Overwrite::never).ok());
    EXPECT_EQ(files.read(root / "a.txt").value(), "hello");
    EXPECT_TRUE(files.exists(root / "a.txt"));
    EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
}

TEST_F(LocalFileSystemTest, NeverOverwritesUnlessAskedTo) {
    ASSERT_TRUE(files.write(root / "a.txt", "one", FileSystem::Overwrite::never).ok());
    auto refused = files.write(root / "a.txt", "two", FileSystem::Overwrite::never);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, FileError::Kind::exists);
    EXPECT_EQ(files.read(root / "a.txt").value(), "one");
    EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});

    ASSERT_TRUE(::chmod((root / "a.txt").c_str(), 0640) == 0);
    ASSERT_TRUE(files.write(root / "a.txt", "three", FileSystem::Overwrite::replace).ok());
    EXPECT_EQ(files.read(root / "a.txt").value(), "three");
    struct stat info {};
    ASSERT_EQ(::stat((root / "a.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // replacing keeps the file's permissions
}

TEST_F(LocalFileSystemTest, FailuresAreTypedErrors) {
    auto missing = files.read(root / "none");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().kind, FileError::Kind::notFound);
    EXPECT_FALSE(files.list(root / "none").ok());
    EXPECT_FALSE(files.write(root / "no/such/folder.txt", "x", FileSystem::Overwrite::never).ok());
    ASSERT_TRUE(files.write(root / "file", "x", FileSystem::Overwrite::never).ok());
    EXPECT_FALSE(files.makeFolder(root / "file").ok());
}

TEST_F(LocalFileSystemTest, MakesNestedFoldersAndAcceptsExistingOnes) {
    ASSERT_TRUE(files.makeFolder(root / "a/b/c").ok());
    EXPECT_TRUE(files.makeFolder(root / "a/b").ok());
    EXPECT_TRUE(files.exists(root / "a/b/c"));
    EXPECT_EQ(names(), std::vector<std::string>{"a"});
}

TEST_F(LocalFileSystemTest, ReadsWholeFilesOfAnySizeAndFilesWithoutOne) {
    ASSERT_TRUE(files.write(root / "empty", "", FileSystem::Overwrite::never).ok());
    EXPECT_EQ(files.read(root / "empty").value(), "");
    std::string large;
    for (int i = 0; large.size() < 300'000; ++i)
        large += std::to_string(i) + '\n';
    ASSERT_TRUE(files.write(root / "large", large, FileSystem::Overwrite::never).ok());
    auto read = files.read(root / "large");
    EXPECT_EQ(read.value(), large);
    EXPECT_LT(read.value().capacity(), large.size() + 4096) << "read into a string of its size";
    // Files under /proc report no size but have content.
    auto status = files.read("/proc/self/status");
    ASSERT_TRUE(status.ok());
    EXPECT_NE(status.value().find("Name:"), std::string::npos);
    EXPECT_EQ(status.value().back(), '\n');
    auto folder = files.read(root);
    ASSERT_FALSE(folder.ok());
    EXPECT_EQ(folder.error().code, EISDIR);
}
