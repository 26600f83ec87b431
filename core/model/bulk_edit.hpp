#pragma once

#include "core/model/id_lookup.hpp"
#include "core/model/item.hpp"

#include <cstddef>
#include <functional>
#include <vector>

// Edits of many items at once, found by id in one walk over the tree. Each wanted id stands for
// its first item in pre-order (as a search by id finds it). When the tree's id index is built
// and few ids are wanted, the walk descends only into the branches that hold one; otherwise it
// goes through the tree once, stopping when every id is found. No walk allocates per item.
namespace velmora::BulkEdit {

// Calls visit(slot, item) for the first item of each wanted id, in pre-order, until it returns
// false.
void forEachFound(const ItemList& items, const IdLookup& wanted,
                  const std::function<bool(std::size_t, const Item&)>& visit);

// The items with `mutate` applied to the first item of each wanted id. Lists holding no such
// item stay shared. `mutate` must keep the item's id, so the tree keeps its id index.
[[nodiscard]] ItemList updated(const ItemList& items, const IdLookup& wanted,
                               const std::function<void(Item&)>& mutate);

// The items without the first item of each wanted id, each taken with its subtree. An id whose
// first item lies inside one taken away is gone with it.
[[nodiscard]] ItemList removed(const ItemList& items, const IdLookup& wanted);

// For each slot, whether the first item of its id is there and lies inside the first item of
// no other wanted id.
[[nodiscard]] std::vector<bool> outermost(const ItemList& items, const IdLookup& wanted);

} // namespace velmora::BulkEdit
