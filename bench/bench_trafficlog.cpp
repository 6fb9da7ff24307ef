// Appending to the traffic log while its list is on screen: the scan and the
// bulk commands log a line per frame and per reply, so a full list (1001
// lines, then the clear) must stay cheap to extend.
#include "benchmain.h"
#include "app/trafficlogview.h"
#include "link/trafficlog.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

// 1001 appends fill the list; the next one empties it and starts again.
void BM_LogLineWithView(benchmark::State &state)
{
    TrafficLog log;
    TrafficLogView view(&log);
    view.resize(800, 300);
    view.show();
    QCoreApplication::processEvents();
    const QString line = QStringLiteral(":01 03 00 09 00 04 EF \r\n(4)");
    for (auto _ : state) {
        for (int i = 0; i < 1002; ++i)
            log.LogLine(line, BusDirection::Sent);
        // Let the view repaint once, as the commands' event processing does.
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * 1002);
}
BENCHMARK(BM_LogLineWithView)->Unit(benchmark::kMillisecond);

// The list exists but its tab is not shown (the usual case during commands).
void BM_LogLineHiddenView(benchmark::State &state)
{
    TrafficLog log;
    TrafficLogView view(&log);
    view.resize(800, 300);
    const QString line = QStringLiteral(":01 03 00 09 00 04 EF \r\n(4)");
    for (auto _ : state) {
        for (int i = 0; i < 1002; ++i)
            log.LogLine(line, BusDirection::Sent);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * 1002);
}
BENCHMARK(BM_LogLineHiddenView)->Unit(benchmark::kMillisecond);

// The model alone, for comparison.
void BM_LogLineModelOnly(benchmark::State &state)
{
    TrafficLog log;
    const QString line = QStringLiteral("#>480B010610FF0F0000000000005A");
    for (auto _ : state)
        for (int i = 0; i < 1002; ++i)
            log.LogLine(line, BusDirection::Sent);
    state.SetItemsProcessed(state.iterations() * 1002);
}
BENCHMARK(BM_LogLineModelOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}
