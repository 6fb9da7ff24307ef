#pragma once

#include <QByteArray>
#include <QString>

// Texts of the traffic-log lines written for received packets. Sent frames'
// lines come with their codecs (BoardFrame, ModbusSendLogLine).

// A sent board frame: hex with " " separator, then "(4)".
QString BoardFrameLogLine(const QByteArray &frame);
// "#>" + the whole packet as hex without separator ('H' 0B and 'H' 02 packets).
QString BoardReplyLogLine(const QByteArray &packet);
// "*** Error board_id = %d" for an id not in the board table.
QString UnknownBoardLogLine(int busId);
// "*** board_id = %d" for an id in the board table.
QString KnownBoardLogLine(int busId);
// "***board_id=%d, %d, " + packet bytes 4..8 as hex without separator.
QString KeySettingsLogLine(int busId, int slot, const QByteArray &packet);
// An 'H' 03 packet: the whole packet as hex without separator, no prefix.
QString OutputReplyLogLine(const QByteArray &packet);
// "-> " + the received text + ", id = %d, func = %d, len = %d, " + data hex " ".
// For functions other than 3 and 10 the caller passes 0 as the length.
QString ModbusReplyLogLine(const QByteArray &received, int id, int function, int length,
                           const QByteArray &data);
// A received packet's line when the packet fails its check (XOR byte, LRC,
// hex text): the usual line followed by " (校驗錯誤)".
QString CheckFailedLogLine(const QString &line);
