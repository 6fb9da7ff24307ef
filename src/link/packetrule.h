#pragma once

#include <QByteArray>
#include <array>

// How a packet ends: after a fixed number of bytes, or at an end string.
enum class EndCondition { PacketSize, String };

constexpr int kTickMs = 55;
// 2148 ticks of 55 ms: 118.14 s from the completed start string to the end.
constexpr int kPacketTimeOutTicks = 2148;

// One receive matcher. A packet runs from the first byte of StartString
// through PacketSize bytes (size rules) or through the first EndString after
// the start string (string rules); the delivered bytes include both strings.
// Start and end strings compare byte for byte, case-sensitive.
struct PacketRule
{
    QByteArray startString;
    EndCondition endCond = EndCondition::PacketSize;
    int packetSize = 0; // PacketSize: total length counted from the start string
    QByteArray endString; // String
    int timeOutTicks = kPacketTimeOutTicks;

    qint64 timeOutMs() const { return qint64(timeOutTicks) * kTickMs; }
};

constexpr int kPacketRuleCount = 4;

// The link's four rules, in the order in which they are tried (the order
// matters: a board reply found anywhere in the buffer beats a Modbus text
// that starts earlier).
//   1 ApdDataPacket1  48 0B       14 bytes   board reply to a key read
//   2 ApdDataPacket2  48 02        5 bytes   short board reply
//   3 ApdDataPacket3  3A ... 0D 0A           Modbus ASCII reply
//   4 ApdDataPacket4  48 03        5 bytes   reply to a live output
std::array<PacketRule, kPacketRuleCount> StandardPacketRules();
