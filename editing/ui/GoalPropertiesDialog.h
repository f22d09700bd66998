#pragma once

#include "db/ProjectRecords.h"
#include "editing/ui/ObjectPropertiesDialog.h"

#include <optional>

// "frmPropertiesGoal": adds a goal or application under a goal (or at the top)
// and edits an existing one. OK validates, checks the selected status against the
// sub-objects (edit only), then saves in one transaction with the status walk.
// The opener refreshes the tree and the task list from outcome(): id, type, name,
// status and parentId of the saved goal, and the goals whose status the walk changed.
class GoalPropertiesDialog : public ObjectPropertiesDialog
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
    bool reload() override;
    bool checkStatusChange(const QString& selected,
                           Prompter& prompter,
                           StatusChangeCheck::Verdict* verdict,
                           QString* error) override;

private:
    void clearFields();
    PropertiesValidation::GoalFields fields() const;

    GoalRecord m_stored;
    QComboBox* m_member;
    QLineEdit* m_parent;
};
