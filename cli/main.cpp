// ostrevo-cli: Ostrevo's documents without the desktop application.
#include "cli/cli_common.hpp"
#include "cli/commands.hpp"

#include <iostream>
#include <map>

namespace {

constexpr std::string_view kHelp = R"(Usage: ostrevo-cli COMMAND [ARGS...]

Works with Ostrevo's files without the desktop application. Files are recognised by their
extension: .quenlith (document file), .json (backup), .opml (OPML 2.0), .md (Markdown list),
.org (Org mode), .txt (indented text) and, written only, .html (web page).

Commands:
  info FILE                 titles, item counts and stored view state (--json for JSON)
  convert IN OUT            convert between the kinds (--force replaces OUT)
  run FILE STEP...          replay editing steps on a document file
  search FOLDER QUERY...    find documents in a library folder
  samples FOLDER            install the sample documents
  import-backup BACKUP DIR  write a backup's documents as document files
  keys                      the key table; --resolve CHORD tells what a chord does
  merge BASE OURS THEIRS    merge two changed copies of a document item by item (git's driver)
  merge-copies FOLDER       merge sync tools' conflict copies into their documents

Run "ostrevo-cli COMMAND --help" for a command's options and examples, and
"ostrevo-cli --version" for the version.
Exit status: 0 on success, 1 when an input is refused, 2 on bad usage (merge and
merge-copies: 1 when conflicts were kept side by side, 2 when an input cannot be read).
)";

} // namespace

int main(int argc, char** argv) {
    using namespace velmora::cli;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usageError("no command given", kHelp);
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << kHelp;
        return kSuccess;
    }
    if (args[0] == "--version") {
        std::cout << "ostrevo-cli " << OSTREVO_VERSION << "\n";
        return kSuccess;
    }
    static const std::map<std::string, int (*)(const std::vector<std::string>&)> commands = {
        {"info", infoCommand},       {"convert", convertCommand},
        {"run", runCommand},         {"search", searchCommand},
        {"samples", samplesCommand}, {"import-backup", importBackupCommand},
        {"keys", keysCommand},       {"merge", mergeCommand},
        {"merge-copies", mergeCopiesCommand}};
    auto it = commands.find(args[0]);
    if (it == commands.end())
        return usageError("unknown command '" + args[0] + "'", kHelp);
    return it->second(std::vector<std::string>(args.begin() + 1, args.end()));
}
