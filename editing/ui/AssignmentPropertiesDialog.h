#pragma once

#include "db/ProjectRecords.h"
#include "editing/ui/PropertiesDialog.h"

class QComboBox;
class QLineEdit;

// "frmPropertiesRes": assigns a team member to a task or edits an assignment.
// After a save the task's status follows its assignments and the goals above are
// walked (outcome().statusChanges); the opener refills the task list, selects the
// task row outcome().id again and refills its assignment and note lists.
class AssignmentPropertiesDialog : public PropertiesDialog
{
    Q_OBJECT

public:
    explicit AssignmentPropertiesDialog(QWidget* parent = nullptr);
    ~AssignmentPropertiesDialog() override;

    void prepareAdd(const QString& connection, qint64 taskId);
    bool prepareEdit(const QString& connection, qint64 taskId, const QString& member);
    bool openForAdd(const QString& connection, qint64 taskId);
    bool openForEdit(const QString& connection, qint64 taskId, const QString& member);

protected:
    void onOk() override;
    bool reload() override;

private:
    void clearFields();

    bool m_adding = true;
    AssignmentRecord m_stored;
    QComboBox* m_member;
    QLineEdit* m_workload;
    QLineEdit* m_completed;
    QLineEdit* m_days;
    QLineEdit* m_task;
};
