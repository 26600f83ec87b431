#include "app/window/editor_overlay.hpp"

#include "app/platform/appearance.hpp"
#include "app/views/canvas_blocks.hpp"
#include "app/views/canvas_scroll_area.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "core/session/editor_session.hpp"

#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {
namespace {

// The smallest width of the editor in the list, so that a short title leaves room to type.
constexpr int kMinEditorWidth = 180;

int lineCount(const QString& text) {
    return static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
}

} // namespace

EditorOverlay::EditorOverlay(Parts parts, std::function<const EditorSession&()> session,
                             QObject* parent)
    : QObject(parent), m_parts(parts), m_session(std::move(session)) {
    // Text typed past the bottom of the view stays in sight.
    connect(m_parts.editor, &ItemTextEditor::grew, this, &EditorOverlay::grew);
}

bool EditorOverlay::showsCanvas() const {
    return isCanvas(m_session().snapshot.view);
}

QWidget* EditorOverlay::viewFor(ViewMode view) const {
    if (isCanvas(view)) {
        return m_parts.canvas;
    }
    return m_parts.list->view();
}

std::optional<std::string> EditorOverlay::draft() const {
    const auto& editing = m_session().snapshot.editing;
    if (!editing || !m_placed || *m_placed != *editing) {
        return std::nullopt;
    }
    return m_parts.editor->draft();
}

void EditorOverlay::grew() {
    ItemTextEditor* editor = m_parts.editor;
    if (m_placing || !editor->isVisible()) {
        return;
    }
    if (showsCanvas() && editor->parentWidget() == m_parts.canvas) {
        // With a little of the paper below it, clear of the scroll bar.
        m_parts.canvas->scrollIntoView(editor->geometry().adjusted(0, 0, 0, 8));
    } else if (!showsCanvas() && editor->parentWidget() == m_parts.list->view()->viewport()) {
        m_parts.list->scrollDownToShow(editor->geometry());
        liftIntoList();
    }
}

std::optional<QRect> EditorOverlay::canvasRect(const std::string& id, bool note) const {
    const auto rect = note ? m_parts.canvas->noteRect(id) : m_parts.canvas->textRect(id);
    if (!rect) {
        return std::nullopt;
    }
    return m_parts.canvas->toWidget(*rect).toAlignedRect();
}

void EditorOverlay::place(bool scroll) {
    const QScopedValueRollback placing(m_placing, true);
    ItemTextEditor* editor = m_parts.editor;
    const auto& editing = m_session().snapshot.editing;
    if (!editing) {
        m_placed.reset();
        hide();
        return;
    }
    // The edited item is found among the shown blocks or rows, near the selection, rather than
    // by a search of the whole tree.
    const bool canvas = showsCanvas();
    const Item* item = nullptr;
    ItemList::Node held; // keeps the canvas's item alive while it is used here
    std::optional<QRect> rect;
    QRect covered; // the part of the block the editor's box covers once it grows
    if (canvas) {
        if (const auto block = m_parts.canvas->scene().block(editing->id)) {
            held = block->node;
            item = held.get();
            rect = canvasRect(editing->id, editing->isNote());
            covered = m_parts.canvas->toWidget(block->editingFrame()).toAlignedRect();
        }
    } else if (const auto row = m_parts.list->model().rowOf(editing->id)) {
        item = &m_parts.list->model().rowAt(*row).item();
        rect = m_parts.list->editorRect(editing->id, editing->isNote(), scroll);
    }
    if (!item || !rect) {
        hide();
        return;
    }
    // The editor lies on the view that shows the item.
    QWidget* host =
        canvas ? static_cast<QWidget*>(m_parts.canvas) : m_parts.list->view()->viewport();
    if (editor->parentWidget() != host) {
        editor->setParent(host);
    }
    const bool changed = m_placed != editing;
    if (changed) {
        editor->load(QString::fromStdString(editing->isNote() ? item->note : item->text));
    }
    style(*item, editing->isNote());
    const double zoom = m_parts.list->zoom();
    const int lineHeight = static_cast<int>(std::lround((editing->isNote() ? 16 : 18) * zoom));
    const int height =
        std::max(rect->height() + 4, lineHeight * lineCount(editor->toPlainText()) + 4);
    if (canvas) {
        // The text lies over the block's title or note; the box spans the block's frame.
        const int left = std::max(0, rect->x() - 1 - covered.left());
        const int right = std::max(0, covered.right() - (rect->x() - 1 + rect->width() - 1));
        editor->setOutsets(left, right);
        editor->setGeometry(rect->x() - 1 - left, rect->y() - 2, rect->width() + left + right,
                            height);
    } else {
        editor->setOutsets(0, 0);
        editor->setGeometry(rect->x(), rect->y() - 2, std::max(rect->width(), kMinEditorWidth),
                            height);
    }
    // Shown first: a hidden editor lays its text out at its last width (the other view's)
    // until it shows, and would fit its height to that.
    editor->show();
    if (changed) {
        editor->setFittedHeight(std::numeric_limits<double>::max());
        editor->fit();
        editor->setFittedHeight(editor->height());
    } else {
        editor->fit();
    }
    if (!canvas) {
        liftIntoList();
    }
    editor->raise();
    m_placed = editing;
}

void EditorOverlay::followRows() {
    if (!m_session().snapshot.editing) {
        return;
    }
    const bool wasHidden = m_parts.editor->isHidden();
    place(false);
    if (wasHidden) {
        followEditing(m_parts.tab->window()->focusWidget(), false);
    }
}

void EditorOverlay::liftIntoList() {
    // The list cannot scroll past its last row: an editor grown below the view's bottom rises
    // over the rows above it, its box hiding them, so that the text typed stays in sight. One
    // as tall as its row stays on it, even where the view cuts the row off.
    ItemTextEditor* editor = m_parts.editor;
    if (!editor->drawsBackground()) {
        return;
    }
    const int bottom = m_parts.list->view()->viewport()->height();
    const QRect geometry = editor->geometry();
    const int past = geometry.bottom() + 1 - bottom;
    if (past > 0 && geometry.top() > 0) {
        editor->move(geometry.left(), std::max(0, geometry.top() - past));
    }
}

void EditorOverlay::hide() {
    if (m_parts.editor->hasFocus()) {
        viewFor(m_session().snapshot.view)->setFocus(Qt::OtherFocusReason);
    }
    m_parts.editor->hide();
}

void EditorOverlay::style(const Item& item, bool note) {
    const auto& delegate = m_parts.list->delegate();
    QFont font = note ? delegate.noteFont() : delegate.titleFont(item);
    if (showsCanvas()) {
        // The canvas's fonts, magnified with the drawing.
        font = note ? CanvasBlockStyle::noteFont() : CanvasBlockStyle::titleFont(item);
        font.setPointSizeF(font.pointSizeF() * m_parts.canvas->magnification());
    }
    font.setUnderline(!note && item.underline);
    m_parts.editor->setFont(font);
    QPalette palette = m_parts.list->view()->palette();
    if (note) {
        palette.setColor(QPalette::Text, Appearances::secondaryText(palette));
    }
    m_parts.editor->setPalette(palette);
}

bool EditorOverlay::keysInOutline(const QWidget* focus) const {
    if (!focus || focus == m_parts.editor || focus == m_parts.canvas ||
        focus == m_parts.canvasScroll || focus == m_parts.list->view() ||
        focus == m_parts.list->view()->viewport()) {
        return true;
    }
    // Outside this content (the tab bar, a tab going away) the keys are nobody's; inside, a
    // sidebar, panel, field or button keeps them.
    return !m_parts.tab->isAncestorOf(focus) && !(isOtherTextInput && isOtherTextInput(focus));
}

void EditorOverlay::followEditing(QWidget* focusBefore, bool viewSwitched) {
    const EditorSnapshot& snapshot = m_session().snapshot;
    if (snapshot.editing) {
        if (!m_parts.editor->isHidden() && keysInOutline(m_parts.tab->window()->focusWidget())) {
            focus();
        }
        return;
    }
    if (!focusBefore || focusBefore == m_parts.editor || viewSwitched) {
        viewFor(snapshot.view)->setFocus(Qt::OtherFocusReason);
    }
}

void EditorOverlay::focus() {
    ItemTextEditor* editor = m_parts.editor;
    if (!editor->isVisible()) {
        // A tab or window still being made: the focus would land nowhere; the editor takes it
        // when the view shows.
        return;
    }
    if (m_parts.tab->window()->focusWidget() == editor) {
        return;
    }
    m_movingFocus = true;
    editor->setFocus(Qt::OtherFocusReason);
    m_movingFocus = false;
    if (m_refreshAfterFocus) {
        m_refreshAfterFocus = false;
        if (refresh) {
            refresh();
        }
    }
}

bool EditorOverlay::deferRefresh() {
    if (m_movingFocus) {
        m_refreshAfterFocus = true;
    }
    return m_movingFocus;
}

} // namespace velmora
