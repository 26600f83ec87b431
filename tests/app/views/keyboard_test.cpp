// The keyboard: the window's one dispatcher, chords on the US, German, French, Ukrainian and
// Japanese kana layouts (fed as their key codes and key symbols), how chords are labelled, and
// Home, End, Page Up and Page Down. The menu test checks the menus' shortcuts on every layout
// of tests/app/support/keyboard_layouts.hpp.
#include "app/platform/key_router.hpp"
#include "app/platform/keyboard_layout.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/main_menu.hpp"
#include "core/commands/key_map.hpp"
#include "tests/app/panels/panels_fixture.hpp"
#include "tests/app/support/isolated_home.hpp"

#include <QMainWindow>
#include <QMenuBar>
#include <QUndoStack>

using namespace velmora;
using test::itemWith;
using test::outline;
using test::WindowFixture;

namespace {

// The X11 key codes of the keys a user presses for a chord on each layout: the key labelled
// with the letter, and for characters the layout types only with Shift or AltGr (or not at
// all) the key at the US position.
struct LayoutKeys {
    const char* layout;
    const char* variant;
    quint32 z, d, bracketLeft, bracketRight, quote, slash, digit1;
};

constexpr LayoutKeys kLayouts[] = {
    {"us", "", 52, 40, 34, 35, 48, 61, 10},
    // QWERTZ: Z where US has Y; [ ] ' / only with AltGr or Shift.
    {"de", "", 29, 40, 34, 35, 48, 61, 10},
    // AZERTY: Z where US has W; ' typed on its own on the 4 key; digits need Shift.
    {"fr", "", 25, 40, 34, 35, 13, 61, 10},
    // Cyrillic letters fall back to the US keys; ' is typed on its own left of 1.
    {"ua", "", 52, 40, 34, 35, 49, 61, 10},
    {"jp", "kana", 52, 40, 34, 35, 48, 61, 10},
};

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
public:
    explicit KeyboardTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() {
        m_app = std::make_unique<WindowFixture>();
        Preferences().setString(PreferenceKeys::newDocumentView, QStringLiteral("list"));
    }
    void cleanup() {
        m_app.reset();
        KeyboardLayouts::shared().setActive(nullptr);
    }

    // --- Layouts ------------------------------------------------------------------------

    void chordsRunTheirCommandsOnEveryLayout_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < static_cast<int>(std::size(kLayouts)); ++i) {
            const LayoutKeys& keys = kLayouts[i];
            QTest::newRow(
                qPrintable(QString::fromLatin1(keys.layout) + QString::fromLatin1(keys.variant)))
                << i;
        }
    }

    void chordsRunTheirCommandsOnEveryLayout() {
        QFETCH(int, index);
        const LayoutKeys& keys = kLayouts[index];
        useLayout(keys.layout, keys.variant);
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "Alpha"), itemWith("b", "Beta")}, "b"));
        m_app->list().setFocus();
        const auto& items = [this]() -> const ItemList& {
            return m_app->session().snapshot.document.items;
        };
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;

        press(keys.bracketRight, ctrl); // indent
        QCOMPARE(items().size(), 1u);
        press(keys.bracketLeft, ctrl); // outdent
        QCOMPARE(items().size(), 2u);
        press(keys.d, ctrl); // duplicate
        QCOMPARE(items().size(), 3u);
        press(keys.z, ctrl); // undo
        QCOMPARE(items().size(), 2u);
        for (int label = 1; label <= 7; ++label) {
            press(keys.digit1 + static_cast<quint32>(label - 1), ctrl | Qt::MetaModifier);
            QCOMPARE(static_cast<int>(*m_app->session().snapshot.document.items[1].color) + 1,
                     label);
        }
        // Each chord ran once: one record per command, none for the undone duplicate.
        QCOMPARE(m_app->document().undoStack()->index(), 2 + 7);
        // The labels' desktop chords, which the menus show by their digits, work alike.
        for (int label = 1; label <= 7; ++label) {
            press(keys.digit1 + static_cast<quint32>(label - 1),
                  Qt::AltModifier | Qt::ShiftModifier);
            QCOMPARE(static_cast<int>(*m_app->session().snapshot.document.items[1].color) + 1,
                     label);
        }
        press(keys.quote, ctrl); // edit note
        QCOMPARE(m_app->session().snapshot.editing, EditingTarget::note("b"));
        press(9, Qt::NoModifier); // Escape ends it
        m_app->list().setFocus();
        if (m_app->window().inspectorVisible()) {
            m_app->window().setInspectorVisible(false);
        }
        press(keys.slash, Qt::ShiftModifier); // keyboard help
        QVERIFY(m_app->window().inspectorVisible());
    }

    void keysOfTheLayoutKeepTheirOwnMeaning() {
        m_app->newDocument();
        m_app->load(
            outline({itemWith("a", "Alpha", {itemWith("a1", "One")}), itemWith("b", "B")}, "a1"));
        m_app->list().setFocus();
        // German: the key at the US Z types "y" and undoes nothing.
        useLayout("de", "");
        press(52, Qt::ControlModifier, false);
        QCOMPARE(m_app->document().undoStack()->count(), 0);
        // French: the key at the US A types "q"; the key typing "a" with Shift adds an aunt.
        useLayout("fr", "");
        press(38, Qt::ControlModifier | Qt::ShiftModifier, false);
        QCOMPARE(m_app->document().undoStack()->count(), 0);
        press(24, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(m_app->session().snapshot.document.items.size(), 3u);
        // French: the 4 key types "'": with Ctrl+Meta it is still the label digit 4.
        press(13, Qt::ControlModifier | Qt::MetaModifier);
        QCOMPARE(static_cast<int>(*m_app->session().snapshot.document.items[1].color) + 1, 4);
    }

    void chordsAreShownAsTheyArePressedOnTheLayout() {
        auto& layouts = KeyboardLayouts::shared();
        const KeyChord outdent{PhysicalKey::bracketLeft, KeyModifiers::command};
        const KeyChord help{PhysicalKey::slash, KeyModifiers::shift};
        const KeyChord note{PhysicalKey::quote, KeyModifiers::command};
        const KeyChord label{PhysicalKey::digit1, KeyModifiers::command | KeyModifiers::control};
        const KeyChord undo{PhysicalKey::z, KeyModifiers::command};
        useLayout("us", "");
        for (const KeyBinding& row : KeyMap::bindings()) {
            QCOMPARE(layouts.text(row.chord), QString::fromStdString(KeyMap::text(row.chord)));
        }
        QCOMPARE(layouts.text(help, true), QStringLiteral("Shift+?"));
        useLayout("de", "");
        QCOMPARE(layouts.text(outdent), QStringLiteral("Ctrl+\u00DC"));
        QCOMPARE(layouts.text(help), QStringLiteral("Shift+-"));
        QCOMPARE(layouts.text(note), QStringLiteral("Ctrl+\u00C4"));
        QCOMPARE(layouts.text(undo), QStringLiteral("Ctrl+Z"));
        useLayout("fr", "");
        QCOMPARE(layouts.text(outdent), QStringLiteral("Ctrl+^"));
        QCOMPARE(layouts.text(note), QStringLiteral("Ctrl+'"));
        QCOMPARE(layouts.text(label), QStringLiteral("Meta+Ctrl+1"));
        // Keys of another script show their US character, as printed beside it.
        useLayout("ua", "");
        QCOMPARE(layouts.text(outdent), QStringLiteral("Ctrl+["));
        QCOMPARE(layouts.text(undo), QStringLiteral("Ctrl+Z"));

        // The menus follow the layout.
        m_app->newDocument();
        useLayout("de", "");
        QMenuBar* bar = qobject_cast<QMainWindow*>(m_app->window().window())->menuBar();
        QCOMPARE(MainMenu::actionItem(bar, Action::outdent)->shortcut(),
                 QKeySequence(Qt::CTRL | static_cast<Qt::Key>(0xDC)));
        useLayout("us", "");
        QCOMPARE(MainMenu::actionItem(bar, Action::outdent)->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    }

    // --- The dispatcher -----------------------------------------------------------------

    // A chord a menu item shows runs that item, once, even while the item shows as disabled;
    // no shortcut fires beside it.
    void aMenuChordRunsOnceWhateverItsItemsState() {
        m_app->newDocument();
        m_app->load(outline({itemWith("a", "Alpha")}, "a"));
        m_app->list().setFocus();
        QMenuBar* bar = qobject_cast<QMainWindow*>(m_app->window().window())->menuBar();
        QAction* bold = MainMenu::actionItem(bar, Action::toggleBold);
        int triggered = 0;
        connect(bold, &QAction::triggered, this, [&] { ++triggered; });
        bold->setEnabled(false);
        WindowFixture::key(Qt::Key_B, Qt::ControlModifier);
        QVERIFY(m_app->session().snapshot.document.items[0].bold);
        // The key map performs the chord; the item's own shortcut does not run it a second time.
        QCOMPARE(triggered, 0);
        QCOMPARE(m_app->document().undoStack()->count(), 1);
        // Undo works from the outline and from the editor alike.
        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!m_app->session().snapshot.document.items[0].bold);
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        WindowFixture::type(QStringLiteral("!"));
        WindowFixture::key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_app->session().snapshot.document.items[0].text, std::string("Alpha"));
    }

    // While typing, keys with a text meaning stay the text's.
    void textKeysStayWithTheTextField() {
        m_app->newDocument();
        m_app->load(outline(
            {itemWith("a", "Alpha", {itemWith("a1", "One two")}), itemWith("b", "B")}, "a1"));
        m_app->list().setFocus();
        WindowFixture::key(Qt::Key_Return);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        for (Qt::Key key : {Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown}) {
            QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
            QVERIFY(!m_app->window().takesKey(&m_app->editor(), event));
        }
        WindowFixture::key(Qt::Key_Home);
        QCOMPARE(m_app->editor().textCursor().position(), 0);
        WindowFixture::key(Qt::Key_End);
        QCOMPARE(m_app->editor().textCursor().position(), 7);
        // Ctrl+Left and Ctrl+Right move by word; the branch stays open.
        WindowFixture::key(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(m_app->editor().textCursor().position(), 4);
        QVERIFY(!m_app->session().snapshot.document.items[0].collapsed);
        QCOMPARE(m_app->session().snapshot.editing, EditingTarget::item("a1"));
    }

    // The editor's place and the keys follow the session's editing target alone.
    void theKeysFollowTheEditingTarget() {
        m_app->newDocument();
        EditorSnapshot snapshot = outline({itemWith("a", "Alpha"), itemWith("b", "Beta")}, "b");
        snapshot.editing = EditingTarget::item("b");
        m_app->load(snapshot);
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        // A press on the list took the keys: the next redraw gives them back to the editor.
        m_app->list().setFocus();
        m_app->window().refresh();
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        QVERIFY(m_app->editor().isVisible());
        // Another item edited: the editor moves there with the keys.
        snapshot.editing = EditingTarget::item("a");
        snapshot.selectedId = "a";
        m_app->load(snapshot);
        QCOMPARE(m_app->editor().toPlainText(), QStringLiteral("Alpha"));
        QCOMPARE(WindowFixture::focus(), &m_app->editor());
        // Nothing edited: the editor hides and the list has the keys.
        snapshot.editing.reset();
        m_app->load(snapshot);
        QVERIFY(m_app->editor().isHidden());
        QCOMPARE(WindowFixture::focus(), &m_app->list());
    }

    // --- Home, End, Page Up and Page Down --------------------------------------------------

    void navigationKeysGoToTheEndsAndByPages_data() {
        QTest::addColumn<bool>("canvas");
        QTest::newRow("list") << false;
        QTest::newRow("tree") << true;
    }

    void navigationKeysGoToTheEndsAndByPages() {
        QFETCH(bool, canvas);
        m_app->newDocument();
        std::vector<Item> items;
        for (int i = 0; i < 60; ++i) {
            items.push_back(itemWith("i" + std::to_string(i), "Item " + std::to_string(i)));
        }
        items[3].children = ItemList({itemWith("c", "Child")});
        EditorSnapshot snapshot = outline(std::move(items), "i5");
        snapshot.view = canvas ? ViewMode::tree : ViewMode::list;
        m_app->load(snapshot);
        QWidget* view = canvas ? static_cast<QWidget*>(&m_app->window().canvas())
                               : static_cast<QWidget*>(&m_app->list());
        view->setFocus();
        const auto selected = [this] { return *m_app->session().snapshot.selectedId; };
        WindowFixture::key(Qt::Key_End);
        QCOMPARE(selected(), std::string("i59"));
        WindowFixture::key(Qt::Key_Home);
        QCOMPARE(selected(), std::string("i0"));
        // A page on and back: past several items, never past the ends.
        WindowFixture::key(Qt::Key_PageDown);
        const std::string paged = selected();
        QVERIFY(paged != "i0" && paged != "i1");
        WindowFixture::key(Qt::Key_PageUp);
        QCOMPARE(selected(), std::string("i0"));
        WindowFixture::key(Qt::Key_PageUp);
        QCOMPARE(selected(), std::string("i0"));
        // Shift extends among siblings: from the child, only its siblings.
        WindowFixture::key(Qt::Key_End, Qt::ShiftModifier);
        QCOMPARE(m_app->session().selectedIDs().size(), 60u);
        m_app->load([&] {
            EditorSnapshot s = m_app->session().snapshot;
            s.selectedId = "c";
            s.anchorId.reset();
            return s;
        }());
        view->setFocus();
        WindowFixture::key(Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(m_app->session().selectedIDs(), std::vector<std::string>{"c"});
        // Navigating never records an undo step.
        QCOMPARE(m_app->document().undoStack()->count(), 0);
    }

private:
    void useLayout(const char* name, const char* variant) {
        auto layout = KeyboardLayout::fromNames(name, variant);
        QVERIFY2(layout, name);
        KeyboardLayouts::shared().setActive(std::move(layout));
    }

    // A key press as X11 delivers it on the active layout: its key code and the symbol it types,
    // offered to the shortcuts first and then pressed.
    static void press(quint32 code, Qt::KeyboardModifiers modifiers, bool claimed = true) {
        const auto layout = KeyboardLayouts::shared().active();
        QVERIFY(layout);
        const int level = modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0;
        const quint32 symbol = layout->symbol(code, level, 0);
        QWidget* target = WindowFixture::focus();
        QVERIFY(target);
        QKeyEvent offer(QEvent::ShortcutOverride, Qt::Key_unknown, modifiers, code, symbol, 0);
        offer.setAccepted(false);
        QApplication::sendEvent(target, &offer);
        QVERIFY2(offer.isAccepted() == claimed,
                 "the dispatcher claims its keys from the shortcuts");
        QKeyEvent event(QEvent::KeyPress, Qt::Key_unknown, modifiers, code, symbol, 0);
        QApplication::sendEvent(target, &event);
    }

    QString m_home;
    std::unique_ptr<WindowFixture> m_app;
};

OSTREVO_APP_TEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
