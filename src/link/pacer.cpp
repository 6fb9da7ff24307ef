#include "link/pacer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QThread>

void RealPacer::pause(int ms)
{
    if (ms > 0)
        QThread::msleep(ulong(ms));
}

void RealPacer::processEvents()
{
    QCoreApplication::processEvents();
}

QDateTime RealPacer::now() const
{
    return QDateTime::currentDateTime();
}

bool RealPacer::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    // Wakes the event loop at the time-out when nothing else arrives; set
    // again before each round, since a timer may fire a little early.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    while (!done()) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            return false;
        deadline.start(int(left));
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}
