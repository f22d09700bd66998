#pragma once

#include "schedule/SnapshotRow.h"

#include <vector>

// Numbers the open, calculated rows in the order of work: goals among goals, tasks
// among tasks, each member's assignments among that member's, by ascending order
// key. Dense: equal keys share a number and each group runs 1, 2, 3 without gaps.
// Other rows, the root among them, keep 0 (no number).
class NumberCompletionOrder
{
public:
    static void run(std::vector<SnapshotRow>& rows);
};
