#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// One piece of a note as it is shown: the note's bytes from `start` for `length`, with the
// inline styles that apply to them. The shown text of a run is always a slice of the note, so
// a run also tells where its text stands in the note being edited.
struct NoteRun {
    std::size_t start = 0;
    std::size_t length = 0;
    bool emphasis = false;
    bool strong = false;
    bool code = false;
    bool strikethrough = false;
    // The destination of a link, as written (escapes resolved); any scheme.
    std::optional<std::string> link;

    [[nodiscard]] std::size_t end() const { return start + length; }
    // Whether two runs carry the same styles and link.
    [[nodiscard]] bool sameStyle(const NoteRun& other) const;

    bool operator==(const NoteRun&) const = default;
};

// The light inline markdown of item notes: emphasis, strong emphasis, code spans,
// strike-through and links. There is no block syntax: white space and line breaks stay as
// they are, and markup that does not close stays literal text.
namespace NoteMarkdown {

// Whether the note holds any of the characters that can start markup ("*", "_", "`", "[");
// a note without them is shown as it is, unparsed.
[[nodiscard]] bool hasMarkupTrigger(std::string_view note);

// The shown runs of the note in order; the bytes between runs are markup. A note without a
// trigger character is a single plain run (none when it is empty).
[[nodiscard]] std::vector<NoteRun> parse(std::string_view note);

// The shown text: the runs' slices joined.
[[nodiscard]] std::string shownText(std::string_view note, const std::vector<NoteRun>& runs);

// The lower-case scheme of a URL ("https" for "HTTPS://x"), if it has a well-formed one.
[[nodiscard]] std::optional<std::string> scheme(std::string_view url);

// Whether a link may be shown as a link and opened: its scheme is http, https or mailto.
[[nodiscard]] bool isAllowedLink(std::string_view url);

} // namespace NoteMarkdown
} // namespace velmora
