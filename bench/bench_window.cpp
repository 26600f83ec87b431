// The list view of a 100,000-item outline with everything expanded: opening the window (the
// first paint), one keystroke action (adding an item below: the session's change, its undo
// record, the refresh and the repaint), the refresh and repaint alone after that change, and
// a refresh that finds nothing changed. A keystroke should stay under 16 ms. Bulk edits of
// every item (Select All, then Backspace, check or move) should stay within a few hundred ms.
#include "app/document/velmora_document.hpp"
#include "app/platform/preferences.hpp"
#include "app/views/item_text_editor.hpp"
#include "app/views/list_outline_controller.hpp"
#include "app/views/list_outline_rows.hpp"
#include "app/views/list_outline_view.hpp"
#include "app/window/document_tab.hpp"
#include "bench/outline_generator.hpp"
#include "core/model/tree_ops.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QDeadlineTimer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QUndoStack>
#include <QWindow>

#include "bench/qt_bench_main.hpp"
#include <benchmark/benchmark.h>

#include <memory>

using namespace velmora;

namespace {

class NoHost final : public DocumentViewHost {
public:
    void carryOut(SideEffect, VelmoraDocument&) override {}
};

// A document holding the outline in the list view, its middle top-level item selected.
std::unique_ptr<VelmoraDocument> openDocument(std::int64_t items) {
    auto document = std::make_unique<VelmoraDocument>(Preferences());
    EditorSnapshot snapshot;
    snapshot.document = bench::cachedOutline(items);
    snapshot.view = ViewMode::list;
    const auto& top = snapshot.document.items;
    snapshot.selectedId = top[top.size() / 2].id;
    document->setSnapshot(snapshot);
    return document;
}

// Shows the window and paints the list. A window paints nothing until the platform has
// exposed it, which it reports through the event loop (within a moment, offscreen).
void showAndPaint(DocumentTab& window) {
    window.resize(1000, 700);
    window.show();
    const QDeadlineTimer patience(2000);
    while (!window.windowHandle()->isExposed() && !patience.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    window.list().view()->viewport()->repaint();
}

void BM_ListFirstPaint(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    NoHost host;
    for (auto _ : state) {
        DocumentTab window(*document, host);
        showAndPaint(window);
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListFirstPaint)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The list's own share of opening: the rows of every shown item, walked from the tree.
void BM_ListRowsFirstWalk(benchmark::State& state) {
    const ItemList& items = bench::cachedOutline(state.range(0)).items;
    std::vector<ListOutlineRows::Row> rows;
    for (auto _ : state) {
        ListOutlineRows walk;
        walk.walk(items, {}, {}, rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_ListRowsFirstWalk)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_ListAddItemKeystroke(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    NoHost host;
    DocumentTab window(*document, host);
    showAndPaint(window);
    for (auto _ : state) {
        window.perform(Action::addBelow);
        window.list().view()->viewport()->repaint();
        state.PauseTiming();
        // Back to the same outline for the next round.
        window.perform(Action::commit);
        document->undoStack()->undo();
        window.list().view()->viewport()->repaint();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
    state.counters["rows"] = window.list().model().count();
}
BENCHMARK(BM_ListAddItemKeystroke)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

// Return after typing a title: the typed text is committed and the editor closes.
void BM_ListReturnAfterTyping(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    NoHost host;
    DocumentTab window(*document, host);
    showAndPaint(window);
    for (auto _ : state) {
        state.PauseTiming();
        window.perform(Action::addBelow);
        window.editor().insertPlainText(QStringLiteral("Buy milk"));
        window.list().view()->viewport()->repaint();
        // Typing takes longer than the background work a change starts.
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
        window.perform(Action::commit);
        window.list().view()->viewport()->repaint();
        state.PauseTiming();
        document->undoStack()->undo();
        document->undoStack()->undo();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListReturnAfterTyping)->Arg(100'000)->Unit(benchmark::kMillisecond);

// The session's own share of the keystroke, without any window.
void BM_SessionAddItem(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    for (auto _ : state) {
        EditorSession session = document->session();
        benchmark::DoNotOptimize(session.perform(Action::addBelow));
    }
}
BENCHMARK(BM_SessionAddItem)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_ListRefreshAfterAddingAnItem(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    NoHost host;
    DocumentTab window(*document, host);
    showAndPaint(window);
    const EditorSnapshot original = document->session().snapshot;
    for (auto _ : state) {
        state.PauseTiming();
        EditorSession session = document->session();
        session.perform(Action::addBelow);
        QThreadPool::globalInstance()->waitForDone();
        {
            // The session changes without the window noticing; only the refresh is timed.
            const QSignalBlocker blocker(document.get());
            document->setSnapshot(session.snapshot);
        }
        state.ResumeTiming();
        window.refresh();
        window.list().view()->viewport()->repaint();
        state.PauseTiming();
        {
            const QSignalBlocker blocker(document.get());
            document->setSnapshot(original);
        }
        window.refresh();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListRefreshAfterAddingAnItem)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Scrolling the list of a large outline by a page: the view lays out and paints the rows that
// come into sight.
void BM_ListScrollPage(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    NoHost host;
    DocumentTab window(*document, host);
    showAndPaint(window);
    QScrollBar* bar = window.list().view()->verticalScrollBar();
    int step = bar->pageStep();
    for (auto _ : state) {
        if (bar->value() + step > bar->maximum() || bar->value() + step < 0) {
            step = -step;
        }
        bar->setValue(bar->value() + step);
        window.list().view()->viewport()->repaint();
    }
    state.counters["rows"] = window.list().model().count();
}
BENCHMARK(BM_ListScrollPage)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Checking the selected item: a one-item edit through the window, with its record, refresh and
// repaint.
void BM_ListOneItemEdit(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    NoHost host;
    DocumentTab window(*document, host);
    showAndPaint(window);
    for (auto _ : state) {
        window.perform(Action::toggleCheck);
        window.list().view()->viewport()->repaint();
        state.PauseTiming();
        document->undoStack()->clear();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ListOneItemEdit)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_ListRefreshUnchanged(benchmark::State& state) {
    auto document = openDocument(state.range(0));
    NoHost host;
    DocumentTab window(*document, host);
    showAndPaint(window);
    for (auto _ : state) {
        window.refresh();
        window.list().view()->viewport()->repaint();
    }
}
BENCHMARK(BM_ListRefreshUnchanged)->Arg(100'000)->Unit(benchmark::kMillisecond);

// What is selected before a bulk action, and whether selecting is part of the timed work.
enum class Selecting {
    everything,        // Select All, not timed
    everythingTimed,   // Select All, timed with the action
    allButLastBranch,  // every branch but the last of the first list of several, not timed
};

// The ids of the rows of every branch but the last in the first sibling list from the top that
// holds several, with the first of them.
std::pair<std::vector<std::string>, std::string> allButLastBranch(const ItemList& top) {
    const ItemList* list = &top;
    while (list->size() == 1) {
        list = &(*list)[0].children;
    }
    std::vector<ItemList::Node> nodes = list->nodes();
    nodes.pop_back();
    std::vector<std::string> ids;
    for (const auto& row : TreeOps::visibleItems(ItemList::fromNodes(nodes), std::nullopt, false)) {
        ids.push_back(row.item().id);
    }
    return {ids, nodes.front()->id};
}

// A selection, then one bulk action through the window: the session's change, its undo record,
// the refresh and the repaint. Undoing it is not timed.
void bulkAction(benchmark::State& state, Action action, Selecting selecting) {
    auto document = openDocument(state.range(0));
    NoHost host;
    DocumentTab window(*document, host);
    showAndPaint(window);
    int changed = 0;
    std::size_t selected = 0;
    for (auto _ : state) {
        state.PauseTiming();
        document->undoStack()->clear();
        if (selecting == Selecting::everything) {
            window.selectAll();
        } else if (selecting == Selecting::allButLastBranch) {
            EditorSnapshot snapshot = document->session().snapshot;
            auto [ids, first] = allButLastBranch(snapshot.document.items);
            snapshot.extraIds = IdSet(ids.begin(), ids.end());
            snapshot.selectedId = first;
            snapshot.anchorId.reset();
            const QSignalBlocker blocker(document.get());
            document->setSnapshot(snapshot);
            window.refresh();
        }
        window.list().view()->viewport()->repaint();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
        if (selecting == Selecting::everythingTimed) {
            window.selectAll();
        }
        window.perform(action);
        window.list().view()->viewport()->repaint();
        state.PauseTiming();
        selected = document->session().snapshot.extraIds.size();
        changed = document->undoStack()->canUndo() ? 1 : 0;
        while (document->undoStack()->canUndo()) {
            document->undoStack()->undo();
        }
        document->undoStack()->clear();
        window.refresh();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
    state.counters["rows"] = window.list().model().count();
    state.counters["recorded"] = changed;
    state.counters["selected"] = static_cast<double>(selected);
}

void BM_ListDeleteEverything(benchmark::State& state) {
    bulkAction(state, Action::deleteItem, Selecting::everything);
}
BENCHMARK(BM_ListDeleteEverything)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ListCheckEverything(benchmark::State& state) {
    bulkAction(state, Action::toggleCheck, Selecting::everything);
}
BENCHMARK(BM_ListCheckEverything)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Select All and a colour label on every item, both timed.
void BM_ListSelectAllAndLabel(benchmark::State& state) {
    bulkAction(state, Action::label1, Selecting::everythingTimed);
}
BENCHMARK(BM_ListSelectAllAndLabel)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every branch but the last of a sibling list moves down past it (nearly every item moves).
void BM_ListMoveEverything(benchmark::State& state) {
    bulkAction(state, Action::moveDown, Selecting::allButLastBranch);
}
BENCHMARK(BM_ListMoveEverything)->Arg(100'000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

// The application lives in main(), so that it goes before the plugins and fonts it loaded; a
// static one would be torn down after them, at exit.
int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    return velmora::bench::runQtBenchmarks(argc, argv);
}
