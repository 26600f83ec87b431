#pragma once

#include "app/views/canvas_scene.hpp"
#include "app/views/drop_mark_view.hpp"
#include "app/views/item_drag.hpp"

#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QAbstractScrollArea;
class QMimeData;

namespace velmora {

// The tree and map views: draws the session's outline from the core's layout on the paper and
// turns mouse gestures into signals (select, toggle, check, edit, background click, column
// resize) and drops into the window's hooks. It never changes the session itself. It lives in
// a scroll area; it paints only what is exposed, so very large outlines scroll smoothly, and
// its magnification scales the whole drawing.
class TreeCanvasView : public QWidget {
    Q_OBJECT
public:
    // Hooks of the window for drag and drop (see ItemDrag).
    using DragWriter = std::function<QMimeData*(const std::string& id)>;
    using DropOperation =
        std::function<Qt::DropAction(const QMimeData*, Qt::DropActions, const ItemDrag::Target&)>;
    using PerformDrop =
        std::function<bool(const QMimeData*, Qt::DropAction, const ItemDrag::Target&)>;

    explicit TreeCanvasView(QWidget* parent = nullptr);

    // The copy of the document's session the next reload draws.
    void setSession(const EditorSession& session);
    [[nodiscard]] const EditorSession& session() const { return m_session; }
    // The appearance and drawing preferences; the next reload or paint uses them.
    void setOptions(const CanvasOptions& options);
    [[nodiscard]] const CanvasOptions& options() const { return m_options; }

    // Rebuilds from the session: measures, lays out, resizes, redraws and scrolls the selected
    // block into view.
    void reload();
    // Recomputes the lit branch and the dimming of the other blocks.
    void updateBranch();
    [[nodiscard]] const CanvasScene& scene() const { return m_scene; }
    // How many blocks the last reload measured anew (the others were unchanged).
    [[nodiscard]] std::int64_t lastMeasuredCount() const { return m_measurer->measuredCount(); }
    // Documents with more items than this are measured lazily: blocks get estimated sizes until
    // they show, and are measured then (see measureShown).
    void setLazyThreshold(std::int64_t items) { m_lazyThreshold = items; }
    // Measures the blocks with estimated sizes that reach into the rectangle (canvas
    // coordinates) and lays them out again; with keepAnchor the block at the viewport's top
    // stays where it was on the screen. Returns whether anything was measured.
    bool measureShown(const QRectF& rect, bool keepAnchor);
    // The part of the canvas the scroll area shows, in canvas coordinates; empty without one.
    [[nodiscard]] QRectF shownRect() const;

    // The title and note rectangles of a shown item, in canvas coordinates.
    [[nodiscard]] std::optional<QRectF> textRect(const std::string& id) const;
    [[nodiscard]] std::optional<QRectF> noteRect(const std::string& id) const;
    // Canvas coordinates to this widget's (magnified, scrolled) coordinates and back.
    [[nodiscard]] QRectF toWidget(const QRectF& rect) const;
    [[nodiscard]] QPointF toCanvas(const QPointF& point) const;
    // Canvas coordinates to the magnified content the scroll area scrolls over.
    [[nodiscard]] QRectF toContent(const QRectF& rect) const;

    [[nodiscard]] std::vector<ColumnEdge> columnEdges() const { return m_scene.columnEdges(); }
    [[nodiscard]] std::optional<ColumnEdge> edge(double x) const { return m_scene.edge(x); }

    [[nodiscard]] double magnification() const { return m_magnification; }
    // Sets the magnification, kept within the outline zoom's bounds.
    void setMagnification(double magnification);

    // Scrolls the selected block, with 24 points around it, into view.
    void scrollSelectionIntoView();
    // Scrolls the least that shows a rectangle of this widget (the grown item editor).
    void scrollIntoView(const QRect& widgetRect);

    void setDragWriter(DragWriter writer) { m_dragWriter = std::move(writer); }
    // The drag data of an item, as a drag out of this view carries it.
    [[nodiscard]] const DragWriter& dragWriter() const { return m_dragWriter; }
    void setDropOperation(DropOperation operation) { m_dropOperation = std::move(operation); }
    void setPerformDrop(PerformDrop perform) { m_performDrop = std::move(perform); }
    // What opens a link clicked in a note (the desktop's handler unless set).
    void setLinkOpener(std::function<void(const QUrl&)> opener) { m_openLink = std::move(opener); }

    // The drop target under the pointer during a drag, and its indicator.
    [[nodiscard]] const std::optional<ItemDrag::Target>& dropTarget() const { return m_dropTarget; }
    [[nodiscard]] DropMarkView* dropMark() const { return m_dropMark; }

signals:
    // A block was clicked, with the modifier keys held (Ctrl toggles, Shift extends).
    void selectRequested(const QString& id, Qt::KeyboardModifiers modifiers);
    // A knob or a web check mark of an item with children was clicked.
    void toggleRequested(const QString& id);
    // A block's check box was clicked; `checked` is its new state.
    void checkRequested(const QString& id, bool checked);
    // A block was double-clicked.
    void editRequested(const QString& id);
    // A click hit nothing.
    void backgroundClicked();
    // A column edge is dragged (ended false) or was released or reset (ended true).
    void columnResized(int depth, double width, bool ended);
    // The magnification changed (by the user's wheel or the zoom commands).
    void magnificationChanged(double magnification);
    // Blocks moved under anything laid over them (reload, zoom, blocks measured as they come
    // into view).
    void geometryRefreshed();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Resizing {
        int depth = 0;
        double origin = 0;
    };
    struct Press {
        std::string id;
        QPoint at;
    };

    void press(QMouseEvent* event, bool doubleClick);
    bool pressBlock(const CanvasBlock& block, const QPointF& point, Qt::KeyboardModifiers modifiers,
                    bool doubleClick);
    void pressBackground(const QPointF& layoutPoint, bool doubleClick);
    [[nodiscard]] std::optional<QUrl> linkAt(const CanvasBlock& block, const QPointF& local) const;
    void startDrag(const std::string& id, const QPoint& pressedAt);
    void updateCursor(const QPointF& layoutPoint);
    void updateDrop(QDropEvent* event);
    void clearDrop();
    void autoscroll();
    void updateSize();
    void watchScrolling();
    [[nodiscard]] QAbstractScrollArea* scrollArea() const;
    // Scrolls the least that shows the rectangle (content coordinates).
    void scrollToVisible(const QRectF& contentRect);
    // Where the scroll area's view starts in the content; none outside a canvas scroll area.
    [[nodiscard]] QPoint scrollOffset() const;
    [[nodiscard]] QPalette paperPalette() const;

    EditorSession m_session;
    CanvasOptions m_options;
    std::shared_ptr<BlockMeasurer> m_measurer = std::make_shared<BlockMeasurer>();
    std::int64_t m_lazyThreshold = 5000;
    bool m_lazy = false;     // the last reload measured lazily
    bool m_settling = false; // a reload is scrolling to the selection
    TreeLayoutCache m_layoutCache; // the last reload's layout, by node
    CanvasScene m_scene;
    // The selection and its block's frame when the view last scrolled to it.
    std::optional<std::string> m_scrolledSelection;
    std::optional<QRectF> m_scrolledFrame;
    double m_magnification = 1.0;
    // Content pixels kept reachable beyond the drawing until the next reload (see scrollIntoView).
    QRect m_reach;

    std::optional<Resizing> m_resizing;
    QPointF m_dragStart;
    bool m_dragMoved = false;
    std::optional<Press> m_pressed;

    DragWriter m_dragWriter;
    DropOperation m_dropOperation;
    PerformDrop m_performDrop;
    std::function<void(const QUrl&)> m_openLink;
    std::optional<ItemDrag::Target> m_dropTarget;
    QPointer<DropMarkView> m_dropMark;
    QTimer m_autoscroll;
    // Where the drag is, in global coordinates.
    QPoint m_dragPoint;
    QPointer<QWidget> m_viewport;
    QMetaObject::Connection m_scrolledV, m_scrolledH;
};

} // namespace velmora
