#include "core/formats/note_markdown.hpp"

#include <utf8proc.h>

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

bool isASCIIPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

// The code point that starts at `at`, or the one that ends just before it; absent at the ends
// of the text, which count as white space.
std::optional<char32_t> codePointAt(std::string_view s, std::size_t at) {
    if (at >= s.size()) {
        return std::nullopt;
    }
    utf8proc_int32_t cp = 0;
    auto read = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(s.data() + at),
                                 static_cast<utf8proc_ssize_t>(s.size() - at), &cp);
    return read < 0 ? char32_t{0xFFFD} : static_cast<char32_t>(cp);
}

std::optional<char32_t> codePointBefore(std::string_view s, std::size_t at) {
    if (at == 0) {
        return std::nullopt;
    }
    std::size_t start = at - 1;
    while (start > 0 && at - start < 4 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) {
        --start;
    }
    return codePointAt(s.substr(0, at), start);
}

bool isWhitespace(std::optional<char32_t> cp) {
    if (!cp) {
        return true;
    }
    if (*cp == '\t' || *cp == '\n' || *cp == '\f' || *cp == '\r' || *cp == ' ') {
        return true;
    }
    return utf8proc_category(static_cast<utf8proc_int32_t>(*cp)) == UTF8PROC_CATEGORY_ZS;
}

bool isPunctuation(std::optional<char32_t> cp) {
    if (!cp) {
        return false;
    }
    if (*cp < 0x80) {
        return isASCIIPunctuation(static_cast<char>(*cp));
    }
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(*cp))) {
    case UTF8PROC_CATEGORY_PC:
    case UTF8PROC_CATEGORY_PD:
    case UTF8PROC_CATEGORY_PS:
    case UTF8PROC_CATEGORY_PE:
    case UTF8PROC_CATEGORY_PI:
    case UTF8PROC_CATEGORY_PF:
    case UTF8PROC_CATEGORY_PO:
    case UTF8PROC_CATEGORY_SM:
    case UTF8PROC_CATEGORY_SC:
    case UTF8PROC_CATEGORY_SK:
    case UTF8PROC_CATEGORY_SO:
        return true;
    default:
        return false;
    }
}

bool isSpaceOrTab(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string unescaped(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && isASCIIPunctuation(s[i + 1])) {
            ++i;
        }
        out.push_back(s[i]);
    }
    return out;
}

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
        auto before = codePointBefore(m_s, m_pos);
        auto after = codePointAt(m_s, m_pos + length);
        bool left = !isWhitespace(after) &&
                    (!isPunctuation(after) || isWhitespace(before) || isPunctuation(before));
        bool right = !isWhitespace(before) &&
                     (!isPunctuation(before) || isWhitespace(after) || isPunctuation(after));
        Delimiter d;
        d.node = m_nodes.size();
        d.character = c;
        d.originalLength = length;
        if (c == '_') {
            d.canOpen = left && (!right || isPunctuation(before));
            d.canClose = right && (!left || isPunctuation(after));
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
        auto end = inlineLinkEnd(m_pos + 1, destination);
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

    std::size_t skipSpace(std::size_t at) const {
        while (at < m_s.size() && isSpaceOrTab(m_s[at])) {
            ++at;
        }
        return at;
    }

    // "(destination "title")" starting at `at`; the position after it, or none.
    std::optional<std::size_t> inlineLinkEnd(std::size_t at, std::string& destination) const {
        if (at >= m_s.size() || m_s[at] != '(') {
            return std::nullopt;
        }
        std::size_t p = skipSpace(at + 1);
        auto afterDestination = linkDestination(p, destination);
        if (!afterDestination) {
            return std::nullopt;
        }
        std::size_t q = skipSpace(*afterDestination);
        if (q > *afterDestination && q < m_s.size() &&
            (m_s[q] == '"' || m_s[q] == '\'' || m_s[q] == '(')) {
            auto afterTitle = linkTitleEnd(q);
            if (!afterTitle) {
                return std::nullopt;
            }
            q = skipSpace(*afterTitle);
        }
        if (q >= m_s.size() || m_s[q] != ')') {
            return std::nullopt;
        }
        return q + 1;
    }

    std::optional<std::size_t> linkDestination(std::size_t p, std::string& destination) const {
        if (p < m_s.size() && m_s[p] == '<') {
            std::size_t q = p + 1;
            while (q < m_s.size() && m_s[q] != '>' && m_s[q] != '<' && m_s[q] != '\n') {
                q += (m_s[q] == '\\' && q + 1 < m_s.size()) ? 2 : 1;
            }
            if (q >= m_s.size() || m_s[q] != '>') {
                return std::nullopt;
            }
            destination = unescaped(m_s.substr(p + 1, q - p - 1));
            return q + 1;
        }
        std::size_t q = p;
        int depth = 0;
        while (q < m_s.size()) {
            char c = m_s[q];
            if (c == '\\' && q + 1 < m_s.size() && isASCIIPunctuation(m_s[q + 1])) {
                q += 2;
            } else if (c == '(') {
                ++depth;
                ++q;
            } else if (c == ')') {
                if (depth == 0) {
                    break;
                }
                --depth;
                ++q;
            } else if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) {
                break;
            } else {
                ++q;
            }
        }
        if (depth != 0) {
            return std::nullopt;
        }
        destination = unescaped(m_s.substr(p, q - p));
        return q;
    }

    std::optional<std::size_t> linkTitleEnd(std::size_t p) const {
        char close = m_s[p] == '(' ? ')' : m_s[p];
        for (std::size_t q = p + 1; q < m_s.size(); ++q) {
            if (m_s[q] == '\\' && q + 1 < m_s.size()) {
                ++q;
            } else if (m_s[q] == close) {
                return q + 1;
            } else if (close == ')' && m_s[q] == '(') {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    // "<scheme:…>" or "<user@host>"; adds the link node and moves past it.
    bool autolink() {
        std::size_t close = m_s.find('>', m_pos + 1);
        if (close == std::string_view::npos) {
            return false;
        }
        std::string_view body = m_s.substr(m_pos + 1, close - m_pos - 1);
        std::optional<std::string> url;
        if (isURIAutolink(body)) {
            url = std::string(body);
        } else if (isEmailAutolink(body)) {
            url = "mailto:" + std::string(body);
        }
        if (!url) {
            return false;
        }
        flushText();
        addNode(NodeKind::text, m_pos + 1, body.size()).run.link = url;
        m_pos = close + 1;
        return true;
    }

    static bool isURIAutolink(std::string_view body) {
        auto colon = body.find(':');
        if (colon == std::string_view::npos || colon < 2 || colon > 32 ||
            !NoteMarkdown::scheme(body)) {
            return false;
        }
        for (char c : body) {
            if (static_cast<unsigned char>(c) <= 0x20 || c == '<' || c == '>') {
                return false;
            }
        }
        return true;
    }

    static bool isEmailAutolink(std::string_view body) {
        auto at = body.find('@');
        if (at == 0 || at == std::string_view::npos || at + 1 >= body.size()) {
            return false;
        }
        static constexpr std::string_view localExtra = ".!#$%&'*+/=?^_`{|}~-";
        for (char c : body.substr(0, at)) {
            bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            if (!alnum && localExtra.find(c) == std::string_view::npos) {
                return false;
            }
        }
        std::string_view host = body.substr(at + 1);
        if (host.front() == '.' || host.back() == '.' || host.front() == '-') {
            return false;
        }
        for (char c : host) {
            bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
            if (!alnum && c != '.' && c != '-') {
                return false;
            }
        }
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
