#pragma once

#include "link/transport.h"

#include <QSerialPort>

// COMn through Qt Serial Port: 9600 bit/s, 8N1, no flow control, DTR on, RTS
// off. Received bytes go out as they arrive. Every write is pushed to the
// operating system at once, because the GUI thread may sleep right after it.
class SerialTransport : public Transport
{
    Q_OBJECT
public:
    // label: "COM3" for messages; devicePath: the device to open.
    SerialTransport(const QString &label, const QString &devicePath, QObject *parent = nullptr);
    ~SerialTransport() override;

    void open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void write(const QByteArray &bytes) override;

    // The driver's output queue: 4096 bytes.
    static constexpr qint64 kOutputQueueBytes = 4096;

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    [[noreturn]] void fail(const QString &what);

    QString m_label;
    QString m_devicePath;
    QSerialPort m_port;
};
