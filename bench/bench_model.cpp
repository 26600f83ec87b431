// The outline model at 10,000 to 1,000,000 items: copies, one-item edits, the visible rows and
// the forming of an undo record.
#include "bench/outline_generator.hpp"
#include "core/model/id_index.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/tree_command.hpp"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
}

EditorSnapshot snapshotOf(const TreeDocument& doc) {
    EditorSnapshot s;
    s.document = doc;
    s.view = ViewMode::tree;
    s.selectedId = doc.items.front().id;
    return s;
}

void BM_SnapshotCopy(benchmark::State& state) {
    auto snapshot = snapshotOf(bench::cachedOutline(state.range(0)));
    for (auto _ : state) {
        EditorSnapshot copy = snapshot;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_SnapshotCopy)->Apply(sizes)->Unit(benchmark::kNanosecond);

// Looks an id up once so the document's id index is built before timing starts, as it is
// after the first edit of a session.
std::string warmedDeepItem(const TreeDocument& doc) {
    auto id = bench::deepItemId(doc);
    benchmark::DoNotOptimize(TreeOps::pathOf(doc.items, id));
    return id;
}

// A deep item that has a previous sibling, so indenting it changes the document.
std::string warmedIndentable(const TreeDocument& doc) {
    auto id = warmedDeepItem(doc);
    auto path = *TreeOps::pathOf(doc.items, id);
    while (path.back() == 0 && path.size() > 1)
        path.pop_back();
    if (path.back() == 0)
        path.back() = 1;
    return TreeOps::itemAt(doc.items, path)->id;
}

void BM_UpdateDeepItem(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    auto id = warmedDeepItem(doc);
    for (auto _ : state) {
        auto changed = TreeOps::updateItem(doc, id, [](Item& item) { item.text = "changed"; });
        benchmark::DoNotOptimize(changed);
    }
}
BENCHMARK(BM_UpdateDeepItem)->Apply(sizes);

void BM_IndentDeepItem(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    auto id = warmedIndentable(doc);
    if (TreeOps::indent(doc, id) == doc)
        state.SkipWithError("item cannot be indented");
    for (auto _ : state) {
        auto changed = TreeOps::indent(doc, id);
        benchmark::DoNotOptimize(changed);
    }
}
BENCHMARK(BM_IndentDeepItem)->Apply(sizes);

void BM_VisibleItemsExpanded(benchmark::State& state) {
    auto doc = TreeOps::setCollapsedAll(bench::cachedOutline(state.range(0)), false);
    for (auto _ : state) {
        auto rows = TreeOps::visibleItems(doc.items, std::nullopt, false);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_VisibleItemsExpanded)->Apply(sizes)->Unit(benchmark::kMillisecond);

void BM_FormRecordOfTextChange(benchmark::State& state) {
    auto before = snapshotOf(bench::cachedOutline(state.range(0)));
    auto id = warmedDeepItem(before.document);
    auto after = before;
    after.document = TreeOps::updateItem(before.document, id, [](Item& i) { i.text = "new"; });
    for (auto _ : state) {
        auto record = UndoRecords::form(before, "undo.edit", after, Timestamp{1800000000});
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_FormRecordOfTextChange)->Apply(sizes);

} // namespace

namespace {

// The one-time cost of the id index, paid by the first lookup in a freshly read document.
void BM_IdIndexBuild(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    for (auto _ : state) {
        auto index = IdIndex::build(doc.items);
        benchmark::DoNotOptimize(index);
    }
}
BENCHMARK(BM_IdIndexBuild)->Apply(sizes)->Unit(benchmark::kMillisecond);

// Carrying the index over a mass delete (the second half of the top item's branches; at 10,000
// and 100,000 items the top item has one branch, so nearly everything goes).
void BM_IdIndexDeriveAfterMassDelete(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    const auto base = doc.items.idIndex();
    Item top = doc.items[0];
    auto kept = top.children.nodes();
    kept.resize(kept.size() / 2);
    top.children = ItemList::fromNodes(std::move(kept));
    const ItemList after = doc.items.replacing(0, top);
    for (auto _ : state) {
        auto index = IdIndex::derive(*base, doc.items, after);
        benchmark::DoNotOptimize(index);
    }
    state.counters["removed"] = static_cast<double>(doc.items.totalCount() - after.totalCount());
}
BENCHMARK(BM_IdIndexDeriveAfterMassDelete)->Apply(sizes)->Unit(benchmark::kMillisecond);

} // namespace
