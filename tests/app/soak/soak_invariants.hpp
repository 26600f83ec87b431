#pragma once

#include "core/model/item.hpp"

#include <QString>

#include <optional>
#include <string>

namespace velmora {
class VelmoraDocument;
}

namespace velmora::soak {

class World;

// An invariant that broke: its name (the same for the same kind of fault, so a shortened run
// can be told to fail the same way) and what was seen.
struct Broken {
    std::string invariant;
    std::string detail;
};

// Every check that holds between steps, over every open document and its window: the tree is
// sound, the list shows the visible rows, the canvas shows the reference layout, the inspector
// shows the selected item, and every text on screen in an editor is in the model or in that
// editor's draft.
[[nodiscard]] std::optional<Broken> checkWindows(World& world);

// After a flush: the document file reads back equal to what the document holds.
[[nodiscard]] std::optional<Broken> checkFileMatches(const VelmoraDocument& document,
                                                     const QString& path);

// Undoing everything gives the document's first state (when known) and redoing everything the
// last; the document is left as it was.
[[nodiscard]] std::optional<Broken> checkUndoHistory(World& world, VelmoraDocument& document);

// The first difference of content between two documents' items (texts, notes, flags, labels and
// shape; times aside), or nothing when they hold the same.
[[nodiscard]] std::optional<std::string> contentDifference(const TreeDocument& expected,
                                                           const TreeDocument& actual);

} // namespace velmora::soak
