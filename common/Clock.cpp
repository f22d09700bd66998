#include "common/Clock.h"

namespace {
class SystemClock final : public Clock
{
public:
    QDateTime now() const override
    {
        QDateTime t = QDateTime::currentDateTime();
        t.setTime(QTime(t.time().hour(), t.time().minute(), t.time().second()));
        return t;
    }
};
} // namespace

Clock::~Clock() = default;

const Clock& Clock::system()
{
    static const SystemClock clock;
    return clock;
}
