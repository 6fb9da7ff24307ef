#pragma once

#include <QByteArray>
#include <vector>

// One frame recognised on the bus.
struct BusFrame
{
    enum class Kind { Board, Modbus };
    Kind kind;
    QByteArray wire;    // the bytes as they came, start to end
    QByteArray payload; // board frame: the payload; Modbus: address, function, data (LRC removed)
};

// Cuts board frames ('H', length, payload, XOR check) and Modbus ASCII frames
// (':' hex digits and LRC, CR LF) out of one byte stream, the way a board's
// receiver does: bytes that belong to no frame are dropped, and a frame whose
// check byte or LRC is wrong is ignored as if it were noise.
//
// A board frame that has started but is not complete yet holds the bytes after
// it; when the line then stays quiet, flush() gives up on it and looks for
// frames among the bytes it held.
class BusParser
{
public:
    static constexpr int kMaxBoardPayload = 32;
    static constexpr int kMaxModbusChars = 513; // ':' + 255 bytes as hex + CR LF

    // Adds received bytes and returns the frames completed by them, in order.
    std::vector<BusFrame> feed(const QByteArray &bytes);
    // The line went quiet: incomplete frames are dropped; complete frames that
    // they were hiding are returned.
    std::vector<BusFrame> flush();
    // Bytes held for a frame that is not complete yet.
    const QByteArray &pending() const { return m_buffer; }
    void clear() { m_buffer.clear(); }

private:
    enum class Match { Complete, Incomplete, Invalid };
    Match matchBoard(qsizetype at, BusFrame *frame, qsizetype *end) const;
    Match matchModbus(qsizetype at, BusFrame *frame, qsizetype *end) const;
    std::vector<BusFrame> scan(bool giveUpIncomplete);

    QByteArray m_buffer;
};
