// The tree canvas with everything expanded: a full reload (measuring, layout and the first
// paint of a window-sized view), a repaint while scrolling, the refresh after a one-item edit,
// which must stay within one frame (16 ms) even at 1,000,000 items, and a column drag; a block
// whose title is one word of 100 KB or 1 MB, which must cost what its lines show.
#include "app/views/tree_canvas_view.hpp"
#include "bench/outline_generator.hpp"
#include "core/layout/column_widths.hpp"
#include "core/model/tree_ops.hpp"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "bench/qt_bench_main.hpp"
#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

const QSize kViewport(1280, 800);

EditorSession expandedSession(std::int64_t items) {
    EditorSnapshot snapshot;
    snapshot.document = TreeOps::setCollapsedAll(bench::cachedOutline(items), false);
    snapshot.view = ViewMode::tree;
    snapshot.showAllNotes = true;
    snapshot.selectedId = snapshot.document.items.front().id;
    return EditorSession::init(snapshot, EditorPreferences{});
}

CanvasOptions paperOptions() {
    CanvasOptions options;
    options.appearance.paperStyle = PaperStyle::dots;
    options.highlightBranch = true;
    return options;
}

// Paints the part of the canvas a window of the viewport's size shows at the offset.
void paintViewport(TreeCanvasView& canvas, QImage& image, int y) {
    image.fill(Qt::transparent);
    canvas.render(&image, QPoint(), QRegion(0, y, kViewport.width(), kViewport.height()));
}

void BM_CanvasFullReload(benchmark::State& state) {
    const EditorSession session = expandedSession(state.range(0));
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        TreeCanvasView canvas;
        canvas.setOptions(paperOptions());
        canvas.setSession(session);
        canvas.reload();
        paintViewport(canvas, image, 0);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["blocks"] =
        static_cast<double>(TreeLayout::shownCount(session.snapshot.document.items));
}
BENCHMARK(BM_CanvasFullReload)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_CanvasScrollRepaint(benchmark::State& state) {
    const EditorSession session = expandedSession(state.range(0));
    TreeCanvasView canvas;
    canvas.setOptions(paperOptions());
    canvas.setSession(session);
    canvas.reload();
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    const int height = canvas.height() - kViewport.height();
    int y = 0;
    for (auto _ : state) {
        y = (y + 613) % std::max(1, height);
        paintViewport(canvas, image, y);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CanvasScrollRepaint)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_CanvasOneItemEdit(benchmark::State& state) {
    EditorSession session = expandedSession(state.range(0));
    const std::string id = bench::deepItemId(session.snapshot.document);
    TreeCanvasView canvas;
    canvas.setOptions(paperOptions());
    canvas.setSession(session);
    canvas.reload();
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    int edit = 0;
    for (auto _ : state) {
        session.snapshot.document =
            TreeOps::updateItem(session.snapshot.document, id,
                                [&](Item& i) { i.text = "Edited " + std::to_string(++edit); });
        canvas.setSession(session);
        canvas.reload();
        paintViewport(canvas, image, 0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CanvasOneItemEdit)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// One mouse move of a column drag: the edge of column `depth` (0, the first, or 3) swept to
// and fro across a range of widths, so after the first sweep every width was seen before.
void BM_CanvasColumnDrag(benchmark::State& state) {
    EditorSession session = expandedSession(state.range(0));
    const auto depth = static_cast<std::size_t>(state.range(1));
    TreeCanvasView canvas;
    canvas.setOptions(paperOptions());
    canvas.setSession(session);
    canvas.reload();
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    std::vector<double> widths(depth + 1, ColumnWidths::standard);
    int step = 0;
    for (auto _ : state) {
        // 150…290 and back, in steps of 7 points.
        const int phase = step++ % 40;
        widths[depth] = 150 + 7 * (phase < 20 ? phase : 40 - phase);
        session.snapshot.columnWidths = widths;
        canvas.setSession(session);
        canvas.reload();
        paintViewport(canvas, image, 0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CanvasColumnDrag)
    ->Args({10'000, 0})
    ->Args({10'000, 3})
    ->Args({100'000, 0})
    ->Args({100'000, 3})
    ->Unit(benchmark::kMillisecond);

} // namespace

// The two halves of a refresh on their own: rebuilding the scene with every block measured
// already, and painting a window-sized view.
namespace {

void BM_CanvasSceneRebuild(benchmark::State& state) {
    const EditorSession session = expandedSession(state.range(0));
    auto measurer = std::make_shared<BlockMeasurer>();
    TreeLayoutCache cache;
    benchmark::DoNotOptimize(buildScene(session, paperOptions(), measurer, cache));
    for (auto _ : state) {
        TreeLayoutCache fresh; // laid out afresh, measured from memory
        auto scene = buildScene(session, paperOptions(), measurer, fresh);
        benchmark::DoNotOptimize(scene);
    }
}
BENCHMARK(BM_CanvasSceneRebuild)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_CanvasViewportPaint(benchmark::State& state) {
    const EditorSession session = expandedSession(state.range(0));
    TreeCanvasView canvas;
    canvas.setOptions(paperOptions());
    canvas.setSession(session);
    canvas.reload();
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        paintViewport(canvas, image, 0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CanvasViewportPaint)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace

// A title without a blank, of `state.range(0)` characters, in a short document: measuring its
// block alone, and opening the tree view on it (measuring, layout and the first paint).
namespace {

Item hugeTitleItem(std::int64_t characters) {
    return Item::blank("huge", std::string(static_cast<std::size_t>(characters), 'm'));
}

void BM_CanvasHugeTitleMeasure(benchmark::State& state) {
    const Item item = hugeTitleItem(state.range(0));
    for (auto _ : state) {
        auto metrics =
            BlockMeasurer::compute(item, TreeLayout::standardNodeWidth, false, NoteShow::none);
        benchmark::DoNotOptimize(metrics);
    }
}
BENCHMARK(BM_CanvasHugeTitleMeasure)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_CanvasHugeTitleOpen(benchmark::State& state) {
    EditorSnapshot snapshot;
    std::vector<Item> items{Item::blank("before", "Before"), hugeTitleItem(state.range(0)),
                            Item::blank("after", "After")};
    snapshot.document = TreeDocument{"doc", "Doc", ItemList(std::move(items))};
    snapshot.view = ViewMode::tree;
    const EditorSession session = EditorSession::init(snapshot, EditorPreferences{});
    QImage image(kViewport, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        TreeCanvasView canvas;
        canvas.setOptions(paperOptions());
        canvas.setSession(session);
        canvas.reload();
        paintViewport(canvas, image, 0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CanvasHugeTitleOpen)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return velmora::bench::runQtBenchmarks(argc, argv);
}
