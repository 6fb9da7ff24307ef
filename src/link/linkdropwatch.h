#pragma once

#include <QString>

class DeviceLink;

// Notices a connection lost while a command runs. The link closes itself
// quietly when the other end goes and the next write opens a new connection,
// so without this a command would go on as if every frame had arrived.
class LinkDropWatch
{
public:
    // command: the command's name as the technician knows it ("儲全部").
    LinkDropWatch(const DeviceLink &link, QString command);

    // Raises KvtError when the connection was lost since the watch began.
    void check() const;

private:
    const DeviceLink &m_link;
    QString m_command;
    int m_lossesAtStart;
};
