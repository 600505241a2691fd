#pragma once

#include <QDateTime>

// The time of day that names things: default playlist, category, colour
// profile and cleared-list names are stamped with it. Tests pass a fixed one.
class Clock
{
public:
    virtual ~Clock() = default;

    // The local date and time now. Never fails; any thread.
    virtual QDateTime localNow() const = 0;
};

// The system's clock.
class SystemClock final : public Clock
{
public:
    QDateTime localNow() const override { return QDateTime::currentDateTime(); }
};
