#include "editing/TaskEditor.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "db/Counters.h"
#include "db/Transaction.h"
#include "editing/EditSql.h"
#include "editing/ObjectChecks.h"

namespace {
void describe(EditOutcome& o, const TaskProperties& t)
{
    o.id = t.id;
    o.objectType = t.objectType;
    o.shortName = t.shortName;
    o.status = t.status;
    o.parentId = t.goalId;
}
} // namespace

bool TaskEditor::load(const QString& connection, qint64 id, TaskProperties* task, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q,
                      QStringLiteral("SELECT ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, DAYSPLANNED, FK_ID,"
                                     " DESCRIPTION, CREATED, LAST_EDITED FROM qPropertiesTask WHERE ID = ?"),
                      {id},
                      error)) {
        return false;
    }
    if (!q.next()) {
        Sql::setError(error, QStringLiteral("The task no longer exists."));
        return false;
    }
    task->id = q.value(0).toLongLong();
    task->objectType = q.value(1).toString();
    task->shortName = q.value(2).toString();
    task->priority = q.value(3).toLongLong();
    task->status = q.value(4).toString();
    task->daysPlanned = q.value(5).toDouble();
    task->goalId = q.value(6).toLongLong();
    task->description = EditSql::optionalText(q.value(7));
    task->created = q.value(8).toString();
    task->lastEdited = q.value(9).toString();
    return true;
}

EditOutcome
TaskEditor::add(const QString& connection, const TaskProperties& task, Prompter& prompter, const Clock& clock)
{
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    QSqlQuery goal(Sql::db(connection));
    if (!EditSql::run(goal,
                      QStringLiteral("SELECT SHORT_NAME, DEFAULT_RESOURCE FROM GOALS_SW WHERE ID = ?"),
                      {task.goalId},
                      &error)) {
        return EditOutcome::failure(error);
    }
    if (!goal.next()) {
        return EditOutcome::failure(QStringLiteral("The goal of the new task no longer exists."));
    }
    const QString goalName = goal.value(0).toString();
    const QString member = goal.value(1).toString();
    goal.finish();
    // Checked before anything is written, so the refusal takes no identifier.
    if (member.isEmpty()) {
        return EditOutcome::failure(QStringLiteral("%1 has no default resource, so the new task cannot be assigned to "
                                                   "anyone. Choose a default resource for %1 first.")
                                        .arg(goalName));
    }
    const auto id = Counters::next(connection, Counters::Kind::Task, &error);
    if (!id) {
        return EditOutcome::failure(error);
    }
    TaskProperties saved = task;
    saved.id = *id;
    if (saved.description && saved.description->isEmpty()) {
        saved.description.reset();
    }
    saved.created = Stamp::toText(clock.now());
    saved.lastEdited.clear();
    EditOutcome outcome;
    if (!EditSql::run(connection,
                      QStringLiteral("INSERT INTO TASKS_OBJECTS (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS,"
                                     " DAYSPLANNED, FK_ID, DESCRIPTION, CREATED) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      {saved.id,
                       saved.objectType,
                       saved.shortName,
                       saved.priority,
                       saved.status,
                       saved.daysPlanned,
                       saved.goalId,
                       EditSql::orNull(saved.description),
                       saved.created},
                      &error) ||
        !EditSql::run(connection,
                      QStringLiteral("INSERT INTO TASK_OBJECT_RESOURCE (FK_TASKID, FK_R_NAME, PER_WORKLOAD,"
                                     " PER_COMPLETED, DAYS_NEEDED) VALUES (?, ?, 100, 0, 0)"),
                      {saved.id, member},
                      &error) ||
        !ObjectChecks::CheckParentStatus(connection, saved.goalId, prompter, &outcome.statusChanges, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    describe(outcome, saved);
    outcome.ok = true;
    outcome.written = true;
    return outcome;
}

EditOutcome TaskEditor::saveChanges(const QString& connection,
                                    const TaskProperties& stored,
                                    const TaskProperties& edited,
                                    Prompter& prompter,
                                    const Clock& clock)
{
    QStringList columns;
    QVariantList values;
    auto change = [&](bool differs, const char* column, const QVariant& value) {
        if (differs) {
            columns << QLatin1String(column) + QStringLiteral(" = ?");
            values << value;
        }
    };
    const QString description = edited.description.value_or(QString());
    change(edited.objectType != stored.objectType, "OBJECT_TYPE", edited.objectType);
    change(edited.shortName != stored.shortName, "SHORT_NAME", edited.shortName);
    change(edited.priority != stored.priority, "PRIORITY", edited.priority);
    change(edited.status != stored.status, "STATUS", edited.status);
    change(textDiffers(stored.description, description), "DESCRIPTION", description);
    change(edited.daysPlanned != stored.daysPlanned, "DAYSPLANNED", edited.daysPlanned);

    EditOutcome outcome;
    describe(outcome, stored);
    if (columns.isEmpty()) {
        outcome.ok = true;
        return outcome;
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    columns << QStringLiteral("LAST_EDITED = ?");
    values << Stamp::toText(clock.now()) << stored.id;
    QString error;
    QSqlQuery update(Sql::db(connection));
    if (!EditSql::run(update,
                      QStringLiteral("UPDATE TASKS_OBJECTS SET ") + columns.join(QStringLiteral(", ")) +
                          QStringLiteral(" WHERE ID = ?"),
                      values,
                      &error)) {
        return EditOutcome::failure(error);
    }
    if (update.numRowsAffected() != 1) {
        return EditOutcome::failure(QStringLiteral("The task no longer exists."));
    }
    if (!ObjectChecks::CheckParentStatus(connection, stored.goalId, prompter, &outcome.statusChanges, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    TaskProperties saved = edited;
    saved.id = stored.id;
    saved.goalId = stored.goalId;
    describe(outcome, saved);
    outcome.ok = true;
    outcome.written = true;
    return outcome;
}

bool TaskEditor::checkStatusChange(const QString& connection,
                                   const TaskProperties& stored,
                                   const QString& selected,
                                   Prompter& prompter,
                                   StatusChangeCheck::Verdict* verdict,
                                   QString* error)
{
    bool done = false;
    if (!ObjectChecks::ResourcesCompleted(connection, stored.id, &done, error)) {
        *verdict = {false, selected};
        return false;
    }
    *verdict = StatusChangeCheck::task(stored.status, selected, done, prompter);
    return true;
}
