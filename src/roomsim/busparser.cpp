#include "roomsim/busparser.h"

#include "protocol/boardframe.h"
#include "protocol/hex.h"
#include "protocol/modbus.h"

namespace {

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

} // namespace

std::vector<BusFrame> BusParser::feed(const QByteArray &bytes)
{
    m_buffer.append(bytes);
    return scan(false);
}

std::vector<BusFrame> BusParser::flush()
{
    return scan(true);
}

BusParser::Match BusParser::matchBoard(qsizetype at, BusFrame *frame, qsizetype *end) const
{
    if (at + 1 >= m_buffer.size())
        return Match::Incomplete;
    const int length = quint8(m_buffer[at + 1]);
    if (length > kMaxBoardPayload)
        return Match::Invalid;
    const qsizetype total = length + 3;
    if (at + total > m_buffer.size())
        return Match::Incomplete;
    const QByteArray checked = m_buffer.mid(at + 1, length + 1);
    if (XorBytes(checked) != quint8(m_buffer[at + total - 1]))
        return Match::Invalid;
    frame->kind = BusFrame::Kind::Board;
    frame->wire = m_buffer.mid(at, total);
    frame->payload = checked.mid(1);
    *end = at + total;
    return Match::Complete;
}

BusParser::Match BusParser::matchModbus(qsizetype at, BusFrame *frame, qsizetype *end) const
{
    qsizetype i = at + 1;
    for (; i < m_buffer.size(); ++i) {
        const char c = m_buffer[i];
        if (c == '\r')
            break;
        if (!IsHexDigit(c) || i - at >= kMaxModbusChars)
            return Match::Invalid;
    }
    if (i + 1 >= m_buffer.size())
        return Match::Incomplete;
    if (m_buffer[i + 1] != '\n')
        return Match::Invalid;
    const qsizetype digits = i - at - 1;
    // Address, function and LRC at least, whole bytes only.
    if (digits < 6 || digits % 2 != 0)
        return Match::Invalid;
    const QByteArray body = HexToBytes(QString::fromLatin1(m_buffer.mid(at + 1, digits)));
    const QByteArray payload = body.left(body.size() - 1);
    if (ModbusLrc(payload) != quint8(body.back()))
        return Match::Invalid;
    frame->kind = BusFrame::Kind::Modbus;
    frame->wire = m_buffer.mid(at, i + 2 - at);
    frame->payload = payload;
    *end = i + 2;
    return Match::Complete;
}

std::vector<BusFrame> BusParser::scan(bool giveUpIncomplete)
{
    std::vector<BusFrame> frames;
    qsizetype keepFrom = -1; // start of a frame still waiting for bytes
    qsizetype at = 0;
    while (at < m_buffer.size()) {
        const char c = m_buffer[at];
        if (c != kBoardFrameStart && c != ':') {
            ++at;
            continue;
        }
        BusFrame frame;
        qsizetype end = 0;
        const Match match = c == ':' ? matchModbus(at, &frame, &end) : matchBoard(at, &frame, &end);
        if (match == Match::Complete) {
            frames.push_back(std::move(frame));
            m_buffer.remove(0, end);
            at = 0;
            continue;
        }
        if (match == Match::Incomplete && !giveUpIncomplete) {
            // Wait for the rest; a frame that looks complete inside the bytes
            // still to come may just be part of this one's payload.
            keepFrom = at;
            break;
        }
        ++at;
    }
    if (keepFrom < 0)
        m_buffer.clear();
    else
        m_buffer.remove(0, keepFrom);
    return frames;
}
