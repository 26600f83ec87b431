// The document window driven as a user drives it: typing, keys, clicks, the hoist bar and the
// clipboard, through the real window with its menus.
#include "app/platform/localization.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/hoist_bar.hpp"
#include "app/window/jump_panel.hpp"
#include "app/window/main_menu.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QClipboard>
#include <QListWidget>
#include <QMenu>
#include <QTabBar>
#include <QMimeData>
#include <QToolButton>
#include <QUndoStack>

using namespace velmora;
using test::WindowFixture;

namespace {

Item itemWith(std::string id, std::string text, std::vector<Item> children = {}) {
    Item item = Item::blank(std::move(id), std::move(text));
    item.children = ItemList(std::move(children));
    return item;
}

// A list-view state over the items with the item selected.
EditorSnapshot outline(std::vector<Item> items, std::optional<std::string> selected) {
    EditorSnapshot snapshot;
    snapshot.document = TreeDocument{"doc", "Test", ItemList(std::move(items))};
    snapshot.selectedId = std::move(selected);
    snapshot.view = ViewMode::list;
    return snapshot;
}

// A widget of another window that keeps the keys it receives.
class KeyRecorder : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.append(event->key()); }
};

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
public:
    explicit WindowTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = std::make_unique<WindowFixture>();
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
    }
    void cleanup() { m_app.reset(); }

    void typingReturnTabAndUndoBuildAnOutline() {
        Preferences().setString(PreferenceKeys::returnWhileTyping,
                                QStringLiteral("finishAndAddNext"));
        m_app->newDocument();
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral("Groceries"));
        WindowFixture::key(Qt::Key_Return);
        const auto& items = [this]() -> const ItemList& {
            return m_app->session().snapshot.document.items;
        };
        QCOMPARE(items().size(), 2u);
        QCOMPARE(items()[0].text, std::string("Groceries"));
        QCOMPARE(WindowFixture::focus(), &m_app->editor());

        WindowFixture::key(Qt::Key_Tab);
        QCOMPARE(items().size(), 1u);
        QCOMPARE(items()[0].children.size(), 1u);
        // Indenting the item being typed keeps its editor open: typing goes on in it.
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral("Milk"));
        // Typing reaches the session only with the next command.
        QCOMPARE(items()[0].children[0].text, std::string());
        WindowFixture::key(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(items().size(), 2u);
        QCOMPARE(items()[1].text, std::string("Milk"));

        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(items().size(), 1u);
        const Item& child = items()[0].children[0];
        QCOMPARE(child.text, std::string());
        QCOMPARE(m_app->session().snapshot.editing, EditingTarget::item(child.id));
        QCOMPARE(m_app->editor().toPlainText(), QString());
    }

    void undoWhileTypingRecordsTheTextAndRestoresTheOldOne() {
        m_app->newDocument();
        WindowFixture::type(QStringLiteral("Plan"));
        WindowFixture::key(Qt::Key_Return);
        WindowFixture::key(Qt::Key_Return); // edits the item again
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral(" trip"));
        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Plan"));
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("Plan"));
        // Redo brings the typed text back as one record.
        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Plan trip"));
    }

    void commandChordsAndTheirAliasesArePerformedByTheWindow() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "Alpha")}, "a"));
        m_app->list().setFocus();
        QWidget* list = &m_app->list();
        const auto route = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
            QKeyEvent event(QEvent::KeyPress, key, modifiers);
            return m_app->window().routeKey(list, event);
        };
        // Ctrl+B is the chord the menu item shows; Ctrl+Meta+9 is an alias of the same action.
        // Both are decided by the key map, whether or not a menu shows them.
        const auto shown = route(Qt::Key_B, Qt::ControlModifier);
        QVERIFY(shown);
        QCOMPARE(shown->action, Action::toggleBold);
        const auto alias = route(Qt::Key_9, Qt::ControlModifier | Qt::MetaModifier);
        QVERIFY(alias);
        QCOMPARE(alias->action, Action::toggleBold);

        WindowFixture::key(Qt::Key_B, Qt::ControlModifier);
        QVERIFY(m_app->session().snapshot.document.items[0].bold);
        WindowFixture::key(Qt::Key_9, Qt::ControlModifier | Qt::MetaModifier);
        QVERIFY(!m_app->session().snapshot.document.items[0].bold);
        QCOMPARE(m_app->document().undoStack()->count(), 2);
    }

    // Plasma and GNOME Shell keep Meta+Ctrl+arrows and Super+Ctrl+digits: the Alt+Shift chords
    // the menus show move and label items, from the outline and while typing; the Meta chords
    // still work where the desktop leaves them.
    void desktopChordsMoveAndLabelItems() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A"), itemWith("b", "B")}, "b"));
        m_app->list().setFocus();
        const auto& items = [this]() -> const auto& {
            return m_app->session().snapshot.document.items;
        };
        WindowFixture::key(Qt::Key_Up, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(items()[0].text, std::string("B"));
        WindowFixture::key(Qt::Key_3, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(items()[0].color, std::optional(ColorLabel::yellow));
        WindowFixture::key(Qt::Key_Down, Qt::ControlModifier | Qt::MetaModifier);
        QCOMPARE(items()[1].text, std::string("B"));

        WindowFixture::key(Qt::Key_Return); // edit B
        WindowFixture::type(QStringLiteral("!"));
        WindowFixture::key(Qt::Key_Up, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(items()[0].text, std::string("B!"));
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("B!"));
    }

    void backspaceOnAnEmptyTitleDeletesTheItem() {
        m_app->newDocument();
        EditorSnapshot snapshot = outline({itemWith("a", "Alpha"), itemWith("b", "")}, "b");
        snapshot.editing = EditingTarget::item("b");
        m_app->load(snapshot);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral("x"));
        WindowFixture::key(Qt::Key_Backspace);
        // The first Backspace removes the typed letter; the second, on the empty title, the item.
        QCOMPARE(m_app->session().snapshot.document.items.size(), 2u);
        WindowFixture::key(Qt::Key_Backspace);
        QCOMPARE(m_app->session().snapshot.document.items.size(), 1u);
        QCOMPARE(m_app->session().snapshot.selectedId, std::optional<std::string>("a"));
    }

    void shiftDownExtendsTheSelectionAmongSiblingsOnly() {
        m_app->newDocument();
        m_app->load(outline(
            {itemWith("a", "A", {itemWith("a1", "A1")}), itemWith("b", "B"), itemWith("c", "C")},
            "a"));
        m_app->list().setFocus();
        using Ids = std::vector<std::string>;
        WindowFixture::key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(m_app->session().selectedIDs(), (Ids{"a", "b"}));
        WindowFixture::key(Qt::Key_Down, Qt::ShiftModifier);
        WindowFixture::key(Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(m_app->session().selectedIDs(), (Ids{"a", "b", "c"}));
        // The list shows the same selection.
        QCOMPARE(m_app->list().selectionModel()->selectedRows().size(), 3);
        // While typing, Shift+Down belongs to the text.
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        QKeyEvent event(QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier);
        QVERIFY(!m_app->window().routeKey(&m_app->editor(), event));
    }

    void clickingADisclosureCollapsesWithAnUndoRecord() {
        m_app->newDocument();
        m_app->load(outline({itemWith("p", "Parent", {itemWith("c", "Child")})}, "p"));
        QCOMPARE(m_app->window().list().model().count(), 2);
        const auto row = *m_app->window().list().model().rowOf("p");
        const auto geometry = m_app->window().list().delegate().geometry(row, m_app->rowRect("p"));
        m_app->click(geometry.disclosure.center());
        QVERIFY(m_app->session().snapshot.document.items[0].collapsed);
        QCOMPARE(m_app->window().list().model().count(), 1);
        QCOMPARE(m_app->document().undoStack()->undoText(),
                 localized(QStringLiteral("undo.collapse")));
        m_app->click(geometry.disclosure.center());
        QCOMPARE(m_app->window().list().model().count(), 2);
    }

    void aCheckBoxClickInAMultiSelectionChecksEveryItem() {
        m_app->newDocument();
        Item checked = itemWith("b", "B");
        checked.checked = true;
        m_app->load(outline({itemWith("a", "A"), checked, itemWith("c", "C")}, "a"));
        m_app->click(m_app->titlePoint("c"), Qt::ShiftModifier);
        QCOMPARE(m_app->session().selectedIDs().size(), 3u);
        const auto row = *m_app->window().list().model().rowOf("a");
        const auto geometry = m_app->window().list().delegate().geometry(row, m_app->rowRect("a"));
        m_app->click(geometry.check.center());
        for (const Item& item : m_app->session().snapshot.document.items) {
            QVERIFY(item.checked);
        }
        QCOMPARE(m_app->session().selectedIDs().size(), 3u);
        QCOMPARE(m_app->document().undoStack()->undoText(),
                 localized(QStringLiteral("undo.check")));
    }

    void copyingAParentWithItsChildPastesFreshCopies() {
        m_app->newDocument();
        m_app->load(outline(
            {itemWith("p", "Parent", {itemWith("c", "Child")}), itemWith("s", "Sibling")}, "p"));
        m_app->list().setFocus();
        m_app->click(m_app->titlePoint("c"), Qt::ControlModifier);
        QCOMPARE(m_app->session().selectedIDs(), (std::vector<std::string>{"p", "c"}));
        WindowFixture::key(Qt::Key_C, Qt::ControlModifier);
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime->hasFormat(QStringLiteral("com.kestrum-software.ostrevo.items")));
        QCOMPARE(mime->text(), QStringLiteral("Parent\n\tChild"));
        QCOMPARE(mime->data(QStringLiteral("text/markdown")),
                 QByteArray("- [ ] Parent\n  - [ ] Child\n"));

        m_app->click(m_app->titlePoint("s"));
        WindowFixture::key(Qt::Key_V, Qt::ControlModifier);
        const ItemList& items = m_app->session().snapshot.document.items;
        QCOMPARE(items.size(), 3u);
        const Item& pasted = items[2];
        QCOMPARE(pasted.text, std::string("Parent"));
        QCOMPARE(pasted.children.size(), 1u);
        QCOMPARE(pasted.children[0].text, std::string("Child"));
        QVERIFY(pasted.id != "p" && pasted.children[0].id != "c");
        QCOMPARE(m_app->session().snapshot.selectedId, std::optional(pasted.id));
        QCOMPARE(m_app->document().undoStack()->undoText(),
                 localized(QStringLiteral("undo.paste")));
    }

    void plainTextIsPastedWhenThePrivateFormIsMissing() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A")}, "a"));
        m_app->list().setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("Eggs\n\tBrown\n"));
        WindowFixture::key(Qt::Key_V, Qt::ControlModifier);
        const ItemList& items = m_app->session().snapshot.document.items;
        QCOMPARE(items.size(), 2u);
        QCOMPARE(items[1].text, std::string("Eggs"));
        QCOMPARE(items[1].children[0].text, std::string("Brown"));
    }

    void markdownTextIsPastedAsAListWithNotesAndChecks() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A")}, "a"));
        m_app->list().setFocus();
        // Indented text would make "Two spaces in" a child and "- [x] Milk" a title of its own.
        QGuiApplication::clipboard()->setText(
            QStringLiteral("# Shopping\n- [x] Milk\n  Two spaces in\n- Bread\n"));
        WindowFixture::key(Qt::Key_V, Qt::ControlModifier);
        const ItemList& items = m_app->session().snapshot.document.items;
        QCOMPARE(items.size(), 2u);
        QCOMPARE(items[1].text, std::string("Shopping"));
        QCOMPARE(items[1].children.size(), 2u);
        QCOMPARE(items[1].children[0].text, std::string("Milk"));
        QVERIFY(items[1].children[0].checked);
        QCOMPARE(items[1].children[0].note, std::string("Two spaces in"));

        // The Markdown form wins over plain text when both are offered.
        auto* mime = new QMimeData;
        mime->setText(QStringLiteral("Plain"));
        mime->setData(QStringLiteral("text/markdown"), QByteArray("- **Marked**\n"));
        QGuiApplication::clipboard()->setMimeData(mime);
        WindowFixture::key(Qt::Key_V, Qt::ControlModifier);
        const ItemList& after = m_app->session().snapshot.document.items;
        QCOMPARE(after.size(), 3u);
        QCOMPARE(after[2].text, std::string("Marked"));
        QVERIFY(after[2].bold);
    }

    void orgTextIsPastedAsHeadlinesWithNotesAndChecks() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A")}, "a"));
        m_app->list().setFocus();
        // As Markdown, "** DONE Milk" would be a bold-less paragraph of the first bullet.
        QGuiApplication::clipboard()->setText(
            QStringLiteral("* Shopping\n** DONE Milk :dairy:\nFrom the farm\n** Bread\n"));
        WindowFixture::key(Qt::Key_V, Qt::ControlModifier);
        const ItemList& items = m_app->session().snapshot.document.items;
        QCOMPARE(items.size(), 2u);
        QCOMPARE(items[1].text, std::string("Shopping"));
        QCOMPARE(items[1].children.size(), 2u);
        QCOMPARE(items[1].children[0].text, std::string("Milk"));
        QVERIFY(items[1].children[0].checked);
        QCOMPARE(items[1].children[0].note, std::string("From the farm"));
    }

    void hoistingWithTheKeyAndTheHoistBar() {
        m_app->newDocument();
        m_app->load(outline(
            {itemWith("p", "Projects", {itemWith("c", "Chapter")}), itemWith("s", "Shopping")},
            "p"));
        m_app->list().setFocus();
        HoistBar& bar = m_app->window().hoistBar();
        QVERIFY(bar.isHidden());
        WindowFixture::key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(m_app->session().snapshot.activeHoist);
        QVERIFY(!bar.isHidden());
        QCOMPARE(bar.height(), HoistBar::kHeight);
        const auto& model = m_app->window().list().model();
        QCOMPARE(model.count(), 2);
        QCOMPARE(model.rowAt(0).item().id, std::string("p"));

        auto* whole = bar.findChild<QToolButton*>(QStringLiteral("whole"));
        QVERIFY(whole && !whole->isChecked());
        whole->click();
        QVERIFY(!m_app->session().snapshot.activeHoist);
        QCOMPARE(m_app->window().list().model().count(), 3);

        const std::string tab = m_app->session().snapshot.hoistTabs.at(0).id;
        auto* button = bar.findChild<QToolButton*>(QString::fromStdString(tab));
        QVERIFY(button);
        QCOMPARE(button->text(), QStringLiteral("Projects"));
        button->click();
        QCOMPARE(m_app->session().snapshot.activeHoist, std::optional(tab));

        auto* close =
            bar.findChild<QToolButton*>(QStringLiteral("close:") + QString::fromStdString(tab));
        QVERIFY(close);
        close->click();
        QVERIFY(m_app->session().snapshot.hoistTabs.empty());
        QVERIFY(bar.isHidden());
        QCOMPARE(m_app->window().list().model().count(), 3);
    }

    // Titles are the user's text: an "&" in them is shown, never read as a mnemonic.
    void ampersandsInTitlesAreShownNotUnderlined() {
        m_app->newDocument();
        EditorSnapshot snapshot =
            outline({itemWith("p", "R&D", {itemWith("c", "Chapter")}), itemWith("s", "S")}, "p");
        snapshot.document.title = R"(Special <chars> & "quotes")";
        m_app->load(snapshot);
        auto* tabs = m_app->window().window()->findChild<QTabBar*>();
        QVERIFY(tabs);
        const QString tab = tabs->tabText(tabs->currentIndex());
        QVERIFY(QKeySequence::mnemonic(tab).isEmpty());
        QCOMPARE(QString(tab).replace(QStringLiteral("&&"), QStringLiteral("&")),
                 QStringLiteral(R"(Special <chars> & "quotes")"));

        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        const std::string hoisted = m_app->session().snapshot.hoistTabs.at(0).id;
        auto* button =
            m_app->window().hoistBar().findChild<QToolButton*>(QString::fromStdString(hoisted));
        QVERIFY(button);
        QVERIFY(QKeySequence::mnemonic(button->text()).isEmpty());
        QCOMPARE(button->text(), QStringLiteral("R&&D"));

        Preferences().setStringList(PreferenceKeys::recentDocuments,
                                    {m_app->controller().autosaveFolder() +
                                     QStringLiteral("/Tom & Jerry.quenlith")});
        QDir().mkpath(m_app->controller().autosaveFolder());
        QFile recent(Preferences().recentDocuments().first());
        QVERIFY(recent.open(QIODevice::WriteOnly));
        recent.close();
        auto* menu = m_app->window().window()->findChild<QMenu*>(QStringLiteral("openRecent"));
        QVERIFY(menu);
        emit menu->aboutToShow();
        QVERIFY(!menu->actions().isEmpty());
        QCOMPARE(menu->actions().first()->text(), QStringLiteral("Tom && Jerry.quenlith"));
    }

    void keysOfAnotherWindowAreNotConsumed() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A")}, "a"));
        KeyRecorder other;
        other.setFocusPolicy(Qt::StrongFocus);
        other.show();
        other.activateWindow();
        QApplication::setActiveWindow(&other);
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.setFocus();
        // Space toggles the check of the selected item in the document's outline.
        QTest::keyClick(&other, Qt::Key_Space);
        QTest::keyClick(&other, Qt::Key_Backspace);
        QCOMPARE(other.keys, (QList<int>{Qt::Key_Space, Qt::Key_Backspace}));
        QVERIFY(!m_app->session().snapshot.document.items[0].checked);
        QCOMPARE(m_app->session().snapshot.document.items.size(), 1u);
    }

    void tabInTheTreeViewAddsAChild() {
        m_app->newDocument();
        EditorSnapshot snapshot = outline({itemWith("a", "A")}, "a");
        snapshot.view = ViewMode::tree;
        m_app->load(snapshot);
        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_Tab);
        QCOMPARE(m_app->session().snapshot.document.items[0].children.size(), 1u);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
    }

    void splittingCutsAfterTheCharacterBeforeTheCaret() {
        m_app->newDocument();
        // An emoji with a skin tone and an "e" with a combining accent: one character each.
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("Hi \U0001F44D\U0001F3FD e\u0301nd"));
        QApplication::sendEvent(&m_app->editor(), &typed);
        QTextCursor cursor = m_app->editor().textCursor();
        cursor.setPosition(7); // after the emoji: 3 + 2 + 2 code units
        m_app->editor().setTextCursor(cursor);
        QCOMPARE(m_app->editor().caretInGraphemes(), 4);
        WindowFixture::key(Qt::Key_Return, Qt::ControlModifier | Qt::MetaModifier);
        const ItemList& items = m_app->session().snapshot.document.items;
        QCOMPARE(items.size(), 2u);
        QCOMPARE(QString::fromStdString(items[0].text), QStringLiteral("Hi \U0001F44D\U0001F3FD"));
        QCOMPARE(QString::fromStdString(items[1].text), QStringLiteral(" e\u0301nd"));
        QCOMPARE(m_app->session().snapshot.editing, EditingTarget::item(items[1].id));
    }

    void aClickOnTheBackgroundEndsEditingAndDeselects() {
        m_app->newDocument();
        WindowFixture::type(QStringLiteral("Only"));
        m_app->click(QPoint(100, m_app->list().viewport()->height() - 10));
        QVERIFY(!m_app->session().snapshot.editing);
        QVERIFY(!m_app->session().snapshot.selectedId);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Only"));
        QVERIFY(m_app->editor().isHidden());
    }

    void doubleClickEditsTheRow() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A"), itemWith("b", "B")}, "a"));
        QTest::mouseDClick(m_app->list().viewport(), Qt::LeftButton, Qt::NoModifier,
                           m_app->titlePoint("b"));
        QCOMPARE(m_app->session().snapshot.editing, EditingTarget::item("b"));
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("B"));
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
    }

    // Edits in the middle of a long list keep it where it was scrolled: checking, adding and
    // typing an item leave the same row at the top, with the new row under the one it was
    // added to and the editor over the new row.
    void editsKeepTheListScrolledWhereItWas() {
        m_app->newDocument();
        std::vector<Item> items;
        for (int n = 0; n < 400; ++n) {
            items.push_back(itemWith("i" + std::to_string(n), "Item " + std::to_string(n)));
        }
        m_app->load(outline(std::move(items), "i300"));
        const ListOutlineView& list = m_app->list();
        const auto& model = m_app->window().list().model();
        const auto topId = [&list] {
            return list.indexAt(QPoint(20, 2)).data(ListOutlineModel::IdRole).toString();
        };
        const QString top = topId();
        QVERIFY(!top.isEmpty() && top != QStringLiteral("i0"));
        // A row in the middle of the shown ones.
        const int middle = *model.rowOf(top.toStdString()) + 5;
        const std::string picked = model.rowAt(middle).item().id;
        m_app->click(m_app->titlePoint(picked));
        QCOMPARE(m_app->session().snapshot.selectedId, std::optional(picked));

        m_app->window().perform(Action::toggleCheck);
        QCOMPARE(topId(), top);
        m_app->window().perform(Action::addBelow);
        QCOMPARE(topId(), top);
        const auto added = m_app->session().snapshot.editing;
        QVERIFY(added);
        QCOMPARE(model.rowOf(added->id), std::optional(middle + 1));
        const auto editor = m_app->window().list().editorRect(added->id, false, false);
        QVERIFY(editor && list.viewport()->rect().contains(*editor));
        QVERIFY(m_app->rowRect(added->id).contains(editor->center()));
        WindowFixture::type(QStringLiteral("Fresh"));
        m_app->window().perform(Action::commit);
        QCOMPARE(topId(), top);
        QCOMPARE(model.rowAt(middle + 1).item().text, std::string("Fresh"));
    }

    void theStatusLineCountsTheItems() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A", {itemWith("b", "B")})}, "a"));
        QVERIFY(m_app->window().statusText().contains(QStringLiteral("2")));
    }

    void aColumnDragIsOneUndoRecordUnlessItEndsWhereItBegan() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A")}, "a"));
        QUndoStack& stack = *m_app->document().undoStack();
        const int before = stack.count();
        m_app->window().columnResized(1, 260, false);
        m_app->window().columnResized(1, 300, false);
        m_app->window().columnResized(1, 310, true);
        QCOMPARE(stack.count(), before + 1);
        QCOMPARE(stack.undoText(), localized(QStringLiteral("undo.column")));
        QCOMPARE(m_app->session().snapshot.columnWidths,
                 std::optional(std::vector<double>{220, 310}));
        stack.undo();
        QVERIFY(!m_app->session().snapshot.columnWidths);
        stack.redo();
        // Dragging back to where the drag began leaves nothing to undo.
        const int count = stack.count();
        m_app->window().columnResized(1, 350, false);
        m_app->window().columnResized(1, 310, true);
        QCOMPARE(stack.count(), count);
    }

    void zoomingScalesTheRowsOfEveryWindow() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A")}, "a"));
        const int height = m_app->rowRect("a").height();
        m_app->window().zoomIn();
        QCOMPARE(Preferences().outlineZoom(), 1.1);
        QVERIFY(m_app->rowRect("a").height() > height);
        for (int step = 0; step < 40; ++step) {
            m_app->window().zoomIn();
        }
        QCOMPARE(Preferences().outlineZoom(), 3.0);
        m_app->window().actualSize();
        QCOMPARE(m_app->rowRect("a").height(), height);
    }

    void optionReturnInsertsALineBreakWhileTyping() {
        m_app->newDocument();
        WindowFixture::type(QStringLiteral("Two"));
        const int height = m_app->editor().height();
        WindowFixture::key(Qt::Key_Return, Qt::AltModifier);
        WindowFixture::type(QStringLiteral("lines"));
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("Two\nlines"));
        QVERIFY(m_app->editor().height() > height);
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Two\nlines"));
    }

    void theMenusSelectAllSelectsTheOutline() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A"), itemWith("b", "B")}, "a"));
        m_app->list().setFocus();
        m_app->delegate().run(StandardItem::selectAll, m_app->window().window());
        QCOMPARE(m_app->session().selectedIDs(), (std::vector<std::string>{"a", "b"}));
        // In the editor the same command selects the text.
        WindowFixture::key(Qt::Key_Return);
        m_app->delegate().run(StandardItem::selectAll, m_app->window().window());
        QCOMPARE(m_app->editor().textCursor().selectedText(), QStringLiteral("A"));
    }

    // Edit ▸ Delete once did nothing while the outline had the focus.
    void theMenusDeleteRemovesTheSelectedItems() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "A"), itemWith("b", "B"), itemWith("c", "C")}, "b"));
        m_app->list().setFocus();
        m_app->delegate().run(StandardItem::deleteSelection, m_app->window().window());
        const auto& items = m_app->session().snapshot.document.items;
        QCOMPARE(items.size(), std::size_t{2});
        QCOMPARE(items[0].text + items[1].text, std::string("AC"));
        // One undo brings it back, as after Item ▸ Delete.
        m_app->delegate().run(StandardItem::undo, m_app->window().window());
        QCOMPARE(m_app->session().snapshot.document.items.size(), std::size_t{3});
        // While a title is edited, Delete acts on its text instead.
        m_app->click(m_app->titlePoint("b"));
        WindowFixture::key(Qt::Key_Return);
        m_app->delegate().run(StandardItem::selectAll, m_app->window().window());
        m_app->delegate().run(StandardItem::deleteSelection, m_app->window().window());
        QCOMPARE(m_app->editor().toPlainText(), QString());
        QCOMPARE(m_app->session().snapshot.document.items.size(), std::size_t{3});
    }

    void undoMovesTheSelectionOffItemsHiddenMeanwhile() {
        m_app->newDocument();
        Item done = itemWith("b", "B");
        done.checked = true;
        m_app->load(outline({itemWith("a", "A"), done}, "a"));
        // Select the checked item while everything is shown, then hide completed items.
        m_app->click(m_app->titlePoint("b"));
        WindowFixture::key(Qt::Key_Return); // edit b
        WindowFixture::type(QStringLiteral("!"));
        WindowFixture::key(Qt::Key_Return); // commit: an undo record that selects b
        m_app->window().perform(Action::hideCompleted);
        QCOMPARE(m_app->window().list().model().count(), 1);
        m_app->document().undoStack()->undo();
        QCOMPARE(m_app->session().snapshot.document.items[1].text, std::string("B"));
        QCOMPARE(m_app->session().snapshot.selectedId, std::optional<std::string>("a"));
        QVERIFY(!m_app->session().snapshot.editing);
    }

    void jumpingFindsAnItemAndOpensItsBranch() {
        m_app->newDocument();
        Item closed = itemWith("p", "Projects", {itemWith("g", "Garden shed")});
        closed.collapsed = true;
        m_app->load(outline({itemWith("a", "Alpha"), closed}, "a"));
        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_J, Qt::ControlModifier);
        JumpPanel& panel = m_app->window().jumpPanel();
        QVERIFY(panel.isVisible());
        QCOMPARE(panel.matches(QStringLiteral("GARDEN")), (std::vector<std::string>{"g"}));
        QCOMPARE(panel.matches(QStringLiteral("shed")), (std::vector<std::string>{"g"}));
        WindowFixture::type(QStringLiteral("garden"));
        WindowFixture::key(Qt::Key_Return);
        QVERIFY(!panel.isVisible());
        QCOMPARE(m_app->session().snapshot.selectedId, std::optional<std::string>("g"));
        QVERIFY(!m_app->session().snapshot.document.items[1].collapsed);
        QVERIFY(m_app->window().list().model().rowOf("g"));
        QCOMPARE(WindowFixture::focus(), &m_app->list());
        QCOMPARE(m_app->document().undoStack()->undoText(),
                 localized(QStringLiteral("undo.collapse")));
    }

    // Choosing an item that hiding completed items keeps out of sight would show nothing.
    void jumpListsOnlyItemsTheDocumentCanShow() {
        m_app->newDocument();
        Item done = itemWith("d", "Garden gate", {itemWith("dc", "Garden bench")});
        done.checked = true;
        m_app->load(outline({itemWith("a", "Garden shed"), done}, "a"));
        m_app->window().perform(Action::hideCompleted);
        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_J, Qt::ControlModifier);
        JumpPanel& panel = m_app->window().jumpPanel();
        QCOMPARE(panel.matches(QStringLiteral("garden")), (std::vector<std::string>{"a"}));
        WindowFixture::type(QStringLiteral("bench"));
        auto* rows = panel.findChild<QListWidget*>(QStringLiteral("jumpMatches"));
        QCOMPARE(rows->count(), 1);
        QCOMPARE(rows->item(0)->text(), localized(QStringLiteral("jump.hiddenNotListed")));
        QVERIFY(!(rows->item(0)->flags() & Qt::ItemIsEnabled));
        WindowFixture::key(Qt::Key_Escape);

        // Shown again, they are listed again.
        m_app->window().perform(Action::hideCompleted);
        WindowFixture::key(Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(panel.matches(QStringLiteral("garden")),
                 (std::vector<std::string>{"a", "d", "dc"}));
    }

    // Hiding the list that had the focus handed it to the tab bar: Up did nothing and Right
    // switched documents.
    void switchingTheViewLeavesTheKeysWithTheShownView() {
        m_app->controller().newDocument();
        m_app->newDocument();
        QCOMPARE(m_app->controller().windows().first()->documentCount(), 2);
        m_app->load(outline({itemWith("a", "A"), itemWith("b", "B"), itemWith("c", "C")}, "b"));
        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_2, Qt::ControlModifier);
        QCOMPARE(m_app->session().snapshot.view, ViewMode::tree);
        QCOMPARE(WindowFixture::focus(), &m_app->window().canvas());
        WindowFixture::key(Qt::Key_Up);
        QCOMPARE(m_app->session().snapshot.selectedId, std::optional<std::string>("a"));
        WindowFixture::key(Qt::Key_Right);
        QCOMPARE(m_app->controller().currentDocument(), &m_app->document());

        // Through the menu, and with an editor open, which keeps the focus.
        m_app->delegate().velmoraPerform(Action::viewList, m_app->window().window());
        QCOMPARE(WindowFixture::focus(), &m_app->list());
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        // A state that shows another view while editing (as an undo brings back) keeps typing.
        EditorSnapshot editingInMap = m_app->session().snapshot;
        editingInMap.view = ViewMode::map;
        m_app->load(editingInMap);
        QCOMPARE(m_app->editor().parentWidget(), &m_app->window().canvas());
        QTRY_COMPARE(WindowFixture::focus(), &m_app->editor());
        // Switching the view ends the editing: the shown view takes the keys.
        m_app->delegate().velmoraPerform(Action::viewList, m_app->window().window());
        QVERIFY(!m_app->session().snapshot.editing);
        QCOMPARE(WindowFixture::focus(), &m_app->list());
    }

    // A blank document is being typed in: its editor has the keys, whatever had them before.
    void aNewTabOrWindowTypesIntoItsFirstItem() {
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("tree"));
        m_app->newDocument();
        m_app->window().canvas().setFocus();
        for (bool tabs : {true, false}) {
            Preferences().setBool(PreferenceKeys::documentsInTabs, tabs);
            m_app->delegate().velmoraPerform(Action::newDocumentTab, m_app->window().window());
            VelmoraDocument* added = m_app->controller().documents().last();
            QVERIFY(added && added != &m_app->document());
            auto* view = qobject_cast<DocumentTab*>(
                m_app->controller().viewOf(added)->widget());
            QVERIFY(view);
            QTRY_COMPARE(WindowFixture::focus(), &view->editor());
            WindowFixture::type(QStringLiteral("Typed"));
            WindowFixture::key(Qt::Key_Return);
            QCOMPARE(added->session().snapshot.document.items[0].text, std::string("Typed"));
        }
    }

private:
    QString m_home;
    std::unique_ptr<WindowFixture> m_app;
};

OSTREVO_APP_TEST_MAIN(WindowTest)
#include "window_test.moc"
