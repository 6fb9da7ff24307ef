#include "link/linkdropwatch.h"

#include "link/devicelink.h"
#include "protocol/kvterror.h"

LinkDropWatch::LinkDropWatch(const DeviceLink &link, QString command)
    : m_link(link), m_command(std::move(command)), m_lossesAtStart(link.connectionLosses())
{
}

void LinkDropWatch::check() const
{
    if (m_link.connectionLosses() == m_lossesAtStart)
        return;
    const QString why = m_link.lastLossWasFailedOpen()
                            ? QStringLiteral("the connection to the bus could not be made")
                            : QStringLiteral("the connection to the bus was lost");
    throw KvtError(QStringLiteral("\"%1\" stopped: %2. What it sent just before may not have "
                                  "arrived; the next command connects again.")
                       .arg(m_command, why));
}
