// ostrevo-man-page OUTPUT NAME VERSION SEE_ALSO TOOL...: writes the manual page NAME(1) from
// the program's own help texts. `TOOL --help` gives the synopsis and the description; when it
// lists "Commands:", `TOOL COMMAND --help` of each gives a section of its own. The page has no
// text of its own beyond its headings, so it cannot drift from the program.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The standard output of a shell command, or nothing when it fails.
bool capture(const std::string& command, std::string& out) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    return pclose(pipe) == 0;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Text for roff: backslashes and hyphens escaped, no line taken for a request.
std::string roff(const std::string& text) {
    std::string out = text.starts_with('.') || text.starts_with('\'') ? "\\&" : "";
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

std::string trimmedLeft(const std::string& line) {
    std::size_t start = line.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : line.substr(start);
}

// One help text: its usage lines, then blocks separated by blank lines. A block that opens
// with an unindented "Title:" line gets that title as a heading; indented lines are kept as
// they are; other lines are filled as paragraphs.
struct Help {
    std::vector<std::string> usage;
    std::vector<std::vector<std::string>> blocks;
};

Help parse(const std::string& text) {
    Help help;
    std::vector<std::string> block;
    bool inUsage = false;
    for (const auto& line : linesOf(text)) {
        if (line.starts_with("Usage: ")) {
            inUsage = true;
            help.usage.push_back(line.substr(7));
            continue;
        }
        if (inUsage && !line.empty()) {
            help.usage.push_back(trimmedLeft(line).starts_with("ostrevo") ? trimmedLeft(line)
                                                                          : line.substr(7));
            continue;
        }
        inUsage = false;
        if (line.empty()) {
            if (!block.empty())
                help.blocks.push_back(block);
            block.clear();
        } else {
            block.push_back(line);
        }
    }
    if (!block.empty())
        help.blocks.push_back(block);
    return help;
}

void writeBlocks(std::ostream& out, const Help& help, const char* titleRequest) {
    for (const auto& block : help.blocks) {
        std::size_t first = 0;
        if (!block[0].starts_with(' ') && block[0].ends_with(':')) {
            out << titleRequest << " " << roff(block[0].substr(0, block[0].size() - 1)) << "\n";
            first = 1;
        } else {
            out << ".PP\n";
        }
        bool verbatim = false;
        for (std::size_t i = first; i < block.size(); ++i) {
            bool indented = block[i].starts_with(' ');
            if (indented != verbatim) {
                out << (indented ? ".nf\n" : ".fi\n");
                verbatim = indented;
            }
            out << roff(block[i]) << "\n";
        }
        if (verbatim)
            out << ".fi\n";
    }
}

void writeUsage(std::ostream& out, const Help& help) {
    out << ".nf\n";
    for (const auto& line : help.usage)
        out << roff(line) << "\n";
    out << ".fi\n";
}

// The first word of each line of the "Commands:" block.
std::vector<std::string> commandsOf(const Help& help) {
    std::vector<std::string> commands;
    for (const auto& block : help.blocks) {
        if (block[0] != "Commands:")
            continue;
        for (std::size_t i = 1; i < block.size(); ++i) {
            std::string word = trimmedLeft(block[i]);
            commands.push_back(word.substr(0, word.find(' ')));
        }
    }
    return commands;
}

std::string upper(std::string text) {
    for (auto& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::cerr << "usage: ostrevo-man-page OUTPUT NAME VERSION SEE_ALSO TOOL...\n";
        return 2;
    }
    const std::string output = argv[1], name = argv[2], version = argv[3], seeAlso = argv[4];
    std::string tool;
    for (int i = 5; i < argc; ++i)
        tool += std::string(i > 5 ? " " : "") + "'" + argv[i] + "'";
    std::string text;
    if (!capture(tool + " --help", text)) {
        std::cerr << "ostrevo-man-page: " << tool << " --help failed\n";
        return 1;
    }
    const Help main = parse(text);
    std::ostringstream page;
    page << ".TH " << upper(name) << " 1 \"\" \"Ostrevo " << version << "\" \"User Commands\"\n";
    page << ".SH NAME\n" << roff(name) << " \\- ";
    // The summary is the first sentence of the description.
    std::string summary;
    for (const auto& line : main.blocks.empty() ? std::vector<std::string>() : main.blocks[0])
        summary += (summary.empty() ? "" : " ") + line;
    summary = summary.substr(0, summary.find(". "));
    if (summary.ends_with('.'))
        summary.pop_back();
    page << roff(summary) << "\n";
    page << ".SH SYNOPSIS\n";
    writeUsage(page, main);
    page << ".SH DESCRIPTION\n";
    writeBlocks(page, main, ".SS");
    const auto commands = commandsOf(main);
    if (!commands.empty())
        page << ".SH COMMANDS\n";
    for (const auto& command : commands) {
        std::string commandText;
        if (!capture(tool + " '" + command + "' --help", commandText)) {
            std::cerr << "ostrevo-man-page: " << command << " --help failed\n";
            return 1;
        }
        const Help help = parse(commandText);
        page << ".SS " << roff(command) << "\n";
        writeUsage(page, help);
        writeBlocks(page, help, ".PP\n.B");
    }
    page << ".SH SEE ALSO\n.BR " << roff(seeAlso) << " (1)\n";
    std::ofstream file(output, std::ios::binary);
    file << page.str();
    return file.good() ? 0 : 1;
}
