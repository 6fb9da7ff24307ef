// Read-all of ten present boards against the virtual room at its 9600 bit/s
// line pacing, with the real pacer and the program's own Telnet link, in the
// designed mode and in the awaited mode ("等待回覆"). Reported against
//   pauses_ms: the pauses the designed mode makes (every frame's own and the
//              read's and read-all's pauses), and
//   wire_ms:   the wire-time limit, every request and reply byte at 1.04 ms
//              plus the room's 10 ms turnaround per request.
#include "benchmain.h"
#include "../tests/e2e/e2eroom.h"

#include "app/mainmenu.h"
#include "app/statusprogress.h"
#include "scenes/busstate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

namespace {

const QList<int> kPresentSlots = {1, 2, 3, 4, 5, 6, 9, 10, 11, 12};
constexpr int kRegisterKeys = 30; // keys 31..62 go by board frame
constexpr int kKeys = 62;
constexpr double kByteMs = 1.04;
constexpr double kTurnaroundMs = 10;
// Modbus read ":" + 7 bytes as hex + CR LF, its reply ":" + 12 bytes + CR LF;
// board frame read 6 bytes, its 'H' 0B reply 14.
constexpr int kModbusReadBytes = 17 + 27;
constexpr int kBoardReadBytes = 6 + 14;

double WireLimitMs()
{
    const double perModbus = kModbusReadBytes * kByteMs + kTurnaroundMs;
    const double perBoard = kBoardReadBytes * kByteMs + kTurnaroundMs;
    return kPresentSlots.size() * (kRegisterKeys * perModbus + (kKeys - kRegisterKeys) * perBoard);
}

double PausesMs()
{
    const double pass = 100;
    const double modbusSlot = 200 + 3 * 100;
    const double boardSlot = 100 + 3 * 100;
    return kRegisterKeys * (pass + kPresentSlots.size() * modbusSlot)
        + (kKeys - kRegisterKeys) * (pass + kPresentSlots.size() * boardSlot);
}

void ReadAll(benchmark::State &state, bool awaited)
{
    e2e::Room room({"--listen", "127.0.0.1:0", "--boards", "01,02,03,04,05,06,11,12,13,14", "--dimmer6", "none",
                    "--media", "none", "--quiet"});
    const quint16 port = room.waitPort();
    if (port == 0) {
        state.SkipWithError("the room did not start");
        return;
    }
    e2e::ToolWindow tool(port);
    TForm1 &form = *tool.form;
    if (awaited)
        form.menu().miAwaitReplies->trigger();
    for (int slot : kPresentSlots)
        form.panels().BoardCheckBoxes.at(slot)->setChecked(true);
    double measured = 0;
    for (auto _ : state) {
        // Taken as recently scanned: the loop over the keys is measured.
        form.busState().scanned = true;
        form.busState().lastScanTime = tool.pacer.now();
        QElapsedTimer timer;
        timer.start();
        tool.run(&TForm1::miReadAllClick);
        measured = double(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime(measured / 1000.0);
    }
    const QString expected = QStringLiteral("讀全部：%1/%1 已回覆").arg(kKeys * kPresentSlots.size());
    if (!tool.errors.errors().isEmpty() || form.progress().summaryText() != expected)
        state.SkipWithError(qPrintable(form.progress().summaryText() + tool.errors.errors().join(' ')));
    state.counters["measured_ms"] = measured;
    state.counters["pauses_ms"] = PausesMs();
    state.counters["wire_ms"] = WireLimitMs();
    state.counters["over_pauses_pct"] = 100.0 * (measured - PausesMs()) / PausesMs();
    state.counters["x_wire"] = measured / WireLimitMs();
}

void BM_ReadAllDesigned(benchmark::State &state)
{
    ReadAll(state, false);
}

void BM_ReadAllAwaited(benchmark::State &state)
{
    ReadAll(state, true);
}

BENCHMARK(BM_ReadAllAwaited)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllDesigned)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}
