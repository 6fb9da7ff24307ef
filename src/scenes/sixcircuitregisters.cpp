#include "scenes/sixcircuitregisters.h"

#include "protocol/kvterror.h"
#include "scenes/keytables.h"
#include "scenes/scenestore.h"

namespace {

constexpr int kRegistersPerKey = 12;

} // namespace

bool HasCircuitRegisters(int keyIndex)
{
    return keyIndex >= 0 && keyIndex < kRegisterKeyCount;
}

quint16 CircuitRegisterTable(int keyIndex)
{
    if (!HasCircuitRegisters(keyIndex))
        throw KvtError(QStringLiteral("Key index %1 has no six-circuit registers").arg(keyIndex));
    return quint16(kRegistersPerKey * KeyMemorySlot(keyIndex));
}

quint16 CircuitRegister(int keyIndex, int circuit)
{
    if (circuit < 1 || circuit > kCircuitCount)
        throw KvtError(QStringLiteral("Circuit %1 is out of range 1..%2").arg(circuit).arg(kCircuitCount));
    return quint16(kCircuitRegisterBase + CircuitRegisterTable(keyIndex)
                   + kCircuitRegistersPerCircuit * (circuit - 1));
}
