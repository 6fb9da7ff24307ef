#include "scenes/replywatch.h"

#include "protocol/boardreply.h"
#include "protocol/modbusreply.h"

void ReplyWatch::expect(const Expected &expected)
{
    m_expected = expected;
    m_arrived = false;
    m_failedCheck = false;
}

void ReplyWatch::matched(Kind kind, quint8 busId, int byteCount)
{
    if (m_expected.kind == Kind::None || m_expected.kind != kind || m_expected.busId != busId)
        return;
    if (kind == Kind::ModbusRead && m_expected.byteCount != byteCount)
        return;
    m_arrived = true;
}

void ReplyWatch::checkedModbusReply(const ModbusReply &reply)
{
    // A board that refuses the request answers it all the same.
    const quint8 refused = quint8(reply.function() & ~ModbusReply::kExceptionBit);
    if (reply.isException() && refused == ModbusReply::kReadFunction)
        matched(Kind::ModbusRead, reply.address(), m_expected.byteCount);
    else if (reply.isException() && refused == ModbusReply::kWriteFunction)
        matched(Kind::ModbusWriteEcho, reply.address(), 0);
    else if (reply.function() == ModbusReply::kReadFunction) {
        matched(Kind::ModbusRead, reply.address(), reply.byteCount());
        const int slot = FindSlotById(reply.address());
        if (slot >= 1)
            ++m_reads[{slot, reply.byteCount()}];
    }
    else if (reply.function() == ModbusReply::kWriteFunction) {
        matched(Kind::ModbusWriteEcho, reply.address(), 0);
        acknowledged(reply.address());
    }
}

void ReplyWatch::acknowledged(quint8 busId)
{
    const int slot = FindSlotById(busId);
    if (slot >= 1)
        ++m_acknowledgements[size_t(slot - 1)];
}

int ReplyWatch::acknowledgementsOf(int slot) const
{
    return slot >= 1 && slot <= kSlotCount ? m_acknowledgements[size_t(slot - 1)] : 0;
}

void ReplyWatch::checkedBoardReply(const BoardReply &reply)
{
    if (!reply.hasBusId())
        return;
    if (reply.isKeySettings())
        matched(Kind::BoardKeySettings, reply.busId(), 0);
    else if (reply.lengthByte() == BoardReply::kShortReplyLength && reply.isValid()) {
        matched(Kind::BoardAck, reply.busId(), 0);
        acknowledged(reply.busId());
    }
}

void ReplyWatch::replyFailedCheck()
{
    if (m_expected.kind != Kind::None)
        m_failedCheck = true;
}

void ReplyWatch::slotAnswered(int slot)
{
    if (slot >= 1 && slot <= kSlotCount)
        ++m_answers[size_t(slot - 1)];
}

int ReplyWatch::answersOf(int slot) const
{
    return slot >= 1 && slot <= kSlotCount ? m_answers[size_t(slot - 1)] : 0;
}

int ReplyWatch::readRepliesOf(int slot, int byteCount) const
{
    const auto it = m_reads.find({slot, byteCount});
    return it == m_reads.end() ? 0 : it->second;
}
