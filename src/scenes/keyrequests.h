#pragma once

#include "scenes/replywatch.h"

#include <QByteArray>

class LinkDropWatch;
struct BusContext;

// The requests of the key commands. A request for a slot travels as a Modbus
// frame on the slot's Modbus route (menu "旗標"), otherwise as a board frame:
//
//   request       board frame                        Modbus frame
//   scan          id, 06, (key number * 10h) mod 100h  id, 03, 00 01, 00 04
//   key read      id, bank + 06, key byte            id, 03, register, 00 04
//   key write     id, bank + 04, key byte, 8 data    id, 10, register, 00 04, 08, 8 data
//   key press     00, bank + 01, (key byte + step) mod 100h   (always a board frame)
//
// Registers (high byte first) exist for key indexes 0..29 only; a key read or
// write of keys 30..61 goes by board frame, which serves all 62 keys.
struct BusRequest
{
    bool modbus = false;
    QByteArray payload;
};

constexpr int kKeyDataBytes = 8;

// The first of the key's four registers on the board of this slot: the light
// register for slots 1..18, the main dimmer register for slot 19.
quint16 KeyRegister(int slot, int keyIndex);
// modbusRoute: the slot's route by the option flags.
BusRequest ScanRequest(int slot, int keyNumber, bool modbusRoute);
BusRequest KeyReadRequest(int slot, int keyIndex, bool modbusRoute);
// data: the slot's 8 data bytes; other lengths raise KvtError.
BusRequest KeyWriteRequest(int slot, int keyIndex, const QByteArray &data, bool modbusRoute);
// step 0..4 (0: nothing selected in the step selector).
QByteArray KeyPressRequest(int keyIndex, int step);

// The pause the route's send makes after the frame: 100 ms board, 200 ms Modbus.
int FramePauseMs(const BusRequest &request);
// Sends the request by its route with the route's own pacing.
void SendRequest(BusContext &bus, const BusRequest &request);

// The answer each request expects in awaited mode: a Modbus read's 8 data
// bytes or a board frame's key settings from the addressed board, the echo of
// a Modbus write, the 'H' 02 of a board-frame write.
ReplyWatch::Expected ExpectedReply(int slot, const BusRequest &request);

// Awaited mode: the first send and up to two more. The scan asks a silent
// slot once more only: most slots of a room are empty and stay silent.
constexpr int kAwaitedSends = 3;
constexpr int kAwaitedScanSends = 2;

// Writes the request, then lets events run until its answer has come or
// timeoutMs (the request's own pause and the command's pauses after it) have
// passed; a request without a checked answer goes again, up to `sends` in
// all. drop, when given, is checked before each repeat. True when the answer
// came.
bool SendAwaited(BusContext &bus, ReplyWatch &watch, const BusRequest &request,
                 const ReplyWatch::Expected &expected, int timeoutMs, const LinkDropWatch *drop,
                 int sends = kAwaitedSends);
