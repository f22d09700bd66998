#include "schedule/MemberCalendar.h"

#include <QTime>
#include <QTimeZone>
#include <cmath>

namespace {
constexpr qint64 kDay = 86400;
// 9999-12-31 23:59:59, the last moment a stored date can hold.
constexpr qint64 kLastMoment = 253402300799;

qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Monday 0 .. Sunday 6 of a day counted from 1970-01-01, a Thursday.
int weekday(qint64 day)
{
    return int(((day + 3) % 7 + 7) % 7);
}

std::optional<int> secondsOfDay(const QString& text)
{
    QTime t;
    if (text.size() == 5) {
        t = QTime::fromString(text, QStringLiteral("HH:mm"));
    } else if (text.size() == 8) {
        t = QTime::fromString(text, QStringLiteral("HH:mm:ss"));
    }
    if (!t.isValid()) {
        return std::nullopt;
    }
    return t.msecsSinceStartOfDay() / 1000;
}
} // namespace

MemberCalendar::MemberCalendar(const std::array<int, 7>& begin, const std::array<int, 7>& end)
    : m_begin(begin)
    , m_end(end)
{
    for (int d = 0; d < 7; ++d) {
        m_weekly += std::max(0, m_end[d] - m_begin[d]);
    }
}

std::optional<MemberCalendar>
MemberCalendar::fromTimes(const QString (&begin)[7], const QString (&end)[7], QString* error)
{
    static const char* const days[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
    std::array<int, 7> b{};
    std::array<int, 7> e{};
    for (int d = 0; d < 7; ++d) {
        const auto from = secondsOfDay(begin[d]);
        const auto to = secondsOfDay(end[d]);
        if (!from || !to) {
            if (error) {
                *error = QStringLiteral("the working hours of %1 (\"%2\" to \"%3\") are not times of day")
                             .arg(QLatin1String(days[d]), begin[d], end[d]);
            }
            return std::nullopt;
        }
        b[d] = *from;
        e[d] = *to;
    }
    return MemberCalendar(b, e);
}

void MemberCalendar::start(qint64 moment)
{
    m_cursor = moment;
    m_exhausted = false;
}

qint64 MemberCalendar::place(double hours)
{
    if (hours <= 0) {
        return kNever;
    }
    // Work of unknown size (NaN) ends at no known moment, and nor does later work.
    if (m_exhausted || m_weekly == 0 || std::isnan(hours) || hours * 3600.0 > double(kLastMoment)) {
        m_exhausted = true;
        return kNever;
    }
    // Work under half a second still needs a working moment to end in.
    qint64 remaining = std::max<qint64>(1, std::llround(hours * 3600.0));
    qint64 cursor = m_cursor;
    while (true) {
        const qint64 day = floorDiv(cursor, kDay);
        const qint64 secondOfDay = cursor - day * kDay;
        const qint64 tod = secondOfDay - secondOfDay % 60;
        const int wd = weekday(day);
        const qint64 begin = m_begin[wd];
        const qint64 end = m_end[wd];
        qint64 available = 0;
        if (end > begin) {
            if (tod < begin) {
                available = end - begin;
            } else if (tod <= end) {
                available = end - tod;
            }
        }
        if (remaining <= available) {
            cursor = tod < begin ? day * kDay + begin + remaining : cursor + remaining;
            break;
        }
        remaining -= available;
        cursor = (day + 1) * kDay;
        // From midnight on, every whole week offers exactly its weekly hours: skip the
        // weeks the work certainly spans instead of walking them day by day.
        if (remaining > m_weekly) {
            const qint64 weeks = (remaining - 1) / m_weekly;
            remaining -= weeks * m_weekly;
            cursor += weeks * 7 * kDay;
        }
        if (cursor > kLastMoment) {
            break;
        }
    }
    if (cursor > kLastMoment) {
        m_exhausted = true;
        return kNever;
    }
    m_cursor = cursor;
    return cursor;
}

qint64 MemberCalendar::toSeconds(const QDateTime& t)
{
    return QDateTime(t.date(), t.time(), QTimeZone::utc()).toSecsSinceEpoch();
}

QDateTime MemberCalendar::fromSeconds(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
}

QString MemberCalendar::toText(qint64 seconds)
{
    if (seconds == kNever) {
        return {};
    }
    return fromSeconds(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}
