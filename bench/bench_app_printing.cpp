// Printing a large outline as a list to PDF: laying the rows out and painting every page, as
// File ▸ Export ▸ PDF does, and the page breaks alone.
#include "app/printing/document_print_view.hpp"
#include "app/printing/print_job.hpp"
#include "bench/outline_generator.hpp"
#include "core/layout/page_breaks.hpp"

#include <QApplication>
#include <QBuffer>
#include <QPdfWriter>

#include "bench/qt_bench_main.hpp"
#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

EditorSession listSession(std::int64_t items) {
    EditorSnapshot snapshot;
    snapshot.document = bench::cachedOutline(items);
    snapshot.view = ViewMode::list;
    return EditorSession::init(snapshot, EditorPreferences{});
}

void BM_ListPdfExport(benchmark::State& state) {
    const EditorSession session = listSession(state.range(0));
    PrintJob::Outcome outcome;
    qint64 bytes = 0;
    for (auto _ : state) {
        DocumentPrintView view(session, Appearance{}, QStringLiteral("Outline"));
        PrintInfo info = PrintInfo::standard();
        info.writeOptions({false, true, true}, false);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(info.pageLayout);
        writer.setResolution(PrintJob::deviceResolution());
        outcome = PrintJob::run(view, info, writer);
        bytes = buffer.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["pages"] = outcome.pages;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ListPdfExport)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ListLayoutOnly(benchmark::State& state) {
    const EditorSession session = listSession(state.range(0));
    for (auto _ : state) {
        DocumentPrintView view(session, Appearance{}, QStringLiteral("Outline"));
        view.prepare({false, true, true}, 523);
        benchmark::DoNotOptimize(view.size());
    }
}
BENCHMARK(BM_ListLayoutOnly)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PageBreaks(benchmark::State& state) {
    std::vector<PageSpan> rows;
    double y = 31;
    for (std::int64_t i = 0; i < state.range(0); ++i) {
        const double h = i % 5 == 0 ? 47 : 17;
        rows.push_back({y, y + h});
        y += h + 6;
    }
    const PageBreaks::Index index(rows);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PageBreaks::paginate(index, y, 770));
    }
}
BENCHMARK(BM_PageBreaks)->Arg(100'000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return velmora::bench::runQtBenchmarks(argc, argv);
}
