// The parts of the document window on their own: the list model against scripted states, the
// physical key table, the item text editor and the appearance values.
#include "app/platform/appearance.hpp"
#include "app/platform/contrast_style.hpp"
#include "app/platform/key_router.hpp"
#include "app/platform/preferences.hpp"
#include "app/shell/application.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_drag_adapter.hpp"
#include "app/views/list_outline_model.hpp"
#include "core/model/tree_ops.hpp"
#include "tests/app/support/isolated_home.hpp"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QStyleOption>
#include <QtTest>

#include <cmath>
#include <random>

using namespace velmora;

namespace {

Item itemWith(std::string id, std::vector<Item> children = {}, bool checked = false) {
    Item item = Item::blank(id, "Item " + id);
    item.children = ItemList(std::move(children));
    item.checked = checked;
    return item;
}

std::vector<std::string> idsOf(const ListOutlineModel& model) {
    std::vector<std::string> ids;
    for (int row = 0; row < model.count(); ++row) {
        ids.push_back(model.rowAt(row).item().id);
    }
    return ids;
}

// A tree of about `count` items, some of them big branches, some checked.
TreeDocument grownOutline(int count, std::mt19937& random) {
    TreeDocument doc{"d", "D", {}};
    std::vector<std::string> ids;
    for (int n = 0; n < count; ++n) {
        const std::string id = "i" + std::to_string(n);
        if (ids.empty() || random() % 7 == 0) {
            doc.items = doc.items.appending(Item::blank(id, id));
        } else {
            // Mostly under one of the last few items, so that branches grow deep and wide.
            const std::size_t back = std::min<std::size_t>(ids.size(), 1 + random() % 12);
            doc = TreeOps::appendChildren(doc, ids[ids.size() - back], {Item::blank(id, id)});
        }
        if (random() % 9 == 0) {
            doc = TreeOps::updateItem(doc, id, [](Item& item) { item.checked = true; });
        }
        ids.push_back(id);
    }
    return doc;
}

// One random edit of the kind a keystroke makes.
TreeDocument edited(const TreeDocument& doc, std::mt19937& random, int serial) {
    const auto rows = TreeOps::visibleItems(doc.items, std::nullopt, false);
    if (rows.empty()) {
        return TreeOps::insert(doc, {Item::blank("new", "")}, std::nullopt, std::nullopt);
    }
    const std::string id = rows[random() % rows.size()].item().id;
    const std::string fresh = "n" + std::to_string(serial);
    switch (random() % 8) {
    case 0:
        return TreeOps::insertSiblingBelow(doc, id, "", fresh).doc;
    case 1:
        return TreeOps::addChild(doc, id, "", fresh).doc;
    case 2:
        return TreeOps::removeItem(doc, id).doc;
    case 3:
        return TreeOps::indent(doc, id);
    case 4:
        return TreeOps::outdent(doc, id);
    case 5:
        return TreeOps::move(
            doc, id, random() % 2 ? TreeOps::MoveDirection::up : TreeOps::MoveDirection::down);
    case 6:
        return TreeOps::setCollapsed(doc, id, random() % 2 == 0);
    default:
        return TreeOps::updateItem(doc, id, [](Item& item) { item.checked = !item.checked; });
    }
}

// The rows a view of the model has after following its removals, insertions and changes.
class RowsHeard : public QObject {
public:
    explicit RowsHeard(const ListOutlineModel& model) {
        connect(&model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex&, int first, int last) {
                    rows.erase(rows.begin() + first, rows.begin() + last + 1);
                });
        connect(&model, &QAbstractItemModel::rowsInserted, this,
                [this, &model](const QModelIndex&, int first, int last) {
                    for (int row = first; row <= last; ++row) {
                        rows.insert(rows.begin() + row, model.rowAt(row));
                    }
                });
        connect(&model, &QAbstractItemModel::dataChanged, this,
                [this, &model](const QModelIndex& top, const QModelIndex& bottom) {
                    for (int row = top.row(); row <= bottom.row(); ++row) {
                        rows[static_cast<std::size_t>(row)] = model.rowAt(row);
                    }
                });
    }

    // Whether the rows heard are the model's: the same items (nodes) at the same depths.
    [[nodiscard]] bool match(const ListOutlineModel& model) const {
        if (rows.size() != static_cast<std::size_t>(model.count())) {
            return false;
        }
        for (int row = 0; row < model.count(); ++row) {
            const auto& heard = rows[static_cast<std::size_t>(row)];
            if (heard.node != model.rowAt(row).node || heard.depth != model.rowAt(row).depth) {
                return false;
            }
        }
        return true;
    }

    std::vector<ListOutlineModel::Row> rows;
};

} // namespace

class ViewsTest : public QObject {
    Q_OBJECT
public:
    explicit ViewsTest(QString home) : m_home(std::move(home)) {}

private slots:
    void init() { QSettings().clear(); }

    // --- List model ---------------------------------------------------------------------

    void theModelFollowsAScriptOfStatesWithoutResets() {
        ListOutlineModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

        TreeDocument doc{"d", "D",
                         ItemList{itemWith("a", {itemWith("a1"), itemWith("a2")}), itemWith("b")}};
        model.setOutline(doc.items, {});
        QCOMPARE(idsOf(model), (std::vector<std::string>{"a", "a1", "a2", "b"}));

        // Adding an item below a1 inserts one row; a and a1 keep their rows.
        const auto added = TreeOps::insertSiblingBelow(doc, "a1", "", "n");
        inserted.clear();
        changed.clear();
        model.setOutline(added.doc.items, {});
        QCOMPARE(idsOf(model), (std::vector<std::string>{"a", "a1", "n", "a2", "b"}));
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted[0][1].toInt(), 2);
        QCOMPARE(inserted[0][2].toInt(), 2);
        // The parent's node changed (it has a new child): its row is redrawn.
        QVERIFY(!changed.isEmpty());

        // Collapsing a removes its children's rows.
        removed.clear();
        model.setOutline(TreeOps::setCollapsed(added.doc, "a", true).items, {});
        QCOMPARE(idsOf(model), (std::vector<std::string>{"a", "b"}));
        QCOMPARE(removed.size(), 1);

        // Indenting b under a (expanded again) moves rows.
        auto indented = TreeOps::indent(added.doc, "b");
        model.setOutline(indented.items, {});
        QCOMPARE(idsOf(model), (std::vector<std::string>{"a", "a1", "n", "a2", "b"}));
        QCOMPARE(model.rowAt(4).depth, 1);

        // Everything gone, then back.
        model.setOutline({}, {});
        QCOMPARE(model.count(), 0);
        model.setOutline(doc.items, {});
        QCOMPARE(model.count(), 4);
        QCOMPARE(resets.size(), 0);
    }

    // The rows after every edit equal a fresh walk of the tree, and the removals, insertions
    // and changes the model reports turn the rows a view had into them, so a view that only
    // listens shows the same items at the same depths (changed items redrawn).
    void rowsAfterEveryEditEqualAFreshWalk() {
        std::mt19937 random(7);
        TreeDocument doc = grownOutline(1500, random);
        ListOutlineModel model;
        const RowsHeard heard(model);
        ListOutlineModel::Display display;
        std::size_t copied = 0;
        for (int step = 0; step < 300; ++step) {
            doc = edited(doc, random, step);
            if (step % 50 == 25) {
                display.hidingCompleted = !display.hidingCompleted;
            }
            if (step % 70 == 35) {
                const auto rows = TreeOps::visibleItems(doc.items, std::nullopt, false);
                display.hoistRoot = display.hoistRoot || rows.empty()
                                        ? std::nullopt
                                        : std::optional(rows[rows.size() / 3].item().id);
            }
            model.setOutline(doc.items, display);
            const auto expected =
                TreeOps::visibleItems(doc.items, display.hoistRoot, display.hidingCompleted);
            QCOMPARE(model.count(), static_cast<int>(expected.size()));
            for (int row = 0; row < model.count(); ++row) {
                const auto& shown = model.rowAt(row);
                if (shown.node != expected[static_cast<std::size_t>(row)].node.get() ||
                    shown.depth != expected[static_cast<std::size_t>(row)].depth) {
                    QFAIL(qPrintable(QStringLiteral("step %1, row %2").arg(step).arg(row)));
                }
            }
            QVERIFY2(heard.match(model), qPrintable(QStringLiteral("step %1").arg(step)));
            copied += model.copiedRows();
        }
        // The edits did reuse the rows of unchanged branches.
        QVERIFY(copied > 0);
    }

    void anEditWalksOnlyThePathToTheChange() {
        std::vector<Item> big;
        for (int n = 0; n < 60; ++n) {
            big.push_back(itemWith("b" + std::to_string(n)));
        }
        std::vector<Item> other = big;
        for (auto& item : other) {
            item.id = "o" + item.id;
        }
        TreeDocument doc{"d", "D", ItemList{itemWith("a", big), itemWith("x", other)}};
        ListOutlineModel model;
        const RowsHeard heard(model);
        model.setOutline(doc.items, {});
        // Adding a leaf under a copies the other branch; indenting x under a moves it a level
        // (its rows stay where they were, one level deeper).
        doc = TreeOps::addChild(doc, "a", "", "new").doc;
        model.setOutline(doc.items, {});
        QCOMPARE(model.copiedRows(), 61u);
        QVERIFY(heard.match(model));
        doc = TreeOps::indent(doc, "x");
        model.setOutline(doc.items, {});
        QCOMPARE(model.copiedRows(), 61u);
        QVERIFY(heard.match(model));
        const auto expected = TreeOps::visibleItems(doc.items, std::nullopt, false);
        QCOMPARE(model.count(), static_cast<int>(expected.size()));
        for (int row = 0; row < model.count(); ++row) {
            QCOMPARE(model.rowAt(row).depth, expected[static_cast<std::size_t>(row)].depth);
        }
        QCOMPARE(model.rowAt(model.count() - 1).depth, 2);
    }

    void hidingCompletedItemsDecidesRowsAndDisclosures() {
        ListOutlineModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const ItemList items{itemWith("a", {itemWith("done", {}, true)}), itemWith("b")};
        model.setOutline(items, {});
        QVERIFY(model.isExpandable(0));
        QCOMPARE(model.data(model.index(0), ListOutlineModel::ExpandableRole).toBool(), true);

        ListOutlineModel::Display hiding;
        hiding.hidingCompleted = true;
        model.setOutline(items, hiding);
        QCOMPARE(idsOf(model), (std::vector<std::string>{"a", "b"}));
        // A parent whose children are all hidden shows no disclosure.
        QVERIFY(!model.isExpandable(0));
    }

    void aHoistedRootIsTheOnlyTopRow() {
        ListOutlineModel model;
        const ItemList items{itemWith("a", {itemWith("a1", {itemWith("a11")})}), itemWith("b")};
        ListOutlineModel::Display display;
        display.hoistRoot = "a1";
        model.setOutline(items, display);
        QCOMPARE(idsOf(model), (std::vector<std::string>{"a1", "a11"}));
        QCOMPARE(model.rowOf("b"), std::nullopt);
        QCOMPARE(model.rowOf("a11"), std::optional<int>(1));
    }

    void rowsWithANoteAreTaller() {
        ListOutlineModel model;
        Item noted = itemWith("n");
        noted.note = "Remember the milk";
        const ItemList items{noted, itemWith("plain")};
        model.setOutline(items, {});
        QCOMPARE(model.rowHeight(0), ListOutlineModel::kRowHeight);

        ListOutlineModel::Display notes;
        notes.showAllNotes = true;
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.setOutline(items, notes);
        QCOMPARE(changed.size(), 1); // the display changed: every row is redrawn
        QCOMPARE(model.rowHeight(0), ListOutlineModel::kNoteRowHeight);
        QCOMPARE(model.rowHeight(1), ListOutlineModel::kRowHeight);

        // The row whose note is being edited has room for it even without notes shown.
        ListOutlineModel::Display editing;
        editing.editingNoteId = "plain";
        model.setOutline(items, editing);
        QCOMPARE(model.rowHeight(0), ListOutlineModel::kRowHeight);
        QCOMPARE(model.rowHeight(1), ListOutlineModel::kNoteRowHeight);
        model.setZoom(2.0);
        QCOMPARE(model.rowHeight(0), 2 * ListOutlineModel::kRowHeight);
    }

    void selectedIdsAreFoundInRowOrder() {
        ListOutlineModel model;
        model.setOutline(ItemList{itemWith("a", {itemWith("a1")}), itemWith("b")}, {});
        QCOMPARE(model.rowsOf({"b", "a", "missing"}), (std::vector<int>{0, 2}));
        std::vector<std::string> many(20, "zz");
        many.push_back("a1");
        QCOMPARE(model.rowsOf(many), (std::vector<int>{1}));
    }

    // The drop proposals found through the tree equal those of the walk over the rows above,
    // for every row and zone, with completed items hidden or shown and with a hoisted branch.
    void dropPlacesFromTheTreeMatchTheRowsAbove() {
        std::mt19937 rng(17);
        std::uniform_int_distribution<int> percent(0, 99);
        int serial = 0;
        std::function<Item(int)> grow = [&](int depth) {
            std::vector<Item> children;
            for (int n = depth < 3 ? percent(rng) % 5 : 0; n > 0; --n) {
                children.push_back(grow(depth + 1));
            }
            return itemWith("i" + std::to_string(serial++), std::move(children), percent(rng) < 25);
        };
        std::vector<Item> top;
        for (int i = 0; i < 6; ++i) {
            top.push_back(grow(0));
        }
        const ItemList items(std::move(top));
        for (const auto& root : {std::optional<std::string>(), std::optional(items[1].id)}) {
            for (bool hiding : {false, true}) {
                ListOutlineModel model;
                ListOutlineModel::Display display;
                display.hidingCompleted = hiding;
                display.hoistRoot = root;
                model.setOutline(items, display);
                const auto rowAt = [&](int row) {
                    return ListRow{model.rowAt(row).item().id, model.rowAt(row).depth};
                };
                int unplaced = 0;
                const ListPlaceOf placeOf = [&](int row) -> std::optional<ListPlace> {
                    const auto place = model.placeOf(row);
                    if (!place) {
                        ++unplaced;
                        return std::nullopt;
                    }
                    return ListPlace{place->parentId, place->index};
                };
                const int count = model.count();
                QVERIFY(count > 3);
                for (int row = 0; row <= count; ++row) {
                    for (double f : {0.1, 0.5, 0.9}) {
                        QCOMPARE(ItemDrag::listProposal(rowAt, count, row, f, placeOf),
                                 ItemDrag::listProposal(rowAt, count, row, f));
                    }
                }
                QCOMPARE(unplaced, 0);
            }
        }
    }

    // --- Physical keys ------------------------------------------------------------------

    void scanCodesNameKeyPositions() {
        QCOMPARE(PhysicalKeys::fromScanCode(34), std::optional(PhysicalKey::bracketLeft));
        QCOMPARE(PhysicalKeys::fromScanCode(38), std::optional(PhysicalKey::a));
        QCOMPARE(PhysicalKeys::fromScanCode(19), std::optional(PhysicalKey::digit0));
        QCOMPARE(PhysicalKeys::fromScanCode(36), std::optional(PhysicalKey::returnKey));
        QCOMPARE(PhysicalKeys::fromScanCode(119), std::optional(PhysicalKey::forwardDelete));
        // Keys outside the 41 (X, F1, Home) make no chord.
        QCOMPARE(PhysicalKeys::fromScanCode(53), std::nullopt);
        QCOMPARE(PhysicalKeys::fromScanCode(67), std::nullopt);
        QCOMPARE(PhysicalKeys::fromScanCode(110), std::nullopt);
    }

    void everyKeyHasAScanCodeAndAQtKey() {
        for (PhysicalKey key : allPhysicalKeys()) {
            bool scan = false;
            for (quint32 code = 0; code < 256 && !scan; ++code) {
                scan = PhysicalKeys::fromScanCode(code) == key;
            }
            QVERIFY2(scan, rawValue(key).data());
        }
        QCOMPARE(PhysicalKeys::fromQtKey(Qt::Key_BraceLeft),
                 std::optional(PhysicalKey::bracketLeft));
        QCOMPARE(PhysicalKeys::fromQtKey(Qt::Key_Exclam), std::optional(PhysicalKey::digit1));
        QCOMPARE(PhysicalKeys::fromQtKey(Qt::Key_X), std::nullopt);
    }

    void chordsReadModifiersAsTheKeyMapNamesThem() {
        // The offscreen platform gives no scan codes: Qt's key codes stand in.
        QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::NoModifier);
        QCOMPARE(PhysicalKeys::chord(backtab),
                 std::optional(KeyChord{PhysicalKey::tab, KeyModifiers::shift}));
        QKeyEvent move(QEvent::KeyPress, Qt::Key_Up, Qt::ControlModifier | Qt::MetaModifier);
        QCOMPARE(PhysicalKeys::chord(move),
                 std::optional(
                     KeyChord{PhysicalKey::up, KeyModifiers::command | KeyModifiers::control}));
        QKeyEvent option(QEvent::KeyPress, Qt::Key_K, Qt::AltModifier);
        QCOMPARE(PhysicalKeys::chord(option),
                 std::optional(KeyChord{PhysicalKey::k, KeyModifiers::option}));
        QKeyEvent letter(QEvent::KeyPress, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(PhysicalKeys::chord(letter), std::nullopt);
    }

    // --- Item text editor ---------------------------------------------------------------

    void theEditorGrowsWithItsTextAndShrinksOnlyWhenPlaced() {
        QWidget host;
        host.resize(400, 300);
        ItemTextEditor editor(&host);
        editor.setGeometry(10, 10, 200, 22);
        editor.setFittedHeight(22);
        host.show();
        editor.load(QStringLiteral("one line"));
        QCOMPARE(editor.height(), 22);
        QVERIFY(!editor.drawsBackground());
        editor.insertNewline();
        editor.insertPlainText(QStringLiteral("two"));
        const int grown = editor.height();
        QVERIFY(grown > 22);
        QVERIFY(editor.drawsBackground());
        editor.load(QStringLiteral("x"));
        QCOMPARE(editor.height(), grown);
    }

    void theEditorKeepsNoHistoryOfItsOwn() {
        // Undo belongs to the document, through the window's key map: the editor alone
        // never takes text back.
        ItemTextEditor editor;
        editor.show();
        editor.setFocus();
        QTest::keyClicks(&editor, QStringLiteral("abc"));
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor.toPlainText(), QStringLiteral("abc"));
        QVERIFY(!editor.document()->isUndoAvailable());
        // Return in the editor is a line feed, never a paragraph or line separator.
        QTest::keyClick(&editor, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(editor.draft(), std::string("abc\n"));
    }

    void theDraftKeepsNonBreakingSpacesAndCountsCharacters() {
        ItemTextEditor editor;
        editor.load(QStringLiteral("a\u00a0b"));
        QCOMPARE(editor.draft(), std::string("a\xc2\xa0"
                                             "b"));
        editor.load(QStringLiteral("e\u0301x"));
        QTextCursor cursor = editor.textCursor();
        cursor.setPosition(2);
        editor.setTextCursor(cursor);
        QCOMPARE(editor.caretInGraphemes(), 1);
    }

    void composingTextIsSeen() {
        ItemTextEditor editor;
        editor.show();
        QInputMethodEvent composing(QStringLiteral("ka"), {});
        QApplication::sendEvent(&editor, &composing);
        QVERIFY(editor.isComposing());
        QInputMethodEvent done;
        done.setCommitString(QStringLiteral("\u304b"));
        QApplication::sendEvent(&editor, &done);
        QVERIFY(!editor.isComposing());
    }

    // --- Appearance ---------------------------------------------------------------------

    void strikingCheckedItemsFollowsTheCheckStyleUntilSet() {
        Preferences preferences;
        QVERIFY(!Appearance::fromPreferences(preferences).strikeChecked);
        preferences.setString(PreferenceKeys::checkStyle, QStringLiteral("web"));
        QVERIFY(Appearance::fromPreferences(preferences).strikeChecked);
        preferences.setBool(PreferenceKeys::strikeChecked, false);
        QVERIFY(!Appearance::fromPreferences(preferences).strikeChecked);
        preferences.setString(PreferenceKeys::paperStyle, QStringLiteral("Dots"));
        QCOMPARE(Appearance::fromPreferences(preferences).paperStyle, PaperStyle::plain);
    }

    void paperAndLabelColours() {
        Appearance appearance;
        appearance.paperColor = PaperColor::warm;
        QCOMPARE(appearance.paper(true, Qt::white), QColor::fromRgbF(0.165f, 0.149f, 0.125f));
        QCOMPARE(appearance.paper(false, Qt::white), QColor::fromRgbF(0.984f, 0.961f, 0.902f));
        appearance.paperColor = PaperColor::white;
        QCOMPARE(appearance.paper(false, QColor(250, 250, 250)), QColor(250, 250, 250));
        appearance.paperColor = PaperColor::blueprint;
        QCOMPARE(appearance.pattern(0.15).rgb(), QColor(Qt::white).rgb());
        QVERIFY(Appearances::isDark(Appearances::paperPalette(appearance, QPalette(Qt::white))));

        QVERIFY(!appearance.labelFill(ColorLabel::red, false));
        appearance.labelStyle = LabelStyle::fill;
        QVERIFY(!appearance.labelFill(std::nullopt, false));
        QVERIFY(std::abs(appearance.labelFill(ColorLabel::red, false)->alphaF() - 0.18f) < 0.001f);
        QVERIFY(std::abs(appearance.labelFill(ColorLabel::red, true)->alphaF() - 0.30f) < 0.001f);
        QCOMPARE(Appearances::labelColor(ColorLabel::blue), QColor(0, 122, 255));

        appearance.highlightColor = HighlightColor::green;
        QCOMPARE(appearance.highlight(false, Qt::blue), QColor::fromRgbF(0.11f, 0.42f, 0.314f));
        appearance.highlightColor = HighlightColor::accent;
        QCOMPARE(appearance.highlight(false, Qt::blue), QColor(Qt::blue));
    }

    // Check boxes stand out from a dark window: the style the application installs draws their
    // outline in the text's colour and fills a ticked one with the accent.
    void checkBoxesShowOnADarkPalette() {
        QVERIFY(qobject_cast<ContrastStyle*>(QApplication::style()));
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(40, 40, 40));
        dark.setColor(QPalette::Base, QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, QColor(235, 235, 235));
        dark.setColor(QPalette::Text, QColor(235, 235, 235));
        dark.setColor(QPalette::Highlight, QColor(53, 132, 228));
        QCheckBox box;
        box.setPalette(dark);
        box.resize(box.sizeHint());
        QStyleOptionButton option;
        option.initFrom(&box);
        const QRect indicator =
            box.style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, &box);
        QVERIFY(!indicator.isEmpty());
        // The lightest pixel of the box, and whether any pixel is the accent's blue.
        auto lightest = [&] {
            const QImage image = box.grab().toImage();
            int most = 0;
            for (int y = indicator.top(); y <= indicator.bottom(); ++y) {
                for (int x = indicator.left(); x <= indicator.right(); ++x) {
                    most = std::max(most, QColor(image.pixel(x, y)).lightness());
                }
            }
            return most;
        };
        auto accented = [&] {
            const QImage image = box.grab().toImage();
            const QPoint centre = indicator.center();
            // Above the tick and the bar.
            const QColor above(image.pixel(centre.x(), centre.y() - indicator.height() / 3));
            return above.blue() > 180 && above.red() < 120;
        };
        QVERIFY(lightest() > 110);
        QVERIFY(!accented());
        box.setChecked(true);
        QVERIFY(accented());
        box.setTristate(true);
        box.setCheckState(Qt::PartiallyChecked);
        QVERIFY(accented());
    }

private:
    QString m_home;
};

OSTREVO_APP_TEST_MAIN(ViewsTest)
#include "views_test.moc"
