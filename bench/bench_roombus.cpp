// The virtual room's bus: cutting frames out of the line and answering them,
// and writing the whole room's state. A line at 9600 bit/s brings about 960
// bytes a second, so the room must stay far below a millisecond per frame.
#include "protocol/boardframe.h"
#include "protocol/boardtable.h"
#include "protocol/modbus.h"
#include "roomsim/roombus.h"
#include "roomsim/roomconfig.h"

#include <QJsonDocument>
#include <benchmark/benchmark.h>

namespace {

std::vector<BoardEntry> DemoRoom()
{
    return ParseRoomConfig({QStringLiteral("--serial"), QStringLiteral("/dev/null")}).boards;
}

void BM_ModbusKeyRead(benchmark::State &state)
{
    RoomBus bus(DemoRoom());
    const QByteArray request = ModbusWireText(ModbusReadRequest(0x11, 0x0079, 4));
    for (auto _ : state)
        benchmark::DoNotOptimize(bus.feed(request));
    state.SetBytesProcessed(state.iterations() * request.size());
}
BENCHMARK(BM_ModbusKeyRead);

void BM_BoardFrameKeyWrite(benchmark::State &state)
{
    RoomBus bus(DemoRoom());
    const QByteArray request = BoardFrame(QByteArray::fromHex("010410FF0FFFF0FF00FFFF"));
    for (auto _ : state)
        benchmark::DoNotOptimize(bus.feed(request));
    state.SetBytesProcessed(state.iterations() * request.size());
}
BENCHMARK(BM_BoardFrameKeyWrite);

// A full Modbus scan of the 19 slots, fed one byte at a time, with noise
// between the frames.
void BM_NoisyScanByteByByte(benchmark::State &state)
{
    RoomBus bus(DemoRoom());
    QByteArray stream;
    for (const BoardSlot &slot : BoardTable)
        stream += QByteArray::fromHex("00FF48") + ModbusWireText(ModbusReadRequest(slot.busId, 1, 4));
    for (auto _ : state) {
        for (qsizetype i = 0; i < stream.size(); ++i)
            benchmark::DoNotOptimize(bus.feed(stream.mid(i, 1)));
        benchmark::DoNotOptimize(bus.flush());
    }
    state.SetBytesProcessed(state.iterations() * stream.size());
}
BENCHMARK(BM_NoisyScanByteByByte);

// What the state file costs after every write of a key.
void BM_SaveWholeRoom(benchmark::State &state)
{
    RoomBus bus(DemoRoom());
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument(bus.saveState()).toJson());
}
BENCHMARK(BM_SaveWholeRoom);

} // namespace

BENCHMARK_MAIN();
