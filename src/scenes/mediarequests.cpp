#include "scenes/mediarequests.h"

#include "protocol/kvterror.h"
#include "protocol/modbus.h"

namespace {

constexpr quint16 kRegistersPerValue = 2;
constexpr int kBytesPerValue = 4;

quint32 ValueOf(const QByteArray &bytes)
{
    quint32 value = 0;
    for (int i = 0; i < kBytesPerValue; ++i)
        value = (value << 8) | (i < bytes.size() ? quint8(bytes.at(i)) : 0xFFu);
    return value;
}

} // namespace

QByteArray RegisterValueWriteRequest(quint8 id, quint16 address, quint32 value)
{
    QByteArray data;
    for (int shift = 24; shift >= 0; shift -= 8)
        data.append(char((value >> shift) & 0xFF));
    return ModbusWriteRequest(id, address, data);
}

QByteArray RegisterValueReadRequest(quint8 id, quint16 address)
{
    return ModbusReadRequest(id, address, kRegistersPerValue);
}

DeviceRegisterValues DevicePageValues(const QByteArray &fieldBytes)
{
    if (fieldBytes.size() > 2 * kBytesPerValue)
        throw KvtError(QStringLiteral("A device page of %1 fields does not fit two register values")
                           .arg(fieldBytes.size()));
    return {ValueOf(fieldBytes.left(kBytesPerValue)), ValueOf(fieldBytes.mid(kBytesPerValue))};
}
