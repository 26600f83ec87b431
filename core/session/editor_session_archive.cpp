// Archiving completed items and hoisting a branch into a tab.
#include "core/model/archive_titles.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session_steps.hpp"

#include <algorithm>

namespace velmora::SessionSteps {

using namespace SessionTree;

namespace {

// The document with the items appended to the archive item, made when there is none.
TreeDocument archived(const EditorSession& session, const TreeDocument& doc,
                      const std::vector<Item>& items) {
    auto archive = std::find_if(doc.items.begin(), doc.items.end(),
                                [](const Item& item) { return ArchiveTitles::matches(item.text); });
    if (archive != doc.items.end()) {
        auto index = static_cast<int>(archive - doc.items.begin());
        return updatedAt(doc, {index}, [&](Item& item) {
            item.children = item.children.inserting(item.children.size(), ItemList(items));
        });
    }
    Item made = Item::blank(session.makeID(), session.archiveTitle);
    made.collapsed = true;
    made.children = ItemList(items);
    return TreeDocument{doc.id, doc.title, doc.items.appending(std::move(made))};
}

} // namespace

void archiveCompleted(EditorSession& session) {
    auto& s = session.snapshot;
    auto collected = TreeOps::topmostCompleted(s.document.items, session.hoistRoot());
    if (collected.empty())
        return;
    std::vector<std::string> ids;
    for (const auto& item : collected)
        ids.push_back(item.id);
    if (s.editing)
        ids.push_back(s.editing->id);
    auto paths = locateAll(session, ids);
    ids.resize(collected.size());
    auto next = TreeOps::selectionAfterRemoving(s.document.items, ids);

    // The editor closes when the edited item is carried into the archive.
    if (s.editing && paths.count(s.editing->id)) {
        const Path& edited = paths.at(s.editing->id);
        bool moved = std::any_of(ids.begin(), ids.end(), [&](const std::string& id) {
            const Path& path = paths.at(id);
            return path == edited || isAncestorPath(path, edited);
        });
        if (moved)
            endEditing(session);
    }
    std::vector<Path> removed;
    for (const auto& id : ids)
        removed.push_back(paths.at(id));
    s.document = archived(session, removedAt(s.document, std::move(removed)), collected);
    selectOnly(session, next);
    pruneHoistTabs(session);
}

void showFamily(EditorSession& session) {
    endEditing(session);
    auto selected = selectedItem(session);
    if (!selected)
        return;
    if (session.hoistRoot() == selected->id) {
        session.activateHoist(std::nullopt);
        return;
    }
    auto& tabs = session.snapshot.hoistTabs;
    auto tab = std::find_if(tabs.begin(), tabs.end(),
                            [&](const HoistTab& t) { return t.rootId == selected->id; });
    if (tab != tabs.end()) {
        session.activateHoist(tab->id);
        return;
    }
    const auto& title = itemAt(session.snapshot.document.items, selected->path)->text;
    tabs.push_back(HoistTab{session.makeID(), selected->id, title});
    session.activateHoist(tabs.back().id);
}

} // namespace velmora::SessionSteps
