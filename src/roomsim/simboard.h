#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

// What a board does with a frame addressed to it.
struct BoardAnswer
{
    QByteArray reply;    // payload of the answer (board frame or Modbus); empty: no answer
    QString description; // what the board did, for the room's console
    bool changedMemory = false; // stored data changed (the state file is due)
};

// One board on the simulated bus. Board frames arrive without the 'H' envelope
// (payload only, first byte the bus id); Modbus requests as address, function,
// data. Answers are payloads; the bus adds the framing.
class SimBoard
{
public:
    explicit SimBoard(quint8 busId) : m_busId(busId) {}
    virtual ~SimBoard() = default;

    quint8 busId() const { return m_busId; }
    // The bus id as two hex digits ("05", "F3").
    QString idText() const;
    virtual QString kindName() const = 0;

    virtual std::optional<BoardAnswer> boardFrame(const QByteArray &payload);
    std::optional<BoardAnswer> modbus(const QByteArray &request);
    // A key press broadcast: the key's settings for one column reach the outputs.
    virtual void keyPress(int keyIndex, int column);

    virtual QJsonObject saveState() const = 0;
    // Raises KvtError on data that does not fit this board.
    virtual void loadState(const QJsonObject &state) = 0;

protected:
    // Register access for Modbus functions 3 and 16; false: no such register.
    virtual bool readRegister(quint16 address, quint16 *value) const = 0;
    virtual bool writeRegister(quint16 address, quint16 value) = 0;
    // Exception code for a register the board does not have.
    virtual quint8 missingRegisterException() const { return 0x02; }

private:
    BoardAnswer readRegisters(const QByteArray &request);
    BoardAnswer writeRegisters(const QByteArray &request);
    BoardAnswer exception(quint8 function, quint8 code, const QString &why) const;

    quint8 m_busId;
};

// Hex text of bytes without separators, and back; raising on bad text.
QString StateHex(const QByteArray &bytes);
QByteArray StateBytes(const QJsonValue &value, int size, const QString &what);
