#include "editing/ui/AssignmentPropertiesDialog.h"

#include "common/ui/MessageBoxPrompter.h"
#include "editing/AssignmentEditor.h"
#include "editing/ui/DialogFields.h"
#include "editing/ui/FieldText.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

AssignmentPropertiesDialog::AssignmentPropertiesDialog(QWidget* parent)
    : PropertiesDialog(parent, QStringLiteral("frmPropertiesRes"))
{
    m_member = DialogFields::dropDown(this, QStringLiteral("FK_R_NAME"), {});
    m_workload = DialogFields::line(this, QStringLiteral("PER_WORKLOAD"));
    m_completed = DialogFields::line(this, QStringLiteral("PER_COMPLETED"));
    m_days = DialogFields::line(this, QStringLiteral("DAYS_NEEDED"));
    m_task = DialogFields::hidden(this, QStringLiteral("FK_TASKID"));
    for (QLineEdit* number : {m_workload, m_completed, m_days}) {
        number->setMaximumWidth(70);
    }

    // Three lines: the member; the share of the workload; progress and its days.
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Resource:"), this), 0, 0);
    grid->addWidget(m_member, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("% of total workload:"), this), 1, 0);
    grid->addWidget(m_workload, 1, 1, Qt::AlignLeft);
    auto* progress = new QHBoxLayout;
    progress->addWidget(m_completed);
    progress->addWidget(new QLabel(QStringLiteral("% completed in"), this));
    progress->addWidget(m_days);
    progress->addWidget(new QLabel(QStringLiteral("days"), this));
    progress->addStretch(1);
    grid->addLayout(progress, 2, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    finishLayout(grid);
    resize(360, 150);
}

AssignmentPropertiesDialog::~AssignmentPropertiesDialog() = default;

void AssignmentPropertiesDialog::clearFields()
{
    DialogFields::loadMembers(m_member, connection());
    m_member->setCurrentIndex(-1);
    for (QLineEdit* line : {m_workload, m_completed, m_days, m_task}) {
        line->clear();
    }
}

void AssignmentPropertiesDialog::prepareAdd(const QString& connection, qint64 taskId)
{
    begin(connection);
    m_adding = true;
    m_stored = AssignmentRecord();
    m_stored.taskId = taskId;
    clearFields();
    m_task->setText(QString::number(taskId));
    m_member->setFocus();
}

bool AssignmentPropertiesDialog::prepareEdit(const QString& connection, qint64 taskId, const QString& member)
{
    begin(connection);
    m_adding = false;
    QString error;
    if (!AssignmentEditor::load(connection, taskId, member, &m_stored, &m_loaded, &error)) {
        showError(error);
        return false;
    }
    clearFields();
    DialogFields::select(m_member, m_stored.member);
    m_workload->setText(fieldText(m_stored.perWorkload));
    m_completed->setText(fieldText(m_stored.perCompleted));
    m_days->setText(fieldText(m_stored.daysNeeded));
    m_task->setText(QString::number(m_stored.taskId));
    m_member->setFocus();
    return true;
}

bool AssignmentPropertiesDialog::openForAdd(const QString& connection, qint64 taskId)
{
    prepareAdd(connection, taskId);
    return run();
}

bool AssignmentPropertiesDialog::openForEdit(const QString& connection, qint64 taskId, const QString& member)
{
    return prepareEdit(connection, taskId, member) && run();
}

void AssignmentPropertiesDialog::onOk()
{
    PropertiesValidation::AssignmentFields f{
        m_member->currentText(), m_workload->text(), m_completed->text(), m_days->text()};
    const auto problem = PropertiesValidation::assignment(f);
    // Empty numbers were filled with "0"; the fields show it.
    m_workload->setText(f.perWorkload);
    m_completed->setText(f.perCompleted);
    m_days->setText(f.daysNeeded);
    if (problem) {
        showProblem(*problem);
        return;
    }
    AssignmentRecord edited = m_stored;
    edited.member = f.member;
    edited.perWorkload = *PropertiesValidation::number(f.perWorkload);
    edited.perCompleted = *PropertiesValidation::number(f.perCompleted);
    edited.daysNeeded = *PropertiesValidation::number(f.daysNeeded);
    MessageBoxPrompter prompter(this);
    finish(m_adding ? AssignmentEditor::add(connection(), edited, prompter)
                    : AssignmentEditor::saveChanges(connection(), m_loaded, m_stored, edited, prompter));
}

bool AssignmentPropertiesDialog::reload()
{
    // A copy: preparing afresh replaces the stored row the keys come from.
    const auto stored = m_stored;
    return prepareEdit(connection(), stored.taskId, stored.member);
}
