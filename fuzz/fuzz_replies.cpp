// The reply parsing of the protocol layer (ModbusReply, BoardReply) under
// arbitrary packets. Byte 0 picks what the rest is:
//   0  a packet for ModbusReply::parse: a reply it takes is exactly the frame
//      the tool's own codec builds from its fields (hex digits in any case);
//      dataAsCounted() reads no further than the packet for any count
//   1  a packet for BoardReply::parse: a reply it takes is the board frame of
//      its payload (an 'H' 03 reply, which carries no check byte, its first
//      five bytes)
//   2  a payload, framed by the tool's Modbus codec: parsing gives back its
//      address, function and fields
//   3  a payload, framed as a board frame: parsing takes it whole and gives
//      back its bus id and payload
#include "protocol/boardframe.h"
#include "protocol/boardreply.h"
#include "protocol/modbus.h"
#include "protocol/modbusreply.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void Fail(const char *what, const QByteArray &detail)
{
    std::fprintf(stderr, "finding: %s: %s\n", what, detail.toHex(' ').constData());
    std::abort();
}

QByteArray Word(quint16 value)
{
    return QByteArray(1, char(value >> 8)) + char(value & 0xFF);
}

// The payload a taken Modbus reply stands for, from its fields.
QByteArray ModbusPayload(const ModbusReply &reply, const QByteArray &packet)
{
    QByteArray payload;
    payload += char(reply.address());
    payload += char(reply.function());
    if (reply.isException())
        return payload + char(reply.exceptionCode());
    if (reply.function() == ModbusReply::kReadFunction)
        return payload + char(reply.byteCount()) + reply.data();
    if (reply.function() == ModbusReply::kWriteFunction)
        return payload + Word(reply.startRegister()) + Word(reply.registerCount());
    Q_UNUSED(packet);
    return payload + reply.data();
}

void CheckModbusPacket(const QByteArray &packet)
{
    const ModbusReply reply = ModbusReply::parse(packet);
    for (int count : {0, 1, 2, 8, 255, 100000})
        if (reply.dataAsCounted(count).size() > packet.size())
            Fail("dataAsCounted read more than the packet", packet);
    if (!reply.isValid())
        return;
    if (packet.toUpper() != ModbusWireText(ModbusPayload(reply, packet)))
        Fail("a taken Modbus reply is not the frame of its fields", packet);
    if (!reply.lrcMatches())
        Fail("a taken Modbus reply with a wrong LRC", packet);
}

void CheckBoardPacket(const QByteArray &packet)
{
    const BoardReply reply = BoardReply::parse(packet);
    if (!reply.isValid())
        return;
    if (reply.lengthByte() == BoardReply::kOutputReplyLength) {
        if (packet.size() != 5 || packet[0] != 'H')
            Fail("a taken 'H' 03 reply that is not five bytes", packet);
        return;
    }
    const QByteArray payload = packet.mid(2, reply.lengthByte());
    if (packet != BoardFrame(payload))
        Fail("a taken board reply is not the frame of its payload", packet);
    if (!payload.isEmpty() && (!reply.hasBusId() || reply.busId() != quint8(payload[0])
                               || reply.payloadAfterId() != payload.mid(1)))
        Fail("a taken board reply gives another bus id or payload", packet);
    if (reply.isKeySettings() && reply.pairs().size() != BoardReply::kPairBytes)
        Fail("key settings without their eight pair bytes", packet);
}

void CheckModbusRoundTrip(const QByteArray &payload)
{
    if (payload.size() < 2 || payload.size() > 255)
        return;
    const QByteArray packet = ModbusWireText(payload);
    const ModbusReply reply = ModbusReply::parse(packet);
    if (reply.address() != quint8(payload[0]) || reply.function() != quint8(payload[1]))
        Fail("address or function lost", packet);
    if (!reply.lrcMatches())
        Fail("the codec's own LRC does not match", packet);
    // The layouts, from the payload itself: exception 3 bytes, read 3 plus
    // the count it states, write 6; other functions go unchecked.
    const quint8 function = quint8(payload[1]);
    bool fits = true;
    if (function & ModbusReply::kExceptionBit)
        fits = payload.size() == 3;
    else if (function == ModbusReply::kReadFunction)
        fits = payload.size() >= 3 && payload.size() == 3 + quint8(payload[2]);
    else if (function == ModbusReply::kWriteFunction)
        fits = payload.size() == 6;
    if (fits && ModbusPayload(reply, packet) != payload)
        Fail("a well-formed frame's fields do not give back its payload", packet);
    if (reply.isValid() != fits)
        Fail("a well-formed frame taken or refused against its layout", packet);
}

void CheckBoardRoundTrip(const QByteArray &payload)
{
    if (payload.isEmpty() || payload.size() > 255 || payload.size() == BoardReply::kOutputReplyLength)
        return;
    const QByteArray packet = BoardFrame(payload);
    const BoardReply reply = BoardReply::parse(packet);
    if (!reply.isValid())
        Fail("the board frame of a payload was refused", packet);
    if (reply.busId() != quint8(payload[0]) || reply.payloadAfterId() != payload.mid(1))
        Fail("bus id or payload lost", packet);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char *>(bytes) + 1, qsizetype(size - 1));
    switch (bytes[0] % 4) {
    case 0:
        CheckModbusPacket(rest);
        break;
    case 1:
        CheckBoardPacket(rest);
        break;
    case 2:
        CheckModbusRoundTrip(rest);
        break;
    case 3:
        CheckBoardRoundTrip(rest);
        break;
    }
    return 0;
}
