#pragma once

#include "roomsim/keymap.h"
#include "roomsim/simboard.h"

#include <array>

// The six-circuit dimmer board, a Modbus device at its machine number. For
// every key memory slot m (0..30) and circuit c (1..6) it keeps 4 bytes in two
// registers from 0x1000 + 12·m + 2·(c−1): enabled, elapse and four levels
// 0..63. The live level of circuit c is register 0x8100 + (c−1), written as
// level × 256 + 1. Any other register answers exception 03, which is how a
// scan tells this board from a light board.
class SixCircuitDimmer : public SimBoard
{
public:
    static constexpr int kCircuitCount = 6;
    static constexpr int kCircuitDataSize = 4;

    explicit SixCircuitDimmer(quint8 machineNumber);

    QString kindName() const override { return QStringLiteral("dimmer6"); }
    void keyPress(int keyIndex, int column) override;

    QByteArray circuitData(int slot, int circuit) const;
    // Live level 0..63 of circuit 1..6.
    int level(int circuit) const { return m_live[size_t(circuit - 1)] >> 8; }

    QJsonObject saveState() const override;
    void loadState(const QJsonObject &state) override;

protected:
    bool readRegister(quint16 address, quint16 *value) const override;
    bool writeRegister(quint16 address, quint16 value) override;
    quint8 missingRegisterException() const override { return 0x03; }

private:
    static constexpr int kSlotBytes = kCircuitCount * kCircuitDataSize;

    std::array<std::array<quint8, kSlotBytes>, kMemorySlotCount> m_memory {};
    std::array<quint16, kCircuitCount> m_live {};
};
