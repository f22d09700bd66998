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

qint64 MemberCalendar::nextWorkingMoment(qint64 from) const
{
    if (m_weekly == 0) {
        return kNever;
    }
    qint64 cursor = from;
    // A week holds working time, so one of the next eight days starts it.
    for (int i = 0; i < 8 && cursor <= kLastMoment; ++i) {
        const qint64 day = floorDiv(cursor, kDay);
        const qint64 secondOfDay = cursor - day * kDay;
        const qint64 tod = secondOfDay - secondOfDay % 60;
        const int wd = weekday(day);
        if (m_end[wd] > m_begin[wd]) {
            if (tod < m_begin[wd]) {
                return day * kDay + m_begin[wd];
            }
            // At the day's end place() finds no time left and moves on.
            if (tod < m_end[wd]) {
                return cursor;
            }
        }
        cursor = (day + 1) * kDay;
    }
    return kNever;
}

qint64 MemberCalendar::toSeconds(const QDateTime& t)
{
    return QDateTime(t.date(), t.time(), QTimeZone::utc()).toSecsSinceEpoch();
}

QDateTime MemberCalendar::fromSeconds(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
}

// 1970-01-01 as a Julian day.
constexpr qint64 kEpochDay = 2440588;

QString MemberCalendar::toText(qint64 seconds)
{
    if (seconds == kNever) {
        return {};
    }
    // Written digit by digit: comparisons format hundreds of thousands of dates.
    const qint64 day = floorDiv(seconds, kDay);
    const qint64 second = seconds - day * kDay;
    int y = 0;
    int m = 0;
    int d = 0;
    QDate::fromJulianDay(day + kEpochDay).getDate(&y, &m, &d);
    if (y < 1 || y > 9999) {
        return fromSeconds(seconds).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    char text[19];
    const auto put = [&text](int at, int value, int width) {
        for (int i = width - 1; i >= 0; --i, value /= 10) {
            text[at + i] = char('0' + value % 10);
        }
    };
    put(0, y, 4);
    text[4] = '-';
    put(5, m, 2);
    text[7] = '-';
    put(8, d, 2);
    text[10] = ' ';
    put(11, int(second / 3600), 2);
    text[13] = ':';
    put(14, int(second / 60 % 60), 2);
    text[16] = ':';
    put(17, int(second % 60), 2);
    return QString::fromLatin1(text, 19);
}

qint64 MemberCalendar::fromText(const QString& text)
{
    if (text.size() != 19) {
        return kNever;
    }
    int digits[14];
    int n = 0;
    for (int i = 0; i < 19; ++i) {
        const QChar c = text.at(i);
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
        if (separator) {
            if (c != QLatin1Char(i == 10 ? ' ' : (i < 10 ? '-' : ':'))) {
                return kNever;
            }
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digits[n++] = c.unicode() - '0';
        } else {
            return kNever;
        }
    }
    const auto number = [&digits](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            value = value * 10 + digits[i];
        }
        return value;
    };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    const int h = number(8, 2);
    const int min = number(10, 2);
    const int sec = number(12, 2);
    if (!date.isValid() || h > 23 || min > 59 || sec > 59) {
        return kNever;
    }
    return (date.toJulianDay() - kEpochDay) * kDay + h * 3600 + min * 60 + sec;
}
