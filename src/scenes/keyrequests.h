#pragma once

#include <QByteArray>

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

// Sends the request by its route with the route's own pacing.
void SendRequest(BusContext &bus, const BusRequest &request);
