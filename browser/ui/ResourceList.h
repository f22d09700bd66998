#pragma once

#include "browser/ui/TaskDetailList.h"

// The resource list "lvResource": the members assigned to the task chosen in the
// task list (tag "R", text = the member's name) and the totals row (tag "W").
// UI thread only.
class ResourceList : public TaskDetailList
{
    Q_OBJECT

public:
    explicit ResourceList(QWidget* parent = nullptr);

    // Shows the assignments of task `taskId` and their totals (see fillForTask).
    void FillResourceList(std::optional<qint64> taskId);

    static bool isAssignmentRow(const QTreeWidgetItem* item);
    static bool isTotalsRow(const QTreeWidgetItem* item);
    // The member of the selected assignment row; empty otherwise.
    QString selectedMember() const;
};
