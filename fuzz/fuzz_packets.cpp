// Packet assembly over the four packet rules, with the input cut into chunks,
// time passing between them and handlers that receive bytes or close the
// link while they run. Ops, op byte c:
//   c & 3 == 0   the next (c >> 2) + 1 bytes arrive
//   c & 3 == 1   (c >> 2) * 4 s pass (the rules' time-out is 118.14 s)
//   c & 3 == 2   the next (c >> 2) + 1 bytes arrive while the next handler runs
//   c & 3 == 3   the next handler closes the link ((c >> 2) even), or the
//                link closes now
// Invariants: every packet matches the rule that delivered it (its start
// string; 14 or 5 bytes; ':' through the first CR LF), packets come in stream
// order and never share a byte (nothing is delivered twice), none is longer
// than what arrived since the link last opened, and the buffer never holds
// more than that.
#include "link/packetassembler.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "finding: %s: %s\n", what, detail.toHex(' ').constData());
    std::abort();
}

struct Run
{
    PacketAssembler assembler;
    qint64 now = 0;
    QByteArray stream; // what arrived since the link last opened
    qint64 delivered = 0; // end of the last packet in the stream
    QByteArray nested; // bytes that arrive inside the next handler
    bool resetInHandler = false;
    std::array<PacketRule, kPacketRuleCount> rules = StandardPacketRules();

    Run() : assembler(nullptr, [this] { return now; })
    {
        for (int rule = 1; rule <= kPacketRuleCount; ++rule)
            assembler.setHandler(rule, [this, rule](const QByteArray &packet) { onPacket(rule, packet); });
    }

    void arrive(const QByteArray &bytes)
    {
        stream += bytes;
        assembler.append(bytes);
    }

    void checkBuffer() const
    {
        if (assembler.bufferedBytes() > stream.size() - delivered)
            Fail("buffer holds more than arrived since the last packet", stream);
    }

    void closeLink()
    {
        assembler.reset();
        stream.clear();
        delivered = 0;
    }

    void onPacket(int ruleNumber, const QByteArray &packet)
    {
        const PacketRule &rule = rules[size_t(ruleNumber - 1)];
        if (!packet.startsWith(rule.startString))
            Fail("packet without its start string", packet);
        if (rule.endCond == EndCondition::PacketSize) {
            if (packet.size() != rule.packetSize)
                Fail("packet of the wrong size", packet);
        } else {
            const qsizetype end = packet.indexOf(rule.endString, rule.startString.size());
            if (end < 0 || end + rule.endString.size() != packet.size())
                Fail("text packet not ended by its first CR LF", packet);
        }
        if (packet.size() > stream.size())
            Fail("packet longer than the input", packet);
        const qsizetype at = stream.indexOf(packet, delivered);
        if (at < 0)
            Fail("packet delivered twice or out of order", packet);
        delivered = at + packet.size();
        if (!nested.isEmpty())
            arrive(std::exchange(nested, {}));
        if (std::exchange(resetInHandler, false))
            closeLink();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(bytes), qsizetype(size));
    Run run;
    for (qsizetype i = 0; i < input.size();) {
        const uchar op = uchar(input[i++]);
        const int n = (op >> 2) + 1;
        switch (op & 3) {
        case 0:
            run.arrive(input.mid(i, n));
            run.checkBuffer();
            i += n;
            break;
        case 1:
            run.now += qint64(op >> 2) * 4000;
            break;
        case 2:
            run.nested += input.mid(i, n);
            i += n;
            break;
        case 3:
            if ((op >> 2) % 2 == 0)
                run.resetInHandler = true;
            else
                run.closeLink();
            break;
        }
    }
    return 0;
}
