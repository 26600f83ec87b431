#pragma once

#include "core/model/item.hpp"

#include <string>
#include <string_view>

// A document as one self-contained web page that any browser opens: no external files and no
// script. Items are nested lists, branches fold with <details>/<summary> (collapsed items start
// closed), checked items are marked and struck, colour labels are shown, and notes are shown
// with the note markdown rules of the views (links only to http, https and mailto). Everything
// taken from the document is escaped, so no title or note can add markup. Light and dark follow
// the reader's colour scheme, and the page prints in black on white.
namespace velmora::WebPage {

// The HTML text of a document with the given title and items.
[[nodiscard]] std::string encode(std::string_view title, const ItemList& items);

// The text escaped for HTML text and attribute values ("&", "<", ">", '"', "'").
void appendEscaped(std::string& out, std::string_view text);

} // namespace velmora::WebPage
