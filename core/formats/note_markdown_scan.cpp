#include "core/formats/note_markdown_scan.hpp"

#include "core/formats/note_markdown.hpp"

#include <utf8proc.h>

namespace velmora::NoteMarkdownScan {
namespace {

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
        return NoteMarkdownScan::isASCIIPunctuation(static_cast<char>(*cp));
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

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::size_t skipSpace(std::string_view s, std::size_t at) {
    while (at < s.size() && isSpace(s[at])) {
        ++at;
    }
    return at;
}

// A destination in angle brackets, or a run of non-space characters with balanced parentheses.
std::optional<std::size_t> destinationEnd(std::string_view s, std::size_t p,
                                          std::string& destination) {
    if (p < s.size() && s[p] == '<') {
        std::size_t q = p + 1;
        while (q < s.size() && s[q] != '>' && s[q] != '<' && s[q] != '\n') {
            q += (s[q] == '\\' && q + 1 < s.size()) ? 2 : 1;
        }
        if (q >= s.size() || s[q] != '>') {
            return std::nullopt;
        }
        destination = unescaped(s.substr(p + 1, q - p - 1));
        return q + 1;
    }
    std::size_t q = p;
    int depth = 0;
    while (q < s.size()) {
        const char c = s[q];
        if (c == '\\' && q + 1 < s.size() && isASCIIPunctuation(s[q + 1])) {
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
    destination = unescaped(s.substr(p, q - p));
    return q;
}

std::optional<std::size_t> titleEnd(std::string_view s, std::size_t p) {
    const char close = s[p] == '(' ? ')' : s[p];
    for (std::size_t q = p + 1; q < s.size(); ++q) {
        if (s[q] == '\\' && q + 1 < s.size()) {
            ++q;
        } else if (s[q] == close) {
            return q + 1;
        } else if (close == ')' && s[q] == '(') {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

bool isURI(std::string_view body) {
    const auto colon = body.find(':');
    if (colon == std::string_view::npos || colon < 2 || colon > 32 || !NoteMarkdown::scheme(body)) {
        return false;
    }
    for (char c : body) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == '<' || c == '>') {
            return false;
        }
    }
    return true;
}

bool isEmail(std::string_view body) {
    const auto at = body.find('@');
    if (at == 0 || at == std::string_view::npos || at + 1 >= body.size()) {
        return false;
    }
    static constexpr std::string_view localExtra = ".!#$%&'*+/=?^_`{|}~-";
    for (char c : body.substr(0, at)) {
        if (!isAlphanumeric(c) && localExtra.find(c) == std::string_view::npos) {
            return false;
        }
    }
    const std::string_view host = body.substr(at + 1);
    if (host.front() == '.' || host.back() == '.' || host.front() == '-') {
        return false;
    }
    for (char c : host) {
        if (!isAlphanumeric(c) && c != '.' && c != '-') {
            return false;
        }
    }
    return true;
}

} // namespace

bool isASCIIPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
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

std::optional<std::size_t> inlineLinkEnd(std::string_view s, std::size_t at,
                                         std::string& destination) {
    if (at >= s.size() || s[at] != '(') {
        return std::nullopt;
    }
    const auto afterDestination = destinationEnd(s, skipSpace(s, at + 1), destination);
    if (!afterDestination) {
        return std::nullopt;
    }
    std::size_t q = skipSpace(s, *afterDestination);
    if (q > *afterDestination && q < s.size() && (s[q] == '"' || s[q] == '\'' || s[q] == '(')) {
        const auto afterTitle = titleEnd(s, q);
        if (!afterTitle) {
            return std::nullopt;
        }
        q = skipSpace(s, *afterTitle);
    }
    if (q >= s.size() || s[q] != ')') {
        return std::nullopt;
    }
    return q + 1;
}

Flanks flanksOf(std::string_view s, std::size_t at, std::size_t length) {
    const auto before = codePointBefore(s, at);
    const auto after = codePointAt(s, at + length);
    Flanks flanks;
    flanks.punctuationBefore = isPunctuation(before);
    flanks.punctuationAfter = isPunctuation(after);
    flanks.left = !isWhitespace(after) &&
                  (!flanks.punctuationAfter || isWhitespace(before) || flanks.punctuationBefore);
    flanks.right = !isWhitespace(before) &&
                   (!flanks.punctuationBefore || isWhitespace(after) || flanks.punctuationAfter);
    return flanks;
}

std::optional<std::string> autolinkURL(std::string_view body) {
    if (isURI(body)) {
        return std::string(body);
    }
    if (isEmail(body)) {
        return "mailto:" + std::string(body);
    }
    return std::nullopt;
}

} // namespace velmora::NoteMarkdownScan
