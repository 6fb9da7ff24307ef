#pragma once

#include <QByteArray>
#include <array>

// The touch keys of a six-key board. The panel numbers its six buttons in
// reading order of a 2 x 3 grid (1, 2, 3 on top, 4, 5, 6 below); the board
// numbers its keys by position, column by column from the bottom:
//
//   grid buttons   1 2 3        board positions   2 4 6
//                  4 5 6                          1 3 5
//
// Key setting of position p (1..6): holding register 0080h + p,
//   high byte  key code (SixKeyCodeTable, by key index)
//   low byte   flags: bit 7 loop, bit 6 set when "送停" is off,
//              bit 5 minutes (clear: seconds), bits 4..0 time value 0..31
//
// Sensitivity: registers 0089h..008Bh as one block of six bytes, byte k for
// position k, each value * 4 + 2 (bits 1..0 always 10); read back as
// (byte AND FCh) / 4.
//
//   request              payload
//   key setting write    id, 10, 00 80+p, 00 01, 02, code, flags
//   key setting read     id, 03, 00 80+p, 00 02
//   sensitivity write    id, 10, 00 89, 00 03, 06, q(1) .. q(6)
//   sensitivity read     id, 03, 00 89, 00 03

constexpr int kSixKeyButtonCount = 6;
constexpr int kSixKeyMaxTimeValue = 31;
constexpr int kSixKeyMaxSensitivity = 63;
// Data bytes of the read replies: a key setting (two registers), the
// sensitivities (three).
constexpr int kKeySettingBytes = 4;
constexpr int kSensitivityBytes = 6;
constexpr quint16 kSixKeyRegisterBase = 0x0080;
constexpr quint16 kSensitivityRegister = 0x0089;
// The key index a reply's code decodes to when no key has that code: one past
// the last key, so it names no key.
constexpr int kNoSixKeyIndex = 62;

// button 1..6 -> board position; position 1..6 -> button. 0 outside.
int ButtonKeyPosition(int button);
int KeyButtonOrder(int position);

// The key code of key index 0..61; raises KvtError outside.
quint8 SixKeyCode(int keyIndex);
// The lowest key index with this code, kNoSixKeyIndex when there is none.
int SixKeyIndexOfCode(quint8 code);

struct SixKeyFlags
{
    bool loop = true;
    bool sendStop = false;
    bool minutes = false;
    int timeValue = 0; // 0..31; larger values keep their low five bits
};
quint8 EncodeSixKeyFlags(const SixKeyFlags &flags);
SixKeyFlags DecodeSixKeyFlags(quint8 flags);

QByteArray SixKeyWriteRequest(quint8 busId, int position, quint8 keyCode, quint8 flags);
QByteArray SixKeyReadRequest(quint8 busId, int position);
// Sensitivities of buttons 1..6 at [0..5], each 0..63.
using ButtonSensitivities = std::array<int, kSixKeyButtonCount>;
QByteArray SensitivityWriteRequest(quint8 busId, const ButtonSensitivities &byButton);
QByteArray SensitivityReadRequest(quint8 busId);
// The sensitivity a reply byte carries.
int SensitivityOfByte(quint8 byte);
