// The redrawing half of the document window: refresh, the editor's placement and focus, the
// status line, appearance, zoom and the application-wide announcements.
#include "app/window/document_window_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/localization.hpp"
#include "app/platform/notifications.hpp"
#include "app/platform/outline_zoom.hpp"
#include "app/platform/preferences.hpp"
#include "app/views/canvas_scroll_area.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/list_paper.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/hoist_bar.hpp"
#include "app/window/window_toolbar.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {
namespace {

// Trees at least this big get their id index built in the background after a change.
constexpr std::int64_t kPreparedLookupItems = 2048;
// The smallest width of the editor in the list, so that a short title leaves room to type.
constexpr int kMinEditorWidth = 180;

int lineCount(const QString& text) {
    return static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
}

} // namespace

void DocumentWindowController::refresh() {
    if (m_movingFocus) {
        m_reloadAfterFocus = true;
        return;
    }
    const EditorSession& session = m_document.session();
    QWidget* focusBefore = window()->focusWidget();
    // Hiding the view that had the focus hands it to the next widget of the window (the tab
    // bar, say): after a switch of views the shown view takes it back.
    const bool switchedView = m_shownCanvas && *m_shownCanvas != showsCanvas();
    const bool focusHere = !focusBefore || isAncestorOf(focusBefore);
    m_shownCanvas = showsCanvas();
    showContentView();
    m_hoistBar->rebuild(session.snapshot.hoistTabs, session.snapshot.activeHoist);
    // Only the view that is shown is redrawn.
    if (showsCanvas()) {
        reloadCanvas();
    } else {
        m_list->reload(session);
    }
    updateStatus();
    m_toolbar->update(session.snapshot.view, Preferences().highlightBranch());
    refreshPanels();
    placeEditor();
    if (session.snapshot.selectedId && !session.snapshot.editing && !showsCanvas()) {
        m_list->scrollToItem(*session.snapshot.selectedId);
    }
    followEditing(focusBefore, switchedView && focusHere);
    prepareLookups();
}

bool DocumentWindowController::keysInOutline(const QWidget* focus) const {
    if (!focus || focus == m_editor || focus == m_canvas || focus == m_canvasScroll ||
        focus == m_list->view() || focus == m_list->view()->viewport()) {
        return true;
    }
    // Outside this content (the tab bar, a tab going away) the keys are nobody's; inside, a
    // sidebar, panel, field or button keeps them.
    return !isAncestorOf(focus) && !isOtherTextInput(focus);
}

// The keys follow the session's editing target alone: while an item is edited and its editor
// is placed, the editor has them whenever they are in the outline (or nowhere); when nothing is
// edited, the shown outline view takes them from the hidden editor.
void DocumentWindowController::followEditing(QWidget* focusBefore, bool viewSwitched) {
    if (m_document.session().snapshot.editing) {
        if (!m_editor->isHidden() && keysInOutline(window()->focusWidget())) {
            focusEditor();
        }
        return;
    }
    if (!focusBefore || focusBefore == m_editor || viewSwitched) {
        contentViewFor(m_document.session().snapshot.view)->setFocus(Qt::OtherFocusReason);
    }
}

void DocumentWindowController::prepareLookups() {
    const ItemList& items = m_document.session().snapshot.document.items;
    if (items.storageIdentity() == m_preparedItems) {
        return;
    }
    m_preparedItems = items.storageIdentity();
    // A new tree finds items by id through an index built on first use; building it while the
    // user types spares the next command that wait. The tree is immutable and the index is
    // published atomically, so another thread may build it.
    if (items.totalCount() >= kPreparedLookupItems) {
        QThreadPool::globalInstance()->start([items] { (void)items.idIndex(); });
    }
}

QWidget* DocumentWindowController::contentViewFor(ViewMode view) const {
    if (isCanvas(view)) {
        return m_canvas;
    }
    return m_list->view();
}

void DocumentWindowController::showContentView() {
    const bool canvas = showsCanvas();
    QWidget* shown = canvas ? static_cast<QWidget*>(m_canvasScroll) : m_list->view();
    QWidget* hidden = canvas ? m_list->view() : static_cast<QWidget*>(m_canvasScroll);
    if (!hidden->isHidden()) {
        hidden->hide();
    }
    if (shown->isHidden()) {
        shown->show();
    }
}

void DocumentWindowController::placeEditor(bool scroll) {
    const QScopedValueRollback placing(m_placingEditor, true);
    const EditorSession& session = m_document.session();
    const auto& editing = session.snapshot.editing;
    if (!editing) {
        m_lastEditing.reset();
        hideEditor();
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
        if (const auto block = m_canvas->scene().block(editing->id)) {
            held = block->node;
            item = held.get();
            rect = canvasEditorRect(editing->id, editing->isNote());
            covered = m_canvas->toWidget(block->editingFrame()).toAlignedRect();
        }
    } else if (const auto row = m_list->model().rowOf(editing->id)) {
        item = &m_list->model().rowAt(*row).item();
        rect = m_list->editorRect(editing->id, editing->isNote(), scroll);
    }
    if (!item || !rect) {
        hideEditor();
        return;
    }
    // The editor lies on the view that shows the item.
    QWidget* host = canvas ? static_cast<QWidget*>(m_canvas) : m_list->view()->viewport();
    if (m_editor->parentWidget() != host) {
        m_editor->setParent(host);
    }
    const bool changed = m_lastEditing != editing;
    if (changed) {
        m_editor->load(QString::fromStdString(editing->isNote() ? item->note : item->text));
    }
    styleEditor(*item, editing->isNote());
    const double zoom = m_list->zoom();
    const int lineHeight = static_cast<int>(std::lround((editing->isNote() ? 16 : 18) * zoom));
    const int height =
        std::max(rect->height() + 4, lineHeight * lineCount(m_editor->toPlainText()) + 4);
    if (canvas) {
        // The text lies over the block's title or note; the box spans the block's frame.
        const int left = std::max(0, rect->x() - 1 - covered.left());
        const int right = std::max(0, covered.right() - (rect->x() - 1 + rect->width() - 1));
        m_editor->setOutsets(left, right);
        m_editor->setGeometry(rect->x() - 1 - left, rect->y() - 2, rect->width() + left + right,
                              height);
    } else {
        m_editor->setOutsets(0, 0);
        m_editor->setGeometry(rect->x(), rect->y() - 2, std::max(rect->width(), kMinEditorWidth),
                              height);
    }
    // Shown first: a hidden editor lays its text out at its last width (the other view's)
    // until it shows, and would fit its height to that.
    m_editor->show();
    if (changed) {
        m_editor->setFittedHeight(std::numeric_limits<double>::max());
        m_editor->fit();
        m_editor->setFittedHeight(m_editor->height());
    } else {
        m_editor->fit();
    }
    if (!canvas) {
        liftEditorIntoList();
    }
    m_editor->raise();
    m_lastEditing = editing;
}

void DocumentWindowController::moveEditorWithRows() {
    if (!m_document.session().snapshot.editing) {
        return;
    }
    // Follows the row (scrolled, resized, shown) without scrolling it back into view; an
    // editor placed only now takes the keys.
    const bool wasHidden = m_editor->isHidden();
    placeEditor(false);
    if (wasHidden) {
        followEditing(window()->focusWidget(), false);
    }
}

void DocumentWindowController::liftEditorIntoList() {
    // The list cannot scroll past its last row: an editor grown below the view's bottom rises
    // over the rows above it, its box hiding them, so that the text typed stays in sight. One
    // as tall as its row stays on it, even where the view cuts the row off.
    if (!m_editor->drawsBackground()) {
        return;
    }
    const int bottom = m_list->view()->viewport()->height();
    const QRect geometry = m_editor->geometry();
    const int past = geometry.bottom() + 1 - bottom;
    if (past > 0 && geometry.top() > 0) {
        m_editor->move(geometry.left(), std::max(0, geometry.top() - past));
    }
}

void DocumentWindowController::hideEditor() {
    if (m_editor->hasFocus()) {
        contentViewFor(m_document.session().snapshot.view)->setFocus(Qt::OtherFocusReason);
    }
    m_editor->hide();
}

void DocumentWindowController::styleEditor(const Item& item, bool note) {
    const auto& delegate = m_list->delegate();
    QFont font = note ? delegate.noteFont() : delegate.titleFont(item);
    if (showsCanvas()) {
        // The canvas's fonts, magnified with the drawing.
        font = note ? CanvasBlockStyle::noteFont() : CanvasBlockStyle::titleFont(item);
        font.setPointSizeF(font.pointSizeF() * m_canvas->magnification());
    }
    font.setUnderline(!note && item.underline);
    m_editor->setFont(font);
    QPalette palette = m_list->view()->palette();
    if (note) {
        palette.setColor(QPalette::Text, Appearances::secondaryText(palette));
    }
    m_editor->setPalette(palette);
}

void DocumentWindowController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A tab or window made while an item is edited: its editor takes the keys now it shows.
    followEditing(window()->focusWidget(), false);
}

void DocumentWindowController::focusEditor() {
    if (!m_editor->isVisible()) {
        // A tab or window still being made: the focus would land nowhere; the editor takes it
        // when the view shows.
        return;
    }
    if (window()->focusWidget() == m_editor) {
        return;
    }
    m_movingFocus = true;
    m_editor->setFocus(Qt::OtherFocusReason);
    m_movingFocus = false;
    if (m_reloadAfterFocus) {
        m_reloadAfterFocus = false;
        refresh();
    }
}

QString DocumentWindowController::statusText() const {
    QString text = localizedFormat(
        QStringLiteral("status.itemCount %lld"),
        {QVariant::fromValue<qlonglong>(m_document.session().snapshot.document.itemCount())});
    const QString path = m_document.filePath();
    // What keeps the file from holding what the window shows comes before when it was saved.
    if (!m_notice.isEmpty()) {
        text += QStringLiteral("  ·  ") + m_notice;
    } else if (m_document.isSaving()) {
        text += QStringLiteral("  ·  ") + localized(QStringLiteral("status.saving"));
    } else if (const QString problem = m_document.fileProblemText(); !problem.isEmpty()) {
        text += QStringLiteral("  ·  ") + problem;
    } else if (!m_document.statusNote().isEmpty()) {
        text += QStringLiteral("  ·  ") + m_document.statusNote();
    } else if (!path.isEmpty()) {
        const QFileInfo file(path);
        if (file.exists()) {
            text += QStringLiteral("  ·  ") +
                    localizedFormat(QStringLiteral("status.savedWhen %@"),
                                    {Localization::relativeTime(file.lastModified(),
                                                                QDateTime::currentDateTime())});
        }
    }
    return text;
}

void DocumentWindowController::updateStatus() {
    m_status->setText(statusText());
}

void DocumentWindowController::refuseTooDeep() {
    QApplication::beep();
    m_notice = localized(QStringLiteral("status.tooDeep"));
    m_noticeTimer->start();
    updateStatus();
}

void DocumentWindowController::applyAppearance() {
    m_list->setAppearance(m_appearance);
    m_listPaper->setAppearance(m_appearance);
    // The canvas is drawn by the refresh that follows, and only when it is shown.
    if (!m_editor->isHidden()) {
        placeEditor();
    }
}

void DocumentWindowController::preferencesChanged() {
    Preferences preferences;
    m_document.applyEditorPreferences(preferences);
    m_document.applyDisplayPreferences(preferences);
    m_appearance = Appearance::fromPreferences(preferences);
    applyAppearance();
    refresh();
}

void DocumentWindowController::languageChanged() {
    m_document.applyEditorPreferences(Preferences());
    m_toolbar->relocalize();
    m_hoistBar->relocalize();
    updateStatus();
}

void DocumentWindowController::applyStoredZoom() {
    const double zoom = OutlineZoom::stored();
    m_list->setZoom(zoom);
    const QSignalBlocker quiet(m_canvas);
    m_canvas->setMagnification(zoom);
}

void DocumentWindowController::zoomChanged() {
    applyStoredZoom();
    refresh();
}

void DocumentWindowController::zoomIn() {
    OutlineZoom::zoomIn();
}

void DocumentWindowController::zoomOut() {
    OutlineZoom::zoomOut();
}

void DocumentWindowController::actualSize() {
    OutlineZoom::actualSize();
}

} // namespace velmora
