// ostrevo-cli merge and merge-copies: documents changed in two places merged item by item.
#include "cli/cli_common.hpp"
#include "cli/commands.hpp"
#include "core/library/conflict_copies.hpp"
#include "core/library/library.hpp"
#include "core/model/document_merge.hpp"

#include <iostream>
#include <map>

namespace velmora::cli {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kMergeHelp = R"(Usage: ostrevo-cli merge BASE OURS THEIRS [--out FILE]

Merges two changed versions of a document file (.quenlith) or backup (.json), OURS and THEIRS,
that both started from BASE, item by item: a change made on one side is taken; items added on
either side are kept where they were added; an item deleted on one side and changed on the
other is kept. A title or note changed differently on both sides is kept twice: ours in place
and theirs as a new item right after it, so nothing is lost. Check marks, labels and collapsed
items changed on both sides keep ours. An empty BASE (no common version) keeps the union of
both sides.

The result replaces OURS, as git's merge drivers expect, unless --out names another file. The
kind of file comes from the extension of FILE or OURS, else from OURS's content (git passes
temporary files without extension). Nothing is written when an input cannot be read.

  --out FILE   write the result to FILE instead of replacing OURS

Exit status: 0 when merged without conflicts, 1 when conflicting titles or notes were kept side
by side (nothing is lost; look for the repeated items), 2 on bad usage or an unreadable input.

Use it as git's merge driver for Ostrevo's files:
  git config merge.ostrevo.driver "ostrevo-cli merge %O %A %B"
  echo "*.quenlith merge=ostrevo" >> .gitattributes

Examples:
  ostrevo-cli merge base.quenlith mine.quenlith theirs.quenlith --out merged.quenlith
  ostrevo-cli merge old.json laptop.json desktop.json
)";

constexpr std::string_view kCopiesHelp = R"(Usage: ostrevo-cli merge-copies FOLDER

Finds the conflict copies that sync tools leave beside a document when two computers changed
it at once ("Plan.sync-conflict-20261207-101010-ABCDEFG.quenlith", "Plan (conflicted copy
2026-12-07 101010).quenlith", "Plan (Someone's conflicted copy 2026-12-07).quenlith") in FOLDER
and its folders, merges each into its document (the union of both: items of either side are
kept, titles or notes that differ are kept side by side) and moves the copy to the trash
($XDG_DATA_HOME/Trash, else ~/.local/share/Trash), from where the file manager can restore it.
Prints one line per copy.

Exit status: 0 when every copy merged without conflicts, 1 when conflicting titles or notes
were kept side by side, 2 on bad usage or when a copy could not be merged (it stays in place).

Example:
  ostrevo-cli merge-copies ~/Sync/Ostrevo
)";

int unreadable(const Refusal& refusal) {
    std::cerr << refusal.message() << "\n";
    return kUsage;
}

std::string plural(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string describe(const MergeSummary& summary) {
    std::string out = plural(summary.fromOurs, "change", "changes") + " from ours, " +
                      std::to_string(summary.fromTheirs) + " from theirs";
    if (summary.conflicts > 0)
        out += ", " + plural(summary.conflicts, "conflict", "conflicts") + " kept side by side";
    if (summary.keptDespiteDeletion > 0)
        out += ", " + plural(summary.keptDespiteDeletion, "deleted item", "deleted items") +
               " kept because the other side changed them";
    if (summary.titleConflict)
        out += ", the document title kept ours";
    return out;
}

void add(MergeSummary& into, const MergeSummary& from) {
    into.fromOurs += from.fromOurs;
    into.fromTheirs += from.fromTheirs;
    into.conflicts += from.conflicts;
    into.keptDespiteDeletion += from.keptDespiteDeletion;
    into.titleConflict = into.titleConflict || from.titleConflict;
}

// The kind of the files to merge: named by an extension, else a document file when OURS reads as
// one with its view state, else a backup.
std::optional<FileKind> mergeKind(const std::vector<fs::path>& named, const fs::path& ours) {
    for (const auto& path : named)
        if (auto kind = kindOf(path))
            return kind;
    auto data = Library::readFile(ours);
    if (!data)
        return std::nullopt;
    auto native = NativeDocumentCodec::decode(*data);
    if (native && native.value().mac)
        return FileKind::document;
    return FileKind::backup;
}

bool isEmptyFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error) && fs::file_size(path, error) == 0 && !error;
}

MergeResult mergeOne(const TreeDocument* base, const TreeDocument& ours,
                     const TreeDocument& theirs) {
    return base ? DocumentMerge::merge(*base, ours, theirs)
                : DocumentMerge::mergeTwoWay(ours, theirs);
}

template <class T> const T& pick(const T* base, const T& ours, const T& theirs) {
    return base && ours == *base ? theirs : ours;
}

// The documents of two backups merged by document id: a document deleted on one side and left
// alone on the other goes, every other one is merged or kept.
std::vector<TreeDocument> mergeDocuments(const std::vector<TreeDocument>* base,
                                         const std::vector<TreeDocument>& ours,
                                         const std::vector<TreeDocument>& theirs,
                                         MergeSummary& summary) {
    std::map<std::string, const TreeDocument*> inBase, inOurs, inTheirs;
    if (base)
        for (const auto& d : *base)
            inBase.emplace(d.id, &d);
    for (const auto& d : ours)
        inOurs.emplace(d.id, &d);
    for (const auto& d : theirs)
        inTheirs.emplace(d.id, &d);
    auto find = [](const auto& map, const std::string& id) -> const TreeDocument* {
        auto it = map.find(id);
        return it == map.end() ? nullptr : it->second;
    };
    std::vector<TreeDocument> out;
    for (const auto& d : ours) {
        const TreeDocument* b = find(inBase, d.id);
        const TreeDocument* t = find(inTheirs, d.id);
        if (!t) {
            if (!b)
                out.push_back(d); // added by ours
            else if (!(d == *b))
                out.push_back(d), ++summary.keptDespiteDeletion;
            continue;
        }
        auto merged = mergeOne(b, d, *t);
        add(summary, merged.summary);
        out.push_back(std::move(merged.document));
    }
    for (const auto& d : theirs) {
        if (inOurs.contains(d.id))
            continue;
        const TreeDocument* b = find(inBase, d.id);
        if (!b)
            out.push_back(d);
        else if (!(d == *b))
            out.push_back(d), ++summary.keptDespiteDeletion;
    }
    return out;
}

} // namespace

int mergeCommand(const std::vector<std::string>& args) {
    std::vector<fs::path> paths;
    std::optional<fs::path> out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kMergeHelp;
            return kSuccess;
        }
        if (arg == "--out") {
            if (i + 1 >= args.size())
                return usageError("--out needs a FILE", kMergeHelp);
            out = args[++i];
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return usageError("unknown option '" + arg + "'", kMergeHelp);
        } else {
            paths.emplace_back(arg);
        }
    }
    if (paths.size() != 3)
        return usageError("merge needs BASE, OURS and THEIRS", kMergeHelp);
    const fs::path& basePath = paths[0];
    const fs::path& oursPath = paths[1];
    const fs::path& theirsPath = paths[2];
    std::vector<fs::path> named;
    if (out)
        named.push_back(*out);
    named.insert(named.end(), {oursPath, theirsPath, basePath});
    auto kind = mergeKind(named, oursPath);
    if (!kind)
        return unreadable({"cli.error.unreadable %@", oursPath.string()});
    if (*kind != FileKind::document && *kind != FileKind::backup)
        return usageError("merge works on document files (.quenlith) and backups (.json)",
                          kMergeHelp);

    auto ours = load(oursPath, *kind);
    if (!ours)
        return unreadable(ours.error());
    auto theirs = load(theirsPath, *kind);
    if (!theirs)
        return unreadable(theirs.error());
    std::optional<LoadedFile> base;
    if (!isEmptyFile(basePath)) {
        auto loaded = load(basePath, *kind);
        if (!loaded)
            return unreadable(loaded.error());
        base = std::move(loaded).value();
    }

    MergeSummary summary;
    std::string bytes;
    const BackupSettings* baseSettings = base && base->settings ? &*base->settings : nullptr;
    const BackupSettings settings =
        pick(baseSettings, ours.value().settings.value_or(defaultSettings()),
             theirs.value().settings.value_or(defaultSettings()));
    if (*kind == FileKind::document) {
        auto merged = mergeOne(base ? &base->documents.front() : nullptr,
                               ours.value().documents.front(), theirs.value().documents.front());
        summary = merged.summary;
        EditorSnapshot snapshot = NativeDocumentCodec::snapshot(*ours.value().native);
        snapshot.document = std::move(merged.document);
        bytes = NativeDocumentCodec::encode(snapshot, settings);
    } else {
        auto documents = mergeDocuments(base ? &base->documents : nullptr, ours.value().documents,
                                        theirs.value().documents, summary);
        bytes = BackupCodec::encode(documents, settings);
    }
    const fs::path target = out.value_or(oursPath);
    if (auto failed = writeFile(target, bytes, true))
        return unreadable(*failed);
    std::cout << "Merged " << target.string() << ": " << describe(summary) << "\n";
    return summary.clean() ? kSuccess : kRefused;
}

int mergeCopiesCommand(const std::vector<std::string>& args) {
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kCopiesHelp;
            return kSuccess;
        }
        if (!arg.empty() && arg[0] == '-')
            return usageError("unknown option '" + arg + "'", kCopiesHelp);
        paths.push_back(arg);
    }
    if (paths.size() != 1)
        return usageError("merge-copies needs a FOLDER", kCopiesHelp);
    const fs::path folder = paths[0];
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return unreadable({"cli.error.notFolder %@", folder.string()});

    int status = kSuccess;
    const fs::path trash = Library::trashFolder();
    for (const auto& document : Library::documents(Library::scan(folder))) {
        if (document.conflictCopies.empty())
            continue;
        auto loaded = load(document.url, FileKind::document);
        const std::string name = fs::relative(document.url, folder, error).string();
        if (!loaded) {
            for (const auto& copy : document.conflictCopies)
                std::cout << fs::relative(copy.url, folder, error).string()
                          << ": not merged: " << loaded.error().message() << "\n";
            status = kUsage;
            continue;
        }
        EditorSnapshot snapshot = NativeDocumentCodec::snapshot(*loaded.value().native);
        for (const auto& copy : document.conflictCopies) {
            const std::string copyName = fs::relative(copy.url, folder, error).string();
            auto theirs = load(copy.url, FileKind::document);
            if (!theirs) {
                std::cout << copyName << ": not merged: " << theirs.error().message() << "\n";
                status = kUsage;
                continue;
            }
            auto merged =
                DocumentMerge::mergeTwoWay(snapshot.document, theirs.value().documents.front());
            EditorSnapshot next = snapshot;
            next.document = merged.document;
            if (auto failed =
                    writeFile(document.url,
                              NativeDocumentCodec::encode(next, *loaded.value().settings), true)) {
                std::cout << copyName << ": not merged: " << failed->message() << "\n";
                status = kUsage;
                continue;
            }
            snapshot = std::move(next);
            auto trashed = Library::moveToTrash(copy.url, trash);
            std::cout << copyName << ": merged into " << name << " ("
                      << plural(merged.summary.fromTheirs, "item", "items") << " added"
                      << (merged.summary.conflicts > 0
                              ? ", " + plural(merged.summary.conflicts, "conflict", "conflicts") +
                                    " kept side by side"
                              : std::string())
                      << (trashed ? "), moved to the trash" : "), could not be moved to the trash")
                      << "\n";
            if (!trashed)
                status = kUsage;
            else if (!merged.summary.clean() && status == kSuccess)
                status = kRefused;
        }
    }
    return status;
}

} // namespace velmora::cli
