#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The room's end of the line to the tool: a serial device or a Telnet
// gateway's TCP port. Data in and out are plain bus bytes.
class RoomLine : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~RoomLine() override = default;

    // Opens the device or starts listening; raises KvtError when it cannot.
    virtual void start() = 0;
    // Bytes for the tool; dropped when nobody is connected.
    virtual void write(const QByteArray &bytes) = 0;
    // Ends the current connection (a fault on demand); the line then waits
    // for, or reopens, the next one.
    virtual void dropConnection() = 0;
    // Where the room can be reached, for the console.
    virtual QString where() const = 0;

signals:
    void received(const QByteArray &bytes);
    // Connection news for the console ("tool connected from ...").
    void notice(const QString &text);
    // The connection is gone; half-received frames are void.
    void connectionLost();
};
