#include "link/devicelink.h"

DeviceLink::DeviceLink(std::unique_ptr<Transport> transport, QObject *parent)
    : QObject(parent), m_transport(std::move(transport))
{
    connect(m_transport.get(), &Transport::received, this, &DeviceLink::received);
    connect(m_transport.get(), &Transport::closedByPeer, this, [this] { emit openChanged(false); });
}

DeviceLink::~DeviceLink() = default;

bool DeviceLink::isOpen() const
{
    return m_transport->isOpen();
}

void DeviceLink::setOpen(bool open)
{
    if (open == isOpen())
        return;
    if (open)
        m_transport->open();
    else
        m_transport->close();
    emit openChanged(isOpen());
}

void DeviceLink::write(const QByteArray &bytes)
{
    if (!isOpen())
        setOpen(true);
    m_transport->write(bytes);
}
