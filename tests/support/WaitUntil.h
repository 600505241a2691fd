#pragma once

// Waiting in a test for a fact instead of for a time: `fact` is asked again
// and again, with this thread's Qt events running in between when there is
// an application object, until it holds or `ceilingMs` has passed. The
// ceiling is generous on purpose: on a quiet machine the wait ends as soon
// as the fact holds, on a loaded one it still ends green. Returns whether the
// fact came true; the caller asserts on that.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

constexpr int DefaultWaitCeilingMs = 30000;

inline bool waitUntil(const std::function<bool()> &fact, int ceilingMs = DefaultWaitCeilingMs)
{
    const QDeadlineTimer deadline(ceilingMs);
    for (;;) {
        if (fact())
            return true;
        if (deadline.hasExpired())
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2); // only the pace of asking, not a wait for anything
    }
}
