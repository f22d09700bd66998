#pragma once

#include "db/ProjectRecords.h"
#include "editing/ui/PropertiesDialog.h"

class QLineEdit;
class QPlainTextEdit;

// "frmPropertiesNote": adds a note to a task or edits one. Nothing is validated,
// so an empty note can be saved. The opener refills only the note list.
class NotePropertiesDialog : public PropertiesDialog
{
    Q_OBJECT

public:
    explicit NotePropertiesDialog(QWidget* parent = nullptr);
    ~NotePropertiesDialog() override;

    void prepareAdd(const QString& connection, qint64 taskId);
    bool prepareEdit(const QString& connection, qint64 noteId);
    bool openForAdd(const QString& connection, qint64 taskId);
    bool openForEdit(const QString& connection, qint64 noteId);

protected:
    void onOk() override;
    bool reload() override;

private:
    void clearFields();

    bool m_adding = true;
    NoteRecord m_stored;
    QPlainTextEdit* m_notes;
    QLineEdit* m_timestamp;
    QLineEdit* m_id;
    QLineEdit* m_task;
};
