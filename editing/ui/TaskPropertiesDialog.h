#pragma once

#include "db/ProjectRecords.h"
#include "editing/ui/ObjectPropertiesDialog.h"

// "frmPropertiesTask": adds a task or software object under a goal (with the
// goal's default member carrying the whole workload) and edits an existing one.
// The opener then refills the task list, selects the task row outcome().id again
// (a plain row, never a bold goal row) and refills its assignment and note lists.
class TaskPropertiesDialog : public ObjectPropertiesDialog
{
    Q_OBJECT

public:
    explicit TaskPropertiesDialog(QWidget* parent = nullptr);
    ~TaskPropertiesDialog() override;

    void prepareAdd(const QString& connection, qint64 goalId);
    bool prepareEdit(const QString& connection, qint64 taskId);
    bool openForAdd(const QString& connection, qint64 goalId);
    bool openForEdit(const QString& connection, qint64 taskId);

protected:
    void onOk() override;
    bool reload() override;
    bool checkStatusChange(const QString& selected,
                           Prompter& prompter,
                           StatusChangeCheck::Verdict* verdict,
                           QString* error) override;

private:
    void clearFields();
    PropertiesValidation::TaskFields fields() const;

    TaskRecord m_stored;
    QLineEdit* m_days;
    QLineEdit* m_goal;
};
