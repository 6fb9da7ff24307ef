// Saving a full bus record (200 000 lines) must not hold up the bus commands
// for long: it runs on the GUI thread between their steps, and the target is
// 200 ms for the whole save to the disk.
#include "link/busrecord.h"
#include "link/trafficlog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A day's mix: Modbus requests with their CR LF, their replies, board frames
// with their replies and annotations, and a summary now and then.
void FillRecord(TrafficLog &log, qint64 stepMs)
{
    qint64 ms = QDateTime(QDate(2026, 12, 10), QTime(8, 0)).toMSecsSinceEpoch();
    log.record().setClock([&ms] { return ms; });
    const QString lines[] = {
        QStringLiteral(":01 03 00 09 00 04 EF \r\n(4)"),
        QStringLiteral("-> :01030881018100810081806F\r\n, id = 1, func = 3, len = 8, 81 01 81 00 81 00 81 80 "),
        QStringLiteral("48 03 11 06 10 04 (4)"),
        QStringLiteral("#>480B110610FF0F00000000000053"),
        QStringLiteral("*** board_id = 17"),
        QStringLiteral("讀全部：124/124 已回覆"),
    };
    const BusDirection directions[] = {BusDirection::Sent, BusDirection::Received, BusDirection::Sent,
                                       BusDirection::Received, BusDirection::Note, BusDirection::Note};
    for (int i = 0; i < BusRecord::kCapacity; ++i) {
        const int kind = i % 50 == 49 ? 5 : i % 5;
        log.LogLine(lines[kind], directions[kind]);
        ms += stepMs;
    }
    log.record().setClock({});
}

// The whole save: the text and the atomic write of about 14 MB. Arg: the
// time between two lines (20 ms: the bus at full speed; 5 s: a record that
// spans twelve days, with a new day and clock offset often).
void BM_SaveFullRecord(benchmark::State &state)
{
    TrafficLog log;
    FillRecord(log, state.range(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("record.txt"));
    for (auto _ : state)
        log.record().saveTo(path);
    state.SetItemsProcessed(state.iterations() * BusRecord::kCapacity);
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}
BENCHMARK(BM_SaveFullRecord)->Arg(20)->Arg(5000)->Unit(benchmark::kMillisecond);

// The text alone, without the disk.
void BM_FullRecordText(benchmark::State &state)
{
    TrafficLog log;
    FillRecord(log, 20);
    for (auto _ : state)
        benchmark::DoNotOptimize(log.record().text());
    state.SetItemsProcessed(state.iterations() * BusRecord::kCapacity);
}
BENCHMARK(BM_FullRecordText)->Unit(benchmark::kMillisecond);

// What every logged line costs now that it is also recorded, on a full record.
void BM_LogLineIntoFullRecord(benchmark::State &state)
{
    TrafficLog log;
    FillRecord(log, 20);
    const QString line = QStringLiteral(":01 03 00 09 00 04 EF \r\n(4)");
    for (auto _ : state)
        for (int i = 0; i < 1002; ++i)
            log.LogLine(line, BusDirection::Sent);
    state.SetItemsProcessed(state.iterations() * 1002);
}
BENCHMARK(BM_LogLineIntoFullRecord)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
