// The library at 1,000 documents of 420 items each (420,000 items in 10 folders of 100): the
// scan and a search, which run in the background, and the main thread's share, which must stay
// within a frame (16 ms): the sidebar's first paint (built from the scan and painted at window
// size, with the folders collapsed and expanded), a keystroke in the search field (it only
// starts a background search), and putting a search's results on screen.
#include "app/library/library_controller.hpp"
#include "app/library/library_store.hpp"
#include "app/platform/preferences.hpp"
#include "bench/outline_generator.hpp"
#include "core/formats/native_document_codec.hpp"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>

#include "bench/qt_bench_main.hpp"
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>

using namespace velmora;
namespace fs = std::filesystem;

namespace {

constexpr int kDocuments = 1000;
constexpr int kItemsPerDocument = 420;
constexpr int kFolders = 10;
const QSize kSidebar(260, 800);

QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

QString documentsFolder() {
    return QDir(scratch().path()).filePath(QStringLiteral("Documents"));
}

// The library, written once per run.
const QString& libraryRoot() {
    static const QString root = [] {
        const QString folder = QDir(documentsFolder()).filePath(QStringLiteral("Ostrevo"));
        for (int i = 0; i < kDocuments; ++i) {
            auto doc = bench::generateOutline(kItemsPerDocument, static_cast<std::uint64_t>(i) + 1);
            doc.title = "Document " + std::to_string(i);
            EditorSnapshot snapshot;
            snapshot.document = doc;
            const auto dir = LibraryStore::toPath(folder) / ("Folder " + std::to_string(i % kFolders));
            fs::create_directories(dir);
            std::ofstream(dir / (doc.title + ".quenlith"))
                << NativeDocumentCodec::encode(snapshot, BackupSettings{});
        }
        return folder;
    }();
    return root;
}

// Made on first use; gone before the application object (main resets it).
std::unique_ptr<LibraryStore> madeStore;

LibraryStore& store() {
    if (!madeStore) {
        libraryRoot();
        madeStore = std::make_unique<LibraryStore>(scratch().path(), documentsFolder());
        while (!madeStore->hasScanned()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        }
    }
    return *madeStore;
}

void setFoldersExpanded(bool expanded) {
    QStringList folders;
    if (expanded) {
        for (const auto& entry : store().entries()) {
            folders.append(LibraryStore::fromPath(entry.url));
        }
    }
    Preferences().setStringList(PreferenceKeys::libraryExpanded, folders);
}

void BM_LibraryScan(benchmark::State& state) {
    const auto root = LibraryStore::toPath(libraryRoot());
    for (auto _ : state) {
        benchmark::DoNotOptimize(Library::scan(root));
    }
    state.counters["documents"] = kDocuments;
}
BENCHMARK(BM_LibraryScan)->Unit(benchmark::kMillisecond);

// From asking to the result applied, the main thread free meanwhile.
void BM_LibraryRescanInBackground(benchmark::State& state) {
    LibraryStore& library = store();
    for (auto _ : state) {
        const quint64 before = library.scanGeneration();
        library.rescan();
        bool applied = false;
        QObject::connect(&library, &LibraryStore::scanned, &library, [&] { applied = true; },
                         Qt::SingleShotConnection);
        while (!applied) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        benchmark::DoNotOptimize(before);
    }
}
BENCHMARK(BM_LibraryRescanInBackground)->Unit(benchmark::kMillisecond)->UseRealTime();

// A query that no name matches, so every document's text is searched (a warm text cache).
void BM_LibrarySearchWarm(benchmark::State& state) {
    auto entries = store().entries();
    Library::TextCache cache;
    benchmark::DoNotOptimize(Library::search("warm up", entries, cache, Library::readFile));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            Library::search("zürich budget", entries, cache, Library::readFile));
    }
}
BENCHMARK(BM_LibrarySearchWarm)->Unit(benchmark::kMillisecond);

// Main thread: a new sidebar built from the scan and painted (0: folders collapsed, 1: all ten
// folders expanded, 1,000 document rows).
void BM_SidebarFirstPaint(benchmark::State& state) {
    store();
    setFoldersExpanded(state.range(0) != 0);
    QImage image(kSidebar, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        LibraryController sidebar(store(), nullptr);
        sidebar.resize(kSidebar);
        sidebar.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SidebarFirstPaint)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Main thread: one keystroke in the search field, which starts a background search.
void BM_SearchKeystroke(benchmark::State& state) {
    LibraryController sidebar(store(), nullptr);
    sidebar.resize(kSidebar);
    const QString queries[] = {QStringLiteral("zürich b"), QStringLiteral("zürich bu")};
    int n = 0;
    for (auto _ : state) {
        sidebar.searchField().setText(queries[n++ % 2]);
    }
    sidebar.searchField().clear();
}
BENCHMARK(BM_SearchKeystroke)->Unit(benchmark::kMicrosecond);

// Main thread: the results of a search put on screen and painted (10 or all 1,000 documents).
void BM_SearchResultsShown(benchmark::State& state) {
    LibraryController sidebar(store(), nullptr);
    sidebar.resize(kSidebar);
    auto all = Library::documents(store().entries());
    all.resize(std::size_t(state.range(0)));
    QImage image(kSidebar, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        sidebar.showResults(all);
        sidebar.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SearchResultsShown)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Preferences in the scratch folder, never the user's.
    qputenv("XDG_CONFIG_HOME", QDir(scratch().path()).filePath(QStringLiteral("config")).toLocal8Bit());
    return velmora::bench::runQtBenchmarks(argc, argv, [] {
        madeStore.reset();
    });
}
