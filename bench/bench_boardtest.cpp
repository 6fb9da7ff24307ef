// One pass of "機板測試" over ten present boards with the real pacer, on the
// in-memory transport, the room's boards answering every live output. Each
// output blinks for two sends (100 ms each) and two 200 ms pauses, so a board
// takes 4.8 s of pauses; what the pass adds on top of them is reported here.
#include "benchmain.h"
#include "inmemorytransport.h"
#include "recordingerrorreporter.h"

#include "app/appenvironment.h"
#include "app/mainwindow.h"
#include "app/windowpanels.h"
#include "link/devicelink.h"
#include "link/pacer.h"
#include "protocol/boardtable.h"
#include "roomsim/roombus.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The eight light boards and the first two six-key boards (their relay outputs).
const QList<int> kPresentSlots = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr double kPassPausesMs = 10 * 8 * 2 * (100 + 200);

std::vector<BoardEntry> TestedBoards()
{
    std::vector<BoardEntry> boards;
    for (int slot : kPresentSlots) {
        const BoardSlot &info = BoardTable[size_t(slot - 1)];
        boards.push_back({info.busId, info.kind == BoardKind::SixKeyBoard ? BoardEntry::Kind::SixKey
                                                                          : BoardEntry::Kind::Light});
    }
    return boards;
}

// A window on an in-memory bus whose boards are the room's own simulated
// boards; an answer arrives at the next event processing.
struct BoardTestBench
{
    BoardTestBench() : room(TestedBoards())
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
        for (int slot : kPresentSlots)
            form->panels().BoardCheckBoxes.at(slot)->setChecked(true);
    }

    void answer(const QByteArray &bytes)
    {
        for (const BusExchange &exchange : room.feed(bytes)) {
            ++served;
            if (exchange.reply.isEmpty())
                continue;
            const QByteArray wire = exchange.reply;
            QMetaObject::invokeMethod(transport, [this, wire] { transport->inject(wire); }, Qt::QueuedConnection);
        }
    }

    QTemporaryDir dir;
    RealPacer pacer;
    RecordingErrorReporter errors;
    RoomBus room;
    int served = 0;
    InMemoryTransport *transport = nullptr;
    std::unique_ptr<TForm1> form;
};

void BM_BoardTestPassTenBoards(benchmark::State &state)
{
    BoardTestBench bench;
    double measured = 0;
    for (auto _ : state) {
        bench.served = 0;
        bench.form->N7Click();
        QElapsedTimer timer;
        timer.start();
        bench.form->tmrTestBoardTimer();
        measured = double(timer.nsecsElapsed()) / 1e6;
        state.SetIterationTime(measured / 1000.0);
        bench.form->N9Click();
    }
    if (!bench.errors.errors().isEmpty() || bench.served != kPresentSlots.size() * 16)
        state.SkipWithError("the pass did not send 16 live outputs to each of the ten boards");
    ReportAgainstPauses(state, measured, kPassPausesMs);
}

BENCHMARK(BM_BoardTestPassTenBoards)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}
