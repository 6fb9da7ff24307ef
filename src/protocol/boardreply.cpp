#include "protocol/boardreply.h"

#include "protocol/boardframe.h"
#include "protocol/hex.h"

namespace {

constexpr int kLengthAt = 1;
constexpr int kBusIdAt = 2;
constexpr int kCodeAt = 3;
constexpr int kKeyByteAt = 4;
constexpr int kPairsAt = 5;
constexpr quint8 kKeySettingsCode = 0x06;
constexpr quint8 kCodeMask = 0x07;
// 'H', the length byte and the check byte around the payload.
constexpr int kFrameOverhead = 3;

} // namespace

BoardReply BoardReply::parse(const QByteArray &packet)
{
    BoardReply reply;
    if (packet.isEmpty() || packet.at(0) != kBoardFrameStart)
        return reply;
    if (packet.size() <= kLengthAt) {
        reply.m_error = Error::Truncated;
        return reply;
    }
    reply.m_lengthByte = quint8(packet.at(kLengthAt));
    const bool checkable = reply.m_lengthByte != kOutputReplyLength;
    const qsizetype expected = reply.m_lengthByte + kFrameOverhead - (checkable ? 0 : 1);
    const qsizetype payloadEnd = qMin(packet.size(), checkable ? expected - 1 : expected);

    if (packet.size() > kBusIdAt) {
        reply.m_hasBusId = true;
        reply.m_busId = quint8(packet.at(kBusIdAt));
        reply.m_payloadAfterId = packet.mid(kBusIdAt + 1, qMax<qsizetype>(0, payloadEnd - kBusIdAt - 1));
    }
    if (packet.size() > kCodeAt)
        reply.m_code = quint8(packet.at(kCodeAt));
    if (reply.m_lengthByte == kKeySettingsLength && packet.size() >= expected) {
        reply.m_keyByte = quint8(packet.at(kKeyByteAt));
        reply.m_pairs = packet.mid(kPairsAt, kPairBytes);
        reply.m_isKeySettings = (reply.m_code & kCodeMask) == kKeySettingsCode;
    }

    if (packet.size() < expected) {
        reply.m_error = Error::Truncated;
        return reply;
    }
    reply.m_hasCheckByte = checkable;
    if (checkable) {
        reply.m_receivedCheck = quint8(packet.at(expected - 1));
        reply.m_computedCheck = XorBytes(packet.mid(kLengthAt, expected - 1 - kLengthAt));
    }
    if (packet.size() > expected)
        reply.m_error = Error::TooLong;
    else if (reply.m_hasCheckByte && !reply.checkMatches())
        reply.m_error = Error::BadXor;
    else
        reply.m_error = Error::None;
    return reply;
}
