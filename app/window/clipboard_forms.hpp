#pragma once

#include "core/model/item.hpp"

#include <vector>

class QMimeData;

namespace velmora {

// The forms in which items go onto the clipboard and come back from it.
namespace ClipboardForms {

// The private form with every field, a Markdown list (with task markers when the document
// shows checks) and indented text; the caller owns the result.
[[nodiscard]] QMimeData* encode(const std::vector<Item>& items, bool checksVisible);

// The items of the clipboard's best form: the private one, else Markdown, else the text (Org,
// Markdown or indented lines). Empty when no form holds items.
[[nodiscard]] std::vector<Item> decode(const QMimeData& mime);

} // namespace ClipboardForms
} // namespace velmora
