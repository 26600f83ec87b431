// The single-item actions of the editor session: adding, moving, folding, deleting, splitting,
// labelling, archiving and hoisting.
#include "core/model/archive_titles.hpp"
#include "core/model/text.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session_steps.hpp"

#include <algorithm>
#include <climits>
#include <set>

namespace velmora::SessionSteps {

using namespace SessionTree;

namespace {

// Whether the sibling at the path is skipped by actions that pass over visible siblings.
bool skipped(const EditorSession& session, const Path& path, const std::optional<Path>& root) {
    return session.isHiding() && completedHiddenAt(session.snapshot.document.items, path, root);
}

// The nearest sibling before (step -1) or after (step +1) `from` that is not skipped.
std::optional<std::size_t> nearestSibling(const EditorSession& session, const Path& from,
                                          int step) {
    const auto& siblings = siblingsAt(session.snapshot.document.items, from);
    auto root = rootPath(session);
    Path probe = from;
    for (long i = from.back() + step; i >= 0 && i < static_cast<long>(siblings.size()); i += step) {
        probe.back() = static_cast<int>(i);
        if (!skipped(session, probe, root))
            return static_cast<std::size_t>(i);
    }
    return std::nullopt;
}

TreeDocument withNewChild(const TreeDocument& doc, const Path& parent, const std::string& newID) {
    return updatedAt(doc, parent, [&](Item& item) {
        item.collapsed = false;
        item.children = item.children.appending(Item::blank(newID));
    });
}

TreeDocument withNewSibling(const TreeDocument& doc, const Path& beside, std::size_t offset,
                            const std::string& newID) {
    auto index = static_cast<std::size_t>(beside.back()) + offset;
    return siblingsEdited(doc, beside, [&](const ItemList& siblings) {
        return siblings.inserting(index, Item::blank(newID));
    });
}

// Where a new item goes for an add action on the selected item. A new item always stays inside
// the hoisted tree: adding beside the hoisted root, or an aunt next to it, adds a last child of
// the root instead.
TreeDocument withAddedItem(const EditorSession& session, Action action,
                           const std::optional<Located>& selected, const std::string& newID) {
    const auto& doc = session.snapshot.document;
    auto root = rootPath(session);
    if (!selected) {
        if (root)
            return withNewChild(doc, *root, newID);
        return TreeDocument{doc.id, doc.title, doc.items.appending(Item::blank(newID))};
    }
    const Path& path = selected->path;
    bool isRoot = root && *root == path;
    switch (action) {
    case Action::addAbove:
        return isRoot ? withNewChild(doc, path, newID) : withNewSibling(doc, path, 0, newID);
    case Action::addChild:
    case Action::addChildExpand:
        return withNewChild(doc, path, newID);
    case Action::addAunt:
        if (isRoot || (root && parentPath(path) == *root))
            return withNewChild(doc, *root, newID);
        return withNewSibling(doc, path.size() >= 2 ? parentPath(path) : path, 1, newID);
    default:
        return isRoot ? withNewChild(doc, path, newID) : withNewSibling(doc, path, 1, newID);
    }
}

} // namespace

void addItem(EditorSession& session, Action action) {
    endEditing(session);
    auto selected = selectedItem(session);
    auto newID = session.makeID();
    auto& doc = session.snapshot.document;
    doc = withAddedItem(session, action, selected, newID);
    if (action == Action::addChildExpand && selected)
        doc = TreeOps::setCollapsedFamily(doc, selected->id, false);
    selectOnly(session, newID);
    session.snapshot.editing = EditingTarget::item(newID);
}

bool indentBlock(EditorSession& session, const std::vector<Path>& run) {
    if (run.empty())
        return false;
    auto target = nearestSibling(session, run.front(), -1);
    if (!target)
        return false;
    std::set<int> moving;
    for (const auto& path : run)
        moving.insert(path.back());
    auto& doc = session.snapshot.document;
    doc = siblingsEdited(doc, run.front(), [&](const ItemList& siblings) {
        std::vector<ItemList::Node> moved;
        for (int index : moving)
            moved.push_back(siblings.node(static_cast<std::size_t>(index)));
        Item parent = siblings[*target];
        parent.collapsed = false;
        parent.children =
            parent.children.inserting(parent.children.size(), ItemList::fromNodes(moved));
        // Removing one by one from the end keeps the tree's id index; the moved items all
        // stand after the new parent, so its index does not shift.
        ItemList result = siblings.replacing(*target, std::move(parent));
        for (auto index = moving.rbegin(); index != moving.rend(); ++index)
            result = result.removing(static_cast<std::size_t>(*index));
        return result;
    });
    return true;
}

void indentItem(EditorSession& session) {
    endEditing(session);
    if (auto selected = selectedItem(session))
        indentBlock(session, {selected->path});
}

bool outdentAllowed(const EditorSession& session, const Path& path) {
    auto root = rootPath(session);
    return path.size() >= 2 && !(root && parentPath(path) == *root);
}

void outdentItem(EditorSession& session) {
    endEditing(session);
    auto selected = selectedItem(session);
    if (!selected || !outdentAllowed(session, selected->path))
        return;
    session.snapshot.document = TreeOps::outdent(session.snapshot.document, selected->id);
}

bool moveBlockPast(EditorSession& session, const Path& first, const Path& last, bool up) {
    auto other = nearestSibling(session, up ? first : last, up ? -1 : 1);
    if (!other)
        return false;
    auto destination = static_cast<std::size_t>(up ? last.back() : first.back());
    auto& doc = session.snapshot.document;
    doc = siblingsEdited(doc, first, [&](const ItemList& siblings) {
        auto node = siblings.node(*other);
        return siblings.removing(*other).inserting(destination, ItemList::fromNodes({node}));
    });
    return true;
}

void moveItemPast(EditorSession& session, bool up) {
    endEditing(session);
    if (auto selected = selectedItem(session))
        moveBlockPast(session, selected->path, selected->path, up);
}

void expandOrCollapse(EditorSession& session, Action action) {
    endEditing(session);
    auto& doc = session.snapshot.document;
    if (action == Action::expandAll || action == Action::collapseAll) {
        doc = TreeOps::setCollapsedAll(doc, action == Action::collapseAll);
        return;
    }
    auto target = takeTarget(session);
    if (!target)
        return;
    const Item& item = *itemAt(doc.items, target->path);
    switch (action) {
    case Action::expand:
        if (item.collapsed)
            doc = updatedAt(doc, target->path, [](Item& i) { i.collapsed = false; });
        break;
    case Action::expandFamily:
    case Action::collapseFamily:
        doc = TreeOps::setCollapsedFamily(doc, target->id, action == Action::collapseFamily);
        break;
    default: {
        if (!item.children.empty() && !item.collapsed) {
            doc = updatedAt(doc, target->path, [](Item& i) { i.collapsed = true; });
            break;
        }
        if (target->path.size() < 2 || target->id == session.hoistRoot())
            break;
        auto parent = parentPath(target->path);
        doc = updatedAt(doc, parent, [](Item& i) { i.collapsed = true; });
        selectOnly(session, itemAt(doc.items, parent)->id);
    }
    }
}

void editNote(EditorSession& session) {
    bool wasNote = session.snapshot.editing && session.snapshot.editing->isNote();
    endEditing(session);
    if (wasNote)
        return;
    if (auto target = takeTarget(session))
        session.snapshot.editing = EditingTarget::note(target->id);
}

void duplicateItem(EditorSession& session) {
    endEditing(session);
    auto selected = selectedItem(session);
    if (!selected)
        return;
    auto& doc = session.snapshot.document;
    auto copy = TreeOps::copies({*itemAt(doc.items, selected->path)}, session.makeID).front();
    auto copyID = copy.id;
    doc = siblingsEdited(doc, selected->path, [&](const ItemList& siblings) {
        return siblings.inserting(static_cast<std::size_t>(selected->path.back()) + 1,
                                  std::move(copy));
    });
    selectOnly(session, copyID);
}

void toggleCheck(EditorSession& session) {
    if (auto selected = selectedItem(session))
        session.snapshot.document = updatedAt(session.snapshot.document, selected->path,
                                              [](Item& item) { item.checked = !item.checked; });
}

void deleteItem(EditorSession& session) {
    auto& s = session.snapshot;
    std::optional<std::string> target = s.editing ? s.editing->id : s.selectedId;
    endEditing(session);
    if (!target)
        return;
    s.anchorId.reset();
    s.extraIds.clear();
    if (!locate(session, *target))
        return;
    auto removed = TreeOps::removeItem(s.document, *target);
    s.document = std::move(removed.doc);
    s.selectedId = std::move(removed.selectedId);
    pruneHoistTabs(session);
}

void splitItem(EditorSession& session, const std::optional<std::string>& draft,
               std::optional<long long> caret) {
    auto& s = session.snapshot;
    if (!s.editing || !s.editing->isItem())
        return;
    auto path = locate(session, s.editing->id);
    if (!path)
        return;
    std::string text = draft ? *draft : itemAt(s.document.items, *path)->text;
    // Named pieces rather than a structured binding: clang 14 (the fuzz build) cannot capture
    // a binding in the lambda below.
    auto pieces = Text::splitAtGrapheme(text, caret.value_or(LLONG_MAX));
    const std::string& head = pieces.first;
    const std::string& tail = pieces.second;
    auto newID = session.makeID();
    auto index = static_cast<std::size_t>(path->back());
    s.document = siblingsEdited(s.document, *path, [&](const ItemList& siblings) {
        Item kept = siblings[index];
        kept.text = head;
        return siblings.replacing(index, std::move(kept))
            .inserting(index + 1, Item::blank(newID, tail));
    });
    selectOnly(session, newID);
    s.editing = EditingTarget::item(newID);
}

void applyLabel(EditorSession& session, int labelNumber) {
    endEditing(session);
    auto target = takeTarget(session);
    if (!target)
        return;
    std::optional<ColorLabel> label;
    if (labelNumber > 0)
        label = ColorLabels::allCases[static_cast<std::size_t>(labelNumber - 1)];
    auto& doc = session.snapshot.document;
    doc = updatedAt(doc, target->path,
                    [&](Item& item) { item.color = item.color == label ? std::nullopt : label; });
}

void toggleFormat(EditorSession& session, bool bold) {
    if (auto target = takeTarget(session))
        session.snapshot.document =
            updatedAt(session.snapshot.document, target->path, [&](Item& item) {
                bool& flag = bold ? item.bold : item.underline;
                flag = !flag;
            });
}

void focusStep(EditorSession& session, int step) {
    const auto& items = session.snapshot.document.items;
    auto root = rootPath(session);
    auto selected = selectedItem(session);
    if (!selected || !isShown(session, selected->path, root)) {
        selectOnly(session, firstRow(session));
        return;
    }
    auto next = step > 0 ? nextShown(items, selected->path, root, session.isHiding())
                         : previousShown(items, selected->path, root, session.isHiding());
    if (next)
        selectOnly(session, itemAt(items, *next)->id);
    else
        selectOnly(session, selected->id);
}

} // namespace velmora::SessionSteps
