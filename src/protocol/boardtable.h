#pragma once

#include <QtGlobal>
#include <array>

// The 19 board slots of a room, fixed at build time. Slot numbers count from 1.
enum class BoardKind { LightBoard = 0, MainDimmerBoard = 1, SixKeyBoard = 2 };

struct BoardSlot
{
    int slot;
    quint8 busId;
    BoardKind kind;
};

constexpr int kSlotCount = 19;
constexpr int kMainDimmerSlot = 19;

// Slots 1..19 at indexes 0..18. Note the gap: slot 18 is bus id 0x20, not 0x1A.
extern const std::array<BoardSlot, kSlotCount> BoardTable;

// The slot with this slot number (1..19).
const BoardSlot &SlotInfo(int slot);
// First slot whose bus id equals the value, or -1.
int FindSlotById(int busId);
// F1, F2 and F3 are the CPU boards; the rest are relay boards.
bool IsCpuBoard(int slot);
// True when the slot is addressed by Modbus rather than board frames, given the
// menu flags "Relay板用modbus" and "CPU板使用modbus".
bool IsModbusRoute(int slot, bool relayModbus, bool cpuModbus);
