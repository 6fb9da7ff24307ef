#include "scenes/panelrequests.h"

#include "protocol/modbus.h"
#include "scenes/keytables.h"
#include "scenes/sixcircuitregisters.h"

namespace {

constexpr quint8 kLiveOutputCommand = 0x03;
constexpr quint8 kLiveLevelLowByte = 0x01;

} // namespace

QByteArray LiveOutputRequest(quint8 busId, quint8 mask, quint8 pattern)
{
    QByteArray payload;
    payload.append(char(busId));
    payload.append(char(kLiveOutputCommand));
    payload.append(char(mask));
    payload.append(char(pattern));
    return payload;
}

QByteArray LightKeyWriteRequest(quint8 busId, int keyIndex, const QByteArray &data)
{
    return ModbusWriteRequest(busId, LightRegister(keyIndex), data);
}

QByteArray CircuitWriteRequest(quint8 machineNumber, int keyIndex, int circuit, const QByteArray &data)
{
    return ModbusWriteRequest(machineNumber, CircuitRegister(keyIndex, circuit), data);
}

QByteArray CircuitReadRequest(quint8 machineNumber, int keyIndex, int circuit)
{
    return ModbusReadRequest(machineNumber, CircuitRegister(keyIndex, circuit), kCircuitRegistersPerCircuit);
}

QByteArray CircuitLiveRequest(quint8 machineNumber, int circuit, quint8 level)
{
    QByteArray value;
    value.append(char(level));
    value.append(char(kLiveLevelLowByte));
    return ModbusWriteRequest(machineNumber, quint16(kCircuitLiveRegisterBase + (circuit - 1)), value);
}
