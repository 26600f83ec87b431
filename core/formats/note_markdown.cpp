#include "core/formats/note_markdown.hpp"

#include "core/formats/note_markdown_scan.hpp"

#include <array>
#include <cstdint>
#include <set>

// The inline grammar is CommonMark's (with the strike-through of GitHub-flavoured markdown)
// restricted to what notes use: backslash escapes, code spans, autolinks, inline links and the
// delimiter runs of "*", "_" and "~". Nodes stay in source order in one array; matching an
// emphasis or a link marks the nodes between its delimiters instead of nesting them, so every
// node remains a slice of the note and flattens straight into runs.
namespace velmora {
namespace {

using NoteMarkdownScan::isASCIIPunctuation;

enum class NodeKind { text, delimiter, bracket };

struct Node {
    NodeKind kind = NodeKind::text;
    NoteRun run; // the slice (for a delimiter: its characters not yet used) and the styles
    bool hidden = false;
};

struct Delimiter {
    std::size_t node = 0;
    char character = '*';
    std::size_t originalLength = 0;
    bool canOpen = false;
    bool canClose = false;
    bool alive = true;
};

struct Bracket {
    std::size_t node = 0;
    std::size_t delimiterBottom = 0;
    bool active = true;
};

class InlineParser {
public:
    explicit InlineParser(std::string_view source) : m_s(source) {}

    std::vector<NoteRun> run() {
        while (m_pos < m_s.size()) {
            step();
        }
        flushText();
        processEmphasis(0);
        return flattened();
    }

private:
    void step() {
        char c = m_s[m_pos];
        switch (c) {
        case '\\':
            return escape();
        case '`':
            return codeSpan();
        case '*':
        case '_':
        case '~':
            return delimiterRun(c);
        case '[':
            flushText();
            m_brackets.push_back({m_nodes.size(), m_delimiters.size(), true});
            addNode(NodeKind::bracket, m_pos, 1);
            ++m_pos;
            return;
        case ']':
            return closeBracket();
        case '<':
            if (autolink()) {
                return;
            }
            break;
        default:
            break;
        }
        if (!m_textStart) {
            m_textStart = m_pos;
        }
        ++m_pos;
    }

    Node& addNode(NodeKind kind, std::size_t start, std::size_t length) {
        Node node;
        node.kind = kind;
        node.run.start = start;
        node.run.length = length;
        m_nodes.push_back(node);
        return m_nodes.back();
    }

    void flushText() {
        if (m_textStart) {
            addNode(NodeKind::text, *m_textStart, m_pos - *m_textStart);
            m_textStart.reset();
        }
    }

    void escape() {
        if (m_pos + 1 < m_s.size() && isASCIIPunctuation(m_s[m_pos + 1])) {
            flushText();
            addNode(NodeKind::text, m_pos + 1, 1);
            m_pos += 2;
            return;
        }
        if (!m_textStart) {
            m_textStart = m_pos;
        }
        ++m_pos;
    }

    std::size_t runLength(std::size_t at, char c) const {
        std::size_t end = at;
        while (end < m_s.size() && m_s[end] == c) {
            ++end;
        }
        return end - at;
    }

    void codeSpan() {
        flushText();
        std::size_t open = runLength(m_pos, '`');
        std::size_t contentStart = m_pos + open;
        if (!m_unclosedCodeLengths.contains(open)) {
            for (std::size_t at = contentStart; at < m_s.size();) {
                if (m_s[at] != '`') {
                    ++at;
                    continue;
                }
                std::size_t close = runLength(at, '`');
                if (close == open) {
                    addCode(contentStart, at);
                    m_pos = at + close;
                    return;
                }
                at += close;
            }
            // No closer of this length anywhere further on: later runs need not look again.
            m_unclosedCodeLengths.insert(open);
        }
        addNode(NodeKind::text, m_pos, open);
        m_pos += open;
    }

    void addCode(std::size_t start, std::size_t end) {
        auto isSpace = [](char ch) { return ch == ' ' || ch == '\n' || ch == '\r'; };
        bool allSpace = true;
        for (std::size_t i = start; i < end && allSpace; ++i) {
            allSpace = isSpace(m_s[i]);
        }
        if (end - start >= 2 && !allSpace && isSpace(m_s[start]) && isSpace(m_s[end - 1])) {
            ++start;
            --end;
        }
        if (end > start) {
            addNode(NodeKind::text, start, end - start).run.code = true;
        }
    }

    void delimiterRun(char c) {
        flushText();
        std::size_t length = runLength(m_pos, c);
        const auto flanks = NoteMarkdownScan::flanksOf(m_s, m_pos, length);
        const bool left = flanks.left;
        const bool right = flanks.right;
        Delimiter d;
        d.node = m_nodes.size();
        d.character = c;
        d.originalLength = length;
        if (c == '_') {
            d.canOpen = left && (!right || flanks.punctuationBefore);
            d.canClose = right && (!left || flanks.punctuationAfter);
        } else if (c == '~' && length > 2) {
            d.canOpen = d.canClose = false;
        } else {
            d.canOpen = left;
            d.canClose = right;
        }
        addNode(NodeKind::delimiter, m_pos, length);
        if (d.canOpen || d.canClose) {
            m_delimiters.push_back(d);
        }
        m_pos += length;
    }

    void closeBracket() {
        flushText();
        if (m_brackets.empty() || !m_brackets.back().active) {
            if (!m_brackets.empty()) {
                m_brackets.pop_back();
            }
            addNode(NodeKind::text, m_pos, 1);
            ++m_pos;
            return;
        }
        Bracket opener = m_brackets.back();
        m_brackets.pop_back();
        std::string destination;
        auto end = NoteMarkdownScan::inlineLinkEnd(m_s, m_pos + 1, destination);
        if (!end) {
            addNode(NodeKind::text, m_pos, 1);
            ++m_pos;
            return;
        }
        processEmphasis(opener.delimiterBottom);
        m_nodes[opener.node].hidden = true;
        for (std::size_t i = opener.node + 1; i < m_nodes.size(); ++i) {
            m_nodes[i].run.link = destination;
        }
        // A link cannot hold another link: earlier openers stay literal.
        for (auto& b : m_brackets) {
            b.active = false;
        }
        m_pos = *end;
    }

    // "<scheme:…>" or "<user@host>"; adds the link node and moves past it.
    bool autolink() {
        const std::size_t close = m_s.find('>', m_pos + 1);
        if (close == std::string_view::npos) {
            return false;
        }
        const std::string_view body = m_s.substr(m_pos + 1, close - m_pos - 1);
        auto url = NoteMarkdownScan::autolinkURL(body);
        if (!url) {
            return false;
        }
        flushText();
        addNode(NodeKind::text, m_pos + 1, body.size()).run.link = std::move(url);
        m_pos = close + 1;
        return true;
    }

    static int characterIndex(char c) { return c == '*' ? 0 : (c == '_' ? 1 : 2); }

    bool oddMatch(const Delimiter& opener, const Delimiter& closer) const {
        if (closer.character == '~') {
            return m_nodes[opener.node].run.length != m_nodes[closer.node].run.length;
        }
        return (opener.canClose || closer.canOpen) &&
               (opener.originalLength + closer.originalLength) % 3 == 0 &&
               !(opener.originalLength % 3 == 0 && closer.originalLength % 3 == 0);
    }

    // The opener that `closer` matches, searching down to `bottom`; -1 when there is none.
    long findOpener(std::size_t closer, std::size_t bottom) const {
        const Delimiter& d = m_delimiters[closer];
        for (std::size_t o = closer; o-- > bottom;) {
            const Delimiter& op = m_delimiters[o];
            if (op.alive && op.character == d.character && op.canOpen && !oddMatch(op, d)) {
                return static_cast<long>(o);
            }
        }
        return -1;
    }

    void processEmphasis(std::size_t stackBottom) {
        // openersBottom[character][closer length % 3][closer can open]: below it no opener
        // for such a closer was found, so later searches stop there.
        std::array<std::array<std::array<std::size_t, 2>, 3>, 3> openersBottom{};
        for (auto& byLength : openersBottom) {
            for (auto& byOpen : byLength) {
                byOpen.fill(stackBottom);
            }
        }
        std::size_t current = stackBottom;
        while (current < m_delimiters.size()) {
            Delimiter& closer = m_delimiters[current];
            if (!closer.alive || !closer.canClose) {
                ++current;
                continue;
            }
            auto& bottom = openersBottom[characterIndex(closer.character)]
                                        [closer.originalLength % 3][closer.canOpen ? 1 : 0];
            long found = findOpener(current, bottom);
            if (found < 0) {
                bottom = current;
                if (!closer.canOpen) {
                    closer.alive = false;
                }
                ++current;
                continue;
            }
            match(static_cast<std::size_t>(found), current);
            if (!closer.alive) {
                ++current;
            }
        }
        for (std::size_t i = stackBottom; i < m_delimiters.size(); ++i) {
            m_delimiters[i].alive = false;
        }
    }

    void match(std::size_t openerIndex, std::size_t closerIndex) {
        Delimiter& opener = m_delimiters[openerIndex];
        Delimiter& closer = m_delimiters[closerIndex];
        NoteRun& open = m_nodes[opener.node].run;
        NoteRun& close = m_nodes[closer.node].run;
        std::size_t used = close.length;
        if (closer.character != '~') {
            used = (open.length >= 2 && close.length >= 2) ? 2 : 1;
        }
        for (std::size_t i = opener.node + 1; i < closer.node; ++i) {
            NoteRun& inner = m_nodes[i].run;
            if (closer.character == '~') {
                inner.strikethrough = true;
            } else if (used == 2) {
                inner.strong = true;
            } else {
                inner.emphasis = true;
            }
        }
        open.length -= used;
        close.start += used;
        close.length -= used;
        for (std::size_t i = openerIndex + 1; i < closerIndex; ++i) {
            m_delimiters[i].alive = false;
        }
        if (open.length == 0) {
            opener.alive = false;
        }
        if (close.length == 0) {
            closer.alive = false;
        }
    }

    std::vector<NoteRun> flattened() const {
        std::vector<NoteRun> runs;
        for (const Node& node : m_nodes) {
            if (node.hidden || node.run.length == 0) {
                continue;
            }
            if (!runs.empty() && runs.back().end() == node.run.start &&
                runs.back().sameStyle(node.run)) {
                runs.back().length += node.run.length;
            } else {
                runs.push_back(node.run);
            }
        }
        return runs;
    }

    std::string_view m_s;
    std::size_t m_pos = 0;
    std::optional<std::size_t> m_textStart;
    std::vector<Node> m_nodes;
    std::vector<Delimiter> m_delimiters;
    std::vector<Bracket> m_brackets;
    std::set<std::size_t> m_unclosedCodeLengths;
};

} // namespace

bool NoteRun::sameStyle(const NoteRun& other) const {
    return emphasis == other.emphasis && strong == other.strong && code == other.code &&
           strikethrough == other.strikethrough && link == other.link;
}

namespace NoteMarkdown {

bool hasMarkupTrigger(std::string_view note) {
    return note.find_first_of("*_`[") != std::string_view::npos;
}

std::vector<NoteRun> parse(std::string_view note) {
    if (note.empty()) {
        return {};
    }
    if (!hasMarkupTrigger(note)) {
        NoteRun whole;
        whole.length = note.size();
        return {whole};
    }
    return InlineParser(note).run();
}

std::string shownText(std::string_view note, const std::vector<NoteRun>& runs) {
    std::string out;
    for (const auto& run : runs) {
        out.append(note.substr(run.start, run.length));
    }
    return out;
}

std::optional<std::string> scheme(std::string_view url) {
    auto colon = url.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 0; i < colon; ++i) {
        char c = url[i];
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool digit = c >= '0' && c <= '9';
        if (!letter && (i == 0 || (!digit && c != '+' && c != '-' && c != '.'))) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(letter && c <= 'Z' ? c - 'A' + 'a' : c));
    }
    return out;
}

bool isAllowedLink(std::string_view url) {
    auto s = scheme(url);
    return s && (*s == "http" || *s == "https" || *s == "mailto");
}

} // namespace NoteMarkdown
} // namespace velmora
