#pragma once

// A fresh folder under the system's temporary folder for each test, removed afterwards, with the
// local file system over it.
#include "core/formats/file_system.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace velmora::testing {

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ostrevo-fs-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    // The names in the folder, sorted.
    std::vector<std::string> names() {
        auto listed = files.list(root).value();
        std::sort(listed.begin(), listed.end());
        return listed;
    }

    std::filesystem::path root;
    LocalFileSystem files;
};

} // namespace velmora::testing
