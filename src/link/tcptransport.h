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
// the queue goes out when the options have settled: the gateway's opening
// negotiation has been answered and no further negotiation has come for
// kSettleQuietMs (nor is any request of ours unanswered), or kGreetingWaitMs
// after connecting when the gateway negotiates nothing, or at the latest
// kSettleLimitMs after connecting with a peer that never stops negotiating.
// A block sent before BINARY is agreed would get CR NUL for a lone CR, and a
// board's answer to a frame sent while the gateway still negotiates BINARY
// could come back NVT-encoded where it is read as binary (see TelnetCodec).
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
    static constexpr int kSettleQuietMs = 50;
    static constexpr int kSettleLimitMs = 1000;
    static constexpr int kEarlyCloseWindowMs = 2000;
    void setEarlyCloseWindowMs(int ms) { m_earlyCloseWindowMs = ms; }
    void setSettleQuietMs(int ms) { m_settleQuietMs = ms; }

private:
    enum class State { Closed, Connecting, Settling, Ready };

    void onConnected();
    void onReadyRead();
    void takeBytes(const QByteArray &wire);
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void settleTimeout();
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
    QTimer m_settleTimer;
    bool m_sawNegotiation = false;
    int m_settleQuietMs = kSettleQuietMs;
    QElapsedTimer m_sinceConnected;
    int m_earlyCloseWindowMs = kEarlyCloseWindowMs;
    QByteArray m_firstData; // the start of what the peer sent, for reports
};
