#pragma once

#include "roomsim/keymap.h"
#include "roomsim/simboard.h"

#include <array>

// A light board, a six-key board or the main dimmer board: a memory of 62 keys
// × 8 bytes (four pairs of mask and pattern, one per column) and the outputs.
//
// Board frames (payload after the 'H' and length byte):
//   key read    id, bank+06, key byte            -> 'H' 0B: id, command, key byte, 8 data
//   key write   id, bank+04, key byte, 8 data    -> 'H' 02: id, command
//   live output id, 03, mask, pattern            -> 'H' 03: id, mask, pattern
// Modbus functions 3 and 16 reach the key memory at 0x0001 + 4·m (slot m 0..30);
// the main dimmer also at 0x1081 + 4·m; six-key boards add the key settings
// 0x0081..0x0087 and the sensitivities 0x0089..0x008B.
class KeyMemoryBoard : public SimBoard
{
public:
    enum class Kind { Light, SixKey, MainDimmer };

    KeyMemoryBoard(quint8 busId, Kind kind);

    Kind kind() const { return m_kind; }
    QString kindName() const override;

    std::optional<BoardAnswer> boardFrame(const QByteArray &payload) override;
    void keyPress(int keyIndex, int column) override;

    QByteArray keyData(int keyIndex) const;
    void setKeyData(int keyIndex, const QByteArray &data);
    // Light and six-key boards: bit r-1 = output r.
    quint8 outputs() const { return m_outputs; }
    // Main dimmer: level 0..3 of group 1 or 2.
    int dimmerLevel(int group) const { return m_dimmerLevels[size_t(group - 1)]; }
    quint16 keySetting(int position) const { return m_keySettings[size_t(position - 1)]; }
    quint16 sensitivityRegister(int index) const { return m_sensitivity[size_t(index)]; }

    QJsonObject saveState() const override;
    void loadState(const QJsonObject &state) override;

protected:
    bool readRegister(quint16 address, quint16 *value) const override;
    bool writeRegister(quint16 address, quint16 value) override;

private:
    static constexpr int kKeySettingCount = 7; // 0x0081..0x0087
    static constexpr int kSensitivityCount = 3; // 0x0089..0x008B

    // The key cell and byte offset that a key-memory register reaches, or false.
    bool keyRegister(quint16 address, int *key, int *offset) const;
    void applyOutput(quint8 mask, quint8 pattern);

    Kind m_kind;
    std::array<std::array<quint8, kKeyDataSize>, kKeyCount> m_keys {};
    quint8 m_outputs = 0;
    std::array<int, 2> m_dimmerLevels {};
    std::array<quint16, kKeySettingCount> m_keySettings {};
    std::array<quint16, kSensitivityCount> m_sensitivity {};
};
