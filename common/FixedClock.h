#pragma once

#include "common/Clock.h"

// A clock that stands still until told otherwise.
class FixedClock : public Clock
{
public:
    explicit FixedClock(const QDateTime& t)
        : m_now(t)
    {
    }
    QDateTime now() const override { return m_now; }
    void set(const QDateTime& t) { m_now = t; }
    void advanceSecs(qint64 secs) { m_now = m_now.addSecs(secs); }

private:
    QDateTime m_now;
};
