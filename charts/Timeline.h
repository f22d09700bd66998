#pragma once

#include <QString>
#include <limits>
#include <vector>

struct MemberRecord;

// The schedule of one stored snapshot laid out in time, in two views:
//  - by member: one lane per member, a bar per scheduled assignment row (an "R"
//    row with a completion date) in the order the member works them;
//  - by goal: the snapshot's outline (root, goals, tasks) with a bar from the
//    earliest start of the assignments below each node to its completion date.
// A bar ends at its row's stored Completion_Date. It starts where its first hour
// falls on the member's calendar: the first working moment at or after the later
// of the snapshot's moment and the previous bar's end, under the weekly hours the
// snapshot stored. A snapshot that stored no hours (taken before they were kept)
// cannot say that: each bar then starts at the previous bar's end (the first at the
// snapshot's moment), and hoursStored() is false.
// Moments are naive wall-clock seconds (MemberCalendar::toSeconds), kNoDate for none;
// MemberCalendar::toText() writes them as stored. Display-free.
class Timeline
{
public:
    static constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();

    enum class View { ByMember, ByGoal };

    // One scheduled assignment.
    struct Bar
    {
        qint64 start = kNoDate; // where its first working second falls (see above)
        qint64 end = kNoDate; // its Completion_Date
        qint64 taskId = 0; // the task's number (the row's GT_Parent_ID)
        QString taskName;
        QString goalPath; // the task's goals from the top down, each after "\"; empty under the root
        QString member; // as the row spells it
        int task = -1; // its task's index in outline()
        // The row's figures: days planned for this member's share, percent of that
        // share done, days used so far, the new estimate in days.
        double planned = 0;
        double perComp = 0;
        double needed = 0;
        double est = 0;

        // Hours still to work, as the calendar laid them (one day of effort is 8 hours).
        double remainingHours() const { return (est - needed) * 8; }
    };

    struct Lane
    {
        QString member; // the spelling of the snapshot's stored hours, else of its first row
        std::vector<Bar> bars; // in order of work; they never overlap
        // The bars' starts come from this member's stored weekly hours; false when the
        // snapshot keeps none for the member (starts are the previous bar's ends).
        bool calendarKnown = false;
    };

    // One line of the outline, in the snapshot's outline order (parents before
    // their children, goals' tasks before their child goals).
    struct Node
    {
        enum class Kind { Root, Goal, Task };
        Kind kind = Kind::Root;
        qint64 id = 0; // GT_ID: goal or task number, 0 for the root
        QString name; // "Cairnwork" for the root
        QString status; // GT_Status; empty for the root
        int depth = 0; // outline level: root 0, top-level goals 1, a goal's tasks one below it
        int parent = -1; // index into outline(), -1 for the root
        qint64 start = kNoDate; // earliest start of the bars below it; kNoDate when undated
        qint64 end = kNoDate; // its Completion_Date; kNoDate when undated (then no bar)
        // The row's figures: days planned, percent done, days used, new estimate.
        double planned = 0;
        double perComp = 0;
        double needed = 0;
        double est = 0;

        bool dated() const { return end != kNoDate; }
        bool finished() const { return status == QLatin1String("Completed"); }
        // The name indented four spaces a level (bounded), as the outline shows it.
        QString outlineName() const;
    };

    // Reads the snapshot `stamp` (the newest one when `stamp` is empty) and lays it
    // out. False with *error, and *timeline untouched, when the project has no such
    // snapshot, its rows do not form an outline (a row without its parent, a depth
    // its place contradicts) or the stored weekly hours are not times of day.
    static bool load(const QString& connection, const QString& stamp, Timeline* timeline, QString* error);

    const QString& stamp() const { return m_stamp; }
    qint64 moment() const { return m_moment; } // the stamp as a naive moment
    // False when the snapshot stored no weekly hours: bars start at the previous end.
    bool hoursStored() const { return m_hoursStored; }
    // Lanes ordered by member name without regard to letter case: every member whose
    // hours the snapshot stored, and every member an assignment row names.
    const std::vector<Lane>& lanes() const { return m_lanes; }
    const std::vector<Node>& outline() const { return m_outline; }
    // The lane of `member` (letter case ignored), or null.
    const Lane* lane(const QString& member) const;
    // Names the project across its snapshots: its first snapshot's stamp, which no
    // later snapshot changes ("YYYYMMDDTHHMMSS").
    const QString& projectId() const { return m_projectId; }
    // The earliest start and latest end of all bars; kNoDate when there is none.
    qint64 first() const { return m_first; }
    qint64 last() const { return m_last; }

private:
    QString m_stamp;
    qint64 m_moment = 0;
    bool m_hoursStored = false;
    std::vector<Lane> m_lanes;
    std::vector<Node> m_outline;
    QString m_projectId;
    qint64 m_first = kNoDate;
    qint64 m_last = kNoDate;
};
