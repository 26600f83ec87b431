#pragma once

#include "core/model/item.hpp"

#include <string>
#include <vector>

namespace velmora {

// What a merge did: how many items took a change from each side, and what it kept so that no
// one's work is lost.
struct MergeSummary {
    // Items added, edited, moved or deleted by our side (and by theirs) that the result keeps.
    int fromOurs = 0;
    int fromTheirs = 0;
    // Items whose title or note changed differently on both sides: theirs is kept as a copy
    // right after ours.
    int conflicts = 0;
    // Items deleted on one side that the result keeps, because the other side edited them, moved
    // them or gave them (or their descendants) new children.
    int keptDespiteDeletion = 0;
    // The document title changed differently on both sides; ours was kept.
    bool titleConflict = false;
    // The ids of the copies that hold their side of a conflict, in document order.
    std::vector<std::string> conflictCopyIds;

    // Whether nothing had to be kept side by side.
    [[nodiscard]] bool clean() const { return conflicts == 0 && !titleConflict; }

    bool operator==(const MergeSummary&) const = default;
};

struct MergeResult {
    TreeDocument document;
    MergeSummary summary;
};

// Merges documents item by item, matched by id. Deterministic: the same inputs always give the
// same result, the ids of conflict copies included. Cost follows the size of the documents.
namespace DocumentMerge {

// The three-way merge of two descendants of a common base: a field changed on one side takes
// that change; titles and notes changed differently on both sides keep both texts (theirs as a
// new sibling right after ours); check, colour, collapsed, bold and underline take ours; items
// added on either side stay after their left neighbour under their parent; a move on one side
// moves, a move on both keeps ours; an item deleted on one side and untouched on the other goes,
// one deleted on one side but changed on the other stays. merge(x, x, x) == x,
// merge(b, b, x) == x and merge(b, x, x) == x.
[[nodiscard]] MergeResult merge(const TreeDocument& base, const TreeDocument& ours,
                                const TreeDocument& theirs);

// Of the versions a document went through here, the one last read first and then each one
// written since, the version that another program's version most likely started from: the
// latest written one that theirs shows a trace of (an item added or changed in that write with
// the same fields in theirs), else the one last read. A sync tool may bring a version made
// while ours was being written; merged against our last write, the items of that write would
// look deleted by theirs.
[[nodiscard]] const TreeDocument& commonVersion(const std::vector<TreeDocument>& versions,
                                                const TreeDocument& theirs);

// The union of two documents that share ids but no known ancestor (a sync tool's conflict
// copy): items in both with different titles or notes are kept side by side, items in one only
// are kept, ours decides places and flags.
[[nodiscard]] MergeResult mergeTwoWay(const TreeDocument& ours, const TreeDocument& theirs);

} // namespace DocumentMerge
} // namespace velmora
