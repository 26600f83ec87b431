// The main() of the Qt application's benchmarks: an offscreen QApplication (unless the caller
// names a platform) around Google Benchmark's run.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include <functional>

namespace velmora::bench {

// Runs the benchmarks named on the command line; `beforeQuit` runs while the application exists.
inline int runQtBenchmarks(int argc, char** argv, const std::function<void()>& beforeQuit = {}) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (beforeQuit)
        beforeQuit();
    return 0;
}

} // namespace velmora::bench
