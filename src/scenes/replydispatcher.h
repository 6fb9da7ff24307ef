#pragma once

#include "scenes/commandhost.h"
#include "scenes/modbusreplyobserver.h"

#include <QByteArray>
#include <QString>

class ModbusReply;

// Applies the boards' replies, delivered by the link's packet rules, to the
// panels their sender's id and byte count designate, and tells the commands'
// ReplyWatch (BusState) what came. A board reply whose XOR check byte is
// wrong, or a Modbus reply whose LRC is wrong or whose text is not hex, is
// logged with " (校驗錯誤)" after its line and neither applied nor counted.
//
// While the scan flag is set a reply that carries board data (a key-settings
// board frame or an 8-byte Modbus reply) marks its slot's board present and
// is logged, but its data are not put onto the panels: they belong to another
// key than the one shown.
//
// Modbus replies are read by their fields' texts (ModbusReply): the id as a
// decimal number ("F1", "F2", "F3" for the CPU boards 241, 242, 243; anything
// else 0), the function as a decimal number, the byte count of function 3 or
// the register count of function 10 likewise, and function 3's data as that
// many digit pairs. A function or count text that is not decimal raises
// KvtError "'%s' is not a valid integer value" before anything is logged.
class ReplyDispatcher
{
public:
    explicit ReplyDispatcher(const CommandContext &context);

    // 'H' 0B (14 bytes) and 'H' 02 (5 bytes) packets.
    void ApdDataPacket1StringPacket(const QByteArray &packet);
    // Modbus ASCII replies, ':' through CR LF.
    void ApdDataPacket3StringPacket(const QByteArray &packet);
    // Also hands each Modbus reply, once logged and applied, to the observer
    // (nullptr: none).
    void setModbusReplyObserver(ModbusReplyObserver *observer) { m_modbusObserver = observer; }
    // 'H' 03 (5 bytes) packets.
    void ApdDataPacket4StringPacket(const QByteArray &packet);

    // A text of decimal digits as a number; KvtError otherwise.
    static int DecimalField(const QByteArray &text);
    // The Modbus id of a reply's id text.
    static int ModbusReplyId(const QByteArray &idText);

private:
    static bool FailsCheck(const ModbusReply &reply);
    // The fields of a Modbus reply as the log line shows them; raises
    // KvtError when a field is not decimal.
    struct ModbusFields
    {
        int id = 0;
        int function = 0;
        int count = 0;
        QByteArray data;
    };
    static ModbusFields ReadModbusFields(const ModbusReply &reply);
    static QString ModbusLine(const QByteArray &packet, const ModbusFields &fields);
    static QString CheckFailedModbusLine(const QByteArray &packet, const ModbusReply &reply);
    void applyBoardFrame(int slot, const QByteArray &pairs);
    void applyModbusData(int id, int count, const QByteArray &data);
    void applyBoardData(int panel, const QByteArray &data);
    void markPresent(int slot);

    CommandContext m_context;
    ModbusReplyObserver *m_modbusObserver = nullptr;
};
