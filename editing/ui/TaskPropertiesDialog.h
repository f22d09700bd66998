#pragma once

#include "editing/EditingRecords.h"
#include "editing/ui/PropertiesDialog.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// "frmPropertiesTask": adds a task or software object under a goal (with the
// goal's default member carrying the whole workload) and edits an existing one.
// The opener then refills the task list, selects the task row outcome().id again
// (a plain row, never a bold goal row) and refills its assignment and note lists.
class TaskPropertiesDialog : public PropertiesDialog
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

private:
    void clearFields();
    PropertiesValidation::TaskFields fields() const;

    bool m_adding = true;
    TaskProperties m_stored;
    QComboBox* m_type;
    QLineEdit* m_name;
    QComboBox* m_priority;
    QComboBox* m_status;
    QPlainTextEdit* m_description;
    QLineEdit* m_days;
    QLineEdit* m_created;
    QLineEdit* m_lastEdited;
    QLineEdit* m_id;
    QLineEdit* m_goal;
};
