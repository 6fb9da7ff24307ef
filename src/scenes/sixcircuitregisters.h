#pragma once

#include <QtGlobal>

// Registers of the six-circuit dimmer board.
//
// Stored circuit data: key k, circuit c live in two holding registers from
// 0x1000 + CircuitRegisterTable(k) + 2 * (c - 1), where the table entry is
// 12 * m(k), m(k) the key's memory slot. Only key indexes 0..29 have one.
//
// Live level of circuit c: the one register 0x8100 + (c - 1), written with the
// level in the high byte and 0x01 in the low byte.
constexpr quint16 kCircuitRegisterBase = 0x1000;
constexpr quint16 kCircuitLiveRegisterBase = 0x8100;
constexpr quint16 kCircuitRegistersPerCircuit = 2;

// Key index 0..29: the key has circuit registers.
bool HasCircuitRegisters(int keyIndex);
// 12 * m(k); raises KvtError for key indexes without registers.
quint16 CircuitRegisterTable(int keyIndex);
// The first register of key index k, circuit 1..6.
quint16 CircuitRegister(int keyIndex, int circuit);
