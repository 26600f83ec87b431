// Merging documents by item at 10,000 to 1,000,000 items: two sides edited from one base, as a
// window merges a file another program wrote, and three trees read separately from files, as
// the command-line merge driver sees them.
#include "bench/outline_generator.hpp"
#include "core/model/document_merge.hpp"
#include "core/model/tree_ops.hpp"

#include <benchmark/benchmark.h>

#include <vector>

using namespace velmora;

namespace {

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
}

std::vector<std::string> someIds(const TreeDocument& doc, std::size_t count) {
    std::vector<std::string> ids;
    std::vector<const ItemList*> stack{&doc.items};
    std::size_t seen = 0;
    const std::size_t step = std::max<std::size_t>(1, doc.itemCount() / count);
    while (!stack.empty() && ids.size() < count) {
        const ItemList* list = stack.back();
        stack.pop_back();
        for (const auto& item : *list) {
            if (seen++ % step == 0)
                ids.push_back(item.id);
            stack.push_back(&item.children);
        }
    }
    return ids;
}

// A hundred edits of titles, notes and checks spread over the document, and ten new items.
TreeDocument edited(const TreeDocument& base, const std::string& side, std::size_t offset) {
    TreeDocument doc = base;
    auto ids = someIds(base, 200);
    for (std::size_t i = offset; i < ids.size(); i += 2) {
        doc = TreeOps::updateItem(doc, ids[i], [&](Item& item) {
            item.text += " " + side;
            item.checked = !item.checked;
        });
        if (i % 20 == offset)
            doc = TreeOps::insertSiblingBelow(doc, ids[i], side, side + std::to_string(i)).doc;
    }
    return doc;
}

// The same tree with every node built anew, as a reader makes it.
ItemList unshared(const ItemList& items) {
    std::vector<Item> out;
    out.reserve(items.size());
    for (const auto& item : items) {
        Item copy = item;
        copy.children = unshared(item.children);
        out.push_back(std::move(copy));
    }
    return ItemList(std::move(out));
}

void BM_MergeEditedSides(benchmark::State& state) {
    const auto& base = bench::cachedOutline(state.range(0));
    const auto ours = edited(base, "ours", 0);
    const auto theirs = edited(base, "theirs", 1);
    for (auto _ : state) {
        auto result = DocumentMerge::merge(base, ours, theirs);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_MergeEditedSides)->Apply(sizes);

void BM_MergeFilesReadSeparately(benchmark::State& state) {
    const auto& shared = bench::cachedOutline(state.range(0));
    const TreeDocument base{shared.id, shared.title, unshared(shared.items)};
    const auto ours0 = edited(shared, "ours", 0);
    const auto theirs0 = edited(shared, "theirs", 1);
    const TreeDocument ours{ours0.id, ours0.title, unshared(ours0.items)};
    const TreeDocument theirs{theirs0.id, theirs0.title, unshared(theirs0.items)};
    for (auto _ : state) {
        auto result = DocumentMerge::merge(base, ours, theirs);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_MergeFilesReadSeparately)->Apply(sizes);

void BM_MergeTwoWayIdentical(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    const TreeDocument copy{doc.id, doc.title, unshared(doc.items)};
    for (auto _ : state) {
        auto result = DocumentMerge::mergeTwoWay(doc, copy);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_MergeTwoWayIdentical)->Apply(sizes);

} // namespace
