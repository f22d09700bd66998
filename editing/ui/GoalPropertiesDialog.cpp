#include "editing/ui/GoalPropertiesDialog.h"

#include "common/ui/MessageBoxPrompter.h"
#include "editing/GoalEditor.h"
#include "editing/Vocabulary.h"

GoalPropertiesDialog::GoalPropertiesDialog(QWidget* parent)
    : ObjectPropertiesDialog(parent, QStringLiteral("frmPropertiesGoal"))
{
    addLeadingFields(Vocabulary::goalKinds());
    m_member = DialogFields::dropDown(this, QStringLiteral("DEFAULT_RESOURCE"), {});
    m_parent = addTrailingFields(QStringLiteral("Default Resource:"), m_member, QStringLiteral("P_GID"));
}

GoalPropertiesDialog::~GoalPropertiesDialog() = default;

void GoalPropertiesDialog::clearFields()
{
    clearSharedFields();
    m_member->setCurrentIndex(-1);
    m_member->setEditText(QString());
    m_parent->clear();
}

void GoalPropertiesDialog::prepareAdd(const QString& connection, std::optional<qint64> parentId)
{
    begin(connection);
    m_adding = true;
    m_stored = GoalRecord();
    m_stored.parentId = parentId;
    DialogFields::loadMembers(m_member, connection);
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
    if (!GoalEditor::load(connection, goalId, &m_stored, &m_loaded, &error)) {
        showError(error);
        return false;
    }
    DialogFields::loadMembers(m_member, connection);
    clearFields();
    showShared(m_stored);
    DialogFields::select(m_member, m_stored.defaultResource.value_or(QString()));
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

bool GoalPropertiesDialog::checkStatusChange(const QString& selected,
                                             Prompter& prompter,
                                             StatusChangeCheck::Verdict* verdict,
                                             QString* error)
{
    return GoalEditor::checkStatusChange(connection(), m_stored, selected, prompter, verdict, error);
}

void GoalPropertiesDialog::onOk()
{
    if (auto problem = PropertiesValidation::goalBeforeStatusCheck(fields())) {
        showProblem(*problem);
        return;
    }
    MessageBoxPrompter prompter(this);
    if (!statusChangeAccepted(prompter)) {
        return;
    }
    if (auto problem = PropertiesValidation::goalAfterStatusCheck(fields())) {
        showProblem(*problem);
        return;
    }
    GoalRecord edited = m_stored;
    readShared(&edited);
    edited.defaultResource = m_member->currentText();
    finish(m_adding ? GoalEditor::add(connection(), edited, prompter, clock())
                    : GoalEditor::saveChanges(connection(), m_loaded, m_stored, edited, prompter, clock()));
}

bool GoalPropertiesDialog::reload()
{
    // A copy: preparing afresh replaces the stored row the keys come from.
    const auto stored = m_stored;
    return prepareEdit(connection(), stored.id);
}
