// The virtual room's bus parser under arbitrary bytes, cut into chunks with
// quiet times between them. Ops, op byte c:
//   c & 1 == 0   the next (c >> 1) + 1 bytes arrive
//   c & 1 == 1   the line goes quiet (flush)
// Invariants: every frame is one the tool's own codecs build for its payload
// (a board frame with its check byte, or ':' hex, LRC, CR LF; hex digits in
// any case), frames come in stream order without sharing a byte, and the
// parser never holds more than arrived after the last frame.
#include "protocol/boardframe.h"
#include "protocol/modbus.h"
#include "roomsim/busparser.h"

#include <QByteArray>
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
    BusParser parser;
    QByteArray stream;
    qsizetype taken = 0; // end of the last frame in the stream

    void check(const std::vector<BusFrame> &frames)
    {
        for (const BusFrame &frame : frames) {
            if (frame.kind == BusFrame::Kind::Board) {
                if (frame.payload.size() > BusParser::kMaxBoardPayload || frame.wire != BoardFrame(frame.payload))
                    Fail("board frame that is not the frame of its payload", frame.wire);
            } else if (frame.wire.toUpper() != ModbusWireText(frame.payload)) {
                Fail("Modbus frame that is not the frame of its payload", frame.wire);
            }
            const qsizetype at = stream.indexOf(frame.wire, taken);
            if (at < 0)
                Fail("frame given twice or out of order", frame.wire);
            taken = at + frame.wire.size();
        }
        if (parser.pending().size() > stream.size() - taken)
            Fail("parser holds more than arrived after the last frame", parser.pending());
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(bytes), qsizetype(size));
    Run run;
    for (qsizetype i = 0; i < input.size();) {
        const uchar op = uchar(input[i++]);
        if (op & 1) {
            run.check(run.parser.flush());
            continue;
        }
        const QByteArray chunk = input.mid(i, (op >> 1) + 1);
        i += chunk.size();
        run.stream += chunk;
        run.check(run.parser.feed(chunk));
    }
    run.check(run.parser.flush());
    return 0;
}
