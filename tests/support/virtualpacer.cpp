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
    QCoreApplication::processEvents();
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
