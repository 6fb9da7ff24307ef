#pragma once

#include "link/framesender.h"
#include "scenes/modbusreplyobserver.h"

#include <QString>

// How long a read-back waits for its answer after the frame's own pause.
constexpr int kReadBackWaitMs = 1000;

// The outcome of one read-back of a 32-bit register value.
struct RegisterReadResult
{
    enum class Kind {
        Value, // value holds the four data bytes, most significant first
        NoAnswer, // nothing came from the id within the wait
        Exception, // exceptionCode: the slave refused the read
        WrongLength, // byteCount: a reply with other than four data bytes
        Damaged, // a reply from the id with a wrong LRC or length
    };
    Kind kind = Kind::NoAnswer;
    quint32 value = 0;
    int exceptionCode = 0;
    int byteCount = 0;
};

// Reads a register value back: sends function 3 for two registers to the id
// and waits on the pacer (events running) for the first function-3 reply, or
// its exception reply (function 83), from that id. Replies from other ids and
// of other functions are left to the dispatcher alone.
class RegisterReadBack : public ModbusReplyObserver
{
public:
    explicit RegisterReadBack(const BusContext &bus);

    // Link errors propagate. Not re-entrant: a read while one waits raises.
    RegisterReadResult read(quint8 id, quint16 address);
    bool isWaiting() const { return m_waiting; }

    void modbusReplyArrived(const QByteArray &packet) override;

private:
    BusContext m_bus;
    bool m_waiting = false;
    bool m_answered = false;
    quint8 m_id = 0;
    RegisterReadResult m_result;
};
