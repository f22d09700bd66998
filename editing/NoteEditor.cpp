#include "editing/NoteEditor.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "db/Counters.h"
#include "editing/ColumnChanges.h"
#include "editing/EditSql.h"
#include "editing/EditTransaction.h"
#include "editing/ObjectSave.h"

bool NoteEditor::load(const QString& connection, qint64 noteId, NoteRecord* note, RowImage* image, QString* error)
{
    RowImage row;
    if (!ObjectSave::loadRow(connection,
                             QStringLiteral("qPropertiesNote"),
                             {QStringLiteral("NID")},
                             {noteId},
                             QStringLiteral("The note no longer exists."),
                             &row,
                             error)) {
        return false;
    }
    note->id = row.value(QStringLiteral("NID")).toLongLong();
    note->taskId = row.value(QStringLiteral("TASKID")).toLongLong();
    note->notes = Sql::optionalText(row.value(QStringLiteral("NOTES")));
    note->timestamp = row.value(QStringLiteral("TIMESTAMP")).toString();
    if (image) {
        *image = row;
    }
    return true;
}

QString NoteEditor::describedAs()
{
    return QStringLiteral("The note");
}

EditOutcome NoteEditor::add(const QString& connection, qint64 taskId, const QString& text, const Clock& clock)
{
    return EditTransaction::run(connection, {}, [&](EditOutcome& outcome, QString* error) {
        const auto id = Counters::next(connection, Counters::Kind::Note, error);
        if (!id ||
            !Sql::run(
                connection,
                QStringLiteral("INSERT INTO TASK_OBJECT_WORKSHEET (NID, TASKID, NOTES, TIMESTAMP) VALUES (?, ?, ?, ?)"),
                {*id, taskId, Sql::textOrNull(text), Stamp::toText(clock.now())},
                error)) {
            return false;
        }
        outcome.written = true;
        outcome.id = *id;
        outcome.parentId = taskId;
        return true;
    });
}

EditOutcome NoteEditor::saveChanges(const QString& connection,
                                    const RowImage& loaded,
                                    const NoteRecord& stored,
                                    const QString& text,
                                    const Clock& clock)
{
    EditOutcome unchanged;
    unchanged.id = stored.id;
    unchanged.parentId = stored.taskId;
    if (!textDiffers(stored.notes, text)) {
        unchanged.ok = true;
        return unchanged;
    }
    ColumnChanges changes;
    changes.change(true, "NOTES", text);
    changes.change(true, "TIMESTAMP", Stamp::toText(clock.now()));
    return EditTransaction::run(connection, unchanged, [&](EditOutcome& outcome, QString* error) {
        if (!loaded.stillCurrent(connection, describedAs(), &outcome.conflict, error) ||
            !changes.update(connection,
                            QStringLiteral("TASK_OBJECT_WORKSHEET"),
                            QStringLiteral("WHERE NID = ?"),
                            {stored.id},
                            QStringLiteral("The note no longer exists."),
                            error)) {
            return false;
        }
        outcome.written = true;
        return true;
    });
}
