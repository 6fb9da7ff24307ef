#include "protocol/modbusreply.h"

#include "protocol/hex.h"
#include "protocol/modbus.h"

namespace {

constexpr int kIdAt = 1;
constexpr int kFunctionAt = 3;
constexpr int kCountAt = 5;
constexpr int kDataAt = 7;
constexpr int kRegisterCountAt = 9;
constexpr int kFieldDigits = 2;
constexpr int kWordDigits = 4;
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsHexText(const QByteArray &text)
{
    if (text.size() % 2 != 0)
        return false;
    for (char c : text)
        if (!IsHexDigit(c))
            return false;
    return true;
}

quint16 WordAt(const QByteArray &bytes, int at)
{
    return quint16((quint8(bytes.at(at)) << 8) | quint8(bytes.at(at + 1)));
}

// Address, function and what follows them up to the LRC: the layout error of
// the function, or None.
ModbusReply::Error LayoutError(qsizetype payloadSize, qsizetype expected)
{
    if (payloadSize < expected)
        return ModbusReply::Error::Truncated;
    if (payloadSize > expected)
        return ModbusReply::Error::TooLong;
    return ModbusReply::Error::None;
}

} // namespace

ModbusReply ModbusReply::parse(const QByteArray &packet)
{
    ModbusReply reply;
    reply.m_packet = packet;
    reply.m_idText = packet.mid(kIdAt, kFieldDigits);
    reply.m_functionText = packet.mid(kFunctionAt, kFieldDigits);
    reply.m_countText = packet.mid(kCountAt, kFieldDigits);
    reply.m_registerCountText = packet.mid(kRegisterCountAt, kWordDigits);

    if (packet.size() < 1 + kLineEnd.size() || packet.at(0) != ':' || !packet.endsWith(kLineEnd)) {
        reply.m_error = Error::NotFramed;
        return reply;
    }
    const QByteArray body = packet.mid(1, packet.size() - 1 - kLineEnd.size());
    if (!IsHexText(body)) {
        reply.m_error = Error::NotHex;
        return reply;
    }
    const QByteArray bytes = HexToBytes(QString::fromLatin1(body));
    if (bytes.size() >= 1)
        reply.m_address = quint8(bytes.at(0));
    if (bytes.size() >= 2)
        reply.m_function = quint8(bytes.at(1));
    // Address, function and LRC at the least; before that the LRC cannot be
    // told from the fields.
    if (bytes.size() < 3) {
        reply.m_error = Error::Truncated;
        return reply;
    }
    const QByteArray payload = bytes.left(bytes.size() - 1);
    reply.m_hasLrc = true;
    reply.m_receivedLrc = quint8(bytes.back());
    reply.m_computedLrc = ModbusLrc(payload);

    Error layout = Error::None;
    if (reply.isException()) {
        layout = LayoutError(payload.size(), 3);
        if (payload.size() >= 3)
            reply.m_exceptionCode = quint8(payload.at(2));
    } else if (reply.m_function == kReadFunction) {
        if (payload.size() < 3) {
            layout = Error::Truncated;
        } else {
            reply.m_byteCount = quint8(payload.at(2));
            reply.m_data = payload.mid(3, reply.m_byteCount);
            layout = LayoutError(payload.size(), 3 + reply.m_byteCount);
        }
    } else if (reply.m_function == kWriteFunction) {
        layout = LayoutError(payload.size(), 6);
        if (payload.size() >= 6) {
            reply.m_startRegister = WordAt(payload, 2);
            reply.m_registerCount = WordAt(payload, 4);
        }
    } else {
        // A function the program never asks for: what follows it, unchecked.
        reply.m_data = payload.mid(2);
    }
    if (layout != Error::None)
        reply.m_error = layout;
    else if (!reply.lrcMatches())
        reply.m_error = Error::BadLrc;
    else
        reply.m_error = Error::None;
    return reply;
}

QByteArray ModbusReply::dataAsCounted(int count) const
{
    if (count <= 0)
        return QByteArray();
    return HexToBytes(QString::fromLatin1(m_packet.mid(kDataAt, 2 * qsizetype(count))));
}
