#pragma once

#include "core/formats/backup_codec.hpp"
#include "core/formats/native_document_codec.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace velmora::clitest {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// A fresh folder for one test, removed afterwards.
class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() / ("ostrevo-cli-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }

    fs::path path(const std::string& name) const { return m_dir / name; }

    static std::string quote(const std::string& arg) {
        std::string out = "'";
        for (char c : arg)
            out += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return out + "'";
    }

    static std::string slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    void write(const std::string& name, const std::string& text) const {
        fs::create_directories(path(name).parent_path());
        std::ofstream(path(name), std::ios::binary) << text;
    }

    Outcome cli(const std::vector<std::string>& args) const {
        std::string command = quote(OSTREVO_CLI);
        for (const auto& a : args)
            command += " " + quote(a);
        auto out = m_dir / ".out", err = m_dir / ".err";
        command += " >" + quote(out.string()) + " 2>" + quote(err.string());
        int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(out), slurp(err)};
    }

    // A document file of items given as (id, text) pairs, the second one a child of the first.
    std::string documentFile(const std::string& file) const {
        Item a = Item::blank("a", "Alpha");
        a.children = ItemList{Item::blank("a1", "Alpha one")};
        EditorSnapshot snapshot;
        snapshot.document = TreeDocument{"doc", "Plans", ItemList{a, Item::blank("b", "Beta")}};
        snapshot.selectedId = "b";
        snapshot.view = ViewMode::tree;
        write(file, NativeDocumentCodec::encode(snapshot, BackupSettings{}));
        return path(file).string();
    }

    fs::path m_dir;
};

} // namespace velmora::clitest
