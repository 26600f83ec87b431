// The input half of the document window: key routing and the clipboard.
#include "app/views/document_window_controller.hpp"

#include "app/shell/menu_keys.hpp"
#include "app/shell/velmora_document.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/key_router.hpp"
#include "app/views/list_outline_controller.hpp"
#include "core/commands/key_map.hpp"
#include "core/formats/item_clipboard.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/session/editor_session.hpp"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>
#include <iterator>

namespace velmora {
namespace {

const QString kItemsType = QString::fromLatin1(ItemClipboard::pasteboardType.data(),
                                               qsizetype(ItemClipboard::pasteboardType.size()));
const QString kMarkdownType = QStringLiteral("text/markdown");

// Whether the widget is a text field of its own (a search field, a palette), where keys type.
bool isOtherTextInput(const QWidget* widget, const QWidget* editor) {
    if (!widget || widget == editor) {
        return false;
    }
    return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QTextEdit*>(widget) ||
           qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget);
}

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

// The items of pasted text: a Markdown list when the text has list items or headings,
// otherwise indented lines.
std::vector<Item> itemsFromText(const std::string& text, bool markdown) {
    if (markdown || MarkdownCodec::looksLikeMarkdown(text)) {
        auto document = MarkdownCodec::decode(text, {});
        if (document.ok() && !document.value().items.empty()) {
            return document.value().items.toVector();
        }
    }
    return ItemClipboard::itemsFromPlainText(text, TreeIDs::make).toVector();
}

} // namespace

KeyContext DocumentWindowController::keyContext(const QWidget* receiver) const {
    const auto& editing = m_document.session().snapshot.editing;
    if (receiver != m_editor || !editing) {
        return KeyContext::outline;
    }
    return editing->isNote() ? KeyContext::note : KeyContext::editing;
}

bool DocumentWindowController::menuCarries(const KeyChord& chord) const {
    // A shifted symbol key arrives as the symbol it types (Ctrl+Shift+/ as Ctrl+?), so a menu
    // shortcut written with the key itself never fires: the window performs such chords.
    static constexpr PhysicalKey symbols[] = {
        PhysicalKey::slash,  PhysicalKey::quote,       PhysicalKey::period,
        PhysicalKey::comma,  PhysicalKey::bracketLeft, PhysicalKey::bracketRight};
    if (chord.modifiers.contains(KeyModifiers::shift) &&
        std::find(std::begin(symbols), std::end(symbols), chord.key) != std::end(symbols)) {
        return false;
    }
    const QKeySequence sequence = MenuKeys::sequence(chord);
    for (const QAction* action : window()->findChildren<QAction*>()) {
        if (action->isEnabled() && action->shortcuts().contains(sequence)) {
            return true;
        }
    }
    return false;
}

std::optional<DocumentWindowController::KeyRoute>
DocumentWindowController::routeKey(QWidget* receiver, const QKeyEvent& event) const {
    if (receiver == m_editor && m_editor->isComposing()) {
        return std::nullopt;
    }
    if (isOtherTextInput(receiver, m_editor) || isInLibrary(receiver)) {
        return std::nullopt;
    }
    const auto chord = PhysicalKeys::chord(event);
    if (!chord) {
        return std::nullopt;
    }
    const EditorSession& session = m_document.session();
    const KeyContext context = keyContext(receiver);
    if (chord->modifiers.contains(KeyModifiers::command)) {
        const auto action =
            KeyMap::resolve(*chord, context, session.preferences, false, ViewMode::list);
        if (!action) {
            return std::nullopt;
        }
        // A chord a menu item shows is left to that item; an alias is performed here.
        if (*action != Action::commit &&
            KeyMap::primaryChord(*action, session.preferences) == *chord && menuCarries(*chord)) {
            return std::nullopt;
        }
        return KeyRoute{KeyRoute::Kind::perform, *action, 0};
    }
    if (context == KeyContext::outline && chord->modifiers == KeyModifiers::shift &&
        (chord->key == PhysicalKey::up || chord->key == PhysicalKey::down)) {
        return KeyRoute{KeyRoute::Kind::extendSelection, Action::edit,
                        chord->key == PhysicalKey::up ? -1 : 1};
    }
    const bool editingIsEmpty = context != KeyContext::outline && m_editor->document()->isEmpty();
    const auto action = KeyMap::resolve(*chord, context, session.preferences, editingIsEmpty,
                                        session.snapshot.view);
    if (!action) {
        return std::nullopt;
    }
    if (*action == Action::newline) {
        return KeyRoute{KeyRoute::Kind::newline, *action, 0};
    }
    return KeyRoute{KeyRoute::Kind::perform, *action, 0};
}

bool DocumentWindowController::handleKey(QWidget* receiver, const QKeyEvent& event) {
    const auto route = routeKey(receiver, event);
    if (!route) {
        return false;
    }
    switch (route->kind) {
    case KeyRoute::Kind::extendSelection: {
        const auto text = draft();
        apply([&](EditorSession& session) { return session.extendSelection(route->count, text); });
        refresh();
        break;
    }
    case KeyRoute::Kind::newline:
        focusEditor();
        m_editor->insertNewline();
        break;
    case KeyRoute::Kind::perform:
        perform(route->action);
        break;
    }
    return true;
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
