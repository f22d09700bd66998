#pragma once

#include <QDateTime>

// Source of "now" for everything that stamps or schedules. Wall-clock local time,
// whole seconds. Tests and the command line substitute a FixedClock.
class Clock
{
public:
    virtual ~Clock();
    virtual QDateTime now() const = 0;

    // The process-wide system clock; never null.
    static const Clock& system();
};
