#pragma once

#include <QByteArray>

// Requests to the media board (or any Modbus slave) for one 32-bit register
// value: two holding registers at the address, high word first.
//
//   write   id, 10, a high, a low, 00 02, 04, d3 d2 d1 d0   (d3 most significant)
//   read    id, 03, a high, a low, 00 02
QByteArray RegisterValueWriteRequest(quint8 id, quint16 address, quint32 value);
QByteArray RegisterValueReadRequest(quint8 id, quint16 address);

// The two register values of a device page, made of its fields' bytes in
// field order: fields 0..3 form the first value (field 0 its most significant
// byte), the remaining fields the second from its most significant byte on,
// and the bytes no field fills are FF.
struct DeviceRegisterValues
{
    quint32 first = 0;
    quint32 second = 0;
};
DeviceRegisterValues DevicePageValues(const QByteArray &fieldBytes);
