// Copy, cut and paste of items, and drag and drop.
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session_steps.hpp"

namespace velmora {

using namespace SessionSteps;
using namespace SessionTree;

namespace {

std::vector<Item> itemsAt(const EditorSession& session, const std::vector<std::string>& ids) {
    const auto& items = session.snapshot.document.items;
    auto paths = locateAll(session, ids);
    std::vector<Item> found;
    for (const auto& id : ids)
        if (auto at = paths.find(id); at != paths.end())
            found.push_back(*itemAt(items, at->second));
    return found;
}

} // namespace

std::vector<Item> EditorSession::copySelection() const {
    return itemsAt(*this, topmost(*this, selectedIDs()));
}

EditorSession::Cut EditorSession::cutSelection(std::optional<std::string> draft) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    Cut cut;
    if (snapshot.editing) {
        // An open editor means the edited item alone is cut, so that is what is copied.
        cut.items = itemsAt(*this, {snapshot.editing->id});
        deleteItem(*this);
    } else if (auto ids = selectedIDs(); ids.size() >= 2) {
        auto reduced = topmost(*this, ids);
        cut.items = itemsAt(*this, reduced);
        removeSelection(*this, reduced);
    } else {
        cut.items = itemsAt(*this, ids);
        deleteItem(*this);
    }
    cut.command = record(*this, before, "undo.cut");
    return cut;
}

std::optional<TreeCommand> EditorSession::paste(const std::vector<Item>& items,
                                                std::optional<std::string> draft,
                                                const IDFactory& makeIDs) {
    if (items.empty())
        return std::nullopt;
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    if (pasteNestsTooDeep(items))
        return record(*this, before, "undo.paste");
    auto fresh = TreeOps::copies(items, makeIDs ? makeIDs : makeID);
    auto selected = selectedIDs();
    std::optional<std::string> after;
    if (!selected.empty())
        after = selected.back();
    snapshot.document = TreeOps::insertAfter(snapshot.document, fresh, after, hoistRoot());
    selectOnly(*this, fresh.back().id);
    endEditing(*this);
    retargetIfHidden();
    return record(*this, before, "undo.paste");
}

bool EditorSession::canDrop(const std::optional<std::string>& into,
                            const std::optional<std::string>& moving) const {
    const auto& doc = snapshot.document;
    if (moving ? !TreeOps::canMove(doc, *moving, into) : into && !locate(*this, *into))
        return false;
    // While hoisted, items may only land inside the hoisted tree, where they stay in view.
    auto root = rootPath(*this);
    if (!root)
        return true;
    if (!into)
        return false;
    auto destination = locate(*this, *into);
    return destination && (*destination == *root || isAncestorPath(*root, *destination));
}

std::optional<TreeCommand> EditorSession::moveItem(const std::string& id,
                                                   const std::optional<std::string>& toParent,
                                                   std::optional<int> index,
                                                   std::optional<std::string> draft) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    if (canDrop(toParent, id) && !moveNestsTooDeep(id, toParent)) {
        snapshot.document = TreeOps::move(snapshot.document, id, toParent, index);
        retargetIfHidden();
    }
    return record(*this, before, "undo.move");
}

std::optional<TreeCommand> EditorSession::insertItems(const std::vector<Item>& items,
                                                      const std::optional<std::string>& toParent,
                                                      std::optional<int> index,
                                                      std::optional<std::string> draft,
                                                      const IDFactory& makeIDs) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    if (!items.empty() && canDrop(toParent, std::nullopt) && !nestsTooDeep(items, toParent)) {
        auto fresh = TreeOps::copies(items, makeIDs ? makeIDs : makeID);
        snapshot.document = TreeOps::insert(snapshot.document, fresh, toParent, index);
    }
    return record(*this, before, "undo.paste");
}

} // namespace velmora
