#include "roomsim/simboard.h"

#include "protocol/hex.h"
#include "protocol/kvterror.h"

#include <QJsonValue>

namespace {

constexpr quint8 kReadHolding = 0x03;
constexpr quint8 kWriteMultiple = 0x10;
constexpr int kMaxReadCount = 125;
constexpr int kMaxWriteCount = 123;

quint16 Word(const QByteArray &bytes, int at)
{
    return quint16((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}

void AppendWord(QByteArray *bytes, quint16 value)
{
    bytes->append(char(value >> 8));
    bytes->append(char(value & 0xFF));
}

QString Reg(quint16 address)
{
    return QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString SimBoard::idText() const
{
    return BytesToHex(QByteArray(1, char(m_busId)), QString());
}

std::optional<BoardAnswer> SimBoard::boardFrame(const QByteArray &)
{
    return std::nullopt;
}

void SimBoard::keyPress(int, int) {}

std::optional<BoardAnswer> SimBoard::modbus(const QByteArray &request)
{
    const quint8 function = quint8(request[1]);
    if (function == kReadHolding)
        return readRegisters(request);
    if (function == kWriteMultiple)
        return writeRegisters(request);
    return exception(function, 0x01, QStringLiteral("function %1 not supported").arg(function));
}

BoardAnswer SimBoard::exception(quint8 function, quint8 code, const QString &why) const
{
    BoardAnswer answer;
    answer.reply = QByteArray(1, char(m_busId)) + char(function | 0x80) + char(code);
    answer.description = QStringLiteral("exception %1: %2").arg(code, 2, 10, QLatin1Char('0')).arg(why);
    return answer;
}

BoardAnswer SimBoard::readRegisters(const QByteArray &request)
{
    if (request.size() != 6)
        return exception(kReadHolding, 0x03, QStringLiteral("read request of %1 bytes").arg(request.size()));
    const quint16 start = Word(request, 2);
    const int count = Word(request, 4);
    if (count < 1 || count > kMaxReadCount)
        return exception(kReadHolding, 0x03, QStringLiteral("read of %1 registers").arg(count));
    QByteArray data;
    for (int i = 0; i < count; ++i) {
        quint16 value = 0;
        const quint16 address = quint16(start + i);
        if (start + i > 0xFFFF || !readRegister(address, &value))
            return exception(kReadHolding, missingRegisterException(),
                             QStringLiteral("read of register %1").arg(Reg(address)));
        AppendWord(&data, value);
    }
    BoardAnswer answer;
    answer.reply = QByteArray(1, char(m_busId)) + char(kReadHolding) + char(data.size()) + data;
    answer.description = QStringLiteral("read %1 registers from %2").arg(count).arg(Reg(start));
    return answer;
}

BoardAnswer SimBoard::writeRegisters(const QByteArray &request)
{
    if (request.size() < 7)
        return exception(kWriteMultiple, 0x03, QStringLiteral("write request of %1 bytes").arg(request.size()));
    const quint16 start = Word(request, 2);
    const int count = Word(request, 4);
    const int byteCount = quint8(request[6]);
    if (count < 1 || count > kMaxWriteCount || byteCount != 2 * count
        || request.size() != 7 + byteCount)
        return exception(kWriteMultiple, 0x03,
                         QStringLiteral("write of %1 registers with %2 data bytes")
                             .arg(count).arg(request.size() - 7));
    // All or nothing: check every register before changing one.
    for (int i = 0; i < count; ++i) {
        quint16 value = 0;
        if (start + i > 0xFFFF || !readRegister(quint16(start + i), &value))
            return exception(kWriteMultiple, missingRegisterException(),
                             QStringLiteral("write of register %1").arg(Reg(quint16(start + i))));
    }
    for (int i = 0; i < count; ++i)
        writeRegister(quint16(start + i), Word(request, 7 + 2 * i));
    BoardAnswer answer;
    answer.reply = request.left(6);
    answer.description = QStringLiteral("wrote %1 registers from %2: %3")
                             .arg(count).arg(Reg(start))
                             .arg(BytesToHex(request.mid(7), QStringLiteral(" ")).trimmed());
    answer.changedMemory = true;
    return answer;
}

QString StateHex(const QByteArray &bytes)
{
    return BytesToHex(bytes, QString());
}

QByteArray StateBytes(const QJsonValue &value, int size, const QString &what)
{
    const QString text = value.toString();
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    if (!value.isString() || text.size() != 2 * size || bytes.size() != size
        || StateHex(bytes) != text.toUpper())
        throw KvtError(QStringLiteral("%1: expected %2 bytes as hex text").arg(what).arg(size));
    return bytes;
}
