#include "inmemorytransport.h"

#include "protocol/kvterror.h"

void InMemoryTransport::open()
{
    if (!failOpenWith.isEmpty())
        throw KvtError(failOpenWith);
    m_open = true;
    ++m_openCount;
}

void InMemoryTransport::close()
{
    m_open = false;
}

void InMemoryTransport::write(const QByteArray &bytes)
{
    if (!m_open)
        throw KvtError(QStringLiteral("The link is not open"));
    if (!failWriteWith.isEmpty())
        throw KvtError(failWriteWith);
    m_writes.append(bytes);
    if (onWrite)
        onWrite(bytes);
}

void InMemoryTransport::inject(const QByteArray &bytes)
{
    emit received(bytes);
}

void InMemoryTransport::dropConnection()
{
    m_open = false;
    emit closedByPeer();
}

void InMemoryTransport::failConnection(const QString &text)
{
    m_open = false;
    emit failed(text);
    emit closedByPeer();
}

QByteArray InMemoryTransport::written() const
{
    QByteArray all;
    for (const QByteArray &w : m_writes)
        all += w;
    return all;
}
