// The input half of the document window: keys and the clipboard.
#include "app/window/document_tab.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/key_router.hpp"
#include "app/views/canvas_scroll_area.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/clipboard_forms.hpp"
#include "app/window/editor_overlay.hpp"
#include "core/session/editor_session.hpp"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace velmora {
namespace {

// Where Home (-2), End (2) or a page key (-1, 1) goes on the canvas: along the blocks in
// outline order, from the selection a page of blocks on, never to a hoisted root.
std::optional<std::string> canvasGoal(const CanvasScene& scene,
                                      const std::optional<std::string>& selected, int count,
                                      int page) {
    switch (count) {
    case -2:
        return scene.firstItem();
    case 2:
        return scene.lastItem();
    default:
        return selected ? scene.itemAfter(*selected, std::int64_t(count) * page)
                        : scene.firstItem();
    }
}

// The same in the list, along its rows.
std::optional<std::string> listGoal(const ListOutlineModel& model,
                                    const std::optional<std::string>& hoistRoot,
                                    const std::optional<std::string>& selected, int count,
                                    int page) {
    const int rows = model.count();
    const auto idAt = [&](int row) { return model.rowAt(row).item().id; };
    // A hoisted root is the first row but no item to go to.
    const int first = rows > 1 && hoistRoot && idAt(0) == *hoistRoot ? 1 : 0;
    const int at = selected ? model.rowOf(*selected).value_or(first) : first;
    switch (count) {
    case -2:
        return idAt(first);
    case 2:
        return idAt(rows - 1);
    default:
        return idAt(std::clamp(selected ? at + count * page : first, first, rows - 1));
    }
}

} // namespace

bool DocumentTab::isOtherTextInput(const QWidget* widget) const {
    if (!widget || widget == m_editor) {
        return false;
    }
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget);
}

KeyContext DocumentTab::keyContext(const QWidget* receiver) const {
    const auto& editing = m_document.session().snapshot.editing;
    if (receiver != m_editor || !editing) {
        return KeyContext::outline;
    }
    return editing->isNote() ? KeyContext::note : KeyContext::editing;
}

// How a key press travels. The key router hands every key press inside this window's content
// here twice: first when Qt offers it to the shortcuts (claiming it there keeps every menu
// shortcut from firing on it), then as the press itself. Both ask this one function, so the
// two answers agree. An input method composing text, another text field (search, palette,
// inspector) and the library sidebar keep their keys; every other key is decided by the
// `KeyDispatcher` from the key map, in the context of the focus (navigating, typing a title or
// a note). What the window performs ends in `perform` (or a session call), which records the
// undo step and calls `refresh`; `refresh` redraws the views and places the editor from the
// session.
std::optional<DocumentTab::KeyRoute>
DocumentTab::dispatchKey(QWidget* receiver, const QKeyEvent& event) const {
    if (receiver == m_editor && m_editor->isComposing()) {
        return std::nullopt;
    }
    if (isOtherTextInput(receiver) || isInLibrary(receiver)) {
        return std::nullopt;
    }
    const EditorSession& session = m_document.session();
    KeyDispatcher::Situation situation;
    situation.context = keyContext(receiver);
    situation.preferences = session.preferences;
    situation.view = session.snapshot.view;
    situation.editingIsEmpty =
        situation.context != KeyContext::outline && m_editor->document()->isEmpty();
    return KeyDispatcher::route(event, situation);
}

std::optional<DocumentTab::KeyRoute>
DocumentTab::routeKey(QWidget* receiver, const QKeyEvent& event) const {
    return dispatchKey(receiver, event);
}

bool DocumentTab::takesKey(QWidget* receiver, const QKeyEvent& event) const {
    return dispatchKey(receiver, event).has_value();
}

bool DocumentTab::handleKey(QWidget* receiver, const QKeyEvent& event) {
    const std::optional<KeyRoute> dispatched = dispatchKey(receiver, event);
    if (!dispatched) {
        return false;
    }
    const KeyRoute& route = *dispatched;
    switch (route.kind) {
    case KeyRoute::Kind::extendSelection: {
        const auto text = draft();
        apply([&](EditorSession& session) { return session.extendSelection(route.count, text); });
        refresh();
        break;
    }
    case KeyRoute::Kind::newline:
        m_overlay->focus();
        m_editor->insertNewline();
        break;
    case KeyRoute::Kind::goTo:
        goTo(route);
        break;
    case KeyRoute::Kind::perform:
        perform(route.action);
        break;
    }
    return true;
}

// --- Home, End, Page Up and Page Down ------------------------------------------------------

int DocumentTab::pageRows() const {
    constexpr int kBlockGap = 8;
    const auto& selected = m_document.session().snapshot.selectedId;
    if (showsCanvas()) {
        const std::optional<CanvasBlock> block =
            selected ? m_canvas->scene().block(*selected) : std::nullopt;
        const double height =
            (block ? block->frame.height() : 24.0) * m_canvas->magnification() + kBlockGap;
        return std::max(1, static_cast<int>(m_canvasScroll->viewport()->height() / height));
    }
    const ListOutlineModel& model = m_list->model();
    const int row = selected ? model.rowOf(*selected).value_or(0) : 0;
    const int height =
        model.count() > 0 ? m_list->view()->visualRect(model.index(row)).height() : 0;
    return std::max(1, m_list->view()->viewport()->height() / std::max(1, height));
}

void DocumentTab::goTo(const KeyRoute& route) {
    const EditorSession& session = m_document.session();
    const bool canvas = showsCanvas();
    const CanvasScene& scene = m_canvas->scene();
    const ListOutlineModel& model = m_list->model();
    const std::int64_t count = canvas ? scene.tree->shown : model.count();
    if (count == 0) {
        return;
    }
    const int page = pageRows();
    const auto text = draft();
    if (route.extend) {
        // Among siblings, as Shift+Up and Shift+Down: to the first or last, or a page on.
        const int steps = std::abs(route.count) == 2
                              ? static_cast<int>(std::min<std::int64_t>(count, INT_MAX))
                              : page;
        apply([&](EditorSession& s) {
            return s.extendSelection(route.count < 0 ? -steps : steps, text);
        });
        refresh();
        return;
    }
    const auto& selected = session.snapshot.selectedId;
    const std::optional<std::string> target =
        canvas ? canvasGoal(scene, selected, route.count, page)
               : listGoal(model, session.hoistRoot(), selected, route.count, page);
    if (!target) {
        return;
    }
    apply([&](EditorSession& s) { return s.select(*target, text); });
    refresh();
}

// --- Clipboard --------------------------------------------------------------------------------

void DocumentTab::copy() {
    const std::vector<Item> items = m_document.session().copySelection();
    if (items.empty()) {
        QApplication::beep();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(
        ClipboardForms::encode(items, m_document.session().checksVisible));
}

void DocumentTab::cut() {
    const auto text = draft();
    std::vector<Item> items;
    apply([&](EditorSession& session) {
        auto result = session.cutSelection(text);
        items = std::move(result.items);
        return result.command;
    });
    if (!items.empty()) {
        QGuiApplication::clipboard()->setMimeData(
            ClipboardForms::encode(items, m_document.session().checksVisible));
    }
    refresh();
}

void DocumentTab::paste() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) {
        QApplication::beep();
        return;
    }
    const std::vector<Item> items = ClipboardForms::decode(*mime);
    if (items.empty()) {
        QApplication::beep();
        return;
    }
    if (m_document.session().pasteNestsTooDeep(items)) {
        refuseTooDeep();
        return;
    }
    const auto text = draft();
    apply([&](EditorSession& session) { return session.paste(items, text); });
    refresh();
}

void DocumentTab::selectAll() {
    const auto text = draft();
    apply([&](EditorSession& session) { return session.selectAll(text); });
    refresh();
}

bool DocumentTab::runEditCommand(EditCommand command) {
    switch (command) {
    case EditCommand::copy:
        copy();
        return true;
    case EditCommand::cut:
        cut();
        return true;
    case EditCommand::paste:
        paste();
        return true;
    case EditCommand::selectAll:
        selectAll();
        return true;
    }
    return false;
}

} // namespace velmora
