#include "scenes/keyrequests.h"

#include "link/framesender.h"
#include "link/linkdropwatch.h"
#include "link/pacer.h"
#include "link/scopeguard.h"
#include "protocol/boardtable.h"
#include "protocol/kvterror.h"
#include "protocol/modbus.h"
#include "scenes/keytables.h"

namespace {

constexpr quint8 kScanCommand = 0x06;
constexpr quint8 kKeyReadCommand = 0x06;
constexpr quint8 kKeyWriteCommand = 0x04;
constexpr quint8 kKeyPressCommand = 0x01;
constexpr quint16 kScanRegister = 0x0001;
constexpr quint16 kKeyRegisterCount = 4;

QByteArray Bytes(std::initializer_list<quint8> bytes)
{
    QByteArray out;
    for (quint8 b : bytes)
        out.append(char(b));
    return out;
}

bool HasRegister(int keyIndex)
{
    return keyIndex >= 0 && keyIndex < kRegisterKeyCount;
}

} // namespace

quint16 KeyRegister(int slot, int keyIndex)
{
    if (SlotInfo(slot).kind == BoardKind::MainDimmerBoard)
        return MainDimmerRegister(keyIndex);
    return LightRegister(keyIndex);
}

BusRequest ScanRequest(int slot, int keyNumber, bool modbusRoute)
{
    const quint8 busId = SlotInfo(slot).busId;
    if (modbusRoute)
        return {true, ModbusReadRequest(busId, kScanRegister, kKeyRegisterCount)};
    return {false, Bytes({busId, kScanCommand, quint8((keyNumber * 0x10) & 0xFF)})};
}

BusRequest KeyReadRequest(int slot, int keyIndex, bool modbusRoute)
{
    const quint8 busId = SlotInfo(slot).busId;
    if (modbusRoute && HasRegister(keyIndex))
        return {true, ModbusReadRequest(busId, KeyRegister(slot, keyIndex), kKeyRegisterCount)};
    return {false, Bytes({busId, quint8(KeyBankByte(keyIndex) + kKeyReadCommand), KeyCodeByte(keyIndex)})};
}

BusRequest KeyWriteRequest(int slot, int keyIndex, const QByteArray &data, bool modbusRoute)
{
    if (data.size() != kKeyDataBytes)
        throw KvtError(QStringLiteral("Slot %1 has %2 data bytes for the key write; 8 are needed")
                           .arg(slot)
                           .arg(data.size()));
    const quint8 busId = SlotInfo(slot).busId;
    if (modbusRoute && HasRegister(keyIndex))
        return {true, ModbusWriteRequest(busId, KeyRegister(slot, keyIndex), data)};
    QByteArray payload =
        Bytes({busId, quint8(KeyBankByte(keyIndex) + kKeyWriteCommand), KeyCodeByte(keyIndex)});
    payload.append(data);
    return {false, payload};
}

QByteArray KeyPressRequest(int keyIndex, int step)
{
    return Bytes({0x00, quint8(KeyBankByte(keyIndex) + kKeyPressCommand),
                  quint8((KeyCodeByte(keyIndex) + step) & 0xFF)});
}

int FramePauseMs(const BusRequest &request)
{
    return request.modbus ? kModbusFramePauseMs : kBoardFramePauseMs;
}

void SendRequest(BusContext &bus, const BusRequest &request)
{
    if (request.modbus)
        SendModbusFrame(bus, request.payload);
    else
        SendBoardFrame(bus, request.payload);
}

ReplyWatch::Expected ExpectedReply(int slot, const BusRequest &request)
{
    ReplyWatch::Expected expected;
    expected.busId = SlotInfo(slot).busId;
    const quint8 function = request.payload.size() > 1 ? quint8(request.payload.at(1)) : 0;
    if (request.modbus) {
        expected.kind = function == 0x10 ? ReplyWatch::Kind::ModbusWriteEcho : ReplyWatch::Kind::ModbusRead;
        expected.byteCount = kKeyDataBytes;
    } else {
        // Board-frame commands: 06 (plus a bank) reads, 04 (plus a bank) writes.
        expected.kind = (function & 0x07) == kKeyWriteCommand ? ReplyWatch::Kind::BoardAck
                                                              : ReplyWatch::Kind::BoardKeySettings;
    }
    return expected;
}

bool SendAwaited(BusContext &bus, ReplyWatch &watch, const BusRequest &request,
                 const ReplyWatch::Expected &expected, int timeoutMs, const LinkDropWatch *drop, int sends)
{
    const auto stop = OnScopeExit([&watch] { watch.stopWaiting(); });
    for (int send = 0; send < sends; ++send) {
        if (send > 0 && drop)
            drop->check();
        // Watched from before the write: the events around it may carry the answer.
        watch.expect(expected);
        if (request.modbus)
            WriteModbusFrame(bus, request.payload);
        else
            WriteBoardFrame(bus, request.payload);
        bus.pacer.waitUntil([&watch] { return watch.settled(); }, timeoutMs);
        if (watch.arrived())
            return true;
    }
    return false;
}
