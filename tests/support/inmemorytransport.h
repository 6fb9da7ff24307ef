#pragma once

#include "link/transport.h"

#include <QList>
#include <functional>

// Test transport: records every write and lets a test inject received bytes in
// any split, or make the next open or write fail.
class InMemoryTransport : public Transport
{
    Q_OBJECT
public:
    using Transport::Transport;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void write(const QByteArray &bytes) override;

    // Delivers bytes as if they had arrived from the bus.
    void inject(const QByteArray &bytes);
    // Simulates the peer closing the connection.
    void dropConnection();
    // Simulates a connection that could not be made after open() returned
    // (a gateway that refused or never answered): reported, then closed.
    void failConnection(const QString &text);

    const QList<QByteArray> &writes() const { return m_writes; }
    QByteArray written() const;
    void clearWrites() { m_writes.clear(); }
    int openCount() const { return m_openCount; }

    QString failOpenWith; // non-empty: open() raises this text
    QString failWriteWith; // non-empty: write() raises this text
    // Called after each recorded write (a scripted peer can answer here).
    std::function<void(const QByteArray &)> onWrite;

private:
    bool m_open = false;
    int m_openCount = 0;
    QList<QByteArray> m_writes;
};
