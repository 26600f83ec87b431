#pragma once

#include "core/model/item.hpp"

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// Path-based building blocks of the editor session. A path (the index at each level from the
// top) is found once per step and then used for every question about the item, so one action
// walks a large outline only as often as it must.
namespace velmora::SessionTree {

using Path = std::vector<int>;

// The path of the first item with the id in pre-order.
[[nodiscard]] std::optional<Path> pathOf(const ItemList& items, const std::string& id);

// The paths of the first occurrence of each id, found in one walk over the tree.
[[nodiscard]] std::unordered_map<std::string, Path> pathsOf(const ItemList& items,
                                                            const std::vector<std::string>& ids);

// The item at the path; null when the path leads nowhere.
[[nodiscard]] const Item* itemAt(const ItemList& items, const Path& path);

// The sibling list that holds the item at the path (the top level for a one-element path).
[[nodiscard]] const ItemList& siblingsAt(const ItemList& items, const Path& path);

// The path without its last element.
[[nodiscard]] Path parentPath(const Path& path);

// Whether `ancestor` is a proper prefix of `path`.
[[nodiscard]] bool isAncestorPath(const Path& ancestor, const Path& path);

// Whether the item at the path is hidden because it or an ancestor below the hoisted root (at
// `rootPath`) is checked; the root itself never is.
[[nodiscard]] bool completedHiddenAt(const ItemList& items, const Path& path,
                                     const std::optional<Path>& rootPath);

// Whether the item at the path is one of the visible rows: inside the hoisted tree (when a
// root is given), under expanded ancestors only, and not hidden by completion while hiding.
[[nodiscard]] bool shownAt(const ItemList& items, const Path& path,
                           const std::optional<Path>& rootPath, bool hiding);

// The id of the first visible row; absent when there are no rows.
[[nodiscard]] std::optional<std::string>
firstShownId(const ItemList& items, const std::optional<Path>& rootPath, bool hiding);

// The visible row after (or before) the visible row at the path, found without listing the
// rows; absent at either end. `from` must be a visible row.
[[nodiscard]] std::optional<Path> nextShown(const ItemList& items, const Path& from,
                                            const std::optional<Path>& rootPath, bool hiding);
[[nodiscard]] std::optional<Path> previousShown(const ItemList& items, const Path& from,
                                                const std::optional<Path>& rootPath, bool hiding);

// The document with the item at the path replaced by `mutate` applied to a copy of it.
[[nodiscard]] TreeDocument updatedAt(const TreeDocument& doc, const Path& path,
                                     const std::function<void(Item&)>& mutate);

// The document with `mutate` applied to each item at the paths; the paths' arrays are rebuilt
// once each, however many items change.
[[nodiscard]] TreeDocument updatedAtPaths(const TreeDocument& doc, std::vector<Path> paths,
                                          const std::function<void(Item&)>& mutate);

// The document with the sibling list holding the item at the path replaced by `edit` of it.
[[nodiscard]] TreeDocument siblingsEdited(const TreeDocument& doc, const Path& path,
                                          const std::function<ItemList(const ItemList&)>& edit);

// The document without the items at the paths (with their subtrees). Paths may come in any
// order; none may lie inside another.
[[nodiscard]] TreeDocument removedAt(const TreeDocument& doc, std::vector<Path> paths);

} // namespace velmora::SessionTree
