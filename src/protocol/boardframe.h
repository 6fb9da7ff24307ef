#pragma once

#include <QByteArray>

// Board frame, byte by byte (n = payload length):
//   0      'H' (0x48)
//   1      length byte: n modulo 256
//   2..    payload (n bytes, any values)
//   2 + n  check byte: XOR of the length byte and the payload ('H' excluded)
constexpr char kBoardFrameStart = 0x48;

QByteArray BoardFrame(const QByteArray &payload);
