#include "roomsim/pacedwriter.h"

#include <algorithm>

PacedWriter::PacedWriter(Sink sink, bool paced, QObject *parent)
    : QObject(parent), m_sink(std::move(sink)), m_paced(paced)
{
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1);
    connect(&m_timer, &QTimer::timeout, this, &PacedWriter::tick);
}

void PacedWriter::send(const QByteArray &bytes, int delayMs)
{
    if (bytes.isEmpty())
        return;
    m_queue.push_back({bytes, m_clock.nsecsElapsed() + qint64(delayMs) * 1000000});
    if (!m_timer.isActive())
        m_timer.start();
}

void PacedWriter::clear()
{
    m_queue.clear();
    m_timer.stop();
}

void PacedWriter::tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    while (!m_queue.empty()) {
        Item &item = m_queue.front();
        if (now < item.dueNs)
            break;
        if (!m_paced) {
            const QByteArray bytes = item.bytes;
            m_queue.pop_front();
            m_sink(bytes);
            continue;
        }
        if (item.startNs < 0)
            item.startNs = std::max(item.dueNs, m_lineFreeNs);
        if (now < item.startNs)
            break;
        // Bytes whose start bit has gone out by now.
        const qsizetype due = std::min<qsizetype>(item.bytes.size(), (now - item.startNs) / kByteNs + 1);
        if (due <= item.written)
            break;
        const QByteArray part = item.bytes.mid(item.written, due - item.written);
        item.written = due;
        const bool done = item.written == item.bytes.size();
        if (done) {
            m_lineFreeNs = item.startNs + item.bytes.size() * kByteNs;
            m_queue.pop_front();
        }
        // The sink may clear the queue (a connection that went away): touch
        // no item after it.
        m_sink(part);
        if (!done)
            break;
    }
    if (m_queue.empty())
        m_timer.stop();
}
