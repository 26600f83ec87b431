#pragma once

#include "app/views/list_outline_delegate.hpp"
#include "app/views/list_outline_model.hpp"
#include "core/session/editor_snapshot.hpp"

#include <QObject>
#include <QRect>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct EditorSession;
class ListOutlineView;

// The list view of a document: an indented outline of the shown items with disclosure
// triangles, check boxes or marks, colour labels, titles and notes. It draws what the session
// says and reports what the user does through its callbacks; it never changes the session.
class ListOutlineController : public QObject {
    Q_OBJECT
public:
    // Everything the list shows, taken from the session before each reload.
    struct State {
        ItemList items;
        ListOutlineModel::Display display;
        // The selected items: these ids and the extra ones, without `unselectedId`.
        std::vector<std::string> selectedIds;
        IdSet extraIds;
        std::optional<std::string> unselectedId;
        std::optional<std::string> focusedId;
        std::optional<EditingTarget> editing;
        bool checksVisible = true;

        // The state of the session: its visible rows, selection and editing target.
        [[nodiscard]] static State of(const EditorSession& session);
    };

    explicit ListOutlineController(QWidget* parent = nullptr);
    ~ListOutlineController() override;

    [[nodiscard]] ListOutlineView* view() const { return m_view; }
    [[nodiscard]] const ListOutlineModel& model() const { return *m_model; }
    [[nodiscard]] const ListOutlineDelegate& delegate() const { return *m_delegate; }

    // A row was clicked (the window reads the modifier keys held at that moment).
    std::function<void(const std::string& id)> onSelect;
    // A disclosure triangle (or a web-style mark of an item with children) was clicked.
    std::function<void(const std::string& id)> onToggle;
    // A check box was clicked; the flag is the item's new state.
    std::function<void(const std::string& id, bool checked)> onCheck;
    // A row was double-clicked.
    std::function<void(const std::string& id)> onEdit;
    // The empty space below the rows was clicked.
    std::function<void()> onBackground;
    // The rows moved (scrolled or resized) under anything laid over them.
    std::function<void()> onRowsMoved;
    // Ctrl and the wheel asked to zoom in (positive) or out (negative).
    std::function<void(int steps)> onZoom;

    // Redraws from the state: the rows, then the selection (without calling back).
    void reload(State state);
    void reload(const EditorSession& session);
    // Changes the colours and styles; redraws.
    void setAppearance(const Appearance& appearance);
    // Scales the rows (the outline zoom, 0.5 to 3).
    void setZoom(double zoom);
    [[nodiscard]] double zoom() const { return m_delegate->zoom(); }

    // Where the editor goes over the item's title (or note), in the coordinates of the view's
    // viewport, after scrolling the row into view when `scroll` is set; nothing when the item
    // is not shown.
    [[nodiscard]] std::optional<QRect> editorRect(const std::string& id, bool note,
                                                  bool scroll = true);
    // Scrolls the row of the item into view.
    void scrollToItem(const std::string& id);
    // Scrolls down by whole rows while a rectangle of the viewport (the grown item editor)
    // reaches past its bottom, as long as the rectangle's top stays in sight.
    void scrollDownToShow(const QRect& rect);

private:
    void rowPressed(int row, ListOutlineDelegate::Part part);
    void applySelection(const State& state);
    [[nodiscard]] std::string idOf(int row) const;

    ListOutlineView* m_view = nullptr;
    ListOutlineModel* m_model = nullptr;
    ListOutlineDelegate* m_delegate = nullptr;
    bool m_suppress = false;
};

} // namespace velmora
