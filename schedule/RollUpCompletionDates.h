#pragma once

#include "schedule/SnapshotRow.h"

#include <vector>

// Carries the assignments' completion dates up the tree: an open, calculated task
// takes the latest date of its own open assignment rows; an undated goal that is
// open and calculated takes the latest date of its open child goals and tasks,
// deepest goals first; the root takes the latest date of every open row. A parent
// whose open children are all undated is written undated. Rows must be in writing
// (post-)order, children before their parents.
class RollUpCompletionDates
{
public:
    static void run(std::vector<SnapshotRow>& rows);
};
