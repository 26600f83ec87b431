// Actions on a selection of two or more items: flags and labels on every member, and the
// structural actions on the topmost members, grouped into runs of neighbouring siblings.
#include "core/model/bulk_edit.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session_steps.hpp"

#include <algorithm>
#include <set>

namespace velmora::SessionSteps {

using namespace SessionTree;

namespace {

// Sets the flag on every member, or clears it when every member has it already. One walk asks
// and one walk changes, however many members there are.
void toggleFlag(EditorSession& session, const std::vector<std::string>& ids, bool Item::*flag) {
    auto& doc = session.snapshot.document;
    const IdLookup members(ids);
    bool all = true;
    BulkEdit::forEachFound(doc.items, members, [&](std::size_t, const Item& item) {
        all = item.*flag;
        return all;
    });
    doc.items = BulkEdit::updated(doc.items, members, [&](Item& item) { item.*flag = !all; });
}

void labelAll(EditorSession& session, const std::vector<std::string>& ids, int labelNumber) {
    std::optional<ColorLabel> label;
    const IdLookup members(ids);
    auto& doc = session.snapshot.document;
    if (labelNumber > 0) {
        label = ColorLabels::allCases[static_cast<std::size_t>(labelNumber - 1)];
        bool all = true;
        BulkEdit::forEachFound(doc.items, members, [&](std::size_t, const Item& item) {
            all = item.color == label;
            return all;
        });
        if (all)
            label.reset();
    }
    doc.items = BulkEdit::updated(doc.items, members, [&](Item& item) { item.color = label; });
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
    s.extraIds = IdSet(collected.begin(), collected.end());
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
    const IdLookup members(ids);
    const auto outermost = BulkEdit::outermost(session.snapshot.document.items, members);
    std::vector<std::string> kept;
    for (const auto& id : ids)
        if (outermost[*members.find(id)])
            kept.push_back(id);
    return kept;
}

void removeSelection(EditorSession& session, const std::vector<std::string>& ids) {
    auto& s = session.snapshot;
    auto next = TreeOps::selectionAfterRemoving(s.document.items, ids);
    s.document.items = BulkEdit::removed(s.document.items, IdLookup(ids));
    selectOnly(session, next);
    pruneHoistTabs(session);
}

void updateEach(EditorSession& session, const std::vector<std::string>& ids,
                const std::function<void(Item&)>& mutate) {
    auto& doc = session.snapshot.document;
    doc.items = BulkEdit::updated(doc.items, IdLookup(ids), mutate);
}

} // namespace velmora::SessionSteps
