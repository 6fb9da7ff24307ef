#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The 62 keys of a room and their fixed codes. A key index counts from 0 (the
// position in the key list, -1 for none); the key number is index + 1.
constexpr int kKeyCount = 62;
// Keys 0..29 have Modbus registers; the board/key inputs 30..61 have none.
constexpr int kRegisterKeyCount = 30;
constexpr int kFirstPowerKey = 16;
constexpr int kFirstBoardInputKey = 30;
constexpr int kBoardInputBoards = 8;
constexpr int kBoardInputKeysPerBoard = 4;

// "板%d / 鍵%d" for board input board (1..8) and key (1..4).
QString BoardInputKeyName(int board, int key);
// All 62 key names in key-index order, the board inputs generated.
const QStringList &KeyNames();
// The name of a key index, empty outside 0..61.
QString KeyName(int keyIndex);

// Board-frame key codes: the bank byte is added to the command code, the key
// byte carries the key's place in its bank in the high nibble. Raise KvtError
// outside 0..61.
quint8 KeyBankByte(int keyIndex);
quint8 KeyCodeByte(int keyIndex);

// The key memory slot m(k) of a key index 0..29 (keys 16 and 17 share 30).
int KeyMemorySlot(int keyIndex);
// First of the four holding registers of a key on a light or six-key board:
// 0x0001 + 4 * m(k). Raises KvtError outside 0..29.
quint16 LightRegister(int keyIndex);
// The same on the main dimmer board: LightRegister + 0x1080.
quint16 MainDimmerRegister(int keyIndex);
