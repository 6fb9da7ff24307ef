#pragma once

#include "link/telnetcodec.h"
#include "roomsim/roomline.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// The room as a Telnet serial gateway on a TCP port: one tool at a time, the
// Telnet layer of the tool's own link in its server role (BINARY offered both
// ways). A new connection replaces the one before, as a tool that restarted
// would expect.
class TelnetRoomLine : public RoomLine
{
    Q_OBJECT
public:
    TelnetRoomLine(const QString &host, int port, QObject *parent = nullptr);

    void start() override;
    void write(const QByteArray &bytes) override;
    void dropConnection() override;
    QString where() const override;
    quint16 port() const { return m_server.serverPort(); }

private:
    void accept();
    void readClient();
    void clientGone();

    QString m_host;
    int m_port;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    TelnetCodec m_telnet {TelnetCodec::Role::Server};
};
