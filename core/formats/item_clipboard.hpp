#pragma once

#include "core/model/item.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The two textual forms in which items travel through the clipboard: OPML under a private
// type, keeping every field, and indented plain text that other programs understand.
namespace ItemClipboard {

// The private clipboard type; its content is OPML text.
inline constexpr std::string_view pasteboardType = "com.kestrum-software.ostrevo.items";

// One non-blank line of pasted text.
struct Line {
    int tabs = 0;   // leading tab characters
    int spaces = 0; // leading blanks
    std::string text;
    bool checked = false;

    bool operator==(const Line&) const = default;
};

// The OPML text of the items with an empty title and escaped line breaks.
[[nodiscard]] std::string opmlText(const ItemList& items);

// The items of OPML text; nothing when it does not parse or holds no items.
[[nodiscard]] std::optional<ItemList> itemsFromOPML(std::string_view text,
                                                    const IDFactory& makeID = TreeIDs::make);

// One line per item, indented by a tab per level, line breaks in texts turned into blanks.
[[nodiscard]] std::string plainText(const ItemList& items);

// The lines of pasted text with their indentation, bullets and check boxes taken apart.
[[nodiscard]] std::vector<Line> lines(std::string_view text);

// The items of pasted text, nested by indentation (a tab counts as eight blanks). `makeID`
// names each item in document order. Lines nested deeper than kMaxItemDepth are attached at
// that depth.
[[nodiscard]] ItemList itemsFromPlainText(std::string_view text, const IDFactory& makeID);

// The items of pasted text: Org when the text has Org headlines (not mere "* " bullets), a
// Markdown list when it has list items or headings (or `markdown` says it is Markdown),
// otherwise indented lines. A form that reads to no items gives way to the next.
[[nodiscard]] ItemList itemsFromText(std::string_view text, bool markdown,
                                     const IDFactory& makeID = TreeIDs::make);

} // namespace ItemClipboard
} // namespace velmora
