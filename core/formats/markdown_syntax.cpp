#include "core/formats/markdown_syntax.hpp"
#include "core/model/text.hpp"

namespace velmora::MarkdownSyntax {
namespace {

constexpr long long kTabStop = 4;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool endsMarker(std::string_view text, std::size_t at) {
    return at == text.size() || isBlank(text[at]);
}

} // namespace

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

Indent indentOf(std::string_view line) {
    Indent indent;
    for (; indent.bytes < line.size() && isBlank(line[indent.bytes]); ++indent.bytes)
        indent.columns = line[indent.bytes] == '\t' ? (indent.columns / kTabStop + 1) * kTabStop
                                                    : indent.columns + 1;
    return indent;
}

std::string withoutColumns(std::string_view line, long long columns) {
    long long at = 0;
    std::size_t pos = 0;
    while (pos < line.size() && isBlank(line[pos]) && at < columns) {
        long long next = line[pos] == '\t' ? (at / kTabStop + 1) * kTabStop : at + 1;
        ++pos;
        if (next > columns) {
            std::string rest(static_cast<std::size_t>(next - columns), ' ');
            return rest.append(line.substr(pos));
        }
        at = next;
    }
    return std::string(line.substr(pos));
}

std::optional<ListMarker> listMarker(std::string_view text) {
    std::size_t length = 0;
    if (!text.empty() && (text[0] == '-' || text[0] == '*' || text[0] == '+')) {
        length = 1;
    } else {
        while (length < text.size() && length < 10 && text[length] >= '0' && text[length] <= '9')
            ++length;
        if (length == 0 || length > 9 || length == text.size() ||
            (text[length] != '.' && text[length] != ')'))
            return std::nullopt;
        ++length;
    }
    if (!endsMarker(text, length))
        return std::nullopt;
    // One blank (or tab) separates the marker from the text; more belong to the text.
    ListMarker marker{length, static_cast<long long>(length)};
    if (length < text.size()) {
        marker.columns =
            text[length] == '\t' ? (marker.columns / kTabStop + 1) * kTabStop : marker.columns + 1;
        marker.bytes = length + 1;
    } else {
        marker.columns += 1;
    }
    return marker;
}

int headingLevel(std::string_view text) {
    std::size_t level = 0;
    while (level < text.size() && text[level] == '#')
        ++level;
    if (level == 0 || level > 6 || !endsMarker(text, level))
        return 0;
    return static_cast<int>(level);
}

std::optional<Fence> fence(std::string_view text) {
    if (text.empty() || (text[0] != '`' && text[0] != '~'))
        return std::nullopt;
    std::size_t length = 0;
    while (length < text.size() && text[length] == text[0])
        ++length;
    if (length < 3)
        return std::nullopt;
    return Fence{text[0], length};
}

bool closesFence(const Fence& open, std::string_view line) {
    line.remove_prefix(indentOf(line).bytes);
    auto closing = fence(line);
    return closing && closing->mark == open.mark && closing->length >= open.length &&
           line.substr(closing->length).find_first_not_of(" \t") == std::string_view::npos;
}

bool isRule(std::string_view text) {
    if (text.empty())
        return false;
    char mark = text[0];
    if (mark == '=') {
        return text.find_first_not_of("= \t") == std::string_view::npos;
    }
    if (mark != '-' && mark != '*' && mark != '_')
        return false;
    int count = 0;
    for (char c : text) {
        if (c == mark)
            ++count;
        else if (!isBlank(c))
            return false;
    }
    return count >= 3;
}

bool startsBlock(std::string_view text) {
    // Escapes of escapes: "\\-" stands for "\-", which stands for "-".
    std::size_t backslashes = text.find_first_not_of('\\');
    if (backslashes == std::string_view::npos)
        return false;
    text.remove_prefix(backslashes);
    return text[0] == '>' || listMarker(text) || headingLevel(text) > 0 || fence(text) ||
           isRule(text);
}

std::optional<TaskMarker> taskMarker(std::string_view text) {
    if (text.size() < 3 || text[0] != '[' || text[2] != ']' || !endsMarker(text, 3))
        return std::nullopt;
    char mark = text[1];
    if (mark != ' ' && mark != 'x' && mark != 'X')
        return std::nullopt;
    return TaskMarker{mark != ' ', text.size() > 3 ? std::size_t(4) : std::size_t(3)};
}

std::size_t hardBreakLength(std::string_view line) {
    const std::string_view text = line.substr(0, line.find_last_not_of(' ') + 1); // npos + 1 is 0
    const std::size_t blanks = line.size() - text.size();
    const std::size_t kept = text.find_last_not_of('\\');
    const std::size_t backslashes = text.size() - (kept == std::string_view::npos ? 0 : kept + 1);
    if (backslashes % 2 == 0 || blanks == 1)
        return 0;
    return blanks == 0 ? 1 : blanks;
}

bool isWholeBold(std::string_view title) {
    return title.size() > 4 && title.starts_with("**") && title.ends_with("**") &&
           title.substr(2, title.size() - 4).find("**") == std::string_view::npos;
}

bool needsEscape(std::string_view title) {
    std::size_t backslashes = title.find_first_not_of('\\');
    if (backslashes == std::string_view::npos)
        return false;
    std::string_view rest = title.substr(backslashes);
    // After the writer's "- ", a title of dashes would make the whole line a rule.
    return taskMarker(rest).has_value() || isWholeBold(rest) || isRule("- " + std::string(rest));
}

std::optional<TextFault> textFault(std::string_view data) {
    std::size_t nul = data.find('\0');
    std::string_view checked = data.substr(0, nul);
    std::optional<TextFault> fault;
    if (!Text::isValidUTF8(checked)) {
        // Narrow down to the first line that is not valid on its own.
        std::size_t start = 0;
        while (start <= checked.size()) {
            std::size_t end = checked.find('\n', start);
            std::string_view line = checked.substr(
                start, end == std::string_view::npos ? std::string_view::npos : end - start);
            if (!Text::isValidUTF8(line)) {
                fault = TextFault{false, 1};
                checked = checked.substr(0, start);
                break;
            }
            if (end == std::string_view::npos)
                break;
            start = end + 1;
        }
    } else if (nul != std::string_view::npos) {
        fault = TextFault{true, 1};
    }
    if (fault) {
        for (char c : checked)
            fault->line += c == '\n';
    }
    return fault;
}

} // namespace velmora::MarkdownSyntax
