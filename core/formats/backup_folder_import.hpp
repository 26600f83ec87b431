#pragma once

#include "core/formats/backup_settings.hpp"
#include "core/formats/file_system.hpp"
#include "core/model/item.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace velmora {

// Writes each document of a backup as its own document file into a folder, under a name made
// from its title that collides with nothing already there. Existing files are never replaced.
namespace BackupFolderImport {

// The extension of document files.
inline constexpr std::string_view kExtension = "quenlith";

struct Written {
    std::string fileName;
    std::string title;

    bool operator==(const Written&) const = default;
};

struct Problem {
    std::string title;
    std::string catalogKey; // always "backup.import.writeFailed"

    bool operator==(const Problem&) const = default;
};

struct Summary {
    std::vector<Written> saved;
    std::vector<Problem> problems;

    bool operator==(const Summary&) const = default;
};

// One file name per title, unique, without regard to case, against `existing` and each other:
// "Plan.quenlith", then "Plan 2.quenlith", "Plan 3.quenlith" and so on.
[[nodiscard]] std::vector<std::string> fileNames(const std::vector<std::string>& titles,
                                                 const std::vector<std::string>& existing);

// Writes the documents into `folder` (a folder that cannot be listed counts as empty); a
// failed write is reported for its document and the others go on.
[[nodiscard]] Summary write(const std::vector<TreeDocument>& documents,
                            const BackupSettings& settings, const std::filesystem::path& folder,
                            FileSystem& fileSystem);

} // namespace BackupFolderImport
} // namespace velmora
