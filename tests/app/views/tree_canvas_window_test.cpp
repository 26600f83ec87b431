// The tree canvas inside the document window: which view shows, the editor over the block,
// and gestures that reach the session and its undo stack.
#include "app/shell/application.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/canvas_fixtures.hpp"
#include "tests/app/views/window_fixture.hpp"

#include <QScrollArea>
#include <QUndoStack>

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
    for (const auto& knob : canvas.scene().layout.knobs) {
        if (knob.id == id) {
            return canvas.toWidget(QRectF(knob.cx + 8, knob.cy + 6, 0, 0)).topLeft().toPoint();
        }
    }
    return {};
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
};

OSTREVO_APP_TEST_MAIN(TreeCanvasWindowTest)
#include "tree_canvas_window_test.moc"
