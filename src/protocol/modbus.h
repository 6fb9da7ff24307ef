#pragma once

#include <QByteArray>
#include <QString>

// Modbus ASCII frame on the wire:
//   ':'  then payload + LRC as upper-case hex, no separators, then CR LF.
// The payload is address, function, data. LRC is the two's complement of the
// 8-bit sum of the payload bytes.
quint8 ModbusLrc(const QByteArray &payload);
// ":" + hex(payload + LRC) + CR LF, as bytes ready for the link.
QByteArray ModbusWireText(const QByteArray &payload);
// The traffic-log line of a sent Modbus frame:
// ":" + hex(payload + LRC, " ") + CR LF + "(4)".
QString ModbusSendLogLine(const QByteArray &payload);

// Request payloads of the two functions the program uses. The write takes whole
// registers (an even number of bytes, at most 123 registers); other data raise
// KvtError rather than build a frame whose counts disagree.
constexpr int kModbusMaxWriteBytes = 246;
QByteArray ModbusReadRequest(quint8 address, quint16 startRegister, quint16 count);
QByteArray ModbusWriteRequest(quint8 address, quint16 startRegister, const QByteArray &data);
