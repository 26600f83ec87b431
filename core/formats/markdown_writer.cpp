#include "core/formats/markdown_codec.hpp"
#include "core/formats/markdown_syntax.hpp"
#include "core/model/tree_paths.hpp"

#include <vector>

namespace velmora::MarkdownCodec {
namespace {

using namespace MarkdownSyntax;

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
    // A line break inside a title is a hard break at the end of the line: a backslash, or two
    // blanks after a line that ends in a backslash of its own. The break belongs to the line
    // when deciding whether the line needs an escape, as it does for the reader.
    auto lines = linesOf(title);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string line(lines[i]);
        if (i + 1 < lines.size())
            line += hardBreakLength(line + '\\') == 1 ? "\\" : "  ";
        if (i == 0) {
            out += line;
            continue;
        }
        out += '\n';
        out.append(contentIndent, ' ');
        appendLine(out, line);
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

// The index of the line that closes the code block opened on line `open`, or 0 for none.
std::size_t fenceEnd(const std::vector<std::string_view>& lines, std::size_t open) {
    auto opened = fence(lines[open].substr(indentOf(lines[open]).bytes));
    if (!opened)
        return 0;
    for (std::size_t i = open + 1; i < lines.size(); ++i)
        if (closesFence(*opened, lines[i]))
            return i;
    return 0;
}

// A code block whose fence closes within the note is written as it is; anything else that
// would start a block is escaped.
void appendNote(std::string& out, const std::vector<std::string_view>& lines,
                std::size_t contentIndent) {
    std::size_t blockEnd = 0; // the closing fence of the open code block; 0 outside one
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += '\n';
        if (isBlankLine(lines[i]))
            continue; // blank lines stay empty
        out.append(contentIndent, ' ');
        if (blockEnd == 0)
            blockEnd = fenceEnd(lines, i);
        if (blockEnd == 0) {
            appendLine(out, lines[i]);
            continue;
        }
        out += lines[i];
        if (i == blockEnd)
            blockEnd = 0;
    }
}

} // namespace

std::string encode(const ItemList& items, Options options) {
    std::string out;
    out.reserve(static_cast<std::size_t>(48 * items.totalCount()));
    // After a note the list goes on after a blank line, so the note stays a paragraph.
    bool blankBefore = false;
    TreePaths::forEachPreOrder(items, [&](const Item& item, const std::vector<int>& path) {
        const std::size_t indent = 2 * (path.size() - 1);
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
        return true;
    });
    return out;
}

} // namespace velmora::MarkdownCodec
