#include "app/views/tree_canvas_view.hpp"

#include "app/platform/outline_zoom.hpp"
#include "app/views/canvas_painter.hpp"
#include "app/views/canvas_scroll_area.hpp"
#include "app/views/note_renderer.hpp"
#include "app/views/paper_painter.hpp"
#include "core/layout/column_widths.hpp"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QDesktopServices>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

#include <cmath>
#include <limits>

namespace velmora {
namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TreeCanvasView::TreeCanvasView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_dropMark = new DropMarkView(this);
    m_openLink = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    m_autoscroll.setInterval(40);
    connect(&m_autoscroll, &QTimer::timeout, this, &TreeCanvasView::autoscroll);
}

void TreeCanvasView::setSession(const EditorSession& session) {
    m_session = session;
}

void TreeCanvasView::setOptions(const CanvasOptions& options) {
    if (options.appearance.labelStyle != m_options.appearance.labelStyle) {
        m_measurer->clear();
        m_layoutCache = TreeLayoutCache();
    }
    m_options = options;
    update();
}

void TreeCanvasView::reload() {
    m_measurer->resetCount();
    m_reach = QRect();
    m_lazy = m_session.snapshot.document.items.totalCount() > m_lazyThreshold;
    m_scene = buildScene(m_session, m_options, m_measurer, m_layoutCache, m_lazy);
    const auto& selected = m_session.snapshot.selectedId;
    auto selectedFrame = [&]() -> std::optional<QRectF> {
        const auto block = selected ? m_scene.block(*selected) : std::nullopt;
        return block ? std::optional<QRectF>(block->frame) : std::nullopt;
    };
    std::optional<QRectF> frame = selectedFrame();
    // Measured before scrolling to it, so the view settles where the block really is.
    if (frame && measureShown(*frame, false)) {
        frame = selectedFrame();
    }
    // Only a new selection, or a selected block that moved or grew, scrolls: an edit elsewhere
    // leaves the view where the user put it.
    const bool scroll = selected != m_scrolledSelection || frame != m_scrolledFrame;
    measureShown(shownRect(), !scroll);
    updateSize();
    update();
    if (scroll) {
        // What comes into view is measured and may push the block on: follow it a few times.
        m_settling = true;
        for (int pass = 0; pass < 4; ++pass) {
            scrollSelectionIntoView();
            if (!measureShown(shownRect(), false)) {
                break;
            }
            updateSize();
        }
        m_settling = false;
        m_scrolledSelection = selected;
        m_scrolledFrame = selectedFrame();
    }
    emit geometryRefreshed();
}

void TreeCanvasView::updateBranch() {
    velmora::updateBranch(m_scene, m_session, m_options.highlightBranch);
    update();
}

std::optional<QRectF> TreeCanvasView::textRect(const std::string& id) const {
    if (const auto block = m_scene.block(id)) {
        return block->textRect();
    }
    return std::nullopt;
}

std::optional<QRectF> TreeCanvasView::noteRect(const std::string& id) const {
    if (const auto block = m_scene.block(id)) {
        return block->noteRect();
    }
    return std::nullopt;
}

QRectF TreeCanvasView::shownRect() const {
    QAbstractScrollArea* area = scrollArea();
    if (!area) {
        return {};
    }
    const QRectF widget(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value(),
                        area->viewport()->width(), area->viewport()->height());
    return {widget.topLeft() / m_magnification, widget.size() / m_magnification};
}

bool TreeCanvasView::measureShown(const QRectF& rect, bool keepAnchor) {
    if (!m_lazy || rect.isEmpty()) {
        return false;
    }
    const double top = rect.top() - CanvasScene::insetY;
    const auto part =
        LayoutQuery::visible(*m_scene.tree, top, rect.bottom() - CanvasScene::insetY, nullptr);
    std::unordered_set<const Item*> changed;
    std::optional<std::pair<std::string, double>> anchor; // the topmost block within the rect
    for (std::size_t i = 0; i < part.blocks.size(); ++i) {
        const auto& placed = part.blocks[i];
        if (placed.frame.y >= top && (!anchor || placed.frame.y < anchor->second)) {
            anchor = {placed.entry->node->id, placed.frame.y};
        }
        if (!placed.entry->estimated) {
            continue;
        }
        const Item& item = *placed.entry->node;
        (void)m_measurer->measure(
            placed.entry->node, TreeLayout::nodeWidth(placed.entry->depth, m_scene.columns),
            m_scene.labelDots && item.color.has_value(), m_scene.noteShow(item));
        // The block and its ancestors are laid out again.
        for (int at = static_cast<int>(i);
             at >= 0 &&
             changed.insert(part.blocks[static_cast<std::size_t>(at)].entry->node.get()).second;
             at = part.blocks[static_cast<std::size_t>(at)].parent) {
        }
    }
    if (changed.empty()) {
        return false;
    }
    m_layoutCache.remeasure(changed, sceneMeasure(m_scene, true));
    m_scene.tree = m_layoutCache.tree();
    QAbstractScrollArea* area = keepAnchor ? scrollArea() : nullptr;
    if (area && anchor) {
        if (const auto moved = m_scene.block(anchor->first)) {
            const double shift = moved->frame.top() - CanvasScene::insetY - anchor->second;
            if (shift != 0) {
                updateSize();
                QScrollBar* bar = area->verticalScrollBar();
                bar->setValue(bar->value() +
                              static_cast<int>(std::lround(shift * m_magnification)));
            }
        }
    }
    return true;
}

void TreeCanvasView::watchScrolling() {
    disconnect(m_scrolledV);
    disconnect(m_scrolledH);
    QAbstractScrollArea* area = scrollArea();
    if (!area) {
        return;
    }
    auto scrolled = [this] {
        if (m_lazy && !m_settling && measureShown(shownRect(), true)) {
            updateSize();
            update();
            // Blocks measured now may have moved what lies over them (the item editor).
            emit geometryRefreshed();
        }
    };
    m_scrolledV = connect(area->verticalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
    m_scrolledH = connect(area->horizontalScrollBar(), &QScrollBar::valueChanged, this, scrolled);
}

QRectF TreeCanvasView::toContent(const QRectF& rect) const {
    const double m = m_magnification;
    return {rect.x() * m, rect.y() * m, rect.width() * m, rect.height() * m};
}

QRectF TreeCanvasView::toWidget(const QRectF& rect) const {
    return toContent(rect).translated(-QPointF(scrollOffset()));
}

QPointF TreeCanvasView::toCanvas(const QPointF& point) const {
    return (point + QPointF(scrollOffset())) / m_magnification;
}

QPoint TreeCanvasView::scrollOffset() const {
    const auto* area = qobject_cast<const CanvasScrollArea*>(scrollArea());
    return area ? area->offset() : QPoint();
}

void TreeCanvasView::setMagnification(double magnification) {
    if (!std::isfinite(magnification)) {
        return;
    }
    const double clamped = OutlineZoom::clamped(magnification);
    if (clamped == m_magnification) {
        return;
    }
    m_magnification = clamped;
    updateSize();
    update();
    emit magnificationChanged(m_magnification);
    emit geometryRefreshed();
}

QAbstractScrollArea* TreeCanvasView::scrollArea() const {
    QWidget* viewport = parentWidget();
    return viewport ? qobject_cast<QAbstractScrollArea*>(viewport->parentWidget()) : nullptr;
}

void TreeCanvasView::updateSize() {
    QSizeF frame = m_scene.frameSize() * m_magnification;
    if (!m_reach.isNull()) {
        frame = frame.expandedTo(QSizeF(m_reach.right() + 1, m_reach.bottom() + 1));
    }
    if (auto* area = qobject_cast<CanvasScrollArea*>(scrollArea())) {
        // The area scrolls over the drawing; the canvas keeps the viewport's size.
        area->setContentSize(QSize(static_cast<int>(std::ceil(frame.width())),
                                   static_cast<int>(std::ceil(frame.height()))));
        return;
    }
    QSize visible;
    if (QWidget* viewport = parentWidget(); viewport && scrollArea()) {
        visible = viewport->size();
    }
    const QSize size(std::max(static_cast<int>(std::ceil(frame.width())), visible.width()),
                     std::max(static_cast<int>(std::ceil(frame.height())), visible.height()));
    if (size != this->size()) {
        resize(size);
    }
}

bool TreeCanvasView::event(QEvent* event) {
    if (event->type() == QEvent::ParentChange) {
        if (m_viewport) {
            m_viewport->removeEventFilter(this);
        }
        m_viewport = parentWidget();
        if (m_viewport) {
            m_viewport->installEventFilter(this);
        }
        watchScrolling();
    }
    return QWidget::event(event);
}

bool TreeCanvasView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_viewport && event->type() == QEvent::Resize) {
        measureShown(shownRect(), true);
        updateSize();
    }
    return QWidget::eventFilter(watched, event);
}

void TreeCanvasView::scrollSelectionIntoView() {
    const auto& selected = m_session.snapshot.selectedId;
    if (const auto block = selected ? m_scene.block(*selected) : std::nullopt) {
        scrollToVisible(toContent(block->frame.adjusted(-24, -24, 24, 24)));
    }
}

void TreeCanvasView::scrollIntoView(const QRect& widgetRect) {
    // The rectangle may reach past the drawing's end (an editor grown in the last block): the
    // area scrolls that far until the canvas is laid out again.
    const QRect content = widgetRect.translated(scrollOffset());
    m_reach = m_reach.united(content);
    updateSize();
    scrollToVisible(QRectF(content));
}

void TreeCanvasView::scrollToVisible(const QRectF& rect) {
    QAbstractScrollArea* area = scrollArea();
    if (!area) {
        return;
    }
    // The least scrolling that shows the rectangle, its top-left corner first.
    auto scrollAxis = [](QScrollBar* bar, double from, double to, int visible) {
        int value = bar->value();
        if (to > value + visible) {
            value = static_cast<int>(std::ceil(to)) - visible;
        }
        if (from < value) {
            value = static_cast<int>(std::floor(from));
        }
        bar->setValue(value);
    };
    const QSize visible = area->viewport()->size();
    scrollAxis(area->horizontalScrollBar(), rect.left(), rect.right(), visible.width());
    scrollAxis(area->verticalScrollBar(), rect.top(), rect.bottom(), visible.height());
}

QPalette TreeCanvasView::paperPalette() const {
    return Appearances::paperPalette(m_options.appearance, palette());
}

void TreeCanvasView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QPointF offset(scrollOffset());
    const QRectF exposed = QRectF(event->rect()).adjusted(-1, -1, 1, 1).translated(offset);
    const QRectF canvasRect(exposed.topLeft() / m_magnification, exposed.size() / m_magnification);
    // Blocks not measured yet that are exposed anyway (no scroll area told of the move):
    // measured now, the size follows after the paint.
    if (measureShown(canvasRect, false)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                updateSize();
                emit geometryRefreshed();
            },
            Qt::QueuedConnection);
    }
    painter.translate(-offset);
    painter.scale(m_magnification, m_magnification);
    const QPalette palette = paperPalette();
    PaperPainter::paintCanvas(painter, canvasRect, m_options.appearance, palette, m_scene.columns,
                              m_options.printing);
    const CanvasPalette colors =
        CanvasPalette::make(m_options.appearance, palette, m_options.printing);
    CanvasPainter::paint(painter, m_scene, colors, m_options.appearance, canvasRect);
}

void TreeCanvasView::mousePressEvent(QMouseEvent* event) {
    press(event, false);
}

void TreeCanvasView::mouseDoubleClickEvent(QMouseEvent* event) {
    press(event, true);
}

void TreeCanvasView::press(QMouseEvent* event, bool doubleClick) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed.reset();
    const QPointF point = toCanvas(event->position());
    if (const auto block = m_scene.blockAt(point)) {
        // The window may reload the canvas while handling the report, so keep the id.
        std::string id = block->id();
        if (pressBlock(*block, point, event->modifiers(), doubleClick)) {
            m_pressed = Press{std::move(id), event->position().toPoint()};
        }
        return;
    }
    pressBackground(point - QPointF(CanvasScene::insetX, CanvasScene::insetY), doubleClick);
}

bool TreeCanvasView::pressBlock(const CanvasBlock& block, const QPointF& point,
                                Qt::KeyboardModifiers modifiers, bool doubleClick) {
    const QPointF local = point - block.frame.topLeft();
    const QString id = qs(block.id());
    const CheckStyle checkStyle = m_options.appearance.checkStyle;
    if (m_scene.checksVisible && checkStyle == CheckStyle::box &&
        CanvasPainter::checkBoxRect().adjusted(-3, -3, 3, 3).contains(local)) {
        emit checkRequested(id, !block.item().checked);
        return false;
    }
    const QPointF mark = CanvasPainter::checkMarkCentre();
    if (m_scene.checksVisible && checkStyle == CheckStyle::web && block.hasChildren &&
        QRectF(mark.x() - 8, mark.y() - 8, 16, 16).contains(local)) {
        emit toggleRequested(id);
        return false;
    }
    if (auto url = linkAt(block, local)) {
        if (m_openLink) {
            m_openLink(*url);
        }
        return false;
    }
    if (doubleClick) {
        emit editRequested(id);
        return false;
    }
    emit selectRequested(id, modifiers);
    return true;
}

std::optional<QUrl> TreeCanvasView::linkAt(const CanvasBlock& block, const QPointF& local) const {
    if (block.metrics.noteShow != NoteShow::full || !block.metrics.noteRect ||
        !block.metrics.noteRect->contains(local)) {
        return std::nullopt;
    }
    NoteLabel label;
    label.note = renderNote(block.item().note, CanvasBlockStyle::noteFont(), Qt::black);
    label.bounds = *block.metrics.noteRect;
    return noteLinkAt(label, local);
}

void TreeCanvasView::pressBackground(const QPointF& p, bool doubleClick) {
    const bool tree = m_scene.style == TreeLayout::Style::tree;
    const std::vector<LayoutKnob> knobs =
        LayoutQuery::visible(*m_scene.tree, p.y(), p.y(), nullptr).knobs;
    if (auto edge = tree ? m_scene.edge(p.x()) : std::nullopt) {
        double knobDistance = std::numeric_limits<double>::infinity();
        for (const LayoutKnob& knob : knobs) {
            const double d = std::hypot(knob.cx - p.x(), knob.cy - p.y());
            if (d <= 8) {
                knobDistance = std::min(knobDistance, d);
            }
        }
        if (std::abs(edge->x - p.x()) <= knobDistance) {
            if (doubleClick) {
                m_resizing.reset();
                emit columnResized(edge->depth, ColumnWidths::standard, true);
            } else {
                m_resizing =
                    Resizing{edge->depth, TreeLayout::columnOrigin(edge->depth, m_scene.columns)};
                m_dragStart = p;
                m_dragMoved = false;
            }
            return;
        }
    }
    std::optional<std::string> knobId;
    for (const LayoutKnob& knob : knobs) {
        if (!knobId && std::abs(knob.cx - p.x()) <= 8 && std::abs(knob.cy - p.y()) <= 8) {
            knobId = knob.id;
        }
    }
    if (knobId) {
        emit toggleRequested(qs(*knobId));
        return;
    }
    emit backgroundClicked();
}

void TreeCanvasView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p =
        toCanvas(event->position()) - QPointF(CanvasScene::insetX, CanvasScene::insetY);
    if (m_resizing && (event->buttons() & Qt::LeftButton)) {
        if (!m_dragMoved && std::hypot(p.x() - m_dragStart.x(), p.y() - m_dragStart.y()) > 2) {
            m_dragMoved = true;
        }
        if (m_dragMoved) {
            emit columnResized(m_resizing->depth, p.x() - m_resizing->origin, false);
        }
        return;
    }
    if (m_pressed && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressed->at).manhattanLength() >=
            QApplication::startDragDistance()) {
        const Press pressed = *m_pressed;
        m_pressed.reset();
        startDrag(pressed.id, pressed.at);
        return;
    }
    if (!event->buttons()) {
        updateCursor(p);
    }
}

void TreeCanvasView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_resizing && event->button() == Qt::LeftButton) {
        const QPointF p =
            toCanvas(event->position()) - QPointF(CanvasScene::insetX, CanvasScene::insetY);
        const Resizing resizing = *m_resizing;
        m_resizing.reset();
        if (m_dragMoved) {
            emit columnResized(resizing.depth, p.x() - resizing.origin, true);
        }
        m_dragMoved = false;
    }
    m_pressed.reset();
}

void TreeCanvasView::updateCursor(const QPointF& p) {
    bool onEdge = false;
    if (m_scene.style == TreeLayout::Style::tree) {
        for (const ColumnEdge& e : m_scene.columnEdges()) {
            onEdge = onEdge || std::abs(e.x - p.x()) <= 3;
        }
    }
    if (onEdge) {
        setCursor(Qt::SplitHCursor);
    } else {
        unsetCursor();
    }
}

void TreeCanvasView::wheelEvent(QWheelEvent* event) {
    // Ctrl with the wheel magnifies, as a pinch does on a touchpad.
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        if (steps != 0) {
            setMagnification(m_magnification * std::pow(OutlineZoom::step, steps));
        }
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

} // namespace velmora
