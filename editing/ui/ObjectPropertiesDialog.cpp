#include "editing/ui/ObjectPropertiesDialog.h"

#include "editing/Vocabulary.h"

#include <QFormLayout>

ObjectPropertiesDialog::ObjectPropertiesDialog(QWidget* parent, const QString& objectName)
    : PropertiesDialog(parent, objectName)
{
}

ObjectPropertiesDialog::~ObjectPropertiesDialog() = default;

void ObjectPropertiesDialog::addLeadingFields(const QStringList& kinds)
{
    m_type = DialogFields::dropDown(this, QStringLiteral("OBJECT_TYPE"), kinds);
    m_name = DialogFields::line(this, QStringLiteral("SHORT_NAME"));
    m_priority = DialogFields::editableDropDown(this, QStringLiteral("PRIORITY"), Vocabulary::priorityChoices());
    m_status = DialogFields::dropDown(this, QStringLiteral("STATUS"), Vocabulary::statusValues());
    m_description = DialogFields::text(this, QStringLiteral("DESCRIPTION"));
}

QLineEdit* ObjectPropertiesDialog::addTrailingFields(const QString& ownLabel, QWidget* own, const QString& parentColumn)
{
    m_created = DialogFields::display(this, QStringLiteral("CREATED"));
    m_lastEdited = DialogFields::display(this, QStringLiteral("LAST_EDITED"));
    m_id = DialogFields::hidden(this, QStringLiteral("ID"));
    QLineEdit* parentKey = DialogFields::hidden(this, parentColumn);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Type:"), m_type);
    form->addRow(QStringLiteral("Name:"), m_name);
    form->addRow(QStringLiteral("Priority:"), m_priority);
    form->addRow(QStringLiteral("Status:"), m_status);
    form->addRow(QStringLiteral("Description:"), m_description);
    form->addRow(ownLabel, own);
    form->addRow(QStringLiteral("Created:"), m_created);
    form->addRow(QStringLiteral("Last Edited:"), m_lastEdited);
    finishLayout(form);
    resize(420, 380);
    return parentKey;
}

void ObjectPropertiesDialog::clearSharedFields()
{
    for (QComboBox* box : {m_type, m_priority, m_status}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
    for (QLineEdit* line : {m_name, m_created, m_lastEdited, m_id}) {
        line->clear();
    }
    m_description->clear();
}

bool ObjectPropertiesDialog::statusChangeAccepted(Prompter& prompter)
{
    if (m_adding) {
        return true;
    }
    StatusChangeCheck::Verdict verdict;
    QString error;
    if (!checkStatusChange(m_status->currentText(), prompter, &verdict, &error)) {
        showError(error);
        return false;
    }
    DialogFields::select(m_status, verdict.selection);
    return verdict.pass;
}
