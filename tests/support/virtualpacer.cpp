#include "virtualpacer.h"

#include <QCoreApplication>

VirtualPacer::VirtualPacer(const QDateTime &start) : m_start(start) {}

void VirtualPacer::pause(int ms)
{
    m_steps.push_back({StepKind::Pause, ms, m_elapsedMs});
    if (onPause)
        onPause(m_pauseCount);
    ++m_pauseCount;
    m_elapsedMs += ms;
}

void VirtualPacer::processEvents()
{
    m_steps.push_back({StepKind::ProcessEvents, 0, m_elapsedMs});
    if (onProcessEvents)
        onProcessEvents(m_processCount);
    ++m_processCount;
    runDueActions();
    QCoreApplication::processEvents();
}

void VirtualPacer::runDueActions()
{
    // Taken out first: an action may schedule another one.
    std::vector<Scheduled> due;
    for (auto it = m_scheduled.begin(); it != m_scheduled.end();) {
        if (it->atMs <= m_elapsedMs) {
            due.push_back(std::move(*it));
            it = m_scheduled.erase(it);
        } else {
            ++it;
        }
    }
    for (Scheduled &s : due)
        s.action();
}

void VirtualPacer::schedule(qint64 atMs, std::function<void()> action)
{
    m_scheduled.push_back({atMs, std::move(action)});
}

bool VirtualPacer::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    const qint64 begin = m_elapsedMs;
    const qint64 deadline = begin + qMax(0, timeoutMs);
    const size_t index = m_steps.size();
    m_steps.push_back({StepKind::Wait, 0, begin, timeoutMs});
    bool held = done();
    while (!held) {
        // Each round is an event-processing point like processEvents().
        if (onProcessEvents)
            onProcessEvents(m_processCount);
        ++m_processCount;
        runDueActions();
        QCoreApplication::processEvents();
        held = done();
        if (held || m_elapsedMs >= deadline)
            break;
        qint64 next = deadline;
        for (const Scheduled &s : m_scheduled)
            next = qMin(next, qMax(s.atMs, m_elapsedMs));
        // An action due now ran above; step on at least a millisecond.
        m_elapsedMs = qMax(next, m_elapsedMs + 1);
        m_elapsedMs = qMin(m_elapsedMs, deadline);
    }
    m_steps[index].ms = int(m_elapsedMs - begin);
    return held;
}

qint64 VirtualPacer::totalWaitMs() const
{
    qint64 total = 0;
    for (const Step &s : m_steps)
        if (s.kind == StepKind::Wait)
            total += s.ms;
    return total;
}

QDateTime VirtualPacer::now() const
{
    return m_start.addMSecs(m_elapsedMs);
}

void VirtualPacer::advance(qint64 ms)
{
    m_elapsedMs += ms;
}

qint64 VirtualPacer::totalPauseMs() const
{
    qint64 total = 0;
    for (const Step &s : m_steps)
        if (s.kind == StepKind::Pause)
            total += s.ms;
    return total;
}
