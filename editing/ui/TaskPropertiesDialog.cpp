#include "editing/ui/TaskPropertiesDialog.h"

#include "common/Stamp.h"
#include "common/ui/MessageBoxPrompter.h"
#include "editing/TaskEditor.h"
#include "editing/Vocabulary.h"
#include "editing/ui/DialogFields.h"
#include "editing/ui/FieldText.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

TaskPropertiesDialog::TaskPropertiesDialog(QWidget* parent)
    : PropertiesDialog(parent, QStringLiteral("frmPropertiesTask"))
{
    m_type = DialogFields::dropDown(this, QStringLiteral("OBJECT_TYPE"), Vocabulary::taskKinds());
    m_name = DialogFields::line(this, QStringLiteral("SHORT_NAME"));
    m_priority = DialogFields::editableDropDown(this, QStringLiteral("PRIORITY"), Vocabulary::priorityChoices());
    m_status = DialogFields::dropDown(this, QStringLiteral("STATUS"), Vocabulary::statusValues());
    m_description = DialogFields::text(this, QStringLiteral("DESCRIPTION"));
    m_days = DialogFields::line(this, QStringLiteral("DAYSPLANNED"));
    m_created = DialogFields::display(this, QStringLiteral("CREATED"));
    m_lastEdited = DialogFields::display(this, QStringLiteral("LAST_EDITED"));
    m_id = DialogFields::hidden(this, QStringLiteral("ID"));
    m_goal = DialogFields::hidden(this, QStringLiteral("FK_ID"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Type:"), m_type);
    form->addRow(QStringLiteral("Name:"), m_name);
    form->addRow(QStringLiteral("Priority:"), m_priority);
    form->addRow(QStringLiteral("Status:"), m_status);
    form->addRow(QStringLiteral("Description:"), m_description);
    form->addRow(QStringLiteral("Days Planned:"), m_days);
    form->addRow(QStringLiteral("Created:"), m_created);
    form->addRow(QStringLiteral("Last Edited:"), m_lastEdited);
    finishLayout(form);
    resize(420, 380);
}

TaskPropertiesDialog::~TaskPropertiesDialog() = default;

void TaskPropertiesDialog::clearFields()
{
    for (QComboBox* box : {m_type, m_priority, m_status}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    for (QLineEdit* line : {m_name, m_days, m_created, m_lastEdited, m_id, m_goal}) {
        line->clear();
    }
    m_description->clear();
}

void TaskPropertiesDialog::prepareAdd(const QString& connection, qint64 goalId)
{
    begin(connection);
    m_adding = true;
    m_stored = TaskProperties();
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
    if (!TaskEditor::load(connection, taskId, &m_stored, &error)) {
        showError(error);
        return false;
    }
    clearFields();
    DialogFields::select(m_type, m_stored.objectType);
    m_name->setText(m_stored.shortName);
    m_priority->setEditText(QString::number(m_stored.priority));
    DialogFields::select(m_status, m_stored.status);
    m_description->setPlainText(m_stored.description.value_or(QString()));
    m_days->setText(fieldText(m_stored.daysPlanned));
    m_created->setText(Stamp::toDisplay(m_stored.created));
    m_lastEdited->setText(Stamp::toDisplay(m_stored.lastEdited));
    m_id->setText(QString::number(m_stored.id));
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

void TaskPropertiesDialog::onOk()
{
    if (auto problem = PropertiesValidation::taskBeforeStatusCheck(fields())) {
        showProblem(*problem);
        return;
    }
    MessageBoxPrompter prompter(this);
    if (!m_adding) {
        StatusChangeCheck::Verdict verdict;
        QString error;
        if (!TaskEditor::checkStatusChange(
                connection(), m_stored, m_status->currentText(), prompter, &verdict, &error)) {
            showError(error);
            return;
        }
        DialogFields::select(m_status, verdict.selection);
        if (!verdict.pass) {
            return;
        }
    }
    if (auto problem = PropertiesValidation::taskAfterStatusCheck(fields(), m_adding)) {
        showProblem(*problem);
        return;
    }
    TaskProperties edited = m_stored;
    edited.objectType = m_type->currentText();
    edited.shortName = m_name->text();
    edited.priority = *PropertiesValidation::priority(m_priority->currentText());
    edited.status = m_status->currentText();
    edited.description = m_description->toPlainText();
    edited.daysPlanned = *PropertiesValidation::number(m_days->text());
    finish(m_adding ? TaskEditor::add(connection(), edited, prompter, clock())
                    : TaskEditor::saveChanges(connection(), m_stored, edited, prompter, clock()));
}
