#include "protocol/boardtable.h"

#include "protocol/kvterror.h"

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
