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
inline constexpr std::array<BoardSlot, kSlotCount> BoardTable = {{
    {1, 0x01, BoardKind::LightBoard},
    {2, 0x02, BoardKind::LightBoard},
    {3, 0x03, BoardKind::LightBoard},
    {4, 0x04, BoardKind::LightBoard},
    {5, 0x05, BoardKind::LightBoard},
    {6, 0x06, BoardKind::LightBoard},
    {7, 0xF1, BoardKind::LightBoard},
    {8, 0xF2, BoardKind::LightBoard},
    {9, 0x11, BoardKind::SixKeyBoard},
    {10, 0x12, BoardKind::SixKeyBoard},
    {11, 0x13, BoardKind::SixKeyBoard},
    {12, 0x14, BoardKind::SixKeyBoard},
    {13, 0x15, BoardKind::SixKeyBoard},
    {14, 0x16, BoardKind::SixKeyBoard},
    {15, 0x17, BoardKind::SixKeyBoard},
    {16, 0x18, BoardKind::SixKeyBoard},
    {17, 0x19, BoardKind::SixKeyBoard},
    {18, 0x20, BoardKind::SixKeyBoard},
    {19, 0xF3, BoardKind::MainDimmerBoard},
}};

constexpr int CountSlotsOfKind(BoardKind kind)
{
    int count = 0;
    for (const BoardSlot &s : BoardTable)
        count += s.kind == kind ? 1 : 0;
    return count;
}

// Every light board and every six-key board (its relay outputs) has a
// light-board panel, numbered like its slot.
constexpr int kLightBoardPanelCount =
    CountSlotsOfKind(BoardKind::LightBoard) + CountSlotsOfKind(BoardKind::SixKeyBoard);
// Six-key panel n belongs to the n-th six-key board of the table.
constexpr int kSixKeyPanelCount = CountSlotsOfKind(BoardKind::SixKeyBoard);

// The slot of six-key panel 1..kSixKeyPanelCount, -1 outside.
constexpr int SixKeyPanelSlot(int panel)
{
    int n = 0;
    for (const BoardSlot &s : BoardTable)
        if (s.kind == BoardKind::SixKeyBoard && ++n == panel)
            return s.slot;
    return -1;
}
// The six-key panel of a slot, 0 when the slot holds no six-key board.
constexpr int SixKeyPanelOfSlot(int slot)
{
    int n = 0;
    for (const BoardSlot &s : BoardTable)
        if (s.kind == BoardKind::SixKeyBoard) {
            ++n;
            if (s.slot == slot)
                return n;
        }
    return 0;
}

// The slot with this slot number (1..19).
const BoardSlot &SlotInfo(int slot);
// First slot whose bus id equals the value, or -1.
int FindSlotById(int busId);
// F1, F2 and F3 are the CPU boards; the rest are relay boards.
bool IsCpuBoard(int slot);
// True when the slot is addressed by Modbus rather than board frames, given the
// menu flags "Relay板用modbus" and "CPU板使用modbus".
bool IsModbusRoute(int slot, bool relayModbus, bool cpuModbus);
