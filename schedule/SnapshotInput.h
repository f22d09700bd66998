#pragma once

#include "db/ProjectRecords.h"

#include <vector>

// The project as a snapshot reads it: every goal, task, assignment and member,
// loaded once so the snapshot can be computed in memory. Only the columns the
// snapshot uses are read; descriptions, dates and member notes stay empty.
class SnapshotInput
{
public:
    std::vector<GoalRecord> goals;
    // daysPlanned is NaN when unknown (see Figure), as all figures here.
    std::vector<TaskRecord> tasks;
    // Grouped by task; within a task in member-name order, the order the database
    // keeps them in.
    std::vector<AssignmentRecord> assignments;
    std::vector<MemberRecord> members;

    // Reads the four tables on `connection`. On failure *error says which read failed.
    bool load(const QString& connection, QString* error);
};
