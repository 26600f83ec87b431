#pragma once

#include "core/model/item.hpp"

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace velmora {

// Where an item stands: its index at each level from the top, a copy of it and of its parent.
struct ItemLocation {
    std::vector<int> path;
    Item item;
    std::optional<Item> parent;

    bool operator==(const ItemLocation&) const = default;
};

// Pure operations over outline trees. Each takes values and returns new values; an unknown id
// returns the input unchanged (or the stated fallback). Only the arrays on the path to a
// changed item are copied; every other subtree stays shared with the input.
namespace TreeOps {

enum class MoveDirection { up, down, left, right };

// The result of an operation that makes one new item.
struct Inserted {
    TreeDocument doc;
    std::string id;
};

// The result of removing one item, with the id proposed for selection afterwards.
struct Removed {
    TreeDocument doc;
    std::optional<std::string> selectedId;
};

// --- Visibility -----------------------------------------------------------------------------

// The rows of the list view in display order; a hoisted root is always the first row.
[[nodiscard]] std::vector<VisibleRow>
visibleItems(const ItemList& items, const std::optional<std::string>& rootId, bool hidingCompleted);

// Calls visit(list, i) for the item at i of each of the rows above, in the same order, without
// listing them.
void forEachVisible(const ItemList& items, const std::optional<std::string>& rootId,
                    bool hidingCompleted,
                    const std::function<void(const ItemList&, std::size_t)>& visit);

// The tree the canvas and printing lay out: the hoisted root alone, or all items, without
// checked subtrees while hiding completed items.
[[nodiscard]] ItemList displayItems(const ItemList& items, const std::optional<std::string>& rootId,
                                    bool hidingCompleted);

// Whether the item is hidden because it or an ancestor below the hoisted root is checked.
[[nodiscard]] bool isCompletedHidden(const ItemList& items, const std::string& id,
                                     const std::optional<std::string>& rootId);

// The position in the full sibling array of the shown sibling numbered `visibleIndex`; the end
// of the array when there are not that many shown siblings.
[[nodiscard]] int modelIndex(int visibleIndex, const ItemList& siblings,
                             const std::function<bool(const Item&)>& hidden);

// --- Reading --------------------------------------------------------------------------------

// The first item with the id in pre-order, with its path and parent.
[[nodiscard]] std::optional<ItemLocation> locate(const ItemList& items, const std::string& id);

// The path of indices to the first item with the id in pre-order.
[[nodiscard]] std::optional<std::vector<int>> pathOf(const ItemList& items, const std::string& id);

// The item at a path; null when the path leads nowhere.
[[nodiscard]] const Item* itemAt(const ItemList& items, const std::vector<int>& path);

// The ids of the item's ancestors, without the item.
[[nodiscard]] std::set<std::string> ancestorIds(const ItemList& items, const std::string& id);

// The ids of the item's ancestors, the item and all its descendants.
[[nodiscard]] std::set<std::string> branch(const ItemList& items, const std::string& id);

// Whether the item's top-level ancestor (or the item itself) is an archive item.
[[nodiscard]] bool isInArchive(const ItemList& items, const std::string& id);

// The checked items nearest the top of the shown tree, in document order, outside the archive.
[[nodiscard]] std::vector<Item> topmostCompleted(const ItemList& items,
                                                 const std::optional<std::string>& rootId);

// The id to select after removing the listed items, asked before removing them.
[[nodiscard]] std::optional<std::string>
selectionAfterRemoving(const ItemList& items, const std::vector<std::string>& ids);

// Whether the item may move into the parent (absent means the top level).
[[nodiscard]] bool canMove(const TreeDocument& doc, const std::string& id,
                           const std::optional<std::string>& toParent);

// --- Changing -------------------------------------------------------------------------------

[[nodiscard]] TreeDocument updateItem(const TreeDocument& doc, const std::string& id,
                                      const std::function<void(Item&)>& mutate);
[[nodiscard]] TreeDocument setCollapsed(const TreeDocument& doc, const std::string& id,
                                        bool collapsed);
[[nodiscard]] TreeDocument setCollapsedFamily(const TreeDocument& doc, const std::string& id,
                                              bool collapsed);
[[nodiscard]] TreeDocument setCollapsedAll(const TreeDocument& doc, bool collapsed);

[[nodiscard]] Inserted insertSiblingBelow(const TreeDocument& doc, const std::string& id,
                                          const std::string& text, const std::string& newID);
[[nodiscard]] Inserted insertSiblingAbove(const TreeDocument& doc, const std::string& id,
                                          const std::string& text, const std::string& newID);
[[nodiscard]] Inserted addChild(const TreeDocument& doc, const std::string& id,
                                const std::string& text, const std::string& newID);
[[nodiscard]] Inserted addAunt(const TreeDocument& doc, const std::string& id,
                               const std::string& text, const std::string& newID);
// Cuts the item's text at `offset` grapheme clusters; the rest goes to a new item below it.
[[nodiscard]] Inserted splitItem(const TreeDocument& doc, const std::string& id, long long offset,
                                 const std::string& newID);
[[nodiscard]] Inserted duplicate(const TreeDocument& doc, const std::string& id,
                                 const IDFactory& makeID);
// Deep copies with a fresh id for every item (pre-order) and no timestamps.
[[nodiscard]] std::vector<Item> copies(const std::vector<Item>& items, const IDFactory& makeID);

[[nodiscard]] Removed removeItem(const TreeDocument& doc, const std::string& id);
[[nodiscard]] TreeDocument indent(const TreeDocument& doc, const std::string& id);
[[nodiscard]] TreeDocument outdent(const TreeDocument& doc, const std::string& id);
[[nodiscard]] TreeDocument move(const TreeDocument& doc, const std::string& id,
                                MoveDirection direction);
[[nodiscard]] TreeDocument move(const TreeDocument& doc, const std::string& id,
                                const std::optional<std::string>& toParent,
                                std::optional<int> index);
// Inserts the items into the parent (absent: the top level) at the index (absent: the end).
[[nodiscard]] TreeDocument insert(const TreeDocument& doc, const std::vector<Item>& items,
                                  const std::optional<std::string>& parent,
                                  std::optional<int> index);
// Inserts the items directly after `after`, else at the end of the hoisted root, else at the
// end of the top level.
[[nodiscard]] TreeDocument insertAfter(const TreeDocument& doc, const std::vector<Item>& items,
                                       const std::optional<std::string>& after,
                                       const std::optional<std::string>& rootId);
[[nodiscard]] TreeDocument appendChildren(const TreeDocument& doc, const std::string& parentID,
                                          const std::vector<Item>& items);

} // namespace TreeOps
} // namespace velmora
