#include "core/EventPump.h"

#include <QCoreApplication>

bool EventPump::s_stopRequested = false;

void EventPump::setStopRequested(bool stop)
{
    s_stopRequested = stop;
}

bool EventPump::stopRequested()
{
    return s_stopRequested;
}

QElapsedTimer &EventPump::timer()
{
    static QElapsedTimer t;
    return t;
}

bool EventPump::yield(int intervalMs)
{
    QElapsedTimer &t = timer();
    if (t.isValid() && t.elapsed() < intervalMs)
        return false;
    flush();
    return true;
}

void EventPump::flush()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    timer().start();
}
