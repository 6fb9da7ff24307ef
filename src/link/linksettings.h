#pragma once

#include <QString>

// Serial port or TCP client.
enum class DeviceLayer { dlWin32, dlWinsock };

// What the connection dialog and the settings file choose for the link. The
// serial framing is fixed: 9600 bit/s, 8 data bits, no parity, 1 stop bit, no
// flow control, DTR on, RTS off.
struct LinkSettings
{
    DeviceLayer deviceLayer = DeviceLayer::dlWin32;
    int comNumber = 7; // n of COMn; 0: no port chosen (opening asks)
    QString wsAddress; // dotted IPv4 address or host name
    QString wsPort = QStringLiteral("telnet"); // decimal number or service name
    bool wsTelnet = true;
    bool autoOpen = true; // a write on a closed link opens it first
    bool promptForPort = true; // opening with comNumber 0 asks for a port
};

constexpr int kBaud = 9600;
