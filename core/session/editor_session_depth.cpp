// The deepest nesting the readers accept is the deepest an edit may make: an indent, a new
// child, a paste, a drop or a move that would pass it is refused, so that nothing the user does
// makes a document that cannot be opened again.
#include "core/session/editor_session_steps.hpp"

#include <algorithm>
#include <utility>

namespace velmora {

using namespace SessionSteps;

namespace {

// The depth of the deepest item of the list when its items sit at `depth`; `depth` - 1 for an
// empty list. Walks with a stack of its own, so any depth is safe.
int deepestIn(const ItemList& items, int depth) {
    int deepest = depth - 1;
    std::vector<std::pair<const ItemList*, int>> pending{{&items, depth}};
    while (!pending.empty()) {
        auto [list, at] = pending.back();
        pending.pop_back();
        if (list->empty())
            continue;
        deepest = std::max(deepest, at);
        for (const Item& item : *list)
            if (!item.children.empty())
                pending.emplace_back(&item.children, at + 1);
    }
    return deepest;
}

// How many levels the items' subtrees reach below the items themselves (0 for leaves).
int heightOf(const std::vector<Item>& items) {
    int height = 0;
    for (const Item& item : items)
        height = std::max(height, deepestIn(item.children, 1));
    return height;
}

// The depth the children of `into` sit at (absent: the top level); absent for an unknown id.
std::optional<int> childDepth(const EditorSession& session,
                              const std::optional<std::string>& into) {
    if (!into)
        return 0;
    auto path = locate(session, *into);
    if (!path)
        return std::nullopt;
    return static_cast<int>(path->size());
}

} // namespace

bool EditorSession::nestsTooDeep(const std::vector<Item>& items,
                                 const std::optional<std::string>& into) const {
    auto depth = childDepth(*this, into);
    return depth && !items.empty() && *depth + heightOf(items) > kMaxItemDepth;
}

bool EditorSession::moveNestsTooDeep(const std::string& id,
                                     const std::optional<std::string>& into) const {
    auto item = locate(*this, id);
    if (!item)
        return false;
    return nestsTooDeep({*SessionTree::itemAt(snapshot.document.items, *item)}, into);
}

bool EditorSession::pasteNestsTooDeep(const std::vector<Item>& items) const {
    if (items.empty())
        return false;
    // Pasted items go after the last selected item, as its siblings; with nothing selected, at
    // the top of the shown tree.
    auto selected = selectedIDs();
    std::optional<Path> at;
    if (!selected.empty())
        at = locate(*this, selected.back());
    if (!at) {
        auto root = rootPath(*this);
        return (root ? static_cast<int>(root->size()) : 0) + heightOf(items) > kMaxItemDepth;
    }
    return static_cast<int>(at->size()) - 1 + heightOf(items) > kMaxItemDepth;
}

namespace SessionSteps {

bool mayNestDeeper(Action action) {
    switch (action) {
    case Action::indent:
    case Action::moveRight:
    case Action::addChild:
    case Action::addChildExpand:
    case Action::archiveCompleted:
        return true;
    default:
        return false;
    }
}

bool passedDepthLimit(const EditorSession& session, Action action) {
    const ItemList& items = session.snapshot.document.items;
    if (action == Action::archiveCompleted)
        // Archiving walks the whole document anyway.
        return deepestIn(items, 0) > kMaxItemDepth;
    // The items the action indented, moved or made stay selected: only their subtrees moved.
    auto paths = locateAll(session, session.selectedIDs());
    return std::any_of(paths.begin(), paths.end(), [&](const auto& entry) {
        const Item* item = SessionTree::itemAt(items, entry.second);
        return item && static_cast<int>(entry.second.size()) - 1 + deepestIn(item->children, 1) >
                           kMaxItemDepth;
    });
}

} // namespace SessionSteps
} // namespace velmora
