#pragma once

#include "link/linksettings.h"
#include "link/packetassembler.h"
#include "link/transport.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class ErrorReporter;
class PortChooser;

// The program's one connection to the board bus (ApdWinsockPort1): a serial
// port or a TCP client, chosen by deviceLayer. Writes on a closed link open it
// first (AutoOpen). Received bytes go out through received() and through the
// four packet rules (ApdDataPacket1..4), whose handlers are set with
// setPacketHandler().
//
// Opening a serial link with ComNumber 0 asks the PortChooser for a port.
// Closing drops the receive buffer and every partial packet. A TCP peer that
// closes the connection closes the link without a message; a connection that
// cannot be made is reported through the ErrorReporter.
class DeviceLink : public QObject
{
    Q_OBJECT
public:
    using TransportFactory = std::function<std::unique_ptr<Transport>(const LinkSettings &)>;
    using PortLister = std::function<QList<int>()>;

    // Always the given transport, whatever the device layer (tests).
    explicit DeviceLink(std::unique_ptr<Transport> transport, QObject *parent = nullptr);
    // A transport built by the factory from the settings at every opening.
    DeviceLink(TransportFactory factory, PortLister listPorts, PortChooser *chooser,
               ErrorReporter *reporter, QObject *parent = nullptr);
    // The program's link: serial ports through ports/COMn in programFolder
    // (see ComPorts), TCP through the Telnet gateway transport.
    DeviceLink(const QString &programFolder, PortChooser *chooser, ErrorReporter *reporter,
               QObject *parent = nullptr);
    ~DeviceLink() override;

    bool isOpen() const;
    // Opens or closes; opening failures raise KvtError and leave it closed.
    void setOpen(bool open);
    // Sends the bytes, opening the link first when it is closed.
    void write(const QByteArray &bytes);

    const LinkSettings &settings() const { return m_settings; }
    // Takes new settings as the connection dialog changes them: the link
    // closes, takes them, and opens again when it was open and stays a serial
    // line, so a serial link comes back on its new port. A change to or on the
    // gateway leaves it closed; the user opens it, or the next frame does. A
    // reopening that fails raises and leaves the link closed.
    void apply(const LinkSettings &settings);
    DeviceLayer deviceLayer() const { return m_settings.deviceLayer; }
    // Only while closed; raises KvtError on an open link.
    void setDeviceLayer(DeviceLayer layer);
    int comNumber() const { return m_settings.comNumber; }
    // On an open link: closes it, applies the number and opens it again.
    void setComNumber(int comNumber);
    QString wsAddress() const { return m_settings.wsAddress; }
    void setWsAddress(const QString &address) { m_settings.wsAddress = address; }
    QString wsPort() const { return m_settings.wsPort; }
    void setWsPort(const QString &port) { m_settings.wsPort = port; }
    bool wsTelnet() const { return m_settings.wsTelnet; }
    void setWsTelnet(bool telnet) { m_settings.wsTelnet = telnet; }
    bool autoOpen() const { return m_settings.autoOpen; }
    void setAutoOpen(bool autoOpen) { m_settings.autoOpen = autoOpen; }
    bool promptForPort() const { return m_settings.promptForPort; }
    void setPromptForPort(bool prompt) { m_settings.promptForPort = prompt; }

    // ruleNumber 1..4: ApdDataPacket1..ApdDataPacket4.
    void setPacketHandler(int ruleNumber, PacketAssembler::Handler handler);
    PacketAssembler &packets() { return m_packets; }
    // Time for the packet time-outs (milliseconds, monotonic).
    void setClock(PacketAssembler::Clock clock) { m_packets.setClock(std::move(clock)); }
    void setErrorReporter(ErrorReporter *reporter);
    void setPortChooser(PortChooser *chooser) { m_chooser = chooser; }
    void setPortLister(PortLister listPorts) { m_listPorts = std::move(listPorts); }

    Transport &transport() { return *m_transport; }

    // How often the connection has been lost since the link was made: closed,
    // reset or aborted by the other end, or a connection that could not be
    // made. The link closes itself quietly then and the next write opens it
    // again, so a command compares this count to notice a loss (LinkDropWatch).
    int connectionLosses() const { return m_losses; }
    // Whether the last loss was a connection that could not be made (already
    // reported) rather than one the other end closed.
    bool lastLossWasFailedOpen() const { return m_lastLossFailedOpen; }

signals:
    void received(const QByteArray &bytes);
    void openChanged(bool open);

private:
    void open();
    void close();
    void askForPort();
    void useTransport(std::unique_ptr<Transport> transport);
    void onReceived(const QByteArray &bytes);
    void onClosedByPeer();
    void onFailed(const QString &text);

    LinkSettings m_settings;
    TransportFactory m_factory; // empty: the transport is fixed
    PortLister m_listPorts;
    PortChooser *m_chooser = nullptr;
    ErrorReporter *m_reporter = nullptr;
    std::unique_ptr<Transport> m_transport;
    PacketAssembler m_packets;
    bool m_opening = false;
    int m_losses = 0;
    bool m_failedOpenPending = false;
    bool m_lastLossFailedOpen = false;
};
