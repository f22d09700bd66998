#include "browser/ui/TaskDetailList.h"

#include "browser/ui/TaskList.h"
#include "common/ui/MessageBox.h"

TaskDetailList::TaskDetailList(const QString& objectName, const QList<Column>& columns, QWidget* parent)
    : ListPane(objectName, columns, parent)
{
}

void TaskDetailList::fillForTask(const TaskList& tasks, int itemIndex, RowReader read)
{
    if (isHidden()) {
        return;
    }
    clear();
    if (tasks.selectedCount() > 1) {
        return;
    }
    const QTreeWidgetItem* taskRow = tasks.row(itemIndex);
    if (!TaskList::isTaskRow(taskRow)) {
        return;
    }
    QList<ListRow> rows;
    QString error;
    const bool ok = read(m_connection, *TaskList::rowId(taskRow), &rows, &error);
    showRows(rows);
    if (!ok) {
        MessageBox::error(this, error);
    }
}
