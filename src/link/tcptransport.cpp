#include "link/tcptransport.h"

#include "protocol/kvterror.h"

#include <QRegularExpression>
#include <netdb.h>

namespace {

constexpr qsizetype kFirstDataBytes = 200;

} // namespace

TcpTransport::TcpTransport(const QString &address, const QString &port, bool telnet, QObject *parent)
    : Transport(parent), m_address(address.trimmed()), m_port(port.trimmed()), m_telnet(telnet)
{
    m_connectTimer.setSingleShot(true);
    m_settleTimer.setSingleShot(true);
    connect(&m_socket, &QTcpSocket::connected, this, &TcpTransport::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TcpTransport::onReadyRead);
    connect(&m_socket, &QTcpSocket::disconnected, this, &TcpTransport::onDisconnected);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TcpTransport::onError);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        const QString text = QStringLiteral("No answer from %1:%2").arg(m_address, m_port);
        shutDown();
        emit failed(text);
        emit closedByPeer();
    });
    connect(&m_settleTimer, &QTimer::timeout, this, &TcpTransport::settleTimeout);
}

TcpTransport::~TcpTransport()
{
    m_socket.disconnect(this);
    m_socket.abort();
}

quint16 TcpTransport::ResolvePort(const QString &port)
{
    bool isNumber = false;
    const uint number = port.toUInt(&isNumber, 10);
    if (isNumber)
        return number >= 1 && number <= 65535 ? quint16(number) : 0;
    if (port.isEmpty())
        return 0;
    const servent *service = getservbyname(port.toLatin1().constData(), "tcp");
    return service ? ntohs(quint16(service->s_port)) : 0;
}

void TcpTransport::open()
{
    if (m_state != State::Closed)
        return;
    if (m_address.isEmpty())
        throw KvtError(QStringLiteral("No gateway address is set"));
    const quint16 port = ResolvePort(m_port);
    if (port == 0)
        throw KvtError(QStringLiteral("\"%1\" is neither a TCP port number nor a service name").arg(m_port));
    m_queue.clear();
    m_codec.reset();
    m_state = State::Connecting;
    m_connectTimer.start(kConnectTimeoutMs);
    m_socket.connectToHost(m_address, port);
}

void TcpTransport::close()
{
    shutDown();
}

void TcpTransport::shutDown()
{
    m_state = State::Closed;
    m_connectTimer.stop();
    m_settleTimer.stop();
    m_queue.clear();
    m_socket.abort();
}

void TcpTransport::write(const QByteArray &bytes)
{
    if (m_state == State::Closed)
        throw KvtError(QStringLiteral("The connection to %1:%2 is not open").arg(m_address, m_port));
    if (m_state != State::Ready) {
        m_queue.append(bytes);
        return;
    }
    send(bytes);
}

void TcpTransport::send(const QByteArray &bytes)
{
    const QByteArray wire = m_telnet ? m_codec.encode(bytes) : bytes;
    if (m_socket.write(wire) != wire.size())
        throw KvtError(QStringLiteral("Cannot send to %1:%2: %3").arg(m_address, m_port, m_socket.errorString()));
    m_socket.flush();
}

void TcpTransport::onConnected()
{
    m_connectTimer.stop();
    // A request is one short write that the board answers; it must not wait
    // for the acknowledgement of the one before.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_sinceConnected.start();
    m_firstData.clear();
    if (!m_telnet) {
        becomeReady();
        return;
    }
    m_state = State::Settling;
    m_sawNegotiation = false;
    const QByteArray offers = m_codec.start();
    if (!offers.isEmpty())
        m_socket.write(offers);
    m_settleTimer.start(kGreetingWaitMs);
}

void TcpTransport::settleTimeout()
{
    if (m_state != State::Settling)
        return;
    const qint64 left = kSettleLimitMs - m_sinceConnected.elapsed();
    if (!m_sawNegotiation || m_codec.settled() || left <= 0) {
        becomeReady();
        return;
    }
    // A request of ours is still unanswered.
    m_settleTimer.start(int(qMin<qint64>(qint64(m_settleQuietMs), left)));
}

void TcpTransport::becomeReady()
{
    if (m_state != State::Settling && m_state != State::Connecting)
        return;
    m_settleTimer.stop();
    m_state = State::Ready;
    const QList<QByteArray> queued = std::exchange(m_queue, {});
    try {
        for (const QByteArray &bytes : queued)
            send(bytes);
    } catch (const KvtError &e) {
        shutDown();
        emit failed(e.text());
        emit closedByPeer();
    }
}

void TcpTransport::onReadyRead()
{
    // Qt does not signal readyRead again while a handler of ours runs nested
    // event processing, so read until nothing is left.
    while (m_state != State::Closed && m_socket.bytesAvailable() > 0)
        takeBytes(m_socket.readAll());
}

void TcpTransport::takeBytes(const QByteArray &wire)
{
    QByteArray data = wire;
    if (m_telnet) {
        TelnetCodec::Decoded decoded = m_codec.decode(wire);
        if (!decoded.answer.isEmpty()) {
            m_socket.write(decoded.answer);
            m_socket.flush();
        }
        data = decoded.data;
        // Each negotiation from the gateway starts the quiet time again; the
        // queued blocks wait until it has passed.
        if (decoded.negotiated && m_state == State::Settling) {
            m_sawNegotiation = true;
            const qint64 left = kSettleLimitMs - m_sinceConnected.elapsed();
            m_settleTimer.start(int(qBound<qint64>(0, left, qint64(m_settleQuietMs))));
        }
    }
    if (m_firstData.size() < kFirstDataBytes)
        m_firstData += data.left(kFirstDataBytes - m_firstData.size());
    if (!data.isEmpty())
        emit received(data);
}

void TcpTransport::onDisconnected()
{
    peerGone();
}

void TcpTransport::onError(QAbstractSocket::SocketError)
{
    peerGone();
}

void TcpTransport::peerGone()
{
    if (m_state == State::Closed)
        return;
    // What the peer sent before it went still counts (and may say why).
    while (m_state != State::Connecting && m_state != State::Closed && m_socket.bytesAvailable() > 0)
        takeBytes(m_socket.readAll());
    if (m_state == State::Closed)
        return;
    QString report;
    if (m_state == State::Connecting) {
        report = QStringLiteral("Cannot connect to %1:%2: %3").arg(m_address, m_port, m_socket.errorString());
    } else if (m_sinceConnected.elapsed() < m_earlyCloseWindowMs) {
        QString said = QString::fromLatin1(m_firstData).simplified();
        said.remove(QRegularExpression(QStringLiteral("[^\\x20-\\x7E]")));
        report = QStringLiteral("The gateway %1:%2 closed the connection: %3")
                     .arg(m_address, m_port,
                          said.isEmpty() ? QStringLiteral("no reason given") : said);
    }
    shutDown();
    if (!report.isEmpty())
        emit failed(report);
    emit closedByPeer();
}
