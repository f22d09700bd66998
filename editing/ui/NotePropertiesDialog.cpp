#include "editing/ui/NotePropertiesDialog.h"

#include "common/Stamp.h"
#include "editing/NoteEditor.h"
#include "editing/ui/DialogFields.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

NotePropertiesDialog::NotePropertiesDialog(QWidget* parent)
    : PropertiesDialog(parent, QStringLiteral("frmPropertiesNote"))
{
    m_notes = DialogFields::text(this, QStringLiteral("NOTES"));
    m_timestamp = DialogFields::display(this, QStringLiteral("TIMESTAMP"));
    m_id = DialogFields::hidden(this, QStringLiteral("NID"));
    m_task = DialogFields::hidden(this, QStringLiteral("TASKID"));

    auto* column = new QVBoxLayout;
    column->addWidget(m_notes, 1);
    column->addWidget(m_timestamp);
    finishLayout(column);
    resize(480, 320);
}

NotePropertiesDialog::~NotePropertiesDialog() = default;

void NotePropertiesDialog::clearFields()
{
    m_notes->clear();
    for (QLineEdit* line : {m_timestamp, m_id, m_task}) {
        line->clear();
    }
}

void NotePropertiesDialog::prepareAdd(const QString& connection, qint64 taskId)
{
    begin(connection);
    m_adding = true;
    m_stored = NoteRecord();
    m_stored.taskId = taskId;
    clearFields();
    m_task->setText(QString::number(taskId));
    m_notes->setFocus();
}

bool NotePropertiesDialog::prepareEdit(const QString& connection, qint64 noteId)
{
    begin(connection);
    m_adding = false;
    QString error;
    if (!NoteEditor::load(connection, noteId, &m_stored, &m_loaded, &error)) {
        showError(error);
        return false;
    }
    clearFields();
    m_notes->setPlainText(m_stored.notes.value_or(QString()));
    m_timestamp->setText(Stamp::toDisplay(m_stored.timestamp));
    m_id->setText(QString::number(m_stored.id));
    m_task->setText(QString::number(m_stored.taskId));
    m_notes->setFocus();
    return true;
}

bool NotePropertiesDialog::openForAdd(const QString& connection, qint64 taskId)
{
    prepareAdd(connection, taskId);
    return run();
}

bool NotePropertiesDialog::openForEdit(const QString& connection, qint64 noteId)
{
    return prepareEdit(connection, noteId) && run();
}

void NotePropertiesDialog::onOk()
{
    const QString text = m_notes->toPlainText();
    finish(m_adding ? NoteEditor::add(connection(), m_stored.taskId, text, clock())
                    : NoteEditor::saveChanges(connection(), m_loaded, m_stored, text, clock()));
}

bool NotePropertiesDialog::reload()
{
    // A copy: preparing afresh replaces the stored row the keys come from.
    const auto stored = m_stored;
    return prepareEdit(connection(), stored.id);
}
