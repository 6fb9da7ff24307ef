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
    // Wakes the event loop at the time-out when nothing else arrives.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(qMax(0, timeoutMs));
    QEventLoop loop;
    while (!done()) {
        if (clock.elapsed() >= timeoutMs)
            return false;
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}
