// The six-circuit dimmer's pacing on the real clock, over the in-memory
// transport: "全傳" of six circuits (each Modbus send waits 200 ms, the loop
// 100 ms more: 1.8 s specified), and a user's drag of a level bar with the
// live option on, one position every 20 ms, thinned by the panel's 0.1 s
// throttle after each write's return.
#include "benchmain.h"
#include "inmemorytransport.h"
#include "recordingerrorreporter.h"

#include "app/appenvironment.h"
#include "app/mainmenu.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#include "panels/sixcircuit.h"
#include "panels/sixcircuitpage.h"
#include "scenes/keyswitch.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QSlider>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kDragStepMs = 20;

struct Window
{
    QTemporaryDir dir;
    RealPacer pacer;
    RecordingErrorReporter errors;
    InMemoryTransport *transport = nullptr;
    std::unique_ptr<TForm1> form;

    Window()
    {
        AppEnvironment environment{dir.path(), pacer, errors,
                                   [this] {
                                       auto memory = std::make_unique<InMemoryTransport>();
                                       transport = memory.get();
                                       return std::make_unique<DeviceLink>(std::move(memory));
                                   },
                                   [](QDialog &) {}};
        form = std::make_unique<TForm1>(environment);
        // The connection dialog has applied "no port"; the bench uses port 1.
        form->link().setComNumber(1);
    }
};

void BM_SixCircuitSendAll(benchmark::State &state)
{
    Window w;
    w.form->findChild<QCheckBox *>(QStringLiteral("cb6LightsEnabled"))->setChecked(true);
    w.form->keySwitch().selectKeyIndex(0);
    QElapsedTimer timer;
    qint64 totalMs = 0;
    for (auto _ : state) {
        timer.start();
        w.form->btn6LightsSendAllClick();
        totalMs += timer.elapsed();
    }
    state.counters["measured_ms"] = double(totalMs) / double(state.iterations());
    state.counters["specified_ms"] = kCircuitCount * (kModbusFramePauseMs + kSixCircuitBulkPauseMs);
    state.counters["frames"] = double(w.transport->writes().size()) / double(state.iterations());
    if (!w.errors.errors().isEmpty())
        state.SkipWithError("the send reported an error");
}
BENCHMARK(BM_SixCircuitSendAll)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LiveDragThinning(benchmark::State &state)
{
    Window w;
    w.form->menu().mi6LightsAction->setChecked(true);
    QSlider *bar = w.form->panels().DimmerPanels.at(1)->levelBar(1);
    w.pacer.pause(kCircuitLiveThrottleMs + 1);
    int positions = 0;
    for (auto _ : state) {
        w.transport->clearWrites();
        const int from = bar->value();
        const int to = from == 0 ? kCircuitMaxLevel : 0;
        const int step = to > from ? 1 : -1;
        for (int v = from + step; v != to + step; v += step) {
            bar->setValue(v);
            ++positions;
            w.pacer.pause(kDragStepMs);
        }
    }
    state.counters["positions_per_drag"] = double(positions) / double(state.iterations());
    state.counters["writes_last_drag"] = double(w.transport->writes().size());
    if (!w.errors.errors().isEmpty())
        state.SkipWithError("a live write reported an error");
}
BENCHMARK(BM_LiveDragThinning)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}
