#include "link/packetrule.h"

std::array<PacketRule, kPacketRuleCount> StandardPacketRules()
{
    PacketRule boardReply;
    boardReply.startString = QByteArray("H\x0B", 2);
    boardReply.packetSize = 14;

    PacketRule shortReply;
    shortReply.startString = QByteArray("H\x02", 2);
    shortReply.packetSize = 5;

    PacketRule modbusReply;
    modbusReply.startString = QByteArray(":");
    modbusReply.endCond = EndCondition::String;
    modbusReply.endString = QByteArray("\r\n");

    PacketRule liveReply;
    liveReply.startString = QByteArray("H\x03", 2);
    liveReply.packetSize = 5;

    return {boardReply, shortReply, modbusReply, liveReply};
}
