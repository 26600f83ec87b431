#pragma once

#include "app/views/canvas_scroll_area.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "core/session/editor_session.hpp"

#include <QAbstractScrollArea>

#include <memory>
#include <string>
#include <vector>

namespace velmora::test {

// An item with the id and text and the given children.
inline Item item(const std::string& id, const std::string& text, std::vector<Item> children = {}) {
    Item made = Item::blank(id, text);
    made.children = ItemList(std::move(children));
    return made;
}

// A session over the items in the view, nothing selected; new ids count up from "new-1".
inline EditorSession session(std::vector<Item> items, ViewMode view = ViewMode::tree) {
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", "Doc", ItemList(std::move(items))};
    snapshot.view = view;
    EditorSession made = EditorSession::init(snapshot, EditorPreferences{});
    auto counter = std::make_shared<int>(0);
    made.makeID = [counter] { return "new-" + std::to_string(++*counter); };
    return made;
}

// A canvas in a scroll area of the given size, shown, drawing the session.
struct CanvasWindow {
    explicit CanvasWindow(const EditorSession& s, QSize size = {900, 600}) {
        area.resize(size);
        canvas = new TreeCanvasView;
        area.setCanvas(canvas);
        area.show();
        canvas->setSession(s);
        canvas->reload();
    }
    // Draws the session again, as the window does after each change.
    void reload(const EditorSession& s) {
        canvas->setSession(s);
        canvas->reload();
    }
    // A point of the canvas (canvas coordinates) in the widget's coordinates.
    [[nodiscard]] QPoint at(QPointF canvasPoint) const {
        return canvas->toWidget(QRectF(canvasPoint, QSizeF())).topLeft().toPoint();
    }
    // The centre of an item's knob, in the widget's coordinates.
    [[nodiscard]] QPoint knob(const std::string& id) const {
        for (const auto& k : canvas->scene().layout().knobs) {
            if (k.id == id) {
                return at({k.cx + CanvasScene::insetX, k.cy + CanvasScene::insetY});
            }
        }
        return {};
    }
    [[nodiscard]] CanvasBlock block(const std::string& id) const {
        return *canvas->scene().block(id);
    }

    CanvasScrollArea area;
    TreeCanvasView* canvas = nullptr;
};

} // namespace velmora::test
