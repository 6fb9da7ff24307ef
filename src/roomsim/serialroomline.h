#pragma once

#include "link/serialtransport.h"
#include "roomsim/roomline.h"

#include <QTimer>

// The room on a serial device or pty (for example behind ser2net). When the
// device goes away it is opened again every half second.
class SerialRoomLine : public RoomLine
{
    Q_OBJECT
public:
    explicit SerialRoomLine(const QString &path, QObject *parent = nullptr);

    void start() override;
    void write(const QByteArray &bytes) override;
    void dropConnection() override;
    QString where() const override { return m_path; }

    static constexpr int kReopenMs = 500;

private:
    void reopen();

    QString m_path;
    SerialTransport m_port;
    QTimer m_reopen;
};
