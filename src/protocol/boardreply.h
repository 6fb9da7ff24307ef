#pragma once

#include <QByteArray>

// A board reply as the board-frame packet rules deliver it, offsets from 0:
//
//   'H' 0B, 14 bytes   0 'H' (0x48)   1 length 0x0B   2 bus id
//                      3 code byte: key settings when its low three bits are 6
//                        (06 plus a bank offset, a multiple of 8)
//                      4 key byte (only logged)
//                      5-12 four pairs (mask, pattern) for columns 1-4
//                      13 check byte: XOR of bytes 1-12
//   'H' 02, 5 bytes    0 'H'   1 0x02   2 bus id   3 one payload byte
//                      4 check byte: XOR of bytes 1-3
//   'H' 03, 5 bytes    0 'H'   1 0x03   2 bus id   3-4 two payload bytes; the
//                      frame's check byte is not delivered, so this shape
//                      cannot be checked
//
// Any other length byte L: a frame of L + 3 bytes with its check byte last.
// Parsing never reads past the end of the packet: a field the packet does not
// reach keeps its default and error() says Truncated.
class BoardReply
{
public:
    enum class Error {
        None,
        NotBoardFrame, // empty, or the first byte is not 'H'
        Truncated,     // shorter than its length byte says
        TooLong,       // longer than its length byte says
        BadXor,        // complete, but the check byte is not the XOR
    };

    static constexpr quint8 kKeySettingsLength = 0x0B;
    static constexpr quint8 kShortReplyLength = 0x02;
    static constexpr quint8 kOutputReplyLength = 0x03;
    static constexpr int kPairBytes = 8;

    static BoardReply parse(const QByteArray &packet);

    bool isValid() const { return m_error == Error::None; }
    Error error() const { return m_error; }

    quint8 lengthByte() const { return m_lengthByte; }
    // The packet reaches the bus id (offset 2).
    bool hasBusId() const { return m_hasBusId; }
    quint8 busId() const { return m_busId; }
    // Offset 3: the code byte of an 'H' 0B reply, the payload byte of 'H' 02.
    quint8 code() const { return m_code; }
    // A whole 'H' 0B reply whose code byte says key settings.
    bool isKeySettings() const { return m_isKeySettings; }
    // 'H' 0B only: offset 4, and the eight pair bytes of offsets 5-12.
    quint8 keyByte() const { return m_keyByte; }
    QByteArray pairs() const { return m_pairs; }
    // The payload after the bus id, as far as the packet goes.
    QByteArray payloadAfterId() const { return m_payloadAfterId; }

    // Every shape but 'H' 03 carries its check byte.
    bool hasCheckByte() const { return m_hasCheckByte; }
    quint8 receivedCheck() const { return m_receivedCheck; }
    quint8 computedCheck() const { return m_computedCheck; }
    bool checkMatches() const { return m_hasCheckByte && m_receivedCheck == m_computedCheck; }

private:
    Error m_error = Error::NotBoardFrame;
    quint8 m_lengthByte = 0;
    bool m_hasBusId = false;
    quint8 m_busId = 0;
    quint8 m_code = 0;
    bool m_isKeySettings = false;
    quint8 m_keyByte = 0;
    QByteArray m_pairs;
    QByteArray m_payloadAfterId;
    bool m_hasCheckByte = false;
    quint8 m_receivedCheck = 0;
    quint8 m_computedCheck = 0;
};
