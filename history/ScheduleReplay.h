#pragma once

#include "history/SnapshotState.h"

#include <array>
#include <vector>

// Replays the schedule (member calendars, then the roll-up) from snapshot A's state
// to snapshot B's, one class of input at a time, so that the change of each date
// splits into the shares of the six classes. Steps:
//   0 A: A's rows and tree, A's hours, from A's moment (reproduces A's dates);
//   1 time passed: from B's moment;
//   2 working hours: B's hours;
//   3 scope: B's rows and tree; continuing assignment rows keep A's key and work,
//     unless their task was not open and counted in A (then B's); they are
//     scheduled when their task is open and counted in B and their share was not
//     finished in A;
//   4 queue: continuing assignment rows take B's key;
//   5 re-planning: continuing rows at 0 % in A and B take A's work plus the change
//     of their estimate;
//   6 progress: continuing rows take B's work and scheduled state (all is B's).
// Steps 0 to 2 date A's rows, steps 3 to 6 B's rows. A side without stored hours
// takes the other side's (or, when neither keeps any, the project's current ones);
// hoursKnown() is then false. Display-free.
class ScheduleReplay
{
public:
    enum Step { A = 0, TimePassed, WorkingHours, Scope, Queue, Replanning, Progress };
    static constexpr int kSteps = 7;

    // `bToA[j]` is the A row matched with B row j, or -1. The states must outlive the replay.
    ScheduleReplay(const SnapshotState& a, const SnapshotState& b, const std::vector<int>& bToA);

    // Runs all steps. False when a member's hours cannot be read (*error says whose).
    bool run(QString* error);

    bool hoursKnown() const { return m_a.hoursStored && m_b.hoursStored; }
    // The date of A's row `row` at steps 0 to 2, of B's row at steps 3 to 6; kNoDate when undated.
    qint64 date(int step, int row) const { return m_dates[std::size_t(step)][std::size_t(row)]; }

    // The rows as step `step` schedules them (before dating): A's for steps 0 to 2, B's
    // after; an assignment row holds its remaining work in `est` (`needed` 0) and is
    // "Open" exactly when it is scheduled.
    std::vector<SnapshotRow> rowsAt(int step) const;
    const std::vector<MemberRecord>& hoursAt(int step) const;
    qint64 startAt(int step) const { return step == A ? m_a.moment : m_b.moment; }
    const SnapshotState& a() const { return m_a; }
    const SnapshotState& b() const { return m_b; }
    const std::vector<int>& bToA() const { return m_bToA; }

private:
    // What a continuing assignment row holds in A and in B, and which of A's values
    // the scope step keeps.
    struct Continuing
    {
        int row = -1; // in B
        int orderA = 0; // order keys, ranked over both sides
        int orderB = 0;
        double workA = 0; // days of remaining work
        double workB = 0;
        double estChange = 0; // days
        bool scheduledB = false;
        bool scheduledAtScope = false;
        bool keepsA = true; // its task was open and counted in A
        bool unstarted = false; // 0 % in A and B
    };

    // The side's rows, assignments holding their remaining work, keys ranked over both sides.
    std::vector<SnapshotRow> frame(const SnapshotState& side) const;
    void findContinuing();
    // Gives the continuing rows of B's frame their state at `step` (3 to 6).
    void applyStep(std::vector<SnapshotRow>& rows, int step) const;
    bool schedule(std::vector<SnapshotRow>& rows,
                  const std::vector<MemberRecord>& members,
                  qint64 start,
                  int step,
                  QString* error);

    const SnapshotState& m_a;
    const SnapshotState& m_b;
    const std::vector<int>& m_bToA;
    // Per row of A and of B: the place of its order key among both sides' keys.
    std::vector<int> m_orderA;
    std::vector<int> m_orderB;
    std::vector<Continuing> m_continuing;
    std::array<std::vector<qint64>, kSteps> m_dates;
};
