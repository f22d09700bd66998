#pragma once

#include <QString>
#include <vector>

// The project as a snapshot reads it: every goal, task, assignment and member,
// loaded once so the snapshot can be computed in memory.
class SnapshotInput
{
public:
    struct Goal
    {
        qint64 id = 0;
        QString type;
        QString name;
        int priority = 0;
        QString status;
        qint64 parentId = 0; // 0 for a top-level goal
        bool topLevel = false; // P_GID is empty; a goal with ID 0 is not the root
    };
    struct Task
    {
        qint64 id = 0;
        QString type;
        QString name;
        int priority = 0;
        QString status;
        double daysPlanned = 0; // days; NaN when unknown (see Figure), as all figures here
        qint64 goalId = 0;
    };
    struct Assignment
    {
        qint64 taskId = 0;
        QString member;
        double workload = 0; // percent of the task
        double completed = 0; // percent of the share
        double daysNeeded = 0; // days
    };
    struct Member
    {
        QString name;
        // Working hours as stored ("HH:MM" or "HH:MM:SS"), Monday (0) to Sunday (6).
        QString begin[7];
        QString end[7];
    };

    std::vector<Goal> goals;
    std::vector<Task> tasks;
    // Grouped by task; within a task in member-name order, the order the database
    // keeps them in.
    std::vector<Assignment> assignments;
    std::vector<Member> members;

    // Reads the four tables on `connection`. On failure *error says which read failed.
    bool load(const QString& connection, QString* error);
};
