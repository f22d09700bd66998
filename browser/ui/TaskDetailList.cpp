#include "browser/ui/TaskDetailList.h"

#include "common/ui/MessageBox.h"

TaskDetailList::TaskDetailList(const QString& objectName, const QList<Column>& columns, QWidget* parent)
    : ListPane(objectName, columns, parent)
{
}

void TaskDetailList::fillForTask(std::optional<qint64> taskId, RowReader read)
{
    if (isHidden()) {
        return;
    }
    clear();
    if (!taskId) {
        return;
    }
    QList<ListRow> rows;
    QString error;
    const bool ok = read(m_connection, *taskId, &rows, &error);
    showRows(rows);
    if (!ok) {
        MessageBox::error(this, error);
    }
}
