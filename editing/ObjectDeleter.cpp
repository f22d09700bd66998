#include "editing/ObjectDeleter.h"

#include "common/Prompter.h"
#include "db/Transaction.h"
#include "editing/AssignmentEditor.h"
#include "editing/EditSql.h"
#include "editing/ObjectChecks.h"

namespace {
bool confirm(Prompter& prompter, const QString& question)
{
    return prompter.ask(QStringLiteral("Delete"), question, false);
}

EditOutcome cancelled()
{
    EditOutcome o;
    o.ok = true;
    o.cancelled = true;
    return o;
}

// Runs a DELETE; *deleted tells whether a row went.
bool remove(const QString& connection, const QString& sql, const QVariantList& values, bool* deleted, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q, sql, values, error)) {
        return false;
    }
    *deleted = q.numRowsAffected() > 0;
    return true;
}
} // namespace

QString ObjectDeleter::goalQuestion()
{
    return QStringLiteral(
        "Are you sure you want to delete the selected Goal/Application and all its subgoals/Applications and "
        "Tasks/Objects?");
}

QString ObjectDeleter::taskQuestion()
{
    return QStringLiteral("Are you sure you want to delete the selected Task/Object?");
}

QString ObjectDeleter::assignmentQuestion()
{
    return QStringLiteral("Are you sure you want to delete the selected Resource?");
}

QString ObjectDeleter::noteQuestion()
{
    return QStringLiteral("Are you sure you want to delete the selected Note?");
}

EditOutcome ObjectDeleter::deleteGoal(const QString& connection, qint64 goalId, GoalSource source, Prompter& prompter)
{
    if (!confirm(prompter, goalQuestion())) {
        return cancelled();
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    EditOutcome outcome;
    outcome.id = goalId;
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(
            q, QStringLiteral("SELECT P_GID, OBJECT_TYPE, SHORT_NAME FROM GOALS_SW WHERE ID = ?"), {goalId}, &error)) {
        return EditOutcome::failure(error);
    }
    if (!q.next()) {
        return EditOutcome::failure(QStringLiteral("The goal no longer exists."));
    }
    outcome.parentId = EditSql::optionalId(q.value(0));
    outcome.objectType = q.value(1).toString();
    outcome.shortName = q.value(2).toString();
    q.finish();

    const QString sql = QStringLiteral("DELETE FROM GOALS_SW WHERE ID = ?");
    bool deleted = false;
    if (source == GoalSource::TaskList) {
        if (!ObjectChecks::CheckParentStatus(connection, outcome.parentId, prompter, &outcome.statusChanges, &error) ||
            !remove(connection, sql, {goalId}, &deleted, &error)) {
            return EditOutcome::failure(error);
        }
    } else if (!remove(connection, sql, {goalId}, &deleted, &error) ||
               !ObjectChecks::CheckParentStatus(
                   connection, outcome.parentId, prompter, &outcome.statusChanges, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    outcome.ok = true;
    outcome.written = deleted;
    return outcome;
}

EditOutcome ObjectDeleter::deleteTask(const QString& connection, qint64 taskId, Prompter& prompter)
{
    if (!confirm(prompter, taskQuestion())) {
        return cancelled();
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    EditOutcome outcome;
    outcome.id = taskId;
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::run(q,
                      QStringLiteral("SELECT FK_ID, OBJECT_TYPE, SHORT_NAME FROM TASKS_OBJECTS WHERE ID = ?"),
                      {taskId},
                      &error)) {
        return EditOutcome::failure(error);
    }
    if (!q.next()) {
        return EditOutcome::failure(QStringLiteral("The task no longer exists."));
    }
    outcome.parentId = q.value(0).toLongLong();
    outcome.objectType = q.value(1).toString();
    outcome.shortName = q.value(2).toString();
    q.finish();
    bool deleted = false;
    if (!remove(connection, QStringLiteral("DELETE FROM TASKS_OBJECTS WHERE ID = ?"), {taskId}, &deleted, &error) ||
        !ObjectChecks::CheckParentStatus(connection, outcome.parentId, prompter, &outcome.statusChanges, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    outcome.ok = true;
    outcome.written = deleted;
    return outcome;
}

EditOutcome
ObjectDeleter::deleteAssignment(const QString& connection, qint64 taskId, const QString& member, Prompter& prompter)
{
    if (!confirm(prompter, assignmentQuestion())) {
        return cancelled();
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    EditOutcome outcome;
    outcome.id = taskId;
    outcome.member = member;
    bool deleted = false;
    if (!remove(connection,
                QStringLiteral("DELETE FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ? AND FK_R_NAME = ?"),
                {taskId, member},
                &deleted,
                &error) ||
        !AssignmentEditor::followAssignments(connection, taskId, prompter, &outcome, &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    outcome.ok = true;
    outcome.written = deleted;
    return outcome;
}

EditOutcome ObjectDeleter::deleteNote(const QString& connection, qint64 noteId, Prompter& prompter)
{
    if (!confirm(prompter, noteQuestion())) {
        return cancelled();
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        return EditOutcome::failure(tx.error());
    }
    QString error;
    EditOutcome outcome;
    outcome.id = noteId;
    bool deleted = false;
    if (!remove(connection,
                QStringLiteral("DELETE FROM TASK_OBJECT_WORKSHEET WHERE NID = ?"),
                {noteId},
                &deleted,
                &error)) {
        return EditOutcome::failure(error);
    }
    if (!tx.commit()) {
        return EditOutcome::failure(tx.error());
    }
    outcome.ok = true;
    outcome.written = deleted;
    return outcome;
}
