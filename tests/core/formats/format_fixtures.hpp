#pragma once

#include "core/formats/file_system.hpp"
#include "core/model/item.hpp"

#include <cerrno>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace velmora::testing {

inline Timestamp at(const char* iso) {
    return *Timestamp::parseISO8601(iso);
}

// Ids "n1", "n2", … in the order they are asked for.
inline IDFactory counter(std::string prefix = "n") {
    auto next = std::make_shared<int>(0);
    return [next, prefix] { return prefix + std::to_string(++*next); };
}

// An item with every field set away from its default, holding the text that codecs find
// hardest: quotes, a backslash, line breaks, a tab and non-ASCII letters.
inline Item richItem(std::string id, ItemList children = {}) {
    Item item;
    item.id = std::move(id);
    item.text = "Say \"hi\" \\ to Zoë,\nthen\ttab & <go> \xF0\x9F\x9A\x80";
    item.note = "Line one\r\nline two \u2028 \xE2\x80\x94 end";
    item.checked = true;
    item.color = ColorLabel::purple;
    item.bold = true;
    item.underline = true;
    item.collapsed = true;
    item.created = at("2026-03-07T09:30:05Z");
    item.modified = at("2026-03-08T10:00:00Z");
    item.children = std::move(children);
    return item;
}

// A small document with every field exercised at three levels.
inline TreeDocument richDocument() {
    Item leaf = Item::blank("c1", "leaf");
    leaf.color = ColorLabel::gray;
    Item middle = richItem("b1", {leaf});
    Item plain = Item::blank("a2", "");
    return TreeDocument{"doc-1", "Trip \"2026\" / Ærø", {richItem("a1", {middle}), plain}};
}

// A chain of items, each the only child of the one before, with the deepest at `depth`.
inline ItemList chain(int depth) {
    Item deepest = Item::blank("d" + std::to_string(depth), "deep");
    for (int d = depth - 1; d >= 0; --d) {
        Item parent = Item::blank("d" + std::to_string(d), "level");
        parent.children = ItemList{std::move(deepest)};
        deepest = std::move(parent);
    }
    return ItemList{std::move(deepest)};
}

// How deep the first chain of first children goes (0 for a single top-level item).
inline int chainDepth(const ItemList& items) {
    int depth = -1;
    for (const ItemList* list = &items; !list->empty(); list = &list->front().children)
        ++depth;
    return depth;
}

inline std::string readData(const std::string& relative) {
    std::ifstream in(std::string(OSTREVO_TEST_DATA) + "/" + relative, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// An in-memory file system that can be told to fail listings, folder creation or writes.
class FakeFileSystem : public FileSystem {
public:
    std::map<std::filesystem::path, std::string> files;
    std::set<std::filesystem::path> folders;
    bool failListing = false;
    bool failMakeFolder = false;
    std::function<bool(const std::filesystem::path&)> failWrite = [](const auto&) { return false; };

    Result<std::vector<std::string>, FileError>
    list(const std::filesystem::path& folder) const override {
        if (failListing)
            return FileError::fromErrno(EACCES, folder);
        std::vector<std::string> names;
        for (const auto& [path, bytes] : files)
            if (path.parent_path() == folder)
                names.push_back(path.filename().string());
        for (const auto& path : folders)
            if (path.parent_path() == folder)
                names.push_back(path.filename().string());
        return names;
    }
    Result<std::string, FileError> read(const std::filesystem::path& file) const override {
        auto found = files.find(file);
        if (found == files.end())
            return FileError::fromErrno(ENOENT, file);
        return found->second;
    }
    FileResult write(const std::filesystem::path& file, std::string_view bytes,
                     Overwrite overwrite) override {
        if (failWrite(file))
            return FileError::fromErrno(ENOSPC, file);
        if (overwrite == Overwrite::never && exists(file))
            return FileError::fromErrno(EEXIST, file);
        files[file] = std::string(bytes);
        return std::monostate{};
    }
    FileResult makeFolder(const std::filesystem::path& folder) override {
        if (failMakeFolder)
            return FileError::fromErrno(EROFS, folder);
        folders.insert(folder);
        return std::monostate{};
    }
    bool exists(const std::filesystem::path& path) const override {
        return files.contains(path) || folders.contains(path);
    }
};

} // namespace velmora::testing
