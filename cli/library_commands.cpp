// ostrevo-cli search, samples and import-backup: the library folder from the command line.
#include "cli/cli_common.hpp"
#include "cli/commands.hpp"
#include "core/commands/strings.hpp"
#include "core/formats/backup_folder_import.hpp"
#include "core/formats/file_system.hpp"
#include "core/formats/org_codec.hpp"
#include "core/formats/sample_library.hpp"
#include "core/library/library.hpp"
#include "core/model/tree_paths.hpp"

#include <algorithm>
#include <iostream>

namespace velmora::cli {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kSearchHelp = R"(Usage: ostrevo-cli search FOLDER QUERY...

Prints the paths, relative to FOLDER, of the document files below FOLDER that match the query,
in library order (folders first, names in natural order), then the Org files (.org) below
FOLDER that match, in name order. A document matches when every word of the query occurs in its
name, or in its name and its items' texts and notes; letter case and accents do not matter.
Several QUERY words are joined by blanks.

Examples:
  ostrevo-cli search ~/Documents/Ostrevo cafe plan
  ostrevo-cli search ~/Documents/Ostrevo "trip passport"
)";

constexpr std::string_view kSamplesHelp = R"(Usage: ostrevo-cli samples FOLDER

Writes the sample documents into a new folder "Samples" (or "Samples 2" ...) inside FOLDER and
prints the folder made.

Example:
  ostrevo-cli samples ~/Documents/Ostrevo
)";

constexpr std::string_view kImportHelp = R"(Usage: ostrevo-cli import-backup BACKUP FOLDER

Writes each document of the backup BACKUP as its own document file into FOLDER, under a name
made from its title that collides with nothing there. Prints one line per file written and one
line "TITLE: message" per document that could not be written.

Example:
  ostrevo-cli import-backup velmora-backup-2026-03-07.json ~/Documents/Ostrevo/Restored
)";

bool wantsHelp(const std::vector<std::string>& args) {
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h")
            return true;
    return false;
}

// The Org files below the folder, hidden files and folders skipped, in name order of their
// paths relative to the folder.
std::vector<fs::path> orgFiles(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    fs::recursive_directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const fs::path& path = it->path();
        if (path.filename().string().starts_with('.')) {
            if (it->is_directory(ec))
                it.disable_recursion_pending();
            continue;
        }
        auto kind = kindOf(path);
        if (kind == FileKind::org && it->is_regular_file(ec))
            found.push_back(path.lexically_relative(folder));
    }
    std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
        return Library::compareNames(a.string(), b.string()) < 0;
    });
    return found;
}

// The searchable text of an Org file: every item's text and non-empty note in pre-order,
// joined by line feeds; empty when the file cannot be read as Org.
std::string orgSearchText(const fs::path& path) {
    auto data = Library::readFile(path);
    if (!data)
        return {};
    auto document = OrgCodec::decode(*data, path.stem().string());
    if (!document)
        return {};
    std::string text;
    TreePaths::forEachPreOrder(document.value().items, [&](const Item& item, const auto&) {
        text += item.text + "\n";
        if (!item.note.empty())
            text += item.note + "\n";
        return true;
    });
    return text;
}

} // namespace

int searchCommand(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        std::cout << kSearchHelp;
        return kSuccess;
    }
    if (args.empty())
        return usageError("search needs a FOLDER", kSearchHelp);
    fs::path folder = args[0];
    if (!fs::is_directory(folder))
        return refuse({"cli.error.notFolder %@", folder.string()});
    std::string query;
    for (std::size_t i = 1; i < args.size(); ++i)
        query += (i > 1 ? " " : "") + args[i];
    Library::TextCache cache;
    for (const auto& entry :
         Library::search(query, Library::scan(folder), cache, Library::readFile))
        std::cout << entry.url.lexically_relative(folder).string() << "\n";
    for (const auto& relative : orgFiles(folder))
        if (Library::matches(query, relative.stem().string(),
                             [&] { return orgSearchText(folder / relative); }))
            std::cout << relative.string() << "\n";
    return kSuccess;
}

int samplesCommand(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        std::cout << kSamplesHelp;
        return kSuccess;
    }
    if (args.size() != 1)
        return usageError("samples needs exactly one FOLDER", kSamplesHelp);
    LocalFileSystem files;
    auto made = SampleLibrary::install(args[0], files);
    if (!made)
        return refuse({"cli.error.writeFailed %@", made.error().path.string()});
    std::cout << made.value().string() << "\n";
    return kSuccess;
}

int importBackupCommand(const std::vector<std::string>& args) {
    if (wantsHelp(args)) {
        std::cout << kImportHelp;
        return kSuccess;
    }
    if (args.size() != 2)
        return usageError("import-backup needs BACKUP and FOLDER", kImportHelp);
    if (kindOf(args[0]) != FileKind::backup)
        return refuse({"cli.error.notBackup %@", args[0]});
    auto backup = load(args[0]);
    if (!backup)
        return refuse(backup.error());
    LocalFileSystem files;
    if (!files.makeFolder(args[1]))
        return refuse({"cli.error.writeFailed %@", args[1]});
    auto summary = BackupFolderImport::write(backup.value().documents, *backup.value().settings,
                                             args[1], files);
    for (const auto& written : summary.saved)
        std::cout << written.fileName << "\n";
    for (const auto& problem : summary.problems)
        std::cout << problem.title << ": " << Strings::localized("en", problem.catalogKey) << "\n";
    return summary.problems.empty() ? kSuccess : kRefused;
}

} // namespace velmora::cli
