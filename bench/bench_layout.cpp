// The tree and map layout of a fully expanded outline of 10,000 and 100,000 shown items, with a
// measured size for every item as the canvas passes it (sized:1) and without sizes (sized:0);
// and the layout kept by node after a one-item edit, alone and with writing out every record.
#include "bench/outline_generator.hpp"
#include "core/layout/layout_cache.hpp"
#include "core/layout/tree_layout.hpp"
#include "core/model/tree_ops.hpp"

#include <benchmark/benchmark.h>

#include <map>

using namespace velmora;

namespace {

struct Fixture {
    TreeDocument doc;
    LayoutSizes sizes;
};

void measure(const ItemList& items, LayoutSizes& sizes) {
    for (const Item& item : items) {
        const double lines = item.text.size() > 30 ? 2 : 1;
        sizes[item.id] = {7.0 * static_cast<double>(item.text.size()), 4 + 17 * lines};
        measure(item.children, sizes);
    }
}

const Fixture& expanded(std::int64_t count) {
    static std::map<std::int64_t, Fixture> cache;
    auto [it, fresh] = cache.try_emplace(count);
    if (fresh) {
        it->second.doc = TreeOps::setCollapsedAll(bench::cachedOutline(count), false);
        measure(it->second.doc.items, it->second.sizes);
    }
    return it->second;
}

void layoutIn(benchmark::State& state, TreeLayout::Style style) {
    const auto& fixture = expanded(state.range(0));
    const std::vector<double> columns{260, 240, 300};
    const LayoutSizes none;
    for (auto _ : state) {
        const LayoutSizes& sizes = state.range(1) != 0 ? fixture.sizes : none;
        auto result = TreeLayout::layout(fixture.doc.items, sizes, columns, style, true);
        benchmark::DoNotOptimize(result);
    }
    state.counters["blocks"] = static_cast<double>(fixture.sizes.size());
}

void BM_TreeLayoutTree(benchmark::State& state) {
    layoutIn(state, TreeLayout::Style::tree);
}
BENCHMARK(BM_TreeLayoutTree)
    ->ArgsProduct({{10'000, 100'000}, {1, 0}})
    ->ArgNames({"shown", "sized"})
    ->Unit(benchmark::kMillisecond);

void BM_TreeLayoutMap(benchmark::State& state) {
    layoutIn(state, TreeLayout::Style::map);
}
BENCHMARK(BM_TreeLayoutMap)
    ->ArgsProduct({{10'000, 100'000}, {1, 0}})
    ->ArgNames({"shown", "sized"})
    ->Unit(benchmark::kMillisecond);

// A one-item edit of a deep item, laid out again by the layout that remembers subtrees by node
// (with_records:0), and also written out as the full records the canvas draws (with_records:1).
void BM_TreeLayoutCacheOneItemEdit(benchmark::State& state) {
    const auto& fixture = expanded(state.range(0));
    TreeDocument doc = fixture.doc;
    const std::string id = bench::deepItemId(doc);
    auto sizeOf = [&](const ItemList::Node& node, int) {
        auto it = fixture.sizes.find(node->id);
        return it != fixture.sizes.end() ? it->second : LayoutSize{184, 21};
    };
    TreeLayoutCache cache;
    const TreeLayoutCache::Context context{{260, 240, 300}, TreeLayout::Style::tree, true, 0};
    cache.update(doc.items, context, sizeOf);
    int edit = 0;
    for (auto _ : state) {
        doc = TreeOps::updateItem(doc, id, [&](Item& i) { i.text = "Edited " + std::to_string(++edit); });
        cache.update(doc.items, context, sizeOf);
        if (state.range(1) != 0)
            benchmark::DoNotOptimize(cache.result());
        benchmark::DoNotOptimize(cache.contentSize());
    }
    state.counters["laid_out"] = static_cast<double>(cache.laidOutCount());
}
BENCHMARK(BM_TreeLayoutCacheOneItemEdit)
    ->ArgsProduct({{10'000, 100'000, 1'000'000}, {0, 1}})
    ->ArgNames({"items", "with_records"})
    ->Unit(benchmark::kMillisecond);

} // namespace
