// The scan and the read of one key with the real pacer over the in-memory
// transport, ten boards answering. The pauses are the bus's pacing; what the
// program adds on top of them is the overhead reported here.
#include "benchmain.h"
#include "inmemorytransport.h"
#include "recordingerrorreporter.h"

#include "app/appenvironment.h"
#include "app/mainmenu.h"
#include "app/mainwindow.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#include "protocol/boardtable.h"
#include "protocol/modbus.h"
#include "scenes/keyswitch.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QList<int> kPresentSlots = {1, 2, 3, 4, 5, 6, 9, 10, 11, 12};
constexpr double kScanPausesMs = 19 * (200 + 2 * 200);
constexpr double kReadPausesMs = 10 * (200 + 3 * 100);

// A window on an in-memory bus whose boards answer every Modbus read with
// 8 data bytes; the reply arrives at the next event processing.
struct BusBench
{
    BusBench()
    {
        AppEnvironment environment{dir.path(), pacer, errors,
                                   [this] {
                                       auto memory = std::make_unique<InMemoryTransport>();
                                       transport = memory.get();
                                       return std::make_unique<DeviceLink>(std::move(memory));
                                   },
                                   [](QDialog &) {}};
        form = std::make_unique<TForm1>(environment);
        form->link().setComNumber(1);
        transport->onWrite = [this](const QByteArray &bytes) { answer(bytes); };
    }

    void answer(const QByteArray &bytes)
    {
        if (!bytes.startsWith(':') || bytes.size() < 5)
            return;
        const int busId = QByteArray::fromHex(bytes.mid(1, 2)).at(0) & 0xFF;
        if (!kPresentSlots.contains(FindSlotById(busId)))
            return;
        QByteArray reply;
        reply.append(char(busId));
        reply.append("\x03\x08", 2);
        reply.append(QByteArray::fromHex("FF0FFF0FFF0FFF0F"));
        const QByteArray wire = ModbusWireText(reply);
        QMetaObject::invokeMethod(transport, [this, wire] { transport->inject(wire); }, Qt::QueuedConnection);
    }

    QTemporaryDir dir;
    RealPacer pacer;
    RecordingErrorReporter errors;
    InMemoryTransport *transport = nullptr;
    std::unique_ptr<TForm1> form;
};


void BM_Scan(benchmark::State &state)
{
    BusBench bench;
    double measured = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        bench.form->menu().miScan->trigger();
        measured = double(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime(measured / 1000.0);
    }
    int found = 0;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        found += bench.form->panels().BoardCheckBoxes.at(slot)->isChecked() ? 1 : 0;
    if (found != kPresentSlots.size() || !bench.errors.errors().isEmpty())
        state.SkipWithError("the scan did not find the ten boards");
    ReportAgainstPauses(state, measured, kScanPausesMs);
}

void BM_ReadKeyTenBoards(benchmark::State &state)
{
    BusBench bench;
    for (int slot : kPresentSlots)
        bench.form->panels().BoardCheckBoxes.at(slot)->setChecked(true);
    bench.form->keySwitch().selectKeyIndex(2);
    double measured = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        bench.form->menu().btnRead->trigger();
        measured = double(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime(measured / 1000.0);
    }
    if (!bench.errors.errors().isEmpty())
        state.SkipWithError("the read reported an error");
    ReportAgainstPauses(state, measured, kReadPausesMs);
}

BENCHMARK(BM_Scan)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadKeyTenBoards)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}
