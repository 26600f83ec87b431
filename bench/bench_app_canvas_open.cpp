// Opening a document in the tree view against reading its model: the document file's bytes
// read into a document (the model read), and the same read followed by the window showing the
// tree view and painting its first screen (everything expanded). Opening should cost at most
// twice the read at 1,000,000 items.
#include "app/document/velmora_document.hpp"
#include "app/platform/preferences.hpp"
#include "app/views/tree_canvas_view.hpp"
#include "app/window/document_tab.hpp"
#include "bench/outline_generator.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/model/tree_ops.hpp"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <map>

using namespace velmora;

namespace {

class NoHost final : public DocumentViewHost {
public:
    void carryOut(SideEffect, VelmoraDocument&) override {}
};

// The document file of the expanded outline, shown in the tree view; made once per size.
const QByteArray& fileBytes(std::int64_t items) {
    static std::map<std::int64_t, QByteArray> files;
    auto& bytes = files[items];
    if (bytes.isEmpty()) {
        EditorSnapshot snapshot;
        snapshot.document = TreeOps::setCollapsedAll(bench::cachedOutline(items), false);
        snapshot.view = ViewMode::tree;
        snapshot.selectedId = snapshot.document.items.front().id;
        const std::string text = NativeDocumentCodec::encode(snapshot, BackupSettings{});
        bytes = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }
    return bytes;
}

std::unique_ptr<VelmoraDocument> readDocument(const QByteArray& bytes) {
    const Preferences preferences;
    auto document = std::make_unique<VelmoraDocument>(preferences);
    if (document->read(bytes, VelmoraDocument::typeForPath(QStringLiteral("x.quenlith")),
                       preferences)) {
        return nullptr;
    }
    return document;
}

void BM_CanvasModelRead(benchmark::State& state) {
    const QByteArray& bytes = fileBytes(state.range(0));
    for (auto _ : state) {
        auto document = readDocument(bytes);
        benchmark::DoNotOptimize(document.get());
        state.PauseTiming();
        document.reset();
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_CanvasModelRead)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CanvasTreeOpen(benchmark::State& state) {
    const QByteArray& bytes = fileBytes(state.range(0));
    NoHost host;
    for (auto _ : state) {
        auto document = readDocument(bytes);
        if (!document || document->session().snapshot.view != ViewMode::tree) {
            state.SkipWithError("the document did not open in the tree view");
            return;
        }
        auto window = std::make_unique<DocumentTab>(*document, host);
        window->resize(1000, 700);
        window->show();
        // Painting draws nothing until the window is exposed.
        const QDeadlineTimer patience(2000);
        while (!window->windowHandle()->isExposed() && !patience.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        window->canvas().repaint();
        state.PauseTiming();
        window.reset();
        document.reset();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CanvasTreeOpen)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
