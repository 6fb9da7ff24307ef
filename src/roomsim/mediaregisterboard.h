#pragma once

#include "roomsim/simboard.h"

#include <array>

// The media board: 256 holding registers 0x2000..0x20FF, Modbus functions 3
// and 16. A new board holds FFFF everywhere (FF is a device's default setting).
class MediaRegisterBoard : public SimBoard
{
public:
    static constexpr quint16 kFirstRegister = 0x2000;
    static constexpr int kRegisterCount = 256;

    explicit MediaRegisterBoard(quint8 busId);

    QString kindName() const override { return QStringLiteral("media"); }
    quint16 value(quint16 address) const { return m_registers[size_t(address - kFirstRegister)]; }

    QJsonObject saveState() const override;
    void loadState(const QJsonObject &state) override;

protected:
    bool readRegister(quint16 address, quint16 *value) const override;
    bool writeRegister(quint16 address, quint16 value) override;

private:
    std::array<quint16, kRegisterCount> m_registers {};
};
