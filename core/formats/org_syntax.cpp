#include "core/formats/org_syntax.hpp"

#include <unordered_map>

namespace velmora::OrgSyntax {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

std::string_view withoutIndent(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && isBlank(line[at]))
        ++at;
    return line.substr(at);
}

bool startsIgnoringCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != lower(prefix[i]))
            return false;
    return true;
}

// The name after "#+BEGIN_" or "#+END_" (as `marker`), as written; empty for none.
std::string_view delimiterName(std::string_view line, std::string_view marker) {
    std::string_view rest = withoutIndent(line);
    if (!startsIgnoringCase(rest, marker))
        return {};
    rest.remove_prefix(marker.size());
    std::size_t end = 0;
    while (end < rest.size() && !isBlank(rest[end]))
        ++end;
    return rest.substr(0, end);
}

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = lower(c);
    return out;
}

bool isTagChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') || c == '_' || c == '@' || c == '#' || c == '%' || c == ':';
}

std::string_view withoutCommas(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && line[at] == ',')
        ++at;
    return line.substr(at);
}

} // namespace

std::size_t headlineStars(std::string_view line) {
    std::size_t stars = 0;
    while (stars < line.size() && line[stars] == '*')
        ++stars;
    if (stars == 0 || (stars < line.size() && !isBlank(line[stars])))
        return 0;
    return stars;
}

std::string blockOpened(std::string_view line) {
    if (line.empty() || (line[0] != '#' && !isBlank(line[0])))
        return {};
    return lowered(delimiterName(line, "#+begin_"));
}

bool closesBlock(std::string_view line, std::string_view name) {
    std::string_view written = delimiterName(line, "#+end_");
    return !written.empty() && lowered(written) == name;
}

std::vector<std::size_t> blockEnds(const std::vector<std::string_view>& lines) {
    std::vector<std::size_t> ends;
    // Walking up from the end, the nearest closing line below for each name.
    std::unordered_map<std::string, std::size_t> below;
    for (std::size_t i = lines.size(); i-- > 0;) {
        std::string_view line = lines[i];
        if (line.empty() || (line[0] != '#' && !isBlank(line[0])))
            continue;
        if (std::string_view closed = delimiterName(line, "#+end_"); !closed.empty()) {
            below[lowered(closed)] = i;
            continue;
        }
        std::string opened = blockOpened(line);
        if (opened.empty())
            continue;
        auto found = below.find(opened);
        if (found == below.end())
            continue;
        if (ends.empty())
            ends.assign(lines.size(), 0);
        ends[i] = found->second;
    }
    if (ends.empty())
        ends.assign(lines.size(), 0);
    return ends;
}

std::optional<Keyword> keyword(std::string_view line) {
    std::string_view rest = withoutIndent(line);
    if (!rest.starts_with("#+"))
        return std::nullopt;
    rest.remove_prefix(2);
    std::size_t colon = 0;
    while (colon < rest.size() && rest[colon] != ':' && !isBlank(rest[colon]))
        ++colon;
    if (colon == 0 || colon == rest.size() || rest[colon] != ':')
        return std::nullopt;
    Keyword found;
    for (char c : rest.substr(0, colon))
        found.key += upper(c);
    std::string_view value = rest.substr(colon + 1);
    while (!value.empty() && isBlank(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && isBlank(value.back()))
        value.remove_suffix(1);
    found.value = value;
    return found;
}

bool declaresTodo(std::string_view line) {
    auto found = keyword(line);
    return found && (found->key == "TODO" || found->key == "SEQ_TODO" || found->key == "TYP_TODO");
}

bool needsComma(std::string_view line, bool unclosedBlock) {
    std::string_view rest = withoutCommas(line);
    bool escaped = rest.size() < line.size();
    return headlineStars(rest) > 0 || declaresTodo(rest) ||
           ((escaped || unclosedBlock) && !blockOpened(rest).empty());
}

bool hasEscapeComma(std::string_view line) {
    if (!line.starts_with(','))
        return false;
    std::string_view rest = withoutCommas(line);
    return headlineStars(rest) > 0 || declaresTodo(rest) || !blockOpened(rest).empty();
}

bool isPlanning(std::string_view line) {
    std::string_view rest = withoutIndent(line);
    return rest.starts_with("SCHEDULED:") || rest.starts_with("DEADLINE:") ||
           rest.starts_with("CLOSED:");
}

bool isDrawerLine(std::string_view line, std::string_view name) {
    std::string_view rest = withoutIndent(line);
    while (!rest.empty() && isBlank(rest.back()))
        rest.remove_suffix(1);
    return rest.size() == name.size() && startsIgnoringCase(rest, name);
}

std::optional<Property> property(std::string_view line) {
    std::string_view rest = withoutIndent(line);
    if (!rest.starts_with(':'))
        return std::nullopt;
    std::size_t close = 1;
    while (close < rest.size() && rest[close] != ':' && !isBlank(rest[close]))
        ++close;
    if (close == 1 || close == rest.size() || rest[close] != ':')
        return std::nullopt;
    std::string_view value = rest.substr(close + 1);
    if (!value.empty() && !isBlank(value.front()))
        return std::nullopt;
    if (!value.empty())
        value.remove_prefix(1);
    return Property{rest.substr(1, close - 1), value};
}

bool isValidID(std::string_view id) {
    if (id.empty())
        return false;
    for (char c : id)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F)
            return false;
    return true;
}

std::size_t trailingTags(std::string_view title) {
    std::size_t end = title.size();
    while (end > 0 && isBlank(title[end - 1]))
        --end;
    if (end < 3 || title[end - 1] != ':')
        return 0;
    std::size_t start = end;
    while (start > 0 && isTagChar(title[start - 1]))
        --start;
    if (title[start] != ':' || end - start < 3)
        return 0;
    if (start > 0 && !isBlank(title[start - 1]))
        return 0;
    while (start > 0 && isBlank(title[start - 1]))
        --start;
    return title.size() - start;
}

std::size_t priorityCookie(std::string_view text) {
    if (!text.starts_with("[#"))
        return 0;
    std::size_t at = 2;
    while (at < text.size() && at < 5 &&
           ((text[at] >= 'A' && text[at] <= 'Z') || (text[at] >= 'a' && text[at] <= 'z') ||
            (text[at] >= '0' && text[at] <= '9')))
        ++at;
    if (at == 2 || at == text.size() || text[at] != ']')
        return 0;
    ++at;
    if (at < text.size() && !isBlank(text[at]))
        return 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    return at;
}

std::string_view firstWord(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    return text.substr(0, end);
}

} // namespace velmora::OrgSyntax
