#include "editing/AssignmentEditor.h"

#include "editing/ColumnChanges.h"
#include "editing/EditSql.h"
#include "editing/EditTransaction.h"
#include "editing/ObjectChecks.h"
#include "editing/ObjectSave.h"

namespace {
// True when `member` (compared as member names are, without letter case) is assigned to the task.
bool isAssigned(const QString& connection, qint64 taskId, const QString& member, bool* assigned, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!Sql::run(q,
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

// False with the duplicate message when `member` is already assigned to the task.
bool refuseDuplicate(const QString& connection, qint64 taskId, const QString& member, QString* error)
{
    bool assigned = false;
    if (!isAssigned(connection, taskId, member, &assigned, error)) {
        return false;
    }
    if (assigned) {
        Sql::setError(error, AssignmentEditor::duplicateMessage(member));
        return false;
    }
    return true;
}
} // namespace

QString AssignmentEditor::duplicateMessage(const QString& member)
{
    return QStringLiteral("Resource %1 is already assigned to this task!").arg(member);
}

bool AssignmentEditor::load(const QString& connection,
                            qint64 taskId,
                            const QString& member,
                            AssignmentRecord* row,
                            RowImage* image,
                            QString* error)
{
    RowImage read;
    if (!ObjectSave::loadRow(connection,
                             QStringLiteral("qPropertiesRes"),
                             {QStringLiteral("FK_TASKID"), QStringLiteral("FK_R_NAME")},
                             {taskId, member},
                             QStringLiteral("The assignment no longer exists."),
                             &read,
                             error)) {
        return false;
    }
    row->taskId = read.value(QStringLiteral("FK_TASKID")).toLongLong();
    row->member = read.value(QStringLiteral("FK_R_NAME")).toString();
    row->perWorkload = read.value(QStringLiteral("PER_WORKLOAD")).toDouble();
    row->perCompleted = read.value(QStringLiteral("PER_COMPLETED")).toDouble();
    row->daysNeeded = read.value(QStringLiteral("DAYS_NEEDED")).toDouble();
    if (image) {
        *image = read;
    }
    return true;
}

QString AssignmentEditor::describedAs(const QString& member)
{
    return QStringLiteral("The assignment of \"%1\"").arg(member);
}

bool AssignmentEditor::followAssignments(
    const QString& connection, qint64 taskId, Prompter& prompter, EditOutcome* outcome, QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!Sql::run(q, QStringLiteral("SELECT FK_ID FROM TASKS_OBJECTS WHERE ID = ?"), {taskId}, error)) {
        return false;
    }
    const std::optional<qint64> goalId = q.next() ? std::optional<qint64>(q.value(0).toLongLong()) : std::nullopt;
    q.finish();
    outcome->parentId = goalId;
    return ObjectChecks::CheckTaskStatus(connection, taskId, prompter, &outcome->statusChanges, error) &&
        ObjectChecks::CheckParentStatus(connection, goalId, prompter, &outcome->statusChanges, error);
}

EditOutcome AssignmentEditor::add(const QString& connection, const AssignmentRecord& row, Prompter& prompter)
{
    return EditTransaction::run(connection, {}, [&](EditOutcome& outcome, QString* error) {
        if (!refuseDuplicate(connection, row.taskId, row.member, error) ||
            !Sql::run(connection,
                      QStringLiteral("INSERT INTO TASK_OBJECT_RESOURCE (FK_TASKID, FK_R_NAME, PER_WORKLOAD,"
                                     " PER_COMPLETED, DAYS_NEEDED) VALUES (?, ?, ?, ?, ?)"),
                      {row.taskId, row.member, row.perWorkload, row.perCompleted, row.daysNeeded},
                      error) ||
            !followAssignments(connection, row.taskId, prompter, &outcome, error)) {
            return false;
        }
        outcome.written = true;
        outcome.id = row.taskId;
        outcome.member = row.member;
        return true;
    });
}

EditOutcome AssignmentEditor::saveChanges(const QString& connection,
                                          const RowImage& loaded,
                                          const AssignmentRecord& stored,
                                          const AssignmentRecord& edited,
                                          Prompter& prompter)
{
    ColumnChanges changes;
    changes.change(edited.member != stored.member, "FK_R_NAME", edited.member);
    changes.change(edited.perWorkload != stored.perWorkload, "PER_WORKLOAD", edited.perWorkload);
    changes.change(edited.perCompleted != stored.perCompleted, "PER_COMPLETED", edited.perCompleted);
    changes.change(edited.daysNeeded != stored.daysNeeded, "DAYS_NEEDED", edited.daysNeeded);

    EditOutcome unchanged;
    unchanged.id = stored.taskId;
    unchanged.member = stored.member;
    if (changes.isEmpty()) {
        unchanged.ok = true;
        return unchanged;
    }
    return EditTransaction::run(connection, unchanged, [&](EditOutcome& outcome, QString* error) {
        if (!loaded.stillCurrent(connection, describedAs(stored.member), &outcome.conflict, error) ||
            (MemberName::key(edited.member) != MemberName::key(stored.member) &&
             !refuseDuplicate(connection, stored.taskId, edited.member, error)) ||
            !changes.update(connection,
                            QStringLiteral("TASK_OBJECT_RESOURCE"),
                            QStringLiteral("WHERE FK_TASKID = ? AND FK_R_NAME = ?"),
                            {stored.taskId, stored.member},
                            QStringLiteral("The assignment no longer exists."),
                            error) ||
            !followAssignments(connection, stored.taskId, prompter, &outcome, error)) {
            return false;
        }
        outcome.written = true;
        outcome.member = edited.member;
        return true;
    });
}
