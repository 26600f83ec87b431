// ostrevo-cli convert: between document files, backups, OPML, Markdown, Org and plain text,
// and into web pages.
#include "cli/cli_common.hpp"
#include "cli/commands.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/formats/opml_codec.hpp"
#include "core/formats/org_codec.hpp"
#include "core/formats/web_page.hpp"

#include <iostream>

namespace velmora::cli {
namespace {

constexpr std::string_view kHelp =
    R"(Usage: ostrevo-cli convert IN OUT [--force] [--no-checks] [--no-ids]

Converts IN to OUT; the kinds come from the extensions: .quenlith (document file), .json
(backup), .opml (OPML 2.0), .md or .markdown (Markdown list), .org (Org mode), .txt (indented
plain text), and for OUT only .html (a web page of nested, folding lists that any browser
opens). Settings come from IN when it has them, otherwise open as a tab, list view, notes
hidden. OUT is written atomically and an existing OUT is only replaced with --force. A backup of
several documents can only become another backup.

  --force      replace an existing OUT
  --no-checks  a Markdown OUT marks only checked items ("[x]"), as for a document that hides
               its checks; otherwise every item carries "[ ]" or "[x]"
  --no-ids     an Org OUT has no property drawers with the items' ids (a later import gives
               the items new ids)

Examples:
  ostrevo-cli convert Trip.quenlith Trip.opml
  ostrevo-cli convert outline.opml Outline.quenlith
  ostrevo-cli convert Trip.quenlith Trip.md --no-checks
  ostrevo-cli convert todo.org Todo.quenlith
  ostrevo-cli convert Trip.quenlith Trip.html
  ostrevo-cli convert velmora-backup-2026-03-07.json copy.json --force
)";

// What writes OUT: backups and document files are streamed into the file as they are made,
// so that a large outline is never held twice; the other kinds are made whole first.
Result<FileSystem::Producer, Refusal> producer(const LoadedFile& in, FileKind outKind, bool checks,
                                               bool ids) {
    auto settings = in.settings.value_or(defaultSettings());
    if (outKind == FileKind::backup)
        return FileSystem::Producer([&in, settings](const TextSink& sink) {
            return BackupCodec::write(in.documents, settings, sink);
        });
    if (in.documents.size() != 1)
        return Refusal{"backup.error.multipleDocuments %lld",
                       static_cast<std::int64_t>(in.documents.size())};
    const auto& document = in.documents.front();
    auto whole = [](std::string text) {
        return FileSystem::Producer(
            [text = std::move(text)](const TextSink& sink) { return sink(text); });
    };
    switch (outKind) {
    case FileKind::document: {
        auto snapshot = in.native ? NativeDocumentCodec::snapshot(*in.native)
                                  : importedSnapshot(document, settings);
        return FileSystem::Producer(
            [snapshot = std::move(snapshot), settings](const TextSink& sink) {
                return NativeDocumentCodec::write(snapshot, settings, sink);
            });
    }
    case FileKind::opml:
        return whole(OPMLCodec::encode(document.title, document.items));
    case FileKind::markdown:
        return whole(MarkdownCodec::encode(document.items, {.taskMarkers = checks}));
    case FileKind::text:
        return whole(ItemClipboard::plainText(document.items));
    case FileKind::org:
        return whole(OrgCodec::encode(document.title, document.items, {.ids = ids}));
    case FileKind::html:
        return whole(WebPage::encode(document.title, document.items));
    case FileKind::backup:
        break;
    }
    return whole(std::string());
}

} // namespace

int convertCommand(const std::vector<std::string>& args) {
    bool force = false;
    bool checks = true;
    bool ids = true;
    std::vector<std::string> paths;
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return kSuccess;
        }
        if (arg == "--force")
            force = true;
        else if (arg == "--no-checks")
            checks = false;
        else if (arg == "--no-ids")
            ids = false;
        else if (!arg.empty() && arg[0] == '-')
            return usageError("unknown option '" + arg + "'", kHelp);
        else
            paths.push_back(arg);
    }
    if (paths.size() != 2)
        return usageError("convert needs IN and OUT", kHelp);
    auto outKind = kindOf(paths[1]);
    if (!outKind)
        return refuse({"cli.error.unknownKind %@", paths[1]});
    if (!force && std::filesystem::exists(std::filesystem::symlink_status(paths[1])))
        return refuse({"cli.error.exists %@", paths[1]});
    auto in = load(paths[0]);
    if (!in)
        return refuse(in.error());
    auto produce = producer(in.value(), *outKind, checks, ids);
    if (!produce)
        return refuse(produce.error());
    auto failed = writeFile(paths[1], produce.value(), force);
    keepUntilExit(std::move(in).value());
    if (failed)
        return refuse(*failed);
    return kSuccess;
}

} // namespace velmora::cli
