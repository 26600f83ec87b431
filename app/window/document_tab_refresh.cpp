// The redrawing half of the document window: refresh, the status line, appearance, zoom and the
// application-wide announcements.
#include "app/window/document_tab.hpp"

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
#include "app/window/editor_overlay.hpp"
#include "app/window/hoist_bar.hpp"
#include "app/window/window_toolbar.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QSignalBlocker>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora {
namespace {

// Trees at least this big get their id index built in the background after a change.
constexpr std::int64_t kPreparedLookupItems = 2048;

} // namespace

void DocumentTab::refresh() {
    if (m_overlay->deferRefresh()) {
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
    m_overlay->place();
    if (session.snapshot.selectedId && !session.snapshot.editing && !showsCanvas()) {
        m_list->scrollToItem(*session.snapshot.selectedId);
    }
    m_overlay->followEditing(focusBefore, switchedView && focusHere);
    prepareLookups();
}

void DocumentTab::prepareLookups() {
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

QWidget* DocumentTab::contentViewFor(ViewMode view) const {
    return m_overlay ? m_overlay->viewFor(view) : m_list->view();
}

void DocumentTab::showContentView() {
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

void DocumentTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A tab or window made while an item is edited: its editor takes the keys now it shows.
    m_overlay->followEditing(window()->focusWidget(), false);
}

QString DocumentTab::statusText() const {
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

void DocumentTab::updateStatus() {
    m_status->setText(statusText());
}

void DocumentTab::refuseTooDeep() {
    QApplication::beep();
    m_notice = localized(QStringLiteral("status.tooDeep"));
    m_noticeTimer->start();
    updateStatus();
}

void DocumentTab::applyAppearance() {
    m_list->setAppearance(m_appearance);
    m_listPaper->setAppearance(m_appearance);
    // The canvas is drawn by the refresh that follows, and only when it is shown.
    if (!m_editor->isHidden()) {
        m_overlay->place();
    }
}

void DocumentTab::preferencesChanged() {
    Preferences preferences;
    m_document.applyEditorPreferences(preferences);
    m_document.applyDisplayPreferences(preferences);
    m_appearance = Appearance::fromPreferences(preferences);
    applyAppearance();
    refresh();
}

void DocumentTab::languageChanged() {
    m_document.applyEditorPreferences(Preferences());
    m_toolbar->relocalize();
    m_hoistBar->relocalize();
    updateStatus();
}

void DocumentTab::applyStoredZoom() {
    const double zoom = OutlineZoom::stored();
    m_list->setZoom(zoom);
    const QSignalBlocker quiet(m_canvas);
    m_canvas->setMagnification(zoom);
}

void DocumentTab::zoomChanged() {
    applyStoredZoom();
    refresh();
}

void DocumentTab::zoomIn() {
    OutlineZoom::zoomIn();
}

void DocumentTab::zoomOut() {
    OutlineZoom::zoomOut();
}

void DocumentTab::actualSize() {
    OutlineZoom::actualSize();
}

} // namespace velmora
