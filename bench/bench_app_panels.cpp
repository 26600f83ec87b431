// The panels of a document window over a 100,000-item outline: opening the command palette,
// one keystroke of its search, one keystroke of the help search, and the properties pane
// following the selection. None of them should depend on the size of the outline.
#include "app/document/velmora_document.hpp"
#include "app/panels/command_palette.hpp"
#include "app/panels/help_panel.hpp"
#include "app/panels/inspector_controller.hpp"
#include "app/platform/preferences.hpp"
#include "app/window/document_tab.hpp"
#include "app/window/jump_panel.hpp"
#include "bench/outline_generator.hpp"
#include "core/session/editor_session.hpp"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>

#include "bench/qt_bench_main.hpp"
#include <benchmark/benchmark.h>

#include <memory>

using namespace velmora;

namespace {

class NoHost final : public DocumentViewHost {
public:
    void carryOut(SideEffect, VelmoraDocument&) override {}
};

// A shown window over the outline in the list view, its middle top-level item selected.
struct OpenWindow {
    std::unique_ptr<VelmoraDocument> document;
    NoHost host;
    std::unique_ptr<DocumentTab> window;

    explicit OpenWindow(std::int64_t items)
        : document(std::make_unique<VelmoraDocument>(Preferences())) {
        EditorSnapshot snapshot;
        snapshot.document = bench::cachedOutline(items);
        snapshot.view = ViewMode::list;
        const auto& top = snapshot.document.items;
        snapshot.selectedId = top[top.size() / 2].id;
        document->setSnapshot(snapshot);
        window = std::make_unique<DocumentTab>(*document, host);
        window->resize(1000, 700);
        window->show();
    }
};

void BM_PaletteOpen(benchmark::State& state) {
    OpenWindow open(state.range(0));
    CommandPaletteController& palette = open.window->commandPalette();
    for (auto _ : state) {
        open.window->perform(Action::commandPalette);
        state.PauseTiming();
        palette.dismiss(true);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PaletteOpen)->Arg(100'000)->Unit(benchmark::kMillisecond);

// One keystroke: the query grows by a letter and the rows are rebuilt.
void BM_PaletteFilterKeystroke(benchmark::State& state) {
    OpenWindow open(state.range(0));
    CommandPaletteController& palette = open.window->commandPalette();
    open.window->perform(Action::commandPalette);
    bool longer = false;
    for (auto _ : state) {
        palette.searchField()->setText(longer ? QStringLiteral("dupl") : QStringLiteral("dup"));
        longer = !longer;
    }
}
BENCHMARK(BM_PaletteFilterKeystroke)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Opening the jump-to-item panel, and one keystroke of its search for a title no item has
// (the search looks at every title).
void BM_JumpPanelOpen(benchmark::State& state) {
    OpenWindow open(state.range(0));
    for (auto _ : state) {
        open.window->perform(Action::jump);
        state.PauseTiming();
        open.window->jumpPanel().hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_JumpPanelOpen)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_JumpPanelKeystroke(benchmark::State& state) {
    OpenWindow open(state.range(0));
    open.window->perform(Action::jump);
    auto* field = open.window->jumpPanel().findChild<QLineEdit*>(QStringLiteral("jumpField"));
    bool longer = false;
    for (auto _ : state) {
        field->setText(longer ? QStringLiteral("zebra crossing") : QStringLiteral("zebra cross"));
        longer = !longer;
    }
}
BENCHMARK(BM_JumpPanelKeystroke)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_HelpSearchKeystroke(benchmark::State& state) {
    OpenWindow open(state.range(0));
    open.window->perform(Action::showHelp);
    HelpPanelController& help = open.window->inspector().help();
    bool longer = false;
    for (auto _ : state) {
        help.searchField()->setText(longer ? QStringLiteral("hoist") : QStringLiteral("hois"));
        longer = !longer;
    }
}
BENCHMARK(BM_HelpSearchKeystroke)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Selecting the next item with the properties pane open: the action, the refresh and the pane.
void BM_PropertiesFollowSelection(benchmark::State& state) {
    OpenWindow open(state.range(0));
    open.window->perform(Action::showProperties);
    bool down = true;
    for (auto _ : state) {
        open.window->perform(down ? Action::navDown : Action::navUp);
        down = !down;
    }
}
BENCHMARK(BM_PropertiesFollowSelection)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
    return velmora::bench::runQtBenchmarks(argc, argv);
}
