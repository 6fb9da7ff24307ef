#include "link/pacer.h"

#include <QCoreApplication>
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
