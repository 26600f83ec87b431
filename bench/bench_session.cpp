// The editor session on large outlines: one-item actions through `perform` (each including the
// draft commit, the routing, the step and the forming of its undo record), a five-item
// multi-selection move, and the visible rows with everything expanded.
#include "bench/outline_generator.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session.hpp"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

void sizes(benchmark::internal::Benchmark* b) {
    b->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
}

EditorSession sessionOver(const TreeDocument& doc, const std::string& selected) {
    EditorSnapshot snapshot;
    snapshot.document = doc;
    snapshot.view = ViewMode::tree;
    snapshot.selectedId = selected;
    auto session = EditorSession::init(snapshot, EditorPreferences{});
    session.makeID = [n = 0]() mutable { return "bench-" + std::to_string(++n); };
    return session;
}

// The last sibling list in pre-order with at least six items (so five can move down).
const ItemList* lateListOfSix(const ItemList& items) {
    const ItemList* found = items.size() >= 6 ? &items : nullptr;
    for (const auto& item : items)
        if (const auto* inner = lateListOfSix(item.children))
            found = inner;
    return found;
}

// Runs the action on a fresh copy of the session each iteration; copying is not timed.
void performEach(benchmark::State& state, const EditorSession& base, Action action,
                 std::optional<std::string> draft = std::nullopt) {
    for (auto _ : state) {
        state.PauseTiming();
        EditorSession session = base;
        state.ResumeTiming();
        auto result = session.perform(action, draft);
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        if (!result.command)
            state.SkipWithError("the action changed nothing");
        { auto discard = std::move(session); }
        state.ResumeTiming();
    }
}

void BM_ToggleCheckDeepItem(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    performEach(state, sessionOver(doc, bench::deepItemId(doc)), Action::toggleCheck);
}
BENCHMARK(BM_ToggleCheckDeepItem)->Apply(sizes);

void BM_AddBelowWithDraft(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    auto session = sessionOver(doc, bench::deepItemId(doc));
    session.snapshot.editing = EditingTarget::item(*session.snapshot.selectedId);
    performEach(state, session, Action::addBelow, std::string("Typed into the deep item"));
}
BENCHMARK(BM_AddBelowWithDraft)->Apply(sizes);

void BM_IndentDeepItem(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    const ItemList* siblings = lateListOfSix(doc.items);
    performEach(state, sessionOver(doc, (*siblings)[siblings->size() - 1].id), Action::indent);
}
BENCHMARK(BM_IndentDeepItem)->Apply(sizes);

void BM_MoveDownFiveSelected(benchmark::State& state) {
    // Everything expanded, so all five chosen items are visible rows.
    auto doc = TreeOps::setCollapsedAll(bench::cachedOutline(state.range(0)), false);
    const ItemList* siblings = lateListOfSix(doc.items);
    auto session = sessionOver(doc, (*siblings)[0].id);
    for (std::size_t i = 0; i < 5; ++i)
        session.snapshot.extraIds.insert((*siblings)[i].id);
    if (session.selectedIDs().size() != 5)
        state.SkipWithError("the five items are not all selected");
    performEach(state, session, Action::moveDown);
}
BENCHMARK(BM_MoveDownFiveSelected)->Apply(sizes);

// --- Steady state: one session, action after action --------------------------------------
// Each action starts from the tree the previous one produced (stamped by its undo record), so
// these show that nothing an action leaves behind makes the next one slower.

void BM_SteadyToggleCheck(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    auto session = sessionOver(doc, bench::deepItemId(doc));
    for (auto _ : state)
        benchmark::DoNotOptimize(session.perform(Action::toggleCheck));
}
BENCHMARK(BM_SteadyToggleCheck)->Apply(sizes)->Unit(benchmark::kMicrosecond);

// Two actions per iteration: a draft committed with an item added below, then that item
// deleted again.
void BM_SteadyAddBelowThenDelete(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    auto session = sessionOver(doc, bench::deepItemId(doc));
    auto deep = *session.snapshot.selectedId;
    bool odd = false;
    for (auto _ : state) {
        session.snapshot.editing = EditingTarget::item(deep);
        odd = !odd;
        benchmark::DoNotOptimize(session.perform(Action::addBelow, odd ? "one" : "two"));
        benchmark::DoNotOptimize(session.perform(Action::deleteItem));
    }
}
BENCHMARK(BM_SteadyAddBelowThenDelete)->Apply(sizes)->Unit(benchmark::kMicrosecond);

// Two actions per iteration: indent, then outdent back.
void BM_SteadyIndentThenOutdent(benchmark::State& state) {
    const auto& doc = bench::cachedOutline(state.range(0));
    const ItemList* siblings = lateListOfSix(doc.items);
    auto session = sessionOver(doc, (*siblings)[siblings->size() - 1].id);
    for (auto _ : state) {
        benchmark::DoNotOptimize(session.perform(Action::indent));
        benchmark::DoNotOptimize(session.perform(Action::outdent));
    }
}
BENCHMARK(BM_SteadyIndentThenOutdent)->Apply(sizes)->Unit(benchmark::kMicrosecond);

// Two actions per iteration on five selected items: down, then up back.
void BM_SteadyMoveFiveDownThenUp(benchmark::State& state) {
    auto doc = TreeOps::setCollapsedAll(bench::cachedOutline(state.range(0)), false);
    const ItemList* siblings = lateListOfSix(doc.items);
    auto session = sessionOver(doc, (*siblings)[0].id);
    for (std::size_t i = 0; i < 5; ++i)
        session.snapshot.extraIds.insert((*siblings)[i].id);
    for (auto _ : state) {
        benchmark::DoNotOptimize(session.perform(Action::moveDown));
        benchmark::DoNotOptimize(session.perform(Action::moveUp));
    }
}
BENCHMARK(BM_SteadyMoveFiveDownThenUp)->Apply(sizes)->Unit(benchmark::kMicrosecond);

void BM_VisibleRowsExpanded(benchmark::State& state) {
    auto doc = TreeOps::setCollapsedAll(bench::cachedOutline(state.range(0)), false);
    auto session = sessionOver(doc, doc.items.front().id);
    for (auto _ : state) {
        auto rows = session.visibleRows();
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_VisibleRowsExpanded)->Apply(sizes)->Unit(benchmark::kMillisecond);

} // namespace
