#pragma once

#include <QByteArray>
#include <QString>

// Hex text helpers shared by the traffic log, the Modbus codec and the scene
// file: two upper-case digits per byte.

// '0'-'9' -> 0-9, 'A'-'F' and 'a'-'f' -> 10-15, anything else -> 0.
int HexDigitValue(QChar c);
// 16 * first + second, modulo 256.
quint8 HexPairValue(QChar first, QChar second);
// Each byte as "%2.2X" followed by the separator (the last byte included).
QString BytesToHex(const QByteArray &bytes, const QString &separator);
// Pairs from the start; a trailing odd character is ignored, non-digits count 0.
QByteArray HexToBytes(const QString &text);
// XOR of all bytes; 0 for an empty input.
quint8 XorBytes(const QByteArray &bytes);
