#include "link/devicelink.h"

#include "link/comports.h"
#include "link/errorreporter.h"
#include "link/portchooser.h"
#include "link/scopeguard.h"
#include "link/serialtransport.h"
#include "link/tcptransport.h"
#include "protocol/kvterror.h"

#include <utility>

namespace {

std::unique_ptr<Transport> MakeTransport(const ComPorts &ports, const LinkSettings &settings)
{
    if (settings.deviceLayer == DeviceLayer::dlWinsock)
        return std::make_unique<TcpTransport>(settings.wsAddress, settings.wsPort, settings.wsTelnet);
    return std::make_unique<SerialTransport>(ComPorts::portLabel(settings.comNumber),
                                             ports.devicePath(settings.comNumber));
}

} // namespace

DeviceLink::DeviceLink(std::unique_ptr<Transport> transport, QObject *parent)
    : QObject(parent)
{
    useTransport(std::move(transport));
}

DeviceLink::DeviceLink(TransportFactory factory, PortLister listPorts, PortChooser *chooser,
                       ErrorReporter *reporter, QObject *parent)
    : QObject(parent), m_factory(std::move(factory)), m_listPorts(std::move(listPorts)),
      m_chooser(chooser)
{
    setErrorReporter(reporter);
    useTransport(m_factory(m_settings));
}

DeviceLink::DeviceLink(const QString &programFolder, PortChooser *chooser, ErrorReporter *reporter,
                       QObject *parent)
    : DeviceLink([ports = ComPorts(programFolder)](
                     const LinkSettings &settings) { return MakeTransport(ports, settings); },
                 [ports = ComPorts(programFolder)] { return ports.existing(); }, chooser, reporter,
                 parent)
{
}

DeviceLink::~DeviceLink()
{
    if (m_transport) {
        m_transport->disconnect(this);
        m_transport->close();
    }
}

void DeviceLink::setErrorReporter(ErrorReporter *reporter)
{
    m_reporter = reporter;
    m_packets.setErrorReporter(reporter);
}

void DeviceLink::useTransport(std::unique_ptr<Transport> transport)
{
    if (m_transport) {
        // The old transport may be the one whose signal runs right now.
        m_transport->disconnect(this);
        m_transport.release()->deleteLater();
    }
    m_transport = std::move(transport);
    connect(m_transport.get(), &Transport::received, this, &DeviceLink::onReceived);
    connect(m_transport.get(), &Transport::closedByPeer, this, &DeviceLink::onClosedByPeer);
    connect(m_transport.get(), &Transport::failed, this, &DeviceLink::onFailed);
}

bool DeviceLink::isOpen() const
{
    return m_transport->isOpen();
}

void DeviceLink::setOpen(bool open)
{
    if (open == isOpen())
        return;
    if (open)
        this->open();
    else
        close();
}

void DeviceLink::open()
{
    if (m_opening)
        throw KvtError(QStringLiteral("The link is being opened"));
    m_opening = true;
    auto done = OnScopeExit([this] { m_opening = false; });
    if (m_settings.deviceLayer == DeviceLayer::dlWin32 && m_settings.comNumber == 0)
        askForPort();
    if (m_factory)
        useTransport(m_factory(m_settings));
    m_transport->open();
    m_packets.reset();
    emit openChanged(true);
}

void DeviceLink::askForPort()
{
    if (!m_settings.promptForPort || !m_chooser)
        throw KvtError(QStringLiteral("No serial port is set"));
    const QList<int> ports = m_listPorts ? m_listPorts() : QList<int>();
    const PortChooser::Choice choice = m_chooser->choosePort(ports);
    if (!choice.accepted || choice.comNumber <= 0)
        throw KvtError(QStringLiteral("No serial port was selected"));
    m_settings.comNumber = choice.comNumber;
}

void DeviceLink::close()
{
    m_transport->close();
    m_packets.reset();
    emit openChanged(false);
}

void DeviceLink::write(const QByteArray &bytes)
{
    if (!isOpen()) {
        if (!m_settings.autoOpen)
            throw KvtError(QStringLiteral("The link is closed"));
        open();
    }
    m_transport->write(bytes);
}

void DeviceLink::setDeviceLayer(DeviceLayer layer)
{
    if (layer == m_settings.deviceLayer)
        return;
    if (isOpen())
        throw KvtError(QStringLiteral("The device layer can be changed only while the link is closed"));
    m_settings.deviceLayer = layer;
}

void DeviceLink::apply(const LinkSettings &settings)
{
    const bool reopen = isOpen() && settings.deviceLayer == DeviceLayer::dlWin32;
    setOpen(false);
    m_settings = settings;
    setOpen(reopen);
}

void DeviceLink::setComNumber(int comNumber)
{
    if (comNumber == m_settings.comNumber)
        return;
    if (!isOpen()) {
        m_settings.comNumber = comNumber;
        return;
    }
    close();
    m_settings.comNumber = comNumber;
    open();
}

void DeviceLink::setPacketHandler(int ruleNumber, PacketAssembler::Handler handler)
{
    m_packets.setHandler(ruleNumber, std::move(handler));
}

void DeviceLink::onReceived(const QByteArray &bytes)
{
    emit received(bytes);
    m_packets.append(bytes);
}

void DeviceLink::onClosedByPeer()
{
    ++m_losses;
    m_lastLossFailedOpen = std::exchange(m_failedOpenPending, false);
    m_packets.reset();
    emit openChanged(false);
}

void DeviceLink::onFailed(const QString &text)
{
    m_failedOpenPending = true;
    if (m_reporter)
        m_reporter->report(text);
    else
        qWarning("Device link: %s", qPrintable(text));
}
