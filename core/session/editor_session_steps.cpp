// The steps shared by the editor session's entry points: drafts, records, the selection and
// hoist tabs.
#include "core/session/editor_session_steps.hpp"

namespace velmora::SessionSteps {

using SessionTree::itemAt;

std::optional<Path> locate(const EditorSession& session, const std::string& id) {
    return SessionTree::pathOf(session.snapshot.document.items, id);
}

std::unordered_map<std::string, Path> locateAll(const EditorSession& session,
                                                const std::vector<std::string>& ids) {
    return SessionTree::pathsOf(session.snapshot.document.items, ids);
}

std::optional<TreeCommand> record(EditorSession& session, const EditorSnapshot& before,
                                  std::string_view catalogKey) {
    if (before.document == session.snapshot.document)
        return std::nullopt;
    auto command =
        UndoRecords::form(before, std::string(catalogKey), session.snapshot, session.clock());
    if (command)
        session.snapshot = command->after;
    return command;
}

void commitDraft(EditorSession& session, const std::optional<std::string>& draft) {
    const auto& editing = session.snapshot.editing;
    if (!draft || !editing)
        return;
    auto& doc = session.snapshot.document;
    auto path = locate(session, editing->id);
    if (!path)
        return;
    const Item* current = itemAt(doc.items, *path);
    bool isTitle = editing->isItem();
    if ((isTitle ? current->text : current->note) == *draft)
        return;
    doc = SessionTree::updatedAt(doc, *path,
                                 [&](Item& item) { (isTitle ? item.text : item.note) = *draft; });
}

void endEditing(EditorSession& session) {
    session.snapshot.editing.reset();
}

void selectOnly(EditorSession& session, std::optional<std::string> id) {
    session.snapshot.selectedId = std::move(id);
    session.snapshot.anchorId.reset();
    session.snapshot.extraIds.clear();
}

std::optional<Path> rootPath(const EditorSession& session) {
    auto root = session.hoistRoot();
    return root ? locate(session, *root) : std::nullopt;
}

std::optional<std::string> firstRow(const EditorSession& session) {
    auto root = rootPath(session);
    if (session.hoistRoot() && !root)
        return std::nullopt;
    return SessionTree::firstShownId(session.snapshot.document.items, root, session.isHiding());
}

bool isShown(const EditorSession& session, const Path& path, const std::optional<Path>& root) {
    if (session.hoistRoot() && !root)
        return false;
    return SessionTree::shownAt(session.snapshot.document.items, path, root, session.isHiding());
}

std::optional<Located> selectedItem(const EditorSession& session) {
    const auto& selected = session.snapshot.selectedId;
    if (!selected)
        return std::nullopt;
    auto path = locate(session, *selected);
    if (!path)
        return std::nullopt;
    return Located{*selected, std::move(*path)};
}

std::optional<Located> takeTarget(EditorSession& session) {
    if (auto selected = selectedItem(session))
        return selected;
    auto first = firstRow(session);
    selectOnly(session, first);
    if (!first)
        return std::nullopt;
    return Located{*first, *locate(session, *first)};
}

void pruneHoistTabs(EditorSession& session) {
    auto& s = session.snapshot;
    if (s.hoistTabs.empty())
        return;
    std::vector<std::string> roots;
    for (const auto& tab : s.hoistTabs)
        roots.push_back(tab.rootId);
    auto found = locateAll(session, roots);
    std::erase_if(s.hoistTabs, [&](const HoistTab& tab) { return !found.count(tab.rootId); });
    if (s.activeHoist && !session.hoistRoot())
        s.activeHoist.reset();
}

} // namespace velmora::SessionSteps
