#pragma once

#include "schedule/SnapshotInput.h"
#include "schedule/SnapshotRow.h"

#include <QHash>
#include <vector>

// The walk that turns the project into snapshot rows: one row per goal, task and
// assignment and the root row last, in post-order (the order of HTreeSort), with
// the figures rolled up from assignments to tasks to goals, the Calc flags, the
// order keys, paths and depths. Completion dates and numbers are left to the later
// steps.
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
    };

    explicit WriteSubtreeRows(const SnapshotInput& input);

    // All rows of the snapshot; HTreeSort runs 1, 2, ... in vector order.
    std::vector<SnapshotRow> run();

    // Lengthens the order keys of the task rows whose depth is below `maxDepth` by
    // repeating their last two characters, so that tasks at different depths compare
    // fairly. Assignment and goal keys keep their length.
    static void lengthenTaskKeys(std::vector<SnapshotRow>& rows, int maxDepth);

    // The largest Tree_Depth among `rows`.
    static int deepest(const std::vector<SnapshotRow>& rows);

private:
    // Writes the rows below goal `parentId` (0: the root) and returns their sums;
    // `directRows` receives the rows of its own child goals and tasks.
    SubtreeTotals
    walk(qint64 parentId, int depth, const QString& key, const QString& path, bool calc, std::vector<int>& directRows);
    // Writes a task's assignment rows and its own row, whose index it returns.
    int writeTask(int taskIndex, int depth, const QString& key, const QString& path, bool calc, SubtreeTotals& level);
    void adopt(const std::vector<int>& children, int parentRow);
    // The figures of a goal or the root from the totals of what hangs below it.
    static void setFigures(SnapshotRow& row, const SubtreeTotals& sums);

    const SnapshotInput& m_input;
    std::vector<SnapshotRow> m_rows;
    // Children in writing order: the highest priority number first, then the
    // highest ID, so that the outline (read backwards) lists equal priorities in
    // the order they were created.
    QHash<qint64, std::vector<int>> m_childGoals;
    QHash<qint64, std::vector<int>> m_goalTasks;
    QHash<qint64, std::pair<int, int>> m_taskAssignments; // first index, count
};
