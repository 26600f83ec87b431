#include "core/library/library.hpp"

#include "core/library/conflict_copies.hpp"

#include "core/formats/file_system.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/formats/safe_file_name.hpp"
#include "core/model/text.hpp"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

namespace velmora {

namespace fs = std::filesystem;

std::string_view rawValue(LibraryLocation location) {
    switch (location) {
    case LibraryLocation::iCloud:
        return "iCloud";
    case LibraryLocation::local:
        return "local";
    case LibraryLocation::custom:
        return "custom";
    }
    return "local";
}

std::optional<LibraryLocation> libraryLocationFromRawValue(std::string_view raw) {
    for (auto location : {LibraryLocation::iCloud, LibraryLocation::local, LibraryLocation::custom})
        if (rawValue(location) == raw)
            return location;
    return std::nullopt;
}

namespace Library {
namespace {

std::string lowerASCII(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::optional<FileTime> modificationTime(const fs::path& path) {
    std::error_code error;
    auto time = fs::last_write_time(path, error);
    if (error)
        return std::nullopt;
    return std::chrono::time_point_cast<FileTime::duration>(std::chrono::file_clock::to_sys(time));
}

bool isHidden(const fs::path& path) {
    auto name = path.filename().string();
    return !name.empty() && name.front() == '.';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Splits folded text into words at white space.
std::vector<std::string> words(std::string_view folded) {
    std::vector<std::string> out;
    std::string current;
    for (std::size_t i = 0; i < folded.size();) {
        auto start = i;
        auto c = static_cast<unsigned char>(folded[i]);
        std::size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        length = std::min(length, folded.size() - i);
        i += length;
        auto piece = folded.substr(start, length);
        if (Text::trimmed(piece).empty()) {
            if (!current.empty())
                out.push_back(std::move(current));
            current.clear();
        } else {
            current.append(piece);
        }
    }
    if (!current.empty())
        out.push_back(std::move(current));
    return out;
}

bool containsAll(std::string_view haystack, const std::vector<std::string>& needles) {
    return std::all_of(needles.begin(), needles.end(), [&](const std::string& w) {
        return haystack.find(w) != std::string_view::npos;
    });
}

// Moves each conflict copy under the document it stands for, when that is in the same list.
void attachConflictCopies(std::vector<LibraryEntry>& entries) {
    std::unordered_map<std::string, std::size_t> byName;
    std::vector<std::optional<std::string>> originals(entries.size());
    bool any = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].isFolder)
            continue;
        originals[i] = conflictCopyOriginal(entries[i].url.filename().string());
        any = any || originals[i].has_value();
        if (!originals[i])
            byName.emplace(entries[i].url.filename().string(), i);
    }
    if (!any)
        return;
    std::vector<LibraryEntry> kept;
    kept.reserve(entries.size());
    std::vector<std::pair<std::size_t, std::size_t>> attach; // copy, original
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto found = originals[i] ? byName.find(*originals[i]) : byName.end();
        if (found != byName.end())
            attach.emplace_back(i, found->second);
    }
    for (auto [copy, original] : attach)
        entries[original].conflictCopies.push_back(std::move(entries[copy]));
    std::vector<bool> moved(entries.size(), false);
    for (auto [copy, original] : attach)
        moved[copy] = true;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!moved[i])
            kept.push_back(std::move(entries[i]));
    entries = std::move(kept);
}

void collectDocuments(const std::vector<LibraryEntry>& entries, std::vector<LibraryEntry>& into) {
    for (const auto& entry : entries) {
        if (entry.isFolder)
            collectDocuments(entry.children, into);
        else
            into.push_back(entry);
    }
}

bool sameTree(const fs::path& a, const fs::path& b) {
    std::error_code error;
    auto kind = fs::symlink_status(a, error).type();
    if (error || kind != fs::symlink_status(b, error).type() || error)
        return false;
    if (kind == fs::file_type::symlink)
        return fs::read_symlink(a, error) == fs::read_symlink(b, error) && !error;
    if (kind == fs::file_type::directory) {
        std::vector<std::string> left, right;
        for (const auto& e : fs::directory_iterator(a, error))
            left.push_back(e.path().filename().string());
        for (const auto& e : fs::directory_iterator(b, error))
            right.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        std::sort(right.begin(), right.end());
        if (error || left != right)
            return false;
        return std::all_of(left.begin(), left.end(),
                           [&](const std::string& name) { return sameTree(a / name, b / name); });
    }
    return readFile(a) == readFile(b) && readFile(a).has_value();
}

MoveFailure failureOf(const FileError& error) {
    switch (error.kind) {
    case FileError::Kind::exists:
        return MoveFailure::exists;
    case FileError::Kind::permissionDenied:
        return MoveFailure::permission;
    case FileError::Kind::notFound:
        return MoveFailure::missing;
    case FileError::Kind::other:
        break;
    }
    // A folder renamed onto a folder that is not empty.
    return error.code == ENOTEMPTY ? MoveFailure::exists : MoveFailure::other;
}

// A hidden name beside `target` that is free, where a copy is assembled before it is put in
// place under the target's name.
fs::path stagingPath(const fs::path& target) {
    std::error_code error;
    auto base = "." + target.filename().string() + ".moving";
    auto path = target.parent_path() / base;
    for (int n = 2; fs::exists(fs::symlink_status(path, error)); ++n)
        path = target.parent_path() / (base + std::to_string(n));
    return path;
}

// Across file systems: copy, compare with the original, put the copy in place without
// replacing anything, and only then remove the original.
std::optional<MoveFailure> copyThenRemove(const fs::path& source, const fs::path& target) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(target, error)))
        return MoveFailure::exists;
    auto staging = stagingPath(target);
    fs::copy(source, staging, fs::copy_options::recursive | fs::copy_options::copy_symlinks,
             error);
    if (error || !sameTree(source, staging)) {
        auto failure = error == std::errc::permission_denied ? MoveFailure::permission
                                                             : MoveFailure::copyFailed;
        fs::remove_all(staging, error);
        return failure;
    }
    if (auto placed = renameWithoutReplacing(staging, target); !placed.ok()) {
        fs::remove_all(staging, error);
        return failureOf(placed.error());
    }
    // The copy is complete in its place; a source that resists removal leaves a duplicate,
    // never a loss.
    fs::remove_all(source, error);
    return std::nullopt;
}

} // namespace

int compareNames(std::string_view a, std::string_view b) {
    auto fa = Text::validUTF8(a), fb = Text::validUTF8(b);
    std::size_t i = 0, j = 0;
    while (i < fa.size() && j < fb.size()) {
        if (isDigit(fa[i]) && isDigit(fb[j])) {
            auto si = i, sj = j;
            while (i < fa.size() && isDigit(fa[i]))
                ++i;
            while (j < fb.size() && isDigit(fb[j]))
                ++j;
            auto na = std::string_view(fa).substr(si, i - si);
            auto nb = std::string_view(fb).substr(sj, j - sj);
            while (na.size() > 1 && na.front() == '0')
                na.remove_prefix(1);
            while (nb.size() > 1 && nb.front() == '0')
                nb.remove_prefix(1);
            if (na.size() != nb.size())
                return na.size() < nb.size() ? -1 : 1;
            if (auto c = na.compare(nb); c != 0)
                return c < 0 ? -1 : 1;
            continue;
        }
        // Compare the next non-digit runs with case folded.
        auto si = i, sj = j;
        while (i < fa.size() && !isDigit(fa[i]))
            ++i;
        while (j < fb.size() && !isDigit(fb[j]))
            ++j;
        auto ra = Text::fold(std::string_view(fa).substr(si, i - si));
        auto rb = Text::fold(std::string_view(fb).substr(sj, j - sj));
        if (ra == rb)
            continue;
        // A run that is a prefix of the other ends earlier: the other continues with a digit
        // or more text.
        auto c = ra.compare(rb);
        return c < 0 ? -1 : 1;
    }
    if (i < fa.size())
        return 1;
    if (j < fb.size())
        return -1;
    // Equal but for case, accents or leading zeros: the bytes decide, so the order is total.
    if (auto c = a.compare(b); c != 0)
        return c < 0 ? -1 : 1;
    return 0;
}

std::optional<fs::path> root(LibraryLocation location, const fs::path& home,
                             const std::optional<fs::path>& custom,
                             const std::optional<fs::path>& documents) {
    switch (location) {
    case LibraryLocation::iCloud:
        return home / "Library/Mobile Documents/com~apple~CloudDocs" / std::string(folderName);
    case LibraryLocation::local:
        return (documents && !documents->empty() ? *documents : home / "Documents") /
               std::string(folderName);
    case LibraryLocation::custom:
        return custom;
    }
    return std::nullopt;
}

LibraryLocation location(const std::optional<std::string>& stored, bool hasCustomFolder,
                         bool cloudDriveAvailable) {
    if (stored == "local")
        return LibraryLocation::local;
    if (stored == "custom")
        return hasCustomFolder ? LibraryLocation::custom : LibraryLocation::local;
    return cloudDriveAvailable ? LibraryLocation::iCloud : LibraryLocation::local;
}

std::vector<LibraryEntry> scan(const fs::path& folder) {
    std::vector<LibraryEntry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, error), end;
    for (; !error && it != end; it.increment(error)) {
        const auto& path = it->path();
        if (isHidden(path))
            continue;
        std::error_code typeError;
        bool isLink = it->is_symlink(typeError) && !typeError;
        bool isFolder = it->is_directory(typeError) && !typeError;
        if (isFolder) {
            // A linked folder is neither listed nor entered.
            if (!isLink)
                entries.push_back(
                    {path, path.filename().string(), true, std::nullopt, scan(path), {}});
        } else if (lowerASCII(path.extension().string()) == "." + std::string(documentExtension) &&
                   (!isLink || it->is_regular_file(typeError))) {
            entries.push_back({path, path.stem().string(), false, modificationTime(path), {}, {}});
        }
    }
    if (error)
        entries.clear();
    std::sort(entries.begin(), entries.end(), [](const LibraryEntry& a, const LibraryEntry& b) {
        if (a.isFolder != b.isFolder)
            return a.isFolder;
        return compareNames(a.name, b.name) < 0;
    });
    attachConflictCopies(entries);
    return entries;
}

std::vector<LibraryEntry> documents(const std::vector<LibraryEntry>& entries) {
    std::vector<LibraryEntry> out;
    collectDocuments(entries, out);
    return out;
}

namespace {

// Matches already split, folded query words; `foldedText` gives the folded document text.
bool matchesFolded(const std::vector<std::string>& queryWords, std::string_view name,
                   const std::function<std::string()>& foldedText) {
    if (queryWords.empty())
        return true;
    auto foldedName = Text::fold(name);
    if (containsAll(foldedName, queryWords))
        return true;
    return containsAll(foldedName + " " + foldedText(), queryWords);
}

const CachedText& cachedEntry(const LibraryEntry& entry, TextCache& cache, const FileReader& read) {
    auto key = entry.url.string();
    if (auto it = cache.find(key); it != cache.end() && it->second.modified == entry.modified)
        return it->second;
    auto data = read(entry.url);
    auto text = data ? searchText(*data) : std::string();
    auto folded = Text::fold(text);
    auto& slot = cache[key];
    slot = CachedText{entry.modified, std::move(text), std::move(folded)};
    return slot;
}

} // namespace

bool matches(std::string_view query, std::string_view name,
             const std::function<std::string()>& text) {
    return matchesFolded(words(Text::fold(query)), name, [&] { return Text::fold(text()); });
}

std::string cachedText(const LibraryEntry& entry, TextCache& cache, const FileReader& read) {
    return cachedEntry(entry, cache, read).text;
}

std::vector<LibraryEntry> search(std::string_view query, const std::vector<LibraryEntry>& entries,
                                 TextCache& cache, const FileReader& read) {
    std::vector<LibraryEntry> found;
    auto queryWords = words(Text::fold(query));
    for (const auto& entry : documents(entries))
        if (matchesFolded(queryWords, entry.name,
                          [&] { return cachedEntry(entry, cache, read).folded; }))
            found.push_back(entry);
    return found;
}

fs::path uniqueURL(const fs::path& folder, std::string_view name, bool isFolder) {
    auto safe = safeFileName(name);
    auto candidate = [&](const std::string& base) {
        return folder / (isFolder ? base : base + "." + std::string(documentExtension));
    };
    auto path = candidate(safe);
    std::error_code error;
    for (int n = 2; fs::exists(fs::symlink_status(path, error)); ++n)
        path = candidate(safe + " " + std::to_string(n));
    return path;
}

MoveSummary moveContents(const fs::path& from, const fs::path& to) {
    MoveSummary summary;
    std::error_code error;
    fs::create_directories(to, error);
    auto moveOne = [&](const LibraryEntry& entry) {
        auto name = entry.url.filename();
        if (auto failure = move(entry.url, to / name)) {
            summary.skipped.push_back(name.string());
            summary.reasons.push_back(*failure);
        } else {
            ++summary.moved;
        }
    };
    for (const auto& entry : scan(from)) {
        moveOne(entry);
        // Conflict copies travel with their document.
        for (const auto& copy : entry.conflictCopies)
            moveOne(copy);
    }
    return summary;
}

std::optional<MoveFailure> move(const fs::path& source, const fs::path& target) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(source, error)))
        return MoveFailure::missing;
    auto renamed = renameWithoutReplacing(source, target);
    if (renamed.ok())
        return std::nullopt;
    if (renamed.error().code != EXDEV)
        return failureOf(renamed.error());
    return copyThenRemove(source, target);
}

std::string_view rawValue(MoveFailure failure) {
    switch (failure) {
    case MoveFailure::exists:
        return "exists";
    case MoveFailure::permission:
        return "permission";
    case MoveFailure::copyFailed:
        return "copyFailed";
    case MoveFailure::missing:
        return "missing";
    case MoveFailure::other:
        break;
    }
    return "other";
}

std::string searchText(std::string_view data) {
    auto loaded = NativeDocumentCodec::decode(data);
    if (!loaded)
        return {};
    std::string text;
    bool first = true;
    auto add = [&](const std::string& piece) {
        if (!first)
            text += '\n';
        text += piece;
        first = false;
    };
    std::vector<const ItemList*> stack{&loaded.value().document.items};
    std::vector<std::size_t> next{0};
    while (!stack.empty()) {
        if (next.back() >= stack.back()->size()) {
            stack.pop_back();
            next.pop_back();
            continue;
        }
        const Item& item = (*stack.back())[next.back()++];
        add(item.text);
        if (!item.note.empty())
            add(item.note);
        if (!item.children.empty()) {
            stack.push_back(&item.children);
            next.push_back(0);
        }
    }
    return text;
}

std::optional<std::string> readFile(const fs::path& path) {
    auto bytes = LocalFileSystem().read(path);
    if (!bytes)
        return std::nullopt;
    return std::move(bytes).value();
}

} // namespace Library
} // namespace velmora
