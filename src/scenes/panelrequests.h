#pragma once

#include <QByteArray>

// The requests the panels send (the key commands' own are in keyrequests).
// A panel hands over its controls' values and sends what it gets back:
//
//   request                 frame    payload
//   live output             board    id, 03, row mask, column pattern
//                                    (main dimmer: enable mask, column levels)
//   light-board key write   Modbus   id, 10, light register of the key, 00 04, 08, 8 data
//   circuit write           Modbus   machine number, 10, circuit register, 00 02, 04, 4 data
//   circuit read            Modbus   machine number, 03, circuit register, 00 02
//   circuit live level      Modbus   machine number, 10, 8100 + circuit - 1, 00 01, 02, level, 01
//
// The live output always goes as a board frame, whatever the Modbus options
// say. Registers exist for key indexes 0..29 only; other keys raise KvtError.

QByteArray LiveOutputRequest(quint8 busId, quint8 mask, quint8 pattern);
QByteArray LightKeyWriteRequest(quint8 busId, int keyIndex, const QByteArray &data);
QByteArray CircuitWriteRequest(quint8 machineNumber, int keyIndex, int circuit, const QByteArray &data);
QByteArray CircuitReadRequest(quint8 machineNumber, int keyIndex, int circuit);
QByteArray CircuitLiveRequest(quint8 machineNumber, int circuit, quint8 level);
