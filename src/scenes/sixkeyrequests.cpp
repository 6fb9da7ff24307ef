#include "scenes/sixkeyrequests.h"

#include "protocol/kvterror.h"
#include "protocol/modbus.h"
#include "scenes/keytables.h"

namespace {

constexpr std::array<int, kSixKeyButtonCount> kButtonKeyPosition = {2, 4, 6, 1, 3, 5};
constexpr std::array<int, kSixKeyButtonCount> kKeyButtonOrder = {4, 1, 5, 2, 6, 3};

constexpr quint8 kLoopBit = 0x80;
constexpr quint8 kSendStopOffBit = 0x40;
constexpr quint8 kMinutesBit = 0x20;
constexpr quint8 kTimeValueMask = 0x1F;
constexpr quint16 kKeySettingReadCount = 2;
constexpr quint16 kSensitivityRegisters = 3;

std::array<quint8, kKeyCount> MakeCodeTable()
{
    std::array<quint8, kKeyCount> codes{};
    for (int k = 0; k <= 15; ++k)
        codes[size_t(k)] = quint8(k + 1);
    codes[16] = 0x1F;
    codes[17] = 0x1F;
    for (int k = 18; k <= 26; ++k)
        codes[size_t(k)] = quint8(0x1E - (k - 18));
    codes[27] = 0x00;
    codes[28] = 0x14;
    codes[29] = 0x15;
    // 30..61 stay 0x00.
    return codes;
}

const std::array<quint8, kKeyCount> &SixKeyCodeTable()
{
    static const std::array<quint8, kKeyCount> table = MakeCodeTable();
    return table;
}

quint8 SensitivityByte(int value)
{
    return quint8((value & kSixKeyMaxSensitivity) * 4 + 2);
}

} // namespace

int ButtonKeyPosition(int button)
{
    return button >= 1 && button <= kSixKeyButtonCount ? kButtonKeyPosition[size_t(button - 1)] : 0;
}

int KeyButtonOrder(int position)
{
    return position >= 1 && position <= kSixKeyButtonCount ? kKeyButtonOrder[size_t(position - 1)] : 0;
}

quint8 SixKeyCode(int keyIndex)
{
    if (keyIndex < 0 || keyIndex >= kKeyCount)
        throw KvtError(QStringLiteral("Key index %1 has no six-key code").arg(keyIndex));
    return SixKeyCodeTable()[size_t(keyIndex)];
}

int SixKeyIndexOfCode(quint8 code)
{
    const auto &table = SixKeyCodeTable();
    for (int k = 0; k < kKeyCount; ++k)
        if (table[size_t(k)] == code)
            return k;
    return kNoSixKeyIndex;
}

quint8 EncodeSixKeyFlags(const SixKeyFlags &flags)
{
    quint8 byte = quint8(flags.timeValue) & kTimeValueMask;
    if (flags.loop)
        byte |= kLoopBit;
    if (!flags.sendStop)
        byte |= kSendStopOffBit;
    if (flags.minutes)
        byte |= kMinutesBit;
    return byte;
}

SixKeyFlags DecodeSixKeyFlags(quint8 flags)
{
    SixKeyFlags decoded;
    decoded.loop = flags & kLoopBit;
    decoded.sendStop = !(flags & kSendStopOffBit);
    decoded.minutes = flags & kMinutesBit;
    decoded.timeValue = flags & kTimeValueMask;
    return decoded;
}

QByteArray SixKeyWriteRequest(quint8 busId, int position, quint8 keyCode, quint8 flags)
{
    QByteArray value;
    value.append(char(keyCode));
    value.append(char(flags));
    return ModbusWriteRequest(busId, quint16(kSixKeyRegisterBase + position), value);
}

QByteArray SixKeyReadRequest(quint8 busId, int position)
{
    return ModbusReadRequest(busId, quint16(kSixKeyRegisterBase + position), kKeySettingReadCount);
}

QByteArray SensitivityWriteRequest(quint8 busId, const ButtonSensitivities &byButton)
{
    QByteArray data;
    for (int p = 1; p <= kSixKeyButtonCount; ++p)
        data.append(char(SensitivityByte(byButton[size_t(KeyButtonOrder(p) - 1)])));
    return ModbusWriteRequest(busId, kSensitivityRegister, data);
}

QByteArray SensitivityReadRequest(quint8 busId)
{
    return ModbusReadRequest(busId, kSensitivityRegister, kSensitivityRegisters);
}

int SensitivityOfByte(quint8 byte)
{
    return (byte & 0xFC) / 4;
}
