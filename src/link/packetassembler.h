#pragma once

#include "link/packetrule.h"

#include <QByteArray>
#include <array>
#include <functional>

class ErrorReporter;

// Cuts the received byte stream into packets with the four packet rules over
// one shared buffer.
//
// Each arrival is appended to the buffer, then:
//  1. a collecting rule (one that has its whole start string) alone looks at
//     the new bytes until its packet is complete;
//  2. otherwise the rules look for their start strings in rule order, each
//     from where its last search stopped (a partial match at the end of the
//     buffer is kept; the search is a plain first-occurrence search, which is
//     what restarting one byte after a failed partial match amounts to); the
//     first rule that finds one becomes the collecting rule and the later
//     rules do not run;
//  3. a complete packet (from the first byte of its start string) goes to the
//     rule's handler; afterwards everything up to its end is removed, bytes
//     before it that no rule claimed included, and the rest is searched again
//     from its beginning;
//  4. when no rule collects and none holds a partial match, the buffer is
//     emptied.
// Every position is a position in the whole stream, so a rule's search never
// goes back over bytes it has already ruled out: the cost is linear in the
// bytes received however they are split.
//
// Handlers run one at a time. A handler may process events and so receive
// more bytes: they wait in the buffer and are assembled after it returns. An
// error raised in a handler is reported and assembly goes on.
//
// Time-out: a collecting rule whose packet is not complete within its time-out
// (118.14 s) drops its partial packet with the rest of the buffer and waits
// for a new start string. Time comes from the clock passed in (milliseconds,
// monotonic); it is read when a rule starts collecting and when bytes arrive,
// so a test moves the clock between arrivals instead of waiting. A packet that
// grows beyond kMaxPacketBytes is dropped the same way, so a peer that floods
// without an end string cannot exhaust memory.
class PacketAssembler
{
public:
    using Handler = std::function<void(const QByteArray &packet)>;
    using Clock = std::function<qint64()>;

    static constexpr qint64 kMaxPacketBytes = 1 << 20;

    // Without a clock a monotonic system clock is used. Without a reporter
    // handler errors go to the Qt warning log.
    explicit PacketAssembler(ErrorReporter *reporter = nullptr, Clock clock = Clock());

    // ruleNumber 1..4 (ApdDataPacket1..4).
    void setHandler(int ruleNumber, Handler handler);
    void setErrorReporter(ErrorReporter *reporter) { m_reporter = reporter; }
    void setClock(Clock clock);

    // Bytes as they arrive from the link.
    void append(const QByteArray &bytes);
    // The link closed: the buffer and every partial packet are dropped and a
    // collecting rule goes back to waiting.
    void reset();

    const PacketRule &rule(int ruleNumber) const { return m_rules.at(size_t(ruleNumber - 1)); }
    // 1..4, or 0 when no rule collects.
    int collectingRule() const { return m_collecting + 1; }
    // Bytes held (collected or kept for a partial start match).
    qint64 bufferedBytes() const { return m_end - m_first; }

private:
    void assemble();
    // First start of rule i's start string at or after its search position;
    // -1 when there is none yet (the search position then marks a partial
    // match at the end of the buffer, or the end).
    qint64 findStart(int i);
    // End of the collecting rule's packet, or -1 while it is incomplete.
    qint64 findPacketEnd();
    void deliver(qint64 packetEnd);
    void dropAll();
    void discardBefore(qint64 position);
    const char *at(qint64 position) const { return m_buf.constData() + (position - m_bufStart); }

    std::array<PacketRule, kPacketRuleCount> m_rules;
    std::array<Handler, kPacketRuleCount> m_handlers;
    std::array<qint64, kPacketRuleCount> m_next{}; // where each rule's search resumes
    ErrorReporter *m_reporter = nullptr;
    Clock m_clock;

    QByteArray m_buf; // holds the stream from m_bufStart to m_end
    qint64 m_bufStart = 0;
    qint64 m_first = 0; // first byte not yet removed
    qint64 m_end = 0;

    int m_collecting = -1;
    qint64 m_start = 0; // first byte of the collecting rule's start string
    qint64 m_endSearch = 0; // where the end-string search resumes
    qint64 m_deadline = 0;

    bool m_delivering = false;
    quint64 m_generation = 0; // counts resets, so a delivery notices one inside its handler
};
