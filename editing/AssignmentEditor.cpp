#include "editing/AssignmentEditor.h"

#include "db/Transaction.h"
#include "editing/EditSql.h"
#include "editing/ObjectChecks.h"

namespace {
// True when `member` (compared as member names are, without letter case) is assigned to the task.
bool isAssigned(const QString& connection, qint64 taskId, const QString& member, bool* assigned, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q,
                      QStringLiteral("SELECT EXISTS (SELECT 1 FROM TASK_OBJECT_RESOURCE"
                                     " WHERE FK_TASKID = ? AND FK_R_NAME = ?)"),
                      {taskId, member},
                      error) ||
        !q.next()) {
        return false;
    }
    *assigned = q.value(0).toBool();
    return true;
}

bool sameMember(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

QString AssignmentEditor::duplicateMessage(const QString& member)
{
    return QStringLiteral("Resource %1 is already assigned to this task!").arg(member);
}

bool AssignmentEditor::load(
    const QString& connection, qint64 taskId, const QString& member, AssignmentProperties* row, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q,
                      QStringLiteral("SELECT FK_TASKID, FK_R_NAME, PER_WORKLOAD, PER_COMPLETED, DAYS_NEEDED"
                                     " FROM qPropertiesRes WHERE FK_TASKID = ? AND FK_R_NAME = ?"),
                      {taskId, member},
                      error)) {
        return false;
    }
    if (!q.next()) {
        Sql::setError(error, QStringLiteral("The assignment no longer exists."));
        return false;
    }
    row->taskId = q.value(0).toLongLong();
    row->member = q.value(1).toString();
    row->perWorkload = q.value(2).toDouble();
    row->perCompleted = q.value(3).toDouble();
    row->daysNeeded = q.value(4).toDouble();
    return true;
}

bool AssignmentEditor::followAssignments(
    const QString& connection, qint64 taskId, Prompter& prompter, EditOutcome* outcome, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q, QStringLiteral("SELECT FK_ID FROM TASKS_OBJECTS WHERE ID = ?"), {taskId}, error)) {
        return false;
    }
    const std::optional<qint64> goalId = q.next() ? std::optional<qint64>(q.value(0).toLongLong()) : std::nullopt;
    q.finish();
    outcome->parentId = goalId;
    return ObjectChecks::CheckTaskStatus(connection, taskId, prompter, &outcome->statusChanges, error) &&
        ObjectChecks::CheckParentStatus(connection, goalId, prompter, &outcome->statusChanges, error);
}

EditOutcome AssignmentEditor::add(const QString& connection, const AssignmentProperties& row, Prompter& prompter)
{
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    bool assigned = false;
    if (!isAssigned(connection, row.taskId, row.member, &assigned, &error)) {
        return EditOutcome::failure(error);
    }
    if (assigned) {
        return EditOutcome::failure(duplicateMessage(row.member));
    }
    EditOutcome outcome;
    if (!EditSql::run(connection,
                      QStringLiteral("INSERT INTO TASK_OBJECT_RESOURCE (FK_TASKID, FK_R_NAME, PER_WORKLOAD,"
                                     " PER_COMPLETED, DAYS_NEEDED) VALUES (?, ?, ?, ?, ?)"),
                      {row.taskId, row.member, row.perWorkload, row.perCompleted, row.daysNeeded},
                      &error) ||
        !followAssignments(connection, row.taskId, prompter, &outcome, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    outcome.ok = true;
    outcome.written = true;
    outcome.id = row.taskId;
    outcome.member = row.member;
    return outcome;
}

EditOutcome AssignmentEditor::saveChanges(const QString& connection,
                                          const AssignmentProperties& stored,
                                          const AssignmentProperties& edited,
                                          Prompter& prompter)
{
    QStringList columns;
    QVariantList values;
    auto change = [&](bool differs, const char* column, const QVariant& value) {
        if (differs) {
            columns << QLatin1String(column) + QStringLiteral(" = ?");
            values << value;
        }
    };
    change(edited.member != stored.member, "FK_R_NAME", edited.member);
    change(edited.perWorkload != stored.perWorkload, "PER_WORKLOAD", edited.perWorkload);
    change(edited.perCompleted != stored.perCompleted, "PER_COMPLETED", edited.perCompleted);
    change(edited.daysNeeded != stored.daysNeeded, "DAYS_NEEDED", edited.daysNeeded);

    EditOutcome outcome;
    outcome.id = stored.taskId;
    outcome.member = stored.member;
    if (columns.isEmpty()) {
        outcome.ok = true;
        return outcome;
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    if (!sameMember(edited.member, stored.member)) {
        bool assigned = false;
        if (!isAssigned(connection, stored.taskId, edited.member, &assigned, &error)) {
            return EditOutcome::failure(error);
        }
        if (assigned) {
            return EditOutcome::failure(duplicateMessage(edited.member));
        }
    }
    values << stored.taskId << stored.member;
    QSqlQuery update(Sql::db(connection));
    if (!EditSql::run(update,
                      QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET ") + columns.join(QStringLiteral(", ")) +
                          QStringLiteral(" WHERE FK_TASKID = ? AND FK_R_NAME = ?"),
                      values,
                      &error)) {
        return EditOutcome::failure(error);
    }
    if (update.numRowsAffected() != 1) {
        return EditOutcome::failure(QStringLiteral("The assignment no longer exists."));
    }
    update.finish();
    if (!followAssignments(connection, stored.taskId, prompter, &outcome, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    outcome.ok = true;
    outcome.written = true;
    outcome.member = edited.member;
    return outcome;
}
