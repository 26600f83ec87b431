// Keyboard navigation: the arrow keys in the list view and on the canvas.
#include "core/session/editor_session_steps.hpp"

#include <algorithm>

namespace velmora::SessionSteps {

using namespace SessionTree;

namespace {

struct NavContext {
    EditorSession& session;
    Located selected;
    std::optional<Path> root;

    [[nodiscard]] const ItemList& items() const { return session.snapshot.document.items; }
    [[nodiscard]] const Item& item() const { return *itemAt(items(), selected.path); }
    [[nodiscard]] bool isRoot() const { return root && *root == selected.path; }

    // The first child that hiding leaves visible, with its path.
    [[nodiscard]] std::optional<Located> firstVisibleChild() const {
        const auto& children = item().children;
        Path probe = selected.path;
        probe.push_back(0);
        for (std::size_t i = 0; i < children.size(); ++i) {
            probe.back() = static_cast<int>(i);
            if (!session.isHiding() || !completedHiddenAt(items(), probe, root))
                return Located{children[i].id, probe};
        }
        return std::nullopt;
    }

    // The parent's id, unless the item is top-level or the hoisted root.
    [[nodiscard]] std::optional<std::string> parentId() const {
        if (selected.path.size() < 2 || isRoot())
            return std::nullopt;
        return itemAt(items(), parentPath(selected.path))->id;
    }

    void setCollapsed(const Path& path, bool collapsed) {
        auto& doc = session.snapshot.document;
        doc = updatedAt(doc, path, [&](Item& i) { i.collapsed = collapsed; });
    }

    void selectIfAny(const std::optional<std::string>& id) {
        if (id)
            selectOnly(session, id);
    }
};

void navigateList(NavContext& nav, Action action) {
    auto child = nav.firstVisibleChild();
    switch (action) {
    case Action::navUp:
    case Action::navDown:
        focusStep(nav.session, action == Action::navDown ? 1 : -1);
        break;
    case Action::navRight:
        if (!child)
            break;
        if (nav.item().collapsed)
            nav.setCollapsed(nav.selected.path, false);
        else
            selectOnly(nav.session, child->id);
        break;
    default:
        if (child && !nav.item().collapsed)
            nav.setCollapsed(nav.selected.path, true);
        else
            nav.selectIfAny(nav.parentId());
        break;
    }
}

// The row to go to from the row at `at` on the canvas: the nearest row in the direction with
// the same depth; going down, else the nearest row below with a smaller depth.
std::optional<std::string> canvasNeighbour(const std::vector<VisibleRow>& rows, std::size_t at,
                                           bool down) {
    int depth = rows[at].depth;
    if (!down) {
        for (std::size_t i = at; i-- > 0;)
            if (rows[i].depth == depth)
                return rows[i].item().id;
        return std::nullopt;
    }
    for (std::size_t i = at + 1; i < rows.size(); ++i)
        if (rows[i].depth == depth)
            return rows[i].item().id;
    for (std::size_t i = at + 1; i < rows.size(); ++i)
        if (rows[i].depth < depth)
            return rows[i].item().id;
    return std::nullopt;
}

void navigateCanvas(NavContext& nav, Action action) {
    if (action == Action::navLeft) {
        nav.selectIfAny(nav.parentId());
        return;
    }
    if (action == Action::navRight) {
        auto child = nav.firstVisibleChild();
        if (!child)
            return;
        if (nav.item().collapsed)
            nav.setCollapsed(nav.selected.path, false);
        selectOnly(nav.session, child->id);
        return;
    }
    auto rows = nav.session.visibleRows();
    auto at = std::find_if(rows.begin(), rows.end(),
                           [&](const VisibleRow& row) { return row.item().id == nav.selected.id; });
    if (at == rows.end()) {
        selectOnly(nav.session,
                   rows.empty() ? std::nullopt : std::optional(rows.front().item().id));
        return;
    }
    bool down = action == Action::navDown;
    auto next = canvasNeighbour(rows, static_cast<std::size_t>(at - rows.begin()), down);
    if (!next && !down)
        next = nav.parentId();
    nav.selectIfAny(next);
}

} // namespace

void navigate(EditorSession& session, Action action) {
    endEditing(session);
    auto selected = selectedItem(session);
    if (!selected) {
        selectOnly(session, firstRow(session));
        return;
    }
    NavContext nav{session, *selected, rootPath(session)};
    if (isCanvas(session.snapshot.view))
        navigateCanvas(nav, action);
    else
        navigateList(nav, action);
    session.snapshot.anchorId.reset();
    session.snapshot.extraIds.clear();
}

} // namespace velmora::SessionSteps
