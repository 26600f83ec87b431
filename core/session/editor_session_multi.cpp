// Actions on a selection of two or more items: flags and labels on every member, and the
// structural actions on the topmost members, grouped into runs of neighbouring siblings.
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session_steps.hpp"

#include <algorithm>
#include <set>

namespace velmora::SessionSteps {

using namespace SessionTree;

namespace {

std::vector<const Item*> itemsOf(const EditorSession& session,
                                 const std::vector<std::string>& ids) {
    const auto& items = session.snapshot.document.items;
    auto paths = locateAll(session, ids);
    std::vector<const Item*> found;
    for (const auto& id : ids)
        if (auto at = paths.find(id); at != paths.end())
            found.push_back(itemAt(items, at->second));
    return found;
}

// Sets the flag on every member, or clears it when every member has it already. The members
// are found once for both steps: a search for every item is the cost of a bulk change.
void toggleFlag(EditorSession& session, const std::vector<std::string>& ids, bool Item::*flag) {
    const auto& items = session.snapshot.document.items;
    std::vector<Path> paths;
    paths.reserve(ids.size());
    for (auto& entry : locateAll(session, ids))
        paths.push_back(std::move(entry.second));
    bool all = std::all_of(paths.begin(), paths.end(),
                           [&](const Path& path) { return itemAt(items, path)->*flag; });
    session.snapshot.document = updatedAtPaths(session.snapshot.document, std::move(paths),
                                               [&](Item& item) { item.*flag = !all; });
}

void labelAll(EditorSession& session, const std::vector<std::string>& ids, int labelNumber) {
    std::optional<ColorLabel> label;
    if (labelNumber > 0) {
        label = ColorLabels::allCases[static_cast<std::size_t>(labelNumber - 1)];
        auto members = itemsOf(session, ids);
        if (std::all_of(members.begin(), members.end(),
                        [&](const Item* item) { return item->color == label; }))
            label.reset();
    }
    updateEach(session, ids, [&](Item& item) { item.color = label; });
}

using Run = std::vector<std::string>;

// Splits the topmost ids into runs of siblings that stand next to each other, counting
// siblings hidden by completion between them as adjacent.
std::vector<Run> runsOf(const EditorSession& session, const std::vector<std::string>& ids) {
    const auto& items = session.snapshot.document.items;
    auto paths = locateAll(session, ids);
    auto root = rootPath(session);
    std::vector<Run> runs;
    const Path* last = nullptr;
    for (const auto& id : ids) {
        auto at = paths.find(id);
        if (at == paths.end())
            continue;
        const Path& path = at->second;
        bool joins = last && parentPath(*last) == parentPath(path) && path.back() > last->back();
        Path probe = path;
        for (int i = last ? last->back() + 1 : 0; joins && i < path.back(); ++i) {
            probe.back() = i;
            joins = session.isHiding() && completedHiddenAt(items, probe, root);
        }
        if (joins)
            runs.back().push_back(id);
        else
            runs.push_back({id});
        last = &path;
    }
    return runs;
}

std::vector<Path> pathsInOrder(const EditorSession& session, const Run& run) {
    auto paths = locateAll(session, run);
    std::vector<Path> ordered;
    for (const auto& id : run)
        if (auto at = paths.find(id); at != paths.end())
            ordered.push_back(at->second);
    return ordered;
}

void outdentRun(EditorSession& session, const Run& run) {
    auto paths = pathsInOrder(session, run);
    if (paths.empty() || !outdentAllowed(session, paths.front()))
        return;
    for (auto id = run.rbegin(); id != run.rend(); ++id)
        session.snapshot.document = TreeOps::outdent(session.snapshot.document, *id);
}

// Copies the run directly after itself; returns the ids of the copies.
std::vector<std::string> duplicateRun(EditorSession& session, const Run& run) {
    std::vector<Item> originals;
    for (const auto& path : pathsInOrder(session, run))
        originals.push_back(*itemAt(session.snapshot.document.items, path));
    auto copies = TreeOps::copies(originals, session.makeID);
    auto& s = session.snapshot;
    s.document = TreeOps::insertAfter(s.document, copies, run.back(), session.hoistRoot());
    std::vector<std::string> ids;
    for (const auto& copy : copies)
        ids.push_back(copy.id);
    return ids;
}

void duplicateRuns(EditorSession& session, const std::vector<Run>& runs) {
    auto& s = session.snapshot;
    if (runs.size() == 1)
        s.extraIds.clear();
    std::vector<std::string> collected;
    for (const auto& run : runs) {
        auto copies = duplicateRun(session, run);
        if (copies.empty())
            continue;
        s.anchorId = copies.front();
        s.selectedId = copies.back();
        collected.insert(collected.end(), copies.begin(), copies.end());
    }
    if (runs.size() < 2)
        return;
    s.anchorId.reset();
    s.extraIds = std::set<std::string>(collected.begin(), collected.end());
    s.selectedId = collected.empty() ? std::nullopt : std::optional(collected.back());
}

void performOnRuns(EditorSession& session, Action action, const std::vector<Run>& runs) {
    if (action == Action::duplicate) {
        duplicateRuns(session, runs);
        return;
    }
    bool backwards =
        action == Action::outdent || action == Action::moveLeft || action == Action::moveDown;
    auto apply = [&](const Run& run) {
        switch (action) {
        case Action::indent:
        case Action::moveRight:
            indentBlock(session, pathsInOrder(session, run));
            break;
        case Action::outdent:
        case Action::moveLeft:
            outdentRun(session, run);
            break;
        default: {
            auto paths = pathsInOrder(session, run);
            if (!paths.empty())
                moveBlockPast(session, paths.front(), paths.back(), action == Action::moveUp);
        }
        }
    };
    if (backwards)
        std::for_each(runs.rbegin(), runs.rend(), apply);
    else
        std::for_each(runs.begin(), runs.end(), apply);
}

} // namespace

bool isMultiAction(Action action) {
    switch (action) {
    case Action::indent:
    case Action::outdent:
    case Action::moveUp:
    case Action::moveDown:
    case Action::moveLeft:
    case Action::moveRight:
    case Action::duplicate:
    case Action::deleteItem:
    case Action::toggleCheck:
    case Action::toggleBold:
    case Action::toggleUnderline:
        return true;
    default:
        return labelIndex(action).has_value();
    }
}

void performOnSelection(EditorSession& session, Action action,
                        const std::vector<std::string>& ids) {
    switch (action) {
    case Action::toggleCheck:
        toggleFlag(session, ids, &Item::checked);
        return;
    case Action::toggleBold:
        toggleFlag(session, ids, &Item::bold);
        return;
    case Action::toggleUnderline:
        toggleFlag(session, ids, &Item::underline);
        return;
    case Action::deleteItem:
        removeSelection(session, topmost(session, ids));
        return;
    default:
        break;
    }
    if (auto label = labelIndex(action)) {
        labelAll(session, ids, *label);
        return;
    }
    auto reduced = topmost(session, ids);
    performOnRuns(session, action, runsOf(session, reduced));
}

std::vector<std::string> topmost(const EditorSession& session,
                                 const std::vector<std::string>& ids) {
    auto paths = locateAll(session, ids);
    std::set<Path> chosen;
    for (const auto& [id, path] : paths)
        chosen.insert(path);
    std::vector<std::string> kept;
    for (const auto& id : ids) {
        auto at = paths.find(id);
        if (at == paths.end())
            continue;
        Path prefix = at->second;
        bool inside = false;
        while (!inside && prefix.size() > 1) {
            prefix.pop_back();
            inside = chosen.count(prefix) > 0;
        }
        if (!inside)
            kept.push_back(id);
    }
    return kept;
}

void removeSelection(EditorSession& session, const std::vector<std::string>& ids) {
    auto& s = session.snapshot;
    auto next = TreeOps::selectionAfterRemoving(s.document.items, ids);
    auto paths = locateAll(session, ids);
    std::vector<Path> removed;
    for (auto& entry : paths)
        removed.push_back(std::move(entry.second));
    s.document = removedAt(s.document, std::move(removed));
    selectOnly(session, next);
    pruneHoistTabs(session);
}

void updateEach(EditorSession& session, const std::vector<std::string>& ids,
                const std::function<void(Item&)>& mutate) {
    auto paths = locateAll(session, ids);
    std::vector<Path> all;
    all.reserve(paths.size());
    for (auto& entry : paths)
        all.push_back(std::move(entry.second));
    session.snapshot.document = updatedAtPaths(session.snapshot.document, std::move(all), mutate);
}

} // namespace velmora::SessionSteps
