// The command palette's filter over all 67 commands built from the English help text, for a
// two-word query, a shortcut typed out, and the parsing of the help text itself.
#include "core/commands/command_registry.hpp"
#include "core/commands/help_catalog.hpp"
#include "core/commands/resources.hpp"

#include <benchmark/benchmark.h>

using namespace velmora;

namespace {

const std::vector<Command>& allCommands() {
    static const auto commands =
        CommandRegistry::commands(HelpCatalog::parse(Resources::helpText("en")), {});
    return commands;
}

void BM_CommandSearchTwoWords(benchmark::State& state) {
    for (auto _ : state) {
        auto hits = CommandRegistry::search(allCommands(), "item below");
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_CommandSearchTwoWords)->Unit(benchmark::kMicrosecond);

void BM_CommandSearchShortcut(benchmark::State& state) {
    for (auto _ : state) {
        auto hits = CommandRegistry::search(allCommands(), "ctrl shift p");
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_CommandSearchShortcut)->Unit(benchmark::kMicrosecond);

void BM_HelpParse(benchmark::State& state) {
    const auto text = Resources::helpText("en");
    for (auto _ : state) {
        auto help = HelpCatalog::parse(text);
        benchmark::DoNotOptimize(help);
    }
}
BENCHMARK(BM_HelpParse)->Unit(benchmark::kMicrosecond);

void BM_HelpSearchTwoWords(benchmark::State& state) {
    const auto help = HelpCatalog::parse(Resources::helpText("en"));
    for (auto _ : state) {
        auto hits = HelpCatalog::search(help, "item below");
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_HelpSearchTwoWords)->Unit(benchmark::kMicrosecond);

} // namespace
