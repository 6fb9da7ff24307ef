#pragma once

#include <QByteArray>

// A Modbus ASCII reply as the Modbus packet rule delivers it, ':' through CR LF.
// Character offsets from 0 (two hex digits a byte, high digit first):
//
//   0            ':'
//   1-2          address (the board's bus id)
//   3-4          function: 03 read, 10 write, high bit set (83, 90) an exception
//   function 03: 5-6 byte count N, then 7 .. 6 + 2N the N data bytes
//                (each register high byte first)
//   function 10: 5-8 start register, 9-12 register count
//   exception:   5-6 exception code
//   then         LRC (two hex digits): the two's complement of the 8-bit sum of
//                every byte from the address up to the last data byte
//   last         CR LF
//
// Parsing never reads past the end of the packet. Each field keeps the
// characters found at its offsets, as far as the packet goes (in a short
// packet they may be the LRC or the line end), and its value when the whole
// body is hex digit pairs. What is wrong with a reply is said by error(); the
// fields hold what there was.
class ModbusReply
{
public:
    enum class Error {
        None,
        NotFramed, // no ':' at the start or no CR LF at the end
        NotHex,    // a character of the body is not a hex digit, or one is left over
        Truncated, // fewer bytes than the function's layout needs
        TooLong,   // more bytes than the function's layout holds
        BadLrc,    // the layout fits but the LRC does not
    };

    static constexpr quint8 kReadFunction = 0x03;
    static constexpr quint8 kWriteFunction = 0x10;
    static constexpr quint8 kExceptionBit = 0x80;

    static ModbusReply parse(const QByteArray &packet);

    bool isValid() const { return m_error == Error::None; }
    Error error() const { return m_error; }

    // The fields' characters as received.
    QByteArray idText() const { return m_idText; }
    QByteArray functionText() const { return m_functionText; }
    // Offsets 5-6: the byte count of a read reply, the code of an exception.
    QByteArray countText() const { return m_countText; }
    // Offsets 9-12: the register count of a write reply.
    QByteArray registerCountText() const { return m_registerCountText; }

    // Values, set when the body is hex (0 otherwise).
    quint8 address() const { return m_address; }
    quint8 function() const { return m_function; }
    bool isException() const { return (m_function & kExceptionBit) != 0; }
    // Exception replies only.
    quint8 exceptionCode() const { return m_exceptionCode; }
    // Read replies: the byte count the reply states, and the data bytes that
    // stand between it and the LRC (fewer than the count in a truncated reply).
    int byteCount() const { return m_byteCount; }
    QByteArray data() const { return m_data; }
    // Write replies: the echo of the request's start register and count.
    quint16 startRegister() const { return m_startRegister; }
    quint16 registerCount() const { return m_registerCount; }
    // The LRC as received and as computed over the bytes before it; a reply
    // with fewer than three bytes, or one that is not hex, has none.
    bool hasLrc() const { return m_hasLrc; }
    quint8 receivedLrc() const { return m_receivedLrc; }
    quint8 computedLrc() const { return m_computedLrc; }
    bool lrcMatches() const { return m_hasLrc && m_receivedLrc == m_computedLrc; }

    // The bytes of `count` digit pairs from offset 7 on, read with HexToBytes:
    // when the data are shorter than the count, the LRC and the CR LF are read
    // as data, as far as the packet goes. The designed reading of a read
    // reply's data, whatever its check says.
    QByteArray dataAsCounted(int count) const;

private:
    Error m_error = Error::NotFramed;
    QByteArray m_packet;
    QByteArray m_idText;
    QByteArray m_functionText;
    QByteArray m_countText;
    QByteArray m_registerCountText;
    quint8 m_address = 0;
    quint8 m_function = 0;
    quint8 m_exceptionCode = 0;
    int m_byteCount = 0;
    QByteArray m_data;
    quint16 m_startRegister = 0;
    quint16 m_registerCount = 0;
    bool m_hasLrc = false;
    quint8 m_receivedLrc = 0;
    quint8 m_computedLrc = 0;
};
