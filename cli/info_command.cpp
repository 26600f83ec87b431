// ostrevo-cli info: what a file holds.
#include "cli/cli_common.hpp"
#include "cli/commands.hpp"
#include "core/formats/json_value.hpp"

#include <iostream>
#include <sstream>

namespace velmora::cli {
namespace {

constexpr std::string_view kHelp = R"(Usage: ostrevo-cli info [--json] FILE

Prints the title and item count of each document in FILE and, for a document file, the view
state stored with it. FILE is a document file (.quenlith), a backup (.json), OPML (.opml),
a Markdown list (.md), an Org file (.org) or indented plain text (.txt).

  --json   print one JSON object instead of text; a refused file prints
           {"error": "<catalog key>", "argument": <payload>} and exits with status 1

Examples:
  ostrevo-cli info Trip.quenlith
  ostrevo-cli info todo.org
  ostrevo-cli info --json velmora-backup-2026-03-07.json
)";

std::string optionalString(const std::optional<std::string>& value) {
    return value ? jsonStringLiteral(*value) : "null";
}

std::string settingsJSON(const std::optional<BackupSettings>& settings) {
    if (!settings)
        return "null";
    std::ostringstream out;
    out << "{\"openMode\": " << jsonStringLiteral(rawValue(settings->openMode))
        << ", \"view\": " << jsonStringLiteral(rawValue(settings->view))
        << ", \"showAllNotes\": " << (settings->showAllNotes ? "true" : "false") << "}";
    return out.str();
}

std::string macJSON(const std::optional<LoadedNative>& native) {
    if (!native || !native->mac)
        return "null";
    const auto& mac = *native->mac;
    std::ostringstream out;
    out << "{\"view\": " << jsonStringLiteral(mac.view) << ", \"hoistTabs\": [";
    for (std::size_t i = 0; i < mac.hoistTabs.size(); ++i) {
        const auto& tab = mac.hoistTabs[i];
        out << (i ? ", " : "") << "{\"id\": " << jsonStringLiteral(tab.id)
            << ", \"rootId\": " << jsonStringLiteral(tab.rootId)
            << ", \"title\": " << jsonStringLiteral(tab.title) << "}";
    }
    out << "], \"activeHoist\": " << optionalString(mac.activeHoist)
        << ", \"selectedId\": " << optionalString(mac.selectedId)
        << ", \"showAllNotes\": " << (mac.showAllNotes ? "true" : "false")
        << ", \"columnWidths\": ";
    if (!mac.columnWidths) {
        out << "null";
    } else {
        out << "[";
        for (std::size_t i = 0; i < mac.columnWidths->size(); ++i)
            out << (i ? ", " : "") << jsonNumberText((*mac.columnWidths)[i]);
        out << "]";
    }
    out << "}";
    return out.str();
}

void printJSON(const LoadedFile& file) {
    std::cout << "{\"kind\": " << jsonStringLiteral(rawValue(file.kind)) << ", \"documents\": [";
    for (std::size_t i = 0; i < file.documents.size(); ++i) {
        const auto& d = file.documents[i];
        std::cout << (i ? ", " : "") << "{\"id\": " << jsonStringLiteral(d.id)
                  << ", \"title\": " << jsonStringLiteral(d.title)
                  << ", \"itemCount\": " << d.itemCount() << "}";
    }
    std::cout << "], \"settings\": " << settingsJSON(file.settings)
              << ", \"mac\": " << macJSON(file.native) << "}\n";
}

void printText(const LoadedFile& file) {
    std::cout << "Kind: " << rawValue(file.kind) << "\n";
    for (const auto& d : file.documents)
        std::cout << "Document: " << d.title << " (" << d.itemCount()
                  << (d.itemCount() == 1 ? " item" : " items") << ", id " << d.id << ")\n";
    if (file.settings)
        std::cout << "Settings: open as " << rawValue(file.settings->openMode) << ", view "
                  << rawValue(file.settings->view) << ", all notes "
                  << (file.settings->showAllNotes ? "shown" : "hidden") << "\n";
    if (file.native && file.native->mac) {
        const auto& mac = *file.native->mac;
        std::cout << "Stored view: " << mac.view << ", " << mac.hoistTabs.size() << " hoist tab(s)"
                  << (mac.activeHoist ? ", hoisted" : "")
                  << (mac.selectedId ? ", selected " + *mac.selectedId : std::string()) << "\n";
    }
}

} // namespace

int infoCommand(const std::vector<std::string>& args) {
    bool json = false;
    std::optional<std::string> path;
    for (const auto& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kHelp;
            return kSuccess;
        }
        if (arg == "--json")
            json = true;
        else if (!path && (arg.empty() || arg[0] != '-'))
            path = arg;
        else
            return usageError("unexpected argument '" + arg + "'", kHelp);
    }
    if (!path)
        return usageError("info needs a FILE", kHelp);
    auto file = load(*path);
    if (!file) {
        if (json)
            std::cout << file.error().json() << "\n";
        return refuse(file.error());
    }
    if (json)
        printJSON(file.value());
    else
        printText(file.value());
    keepUntilExit(std::move(file).value());
    return kSuccess;
}

} // namespace velmora::cli
