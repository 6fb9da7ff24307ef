#include "protocol/hex.h"

int HexDigitValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return 0;
}

quint8 HexPairValue(QChar first, QChar second)
{
    return quint8((16 * HexDigitValue(first) + HexDigitValue(second)) % 256);
}

QString BytesToHex(const QByteArray &bytes, const QString &separator)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QString text;
    text.reserve(bytes.size() * (2 + separator.size()));
    for (char byte : bytes) {
        const auto b = quint8(byte);
        text += QLatin1Char(kDigits[b >> 4]);
        text += QLatin1Char(kDigits[b & 0x0F]);
        text += separator;
    }
    return text;
}

QByteArray HexToBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i + 1 < text.size(); i += 2)
        bytes.append(char(HexPairValue(text[i], text[i + 1])));
    return bytes;
}

quint8 XorBytes(const QByteArray &bytes)
{
    quint8 x = 0;
    for (char byte : bytes)
        x ^= quint8(byte);
    return x;
}
