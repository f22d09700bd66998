#include "editing/ui/TaskPropertiesDialog.h"

#include "common/ui/MessageBoxPrompter.h"
#include "editing/TaskEditor.h"
#include "editing/Vocabulary.h"
#include "editing/ui/FieldText.h"

TaskPropertiesDialog::TaskPropertiesDialog(QWidget* parent)
    : ObjectPropertiesDialog(parent, QStringLiteral("frmPropertiesTask"))
{
    addLeadingFields(Vocabulary::taskKinds());
    m_days = DialogFields::line(this, QStringLiteral("DAYSPLANNED"));
    m_goal = addTrailingFields(QStringLiteral("Days Planned:"), m_days, QStringLiteral("FK_ID"));
}

TaskPropertiesDialog::~TaskPropertiesDialog() = default;

void TaskPropertiesDialog::clearFields()
{
    clearSharedFields();
    m_days->clear();
    m_goal->clear();
}

void TaskPropertiesDialog::prepareAdd(const QString& connection, qint64 goalId)
{
    begin(connection);
    m_adding = true;
    m_stored = TaskRecord();
    m_stored.goalId = goalId;
    clearFields();
    m_goal->setText(QString::number(goalId));
    m_name->setFocus();
}

bool TaskPropertiesDialog::prepareEdit(const QString& connection, qint64 taskId)
{
    begin(connection);
    m_adding = false;
    QString error;
    if (!TaskEditor::load(connection, taskId, &m_stored, &m_loaded, &error)) {
        showError(error);
        return false;
    }
    clearFields();
    showShared(m_stored);
    m_days->setText(fieldText(m_stored.daysPlanned));
    m_goal->setText(QString::number(m_stored.goalId));
    m_name->setFocus();
    return true;
}

bool TaskPropertiesDialog::openForAdd(const QString& connection, qint64 goalId)
{
    prepareAdd(connection, goalId);
    return run();
}

bool TaskPropertiesDialog::openForEdit(const QString& connection, qint64 taskId)
{
    return prepareEdit(connection, taskId) && run();
}

PropertiesValidation::TaskFields TaskPropertiesDialog::fields() const
{
    return {m_type->currentText(), m_name->text(), m_priority->currentText(), m_status->currentText(), m_days->text()};
}

bool TaskPropertiesDialog::checkStatusChange(const QString& selected,
                                             Prompter& prompter,
                                             StatusChangeCheck::Verdict* verdict,
                                             QString* error)
{
    return TaskEditor::checkStatusChange(connection(), m_stored, selected, prompter, verdict, error);
}

void TaskPropertiesDialog::onOk()
{
    if (auto problem = PropertiesValidation::taskBeforeStatusCheck(fields())) {
        showProblem(*problem);
        return;
    }
    MessageBoxPrompter prompter(this);
    if (!statusChangeAccepted(prompter)) {
        return;
    }
    if (auto problem = PropertiesValidation::taskAfterStatusCheck(fields(), m_adding)) {
        showProblem(*problem);
        return;
    }
    TaskRecord edited = m_stored;
    readShared(&edited);
    edited.daysPlanned = *PropertiesValidation::number(m_days->text());
    finish(m_adding ? TaskEditor::add(connection(), edited, prompter, clock())
                    : TaskEditor::saveChanges(connection(), m_loaded, m_stored, edited, prompter, clock()));
}

bool TaskPropertiesDialog::reload()
{
    // A copy: preparing afresh replaces the stored row the keys come from.
    const auto stored = m_stored;
    return prepareEdit(connection(), stored.id);
}
