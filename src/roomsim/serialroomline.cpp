#include "roomsim/serialroomline.h"

#include "protocol/kvterror.h"

SerialRoomLine::SerialRoomLine(const QString &path, QObject *parent)
    : RoomLine(parent), m_path(path), m_port(path, path)
{
    m_reopen.setSingleShot(true);
    m_reopen.setInterval(kReopenMs);
    connect(&m_reopen, &QTimer::timeout, this, &SerialRoomLine::reopen);
    connect(&m_port, &Transport::received, this, &RoomLine::received);
    connect(&m_port, &Transport::closedByPeer, this, [this] {
        emit notice(QStringLiteral("%1 went away; opening it again").arg(m_path));
        emit connectionLost();
        m_reopen.start();
    });
}

void SerialRoomLine::start()
{
    m_port.open();
}

void SerialRoomLine::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return;
    try {
        m_port.write(bytes);
    } catch (const KvtError &e) {
        emit notice(e.text());
        dropConnection();
    }
}

void SerialRoomLine::dropConnection()
{
    m_port.close();
    emit connectionLost();
    m_reopen.start();
}

void SerialRoomLine::reopen()
{
    try {
        m_port.open();
        emit notice(QStringLiteral("%1 open again").arg(m_path));
    } catch (const KvtError &) {
        m_reopen.start();
    }
}
