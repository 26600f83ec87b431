#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The line-level Markdown syntax that the reader recognises and the writer escapes: both sides
// use these functions, so whatever the writer leaves unescaped the reader takes as text.
namespace velmora::MarkdownSyntax {

// The text split into lines at line feeds, carriage returns and their pairs (a text that ends
// in a line break ends in an empty line).
[[nodiscard]] std::vector<std::string_view> linesOf(std::string_view text);

// Leading blanks and tabs of a line: their width in columns (tabs stop every four columns)
// and their length in bytes.
struct Indent {
    long long columns = 0;
    std::size_t bytes = 0;
};
[[nodiscard]] Indent indentOf(std::string_view line);

// The line without its first `columns` columns of indentation (a tab that straddles the cut
// leaves blanks for its remaining columns).
[[nodiscard]] std::string withoutColumns(std::string_view line, long long columns);

// A list marker at the start of `text` ("-", "*", "+", or one to nine digits and "." or ")"),
// followed by a blank, a tab or the end: the bytes up to the item's text, and the columns of
// those bytes.
struct ListMarker {
    std::size_t bytes = 0;
    long long columns = 0;
};
[[nodiscard]] std::optional<ListMarker> listMarker(std::string_view text);

// The level (1 to 6) of an ATX heading "#"… at the start of `text`, or 0.
[[nodiscard]] int headingLevel(std::string_view text);

// A code fence "```" or "~~~" at the start of `text`: its character and length, or nothing.
struct Fence {
    char mark = '`';
    std::size_t length = 0;
};
[[nodiscard]] std::optional<Fence> fence(std::string_view text);

// Whether the line (leading white space allowed) closes the code block that `open` opened: the
// same character at least as often, and nothing after it but white space.
[[nodiscard]] bool closesFence(const Fence& open, std::string_view line);

// A line of three or more "-", "*" or "_" (blanks between allowed), or one of only "=" (a
// setext underline): a line that carries no text.
[[nodiscard]] bool isRule(std::string_view text);

// Whether a line beginning with `text` (no leading white space) would not be read as plain
// text: a list item, heading, quote, fence or rule, or an escape of one of them.
[[nodiscard]] bool startsBlock(std::string_view text);

// A task marker "[ ]", "[x]" or "[X]" at the start of `text`, followed by a blank, a tab or the
// end: whether it is checked, and its length in bytes with one following blank.
struct TaskMarker {
    bool checked = false;
    std::size_t bytes = 0;
};
[[nodiscard]] std::optional<TaskMarker> taskMarker(std::string_view text);

// The bytes of the hard break that ends a line of a title, or 0: the last backslash of a line
// that ends in an odd number of them (an even number are escaped backslashes), or two or more
// trailing blanks after such a line. The blanks let a line whose text ends in a lone backslash
// break too: a backslash added to it would read as escaping its own.
[[nodiscard]] std::size_t hardBreakLength(std::string_view line);

// Whether the whole title is "**…**" around a non-empty text without "**" of its own.
[[nodiscard]] bool isWholeBold(std::string_view title);

// Whether a title must be written after a backslash so that it reads back as written: it
// begins with a task marker, is wholly bold, is only dashes (the line would be a rule), or
// begins with a backslash before such a title.
[[nodiscard]] bool needsEscape(std::string_view title);

// The first fault that makes `data` no text: a line that is not UTF-8, or else a NUL byte, with
// the 1-based line it stands on. Text readers refuse such data before reading a line of it.
struct TextFault {
    bool binary = false;
    std::size_t line = 1;
};
[[nodiscard]] std::optional<TextFault> textFault(std::string_view data);

} // namespace velmora::MarkdownSyntax
