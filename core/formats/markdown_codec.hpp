#pragma once

#include "core/model/item.hpp"
#include "core/model/result.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Bytes that are not Markdown text: an invalid UTF-8 sequence, or a NUL byte (a binary file),
// with the line (from 1) where it was met.
struct MarkdownError {
    enum class Kind { encoding, binary };
    Kind kind = Kind::encoding;
    std::int64_t line = 0;

    // "markdown.error.encoding %lld" or "markdown.error.binary %lld", formatted with the line.
    [[nodiscard]] std::string_view catalogKey() const {
        return kind == Kind::encoding ? "markdown.error.encoding %lld"
                                      : "markdown.error.binary %lld";
    }

    bool operator==(const MarkdownError&) const = default;
};

// Markdown lists in and out. Nested lists (any of "-", "*", "+", "1." and "1)" as markers, any
// consistent indentation) become items, task markers become checks, text under an item becomes
// its note and headings become items at their level. Inline markdown stays as written.
namespace MarkdownCodec {

struct Options {
    // Writes "[ ] " before every unchecked item, as when the document shows checks; checked
    // items always carry "[x] " so that their check survives.
    bool taskMarkers = true;
};

// The items as a nested list: two blanks of indentation per level, notes as indented
// paragraphs under their item (without blank lines at their ends), bold titles in "**". Reads
// back to the same items (ids, colours, times and collapsed flags aside).
[[nodiscard]] std::string encode(const ItemList& items, Options options = {});

// The items of Markdown text. `makeID` names the document and each item in document order.
// Lines nested deeper than kMaxItemDepth are attached at that depth.
[[nodiscard]] Result<TreeDocument, MarkdownError> decode(std::string_view data,
                                                         std::string_view fallbackTitle,
                                                         const IDFactory& makeID = TreeIDs::make);

// Whether the text holds a list item or a heading, so that pasting should read it as Markdown
// rather than as indented text.
[[nodiscard]] bool looksLikeMarkdown(std::string_view text);

} // namespace MarkdownCodec
} // namespace velmora
