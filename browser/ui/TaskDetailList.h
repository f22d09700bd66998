#pragma once

#include "browser/ui/ListPane.h"

#include <optional>

// A list that shows what hangs below the task chosen in the task list (its
// assignments or its notes), read through the file's connection. UI thread only.
class TaskDetailList : public ListPane
{
    Q_OBJECT

public:
    void setConnection(const QString& connection) { m_connection = connection; }

protected:
    // Reads the rows of one task; false with *error when they cannot be read.
    using RowReader = bool (*)(const QString& connection, qint64 taskId, QList<ListRow>* rows, QString* error);

    TaskDetailList(const QString& objectName, const QList<Column>& columns, QWidget* parent);

    // Refills the list for task `taskId`; no task leaves it empty. A hidden list
    // is left as it is. Errors go to the error box.
    void fillForTask(std::optional<qint64> taskId, RowReader read);

private:
    QString m_connection;
};
