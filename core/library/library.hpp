#pragma once

#include <chrono>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

// A file's modification time, at the file system's precision.
using FileTime = std::chrono::system_clock::time_point;

// Where the library folder lives.
enum class LibraryLocation { iCloud, local, custom };

[[nodiscard]] std::string_view rawValue(LibraryLocation location);
[[nodiscard]] std::optional<LibraryLocation> libraryLocationFromRawValue(std::string_view raw);

// A folder or document file of the library, with a folder's scanned contents.
struct LibraryEntry {
    std::filesystem::path url;
    std::string name;
    bool isFolder = false;
    std::optional<FileTime> modified;
    std::vector<LibraryEntry> children;
    // A document's conflict copies that sync tools left beside it, by name; they are no
    // documents of their own in listings, searches or recent documents.
    std::vector<LibraryEntry> conflictCopies;

    bool operator==(const LibraryEntry&) const = default;
};

// The rules of the library folder: where it is, how it is scanned and searched, and how its
// contents move. Every operation is total: file-system failures give empty listings, empty
// texts or skipped names, never an exception.
namespace Library {

inline constexpr std::string_view folderName = "Ostrevo";
inline constexpr std::string_view documentExtension = "quenlith";

// The searchable text of a file, remembered with the file's modification time.
struct CachedText {
    std::optional<FileTime> modified;
    std::string text;
    // The text folded for matching, kept so that a warm search folds nothing again.
    std::string folded;

    bool operator==(const CachedText&) const = default;
};

// Why an entry could not be moved.
enum class MoveFailure {
    exists,     // something of that name is at the destination
    permission, // the source or the destination may not be changed
    copyFailed, // across file systems, the copy could not be made or did not match
    missing,    // the entry is gone
    other,
};

[[nodiscard]] std::string_view rawValue(MoveFailure failure);

struct MoveSummary {
    int moved = 0;
    // The names of the entries left where they were, and why, in the same order.
    std::vector<std::string> skipped;
    std::vector<MoveFailure> reasons;

    bool operator==(const MoveSummary&) const = default;
};

// Searchable texts by file path.
using TextCache = std::unordered_map<std::string, CachedText>;
// Reads a file's bytes; nothing when it cannot be read.
using FileReader = std::function<std::optional<std::string>(const std::filesystem::path&)>;

// The library's root folder for a location; for `custom` the chosen folder, if any. `local`
// lies in `documents` when given (the desktop's documents folder), else in home's "Documents".
[[nodiscard]] std::optional<std::filesystem::path>
root(LibraryLocation location, const std::filesystem::path& home,
     const std::optional<std::filesystem::path>& custom,
     const std::optional<std::filesystem::path>& documents = std::nullopt);

// The location a stored "libraryLocation" value names: "local" is local; "custom" is custom
// when a custom folder is stored, else local; anything else (absent, "iCloud", unknown) is the
// cloud drive when it is available, else local.
[[nodiscard]] LibraryLocation location(const std::optional<std::string>& stored,
                                       bool hasCustomFolder, bool cloudDriveAvailable);

// The sorted tree of folders and document files below the folder; hidden files are skipped.
// A sync tool's conflict copy is listed under its document (in `conflictCopies`) when that
// document is in the same folder, else as a document.
// Symbolic links to folders are not followed (a loop or a link to the home folder would make
// the scan endless or enormous); links to document files are listed.
[[nodiscard]] std::vector<LibraryEntry> scan(const std::filesystem::path& folder);

// Every document of a tree, depth first, each folder's documents in place of the folder.
[[nodiscard]] std::vector<LibraryEntry> documents(const std::vector<LibraryEntry>& entries);

// The searchable text of a document file's bytes: every item's text and non-empty note in
// pre-order, joined by line feeds; empty when the bytes are no document file.
[[nodiscard]] std::string searchText(std::string_view data);

// Whether every word of the query occurs in the name, or else in the name and the text;
// `text` is called at most once and only when the name alone does not match.
[[nodiscard]] bool matches(std::string_view query, std::string_view name,
                           const std::function<std::string()>& text);

// The entry's searchable text from the cache, read and cached anew when the file changed.
[[nodiscard]] std::string cachedText(const LibraryEntry& entry, TextCache& cache,
                                     const FileReader& read);

// The documents of the tree that match the query, in `documents` order.
[[nodiscard]] std::vector<LibraryEntry> search(std::string_view query,
                                               const std::vector<LibraryEntry>& entries,
                                               TextCache& cache, const FileReader& read);

// A folder or document path in `folder` that does not exist yet: the safe name, then the name
// followed by " 2", " 3" and so on.
[[nodiscard]] std::filesystem::path uniqueURL(const std::filesystem::path& folder,
                                              std::string_view name, bool isFolder);

// Moves one file or folder to `target`, never replacing anything there; across file systems
// it is copied, checked and only then removed. Nothing on success.
[[nodiscard]] std::optional<MoveFailure> move(const std::filesystem::path& source,
                                              const std::filesystem::path& target);

// Moves the library's folders and documents to another root, never overwriting or merging;
// what cannot move is named in `skipped` and stays where it was.
[[nodiscard]] MoveSummary moveContents(const std::filesystem::path& from,
                                       const std::filesystem::path& to);

// Name order of the library, a total order: digit runs compared as numbers and the rest
// without regard to case or accents ("file2" before "file10"); names equal so far are ordered
// by their bytes, so "A" comes before "a" and "01" before "1". Zero only for equal names.
[[nodiscard]] int compareNames(std::string_view a, std::string_view b);

// Reads a whole file; nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> readFile(const std::filesystem::path& path);

} // namespace Library
} // namespace velmora
