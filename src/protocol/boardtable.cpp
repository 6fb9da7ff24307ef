#include "protocol/boardtable.h"

#include "protocol/kvterror.h"

const std::array<BoardSlot, kSlotCount> BoardTable = {{
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

const BoardSlot &SlotInfo(int slot)
{
    if (slot < 1 || slot > kSlotCount)
        throw KvtError(QStringLiteral("Board slot %1 does not exist").arg(slot));
    return BoardTable[size_t(slot - 1)];
}

int FindSlotById(int busId)
{
    for (const BoardSlot &s : BoardTable)
        if (s.busId == busId)
            return s.slot;
    return -1;
}

bool IsCpuBoard(int slot)
{
    const quint8 id = SlotInfo(slot).busId;
    return id == 0xF1 || id == 0xF2 || id == 0xF3;
}

bool IsModbusRoute(int slot, bool relayModbus, bool cpuModbus)
{
    return relayModbus && (!IsCpuBoard(slot) || cpuModbus);
}
