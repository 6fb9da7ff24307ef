#pragma once

#include "link/telnetcodec.h"
#include "link/transport.h"

#include <QElapsedTimer>
#include <QList>
#include <QTcpSocket>
#include <QTimer>

// A TCP client to a serial gateway, Telnet-encoded when telnet is set.
//
// open() checks the address and the port text and starts the connection; it
// does not wait for it. Blocks written meanwhile are queued. Once connected,
// the queue goes out as soon as the gateway's greeting (its option
// negotiation) has been answered, or after kGreetingWaitMs when it sends
// none: a block sent before BINARY is agreed would get CR NUL for a lone CR.
// A connection that cannot be made (unknown host, refused, no answer within
// kConnectTimeoutMs) is reported through failed() and the queue is dropped.
// So is a gateway that closes the connection within the first
// earlyCloseWindowMs after accepting it (a gateway whose serial port is in use
// says so and hangs up): the report quotes what it sent. A peer that closes,
// resets or aborts an established connection later closes the transport
// without a message (closedByPeer()).
class TcpTransport : public Transport
{
    Q_OBJECT
public:
    TcpTransport(const QString &address, const QString &port, bool telnet,
                 QObject *parent = nullptr);
    ~TcpTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_state != State::Closed; }
    void write(const QByteArray &bytes) override;

    bool isConnected() const { return m_state == State::Ready; }
    const TelnetCodec &telnet() const { return m_codec; }

    // The port text as a number: decimal, or a TCP service name ("telnet").
    // 0 when it is neither.
    static quint16 ResolvePort(const QString &port);

    static constexpr int kConnectTimeoutMs = 10000;
    static constexpr int kGreetingWaitMs = 300;
    static constexpr int kEarlyCloseWindowMs = 2000;
    void setEarlyCloseWindowMs(int ms) { m_earlyCloseWindowMs = ms; }

private:
    enum class State { Closed, Connecting, Greeting, Ready };

    void onConnected();
    void onReadyRead();
    void takeBytes(const QByteArray &wire);
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void becomeReady();
    void send(const QByteArray &bytes);
    void shutDown();
    void peerGone();

    QString m_address;
    QString m_port;
    bool m_telnet;
    State m_state = State::Closed;
    QTcpSocket m_socket;
    TelnetCodec m_codec;
    QList<QByteArray> m_queue;
    QTimer m_connectTimer;
    QTimer m_greetingTimer;
    QElapsedTimer m_sinceConnected;
    int m_earlyCloseWindowMs = kEarlyCloseWindowMs;
    QByteArray m_firstData; // the start of what the peer sent, for reports
};
