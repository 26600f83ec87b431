// What the canvas measures: large documents lazily (the first screen is measured before it
// shows, scrolling measures what comes into view without moving the block at the top of the
// view, and once everything was seen the canvas is laid out exactly as a canvas that measured
// everything), and a column drag measures no one-line title again, nor any title at a width
// it was measured at.
#include "app/shell/application.hpp"
#include "core/model/tree_ops.hpp"
#include "tests/app/support/isolated_home.hpp"
#include "tests/app/views/canvas_fixtures.hpp"

#include <QScrollBar>
#include <QtTest>

using namespace velmora;
using velmora::test::item;

namespace {

// Items whose titles wrap over several lines now and then, some with children.
std::vector<Item> mixedItems(int count) {
    std::vector<Item> items;
    for (int i = 0; i < count; ++i) {
        const std::string text = i % 7 == 0 ? "A title long enough to wrap over several lines "
                                              "of its block, number " + std::to_string(i)
                                            : "Item " + std::to_string(i);
        std::vector<Item> children;
        if (i % 5 == 0) {
            for (int c = 0; c < 3; ++c) {
                children.push_back(item("c" + std::to_string(i) + "-" + std::to_string(c),
                                        c == 1 ? text + " child" : "Child"));
            }
        }
        items.push_back(item("i" + std::to_string(i), text, std::move(children)));
    }
    return items;
}

// A canvas that measures lazily whatever the size, in a scroll area of 600 × 400.
struct LazyWindow {
    explicit LazyWindow(const EditorSession& s) {
        area.resize(600, 400);
        canvas = new TreeCanvasView;
        canvas->setLazyThreshold(0);
        area.setCanvas(canvas);
        area.show();
        canvas->setSession(s);
        canvas->reload();
    }
    CanvasScrollArea area;
    TreeCanvasView* canvas = nullptr;
};

// Whether every block within the view has its measured size.
bool shownBlocksAreMeasured(const LazyWindow& w) {
    const QRectF shown = w.canvas->shownRect();
    const auto part = LayoutQuery::visible(*w.canvas->scene().tree,
                                           shown.top() - CanvasScene::insetY,
                                           shown.bottom() - CanvasScene::insetY, nullptr);
    return std::none_of(part.blocks.begin(), part.blocks.end(), [&](const auto& b) {
        return b.entry->estimated && b.frame.maxY() + CanvasScene::insetY > shown.top() &&
               b.frame.y + CanvasScene::insetY < shown.bottom();
    });
}

} // namespace

class TreeCanvasLazyTest : public QObject {
    Q_OBJECT
public:
    explicit TreeCanvasLazyTest(QString) {}

private slots:
    void theFirstScreenIsMeasuredAndTheRestEstimated() {
        const auto s = test::session(mixedItems(400));
        LazyWindow w(s);
        QVERIFY(shownBlocksAreMeasured(w));
        QVERIFY(w.canvas->lastMeasuredCount() < 100);
        const auto whole = buildScene(s, CanvasOptions{});
        // Nothing above the first screen was estimated: its blocks are where a canvas that
        // measured everything puts them.
        for (const char* id : {"i0", "c0-1", "i1", "i5", "i7"}) {
            QCOMPARE(w.canvas->scene().block(id)->frame, whole.block(id)->frame);
        }
    }

    void scrollingMeasuresWithoutMovingTheTopBlockAndEndsAsAFullLayout() {
        for (ViewMode view : {ViewMode::tree, ViewMode::map}) {
            const auto s = test::session(mixedItems(300), view);
            LazyWindow w(s);
            QScrollBar* bar = w.area.verticalScrollBar();
            for (int step = 1; bar->value() < bar->maximum(); ++step) {
                const int target = std::min(bar->maximum(), bar->value() + 350);
                // The block at the top of the view before its neighbours are measured.
                const auto before = LayoutQuery::visible(*w.canvas->scene().tree,
                                                         target - CanvasScene::insetY,
                                                         target + 400, nullptr);
                std::optional<std::pair<std::string, double>> anchor;
                for (const auto& b : before.blocks) {
                    const double top = b.frame.y + CanvasScene::insetY;
                    if (top >= target && (!anchor || top < anchor->second)) {
                        anchor = {b.entry->node->id, top};
                    }
                }
                bar->setValue(target);
                QVERIFY(shownBlocksAreMeasured(w));
                if (anchor) {
                    const double onScreen =
                        w.canvas->scene().block(anchor->first)->frame.top() - bar->value();
                    QVERIFY2(std::abs(onScreen - (anchor->second - target)) <= 1,
                             anchor->first.c_str());
                }
                QVERIFY(step < 200);
            }
            QCOMPARE(w.canvas->scene().layout(), buildScene(s, CanvasOptions{}).layout());
        }
    }

    void aSelectionFarBelowIsScrolledIntoViewOnceMeasured() {
        for (ViewMode view : {ViewMode::tree, ViewMode::map}) {
            auto s = test::session(mixedItems(400), view);
            LazyWindow w(s);
            for (const char* id : {"i250", "c35-1", "i399", "i120"}) {
                s.snapshot.selectedId = id;
                w.canvas->setSession(s);
                w.canvas->reload();
                const QRectF frame = w.canvas->scene().block(id)->frame;
                const QRectF shown = w.canvas->shownRect();
                QVERIFY2(shown.contains(frame), id);
                QVERIFY(shownBlocksAreMeasured(w));
            }
        }
    }

    void anEditRemeasuresOnlyTheEditedBlock() {
        auto s = test::session(mixedItems(400));
        LazyWindow w(s);
        s.snapshot.document = TreeOps::updateItem(s.snapshot.document, "i3", [](Item& i) {
            i.text = "A title long enough to wrap over several lines of its block now";
        });
        w.canvas->setSession(s);
        w.canvas->reload();
        QCOMPARE(w.canvas->lastMeasuredCount(), 1);
        QCOMPARE(w.canvas->scene().block("i3")->frame.height(),
                 buildScene(s, CanvasOptions{}).block("i3")->frame.height());
    }

    void aColumnDragMeasuresNoOneLineTitleAgain() {
        auto s = test::session(mixedItems(40));
        test::CanvasWindow w(s);
        for (double width : {300.0, 260.0, 140.0, 400.0}) {
            s.snapshot.columnWidths = std::vector<double>{width, width};
            w.reload(s);
            // Only titles that wrap (at this width or the last) are laid out again: a few of 64.
            QVERIFY2(w.canvas->lastMeasuredCount() <= 16,
                     std::to_string(w.canvas->lastMeasuredCount()).c_str());
            QCOMPARE(w.canvas->scene().layout(), buildScene(s, CanvasOptions{}).layout());
        }
        // Back over widths seen before, one column at a time: nothing is measured again.
        for (const auto& widths : std::vector<std::vector<double>>{
                 {300, 400}, {140, 400}, {140, 260}, {260, 260}, {400, 300}, {400, 400}}) {
            s.snapshot.columnWidths = widths;
            w.reload(s);
            QCOMPARE(w.canvas->lastMeasuredCount(), 0);
            QCOMPARE(w.canvas->scene().layout(), buildScene(s, CanvasOptions{}).layout());
        }
    }
};

OSTREVO_APP_TEST_MAIN(TreeCanvasLazyTest)
#include "tree_canvas_lazy_test.moc"
