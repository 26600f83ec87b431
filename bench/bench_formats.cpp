// Reading and writing the 100,000- and 1,000,000-item outlines as backup text, as OPML and as
// Org (the same outline, headline for item, so that BM_OrgDecode compares with BM_OPMLDecode),
// beside the bare parse of the same bytes by simdjson and expat. Each benchmark also reports
// the peak of heap memory allocated during one operation ("peak_MB"; expat's own buffers are
// not counted, they stay small because the parser streams).
#include "bench/outline_generator.hpp"
#include "core/formats/backup_codec.hpp"
#include "core/formats/opml_codec.hpp"
#include "core/formats/org_codec.hpp"
#include "tests/core/formats/backup_reference.hpp"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <simdjson.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <malloc.h>
#include <map>
#include <new>

// The replaced operator new below allocates with malloc, so freeing its blocks with free is
// right; GCC cannot see that through the replacement.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<std::int64_t> g_current{0};
std::atomic<std::int64_t> g_peak{0};

} // namespace

// The counting allocator is left out under AddressSanitizer, which has its own.
#if !defined(__SANITIZE_ADDRESS__)
namespace {

void* counted(void* p) {
    if (!p)
        return p;
    auto now = g_current.fetch_add(static_cast<std::int64_t>(malloc_usable_size(p))) +
               static_cast<std::int64_t>(malloc_usable_size(p));
    auto peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return p;
}

void release(void* p) {
    if (!p)
        return;
    g_current.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(p)));
    std::free(p);
}

void* allocate(std::size_t size, std::size_t alignment = 0) {
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size ? size : 1);
    return counted(p);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* p = allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t a) {
    if (void* p = allocate(size, static_cast<std::size_t>(a)))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t a) {
    return operator new(size, a);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
#endif

using namespace velmora;

namespace {

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();
}

const BackupSettings kSettings{};

const std::string& backupText(std::int64_t n) {
    static std::map<std::int64_t, std::string> cache;
    auto& text = cache[n];
    if (text.empty())
        text = BackupCodec::encode({bench::cachedOutline(n)}, kSettings);
    return text;
}

const std::string& opmlText(std::int64_t n) {
    static std::map<std::int64_t, std::string> cache;
    auto& text = cache[n];
    if (text.empty()) {
        const auto& doc = bench::cachedOutline(n);
        text = OPMLCodec::encode(doc.title, doc.items);
    }
    return text;
}

// The outline as people write Org (no ids), or as the Org export writes it (ids in property
// drawers, as the OPML export carries them in attributes).
const std::string& orgText(std::int64_t n, bool written = false) {
    static std::map<std::pair<std::int64_t, bool>, std::string> cache;
    auto& text = cache[{n, written}];
    if (text.empty()) {
        const auto& doc = bench::cachedOutline(n);
        text = written ? OrgCodec::encode(doc.title, doc.items) : bench::writeOrg(doc);
    }
    return text;
}

// Measures the heap peak above the level at the start of each operation.
class PeakMemory {
public:
    void start() {
        m_base = g_current.load();
        g_peak.store(m_base);
    }
    void stop() { m_max = std::max(m_max, g_peak.load() - m_base); }
    void report(benchmark::State& state, std::size_t bytes) const {
        state.counters["peak_MB"] = static_cast<double>(m_max) / 1e6;
        state.counters["input_MB"] = static_cast<double>(bytes) / 1e6;
        state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    }

private:
    std::int64_t m_base = 0;
    std::int64_t m_max = 0;
};

void BM_BackupEncode(benchmark::State& state) {
    std::vector<TreeDocument> documents{bench::cachedOutline(state.range(0))};
    std::size_t bytes = 0;
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        std::string text = BackupCodec::encode(documents, kSettings);
        peak.stop();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    peak.report(state, bytes);
}
BENCHMARK(BM_BackupEncode)->Apply(sizes);

// The same text handed to a sink in pieces, as a save streams it into its temporary file; the
// sink only counts the bytes, so the peak is what the writer itself holds.
void BM_BackupEncodeStreamed(benchmark::State& state) {
    std::vector<TreeDocument> documents{bench::cachedOutline(state.range(0))};
    std::size_t bytes = 0;
    PeakMemory peak;
    for (auto _ : state) {
        bytes = 0;
        peak.start();
        bool written = BackupCodec::write(documents, kSettings, [&](std::string_view piece) {
            bytes += piece.size();
            benchmark::DoNotOptimize(piece.data());
            return true;
        });
        peak.stop();
        if (!written)
            state.SkipWithError("the sink refused a piece");
    }
    peak.report(state, bytes);
}
BENCHMARK(BM_BackupEncodeStreamed)->Apply(sizes);

void BM_BackupDecode(benchmark::State& state) {
    const std::string& text = backupText(state.range(0));
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        auto backup = BackupCodec::decode(text);
        peak.stop();
        if (!backup.ok())
            state.SkipWithError("the backup did not read");
        state.PauseTiming(); // freeing the tree is not part of reading it
        { auto gone = std::move(backup); }
        state.ResumeTiming();
    }
    peak.report(state, text.size());
}
BENCHMARK(BM_BackupDecode)->Apply(sizes);

// The reader over a parsed tree of the whole file, which the streaming reader replaced.
void BM_BackupDecodeTree(benchmark::State& state) {
    const std::string& text = backupText(state.range(0));
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        auto backup = BackupReference::decode(text);
        peak.stop();
        if (!backup.ok())
            state.SkipWithError("the backup did not read");
        state.PauseTiming();
        { auto gone = std::move(backup); }
        state.ResumeTiming();
    }
    peak.report(state, text.size());
}
BENCHMARK(BM_BackupDecodeTree)->Apply(sizes);

// Where the model's memory goes, per item of a document read from a backup: the whole tree as
// read (nodes, texts, child lists with their id keys), then the id index that the first lookup
// by id builds.
void BM_ModelBytesPerItem(benchmark::State& state) {
    const std::string& text = backupText(state.range(0));
    double items = static_cast<double>(state.range(0));
    for (auto _ : state) {
        auto before = g_current.load();
        auto backup = BackupCodec::decode(text);
        auto read = g_current.load();
        auto index = backup.value().documents.front().items.idIndex();
        auto indexed = g_current.load();
        state.counters["tree_B_per_item"] = static_cast<double>(read - before) / items;
        state.counters["index_B_per_item"] = static_cast<double>(indexed - read) / items;
        state.PauseTiming();
        { auto gone = std::move(backup); }
        state.ResumeTiming();
    }
    state.counters["sizeof_Item"] = sizeof(Item);
}
BENCHMARK(BM_ModelBytesPerItem)->Arg(100'000)->Arg(1'000'000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_SimdjsonBareParse(benchmark::State& state) {
    const std::string& text = backupText(state.range(0));
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        simdjson::dom::parser parser;
        simdjson::dom::element root;
        auto error = parser.parse(text.data(), text.size(), true).get(root);
        peak.stop();
        if (error)
            state.SkipWithError("simdjson refused the text");
        benchmark::DoNotOptimize(root);
    }
    peak.report(state, text.size());
}
BENCHMARK(BM_SimdjsonBareParse)->Apply(sizes);

// Our reader against simdjson's bare DOM parse of the same bytes, each timed in the same
// iteration: "decode_per_parse" against a parse with a fresh parser (as a program opening one
// file pays for it: allocation and page faults included, as in BM_SimdjsonBareParse), and
// "decode_per_warm_parse" against a parser kept from an earlier parse of the same bytes.
void BM_BackupDecodeVsBareParse(benchmark::State& state) {
    const std::string& text = backupText(state.range(0));
    simdjson::dom::parser warm;
    simdjson::dom::element root;
    if (warm.parse(text.data(), text.size(), true).get(root))
        state.SkipWithError("simdjson refused the text");
    using Clock = std::chrono::steady_clock;
    Clock::duration cold{}, bare{}, decode{};
    PeakMemory peak;
    for (auto _ : state) {
        auto start = Clock::now();
        {
            simdjson::dom::parser parser;
            simdjson::dom::element fresh;
            if (parser.parse(text.data(), text.size(), true).get(fresh))
                state.SkipWithError("simdjson refused the text");
            benchmark::DoNotOptimize(fresh);
        }
        auto coldParsed = Clock::now();
        auto error = warm.parse(text.data(), text.size(), false).get(root);
        benchmark::DoNotOptimize(root);
        auto parsed = Clock::now();
        peak.start();
        auto backup = BackupCodec::decode(text);
        peak.stop();
        auto decoded = Clock::now();
        if (error || !backup.ok())
            state.SkipWithError("the backup did not read");
        cold += coldParsed - start;
        bare += parsed - coldParsed;
        decode += decoded - parsed;
        state.PauseTiming();
        { auto gone = std::move(backup); }
        state.ResumeTiming();
    }
    auto ms = [&](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count() /
               static_cast<double>(state.iterations());
    };
    state.counters["parse_ms"] = ms(cold);
    state.counters["warm_parse_ms"] = ms(bare);
    state.counters["decode_ms"] = ms(decode);
    state.counters["decode_per_parse"] = ms(decode) / ms(cold);
    state.counters["decode_per_warm_parse"] = ms(decode) / ms(bare);
    peak.report(state, text.size());
    state.counters["peak_per_input"] =
        state.counters["peak_MB"].value / state.counters["input_MB"].value;
}
BENCHMARK(BM_BackupDecodeVsBareParse)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_OPMLEncode(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    std::size_t bytes = 0;
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        std::string text = OPMLCodec::encode(doc.title, doc.items);
        peak.stop();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    peak.report(state, bytes);
}
BENCHMARK(BM_OPMLEncode)->Apply(sizes);

void BM_OPMLDecode(benchmark::State& state) {
    const std::string& text = opmlText(state.range(0));
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        auto document = OPMLCodec::decode(text, "Imported");
        peak.stop();
        if (!document.ok())
            state.SkipWithError("the OPML did not read");
        state.PauseTiming();
        { auto gone = std::move(document); }
        state.ResumeTiming();
    }
    peak.report(state, text.size());
}
BENCHMARK(BM_OPMLDecode)->Apply(sizes);

void BM_OrgDecode(benchmark::State& state) {
    const std::string& text = orgText(state.range(0), state.range(1) != 0);
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        auto document = OrgCodec::decode(text, "Imported");
        peak.stop();
        if (!document.ok() ||
            document.value().itemCount() != bench::cachedOutline(state.range(0)).itemCount())
            state.SkipWithError("the Org file did not read as the outline");
        state.PauseTiming();
        { auto gone = std::move(document); }
        state.ResumeTiming();
    }
    peak.report(state, text.size());
}
// The second argument: 0 for Org as people write it, 1 for the export with its id drawers.
BENCHMARK(BM_OrgDecode)
    ->ArgsProduct({{100'000, 1'000'000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

void BM_OrgEncode(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    std::size_t bytes = 0;
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        std::string text = OrgCodec::encode(doc.title, doc.items);
        peak.stop();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    peak.report(state, bytes);
}
BENCHMARK(BM_OrgEncode)->Apply(sizes);

void BM_ExpatBareParse(benchmark::State& state) {
    const std::string& text = opmlText(state.range(0));
    PeakMemory peak;
    for (auto _ : state) {
        peak.start();
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(
            parser, [](void*, const XML_Char*, const XML_Char**) {}, [](void*, const XML_Char*) {});
        bool ok = true;
        constexpr std::size_t kChunk = std::size_t{1} << 24;
        for (std::size_t at = 0; ok && at < text.size(); at += kChunk) {
            auto length = std::min(kChunk, text.size() - at);
            ok = XML_Parse(parser, text.data() + at, static_cast<int>(length),
                           at + length == text.size()) == XML_STATUS_OK;
        }
        XML_ParserFree(parser);
        peak.stop();
        if (!ok)
            state.SkipWithError("expat refused the text");
    }
    peak.report(state, text.size());
}
BENCHMARK(BM_ExpatBareParse)->Apply(sizes);

} // namespace
