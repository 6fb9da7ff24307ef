#include "protocol/logformat.h"

#include "protocol/hex.h"

QString BoardFrameLogLine(const QByteArray &frame)
{
    return BytesToHex(frame, QStringLiteral(" ")) + QStringLiteral("(4)");
}

QString BoardReplyLogLine(const QByteArray &packet)
{
    return QStringLiteral("#>") + BytesToHex(packet, QString());
}

QString UnknownBoardLogLine(int busId)
{
    return QStringLiteral("*** Error board_id = %1").arg(busId);
}

QString KnownBoardLogLine(int busId)
{
    return QStringLiteral("*** board_id = %1").arg(busId);
}

QString KeySettingsLogLine(int busId, int slot, const QByteArray &packet)
{
    return QStringLiteral("***board_id=%1, %2, ").arg(busId).arg(slot)
        + BytesToHex(packet.mid(4, 5), QString());
}

QString OutputReplyLogLine(const QByteArray &packet)
{
    return BytesToHex(packet, QString());
}

QString ModbusReplyLogLine(const QByteArray &received, int id, int function, int length,
                           const QByteArray &data)
{
    // The received text is ASCII by construction of the Modbus rule; Latin-1
    // keeps any stray byte visible instead of dropping it.
    return QStringLiteral("-> ") + QString::fromLatin1(received)
        + QStringLiteral(", id = %1, func = %2, len = %3, ").arg(id).arg(function).arg(length)
        + BytesToHex(data, QStringLiteral(" "));
}

QString CheckFailedLogLine(const QString &line)
{
    return line + QStringLiteral(" (校驗錯誤)");
}
