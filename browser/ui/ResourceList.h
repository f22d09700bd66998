#pragma once

#include "browser/ui/ListPane.h"

class TaskList;

// The resource list "lvResource": the members assigned to the task chosen in the
// task list (tag "R", text = the member's name) and the totals row (tag "W").
// UI thread only.
class ResourceList : public ListPane
{
    Q_OBJECT

public:
    explicit ResourceList(QWidget* parent = nullptr);

    void setConnection(const QString& connection) { m_connection = connection; }

    // Refills the list for row `itemIndex` of `tasks`: empty unless that row is a
    // task row. A hidden list is left as it is. Errors go to the error box.
    void FillResourceList(const TaskList& tasks, int itemIndex);

    static bool isAssignmentRow(const QTreeWidgetItem* item);
    static bool isTotalsRow(const QTreeWidgetItem* item);
    // The member of the selected assignment row; empty otherwise.
    QString selectedMember() const;

private:
    QString m_connection;
};
