#pragma once

#include <QtGlobal>

// How a board finds a key in its memory. Board frames name a key by a bank
// (added to the command code) and a key byte whose high nibble is the key's
// place in its bank; Modbus names it by a key memory slot m (registers
// 0x0001 + 4·m). Keys 16 and 17 share bank 08 key byte F0 and slot 30, so they
// share one memory cell.

constexpr int kKeyCount = 62;
constexpr int kMemorySlotCount = 31; // slots 0..30
constexpr int kKeyDataSize = 8;

// The key index (0..61) that a bank (0x00, 0x08, 0x10, 0x18) and key byte
// address, or -1. Only the high nibble of the key byte is compared.
int KeyIndexForCode(int bank, int keyByte);
// Bank and key byte of a key index (0..61).
int BankOfKey(int keyIndex);
int KeyByteOfKey(int keyIndex);
// The Modbus key memory slot of a key (0..30), or -1 for keys 30..61.
int MemorySlotOfKey(int keyIndex);
// The lowest key stored in a memory slot, or -1 (slots 17 and 18 hold no key).
int KeyOfMemorySlot(int slot);
// The key whose memory cell a key uses: the lowest key sharing its slot.
int StorageKey(int keyIndex);
