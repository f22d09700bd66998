#pragma once

#include "schedule/OrderKeys.h"
#include "schedule/SnapshotPath.h"

#include <QString>
#include <limits>
#include <vector>

// One row of a snapshot while it is computed in memory; HTreeSort is its place in
// the snapshot's rows, counting from 1. Columns that follow from the source object
// alone (names, type, priority, parent, member) are taken from the SnapshotInput
// when the row is written; the steps of the generation fill the rest.
struct SnapshotRow
{
    enum class Kind : char { Root, Goal, Task, Assignment };
    static constexpr qint64 kNoDate = std::numeric_limits<qint64>::min();
    // Stored text stays bounded at any depth: GT_Path keeps at most this many
    // characters (a longer path keeps its start and its end around "…"), and HName
    // indents at most kIndentLevels levels (4 spaces each). Completion_Order: OrderKeys.
    static constexpr int kMaxPathLength = 256;
    static constexpr int kIndentLevels = 32;

    // Ordered to pack: a large project holds hundreds of thousands of rows at once,
    // so texts are held once elsewhere and rows point at them.
    qint64 gtId = 0; // GT_ID: goal or task ID, 0 for the root and assignments
    // GT_Status and Res point into the SnapshotInput the rows were made from (or to a
    // constant), which must outlive them; null for the root and for non-assignments.
    const QString* status = nullptr;
    const QString* member = nullptr;
    double planned = 0; // days
    double perComp = 0; // percent
    double needed = 0; // days
    double est = 0; // days
    double diff = 0; // days
    double progress = 0; // fraction of the plan; goals and the root only
    qint64 completion = kNoDate; // Completion_Date as naive seconds (MemberCalendar), or none
    int depth = 0; // Tree_Depth
    int source = -1; // index into SnapshotInput goals, tasks or assignments
    int parentRow = -1; // row of the owning goal, task or root; -1 for the root
    // GT_Path: index into SnapshotRows::paths, -1 when not written. An assignment row
    // holds its task's path: its own adds the task's name as it is written.
    int path = -1;
    // Completion_Order as its place among the snapshot's keys (OrderKeys::order):
    // rows compare and tie as their keys do.
    int order = 0;
    int compOrder = 0; // CompOrderObj; 0 when not numbered
    Kind kind = Kind::Root;
    qint8 calc = -1; // Calc: 1, 0, or -1 for not written (the root)

    QString statusText() const { return status ? *status : QString(); }
    QString memberText() const { return member ? *member : QString(); }
    bool isOpen() const { return status && *status == QLatin1String("Open"); }
    // No status at all: the root (or a goal another tool left without one).
    bool lacksStatus() const { return !status || status->isNull(); }
};
// The budget a very large snapshot's memory was sized for.
static_assert(sizeof(SnapshotRow) <= 112, "a snapshot row grew");

// The rows of one snapshot with the texts they share: the paths of the goal levels
// and the order keys.
struct SnapshotRows
{
    std::vector<SnapshotRow> rows;
    std::vector<SnapshotPath> paths;
    OrderKeys keys;
};
