#include "link/packetassembler.h"

#include "link/errorreporter.h"
#include "link/scopeguard.h"

#include <QElapsedTimer>
#include <QtGlobal>
#include <algorithm>
#include <cstring>

namespace {

// Handler errors when no reporter was given: at least they are not lost.
class WarningReporter : public ErrorReporter
{
public:
    void report(const QString &text) override { qWarning("Packet handler: %s", qPrintable(text)); }
};

WarningReporter &FallbackReporter()
{
    static WarningReporter reporter;
    return reporter;
}

// First position p in [from, end) where needle starts; when it is not there,
// returns -1 and sets *resume to the first position where the bytes up to the
// end are a proper prefix of needle (or to end).
//
// Start and end strings are one or two bytes. One byte: memchr. Two bytes: a
// plain pass that looks at each byte once, so input full of first bytes (a
// flood of 'H') costs no more per byte than anything else.
qint64 Find(const char *data, qint64 from, qint64 end, const QByteArray &needle, qint64 *resume)
{
    const qint64 n = needle.size();
    const char first = needle[0];
    if (n == 1) {
        const void *hit = from < end ? std::memchr(data + from, first, size_t(end - from)) : nullptr;
        if (hit)
            return static_cast<const char *>(hit) - data;
        *resume = end;
        return -1;
    }
    if (n == 2) {
        const char second = needle[1];
        for (qint64 p = from; p + 1 < end; ++p) {
            if (data[p] == first && data[p + 1] == second)
                return p;
        }
        *resume = end > from && data[end - 1] == first ? end - 1 : end;
        return -1;
    }
    for (qint64 p = from; p < end; ++p) {
        const qint64 available = std::min(n, end - p);
        if (std::memcmp(data + p, needle.constData(), size_t(available)) == 0) {
            if (available == n)
                return p;
            *resume = p; // a partial match runs to the end
            return -1;
        }
    }
    *resume = end;
    return -1;
}

} // namespace

PacketAssembler::PacketAssembler(ErrorReporter *reporter, Clock clock)
    : m_rules(StandardPacketRules()), m_reporter(reporter)
{
    setClock(std::move(clock));
}

void PacketAssembler::setHandler(int ruleNumber, Handler handler)
{
    m_handlers.at(size_t(ruleNumber - 1)) = std::move(handler);
}

void PacketAssembler::setClock(Clock clock)
{
    if (clock) {
        m_clock = std::move(clock);
        return;
    }
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    m_clock = [timer] { return timer->elapsed(); };
}

void PacketAssembler::append(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    // A rule whose time ran out before these bytes came drops its packet.
    if (m_collecting >= 0 && m_clock() >= m_deadline)
        dropAll();
    m_buf.append(bytes);
    m_end += bytes.size();
    assemble();
}

void PacketAssembler::reset()
{
    ++m_generation;
    m_collecting = -1;
    dropAll();
}

void PacketAssembler::dropAll()
{
    m_collecting = -1;
    m_buf.clear();
    m_bufStart = m_first = m_end;
    m_next.fill(m_end);
}

void PacketAssembler::discardBefore(qint64 position)
{
    m_first = std::max(m_first, position);
    const qint64 dead = m_first - m_bufStart;
    // Compact only when the dead head is at least half the buffer, so the
    // copying stays linear overall.
    if (dead > 0 && dead * 2 >= m_buf.size()) {
        m_buf.remove(0, dead);
        m_bufStart = m_first;
    }
}

qint64 PacketAssembler::findStart(int i)
{
    // Find works on buffer offsets; stream position = offset + m_bufStart.
    const qint64 from = std::max(m_next[size_t(i)], m_first) - m_bufStart;
    qint64 resume = 0;
    const qint64 found = Find(m_buf.constData(), from, m_buf.size(),
                              m_rules[size_t(i)].startString, &resume);
    m_next[size_t(i)] = (found >= 0 ? found : resume) + m_bufStart;
    return found >= 0 ? found + m_bufStart : -1;
}

qint64 PacketAssembler::findPacketEnd()
{
    const PacketRule &rule = m_rules[size_t(m_collecting)];
    if (rule.endCond == EndCondition::PacketSize)
        return m_end - m_start >= rule.packetSize ? m_start + rule.packetSize : -1;

    const qint64 from = std::max(m_endSearch, m_start + rule.startString.size()) - m_bufStart;
    qint64 resume = 0;
    const qint64 found = Find(m_buf.constData(), from, m_buf.size(), rule.endString, &resume);
    if (found >= 0)
        return found + m_bufStart + rule.endString.size();
    m_endSearch = resume + m_bufStart;
    return -1;
}

void PacketAssembler::assemble()
{
    if (m_delivering)
        return; // the delivery loop below picks the bytes up
    while (m_end > m_first) {
        if (m_collecting < 0) {
            for (int i = 0; i < kPacketRuleCount; ++i) {
                const qint64 start = findStart(i);
                if (start >= 0) {
                    m_collecting = i;
                    m_start = start;
                    m_endSearch = start;
                    m_deadline = m_clock() + m_rules[size_t(i)].timeOutMs();
                    break;
                }
            }
            if (m_collecting < 0) {
                // Nothing started: keep only what a partial match still needs.
                discardBefore(*std::min_element(m_next.begin(), m_next.end()));
                return;
            }
        }
        const qint64 packetEnd = findPacketEnd();
        if (packetEnd < 0) {
            if (m_end - m_start > kMaxPacketBytes)
                dropAll();
            return;
        }
        deliver(packetEnd);
    }
}

void PacketAssembler::deliver(qint64 packetEnd)
{
    const int rule = m_collecting;
    const QByteArray packet(at(m_start), packetEnd - m_start);
    m_collecting = -1;
    const quint64 generation = m_generation;
    {
        m_delivering = true;
        auto done = OnScopeExit([this] { m_delivering = false; });
        if (const Handler &handler = m_handlers[size_t(rule)]) {
            ErrorReporter &reporter = m_reporter ? *m_reporter : FallbackReporter();
            RunGuarded(reporter, [&] { handler(packet); });
        }
    }
    if (generation != m_generation)
        return; // the link was closed meanwhile; the old bytes are gone
    discardBefore(packetEnd);
    for (qint64 &next : m_next)
        next = std::max(next, packetEnd);
}
