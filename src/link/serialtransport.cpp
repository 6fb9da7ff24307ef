#include "link/serialtransport.h"

#include "link/linksettings.h"
#include "protocol/kvterror.h"

SerialTransport::SerialTransport(const QString &label, const QString &devicePath, QObject *parent)
    : Transport(parent), m_label(label), m_devicePath(devicePath)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialTransport::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialTransport::onError);
}

SerialTransport::~SerialTransport()
{
    m_port.disconnect(this);
    m_port.close();
}

void SerialTransport::fail(const QString &what)
{
    const QString reason = m_port.errorString();
    m_port.close();
    throw KvtError(QStringLiteral("Cannot %1 %2 (%3): %4").arg(what, m_label, m_devicePath, reason));
}

void SerialTransport::open()
{
    if (m_port.isOpen())
        return;
    if (m_devicePath.isEmpty())
        throw KvtError(QStringLiteral("Cannot open %1: no device is named for it").arg(m_label));
    m_port.setPortName(m_devicePath);
    // On a pseudo terminal the modem-line calls inside open() are reported as
    // an unsupported operation; the port is open all the same.
    if (!m_port.open(QIODevice::ReadWrite)
        && !(m_port.isOpen() && m_port.error() == QSerialPort::UnsupportedOperationError))
        fail(QStringLiteral("open"));
    m_port.clearError();
    if (!m_port.setBaudRate(kBaud) || !m_port.setDataBits(QSerialPort::Data8)
        || !m_port.setParity(QSerialPort::NoParity) || !m_port.setStopBits(QSerialPort::OneStop)
        || !m_port.setFlowControl(QSerialPort::NoFlowControl))
        fail(QStringLiteral("set 9600 8N1 on"));
    // DTR on, RTS off where the device has modem lines.
    if (!m_port.setDataTerminalReady(true) || !m_port.setRequestToSend(false)) {
        if (m_port.error() != QSerialPort::UnsupportedOperationError)
            fail(QStringLiteral("set the modem lines of"));
    }
    m_port.clearError();
}

void SerialTransport::close()
{
    m_port.close();
}

void SerialTransport::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        throw KvtError(QStringLiteral("%1 is not open").arg(m_label));
    // Bytes the device has not taken yet wait in Qt's buffer; a block that
    // would overfill the output queue is refused whole.
    if (m_port.bytesToWrite() + bytes.size() > kOutputQueueBytes)
        throw KvtError(QStringLiteral("Cannot write to %1: the output queue is full").arg(m_label));
    if (m_port.write(bytes) != bytes.size())
        throw KvtError(QStringLiteral("Cannot write to %1: %2").arg(m_label, m_port.errorString()));
    // Hand the bytes to the device now: the GUI thread may sleep right after
    // a frame, and a frame left in Qt's buffer would go out late. (flush()
    // does not wait and does not deliver received bytes.)
    m_port.flush();
}

void SerialTransport::onReadyRead()
{
    // Qt does not signal readyRead again while a handler of ours runs nested
    // event processing, so read until nothing is left.
    while (m_port.isOpen() && m_port.bytesAvailable() > 0)
        emit received(m_port.readAll());
}

void SerialTransport::onError(QSerialPort::SerialPortError error)
{
    // A device that goes away (a USB adapter pulled, a pty closed) closes the
    // link; the next write tries to open it again. Reads then fail for good
    // (a pty reports ReadError over and over), so a read error closes too.
    const bool lineGone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
    if (lineGone && m_port.isOpen()) {
        m_port.close();
        emit closedByPeer();
    }
}
