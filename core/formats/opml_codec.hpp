#pragma once

#include "core/model/item.hpp"
#include "core/model/result.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// XML that could not be read, with the line where reading stopped, or an outline nested deeper
// than kMaxItemDepth, with its line.
struct OPMLError {
    std::int64_t line = 0;
    bool tooDeep = false;

    // "opml.error.malformed %lld" or "opml.error.tooDeep %lld", formatted with the line.
    [[nodiscard]] std::string_view catalogKey() const {
        return tooDeep ? "opml.error.tooDeep %lld" : "opml.error.malformed %lld";
    }

    bool operator==(const OPMLError&) const = default;
};

// OPML 2.0 export and import. Item fields without an OPML attribute travel as attributes whose
// names begin with an underscore.
namespace OPMLCodec {

struct Options {
    // Writes carriage returns, line feeds and tabs in attribute values as character references,
    // so multi-line texts survive attribute-value normalisation.
    bool escapeLineBreaks = true;
};

// The OPML text of a document with the given title and items.
[[nodiscard]] std::string encode(std::string_view title, const ItemList& items,
                                 Options options = {});

// The document in `data` (UTF-8, UTF-16, ISO-8859-1, US-ASCII or windows-1252). Foreign OPML is
// taken as it comes: element names ignore case, unknown elements are skipped, missing or
// repeated ids are replaced by `makeID`, which also names the document.
[[nodiscard]] Result<TreeDocument, OPMLError> decode(std::string_view data,
                                                     std::string_view fallbackTitle,
                                                     const IDFactory& makeID = TreeIDs::make);

} // namespace OPMLCodec
} // namespace velmora
