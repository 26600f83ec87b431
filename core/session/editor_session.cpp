// The editor session: construction, derived values, `perform` and hoisting.
#include "core/session/editor_session.hpp"

#include "core/model/tree_ops.hpp"
#include "core/session/editor_session_steps.hpp"

#include <algorithm>

namespace velmora {

using namespace SessionSteps;
using SessionTree::completedHiddenAt;
using SessionTree::itemAt;
using SessionTree::Path;

namespace {

bool isCompletionAction(Action action) {
    return action == Action::toggleCheck || action == Action::hideCompleted ||
           action == Action::archiveCompleted;
}

bool needsSelection(Action action) {
    switch (action) {
    case Action::edit:
    case Action::addChild:
    case Action::addChildExpand:
    case Action::addAunt:
    case Action::indent:
    case Action::outdent:
    case Action::moveUp:
    case Action::moveDown:
    case Action::moveLeft:
    case Action::moveRight:
    case Action::expand:
    case Action::collapse:
    case Action::expandFamily:
    case Action::collapseFamily:
    case Action::editNote:
    case Action::showFamily:
    case Action::duplicate:
    case Action::deleteItem:
    case Action::toggleBold:
    case Action::toggleUnderline:
        return true;
    default:
        return labelIndex(action).has_value();
    }
}

std::optional<SideEffect> sideEffectOf(Action action, bool hasSelection) {
    switch (action) {
    case Action::exportBackup:
        return SideEffect::exportBackup;
    case Action::importBackup:
        return SideEffect::importBackup;
    case Action::exportOPML:
        return SideEffect::exportOPML;
    case Action::importOPML:
        return SideEffect::importOPML;
    case Action::toggleHelp:
        return SideEffect::toggleHelp;
    case Action::helpSearch:
        return SideEffect::focusHelpSearch;
    case Action::settings:
        return SideEffect::settings;
    case Action::undo:
        return SideEffect::undo;
    case Action::redo:
        return SideEffect::redo;
    case Action::jump:
        return hasSelection ? std::optional(SideEffect::jump) : std::nullopt;
    case Action::newDocumentTab:
        return SideEffect::newDocumentTab;
    case Action::newline:
        return SideEffect::insertNewline;
    case Action::commandPalette:
        return SideEffect::commandPalette;
    case Action::showProperties:
        return SideEffect::showProperties;
    case Action::help:
    case Action::showHelp:
        return SideEffect::showHelp;
    case Action::toggleLibrary:
        return SideEffect::toggleLibrary;
    case Action::toggleHighlight:
        return SideEffect::toggleHighlight;
    default:
        return std::nullopt;
    }
}

// The steps of the actions that change no structure: editing, views and settings. False for
// an action that is not one of them.
bool performEditorStep(EditorSession& session, Action action) {
    auto& s = session.snapshot;
    switch (action) {
    case Action::edit:
        if (auto target = takeTarget(session))
            s.editing = EditingTarget::item(target->id);
        return true;
    case Action::commit:
        endEditing(session);
        return true;
    case Action::deselect:
        endEditing(session);
        selectOnly(session, std::nullopt);
        return true;
    case Action::viewList:
    case Action::viewTree:
    case Action::viewMap:
        endEditing(session);
        s.view = action == Action::viewList   ? ViewMode::list
                 : action == Action::viewTree ? ViewMode::tree
                                              : ViewMode::map;
        return true;
    case Action::toggleNotes:
        endEditing(session);
        s.showAllNotes = !s.showAllNotes;
        return true;
    case Action::hideCompleted:
        endEditing(session);
        session.hideCompleted = !session.hideCompleted;
        return true;
    case Action::focusNext:
    case Action::focusPrev:
        endEditing(session);
        focusStep(session, action == Action::focusNext ? 1 : -1);
        return true;
    default:
        return false;
    }
}

// The steps of the actions that change the tree or move through it.
void performTreeStep(EditorSession& session, Action action, const std::optional<std::string>& draft,
                     std::optional<long long> caret) {
    switch (action) {
    case Action::commitNext:
        addItem(session, Action::addBelow);
        break;
    case Action::addBelow:
    case Action::addAbove:
    case Action::addChild:
    case Action::addChildExpand:
    case Action::addAunt:
        addItem(session, action);
        break;
    case Action::indent:
    case Action::moveRight:
        indentItem(session);
        break;
    case Action::outdent:
    case Action::moveLeft:
        outdentItem(session);
        break;
    case Action::moveUp:
    case Action::moveDown:
        moveItemPast(session, action == Action::moveUp);
        break;
    case Action::expand:
    case Action::collapse:
    case Action::expandFamily:
    case Action::collapseFamily:
    case Action::expandAll:
    case Action::collapseAll:
        expandOrCollapse(session, action);
        break;
    case Action::navLeft:
    case Action::navRight:
    case Action::navUp:
    case Action::navDown:
        navigate(session, action);
        break;
    case Action::editNote:
        editNote(session);
        break;
    case Action::showFamily:
        showFamily(session);
        break;
    case Action::duplicate:
        duplicateItem(session);
        break;
    case Action::toggleCheck:
        toggleCheck(session);
        break;
    case Action::deleteItem:
        deleteItem(session);
        break;
    case Action::split:
        splitItem(session, draft, caret);
        break;
    case Action::toggleBold:
    case Action::toggleUnderline:
        toggleFormat(session, action == Action::toggleBold);
        break;
    case Action::archiveCompleted:
        archiveCompleted(session);
        break;
    default:
        if (auto label = labelIndex(action))
            applyLabel(session, *label);
        break;
    }
}

} // namespace

EditorSession EditorSession::init(EditorSnapshot snapshot, EditorPreferences preferences) {
    EditorSession session;
    session.snapshot = std::move(snapshot);
    session.preferences = preferences;
    return session;
}

EditorSession EditorSession::blank(std::string title, std::string documentID, std::string itemID,
                                   const Clock& now) {
    Timestamp time = now();
    Item first = Item::blank(itemID);
    first.created = time;
    first.modified = time;
    EditorSession session;
    session.snapshot.document = TreeDocument{std::move(documentID), std::move(title), {first}};
    session.snapshot.selectedId = itemID;
    session.snapshot.view = ViewMode::tree;
    session.snapshot.showAllNotes = true;
    session.snapshot.editing = EditingTarget::item(itemID);
    return session;
}

std::optional<std::string> EditorSession::hoistRoot() const {
    if (!snapshot.activeHoist)
        return std::nullopt;
    for (const auto& tab : snapshot.hoistTabs)
        if (tab.id == *snapshot.activeHoist)
            return tab.rootId;
    return std::nullopt;
}

std::vector<VisibleRow> EditorSession::visibleRows() const {
    return TreeOps::visibleItems(snapshot.document.items, hoistRoot(), isHiding());
}

std::optional<Item> EditorSession::item(const std::string& id) const {
    auto path = locate(*this, id);
    if (!path)
        return std::nullopt;
    return *itemAt(snapshot.document.items, *path);
}

bool EditorSession::canPerform(Action action) const {
    const auto& editing = snapshot.editing;
    switch (action) {
    case Action::commitNext:
    case Action::split:
        return editing && editing->isItem();
    case Action::commit:
    case Action::newline:
        return editing.has_value();
    case Action::toggleCheck:
        return checksVisible && snapshot.selectedId.has_value();
    case Action::hideCompleted:
    case Action::archiveCompleted:
        return checksVisible;
    default:
        return !needsSelection(action) || snapshot.selectedId.has_value();
    }
}

PerformResult EditorSession::perform(Action action, std::optional<std::string> draft,
                                     std::optional<long long> caret) {
    EditorSnapshot before = snapshot;
    if (!checksVisible && isCompletionAction(action))
        return {};
    if (action != Action::split && action != Action::newline)
        commitDraft(*this, draft);
    const EditorSnapshot committed = snapshot;

    bool mayBeSeveral = !snapshot.extraIds.empty() ||
                        (snapshot.anchorId && snapshot.anchorId != snapshot.selectedId);
    std::vector<std::string> selection;
    if (isMultiAction(action) && mayBeSeveral)
        selection = selectedIDs();
    if (selection.size() >= 2) {
        endEditing(*this);
        performOnSelection(*this, action, selection);
    } else if (!performEditorStep(*this, action)) {
        performTreeStep(*this, action, draft, caret);
    }

    if (mayNestDeeper(action) && passedDepthLimit(*this, action)) {
        // Refused: only the text typed so far is kept.
        snapshot = committed;
        return PerformResult{record(*this, before, catalogKey(action)), SideEffect::tooDeep};
    }
    if (isHiding())
        retargetIfHidden();
    auto command = record(*this, before, catalogKey(action));
    return PerformResult{std::move(command), sideEffectOf(action, snapshot.selectedId.has_value())};
}

void EditorSession::activateHoist(const std::optional<std::string>& tabID) {
    endEditing(*this);
    auto& tabs = snapshot.hoistTabs;
    bool exists = tabID && std::any_of(tabs.begin(), tabs.end(),
                                       [&](const HoistTab& tab) { return tab.id == *tabID; });
    snapshot.activeHoist = exists ? tabID : std::nullopt;
    snapshot.anchorId.reset();
    snapshot.extraIds.clear();
    if (!snapshot.selectedId)
        return;
    auto root = rootPath(*this);
    auto path = locate(*this, *snapshot.selectedId);
    if (!path || !isShown(*this, *path, root))
        snapshot.selectedId = firstRow(*this);
}

void EditorSession::closeHoist(const std::string& tabID) {
    std::erase_if(snapshot.hoistTabs, [&](const HoistTab& tab) { return tab.id == tabID; });
    if (snapshot.activeHoist == tabID)
        snapshot.activeHoist.reset();
}

namespace {

// The nearest item that hiding leaves visible, searched from the item at the path outwards:
// its following siblings, its preceding siblings, its parent, then the same from the parent.
std::optional<std::string> nearestUnhidden(const ItemList& items, Path current,
                                           const std::optional<Path>& root) {
    for (int level = 0; level < 64 && !current.empty(); ++level) {
        const ItemList& siblings = SessionTree::siblingsAt(items, current);
        Path probe = current;
        auto at = static_cast<std::size_t>(current.back());
        for (std::size_t i = at + 1; i < siblings.size(); ++i) {
            probe.back() = static_cast<int>(i);
            if (!completedHiddenAt(items, probe, root))
                return siblings[i].id;
        }
        for (std::size_t i = at; i-- > 0;) {
            probe.back() = static_cast<int>(i);
            if (!completedHiddenAt(items, probe, root))
                return siblings[i].id;
        }
        if (current.size() < 2)
            break;
        current.pop_back();
        if (!completedHiddenAt(items, current, root))
            return itemAt(items, current)->id;
    }
    return std::nullopt;
}

} // namespace

void EditorSession::retargetIfHidden() {
    if (!isHiding())
        return;
    const auto& items = snapshot.document.items;
    auto root = rootPath(*this);
    if (snapshot.editing) {
        auto path = locate(*this, snapshot.editing->id);
        if (path && completedHiddenAt(items, *path, root))
            endEditing(*this);
    }
    if (!snapshot.selectedId)
        return;
    auto path = locate(*this, *snapshot.selectedId);
    if (!path || !completedHiddenAt(items, *path, root))
        return;
    auto replacement = nearestUnhidden(items, *path, root);
    selectOnly(*this, replacement ? replacement : firstRow(*this));
}

bool EditorSession::operator==(const EditorSession& other) const {
    return snapshot == other.snapshot && preferences == other.preferences &&
           hideCompleted == other.hideCompleted && checksVisible == other.checksVisible &&
           archiveTitle == other.archiveTitle;
}

} // namespace velmora
