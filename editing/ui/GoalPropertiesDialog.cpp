#include "editing/ui/GoalPropertiesDialog.h"

#include "common/Stamp.h"
#include "common/ui/MessageBoxPrompter.h"
#include "editing/GoalEditor.h"
#include "editing/MemberNames.h"
#include "editing/Vocabulary.h"
#include "editing/ui/DialogFields.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

GoalPropertiesDialog::GoalPropertiesDialog(QWidget* parent)
    : PropertiesDialog(parent, QStringLiteral("frmPropertiesGoal"))
{
    m_type = DialogFields::dropDown(this, QStringLiteral("OBJECT_TYPE"), Vocabulary::goalKinds());
    m_name = DialogFields::line(this, QStringLiteral("SHORT_NAME"));
    m_priority = DialogFields::editableDropDown(this, QStringLiteral("PRIORITY"), Vocabulary::priorityChoices());
    m_status = DialogFields::dropDown(this, QStringLiteral("STATUS"), Vocabulary::statusValues());
    m_description = DialogFields::text(this, QStringLiteral("DESCRIPTION"));
    m_member = DialogFields::dropDown(this, QStringLiteral("DEFAULT_RESOURCE"), {});
    m_created = DialogFields::display(this, QStringLiteral("CREATED"));
    m_lastEdited = DialogFields::display(this, QStringLiteral("LAST_EDITED"));
    m_id = DialogFields::hidden(this, QStringLiteral("ID"));
    m_parent = DialogFields::hidden(this, QStringLiteral("P_GID"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Type:"), m_type);
    form->addRow(QStringLiteral("Name:"), m_name);
    form->addRow(QStringLiteral("Priority:"), m_priority);
    form->addRow(QStringLiteral("Status:"), m_status);
    form->addRow(QStringLiteral("Description:"), m_description);
    form->addRow(QStringLiteral("Default Resource:"), m_member);
    form->addRow(QStringLiteral("Created:"), m_created);
    form->addRow(QStringLiteral("Last Edited:"), m_lastEdited);
    finishLayout(form);
    resize(420, 380);
}

GoalPropertiesDialog::~GoalPropertiesDialog() = default;

void GoalPropertiesDialog::clearFields()
{
    for (QComboBox* box : {m_type, m_priority, m_status, m_member}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    for (QLineEdit* line : {m_name, m_created, m_lastEdited, m_id, m_parent}) {
        line->clear();
    }
    m_description->clear();
}

void GoalPropertiesDialog::loadMembers()
{
    QStringList names;
    QString ignored; // a list that cannot be read stays empty, as any load step
    MemberNames::all(connection(), &names, &ignored);
    m_member->clear();
    m_member->addItems(names);
}

void GoalPropertiesDialog::prepareAdd(const QString& connection, std::optional<qint64> parentId)
{
    begin(connection);
    m_adding = true;
    m_stored = GoalProperties();
    m_stored.parentId = parentId;
    loadMembers();
    clearFields();
    if (parentId) {
        m_parent->setText(QString::number(*parentId));
    }
    m_name->setFocus();
}

bool GoalPropertiesDialog::prepareEdit(const QString& connection, qint64 goalId)
{
    begin(connection);
    m_adding = false;
    QString error;
    if (!GoalEditor::load(connection, goalId, &m_stored, &error)) {
        showError(error);
        return false;
    }
    loadMembers();
    clearFields();
    DialogFields::select(m_type, m_stored.objectType);
    m_name->setText(m_stored.shortName);
    m_priority->setEditText(QString::number(m_stored.priority));
    DialogFields::select(m_status, m_stored.status);
    m_description->setPlainText(m_stored.description.value_or(QString()));
    DialogFields::select(m_member, m_stored.defaultResource.value_or(QString()));
    m_created->setText(Stamp::toDisplay(m_stored.created));
    m_lastEdited->setText(Stamp::toDisplay(m_stored.lastEdited));
    m_id->setText(QString::number(m_stored.id));
    m_parent->setText(m_stored.parentId ? QString::number(*m_stored.parentId) : QString());
    m_name->setFocus();
    return true;
}

bool GoalPropertiesDialog::openForAdd(const QString& connection, std::optional<qint64> parentId)
{
    prepareAdd(connection, parentId);
    return run();
}

bool GoalPropertiesDialog::openForEdit(const QString& connection, qint64 goalId)
{
    return prepareEdit(connection, goalId) && run();
}

PropertiesValidation::GoalFields GoalPropertiesDialog::fields() const
{
    return {m_type->currentText(),
            m_name->text(),
            m_priority->currentText(),
            m_status->currentText(),
            m_member->currentText()};
}

void GoalPropertiesDialog::onOk()
{
    if (auto problem = PropertiesValidation::goalBeforeStatusCheck(fields())) {
        showProblem(*problem);
        return;
    }
    MessageBoxPrompter prompter(this);
    if (!m_adding) {
        StatusChangeCheck::Verdict verdict;
        QString error;
        if (!GoalEditor::checkStatusChange(
                connection(), m_stored, m_status->currentText(), prompter, &verdict, &error)) {
            showError(error);
            return;
        }
        DialogFields::select(m_status, verdict.selection);
        if (!verdict.pass) {
            return;
        }
    }
    if (auto problem = PropertiesValidation::goalAfterStatusCheck(fields())) {
        showProblem(*problem);
        return;
    }
    GoalProperties edited = m_stored;
    edited.objectType = m_type->currentText();
    edited.shortName = m_name->text();
    edited.priority = *PropertiesValidation::priority(m_priority->currentText());
    edited.status = m_status->currentText();
    edited.description = m_description->toPlainText();
    edited.defaultResource = m_member->currentText();
    finish(m_adding ? GoalEditor::add(connection(), edited, prompter, clock())
                    : GoalEditor::saveChanges(connection(), m_stored, edited, prompter, clock()));
}
