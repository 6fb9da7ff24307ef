#include "roomsim/keymemoryboard.h"

#include "protocol/hex.h"
#include "protocol/kvterror.h"

#include <QJsonArray>

namespace {

constexpr quint16 kKeyMemoryFirst = 0x0001;
constexpr quint16 kKeyMemoryLast = 0x0001 + 4 * kMemorySlotCount - 1; // 0x007C
constexpr quint16 kMainDimmerOffset = 0x1080;
constexpr quint16 kKeySettingFirst = 0x0081;
constexpr quint16 kSensitivityFirst = 0x0089;
// A new six-key board: position p triggers key code p, loop on, send stop
// off, seconds, 5; sensitivity 10 on every key.
constexpr quint8 kDefaultKeyFlags = 0xC5;
constexpr quint8 kDefaultSensitivityByte = 10 * 4 + 2;

QString KeyText(int keyIndex)
{
    return keyIndex < 0 ? QStringLiteral("unknown key") : QStringLiteral("key %1").arg(keyIndex + 1);
}

} // namespace

KeyMemoryBoard::KeyMemoryBoard(quint8 busId, Kind kind) : SimBoard(busId), m_kind(kind)
{
    for (int p = 1; p <= kKeySettingCount; ++p)
        m_keySettings[size_t(p - 1)] = p <= 6 ? quint16((p << 8) | kDefaultKeyFlags) : 0;
    m_sensitivity.fill(quint16((kDefaultSensitivityByte << 8) | kDefaultSensitivityByte));
}

QString KeyMemoryBoard::kindName() const
{
    switch (m_kind) {
    case Kind::Light:
        return QStringLiteral("light");
    case Kind::SixKey:
        return QStringLiteral("sixkey");
    case Kind::MainDimmer:
        return QStringLiteral("maindimmer");
    }
    return QString();
}

QByteArray KeyMemoryBoard::keyData(int keyIndex) const
{
    const auto &cell = m_keys[size_t(StorageKey(keyIndex))];
    return QByteArray(reinterpret_cast<const char *>(cell.data()), kKeyDataSize);
}

void KeyMemoryBoard::setKeyData(int keyIndex, const QByteArray &data)
{
    auto &cell = m_keys[size_t(StorageKey(keyIndex))];
    for (int i = 0; i < kKeyDataSize; ++i)
        cell[size_t(i)] = quint8(data[i]);
}

std::optional<BoardAnswer> KeyMemoryBoard::boardFrame(const QByteArray &payload)
{
    if (payload.size() < 2)
        return std::nullopt;
    const quint8 command = quint8(payload[1]);
    const int low = command & 0x07;
    const int bank = command & 0xF8;
    BoardAnswer answer;
    if (low == 6 && payload.size() == 3) {
        const int key = KeyIndexForCode(bank, quint8(payload[2]));
        if (key < 0)
            return std::nullopt;
        answer.reply = payload + keyData(key);
        answer.description = QStringLiteral("key read %1").arg(KeyText(key));
        return answer;
    }
    if (low == 4 && payload.size() == 3 + kKeyDataSize) {
        const int key = KeyIndexForCode(bank, quint8(payload[2]));
        if (key < 0)
            return std::nullopt;
        setKeyData(key, payload.mid(3));
        answer.reply = payload.left(2);
        answer.description = QStringLiteral("key write %1: %2")
                                 .arg(KeyText(key), BytesToHex(payload.mid(3), QStringLiteral(" ")).trimmed());
        answer.changedMemory = true;
        return answer;
    }
    if (command == 0x03 && payload.size() == 4) {
        applyOutput(quint8(payload[2]), quint8(payload[3]));
        answer.reply = QByteArray(1, payload[0]) + payload.mid(2);
        answer.description = QStringLiteral("live output mask %1 pattern %2")
                                 .arg(BytesToHex(payload.mid(2, 1), QString()),
                                      BytesToHex(payload.mid(3, 1), QString()));
        return answer;
    }
    return std::nullopt;
}

void KeyMemoryBoard::applyOutput(quint8 mask, quint8 pattern)
{
    if (m_kind == Kind::MainDimmer) {
        // A 2-bit field per group: the mask field enables, the level field sets.
        for (int g = 0; g < 2; ++g) {
            const int shift = 2 * g;
            if ((mask >> shift) & 3)
                m_dimmerLevels[size_t(g)] = (pattern >> shift) & 3;
        }
        return;
    }
    m_outputs = quint8((m_outputs & ~mask) | (pattern & mask));
}

void KeyMemoryBoard::keyPress(int keyIndex, int column)
{
    const QByteArray data = keyData(keyIndex);
    applyOutput(quint8(data[2 * column - 2]), quint8(data[2 * column - 1]));
}

bool KeyMemoryBoard::keyRegister(quint16 address, int *key, int *offset) const
{
    if (m_kind == Kind::MainDimmer && address > kMainDimmerOffset)
        address = quint16(address - kMainDimmerOffset);
    if (address < kKeyMemoryFirst || address > kKeyMemoryLast)
        return false;
    const int slot = (address - kKeyMemoryFirst) / 4;
    *key = KeyOfMemorySlot(slot);
    *offset = 2 * ((address - kKeyMemoryFirst) % 4);
    return *key >= 0;
}

bool KeyMemoryBoard::readRegister(quint16 address, quint16 *value) const
{
    int key = 0;
    int offset = 0;
    if (keyRegister(address, &key, &offset)) {
        const auto &cell = m_keys[size_t(key)];
        *value = quint16((cell[size_t(offset)] << 8) | cell[size_t(offset + 1)]);
        return true;
    }
    if (m_kind != Kind::SixKey)
        return false;
    if (address >= kKeySettingFirst && address < kKeySettingFirst + kKeySettingCount) {
        *value = m_keySettings[size_t(address - kKeySettingFirst)];
        return true;
    }
    if (address >= kSensitivityFirst && address < kSensitivityFirst + kSensitivityCount) {
        *value = m_sensitivity[size_t(address - kSensitivityFirst)];
        return true;
    }
    return false;
}

bool KeyMemoryBoard::writeRegister(quint16 address, quint16 value)
{
    int key = 0;
    int offset = 0;
    if (keyRegister(address, &key, &offset)) {
        auto &cell = m_keys[size_t(key)];
        cell[size_t(offset)] = quint8(value >> 8);
        cell[size_t(offset + 1)] = quint8(value & 0xFF);
        return true;
    }
    if (m_kind != Kind::SixKey)
        return false;
    if (address >= kKeySettingFirst && address < kKeySettingFirst + kKeySettingCount) {
        m_keySettings[size_t(address - kKeySettingFirst)] = value;
        return true;
    }
    if (address >= kSensitivityFirst && address < kSensitivityFirst + kSensitivityCount) {
        m_sensitivity[size_t(address - kSensitivityFirst)] = value;
        return true;
    }
    return false;
}

QJsonObject KeyMemoryBoard::saveState() const
{
    QJsonObject state;
    state[QStringLiteral("kind")] = kindName();
    QJsonArray keys;
    for (int k = 0; k < kKeyCount; ++k)
        keys.append(StateHex(keyData(k)));
    state[QStringLiteral("keys")] = keys;
    state[QStringLiteral("outputs")] = int(m_outputs);
    if (m_kind == Kind::MainDimmer)
        state[QStringLiteral("levels")] = QJsonArray {m_dimmerLevels[0], m_dimmerLevels[1]};
    if (m_kind == Kind::SixKey) {
        QJsonArray settings;
        for (quint16 v : m_keySettings)
            settings.append(int(v));
        state[QStringLiteral("keySettings")] = settings;
        QJsonArray sensitivity;
        for (quint16 v : m_sensitivity)
            sensitivity.append(int(v));
        state[QStringLiteral("sensitivity")] = sensitivity;
    }
    return state;
}

namespace {

template <size_t N>
std::array<quint16, N> WordArray(const QJsonValue &value, const QString &what)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != qsizetype(N))
        throw KvtError(QStringLiteral("%1: expected %2 numbers").arg(what).arg(N));
    std::array<quint16, N> words {};
    for (size_t i = 0; i < N; ++i) {
        const double v = array[qsizetype(i)].toDouble(-1);
        if (v < 0 || v > 0xFFFF || v != int(v))
            throw KvtError(QStringLiteral("%1: %2 is not a register value").arg(what).arg(v));
        words[i] = quint16(v);
    }
    return words;
}

} // namespace

void KeyMemoryBoard::loadState(const QJsonObject &state)
{
    const QString where = QStringLiteral("board %1").arg(idText());
    if (state.value(QStringLiteral("kind")).toString() != kindName())
        throw KvtError(QStringLiteral("%1: the state holds a %2 board, the room has a %3 board")
                           .arg(where, state.value(QStringLiteral("kind")).toString(), kindName()));
    const QJsonArray keys = state.value(QStringLiteral("keys")).toArray();
    if (keys.size() != kKeyCount)
        throw KvtError(QStringLiteral("%1: expected %2 keys").arg(where).arg(kKeyCount));
    // Read everything first so that a bad entry leaves the board unchanged.
    std::array<QByteArray, kKeyCount> data;
    for (int k = 0; k < kKeyCount; ++k)
        data[size_t(k)] = StateBytes(keys[k], kKeyDataSize, QStringLiteral("%1 key %2").arg(where).arg(k + 1));
    const int outputs = state.value(QStringLiteral("outputs")).toInt(0);
    std::array<quint16, 2> levels {};
    if (m_kind == Kind::MainDimmer && state.contains(QStringLiteral("levels")))
        levels = WordArray<2>(state.value(QStringLiteral("levels")), where + QStringLiteral(" levels"));
    auto settings = m_keySettings;
    auto sensitivity = m_sensitivity;
    if (m_kind == Kind::SixKey) {
        settings = WordArray<kKeySettingCount>(state.value(QStringLiteral("keySettings")),
                                               where + QStringLiteral(" keySettings"));
        sensitivity = WordArray<kSensitivityCount>(state.value(QStringLiteral("sensitivity")),
                                                   where + QStringLiteral(" sensitivity"));
    }
    // Keys that share a cell were saved twice with the same data; the first
    // of them is the cell.
    for (int k = kKeyCount - 1; k >= 0; --k)
        setKeyData(k, data[size_t(k)]);
    m_outputs = quint8(outputs);
    m_dimmerLevels = {levels[0] & 3, levels[1] & 3};
    m_keySettings = settings;
    m_sensitivity = sensitivity;
}
