#include "protocol/modbus.h"

#include "protocol/hex.h"
#include "protocol/kvterror.h"

quint8 ModbusLrc(const QByteArray &payload)
{
    unsigned sum = 0;
    for (char byte : payload)
        sum += quint8(byte);
    return quint8((256 - (sum % 256)) % 256);
}

static QByteArray WithLrc(const QByteArray &payload)
{
    return payload + QByteArray(1, char(ModbusLrc(payload)));
}

QByteArray ModbusWireText(const QByteArray &payload)
{
    return ":" + BytesToHex(WithLrc(payload), QString()).toLatin1() + "\r\n";
}

QString ModbusSendLogLine(const QByteArray &payload)
{
    return QStringLiteral(":") + BytesToHex(WithLrc(payload), QStringLiteral(" "))
        + QStringLiteral("\r\n(4)");
}

static void AppendWord(QByteArray &bytes, quint16 word)
{
    bytes.append(char(word >> 8));
    bytes.append(char(word & 0xFF));
}

QByteArray ModbusReadRequest(quint8 address, quint16 startRegister, quint16 count)
{
    QByteArray payload;
    payload.append(char(address));
    payload.append(char(0x03));
    AppendWord(payload, startRegister);
    AppendWord(payload, count);
    return payload;
}

QByteArray ModbusWriteRequest(quint8 address, quint16 startRegister, const QByteArray &data)
{
    // The register count and the byte count must describe the same data, and
    // the byte count must fit its one byte.
    if (data.size() % 2 != 0 || data.size() > kModbusMaxWriteBytes)
        throw KvtError(QStringLiteral("Modbus write of %1 data bytes: whole registers, at most %2 bytes")
                           .arg(data.size())
                           .arg(kModbusMaxWriteBytes));
    QByteArray payload;
    payload.append(char(address));
    payload.append(char(0x10));
    AppendWord(payload, startRegister);
    AppendWord(payload, quint16(data.size() / 2));
    payload.append(char(data.size() % 256));
    payload.append(data);
    return payload;
}
