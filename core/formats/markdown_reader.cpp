#include "core/formats/item_tree_builder.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/formats/markdown_syntax.hpp"
#include "core/model/text.hpp"

#include <vector>

namespace velmora::MarkdownCodec {
namespace {

using namespace MarkdownSyntax;

// The first byte that makes the data no text, as an error with its line.
std::optional<MarkdownError> textFault(std::string_view data) {
    auto fault = MarkdownSyntax::textFault(data);
    if (!fault)
        return std::nullopt;
    return MarkdownError{fault->binary ? MarkdownError::Kind::binary : MarkdownError::Kind::encoding,
                    static_cast<std::int64_t>(fault->line)};
}

// A line of a note or title continuation without the escape the writer put before it.
std::string unescapedLine(std::string line) {
    Indent indent = indentOf(line);
    std::string_view rest = std::string_view(line).substr(indent.bytes);
    if (rest.starts_with('\\') && startsBlock(rest.substr(1)))
        line.erase(indent.bytes, 1);
    return line;
}

// Reads the lines into items. The stack of open blocks runs beside the builder's open items.
class Reader {
public:
    explicit Reader(const IDFactory& makeID) : m_makeID(makeID) {}

    void line(std::string_view raw) {
        if (m_fence) {
            fenced(raw);
            return;
        }
        Indent indent = indentOf(raw);
        std::string_view text = raw.substr(indent.bytes);
        if (text.empty()) {
            finishTitle();
            ++m_blanks;
            return;
        }
        // An escaped line is text, whatever follows the backslash.
        if (m_titleGoesOn && (text.starts_with('\\') || !startsBlock(text))) {
            continueTitle(raw);
            return;
        }
        finishTitle();
        if (isRule(text)) {
            ++m_blanks; // a rule separates like a blank line and carries no text
            return;
        }
        if (auto marker = listMarker(text)) {
            listItem(indent.columns, *marker, text.substr(marker->bytes));
        } else if (int level = headingLevel(text)) {
            heading(level, text.substr(static_cast<std::size_t>(level)));
        } else if (auto opened = fence(text)) {
            noteLine(indent.columns, raw);
            m_fence = opened;
            m_titleGoesOn = false;
        } else if (text.starts_with('>')) {
            text.remove_prefix(1);
            if (text.starts_with(' '))
                text.remove_prefix(1);
            noteLine(indent.columns, text, /*quoted=*/true);
        } else {
            noteLine(indent.columns, raw);
        }
        m_blanks = 0;
    }

    ItemList finish() {
        finishTitle();
        return m_builder.finish();
    }

private:
    enum class Kind { heading, paragraph, item };
    struct Block {
        Kind kind;
        int level;             // headings
        long long indent;      // list items: the marker's column
        long long content;     // the column of the block's text
        std::size_t noteLines; // lines of its note so far
    };

    void open(Block block, std::string title) {
        // Deeper than the core allows: attach beside the deepest open item instead.
        if (m_blocks.size() > static_cast<std::size_t>(kMaxItemDepth))
            pop();
        m_blocks.push_back(block);
        m_builder.open(Item::blank(m_makeID(), std::move(title)));
        m_titlePending = true;
        m_titleGoesOn = hardBreakLength(m_builder.current().text) > 0;
    }

    void pop() {
        m_blocks.pop_back();
        m_builder.close();
    }

    void listItem(long long indent, ListMarker marker, std::string_view text) {
        while (!m_blocks.empty() && m_blocks.back().kind != Kind::heading &&
               (m_blocks.back().kind == Kind::item ? m_blocks.back().indent >= indent : false))
            pop();
        bool checked = false;
        if (auto task = taskMarker(text)) {
            checked = task->checked;
            text.remove_prefix(task->bytes);
        }
        open({Kind::item, 0, indent, indent + marker.columns, 0}, std::string(text));
        m_builder.current().checked = checked;
    }

    void heading(int level, std::string_view text) {
        while (!m_blocks.empty() &&
               (m_blocks.back().kind != Kind::heading || m_blocks.back().level >= level))
            pop();
        // The closing sequence of "#"s is no part of the title.
        std::string title = Text::trimmed(text);
        std::size_t end = title.find_last_not_of('#');
        if (end == std::string::npos)
            title.clear();
        else if (end + 1 < title.size() && (title[end] == ' ' || title[end] == '\t'))
            title.erase(end);
        open({Kind::heading, level, 0, 0, 0}, std::move(title));
    }

    // A line of text that is no list item or heading: part of the note of the item it belongs
    // to, or, with none, the title of a paragraph item of its own.
    void noteLine(long long indent, std::string_view raw, bool quoted = false) {
        if (m_blanks > 0) {
            // After a blank line the text belongs to the deepest list item it is indented
            // under, or to the heading above: deeper items and paragraphs are finished.
            std::size_t keep = m_blocks.size();
            while (keep > 0 && m_blocks[keep - 1].kind != Kind::heading &&
                   !(m_blocks[keep - 1].kind == Kind::item && m_blocks[keep - 1].indent < indent))
                --keep;
            while (m_blocks.size() > keep)
                pop();
        }
        if (m_blocks.empty()) {
            open({Kind::paragraph, 0, indent, indent, 0}, Text::trimmed(raw));
            return;
        }
        Block& block = m_blocks.back();
        std::string line =
            quoted ? std::string(raw) : unescapedLine(withoutColumns(raw, block.content));
        std::string& note = m_builder.current().note;
        if (block.noteLines > 0)
            note.append(1 + static_cast<std::size_t>(m_blanks), '\n');
        note += line;
        ++block.noteLines;
    }

    void fenced(std::string_view raw) {
        if (closesFence(*m_fence, raw))
            m_fence.reset();
        Block& block = m_blocks.back();
        std::string& note = m_builder.current().note;
        if (block.noteLines > 0)
            note += '\n';
        note += withoutColumns(raw, block.content);
        ++block.noteLines;
    }

    void continueTitle(std::string_view raw) {
        std::string& title = m_builder.current().text;
        title.resize(title.size() - hardBreakLength(title));
        title += '\n';
        title += unescapedLine(withoutColumns(raw, m_blocks.back().content));
        m_titleGoesOn = hardBreakLength(title) > 0;
    }

    // The title is complete: take off an escape, or the "**" of a bold title.
    void finishTitle() {
        m_titleGoesOn = false;
        if (!m_titlePending)
            return;
        m_titlePending = false;
        Item& item = m_builder.current();
        std::string title = Text::trimmed(item.text);
        if (title.starts_with('\\') && needsEscape(std::string_view(title).substr(1))) {
            title.erase(0, 1);
        } else if (isWholeBold(title)) {
            title = title.substr(2, title.size() - 4);
            item.bold = true;
        }
        item.text = std::move(title);
    }

    const IDFactory& m_makeID;
    ItemTreeBuilder m_builder;
    std::vector<Block> m_blocks;
    std::optional<Fence> m_fence;
    long long m_blanks = 0;
    bool m_titlePending = false;
    bool m_titleGoesOn = false;
};

} // namespace

Result<TreeDocument, MarkdownError> decode(std::string_view data, std::string_view fallbackTitle,
                                           const IDFactory& makeID) {
    if (auto fault = textFault(data))
        return *fault;
    if (data.starts_with("\xEF\xBB\xBF"))
        data.remove_prefix(3);
    TreeDocument document{makeID(), std::string(fallbackTitle), {}};
    Reader reader(makeID);
    auto lines = linesOf(data);
    if (lines.back().empty())
        lines.pop_back(); // the line break that ends the last line
    for (auto line : lines)
        reader.line(line);
    document.items = reader.finish();
    return document;
}

bool looksLikeMarkdown(std::string_view text) {
    for (auto line : linesOf(text)) {
        std::string_view rest = line.substr(indentOf(line).bytes);
        if (listMarker(rest) || headingLevel(rest) > 0)
            return true;
    }
    return false;
}

} // namespace velmora::MarkdownCodec
