#pragma once

#include "core/formats/backup_codec.hpp"
#include "core/formats/file_system.hpp"
#include "core/formats/native_document_codec.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// Shared pieces of ostrevo-cli: the file kinds, reading them, refusing with a catalog
// key, and writing outputs atomically.
namespace velmora::cli {

// Exit statuses of the tool.
inline constexpr int kSuccess = 0;
inline constexpr int kRefused = 1;
inline constexpr int kUsage = 2;

enum class FileKind { document, backup, opml, markdown, text, org, html };

// The kind named by the file's extension (".quenlith", ".json", ".opml", ".md" or ".markdown",
// ".txt", ".org", ".html" or ".htm", any case). Web pages are written, never read.
[[nodiscard]] std::optional<FileKind> kindOf(const std::filesystem::path& path);
[[nodiscard]] std::string_view rawValue(FileKind kind);

// Why an input was refused: a catalog key and its argument (a text for "%@", a number for
// "%lld", nothing for keys without a placeholder).
struct Refusal {
    std::string key;
    std::variant<std::monostate, std::string, std::int64_t> argument;

    // The English message.
    [[nodiscard]] std::string message() const;
    // {"error": key, "argument": …}
    [[nodiscard]] std::string json() const;
};

// A read file of any kind.
struct LoadedFile {
    FileKind kind = FileKind::document;
    std::vector<TreeDocument> documents;
    std::optional<BackupSettings> settings; // backup and document files
    std::optional<LoadedNative> native;     // document files
};

// Reads and decodes a file by its extension.
[[nodiscard]] Result<LoadedFile, Refusal> load(const std::filesystem::path& path);
// Reads and decodes a file as the given kind, whatever its name.
[[nodiscard]] Result<LoadedFile, Refusal> load(const std::filesystem::path& path, FileKind kind);

// Writes the bytes atomically; refuses an existing file unless `replace`.
[[nodiscard]] std::optional<Refusal> writeFile(const std::filesystem::path& path,
                                               std::string_view bytes, bool replace);

// Writes what `produce` makes atomically, piece by piece as it is made; refuses an existing
// file unless `replace`.
[[nodiscard]] std::optional<Refusal> writeFile(const std::filesystem::path& path,
                                               const FileSystem::Producer& produce, bool replace);

// Keeps a loaded file until the process ends. The tool exits right after its command and the
// system takes the memory back at once, where freeing a large outline item by item would take
// about as long as reading it.
void keepUntilExit(LoadedFile file);

// Prints the refusal's English message to standard error and returns kRefused.
int refuse(const Refusal& refusal);

// Prints a usage error and returns kUsage.
int usageError(const std::string& message, std::string_view help);

// The settings used when an input has none: open as a tab, list view, notes hidden.
[[nodiscard]] BackupSettings defaultSettings();

// The editor state a document file gets when it is made from another kind: nothing selected,
// tree or list view from the settings, notes as in the settings, no hoist tabs.
[[nodiscard]] EditorSnapshot importedSnapshot(const TreeDocument& document,
                                              const BackupSettings& settings);

} // namespace velmora::cli
