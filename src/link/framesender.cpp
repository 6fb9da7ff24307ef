#include "link/framesender.h"

#include "link/devicelink.h"
#include "link/pacer.h"
#include "link/trafficlog.h"
#include "protocol/boardframe.h"
#include "protocol/logformat.h"
#include "protocol/modbus.h"

void WriteBoardFrame(BusContext &bus, const QByteArray &payload)
{
    const QByteArray frame = BoardFrame(payload);
    bus.link.write(frame);
    bus.log.LogLine(BoardFrameLogLine(frame), BusDirection::Sent);
}

void SendBoardFrame(BusContext &bus, const QByteArray &payload)
{
    WriteBoardFrame(bus, payload);
    // Blocks without processing events: replies are handled only afterwards.
    bus.pacer.pause(kBoardFramePauseMs);
}

void WriteModbusFrame(BusContext &bus, const QByteArray &payload)
{
    const QByteArray wire = ModbusWireText(payload);
    bus.pacer.processEvents();
    bus.link.write(wire);
    bus.pacer.processEvents();
    bus.log.LogLine(ModbusSendLogLine(payload), BusDirection::Sent);
}

void SendModbusFrame(BusContext &bus, const QByteArray &payload)
{
    WriteModbusFrame(bus, payload);
    bus.pacer.pause(kModbusFramePauseMs);
    bus.pacer.processEvents();
}
