// The gestures the views report: clicks on rows, disclosures, checks and the background, a
// jump to an item, and column drags of the canvas.
#include "app/window/document_tab.hpp"

#include "app/document/velmora_document.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/window/editor_overlay.hpp"
#include "core/layout/column_widths.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session.hpp"

#include <QGuiApplication>

namespace velmora {

void DocumentTab::rowSelected(const std::string& id) {
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    const auto text = draft();
    apply([&](EditorSession& session) {
        if (modifiers.testFlag(Qt::ControlModifier)) {
            return session.toggleSelection(id, text);
        }
        if (modifiers.testFlag(Qt::ShiftModifier)) {
            return session.extendSelection(id, text);
        }
        return session.select(id, text);
    });
    refresh();
}

void DocumentTab::rowToggled(const std::string& id) {
    flushEditor();
    apply([&](EditorSession& session) { return session.toggleCollapsed(id); });
    refresh();
}

void DocumentTab::rowChecked(const std::string& id, bool checked) {
    apply([&](EditorSession& session) { return session.setChecked(id, checked); });
    refresh();
}

void DocumentTab::rowEdited(const std::string& id) {
    const auto text = draft();
    apply([&](EditorSession& session) { return session.select(id, text); });
    perform(Action::edit);
}

void DocumentTab::backgroundClicked() {
    flushEditor();
    if (m_document.session().snapshot.editing) {
        EditorSnapshot snapshot = m_document.session().snapshot;
        snapshot.editing.reset();
        m_performing = true;
        m_document.setSnapshot(snapshot);
        m_performing = false;
        refresh();
    }
    perform(Action::deselect);
}

void DocumentTab::jumpTo(const std::string& id) {
    flushEditor();
    apply([&id](EditorSession& session) { return session.jumpTo(id); });
    contentViewFor(m_document.session().snapshot.view)->setFocus(Qt::OtherFocusReason);
    refresh();
}

void DocumentTab::columnResized(int depth, double width, bool ended) {
    const auto marginColumn = m_appearance.paperStyle == PaperStyle::margin
                                  ? std::optional(m_appearance.paperMargin)
                                  : std::nullopt;
    apply([&](EditorSession& session) {
        return m_columnDrag.apply(session, depth, width, ended, marginColumn);
    });
    if (ended) {
        refresh();
    } else {
        // While dragging only the canvas follows; the rest refreshes when the drag ends.
        reloadCanvas();
        m_overlay->place(false);
    }
}

} // namespace velmora
