// The input half of the document window: the key dispatcher and the clipboard.
#include "app/window/document_window_controller.hpp"

#include "app/document/velmora_document.hpp"
#include "app/platform/key_router.hpp"
#include "app/platform/menu_keys.hpp"
#include "app/views/canvas_scroll_area.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/main_menu.hpp"
#include "core/commands/key_map.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/formats/org_codec.hpp"
#include "core/session/editor_session.hpp"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace velmora {
namespace {

const QString kItemsType = QString::fromLatin1(ItemClipboard::pasteboardType.data(),
                                               qsizetype(ItemClipboard::pasteboardType.size()));
const QString kMarkdownType = QStringLiteral("text/markdown");

// The clipboard forms of the items: the private one with every field, a Markdown list (with
// task markers when the document shows checks) and indented text.
QMimeData* clipboardData(const std::vector<Item>& items, bool checksVisible) {
    const ItemList list(items);
    auto* mime = new QMimeData;
    mime->setData(kItemsType, QByteArray::fromStdString(ItemClipboard::opmlText(list)));
    mime->setData(kMarkdownType, QByteArray::fromStdString(
                                     MarkdownCodec::encode(list, {.taskMarkers = checksVisible})));
    mime->setText(QString::fromStdString(ItemClipboard::plainText(list)));
    return mime;
}

// The items of pasted text: Org when the text has Org headlines (not mere "* " bullets), a
// Markdown list when it has list items or headings, otherwise indented lines.
std::vector<Item> itemsFromText(const std::string& text, bool markdown) {
    if (!markdown && OrgCodec::looksLikeOrg(text)) {
        auto document = OrgCodec::decode(text, {});
        if (document.ok() && !document.value().items.empty()) {
            return document.value().items.toVector();
        }
    }
    if (markdown || MarkdownCodec::looksLikeMarkdown(text)) {
        auto document = MarkdownCodec::decode(text, {});
        if (document.ok() && !document.value().items.empty()) {
            return document.value().items.toVector();
        }
    }
    return ItemClipboard::itemsFromPlainText(text, TreeIDs::make).toVector();
}

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

bool DocumentWindowController::isOtherTextInput(const QWidget* widget) const {
    if (!widget || widget == m_editor) {
        return false;
    }
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget);
}

KeyContext DocumentWindowController::keyContext(const QWidget* receiver) const {
    const auto& editing = m_document.session().snapshot.editing;
    if (receiver != m_editor || !editing) {
        return KeyContext::outline;
    }
    return editing->isNote() ? KeyContext::note : KeyContext::editing;
}

QAction* DocumentWindowController::menuItemForAction(Action action, const KeyChord& chord) const {
    auto* main = qobject_cast<QMainWindow*>(window());
    if (!main) {
        return nullptr;
    }
    // Undo and redo are the Edit menu's standard items; the other commands have items of their
    // own. Only the action's own item counts: on German the key of Ctrl+] also types "+".
    QAction* item =
        action == Action::undo   ? MainMenu::standardItem(main->menuBar(), StandardItem::undo)
        : action == Action::redo ? MainMenu::standardItem(main->menuBar(), StandardItem::redo)
                                 : MainMenu::actionItem(main->menuBar(), action);
    return item && item->shortcuts().contains(MenuKeys::sequence(chord)) ? item : nullptr;
}

// How a key press travels. The key router hands every key press inside this window's content
// here twice: first when Qt offers it to the shortcuts (claiming it there keeps every menu
// shortcut from firing on it), then as the press itself. Both ask this one function, so the
// two answers agree. In order:
//  1. An input method composing text, another text field (search, palette, inspector) and the
//     library sidebar keep their keys: the key goes through.
//  2. The key becomes chords: the key map's keys it stands for on the active keyboard layout,
//     with the modifiers held, in the context of the focus (navigating, typing a title or a
//     note). The first chord the key map resolves decides the action.
//  3. A chord a menu item shows runs that item, so a chord always runs the same way, from the
//     menu or the keyboard, on every layout, whether or not the item looks enabled. Any other
//     chord of the key map the window performs itself.
//  4. Keys the key map leaves out but navigation needs: Shift+Up/Down extend the selection,
//     Home, End, Page Up and Page Down go to the first, last, previous- or next-page item.
//  5. Anything else goes on to the focused widget: the item editor types it, the views ignore
//     it, and Qt's shortcuts get their turn.
// What the window performs ends in `perform` (or a session call), which records the undo step
// and calls `refresh`; `refresh` redraws the views and places the editor from the session.
DocumentWindowController::KeyDispatch
DocumentWindowController::dispatchKey(QWidget* receiver, const QKeyEvent& event) const {
    if (receiver == m_editor && m_editor->isComposing()) {
        return {};
    }
    if (isOtherTextInput(receiver) || isInLibrary(receiver)) {
        return {};
    }
    const EditorSession& session = m_document.session();
    const KeyContext context = keyContext(receiver);
    const bool editingIsEmpty = context != KeyContext::outline && m_editor->document()->isEmpty();
    for (const KeyChord& chord : PhysicalKeys::chords(event)) {
        const bool command = chord.modifiers.contains(KeyModifiers::command);
        const auto action =
            KeyMap::resolve(chord, context, session.preferences, command ? false : editingIsEmpty,
                            command ? ViewMode::list : session.snapshot.view);
        if (!action) {
            continue;
        }
        if (QAction* item = menuItemForAction(*action, chord)) {
            return {item, std::nullopt};
        }
        if (*action == Action::newline) {
            return {nullptr, KeyRoute{KeyRoute::Kind::newline, *action, 0, false}};
        }
        return {nullptr, KeyRoute{KeyRoute::Kind::perform, *action, 0, false}};
    }
    if (context != KeyContext::outline) {
        return {};
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool shift = modifiers == Qt::ShiftModifier;
    if (!shift && modifiers != Qt::NoModifier) {
        return {};
    }
    const auto route = [shift](KeyRoute::Kind kind, int count) {
        return KeyDispatch{nullptr, KeyRoute{kind, Action::edit, count, shift}};
    };
    switch (event.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        return shift ? route(KeyRoute::Kind::extendSelection, event.key() == Qt::Key_Up ? -1 : 1)
                     : KeyDispatch{};
    case Qt::Key_Home:
        return route(KeyRoute::Kind::goTo, -2);
    case Qt::Key_End:
        return route(KeyRoute::Kind::goTo, 2);
    case Qt::Key_PageUp:
        return route(KeyRoute::Kind::goTo, -1);
    case Qt::Key_PageDown:
        return route(KeyRoute::Kind::goTo, 1);
    default:
        return {};
    }
}

std::optional<DocumentWindowController::KeyRoute>
DocumentWindowController::routeKey(QWidget* receiver, const QKeyEvent& event) const {
    return dispatchKey(receiver, event).route;
}

bool DocumentWindowController::takesKey(QWidget* receiver, const QKeyEvent& event) const {
    const KeyDispatch dispatch = dispatchKey(receiver, event);
    return dispatch.menuItem || dispatch.route;
}

bool DocumentWindowController::handleKey(QWidget* receiver, const QKeyEvent& event) {
    const KeyDispatch dispatch = dispatchKey(receiver, event);
    if (dispatch.menuItem) {
        MainMenu::runItem(dispatch.menuItem);
        return true;
    }
    if (!dispatch.route) {
        return false;
    }
    const KeyRoute& route = *dispatch.route;
    switch (route.kind) {
    case KeyRoute::Kind::extendSelection: {
        const auto text = draft();
        apply([&](EditorSession& session) { return session.extendSelection(route.count, text); });
        refresh();
        break;
    }
    case KeyRoute::Kind::newline:
        focusEditor();
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

int DocumentWindowController::pageRows() const {
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

void DocumentWindowController::goTo(const KeyRoute& route) {
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

void DocumentWindowController::copy() {
    const std::vector<Item> items = m_document.session().copySelection();
    if (items.empty()) {
        QApplication::beep();
        return;
    }
    QGuiApplication::clipboard()->setMimeData(
        clipboardData(items, m_document.session().checksVisible));
}

void DocumentWindowController::cut() {
    const auto text = draft();
    std::vector<Item> items;
    apply([&](EditorSession& session) {
        auto result = session.cutSelection(text);
        items = std::move(result.items);
        return result.command;
    });
    if (!items.empty()) {
        QGuiApplication::clipboard()->setMimeData(
            clipboardData(items, m_document.session().checksVisible));
    }
    refresh();
}

void DocumentWindowController::paste() {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    if (!mime) {
        QApplication::beep();
        return;
    }
    std::vector<Item> items;
    if (mime->hasFormat(kItemsType)) {
        if (auto parsed = ItemClipboard::itemsFromOPML(mime->data(kItemsType).toStdString())) {
            items = parsed->toVector();
        }
    }
    if (items.empty() && mime->hasFormat(kMarkdownType)) {
        items = itemsFromText(mime->data(kMarkdownType).toStdString(), true);
    }
    if (items.empty() && mime->hasText()) {
        items = itemsFromText(mime->text().toStdString(), false);
    }
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

void DocumentWindowController::selectAll() {
    const auto text = draft();
    apply([&](EditorSession& session) { return session.selectAll(text); });
    refresh();
}

bool DocumentWindowController::runEditCommand(EditCommand command) {
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
