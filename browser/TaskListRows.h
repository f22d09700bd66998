#pragma once

#include "browser/ListRow.h"

#include <QList>
#include <QString>
#include <optional>

// The rows of the task list "lvTask" for one node of the goal tree: its
// sub-goals (bold, rolled up over their subtrees), its own tasks (none at the
// root), then the bold summary row. Display-free; UI thread or command line.
class TaskListRows
{
public:
    // Columns: the row's text, "Priority", "Days Planned", "% done", "Days Needed",
    // "Estimated Days Needed", "Schedule +/-".
    static constexpr int kColumns = 7;
    static constexpr int kScheduleColumn = 6;

    // `goalId` empty means the root. On a database error returns false with
    // *error; *rows then holds the rows built before it. When only the roll-up
    // fails, every row is there and the rolled-up cells are empty.
    static bool build(const QString& connection, std::optional<qint64> goalId, QList<ListRow>* rows, QString* error);
};
