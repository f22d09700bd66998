#pragma once

#include "browser/ListRow.h"

#include <QList>
#include <QString>

// The rows of the resource list "lvResource" for one task: one row per assigned
// member (tag "R", text = the member's name), then the bold totals row (tag "W").
// No rows at all for a task without assignments. Display-free.
class ResourceListRows
{
public:
    // Columns: the member, "% Workload", "% done", "% Total Workload Done",
    // "Days Needed", "Estimated Days Needed", "Schedule +/-".
    static constexpr int kColumns = 7;
    static constexpr int kWorkloadColumn = 1;
    static constexpr int kScheduleColumn = 6;

    // On a database error returns false with *error; *rows then holds the rows
    // built before it.
    static bool build(const QString& connection, qint64 taskId, QList<ListRow>* rows, QString* error);
};
