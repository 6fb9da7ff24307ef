// Packet assembly throughput: board and Modbus replies among noise, and input
// built to defeat the start-string search (false starts everywhere).
#include "link/packetassembler.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QList>
#include <cstdint>

namespace {

constexpr int kStreamBytes = 1 << 20;

// A small deterministic generator, so every run sees the same stream.
struct Lcg
{
    uint32_t state = 12345;
    uint32_t next()
    {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    }
};

QByteArray MixedStream()
{
    Lcg rng;
    QByteArray stream;
    const QByteArray modbus(":0103080001000200030004E1\r\n");
    while (stream.size() < kStreamBytes) {
        switch (rng.next() % 4) {
        case 0: {
            QByteArray board("H\x0B", 2);
            for (int i = 0; i < 12; ++i)
                board.append(char(rng.next()));
            stream += board;
            break;
        }
        case 1:
            stream += modbus;
            break;
        case 2:
            stream += QByteArray("H\x02\x05\x00\x07", 5);
            break;
        default: // noise without start bytes
            for (int i = 0; i < 8; ++i) {
                char b = char(rng.next());
                stream.append(b == 'H' || b == ':' ? '\x00' : b);
            }
        }
    }
    return stream;
}

// 1 MB of one piece repeated, or of the pieces mixed at random.
QByteArray AdversarialStream(const QList<QByteArray> &pieces)
{
    Lcg rng;
    QByteArray stream;
    while (stream.size() < kStreamBytes)
        stream += pieces[int(rng.next() % uint32_t(pieces.size()))];
    return stream;
}

// Arrivals of 1 to 64 bytes, as a serial line or a socket hands them over.
QList<QByteArray> Split(const QByteArray &stream)
{
    Lcg rng;
    QList<QByteArray> chunks;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype n = 1 + qsizetype(rng.next() % 64);
        chunks.append(stream.mid(at, n));
        at += n;
    }
    return chunks;
}

void Assemble(benchmark::State &state, const QByteArray &stream)
{
    const QList<QByteArray> chunks = Split(stream);
    PacketAssembler assembler(nullptr, [] { return qint64(0); });
    int64_t packets = 0;
    for (int rule = 1; rule <= kPacketRuleCount; ++rule)
        assembler.setHandler(rule, [&](const QByteArray &p) { packets += p.size() > 0; });
    for (auto _ : state) {
        assembler.reset();
        for (const QByteArray &chunk : chunks)
            assembler.append(chunk);
        benchmark::DoNotOptimize(packets);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
    state.counters["packets"] = benchmark::Counter(double(packets), benchmark::Counter::kAvgIterations);
}

void BM_PacketAssembly_mixed(benchmark::State &state)
{
    static const QByteArray stream = MixedStream();
    Assemble(state, stream);
}

void BM_PacketAssembly_adversarial(benchmark::State &state, QList<QByteArray> pieces)
{
    const QByteArray stream = AdversarialStream(pieces);
    Assemble(state, stream);
}

} // namespace

BENCHMARK(BM_PacketAssembly_mixed)->Unit(benchmark::kMillisecond);
// Every byte a partial start that fails.
BENCHMARK_CAPTURE(BM_PacketAssembly_adversarial, H, QList<QByteArray>{QByteArray("H")})
    ->Unit(benchmark::kMillisecond);
// A board start every two bytes: a packet every 14.
BENCHMARK_CAPTURE(BM_PacketAssembly_adversarial, H0B, QList<QByteArray>{QByteArray("H\x0B", 2)})
    ->Unit(benchmark::kMillisecond);
// One Modbus start that never ends (dropped at the packet limit).
BENCHMARK_CAPTURE(BM_PacketAssembly_adversarial, colon, QList<QByteArray>{QByteArray(":")})
    ->Unit(benchmark::kMillisecond);
// False starts of every rule mixed, with lone CRs and an occasional CR LF.
BENCHMARK_CAPTURE(BM_PacketAssembly_adversarial, mixed_false_starts,
                  QList<QByteArray>{QByteArray("H"), QByteArray("H\x0B", 2), QByteArray(":"),
                                    QByteArray("H\x03", 2), QByteArray("H\x02", 2),
                                    QByteArray("\r"), QByteArray("\r\n")})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
