#include "roomsim/telnetroomline.h"

#include "protocol/kvterror.h"

TelnetRoomLine::TelnetRoomLine(const QString &host, int port, QObject *parent)
    : RoomLine(parent), m_host(host), m_port(port)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TelnetRoomLine::accept);
}

void TelnetRoomLine::start()
{
    QHostAddress address;
    if (m_host == QLatin1String("localhost"))
        address = QHostAddress::LocalHost;
    else if (!address.setAddress(m_host))
        throw KvtError(QStringLiteral("--listen: '%1' is not an IP address").arg(m_host));
    if (!m_server.listen(address, quint16(m_port)))
        throw KvtError(QStringLiteral("Cannot listen on %1:%2: %3")
                           .arg(m_host).arg(m_port).arg(m_server.errorString()));
}

QString TelnetRoomLine::where() const
{
    return QStringLiteral("%1:%2").arg(m_server.serverAddress().toString()).arg(m_server.serverPort());
}

void TelnetRoomLine::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_client) {
            emit notice(QStringLiteral("a new connection replaces the tool's old one"));
            dropConnection();
        }
        m_client = socket;
        // Each byte goes out as the line delivers it, as from a serial
        // gateway; held back for the tool's delayed acknowledgement, a paced
        // answer would arrive in 40 ms lumps.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_telnet.reset();
        connect(socket, &QTcpSocket::readyRead, this, &TelnetRoomLine::readClient);
        connect(socket, &QTcpSocket::disconnected, this, &TelnetRoomLine::clientGone);
        emit notice(QStringLiteral("tool connected from %1:%2")
                        .arg(socket->peerAddress().toString()).arg(socket->peerPort()));
        socket->write(m_telnet.start());
    }
}

void TelnetRoomLine::readClient()
{
    QTcpSocket *socket = m_client;
    if (!socket)
        return;
    const TelnetCodec::Decoded decoded = m_telnet.decode(socket->readAll());
    if (!decoded.answer.isEmpty())
        socket->write(decoded.answer);
    if (!decoded.data.isEmpty())
        emit received(decoded.data);
}

void TelnetRoomLine::clientGone()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket)
        return;
    socket->deleteLater();
    if (socket != m_client)
        return;
    m_client = nullptr;
    emit notice(QStringLiteral("tool disconnected"));
    emit connectionLost();
}

void TelnetRoomLine::write(const QByteArray &bytes)
{
    if (m_client && m_client->state() == QAbstractSocket::ConnectedState)
        m_client->write(m_telnet.encode(bytes));
}

void TelnetRoomLine::dropConnection()
{
    QTcpSocket *socket = m_client;
    if (!socket)
        return;
    m_client = nullptr;
    socket->disconnect(this);
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->deleteLater();
    emit connectionLost();
}
