#pragma once

#include <QByteArray>

// Sees every Modbus reply the reply dispatcher has handled and logged, as
// the text the link delivered (':' through CR LF). A command that waits for
// an answer of its own (the register read-back) listens here; the
// dispatcher's own handling of the reply stays as it is.
class ModbusReplyObserver
{
public:
    virtual ~ModbusReplyObserver() = default;
    virtual void modbusReplyArrived(const QByteArray &packet) = 0;
};
