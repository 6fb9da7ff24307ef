#include "scenes/keytables.h"

#include "protocol/kvterror.h"

#include <array>

namespace {

const std::array<const char *, kFirstBoardInputKey> kFixedNames = {
    // the room's key buttons
    "晴空", "主題", "浴室", "閱讀", "床頭", "睡眠", "燈7", "燈8",
    "無0", "無1", "無2", "觸控1", "觸控2", "觸控3", "觸控4", "--",
    // the power outputs
    "車庫燈", "XXX", "房號燈", "空調", "二次電", "餐點燈", "Relay 4",
    "Relay 5", "Relay 1", "Relay 2", "Relay 3", "參數", "請打掃", "勿擾"};

// Key bytes of the power outputs 16..29; 16 and 17 share 0xF0.
const std::array<quint8, 14> kPowerKeyBytes = {0xF0, 0xF0, 0xE0, 0xD0, 0xC0, 0xB0, 0xA0,
                                               0x90, 0x80, 0x70, 0x60, 0x10, 0x40, 0x50};

// Memory slots of the power outputs 16..29.
const std::array<int, 14> kPowerMemorySlots = {30, 30, 29, 28, 27, 26, 25,
                                               24, 23, 22, 21, 16, 19, 20};

void CheckKeyIndex(int keyIndex, int count)
{
    if (keyIndex < 0 || keyIndex >= count)
        throw KvtError(QStringLiteral("Key index %1 is out of range 0..%2")
                           .arg(keyIndex)
                           .arg(count - 1));
}

QStringList BuildKeyNames()
{
    QStringList names;
    names.reserve(kKeyCount);
    for (const char *name : kFixedNames)
        names.append(QString::fromUtf8(name));
    for (int board = 1; board <= kBoardInputBoards; ++board)
        for (int key = 1; key <= kBoardInputKeysPerBoard; ++key)
            names.append(BoardInputKeyName(board, key));
    return names;
}

} // namespace

QString BoardInputKeyName(int board, int key)
{
    return QStringLiteral("板%1 / 鍵%2").arg(board).arg(key);
}

const QStringList &KeyNames()
{
    static const QStringList names = BuildKeyNames();
    return names;
}

QString KeyName(int keyIndex)
{
    if (keyIndex < 0 || keyIndex >= kKeyCount)
        return QString();
    return KeyNames().at(keyIndex);
}

quint8 KeyBankByte(int keyIndex)
{
    CheckKeyIndex(keyIndex, kKeyCount);
    if (keyIndex < kFirstPowerKey)
        return 0x00;
    if (keyIndex < kFirstBoardInputKey)
        return 0x08;
    return keyIndex <= 45 ? 0x10 : 0x18;
}

quint8 KeyCodeByte(int keyIndex)
{
    CheckKeyIndex(keyIndex, kKeyCount);
    if (keyIndex < kFirstPowerKey)
        return quint8(((keyIndex + 1) * 0x10) & 0xFF);
    if (keyIndex < kFirstBoardInputKey)
        return kPowerKeyBytes[size_t(keyIndex - kFirstPowerKey)];
    if (keyIndex <= 45)
        return quint8(((keyIndex - 29) * 0x10) & 0xFF);
    return quint8(((keyIndex - 45) * 0x10) & 0xFF);
}

int KeyMemorySlot(int keyIndex)
{
    CheckKeyIndex(keyIndex, kRegisterKeyCount);
    if (keyIndex < kFirstPowerKey)
        return keyIndex;
    return kPowerMemorySlots[size_t(keyIndex - kFirstPowerKey)];
}

quint16 LightRegister(int keyIndex)
{
    return quint16(0x0001 + 4 * KeyMemorySlot(keyIndex));
}

quint16 MainDimmerRegister(int keyIndex)
{
    return quint16(LightRegister(keyIndex) + 0x1080);
}
