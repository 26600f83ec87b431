// The library at 1,000 documents of about 200 items: scanning, and searching with a cold and
// a warm text cache.
#include "bench/outline_generator.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/library/library.hpp"

#include <benchmark/benchmark.h>

#include <fstream>

using namespace velmora;
namespace fs = std::filesystem;

namespace {

// A library folder of 1,000 generated documents in 10 folders, made once per run.
const fs::path& library() {
    static const fs::path root = [] {
        auto dir = fs::temp_directory_path() / "ostrevo-bench-library";
        fs::remove_all(dir);
        for (int i = 0; i < 1000; ++i) {
            auto doc = bench::generateOutline(200, static_cast<std::uint64_t>(i) + 1);
            doc.title = "Document " + std::to_string(i);
            EditorSnapshot snapshot;
            snapshot.document = doc;
            auto folder = dir / ("Folder " + std::to_string(i % 10));
            fs::create_directories(folder);
            std::ofstream(folder / (doc.title + ".quenlith"))
                << NativeDocumentCodec::encode(snapshot, BackupSettings{});
        }
        return dir;
    }();
    return root;
}

void BM_LibraryScan(benchmark::State& state) {
    const auto& root = library();
    for (auto _ : state)
        benchmark::DoNotOptimize(Library::scan(root));
}
BENCHMARK(BM_LibraryScan)->Unit(benchmark::kMillisecond);

// A query that no name matches, so every document's text is searched.
void BM_LibrarySearchColdCache(benchmark::State& state) {
    auto entries = Library::scan(library());
    for (auto _ : state) {
        Library::TextCache cache;
        benchmark::DoNotOptimize(
            Library::search("zürich budget", entries, cache, Library::readFile));
    }
}
BENCHMARK(BM_LibrarySearchColdCache)->Unit(benchmark::kMillisecond);

void BM_LibrarySearchWarmCache(benchmark::State& state) {
    auto entries = Library::scan(library());
    Library::TextCache cache;
    benchmark::DoNotOptimize(Library::search("warm up", entries, cache, Library::readFile));
    for (auto _ : state)
        benchmark::DoNotOptimize(
            Library::search("zürich budget", entries, cache, Library::readFile));
}
BENCHMARK(BM_LibrarySearchWarmCache)->Unit(benchmark::kMillisecond);

} // namespace
