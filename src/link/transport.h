#pragma once

#include <QByteArray>
#include <QObject>

// A byte pipe to the board bus: serial port, TCP/Telnet gateway, or memory in
// tests. Errors are raised as KvtError.
class Transport : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~Transport() override = default;

    virtual void open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Sends the whole block or raises; nothing of a failed block is sent.
    virtual void write(const QByteArray &bytes) = 0;

signals:
    // Bytes as they arrive, already free of any transport encoding.
    void received(const QByteArray &bytes);
    // The peer went away (closed, reset, aborted); the transport is closed.
    void closedByPeer();
    // A connection started by open() could not be made (it is reported; the
    // transport then also signals closedByPeer()).
    void failed(const QString &text);
};
