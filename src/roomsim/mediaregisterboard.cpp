#include "roomsim/mediaregisterboard.h"

#include "protocol/kvterror.h"

MediaRegisterBoard::MediaRegisterBoard(quint8 busId) : SimBoard(busId)
{
    m_registers.fill(0xFFFF);
}

bool MediaRegisterBoard::readRegister(quint16 address, quint16 *value) const
{
    if (address < kFirstRegister || address >= kFirstRegister + kRegisterCount)
        return false;
    *value = m_registers[size_t(address - kFirstRegister)];
    return true;
}

bool MediaRegisterBoard::writeRegister(quint16 address, quint16 value)
{
    if (address < kFirstRegister || address >= kFirstRegister + kRegisterCount)
        return false;
    m_registers[size_t(address - kFirstRegister)] = value;
    return true;
}

QJsonObject MediaRegisterBoard::saveState() const
{
    QByteArray bytes;
    for (quint16 v : m_registers) {
        bytes.append(char(v >> 8));
        bytes.append(char(v & 0xFF));
    }
    QJsonObject state;
    state[QStringLiteral("kind")] = kindName();
    state[QStringLiteral("registers")] = StateHex(bytes);
    return state;
}

void MediaRegisterBoard::loadState(const QJsonObject &state)
{
    const QString where = QStringLiteral("media board %1").arg(idText());
    if (state.value(QStringLiteral("kind")).toString() != kindName())
        throw KvtError(QStringLiteral("%1: the state holds a %2 board")
                           .arg(where, state.value(QStringLiteral("kind")).toString()));
    const QByteArray bytes = StateBytes(state.value(QStringLiteral("registers")), 2 * kRegisterCount,
                                        where + QStringLiteral(" registers"));
    for (int i = 0; i < kRegisterCount; ++i)
        m_registers[size_t(i)] = quint16((quint8(bytes[2 * i]) << 8) | quint8(bytes[2 * i + 1]));
}
