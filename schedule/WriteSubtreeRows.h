#pragma once

#include "schedule/OrderKeys.h"
#include "schedule/SnapshotInput.h"
#include "schedule/SnapshotPath.h"
#include "schedule/SnapshotRow.h"

#include <QHash>
#include <vector>

// The walk that turns the project into snapshot rows: one row per goal, task and
// assignment and the root row last, in post-order (the order of HTreeSort), with
// the figures rolled up from assignments to tasks to goals, the Calc flags, the
// order keys (task keys lengthened to the snapshot's own deepest level), paths and
// depths. Completion dates and numbers are left to the later steps.
//
// The walk keeps its own stack, so no depth of goals can exhaust the call stack,
// and it starts from the goals without a parent: goals whose parent is missing or
// that sit on a loop of parents (only another tool can write either) lie outside
// the tree and are not written, and no goal is written twice.
class WriteSubtreeRows
{
public:
    // Sums of one goal level, in days.
    struct SubtreeTotals
    {
        double planned = 0;
        double done = 0;
        double needed = 0;
        double est = 0;
        void add(const SubtreeTotals& other);
    };

    explicit WriteSubtreeRows(const SnapshotInput& input);

    // All rows of the snapshot, their paths and keys (finished).
    SnapshotRows run();

private:
    // Writes a task's assignment rows and its own row, whose index it returns.
    // `path` indexes m_result.paths.
    int writeTask(int taskIndex, int depth, int keyNode, int path, bool calc, SubtreeTotals& level);
    void adopt(const std::vector<int>& children, int parentRow);
    // The figures of a goal or the root from the totals of what hangs below it.
    static void setFigures(SnapshotRow& row, const SubtreeTotals& sums);

    const SnapshotInput& m_input;
    SnapshotRows m_result; // rows, paths and keys being built
    // Children in writing order: the highest priority number first, then the
    // highest ID, so that the outline (read backwards) lists equal priorities in
    // the order they were created.
    std::vector<int> m_topGoals;
    QHash<qint64, std::vector<int>> m_childGoals;
    QHash<qint64, std::vector<int>> m_goalTasks;
};
