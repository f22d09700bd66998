#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

// One team member's week of working hours and the cursor up to which the member's
// time is taken. Work is laid onto the week in whole seconds from naive wall-clock
// moments (seconds since 1970-01-01 00:00 on a calendar without daylight saving),
// so the time of day, taken in whole minutes, never drifts. One day of effort is
// 8 working hours whatever the member's hours per day. Pure: no database.
class MemberCalendar
{
public:
    static constexpr qint64 kNever = std::numeric_limits<qint64>::min();

    // Begin and end of each day in seconds after midnight, Monday (0) to Sunday (6).
    // A day whose end is at or before its begin has no working hours.
    MemberCalendar(const std::array<int, 7>& begin, const std::array<int, 7>& end);

    // From stored times of day ("HH:MM" or "HH:MM:SS"), Monday first. Empty when a
    // text is not a time of day; *error then names the day.
    static std::optional<MemberCalendar> fromTimes(const QString (&begin)[7], const QString (&end)[7], QString* error);

    // Working seconds in a whole week; 0 when the member never works.
    qint64 weeklySeconds() const { return m_weekly; }

    void start(qint64 moment);
    void start(const QDateTime& moment) { start(toSeconds(moment)); }
    qint64 cursor() const { return m_cursor; }

    // Lays `hours` of work onto the week from the cursor on and moves the cursor to
    // the moment its last hour ends, which it returns. Work of 0 hours or less is
    // skipped (kNever, cursor unchanged). Work that can never end (no working time,
    // an end after the year 9999, or an unknown amount: NaN) gives kNever, as does
    // all later work.
    qint64 place(double hours);
    // The moment at or after `from` where work laid from `from` on begins: `from`
    // itself inside working hours (the time of day taken in whole minutes, as
    // place() takes it), else the begin of the next day with working time. kNever
    // when the member never works. The cursor does not move.
    qint64 nextWorkingMoment(qint64 from) const;

    // Naive wall-clock moments: the QDateTime's own date and time fields.
    static qint64 toSeconds(const QDateTime& t);
    static QDateTime fromSeconds(qint64 seconds);
    // "YYYY-MM-DD HH:MM:SS", or a null text for kNever.
    static QString toText(qint64 seconds);
    // The moment a stored "YYYY-MM-DD HH:MM:SS" names; kNever for any other text.
    static qint64 fromText(const QString& text);

private:
    std::array<int, 7> m_begin;
    std::array<int, 7> m_end;
    qint64 m_weekly = 0;
    qint64 m_cursor = 0;
    bool m_exhausted = false;
};
