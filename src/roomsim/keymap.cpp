#include "roomsim/keymap.h"

#include <array>

namespace {

// Key bytes of the power outputs, key indexes 16..29, all in bank 08.
constexpr std::array<quint8, 14> kPowerKeyBytes = {
    0xF0, 0xF0, 0xE0, 0xD0, 0xC0, 0xB0, 0xA0, 0x90, 0x80, 0x70, 0x60, 0x10, 0x40, 0x50};

// Memory slots of key indexes 16..29; 0..15 use their own index.
constexpr std::array<int, 14> kPowerKeySlots = {
    30, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 16, 19, 20};

// Place in a 16-key bank: key byte (place × 0x10) mod 0x100, place 1..16.
int PlaceOfKeyByte(int keyByte)
{
    const int nibble = (keyByte >> 4) & 0x0F;
    return nibble == 0 ? 16 : nibble;
}

} // namespace

int KeyIndexForCode(int bank, int keyByte)
{
    switch (bank) {
    case 0x00:
        return PlaceOfKeyByte(keyByte) - 1;
    case 0x08:
        for (size_t i = 0; i < kPowerKeyBytes.size(); ++i)
            if (kPowerKeyBytes[i] == (keyByte & 0xF0))
                return 16 + int(i);
        return -1;
    case 0x10:
        return 29 + PlaceOfKeyByte(keyByte);
    case 0x18:
        return 45 + PlaceOfKeyByte(keyByte);
    default:
        return -1;
    }
}

int BankOfKey(int keyIndex)
{
    if (keyIndex < 16)
        return 0x00;
    if (keyIndex < 30)
        return 0x08;
    return keyIndex < 46 ? 0x10 : 0x18;
}

int KeyByteOfKey(int keyIndex)
{
    if (keyIndex < 16)
        return ((keyIndex + 1) * 0x10) & 0xFF;
    if (keyIndex < 30)
        return kPowerKeyBytes[size_t(keyIndex - 16)];
    if (keyIndex < 46)
        return ((keyIndex - 29) * 0x10) & 0xFF;
    return ((keyIndex - 45) * 0x10) & 0xFF;
}

int MemorySlotOfKey(int keyIndex)
{
    if (keyIndex < 0 || keyIndex >= 30)
        return -1;
    return keyIndex < 16 ? keyIndex : kPowerKeySlots[size_t(keyIndex - 16)];
}

int KeyOfMemorySlot(int slot)
{
    for (int k = 0; k < 30; ++k)
        if (MemorySlotOfKey(k) == slot)
            return k;
    return -1;
}

int StorageKey(int keyIndex)
{
    const int slot = MemorySlotOfKey(keyIndex);
    return slot < 0 ? keyIndex : KeyOfMemorySlot(slot);
}
