#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>

// Puts answers on the line the way a board does: after a delay, one at a time,
// and at the pace of 9600 bit/s 8N1 (10 bits, about 1.04 ms a byte) unless
// pacing is off.
class PacedWriter : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kByteNs = 1000000000LL * 10 / 9600;

    using Sink = std::function<void(const QByteArray &)>;
    PacedWriter(Sink sink, bool paced, QObject *parent = nullptr);

    // Queues an answer to start no sooner than delayMs from now.
    void send(const QByteArray &bytes, int delayMs);
    // Forgets every answer not yet written (the connection went away).
    void clear();
    bool idle() const { return m_queue.empty(); }

private:
    struct Item
    {
        QByteArray bytes;
        qint64 dueNs;
        qint64 startNs = -1;
        qsizetype written = 0;
    };
    void tick();

    Sink m_sink;
    bool m_paced;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::deque<Item> m_queue;
    qint64 m_lineFreeNs = 0;
};
