#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The line-level Org syntax that the reader recognises and the writer escapes: both sides use
// these functions, so whatever the writer leaves unescaped the reader takes as it was written.
namespace velmora::OrgSyntax {

// The number of stars of a headline ("*", then a blank, a tab or the end of the line), or 0.
[[nodiscard]] std::size_t headlineStars(std::string_view line);

// The name of a block that `line` opens ("#+BEGIN_SRC python" opens "src"), lower-cased;
// leading blanks allowed. Empty when the line opens none.
[[nodiscard]] std::string blockOpened(std::string_view line);

// Whether `line` closes the block named `name` (lower-case): "#+END_" and the name.
[[nodiscard]] bool closesBlock(std::string_view line, std::string_view name);

// For each line, the index of the line that closes the block it opens, or 0 when it opens none
// or no later line closes it (an unclosed "#+BEGIN_" is plain text, as Emacs reads it).
[[nodiscard]] std::vector<std::size_t> blockEnds(const std::vector<std::string_view>& lines);

// The keyword line "#+KEY: value" at the start of `line` (leading blanks allowed): its key,
// upper-cased, and its value without blanks at either end.
struct Keyword {
    std::string key;
    std::string_view value;
};
[[nodiscard]] std::optional<Keyword> keyword(std::string_view line);

// Whether the keyword line declares TODO keywords (#+TODO, #+SEQ_TODO, #+TYP_TODO).
[[nodiscard]] bool declaresTodo(std::string_view line);

// Whether a line outside blocks must be written after a comma so that it reads back as text:
// a headline, a TODO declaration, or a line that already begins with commas before one of them.
// `unclosedBlock` tells whether a "#+BEGIN_" line on it opens no block within its text; such a
// line is escaped too, so that it cannot pair with a closing line further down the file.
[[nodiscard]] bool needsComma(std::string_view line, bool unclosedBlock);

// Whether a line read outside blocks carries the writer's comma: one or more commas before a
// headline, a TODO declaration or a "#+BEGIN_" line.
[[nodiscard]] bool hasEscapeComma(std::string_view line);

// Whether the line is a planning line (SCHEDULED:, DEADLINE: or CLOSED: first).
[[nodiscard]] bool isPlanning(std::string_view line);

// Whether the line is exactly the drawer line `name` (":PROPERTIES:", ":END:"), blanks around
// it allowed, letters in any case.
[[nodiscard]] bool isDrawerLine(std::string_view line, std::string_view name);

// A property line ":KEY: value" of a property drawer: its key (as written) and value (after
// the blank that follows the key; nothing trimmed from its end).
struct Property {
    std::string_view key;
    std::string_view value;
};
[[nodiscard]] std::optional<Property> property(std::string_view line);

// Whether a property value can be an item id: not empty, no blanks, no control characters.
[[nodiscard]] bool isValidID(std::string_view id);

// The byte length of a tag group ("  :work:home:") at the end of the title, blanks before it
// and after it included; 0 when the title ends in none. A group that is the whole title counts.
[[nodiscard]] std::size_t trailingTags(std::string_view title);

// The byte length of a priority cookie "[#A]" at the start of the text, with the blank after
// it; 0 when there is none.
[[nodiscard]] std::size_t priorityCookie(std::string_view text);

// The first word of the text (up to a blank or a tab).
[[nodiscard]] std::string_view firstWord(std::string_view text);

// The marks the writer puts into a title so that it survives the reader: a zero-width space
// after a "[" that comes before another "[" (no link), a no-break space after a trailing tag
// group (no tags).
inline constexpr std::string_view kZeroWidthSpace = "\xE2\x80\x8B";
inline constexpr std::string_view kNoBreakSpace = "\xC2\xA0";

// The property that carries the lines of a title after its first, one property per line.
inline constexpr std::string_view kTitleLineKey = "TITLE_LINE";

} // namespace velmora::OrgSyntax
