#include "editing/ObjectDeleter.h"

#include "common/Prompter.h"
#include "editing/AssignmentEditor.h"
#include "editing/EditSql.h"
#include "editing/EditTransaction.h"
#include "editing/NoteEditor.h"
#include "editing/ObjectChecks.h"
#include "editing/ObjectSave.h"

#include <QHash>
#include <QSet>

namespace {
// The row a deletion removes, read when its question is asked: the deletion goes
// ahead only while the row is still as the user saw it then.
struct Target
{
    QString table;
    QStringList keyColumns;
    QVariantList keys;
    QString missing; // the refusal when the row is gone before the question
};

// How a goal or task is named to the user, from its row.
QString objectNamed(const RowImage& row)
{
    return QStringLiteral("%1 \"%2\"")
        .arg(row.value(QStringLiteral("OBJECT_TYPE")).toString(), row.value(QStringLiteral("SHORT_NAME")).toString());
}

// Reads the target, asks `question` ("Delete", No by default); on Yes runs `steps`
// as one transaction, provided the target is still as read. Any other answer
// changes nothing and comes back cancelled.
template <typename Name, typename Steps>
EditOutcome deleteConfirmed(const QString& connection,
                            Prompter& prompter,
                            const QString& question,
                            const Target& target,
                            Name name,
                            Steps steps)
{
    RowImage loaded;
    QString error;
    if (!ObjectSave::loadRow(
            connection, target.table, target.keyColumns, target.keys, target.missing, &loaded, &error)) {
        return EditOutcome::failure(error);
    }
    if (!prompter.ask(QStringLiteral("Delete"), question, false)) {
        EditOutcome o;
        o.ok = true;
        o.cancelled = true;
        return o;
    }
    const QString what = name(loaded);
    return EditTransaction::run(connection, {}, [&](EditOutcome& outcome, QString* error) {
        return loaded.stillCurrent(connection, what, &outcome.conflict, error) && steps(outcome, error);
    });
}

// Runs a DELETE; outcome.written tells whether a row went.
bool remove(
    const QString& connection, const QString& sql, const QVariantList& values, EditOutcome& outcome, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!Sql::run(q, sql, values, error)) {
        return false;
    }
    outcome.written = q.numRowsAffected() > 0;
    return true;
}

// Deletes goal `goalId` with every goal below it, deepest first, so that each
// delete leaves the database only its own tasks to cascade to: one cascade
// through the whole subtree would nest a trigger level per goal level, which the
// database refuses past a fixed depth. A loop of parents (only another tool can
// write one) is taken once. The goal is known to exist (read in this transaction).
bool removeGoalTree(const QString& connection, qint64 goalId, EditOutcome& outcome, QString* error)
{
    QSqlQuery links(Sql::db(connection));
    links.setForwardOnly(true);
    if (!Sql::run(links, QStringLiteral("SELECT ID, P_GID FROM GOALS_SW WHERE P_GID IS NOT NULL"), {}, error)) {
        return false;
    }
    QHash<qint64, QList<qint64>> children;
    while (links.next()) {
        children[links.value(1).toLongLong()].append(links.value(0).toLongLong());
    }
    links.finish();
    // Breadth first: every goal comes after its parent, so the reverse is leaves first.
    QList<qint64> order{goalId};
    QSet<qint64> seen{goalId};
    for (qsizetype i = 0; i < order.size(); ++i) {
        for (qint64 child : children.value(order.at(i))) {
            if (!seen.contains(child)) {
                seen.insert(child);
                order.append(child);
            }
        }
    }
    QSqlQuery remove(Sql::db(connection));
    if (!Sql::prepare(remove, QStringLiteral("DELETE FROM GOALS_SW WHERE ID = ?"), error)) {
        return false;
    }
    for (qsizetype i = order.size(); i-- > 0;) {
        remove.bindValue(0, order.at(i));
        if (!Sql::exec(remove, error)) {
            return false;
        }
    }
    outcome.written = true;
    return true;
}

// Reads the parent, type and name of the goal or task about to go into `outcome`.
bool describe(const QString& connection,
              const QString& sql,
              qint64 id,
              const QString& missing,
              EditOutcome& outcome,
              QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!EditSql::runToRow(q, sql, {id}, missing, error)) {
        return false;
    }
    outcome.id = id;
    outcome.parentId = Sql::optionalId(q.value(0));
    outcome.objectType = q.value(1).toString();
    outcome.shortName = q.value(2).toString();
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
    const Target goal{
        QStringLiteral("GOALS_SW"), {QStringLiteral("ID")}, {goalId}, QStringLiteral("The goal no longer exists.")};
    return deleteConfirmed(
        connection, prompter, goalQuestion(), goal, objectNamed, [&](EditOutcome& outcome, QString* error) {
            if (!describe(connection,
                          QStringLiteral("SELECT P_GID, OBJECT_TYPE, SHORT_NAME FROM GOALS_SW WHERE ID = ?"),
                          goalId,
                          QStringLiteral("The goal no longer exists."),
                          outcome,
                          error)) {
                return false;
            }
            if (source == GoalSource::TaskList) {
                return ObjectChecks::CheckParentStatus(
                           connection, outcome.parentId, prompter, &outcome.statusChanges, error) &&
                    removeGoalTree(connection, goalId, outcome, error);
            }
            return removeGoalTree(connection, goalId, outcome, error) &&
                ObjectChecks::CheckParentStatus(connection, outcome.parentId, prompter, &outcome.statusChanges, error);
        });
}

EditOutcome ObjectDeleter::deleteTask(const QString& connection, qint64 taskId, Prompter& prompter)
{
    const Target task{QStringLiteral("TASKS_OBJECTS"),
                      {QStringLiteral("ID")},
                      {taskId},
                      QStringLiteral("The task no longer exists.")};
    return deleteConfirmed(
        connection, prompter, taskQuestion(), task, objectNamed, [&](EditOutcome& outcome, QString* error) {
            return describe(connection,
                            QStringLiteral("SELECT FK_ID, OBJECT_TYPE, SHORT_NAME FROM TASKS_OBJECTS WHERE ID = ?"),
                            taskId,
                            QStringLiteral("The task no longer exists."),
                            outcome,
                            error) &&
                remove(connection,
                       QStringLiteral("DELETE FROM TASKS_OBJECTS WHERE ID = ?"),
                       {taskId},
                       outcome,
                       error) &&
                ObjectChecks::CheckParentStatus(connection, outcome.parentId, prompter, &outcome.statusChanges, error);
        });
}

EditOutcome
ObjectDeleter::deleteAssignment(const QString& connection, qint64 taskId, const QString& member, Prompter& prompter)
{
    const Target assignment{QStringLiteral("TASK_OBJECT_RESOURCE"),
                            {QStringLiteral("FK_TASKID"), QStringLiteral("FK_R_NAME")},
                            {taskId, member},
                            QStringLiteral("The assignment no longer exists.")};
    const auto named = [](const RowImage& row) {
        return AssignmentEditor::describedAs(row.value(QStringLiteral("FK_R_NAME")).toString());
    };
    return deleteConfirmed(
        connection, prompter, assignmentQuestion(), assignment, named, [&](EditOutcome& outcome, QString* error) {
            outcome.id = taskId;
            outcome.member = member;
            return remove(connection,
                          QStringLiteral("DELETE FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ? AND FK_R_NAME = ?"),
                          {taskId, member},
                          outcome,
                          error) &&
                AssignmentEditor::followAssignments(connection, taskId, prompter, &outcome, error);
        });
}

EditOutcome ObjectDeleter::deleteNote(const QString& connection, qint64 noteId, Prompter& prompter)
{
    const Target note{QStringLiteral("TASK_OBJECT_WORKSHEET"),
                      {QStringLiteral("NID")},
                      {noteId},
                      QStringLiteral("The note no longer exists.")};
    const auto named = [](const RowImage&) { return NoteEditor::describedAs(); };
    return deleteConfirmed(
        connection, prompter, noteQuestion(), note, named, [&](EditOutcome& outcome, QString* error) {
            outcome.id = noteId;
            return remove(connection,
                          QStringLiteral("DELETE FROM TASK_OBJECT_WORKSHEET WHERE NID = ?"),
                          {noteId},
                          outcome,
                          error);
        });
}
