// The tree canvas inside the document window: which view shows, the editor over the block,
// and gestures that reach the session and its undo stack.
#include "app/shell/application.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/canvas_fixtures.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QDragMoveEvent>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
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
        const QRectF title = *canvas.textRect("b");
        QCOMPARE(fixture.editor().geometry().topLeft(),
                 QPoint(int(title.x()) - 1, int(title.y()) - 2));
        QCOMPARE(fixture.editor().toPlainText(), QStringLiteral("Beta"));

        snapshot.view = ViewMode::list;
        fixture.load(snapshot);
        QVERIFY(!canvas.isVisible());
        QVERIFY(fixture.list().isVisible());
        QCOMPARE(fixture.editor().parentWidget(), fixture.list().viewport());
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

    // The autoscroll of a drag mapped the canvas's point into the viewport as if the canvas
    // held the viewport, and crashed.
    void aDragScrollsTheCanvasAtTheEdgeAndDrops() {
        test::WindowFixture fixture;
        fixture.newDocument();
        fixture.load(longOutline(fixture.session(), ViewMode::tree));
        TreeCanvasView& canvas = fixture.window().canvas();
        auto* area = qobject_cast<QScrollArea*>(canvas.parentWidget()->parentWidget());
        QVERIFY(area);
        QVERIFY(canvas.height() > area->viewport()->height());
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
};

OSTREVO_APP_TEST_MAIN(TreeCanvasWindowTest)
#include "tree_canvas_window_test.moc"
