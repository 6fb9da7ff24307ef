#pragma once

#include "scenes/commandhost.h"

#include <QByteArray>
#include <QString>

// Applies the boards' replies, delivered by the link's packet rules, to the
// panels their sender's id and byte count designate. No reply is matched to
// a request; check bytes and LRCs are not verified.
//
// While the scan flag is set a reply that carries board data (a key-settings
// board frame or an 8-byte Modbus reply) marks its slot's board present and
// is logged, but its data are not put onto the panels: they belong to another
// key than the one shown.
//
// Modbus replies are read as text, positions counting from 1 with ':' at 1:
//   2-3 id (decimal; "F1", "F2", "F3" for the CPU boards 241, 242, 243;
//       anything else 0), 4-5 function (decimal), 6-7 byte count for
//       function 3, 10-13 register count for function 10, data from 8.
// A function or count text that is not decimal raises KvtError
// "'%s' is not a valid integer value" before anything is logged.
class ReplyDispatcher
{
public:
    explicit ReplyDispatcher(const CommandContext &context);

    // 'H' 0B (14 bytes) and 'H' 02 (5 bytes) packets.
    void ApdDataPacket1StringPacket(const QByteArray &packet);
    // Modbus ASCII replies, ':' through CR LF.
    void ApdDataPacket3StringPacket(const QByteArray &packet);
    // 'H' 03 (5 bytes) packets.
    void ApdDataPacket4StringPacket(const QByteArray &packet);

    // A text of decimal digits as a number; KvtError otherwise.
    static int DecimalField(const QByteArray &text);
    // The Modbus id as read from positions 2-3.
    static int ModbusReplyId(const QByteArray &text);

private:
    void applyBoardFrame(int slot, const QByteArray &packet);
    void applyModbusData(int id, int count, const QByteArray &data);
    void applyBoardData(int panel, const QByteArray &data);
    void markPresent(int slot);

    CommandContext m_context;
};
