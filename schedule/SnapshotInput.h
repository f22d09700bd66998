#pragma once

#include "db/ProjectRecords.h"

#include <vector>

// The project as a snapshot reads it: every goal, task, assignment and member,
// loaded once so the snapshot can be computed in memory. Only the columns the
// snapshot uses are read; descriptions, dates and member notes stay empty.
class SnapshotInput
{
public:
    // The columns of a TaskRecord a snapshot reads: a large project holds hundreds
    // of thousands of tasks throughout the computation.
    struct Task
    {
        qint64 id = 0;
        qint64 goalId = 0; // FK_ID
        qint64 priority = 50;
        double daysPlanned = 0; // days; NaN when unknown (see Figure), as all figures here
        QString objectType = QStringLiteral("Task"); // OBJECT_TYPE
        QString shortName;
        QString status = QStringLiteral("Open");
    };

    std::vector<GoalRecord> goals;
    std::vector<Task> tasks;
    // Grouped by task; within a task in member-name order, the order the database
    // keeps them in.
    std::vector<AssignmentRecord> assignments;
    std::vector<MemberRecord> members;

    // Reads the four tables on `connection`. On failure *error says which read failed.
    bool load(const QString& connection, QString* error);

private:
    bool readAll(const QString& connection, QString* error);
};
