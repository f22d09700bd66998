#pragma once

// The figures of one task summed over its assignments, by the formulas of the
// views qAssignmentFigures and qLvTasks, all in days but `done` (percent). Fed
// with values checked by Figure, a figure computed from an unknown is unknown
// (NaN), which the views cannot tell: SQLite reads text as 0.
struct TaskFigures
{
    double planned = 0; // DAYSPLANNED
    double done = 0; // PDONE: sum of PerTotWkldDone
    double needed = 0; // DaysNeed
    double estimate = 0; // NewEstimateR

    // The estimate Est of one assignment: its planned share until work on it is
    // reported, then the days needed scaled up to the whole share.
    static double assignmentEstimate(double planned, double workload, double completed, double needed)
    {
        return completed == 0 ? planned / 100.0 * workload : needed * 100.0 / completed;
    }

    void add(double workload, double completed, double daysNeeded)
    {
        done += completed * workload / 100.0;
        needed += daysNeeded;
        estimate += assignmentEstimate(planned, workload, completed, daysNeeded);
    }
    // DIFFERENCE
    double difference() const { return planned - estimate; }
};
