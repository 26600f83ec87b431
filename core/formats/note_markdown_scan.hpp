#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Scanners of the note markdown parser: delimiter flanks and the parts of links (destinations,
// titles and autolinks). Internal to the parser.
namespace velmora::NoteMarkdownScan {

[[nodiscard]] bool isASCIIPunctuation(char c);

// The text with its backslash escapes of punctuation resolved.
[[nodiscard]] std::string unescaped(std::string_view s);

// The end of an inline link target "(destination "title")" that starts at `at` (the position
// after it), with its destination; none when none starts there.
[[nodiscard]] std::optional<std::size_t> inlineLinkEnd(std::string_view s, std::size_t at,
                                                       std::string& destination);

// How a run of delimiter characters at `at` of `length` stands between its neighbours
// (the ends of the text count as white space).
struct Flanks {
    bool left = false;  // it can open: followed by no white space, and so on
    bool right = false; // it can close
    bool punctuationBefore = false;
    bool punctuationAfter = false;
};
[[nodiscard]] Flanks flanksOf(std::string_view s, std::size_t at, std::size_t length);

// The address of an autolink, given the text between "<" and ">": the URI itself, or "mailto:"
// and an e-mail address; none when it is neither.
[[nodiscard]] std::optional<std::string> autolinkURL(std::string_view body);

} // namespace velmora::NoteMarkdownScan
