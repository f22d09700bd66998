#include "editing/TaskEditor.h"

#include "common/Clock.h"
#include "common/Stamp.h"
#include "db/Counters.h"
#include "editing/ColumnChanges.h"
#include "editing/EditSql.h"
#include "editing/EditTransaction.h"
#include "editing/ObjectChecks.h"
#include "editing/ObjectSave.h"

namespace {
void describe(EditOutcome& o, const TaskRecord& t)
{
    o.id = t.id;
    o.objectType = t.objectType;
    o.shortName = t.shortName;
    o.status = t.status;
    o.parentId = t.goalId;
}
} // namespace

bool TaskEditor::load(const QString& connection, qint64 id, TaskRecord* task, RowImage* image, QString* error)
{
    RowImage row;
    if (!ObjectSave::loadRow(connection,
                             QStringLiteral("qPropertiesTask"),
                             {QStringLiteral("ID")},
                             {id},
                             QStringLiteral("The task no longer exists."),
                             &row,
                             error)) {
        return false;
    }
    ObjectSave::readCommonColumns(row, task);
    task->daysPlanned = row.value(QStringLiteral("DAYSPLANNED")).toDouble();
    task->goalId = row.value(QStringLiteral("FK_ID")).toLongLong();
    if (image) {
        *image = row;
    }
    return true;
}

EditOutcome TaskEditor::add(const QString& connection, const TaskRecord& task, Prompter& prompter, const Clock& clock)
{
    return EditTransaction::run(connection, {}, [&](EditOutcome& outcome, QString* error) {
        QSqlQuery goal(Sql::db(connection));
        if (!EditSql::runToRow(goal,
                               QStringLiteral("SELECT SHORT_NAME, DEFAULT_RESOURCE FROM GOALS_SW WHERE ID = ?"),
                               {task.goalId},
                               QStringLiteral("The goal of the new task no longer exists."),
                               error)) {
            return false;
        }
        const QString goalName = goal.value(0).toString();
        const QString member = goal.value(1).toString();
        goal.finish();
        // Checked before anything is written, so the refusal takes no identifier.
        if (member.isEmpty()) {
            Sql::setError(error,
                          QStringLiteral("%1 has no default resource, so the new task cannot be assigned to "
                                         "anyone. Choose a default resource for %1 first.")
                              .arg(goalName));
            return false;
        }
        const auto id = Counters::next(connection, Counters::Kind::Task, error);
        if (!id) {
            return false;
        }
        TaskRecord saved = task;
        saved.id = *id;
        saved.created = Stamp::toText(clock.now());
        saved.lastEdited.reset();
        if (!Sql::run(connection,
                      QStringLiteral("INSERT INTO TASKS_OBJECTS (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS,"
                                     " DAYSPLANNED, FK_ID, DESCRIPTION, CREATED) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                      {saved.id,
                       saved.objectType,
                       saved.shortName,
                       saved.priority,
                       saved.status,
                       saved.daysPlanned,
                       saved.goalId,
                       Sql::textOrNull(saved.description),
                       saved.created},
                      error) ||
            !Sql::run(connection,
                      QStringLiteral("INSERT INTO TASK_OBJECT_RESOURCE (FK_TASKID, FK_R_NAME, PER_WORKLOAD,"
                                     " PER_COMPLETED, DAYS_NEEDED) VALUES (?, ?, 100, 0, 0)"),
                      {saved.id, member},
                      error) ||
            !ObjectChecks::CheckParentStatus(connection, saved.goalId, prompter, &outcome.statusChanges, error)) {
            return false;
        }
        describe(outcome, saved);
        outcome.written = true;
        return true;
    });
}

EditOutcome TaskEditor::saveChanges(const QString& connection,
                                    const RowImage& loaded,
                                    const TaskRecord& stored,
                                    const TaskRecord& edited,
                                    Prompter& prompter,
                                    const Clock& clock)
{
    ColumnChanges changes;
    ObjectSave::changeCommonColumns(changes, stored, edited);
    changes.change(edited.daysPlanned != stored.daysPlanned, "DAYSPLANNED", edited.daysPlanned);

    TaskRecord saved = edited;
    saved.id = stored.id;
    saved.goalId = stored.goalId;
    EditOutcome outcome;
    describe(outcome, saved);
    return ObjectSave::write(connection,
                             loaded,
                             ObjectSave::describedAs(stored),
                             QStringLiteral("TASKS_OBJECTS"),
                             stored.id,
                             stored.goalId,
                             QStringLiteral("The task no longer exists."),
                             changes,
                             outcome,
                             prompter,
                             clock);
}

bool TaskEditor::checkStatusChange(const QString& connection,
                                   const TaskRecord& stored,
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
