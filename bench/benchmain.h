#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

// What the benchmarks share: their main (offscreen unless QT_QPA_PLATFORM
// names a platform) and the report of a measured time against the pauses
// the command is specified to make.

inline void ReportAgainstPauses(benchmark::State &state, double measuredMs, double pausesMs)
{
    state.counters["measured_ms"] = measuredMs;
    state.counters["pauses_ms"] = pausesMs;
    state.counters["over_pct"] = 100.0 * (measuredMs - pausesMs) / pausesMs;
}

inline int RunBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
