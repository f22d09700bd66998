#pragma once

#include "editing/EditingRecords.h"
#include "editing/ui/PropertiesDialog.h"

#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// "frmPropertiesGoal": adds a goal or application under a goal (or at the top)
// and edits an existing one. OK validates, checks the selected status against the
// sub-objects (edit only), then saves in one transaction with the status walk.
// The opener refreshes the tree and the task list from outcome(): id, type, name,
// status and parentId of the saved goal, and the goals whose status the walk changed.
class GoalPropertiesDialog : public PropertiesDialog
{
    Q_OBJECT

public:
    explicit GoalPropertiesDialog(QWidget* parent = nullptr);
    ~GoalPropertiesDialog() override;

    // Prepare the fields without showing the dialog (tests show it themselves).
    // prepareEdit shows the error box and returns false when the goal cannot be read.
    void prepareAdd(const QString& connection, std::optional<qint64> parentId);
    bool prepareEdit(const QString& connection, qint64 goalId);

    // Prepare and show modally; true when OK saved something.
    bool openForAdd(const QString& connection, std::optional<qint64> parentId);
    bool openForEdit(const QString& connection, qint64 goalId);

protected:
    void onOk() override;

private:
    void clearFields();
    void loadMembers();
    PropertiesValidation::GoalFields fields() const;

    bool m_adding = true;
    GoalProperties m_stored;
    QComboBox* m_type;
    QLineEdit* m_name;
    QComboBox* m_priority;
    QComboBox* m_status;
    QPlainTextEdit* m_description;
    QComboBox* m_member;
    QLineEdit* m_created;
    QLineEdit* m_lastEdited;
    QLineEdit* m_id;
    QLineEdit* m_parent;
};
