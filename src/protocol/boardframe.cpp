#include "protocol/boardframe.h"

#include "protocol/hex.h"

QByteArray BoardFrame(const QByteArray &payload)
{
    const auto length = char(payload.size() % 256);
    const QByteArray checked = QByteArray(1, length) + payload;
    QByteArray frame;
    frame.reserve(payload.size() + 3);
    frame.append(kBoardFrameStart);
    frame.append(checked);
    frame.append(char(XorBytes(checked)));
    return frame;
}
