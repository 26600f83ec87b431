#include "core/formats/markdown_syntax.hpp"
#include "core/formats/org_codec.hpp"
#include "core/formats/org_syntax.hpp"
#include "core/model/text.hpp"
#include "core/model/tree_paths.hpp"

#include <vector>

namespace velmora::OrgCodec {
namespace {

using namespace OrgSyntax;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmedBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isBlankLine(std::string_view line) {
    return trimmedBlanks(line).empty();
}

// A zero-width space after each "[" that comes before another "[" (zero-width spaces between
// them aside), so that no two brackets read as a link.
std::string withoutLinks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] != '[')
            continue;
        std::size_t j = i + 1;
        while (text.substr(j).starts_with(kZeroWidthSpace))
            j += kZeroWidthSpace.size();
        if (j < text.size() && text[j] == '[')
            out += kZeroWidthSpace;
    }
    return out;
}

// The headline text of a title's first line, escaped so that the reader takes none of it for
// a keyword, a priority, tags or a link.
std::string headlineText(std::string_view line, bool checked) {
    std::string text = withoutLinks(trimmedBlanks(line));
    std::string_view bare = text;
    while (bare.ends_with(kNoBreakSpace))
        bare.remove_suffix(kNoBreakSpace.size());
    if (trailingTags(bare) > 0)
        text += kNoBreakSpace;
    if (priorityCookie(text) > 0)
        text = "[#A] " + text;
    std::string_view word = firstWord(text);
    std::string keyword = checked ? "DONE" : (word == "TODO" || word == "DONE" ? "TODO" : "");
    if (keyword.empty())
        return text;
    return text.empty() ? keyword : keyword + " " + text;
}

std::vector<std::string_view> noteLines(std::string_view note) {
    auto lines = MarkdownSyntax::linesOf(note);
    while (!lines.empty() && isBlankLine(lines.back()))
        lines.pop_back();
    std::size_t first = 0;
    while (first < lines.size() && isBlankLine(lines[first]))
        ++first;
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
    return lines;
}

// Whether the note's lines from `at` hold a property drawer that can take the writer's
// properties as its first lines: one with lines in it, the first of them no title line (the
// reader would take it for one of the item's).
bool startsDrawer(const std::vector<std::string_view>& lines, std::size_t at) {
    if (at + 1 >= lines.size() || !isDrawerLine(lines[at], ":PROPERTIES:"))
        return false;
    if (auto first = property(lines[at + 1]);
        first && Text::equalsIgnoringCase(first->key, kTitleLineKey))
        return false;
    for (std::size_t i = at + 1; i < lines.size(); ++i)
        if (isDrawerLine(lines[i], ":END:"))
            return i > at + 1;
    return false;
}

// The note's lines from `from`: blocks that close within the note as they are, and a comma
// before anything outside them that would read as a headline, a TODO declaration or a block
// that does not close.
void appendNote(std::string& out, const std::vector<std::string_view>& lines, std::size_t from) {
    const auto ends = blockEnds(lines);
    std::size_t blockEnd = 0;
    for (std::size_t i = from; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (blockEnd == 0 && ends[i] > 0)
            blockEnd = ends[i];
        if (blockEnd > 0) {
            if (i == blockEnd)
                blockEnd = 0;
        } else if (needsComma(line, !blockOpened(line).empty())) {
            out += ',';
        }
        out += line;
        out += '\n';
    }
}

void appendItem(std::string& out, const Item& item, std::size_t level, Options options) {
    auto titleLines = MarkdownSyntax::linesOf(item.text);
    out.append(level, '*');
    std::string headline = headlineText(titleLines.front(), item.checked);
    if (!headline.empty())
        out += ' ';
    out += headline;
    out += '\n';

    std::string properties;
    if (options.ids && isValidID(item.id))
        properties += ":ID: " + item.id + "\n";
    for (std::size_t i = 1; i < titleLines.size(); ++i) {
        properties += ':';
        properties += kTitleLineKey;
        properties += ':';
        if (!titleLines[i].empty())
            properties += ' ';
        properties += titleLines[i];
        properties += '\n';
    }

    const auto lines = noteLines(item.note);
    std::size_t next = 0;
    if (!lines.empty() && isPlanning(lines[0])) {
        out += lines[0];
        out += '\n';
        next = 1;
    }
    if (!properties.empty()) {
        if (startsDrawer(lines, next)) {
            // The note's own drawer takes the properties as its first lines.
            out += lines[next++];
            out += '\n';
            out += properties;
        } else {
            out += ":PROPERTIES:\n" + properties + ":END:\n";
        }
    }
    appendNote(out, lines, next);
}

} // namespace

std::string encode(std::string_view title, const ItemList& items, Options options) {
    std::string out = "#+TITLE:";
    std::string oneLine;
    for (auto line : MarkdownSyntax::linesOf(title)) {
        if (!oneLine.empty() && !trimmedBlanks(line).empty())
            oneLine += ' ';
        oneLine += trimmedBlanks(line);
    }
    if (!oneLine.empty())
        out += " " + oneLine;
    out += '\n';
    out.reserve(static_cast<std::size_t>(64 * items.totalCount()) + out.size());
    TreePaths::forEachPreOrder(items, [&](const Item& item, const std::vector<int>& path) {
        appendItem(out, item, path.size(), options);
        return true;
    });
    return out;
}

} // namespace velmora::OrgCodec
