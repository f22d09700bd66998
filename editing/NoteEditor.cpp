#include "editing/NoteEditor.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "db/Counters.h"
#include "db/Transaction.h"
#include "editing/EditSql.h"

bool NoteEditor::load(const QString& connection, qint64 noteId, NoteProperties* note, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q,
                      QStringLiteral("SELECT NID, TASKID, NOTES, TIMESTAMP FROM qPropertiesNote WHERE NID = ?"),
                      {noteId},
                      error)) {
        return false;
    }
    if (!q.next()) {
        Sql::setError(error, QStringLiteral("The note no longer exists."));
        return false;
    }
    note->id = q.value(0).toLongLong();
    note->taskId = q.value(1).toLongLong();
    note->notes = EditSql::optionalText(q.value(2));
    note->timestamp = q.value(3).toString();
    return true;
}

EditOutcome NoteEditor::add(const QString& connection, qint64 taskId, const QString& text, const Clock& clock)
{
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    const auto id = Counters::next(connection, Counters::Kind::Note, &error);
    if (!id) {
        return EditOutcome::failure(error);
    }
    if (!EditSql::run(connection,
                      QStringLiteral("INSERT INTO TASK_OBJECT_WORKSHEET (NID, TASKID, NOTES, TIMESTAMP)"
                                     " VALUES (?, ?, ?, ?)"),
                      {*id, taskId, text.isEmpty() ? EditSql::nullText() : QVariant(text), Stamp::toText(clock.now())},
                      &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    EditOutcome outcome;
    outcome.ok = true;
    outcome.written = true;
    outcome.id = *id;
    outcome.parentId = taskId;
    return outcome;
}

EditOutcome NoteEditor::saveChanges(const QString& connection,
                                    const NoteProperties& stored,
                                    const QString& text,
                                    const Clock& clock)
{
    EditOutcome outcome;
    outcome.id = stored.id;
    outcome.parentId = stored.taskId;
    if (!textDiffers(stored.notes, text)) {
        outcome.ok = true;
        return outcome;
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    QSqlQuery update(Sql::db(connection));
    if (!EditSql::run(update,
                      QStringLiteral("UPDATE TASK_OBJECT_WORKSHEET SET NOTES = ?, TIMESTAMP = ? WHERE NID = ?"),
                      {text, Stamp::toText(clock.now()), stored.id},
                      &error)) {
        return EditOutcome::failure(error);
    }
    if (update.numRowsAffected() != 1) {
        return EditOutcome::failure(QStringLiteral("The note no longer exists."));
    }
    update.finish();
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    outcome.ok = true;
    outcome.written = true;
    return outcome;
}
