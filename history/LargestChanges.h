#pragma once

#include "history/ScheduleReplay.h"

#include <QString>
#include <vector>

// The individual changes that moved one row's date most: each one alone (one
// member's hours, one task added or removed, one task's place in the order of
// work, one assignment's new estimate or progress) put on top of the replay's
// previous step, the row's date measured, the largest moves first. Time passed
// counts as one change; so do the scope step's other changes (statuses, moves,
// counting) when no task came or went. Display-free.
class LargestChanges
{
public:
    struct Change
    {
        int cause = 0; // 0 time passed .. 5 progress
        qint64 seconds = 0; // the row's move, later positive
        QString words; // "+4.0 d: Ann's share of 'API' re-estimated from 6 to 10 days"
    };

    // For the row that is `rowA` in A and `rowB` in B (-1 where it is missing), at
    // most `count` changes that moved it, largest first. `replay` must have run.
    static std::vector<Change> of(const ScheduleReplay& replay, int rowA, int rowB, int count = 5);

    // The assignment rows whose dates roll up into row `row` of `rows` (a step's rows):
    // the row's date is the latest of theirs.
    static std::vector<int> datedBy(const std::vector<SnapshotRow>& rows, int row);
};
