#pragma once

#include "core/model/item.hpp"
#include "core/model/result.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// Bytes that are not an Org file, with the line (from 1) where it was met: an invalid UTF-8
// sequence, a NUL byte (a binary file), or a headline nested deeper than kMaxItemDepth.
struct OrgError {
    enum class Kind { encoding, binary, tooDeep };
    Kind kind = Kind::encoding;
    std::int64_t line = 0;

    // "org.error.encoding %lld", "org.error.binary %lld" or "org.error.tooDeep %lld",
    // formatted with the line.
    [[nodiscard]] std::string_view catalogKey() const {
        switch (kind) {
        case Kind::encoding:
            return "org.error.encoding %lld";
        case Kind::binary:
            return "org.error.binary %lld";
        case Kind::tooDeep:
            break;
        }
        return "org.error.tooDeep %lld";
    }

    bool operator==(const OrgError&) const = default;
};

// Org mode files in and out. Headlines become items nested by their stars, a keyword of the
// done kind is a check, the section under a headline is its note, and ":ID:" in its property
// drawer is its id. Inline markup stays as written.
namespace OrgCodec {

struct Options {
    // Writes each item's id in a property drawer, so that a round trip keeps identity.
    bool ids = true;
};

// The Org text of a document: "#+TITLE:" with the title, then a headline per item ("*" per
// level, "DONE" before a checked one's title), its id in a property drawer and its note as the
// section. Lines of notes that would read as headlines are comma-escaped. Reads back to the same
// titles, notes, checks, nesting and ids.
[[nodiscard]] std::string encode(std::string_view title, const ItemList& items,
                                 Options options = {});

// The document in Org text (UTF-8 with or without a byte order mark, any line ends). The text
// before the first headline becomes the note of a first item titled by "#+TITLE" or
// `fallbackTitle`; `makeID` names the document and every item without a usable ":ID:".
[[nodiscard]] Result<TreeDocument, OrgError> decode(std::string_view data,
                                                    std::string_view fallbackTitle,
                                                    const IDFactory& makeID = TreeIDs::make);

// Whether the text holds an Org headline ("* Title" at the start of a line), so that pasting
// should read it as Org rather than as indented text.
[[nodiscard]] bool looksLikeOrg(std::string_view text);

} // namespace OrgCodec
} // namespace velmora
