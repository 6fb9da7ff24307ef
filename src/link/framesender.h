#pragma once

#include <QByteArray>

class DeviceLink;
class TrafficLog;
class Pacer;

// What every sender needs: the link to write to, the log, and the pacer.
struct BusContext
{
    DeviceLink &link;
    TrafficLog &log;
    Pacer &pacer;
};

constexpr int kBoardFramePauseMs = 100;
constexpr int kModbusFramePauseMs = 200;

// Wraps the payload in a board frame, writes it, logs it, pauses 100 ms without
// processing events. Link errors propagate; after a failed write nothing is
// logged and there is no pause.
void SendBoardFrame(BusContext &bus, const QByteArray &payload);

// Processes events, writes the Modbus ASCII frame, processes events, logs it,
// pauses 200 ms, processes events. After a failed write nothing more happens.
void SendModbusFrame(BusContext &bus, const QByteArray &payload);

// The same without the pause and the events after it, for a sender that
// waits for the answer instead (the awaited mode).
void WriteBoardFrame(BusContext &bus, const QByteArray &payload);
void WriteModbusFrame(BusContext &bus, const QByteArray &payload);
