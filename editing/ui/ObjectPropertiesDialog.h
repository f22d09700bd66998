#pragma once

#include "common/Stamp.h"
#include "editing/StatusChangeCheck.h"
#include "editing/ui/DialogFields.h"
#include "editing/ui/PropertiesDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

class Prompter;

// What the goal and the task dialogs share: type, name, priority, status and
// description at the top of the form, the stamps and the hidden keys below, and
// on OK the check of a changed status against what the object holds. UI thread only.
class ObjectPropertiesDialog : public PropertiesDialog
{
    Q_OBJECT

public:
    ~ObjectPropertiesDialog() override;

protected:
    ObjectPropertiesDialog(QWidget* parent, const QString& objectName);

    // The fields above the one field the object has of its own.
    void addLeadingFields(const QStringList& kinds);
    // Created, last edited and the hidden ID and parent key (returned), then the
    // form with `own` below the description.
    QLineEdit* addTrailingFields(const QString& ownLabel, QWidget* own, const QString& parentColumn);
    // Empties the fields the two dialogs share.
    void clearSharedFields();

    // Shows the stored values of the shared fields.
    template <typename Properties>
    void showShared(const Properties& stored)
    {
        DialogFields::select(m_type, stored.objectType);
        m_name->setText(stored.shortName);
        m_priority->setEditText(QString::number(stored.priority));
        DialogFields::select(m_status, stored.status);
        m_description->setPlainText(stored.description.value_or(QString()));
        m_created->setText(Stamp::toDisplay(stored.created));
        m_lastEdited->setText(Stamp::toDisplay(stored.lastEdited.value_or(QString())));
        m_id->setText(QString::number(stored.id));
    }

    // Copies the shared fields into `edited`; the priority must have passed validation.
    template <typename Properties>
    void readShared(Properties* edited) const
    {
        edited->objectType = m_type->currentText();
        edited->shortName = PropertiesValidation::name(m_name->text());
        edited->priority = *PropertiesValidation::priority(m_priority->currentText());
        edited->status = m_status->currentText();
        edited->description = m_description->toPlainText();
    }

    // When editing, checks the selected status against the stored object and shows
    // the verdict's selection; false when the save must not go on.
    bool statusChangeAccepted(Prompter& prompter);
    virtual bool checkStatusChange(const QString& selected,
                                   Prompter& prompter,
                                   StatusChangeCheck::Verdict* verdict,
                                   QString* error) = 0;

    bool m_adding = true;
    QComboBox* m_type = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_priority = nullptr;
    QComboBox* m_status = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLineEdit* m_created = nullptr;
    QLineEdit* m_lastEdited = nullptr;
    QLineEdit* m_id = nullptr;
};
