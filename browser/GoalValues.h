#pragma once

// The roll-up of one goal (or of the whole project): sums over the tasks that
// count in its subtree, all in days.
struct GoalValues
{
    double DaysPlanned = 0;
    double DaysDone = 0; // planned days x percent done / 100, summed per task
    double DaysNeeded = 0;
    double NewEstimate = 0;
    double Difference = 0;

    // Percent done of the whole; 0 when nothing is planned.
    double percentDone() const { return DaysPlanned == 0 ? 0 : DaysDone / DaysPlanned * 100; }
    // What the summary row calls days to go (not rounded).
    double daysToGo() const { return NewEstimate - DaysNeeded; }

    GoalValues& operator+=(const GoalValues& other)
    {
        DaysPlanned += other.DaysPlanned;
        DaysDone += other.DaysDone;
        DaysNeeded += other.DaysNeeded;
        NewEstimate += other.NewEstimate;
        Difference += other.Difference;
        return *this;
    }
};
