// Selection entry points and direct edits that views call outside `perform`.
#include "core/model/id_lookup.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session_steps.hpp"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <unordered_set>

namespace velmora {

using namespace SessionSteps;
using namespace SessionTree;

namespace {

using PathMap = std::unordered_map<std::string, Path>;

// Selections with more extra items than this are gathered by a walk over the shown rows.
constexpr std::size_t kFoundOneByOne = 64;
using Member = std::pair<Path, std::string>;

// The range with the path of each member; `paths` holds the paths of the selected item and the
// anchor where they exist.
std::vector<Member> rangeWithPaths(const EditorSession& session, const PathMap& paths) {
    const auto& s = session.snapshot;
    if (!s.selectedId || !paths.count(*s.selectedId))
        return {};
    const Path& selected = paths.at(*s.selectedId);
    std::vector<Member> single{{selected, *s.selectedId}};
    auto root = session.hoistRoot();
    if (!s.anchorId || s.anchorId == s.selectedId || !paths.count(*s.anchorId) ||
        root == s.selectedId || root == s.anchorId)
        return single;
    const Path& anchor = paths.at(*s.anchorId);
    if (parentPath(selected) != parentPath(anchor))
        return single;
    const auto& items = s.document.items;
    auto rootAt = session.isHiding() ? rootPath(session) : std::nullopt;
    const auto& siblings = siblingsAt(items, selected);
    Path probe = selected;
    std::vector<Member> range;
    for (int i = std::min(selected.back(), anchor.back());
         i <= std::max(selected.back(), anchor.back()); ++i) {
        probe.back() = i;
        if (!session.isHiding() || !completedHiddenAt(items, probe, rootAt))
            range.emplace_back(probe, siblings[static_cast<std::size_t>(i)].id);
    }
    return range.size() < 2 ? single : range;
}

std::vector<std::string> idsOf(std::vector<Member> members) {
    std::vector<std::string> ids;
    ids.reserve(members.size());
    for (auto& member : members)
        ids.push_back(std::move(member.second));
    return ids;
}

} // namespace

namespace SessionSteps {

std::vector<std::string> selectionRange(const EditorSession& session) {
    const auto& s = session.snapshot;
    std::vector<std::string> ends;
    for (const auto& end : {s.selectedId, s.anchorId})
        if (end)
            ends.push_back(*end);
    return idsOf(rangeWithPaths(session, locateAll(session, ends)));
}

} // namespace SessionSteps

std::vector<std::string> EditorSession::selectedIDs() const {
    if (snapshot.extraIds.empty())
        return selectionRange(*this);
    if (snapshot.extraIds.size() > kFoundOneByOne) {
        // Many members (Select All): one walk over the shown rows finds them in order, instead
        // of the path of each one sorted afterwards.
        const IdLookup& extras = snapshot.extraIds.lookup();
        const auto rangeIds = selectionRange(*this);
        const IdLookup range(rangeIds);
        const auto hoisted = hoistRoot();
        std::vector<std::string> ids;
        ids.reserve(extras.size() + range.size());
        TreeOps::forEachVisible(
            snapshot.document.items, hoisted, isHiding(), [&](const ItemList& list, std::size_t i) {
                const std::string& id = list[i].id;
                const auto key = list.idKeyAt(i);
                if ((extras.find(id, key) || range.find(id, key)) && id != hoisted)
                    ids.push_back(id);
            });
        return ids;
    }
    // One search finds the ends of the range and every extra item.
    std::vector<std::string> wanted(snapshot.extraIds.begin(), snapshot.extraIds.end());
    for (const auto& end : {snapshot.selectedId, snapshot.anchorId})
        if (end)
            wanted.push_back(*end);
    auto paths = locateAll(*this, wanted);
    auto members = rangeWithPaths(*this, paths);
    auto hoisted = hoistRoot();
    auto root = rootPath(*this);
    for (const auto& id : snapshot.extraIds)
        if (auto at = paths.find(id); at != paths.end())
            members.emplace_back(at->second, id);
    std::erase_if(members, [&](const Member& member) {
        return member.second == hoisted || !isShown(*this, member.first, root);
    });
    std::sort(members.begin(), members.end());
    members.erase(std::unique(members.begin(), members.end()), members.end());
    return idsOf(std::move(members));
}

std::optional<TreeCommand> EditorSession::select(const std::optional<std::string>& id,
                                                 std::optional<std::string> draft) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    auto chosen = id && locate(*this, *id) ? id : std::nullopt;
    bool keepsEditor = chosen && snapshot.editing && snapshot.editing->id == *chosen;
    selectOnly(*this, chosen);
    if (!keepsEditor)
        endEditing(*this);
    return record(*this, before, "undo.edit");
}

std::optional<TreeCommand> EditorSession::extendSelection(const std::string& id,
                                                          std::optional<std::string> draft) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    endEditing(*this);
    if (locate(*this, id)) {
        if (!snapshot.anchorId)
            snapshot.anchorId = snapshot.selectedId;
        snapshot.selectedId = id;
        if (selectionRange(*this).size() < 2)
            snapshot.anchorId.reset();
    }
    return record(*this, before, "undo.edit");
}

std::optional<TreeCommand> EditorSession::extendSelection(int count,
                                                          std::optional<std::string> draft) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    auto from = selectedItem(*this);
    if (!from) {
        if (auto first = firstRow(*this))
            from = Located{*first, *locate(*this, *first)};
    }
    if (!from || from->id == hoistRoot())
        return record(*this, before, "undo.edit");

    const auto& items = snapshot.document.items;
    const auto& siblings = siblingsAt(items, from->path);
    auto root = rootPath(*this);
    int step = count < 0 ? -1 : 1;
    Path probe = from->path;
    int at = from->path.back();
    for (int remaining = std::abs(count), i = at + step;
         remaining > 0 && i >= 0 && i < static_cast<int>(siblings.size()); i += step) {
        probe.back() = i;
        if (isHiding() && completedHiddenAt(items, probe, root))
            continue;
        at = i;
        --remaining;
    }
    const auto& reached = siblings[static_cast<std::size_t>(at)].id;
    if (snapshot.editing && snapshot.editing->id != reached)
        endEditing(*this);
    if (!snapshot.anchorId)
        snapshot.anchorId = from->id;
    snapshot.selectedId = reached;
    if (selectionRange(*this).size() < 2)
        snapshot.anchorId.reset();
    return record(*this, before, "undo.edit");
}

std::optional<TreeCommand> EditorSession::toggleSelection(const std::string& id,
                                                          std::optional<std::string> draft) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    if (!locate(*this, id) || id == hoistRoot())
        return record(*this, before, "undo.edit");
    auto members = selectedIDs();
    auto found = std::find(members.begin(), members.end(), id);
    if (found != members.end()) {
        if (members.size() < 2)
            return record(*this, before, "undo.edit");
        auto index = found - members.begin();
        members.erase(found);
        if (snapshot.selectedId == id)
            snapshot.selectedId = members[static_cast<std::size_t>(std::max<long>(index - 1, 0))];
    } else {
        members.push_back(id);
        snapshot.selectedId = id;
    }
    snapshot.anchorId.reset();
    snapshot.extraIds.clear();
    if (members.size() >= 2)
        snapshot.extraIds.insert(members.begin(), members.end());
    if (snapshot.editing && snapshot.editing->id != snapshot.selectedId)
        endEditing(*this);
    return record(*this, before, "undo.edit");
}

std::optional<TreeCommand> EditorSession::selectAll(std::optional<std::string> draft) {
    EditorSnapshot before = snapshot;
    commitDraft(*this, draft);
    endEditing(*this);
    auto root = hoistRoot();
    std::vector<std::string> ids;
    for (const auto& row : visibleRows())
        if (row.item().id != root)
            ids.push_back(row.item().id);
    snapshot.anchorId.reset();
    snapshot.extraIds.clear();
    if (ids.size() >= 2)
        snapshot.extraIds.insert(ids.begin(), ids.end());
    auto& selected = snapshot.selectedId;
    if (!selected || std::find(ids.begin(), ids.end(), *selected) == ids.end())
        selected = ids.empty() ? std::nullopt : std::optional(ids.front());
    return record(*this, before, "undo.edit");
}

void EditorSession::collapseSelection() {
    snapshot.anchorId.reset();
    snapshot.extraIds.clear();
}

namespace {

// Replaces the title or note of the item and closes the editor.
std::optional<TreeCommand> commitText(EditorSession& session, const std::string& id,
                                      const std::string& text, bool isNote) {
    EditorSnapshot before = session.snapshot;
    auto& doc = session.snapshot.document;
    if (auto path = locate(session, id)) {
        const Item* current = itemAt(doc.items, *path);
        if ((isNote ? current->note : current->text) != text)
            doc =
                updatedAt(doc, *path, [&](Item& item) { (isNote ? item.note : item.text) = text; });
    }
    endEditing(session);
    return record(session, before, isNote ? "undo.note" : "undo.edit");
}

// Makes the item the only selection, closes the editor and changes the item.
std::optional<TreeCommand> editAlone(EditorSession& session, const std::string& id,
                                     std::string_view key,
                                     const std::function<void(Item&)>& change) {
    EditorSnapshot before = session.snapshot;
    auto path = locate(session, id);
    if (!path)
        return std::nullopt;
    selectOnly(session, id);
    endEditing(session);
    session.snapshot.document = updatedAt(session.snapshot.document, *path, change);
    return record(session, before, key);
}

} // namespace

std::optional<TreeCommand> EditorSession::commitItemText(const std::string& id,
                                                         const std::string& text) {
    return commitText(*this, id, text, false);
}

std::optional<TreeCommand> EditorSession::commitNote(const std::string& id,
                                                     const std::string& note) {
    return commitText(*this, id, note, true);
}

std::optional<TreeCommand> EditorSession::commitFieldText(const std::string& id,
                                                          const std::string& text, bool note) {
    const auto typing = snapshot.editing;
    auto command = note ? commitNote(id, text) : commitItemText(id, text);
    if (typing && typing->id != id && command) {
        snapshot.editing = typing;
        command->after.editing = typing;
    }
    return command;
}

std::optional<TreeCommand> EditorSession::jumpTo(const std::string& id) {
    if (!locate(*this, id))
        return std::nullopt;
    const EditorSnapshot before = snapshot;
    TreeDocument& doc = snapshot.document;
    const auto ancestors = TreeOps::ancestorIds(doc.items, id);
    if (const auto root = hoistRoot(); root && *root != id && !ancestors.contains(*root))
        activateHoist(std::nullopt);
    for (const std::string& ancestor : ancestors) {
        const auto found = TreeOps::locate(doc.items, ancestor);
        if (found && found->item.collapsed)
            doc = TreeOps::setCollapsed(doc, ancestor, false);
    }
    (void)select(id);
    retargetIfHidden();
    return record(*this, before, "undo.collapse");
}

std::optional<TreeCommand> EditorSession::keepTyping(
    Action action, const std::optional<EditingTarget>& editingBefore) {
    static constexpr Action moves[] = {Action::indent,   Action::outdent,  Action::moveUp,
                                       Action::moveDown, Action::moveLeft, Action::moveRight};
    if (!editingBefore || !editingBefore->isItem() ||
        std::find(std::begin(moves), std::end(moves), action) == std::end(moves))
        return std::nullopt;
    if (snapshot.editing || snapshot.selectedId != editingBefore->id || !canPerform(Action::edit))
        return std::nullopt;
    return perform(Action::edit).command;
}

std::optional<TreeCommand> EditorSession::setChecked(const std::string& id, bool checked) {
    EditorSnapshot before = snapshot;
    auto path = locate(*this, id);
    if (!path)
        return std::nullopt;
    auto members = selectedIDs();
    auto apply = [&](Item& item) { item.checked = checked; };
    if (members.size() >= 2 && std::find(members.begin(), members.end(), id) != members.end()) {
        updateEach(*this, members, apply);
    } else {
        selectOnly(*this, id);
        snapshot.document = updatedAt(snapshot.document, *path, apply);
    }
    retargetIfHidden();
    return record(*this, before, "undo.check");
}

std::optional<TreeCommand> EditorSession::setLabel(const std::string& id,
                                                   std::optional<ColorLabel> color) {
    return editAlone(*this, id, "undo.label", [&](Item& item) { item.color = color; });
}

std::optional<TreeCommand> EditorSession::toggleCollapsed(const std::string& id) {
    return editAlone(*this, id, "undo.collapse", [](Item& item) {
        if (!item.children.empty())
            item.collapsed = !item.collapsed;
    });
}

} // namespace velmora
