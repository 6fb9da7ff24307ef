#pragma once

#include "link/transport.h"

#include <QByteArray>
#include <QObject>
#include <memory>

// The program's one connection to the board bus. Writes on a closed link open
// it first (AutoOpen). Received bytes go out through received().
class DeviceLink : public QObject
{
    Q_OBJECT
public:
    explicit DeviceLink(std::unique_ptr<Transport> transport, QObject *parent = nullptr);
    ~DeviceLink() override;

    bool isOpen() const;
    // Opens or closes; opening failures raise KvtError and leave it closed.
    void setOpen(bool open);
    // Sends the bytes, opening the link first when it is closed.
    void write(const QByteArray &bytes);

    Transport &transport() { return *m_transport; }

signals:
    void received(const QByteArray &bytes);
    void openChanged(bool open);

private:
    std::unique_ptr<Transport> m_transport;
};
