#include "core/formats/markdown_codec.hpp"
#include "core/formats/markdown_syntax.hpp"

#include <vector>

namespace velmora::MarkdownCodec {
namespace {

using namespace MarkdownSyntax;

// The text split into lines at line feeds, carriage returns and their pairs.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        if (text[pos] != '\n' && text[pos] != '\r')
            continue;
        lines.push_back(text.substr(start, pos - start));
        if (text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n')
            ++pos;
        start = pos + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// A line of a title or note after its first: a backslash goes before anything that would
// start a block of its own, after the line's own indentation.
void appendLine(std::string& out, std::string_view line) {
    Indent indent = indentOf(line);
    out += line.substr(0, indent.bytes);
    if (startsBlock(line.substr(indent.bytes)))
        out += '\\';
    out += line.substr(indent.bytes);
}

void appendTitle(std::string& out, const Item& item, std::size_t contentIndent) {
    const bool bold = item.bold && isWholeBold("**" + item.text + "**");
    std::string title = bold ? "**" + item.text + "**" : item.text;
    if (!bold && needsEscape(title))
        out += '\\';
    auto lines = linesOf(title);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 0) {
            out += lines[i];
            continue;
        }
        // A line break inside a title: a backslash at the end of the line (a hard break).
        out += "\\\n";
        out.append(contentIndent, ' ');
        appendLine(out, lines[i]);
    }
}

bool isBlankLine(std::string_view line) {
    return indentOf(line).bytes == line.size();
}

// The note's lines without blank lines at either end: Markdown cannot tell them from the blank
// lines around a paragraph.
std::vector<std::string_view> noteLines(std::string_view note) {
    auto lines = linesOf(note);
    while (!lines.empty() && isBlankLine(lines.back()))
        lines.pop_back();
    std::size_t first = 0;
    while (first < lines.size() && isBlankLine(lines[first]))
        ++first;
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
    return lines;
}

void appendNote(std::string& out, const std::vector<std::string_view>& lines,
                std::size_t contentIndent) {
    for (auto line : lines) {
        out += '\n';
        if (isBlankLine(line))
            continue; // blank lines stay empty
        out.append(contentIndent, ' ');
        appendLine(out, line);
    }
}

} // namespace

std::string encode(const ItemList& items, Options options) {
    std::string out;
    out.reserve(static_cast<std::size_t>(48 * items.totalCount()));
    struct Open {
        const ItemList* list;
        std::size_t next;
    };
    std::vector<Open> stack{{&items, 0}};
    // After a note the list goes on after a blank line, so the note stays a paragraph.
    bool blankBefore = false;
    while (!stack.empty()) {
        Open& top = stack.back();
        if (top.next == top.list->size()) {
            stack.pop_back();
            continue;
        }
        const Item& item = (*top.list)[top.next++];
        const std::size_t indent = 2 * (stack.size() - 1);
        if (blankBefore)
            out += '\n';
        out.append(indent, ' ');
        out += "- ";
        if (item.checked)
            out += "[x] ";
        else if (options.taskMarkers)
            out += "[ ] ";
        appendTitle(out, item, indent + 2);
        out += '\n';
        const auto note = noteLines(item.note);
        blankBefore = !note.empty();
        if (blankBefore) {
            appendNote(out, note, indent + 2);
            out += '\n';
        }
        if (!item.children.empty())
            stack.push_back({&item.children, 0});
    }
    return out;
}

} // namespace velmora::MarkdownCodec
