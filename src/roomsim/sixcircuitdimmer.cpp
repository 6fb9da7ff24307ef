#include "roomsim/sixcircuitdimmer.h"

#include "protocol/kvterror.h"

#include <QJsonArray>

namespace {

constexpr quint16 kMemoryFirst = 0x1000;
constexpr quint16 kMemoryEnd = kMemoryFirst + 12 * kMemorySlotCount; // one past the last
constexpr quint16 kLiveFirst = 0x8100;

} // namespace

SixCircuitDimmer::SixCircuitDimmer(quint8 machineNumber) : SimBoard(machineNumber) {}

QByteArray SixCircuitDimmer::circuitData(int slot, int circuit) const
{
    const auto &cells = m_memory[size_t(slot)];
    return QByteArray(reinterpret_cast<const char *>(cells.data()) + kCircuitDataSize * (circuit - 1),
                      kCircuitDataSize);
}

void SixCircuitDimmer::keyPress(int keyIndex, int column)
{
    const int slot = MemorySlotOfKey(keyIndex);
    if (slot < 0)
        return;
    for (int c = 1; c <= kCircuitCount; ++c) {
        const QByteArray data = circuitData(slot, c);
        if (quint8(data[0]) & 0x80)
            m_live[size_t(c - 1)] = quint16(((quint8(data[column - 1]) & 0x3F) << 8) | 1);
    }
}

bool SixCircuitDimmer::readRegister(quint16 address, quint16 *value) const
{
    if (address >= kMemoryFirst && address < kMemoryEnd) {
        const int offset = 2 * (address - kMemoryFirst);
        const auto &cells = m_memory[size_t(offset / kSlotBytes)];
        const int at = offset % kSlotBytes;
        *value = quint16((cells[size_t(at)] << 8) | cells[size_t(at + 1)]);
        return true;
    }
    if (address >= kLiveFirst && address < kLiveFirst + kCircuitCount) {
        *value = m_live[size_t(address - kLiveFirst)];
        return true;
    }
    return false;
}

bool SixCircuitDimmer::writeRegister(quint16 address, quint16 value)
{
    if (address >= kMemoryFirst && address < kMemoryEnd) {
        const int offset = 2 * (address - kMemoryFirst);
        auto &cells = m_memory[size_t(offset / kSlotBytes)];
        const int at = offset % kSlotBytes;
        cells[size_t(at)] = quint8(value >> 8);
        cells[size_t(at + 1)] = quint8(value & 0xFF);
        return true;
    }
    if (address >= kLiveFirst && address < kLiveFirst + kCircuitCount) {
        m_live[size_t(address - kLiveFirst)] = value;
        return true;
    }
    return false;
}

QJsonObject SixCircuitDimmer::saveState() const
{
    QJsonObject state;
    state[QStringLiteral("kind")] = kindName();
    QJsonArray slotTexts;
    for (const auto &cells : m_memory)
        slotTexts.append(StateHex(QByteArray(reinterpret_cast<const char *>(cells.data()), kSlotBytes)));
    state[QStringLiteral("slots")] = slotTexts;
    QJsonArray live;
    for (quint16 v : m_live)
        live.append(int(v));
    state[QStringLiteral("live")] = live;
    return state;
}

void SixCircuitDimmer::loadState(const QJsonObject &state)
{
    const QString where = QStringLiteral("six-circuit dimmer %1").arg(idText());
    if (state.value(QStringLiteral("kind")).toString() != kindName())
        throw KvtError(QStringLiteral("%1: the state holds a %2 board")
                           .arg(where, state.value(QStringLiteral("kind")).toString()));
    const QJsonArray slotTexts = state.value(QStringLiteral("slots")).toArray();
    if (slotTexts.size() != kMemorySlotCount)
        throw KvtError(QStringLiteral("%1: expected %2 slots").arg(where).arg(kMemorySlotCount));
    auto memory = m_memory;
    for (int m = 0; m < kMemorySlotCount; ++m) {
        const QByteArray bytes = StateBytes(slotTexts[m], kSlotBytes, QStringLiteral("%1 slot %2").arg(where).arg(m));
        for (int i = 0; i < kSlotBytes; ++i)
            memory[size_t(m)][size_t(i)] = quint8(bytes[i]);
    }
    auto live = m_live;
    const QJsonArray liveArray = state.value(QStringLiteral("live")).toArray();
    for (int c = 0; c < kCircuitCount && c < liveArray.size(); ++c)
        live[size_t(c)] = quint16(liveArray[c].toInt() & 0xFFFF);
    m_memory = memory;
    m_live = live;
}
