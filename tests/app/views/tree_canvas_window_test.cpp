// The tree canvas inside the document window: which view shows, the editor over the block,
// when the canvas is laid out, and gestures that reach the session and its undo stack.
#include "app/platform/notifications.hpp"
#include "app/shell/application.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/canvas_fixtures.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUndoStack>

#include <functional>
#include <memory>

using namespace velmora;
using velmora::test::item;

namespace {

EditorSnapshot treeSnapshot(const EditorSession& session) {
    EditorSnapshot snapshot = session.snapshot;
    snapshot.document.items =
        ItemList({item("a", "Alpha", {item("a1", "One"), item("a2", "Two")}), item("b", "Beta")});
    snapshot.view = ViewMode::tree;
    snapshot.selectedId = "b";
    snapshot.editing.reset();
    snapshot.columnWidths.reset();
    return snapshot;
}

QPoint knobPoint(const TreeCanvasView& canvas, const std::string& id) {
    for (const auto& knob : canvas.scene().layout().knobs) {
        if (knob.id == id) {
            return canvas.toWidget(QRectF(knob.cx + 8, knob.cy + 6, 0, 0)).topLeft().toPoint();
        }
    }
    return {};
}

// Sixty top-level items, far more than the window shows.
EditorSnapshot longOutline(const EditorSession& session, ViewMode view) {
    EditorSnapshot snapshot = session.snapshot;
    std::vector<Item> items;
    for (int i = 0; i < 60; ++i) {
        items.push_back(item("i" + std::to_string(i), "Item " + std::to_string(i)));
    }
    snapshot.document.items = ItemList(std::move(items));
    snapshot.view = view;
    snapshot.selectedId = "i0";
    snapshot.editing.reset();
    return snapshot;
}

// A drag of the window's own item in small steps over `target` (the widget that takes the drag
// events) down to `edge`, resting there while the view scrolls, then dropped; true when the
// drop was taken.
bool dragInSteps(QWidget* target, QMimeData* data, QPoint from, QPoint edge,
                 const std::function<int()>& scrolled) {
    const auto actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(from, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    for (int step = 1; step <= 8; ++step) {
        const QPoint at = from + (edge - from) * step / 8;
        QDragMoveEvent move(at, actions, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        QTest::qWait(5);
    }
    // The pointer rests at the edge while the autoscroll timer runs.
    const int before = scrolled();
    if (!QTest::qWaitFor([&] { return scrolled() > before + 40; }, 3000)) {
        return false;
    }
    QDropEvent drop(edge, actions, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// Drops the data on the widget at the point the way a drag with these modifiers held does;
// true when the drop was taken.
bool dropWith(QWidget* target, const QMimeData* data, QPoint at, Qt::KeyboardModifiers modifiers) {
    const auto actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(at, actions, data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// A window showing the sample outline in the view; the widget that takes drags and drops.
QWidget* showSample(test::WindowFixture& fixture, ViewMode view) {
    fixture.newDocument();
    EditorSnapshot snapshot = treeSnapshot(fixture.session());
    snapshot.view = view;
    fixture.load(snapshot);
    return view == ViewMode::list ? fixture.list().viewport()
                                  : static_cast<QWidget*>(&fixture.window().canvas());
}

std::vector<std::string> childIds(const EditorSession& session, const std::string& id) {
    std::vector<std::string> ids;
    const auto parent = session.item(id);
    for (const Item& child : parent->children) {
        ids.push_back(child.id);
    }
    return ids;
}

} // namespace

class TreeCanvasWindowTest : public QObject {
    Q_OBJECT
public:
    explicit TreeCanvasWindowTest(QString) {}

private slots:
    void treeViewShowsTheCanvasWithTheEditorOverTheTitle() {
        test::WindowFixture fixture;
        fixture.newDocument();
        EditorSnapshot snapshot = treeSnapshot(fixture.session());
        snapshot.editing = EditingTarget::item("b");
        fixture.load(snapshot);
        TreeCanvasView& canvas = fixture.window().canvas();
        QVERIFY(canvas.isVisible());
        QVERIFY(!fixture.list().isVisible());
        QCOMPARE(fixture.editor().parentWidget(), &canvas);
        // The text lies over the title; the editor reaches across the block's frame, so the
        // box it paints once a long title grows it hides that frame from side to side.
        const QRectF title = *canvas.textRect("b");
        QCOMPARE(fixture.editor().viewport()->mapTo(&canvas, QPoint()),
                 QPoint(int(title.x()) - 1, int(title.y()) - 2));
        const QRect frame = canvas.scene().block("b")->editingFrame().toAlignedRect();
        QCOMPARE(fixture.editor().geometry().left(), frame.left());
        QCOMPARE(fixture.editor().geometry().right(), frame.right());
        QCOMPARE(fixture.editor().toPlainText(), QStringLiteral("Beta"));
        fixture.type(QStringLiteral(" with a title long enough to wrap over several lines"));
        QVERIFY(fixture.editor().drawsBackground());
        QCOMPARE(fixture.editor().geometry().left(), frame.left());
        QCOMPARE(fixture.editor().geometry().right(), frame.right());
        QCOMPARE(fixture.editor().viewport()->width(), int(title.width()));

        snapshot.view = ViewMode::list;
        fixture.load(snapshot);
        QVERIFY(!canvas.isVisible());
        QVERIFY(fixture.list().isVisible());
        QCOMPARE(fixture.editor().parentWidget(), fixture.list().viewport());

        // A title that wraps in the tree but not in the list: the editor moving to the list
        // fits the list's row, not the lines it took in the narrow column (else it would take
        // that height for its row and paint no box when typing grows it).
        const double oneRow = fixture.editor().fittedHeight();
        snapshot.document.items = ItemList({item("b", "A title that wraps in a column")});
        snapshot.view = ViewMode::tree;
        fixture.load(snapshot);
        QVERIFY(fixture.editor().fittedHeight() > oneRow);
        snapshot.view = ViewMode::list;
        fixture.load(snapshot);
        QCOMPARE(fixture.editor().fittedHeight(), oneRow);
        QCOMPARE(double(fixture.editor().height()), oneRow);
    }

    // The canvas is laid out only while a canvas view shows, and once per change.
    void theCanvasIsBuiltOnlyWhileShownAndOncePerChange() {
        test::WindowFixture fixture;
        fixture.newDocument();
        EditorSnapshot snapshot = treeSnapshot(fixture.session());
        snapshot.view = ViewMode::list;
        fixture.load(snapshot);
        TreeCanvasView& canvas = fixture.window().canvas();
        QSignalSpy reloads(&canvas, &TreeCanvasView::geometryRefreshed);
        Notifications::shared().post(Notifications::preferences);
        snapshot.selectedId = "a";
        fixture.document().setSnapshot(snapshot);
        QCOMPARE(reloads.count(), 0);

        snapshot.view = ViewMode::tree;
        fixture.document().setSnapshot(snapshot);
        QCOMPARE(reloads.count(), 1);
        QVERIFY(canvas.scene().block("a"));
        Notifications::shared().post(Notifications::preferences);
        QCOMPARE(reloads.count(), 2);
        snapshot.selectedId = "b";
        fixture.document().setSnapshot(snapshot);
        QCOMPARE(reloads.count(), 3);
    }

    void knobClickCollapsesUndoably() {
        test::WindowFixture fixture;
        fixture.newDocument();
        fixture.load(treeSnapshot(fixture.session()));
        QUndoStack* undo = fixture.document().undoStack();
        const int records = undo->count();
        TreeCanvasView& canvas = fixture.window().canvas();
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, knobPoint(canvas, "a"));
        QVERIFY(fixture.session().item("a")->collapsed);
        QCOMPARE(undo->count(), records + 1);
        QVERIFY(!canvas.scene().block("a1"));
        undo->undo();
        QVERIFY(!fixture.session().item("a")->collapsed);
        QVERIFY(canvas.scene().block("a1"));
    }

    void columnDragRecordsOnceWhenItEnds() {
        test::WindowFixture fixture;
        fixture.newDocument();
        fixture.load(treeSnapshot(fixture.session()));
        QUndoStack* undo = fixture.document().undoStack();
        const int records = undo->count();
        TreeCanvasView& canvas = fixture.window().canvas();
        const double y = canvas.scene().block("b")->frame.center().y();
        auto at = [&](double x) { return canvas.toWidget(QRectF(x, y, 0, 0)).topLeft().toPoint(); };
        QTest::mousePress(&canvas, Qt::LeftButton, {}, at(228));
        QTest::mouseMove(&canvas, at(260));
        QTest::mouseMove(&canvas, at(290));
        QCOMPARE(undo->count(), records);
        QCOMPARE(canvas.scene().columns, std::vector<double>{282});
        QTest::mouseRelease(&canvas, Qt::LeftButton, {}, at(290));
        QCOMPARE(undo->count(), records + 1);
        QCOMPARE(*fixture.session().snapshot.columnWidths, std::vector<double>{282});
        undo->undo();
        QVERIFY(!fixture.session().snapshot.columnWidths);
        QCOMPARE(canvas.scene().block("a1")->frame.left(), 220 + 8 + 16.0);
    }

    void clickingABlockSelectsAndTheBackgroundDeselects() {
        test::WindowFixture fixture;
        fixture.newDocument();
        fixture.load(treeSnapshot(fixture.session()));
        TreeCanvasView& canvas = fixture.window().canvas();
        const QPoint onOne = canvas.toWidget(*canvas.textRect("a1")).center().toPoint();
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, onOne);
        QCOMPARE(fixture.session().snapshot.selectedId, std::optional<std::string>("a1"));
        QVERIFY(canvas.scene().block("a1")->selected);
        QTest::mouseClick(&canvas, Qt::LeftButton, {},
                          QPoint(canvas.width() - 5, canvas.height() - 5));
        QVERIFY(!fixture.session().snapshot.selectedId);
    }

    // Blocks measured only as they scroll into view move the blocks below them; the item
    // editor keeps lying over the title it edits.
    void theEditorStaysOverItsTitleWhileScrollingMeasuresBlocks() {
        test::WindowFixture fixture;
        fixture.newDocument();
        TreeCanvasView& canvas = fixture.window().canvas();
        canvas.setLazyThreshold(0);
        EditorSnapshot snapshot = fixture.session().snapshot;
        std::vector<Item> items;
        for (int i = 0; i < 80; ++i) {
            // Titles that wrap: taller than the estimate of one line.
            items.push_back(
                item("i" + std::to_string(i),
                     "A title long enough to wrap over several lines " + std::to_string(i)));
        }
        snapshot.document.items = ItemList(std::move(items));
        snapshot.view = ViewMode::tree;
        snapshot.selectedId = "i79";
        snapshot.editing = EditingTarget::item("i79");
        fixture.load(snapshot);
        auto* area = qobject_cast<QAbstractScrollArea*>(canvas.parentWidget()->parentWidget());
        QScrollBar* bar = area->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        auto editorOverTitle = [&] {
            const QRect title = canvas.toWidget(*canvas.textRect("i79")).toAlignedRect();
            return std::abs(fixture.editor().geometry().top() + 2 - title.top()) <= 1;
        };
        QVERIFY(editorOverTitle());
        for (int value = bar->value(); value > 0; value -= 150) {
            bar->setValue(value);
            QVERIFY(editorOverTitle());
        }
        bar->setValue(0);
        QVERIFY(editorOverTitle());
        bar->setValue(bar->maximum());
        QVERIFY(editorOverTitle());
    }

    // Typing that grows the editor past the bottom of the view scrolls it into sight, even
    // past the end of the drawing; growing to a newly placed item's text, or after the user
    // scrolled away, does not scroll.
    void typingPastTheBottomOfTheViewKeepsTheEditorInSight() {
        test::WindowFixture fixture;
        fixture.newDocument();
        EditorSnapshot snapshot = longOutline(fixture.session(), ViewMode::tree);
        snapshot.selectedId = "i59";
        snapshot.editing = EditingTarget::item("i59");
        fixture.load(snapshot);
        TreeCanvasView& canvas = fixture.window().canvas();
        auto* area = qobject_cast<QAbstractScrollArea*>(canvas.parentWidget()->parentWidget());
        QScrollBar* bar = area->verticalScrollBar();
        const int before = bar->value();
        QVERIFY(before > 0);
        fixture.type(QStringLiteral(" grows with words enough to wrap the title over line after "
                                    "line after line after line after line of its block"));
        QVERIFY(bar->value() > before);
        QVERIFY(fixture.editor().geometry().top() >= 0);
        QVERIFY(fixture.editor().geometry().bottom() <= area->viewport()->height());

        bar->setValue(0);
        QTest::qWait(10);
        QCOMPARE(bar->value(), 0);
        fixture.type(QStringLiteral(" and words enough for at least one more line of the block"));
        QVERIFY(bar->value() > 0);
        QVERIFY(fixture.editor().geometry().bottom() <= area->viewport()->height());

        // The list scrolls by rows, up to its last one.
        snapshot = longOutline(fixture.session(), ViewMode::list);
        fixture.load(snapshot);
        QScrollBar* rows = fixture.list().verticalScrollBar();
        const int bottom = fixture.list().viewport()->height();
        std::string last;
        for (int i = 0; i < 60 && last.empty(); ++i) {
            const std::string id = "i" + std::to_string(i);
            if (fixture.rowRect(id).bottom() >= bottom - 4) {
                last = id;
            }
        }
        QVERIFY(!last.empty());
        snapshot.selectedId = last;
        snapshot.editing = EditingTarget::item(last);
        fixture.load(snapshot);
        const int shown = rows->value();
        QVERIFY(fixture.editor().geometry().bottom() <= bottom);
        // Scrolled so that the view cuts its row off, an editor as tall as the row stays on it.
        rows->setValue(shown - 1);
        QVERIFY(fixture.rowRect(last).bottom() > bottom);
        QVERIFY(fixture.rowRect(last).top() < bottom);
        QVERIFY(fixture.editor().isVisible());
        QVERIFY(fixture.editor().geometry().top() >= fixture.rowRect(last).top());
        rows->setValue(shown);
        QString words;
        for (int i = 0; i < 80; ++i) {
            words += QStringLiteral(" word");
        }
        fixture.type(words);
        QVERIFY(fixture.editor().height() > 60);
        QVERIFY(rows->value() > shown);
        QVERIFY(fixture.editor().geometry().top() >= 0);
        QVERIFY(fixture.editor().geometry().bottom() <= bottom);

        // Past the last row the editor rises over the rows above instead, and stays there
        // when the rows move under it.
        snapshot.selectedId = "i59";
        snapshot.editing = EditingTarget::item("i59");
        fixture.load(snapshot);
        QCOMPARE(rows->value(), rows->maximum());
        const int lastTop = fixture.editor().geometry().top();
        fixture.type(words);
        QVERIFY(fixture.editor().geometry().top() < lastTop);
        QVERIFY(fixture.editor().geometry().bottom() <= bottom);
        rows->setValue(rows->maximum() - 1);
        rows->setValue(rows->maximum());
        QVERIFY(fixture.editor().geometry().top() < lastTop);
        QVERIFY(fixture.editor().geometry().bottom() <= bottom);
        QVERIFY(fixture.editor().toPlainText().endsWith(words));
    }

    // The autoscroll of a drag mapped the canvas's point into the viewport as if the canvas
    // held the viewport, and crashed.
    void aDragScrollsTheCanvasAtTheEdgeAndDrops() {
        test::WindowFixture fixture;
        fixture.newDocument();
        fixture.load(longOutline(fixture.session(), ViewMode::tree));
        TreeCanvasView& canvas = fixture.window().canvas();
        auto* area = qobject_cast<QAbstractScrollArea*>(canvas.parentWidget()->parentWidget());
        QVERIFY(area);
        QVERIFY(area->verticalScrollBar()->maximum() > 0);
        std::unique_ptr<QMimeData> data(canvas.dragWriter()("i0"));
        QVERIFY(data);
        const QPoint from = canvas.toWidget(canvas.scene().block("i1")->frame).center().toPoint();
        // Just inside the bottom of the viewport, over the block shown there.
        const QPoint bottom(from.x(), area->viewport()->height() - 4);
        auto scrolled = [area] { return area->verticalScrollBar()->value(); };
        const bool dropped = dragInSteps(&canvas, data.get(), from,
                                         canvas.mapFrom(area->viewport(), bottom), scrolled);
        QVERIFY(scrolled() > 0);
        QVERIFY(dropped);
        QVERIFY(fixture.session().snapshot.document.items[0].id != "i0");
        QVERIFY(fixture.session().item("i0"));
    }

    void aDragScrollsTheListAtTheEdgeAndDrops() {
        test::WindowFixture fixture;
        fixture.newDocument();
        fixture.load(longOutline(fixture.session(), ViewMode::list));
        ListOutlineView& list = fixture.list();
        const auto row = fixture.window().list().model().rowOf("i0");
        QVERIFY(row);
        std::unique_ptr<QMimeData> data(fixture.window().canvas().dragWriter()("i0"));
        const QPoint from = fixture.rowRect("i1").center();
        const QPoint bottom(from.x(), list.viewport()->height() - 4);
        auto scrolled = [&list] { return list.verticalScrollBar()->value() * 100; };
        QVERIFY(dragInSteps(list.viewport(), data.get(), from, bottom, scrolled));
        QVERIFY(list.verticalScrollBar()->value() > 0);
        QVERIFY(fixture.session().snapshot.document.items[0].id != "i0");
        QVERIFY(fixture.session().item("i0"));
    }

    // Ctrl held while dragging asks for a copy: the drag proposes copying, and the drop must
    // follow that rather than move because moving is possible too. In both views.
    void ctrlWhileDraggingCopiesInTheListAndTheCanvas() {
        for (const ViewMode view : {ViewMode::list, ViewMode::tree}) {
            test::WindowFixture fixture;
            QWidget* target = showSample(fixture, view);
            TreeCanvasView& canvas = fixture.window().canvas();
            auto intoAlpha = [&] {
                return view == ViewMode::list
                           ? fixture.rowRect("a").center()
                           : canvas.toWidget(canvas.scene().block("a")->frame).center().toPoint();
            };
            std::unique_ptr<QMimeData> data(canvas.dragWriter()("b"));
            QVERIFY(dropWith(target, data.get(), intoAlpha(), Qt::ControlModifier));
            const EditorSession& session = fixture.session();
            QCOMPARE(session.snapshot.document.items.size(), std::size_t(2));
            QCOMPARE(session.snapshot.document.items[1].id, std::string("b"));
            const auto copied = childIds(session, "a");
            QCOMPARE(copied.size(), std::size_t(3));
            QVERIFY(copied[2] != "b");
            QCOMPARE(session.item(copied[2])->text, std::string("Beta"));
            fixture.document().undoStack()->undo();
            QCOMPARE(childIds(session, "a").size(), std::size_t(2));

            QVERIFY(dropWith(target, data.get(), intoAlpha(), Qt::NoModifier));
            QCOMPARE(session.snapshot.document.items.size(), std::size_t(1));
            QCOMPARE(childIds(session, "a").back(), std::string("b"));
        }
    }

    // Another program that takes the drop and answers "moved" deletes nothing here: a drop
    // elsewhere is always a copy. Dragged out of the list and out of the canvas by the mouse.
    void aDropInAnotherProgramNeverDeletesTheItems() {
        int drags = 0;
        ItemDrag::setRunner([&drags](QDrag& drag) {
            ++drags;
            [&] { QVERIFY(drag.mimeData()->text().contains(QStringLiteral("Alpha"))); }();
            return Qt::MoveAction;
        });
        for (const ViewMode view : {ViewMode::list, ViewMode::tree}) {
            test::WindowFixture fixture;
            QWidget* source = showSample(fixture, view);
            const EditorSnapshot before = fixture.session().snapshot;
            const int records = fixture.document().undoStack()->count();
            TreeCanvasView& canvas = fixture.window().canvas();
            const QPoint from =
                view == ViewMode::list
                    ? fixture.rowRect("a").center() + QPoint(40, 0)
                    : canvas.toWidget(canvas.scene().block("a")->frame).center().toPoint();
            const int started = drags;
            QTest::mousePress(source, Qt::LeftButton, {}, from);
            QTest::mouseMove(source, from + QPoint(30, 30));
            QTest::mouseRelease(source, Qt::LeftButton, {}, from + QPoint(30, 30));
            QCOMPARE(drags, started + 1);
            QCOMPARE(fixture.session().snapshot.document, before.document);
            QCOMPARE(fixture.document().undoStack()->count(), records);
        }
        ItemDrag::setRunner({});
    }
};

OSTREVO_APP_TEST_MAIN(TreeCanvasWindowTest)
#include "tree_canvas_window_test.moc"
