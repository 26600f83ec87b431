// Markdown lists of the 100,000- and 1,000,000-item outlines: writing, reading, and the whole
// of `ostrevo-cli convert outline.quenlith outline.md` (read the document file, decode it,
// write the Markdown text atomically).
#include "bench/outline_generator.hpp"
#include "core/formats/file_system.hpp"
#include "core/formats/markdown_codec.hpp"
#include "core/formats/native_document_codec.hpp"
#include "core/library/library.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>

using namespace velmora;

namespace {

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

const std::string& markdownText(std::int64_t n) {
    static std::map<std::int64_t, std::string> cache;
    auto& text = cache[n];
    if (text.empty())
        text = MarkdownCodec::encode(bench::cachedOutline(n).items);
    return text;
}

void BM_MarkdownEncode(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string text = MarkdownCodec::encode(doc.items);
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_MarkdownEncode)->Apply(sizes);

void BM_MarkdownDecode(benchmark::State& state) {
    const std::string& text = markdownText(state.range(0));
    for (auto _ : state) {
        auto document = MarkdownCodec::decode(text, "Imported");
        if (!document.ok())
            state.SkipWithError("the Markdown did not read");
        state.PauseTiming();
        { auto gone = std::move(document); }
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
}
BENCHMARK(BM_MarkdownDecode)->Apply(sizes);

// The document file is written once; each iteration converts it as ostrevo-cli does.
void BM_ConvertDocumentFileToMarkdown(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "ostrevo-bench-markdown";
    fs::create_directories(folder);
    const fs::path in = folder / "outline.quenlith", out = folder / "outline.md";
    EditorSnapshot snapshot;
    snapshot.document = bench::cachedOutline(state.range(0));
    LocalFileSystem files;
    if (!files.write(in, NativeDocumentCodec::encode(snapshot, BackupSettings{}),
                     FileSystem::Overwrite::replace))
        state.SkipWithError("the document file could not be written");
    for (auto _ : state) {
        auto data = Library::readFile(in);
        auto loaded = NativeDocumentCodec::decode(*data);
        if (!loaded.ok()) {
            state.SkipWithError("the document file did not read");
            break;
        }
        std::string text = MarkdownCodec::encode(loaded.value().document.items);
        if (!files.write(out, text, FileSystem::Overwrite::replace))
            state.SkipWithError("the Markdown file could not be written");
        state.PauseTiming();
        { auto gone = std::move(loaded); }
        state.ResumeTiming();
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}
BENCHMARK(BM_ConvertDocumentFileToMarkdown)->Apply(sizes);

} // namespace
