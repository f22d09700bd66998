#include "editing/ObjectChecks.h"

#include "common/Prompter.h"
#include "db/RowImage.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "editing/EditSql.h"
#include "editing/Vocabulary.h"

#include <QSet>

QString ObjectChecks::parentQuestion(const QString& shortName)
{
    return QStringLiteral("All Sub-Objects have status Completed, On Hold or Closed.  Would you like to change the "
                          "Status of ") +
        shortName + QStringLiteral(" to Completed?");
}

QString ObjectChecks::taskQuestion(const QString& shortName, const QString& status)
{
    return QStringLiteral("All resources have completed their work. Change ") + shortName +
        QStringLiteral(" status from ") + status + QStringLiteral(" to Completed?");
}

bool ObjectChecks::ResourcesCompleted(const QString& connection, qint64 taskId, bool* done, QString* error)
{
    *done = false;
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query,
                  QStringLiteral("SELECT EXISTS (SELECT 1 FROM TASK_OBJECT_RESOURCE"
                                 "  WHERE FK_TASKID = ? AND PER_COMPLETED < 100 AND PER_WORKLOAD > 0),"
                                 " (SELECT SUM(PER_WORKLOAD) FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ?)"),
                  {taskId, taskId},
                  error) ||
        !query.next()) {
        return false;
    }
    const bool unfinished = query.value(0).toBool();
    const QVariant sum = query.value(1);
    *done = !unfinished && !sum.isNull() && sum.toDouble() >= 100.0;
    return true;
}

bool ObjectChecks::SubObjectState(const QString& connection, qint64 goalId, int* state, QString* error)
{
    *state = None;
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query,
                  QStringLiteral("SELECT (SELECT COUNT(*) FROM GOALS_SW WHERE P_GID = ?)"
                                 "  + (SELECT COUNT(*) FROM TASKS_OBJECTS WHERE FK_ID = ?),"
                                 " EXISTS (SELECT 1 FROM GOALS_SW WHERE P_GID = ? AND STATUS = 'Open')"
                                 "  OR EXISTS (SELECT 1 FROM TASKS_OBJECTS WHERE FK_ID = ? AND STATUS = 'Open')"),
                  {goalId, goalId, goalId, goalId},
                  error) ||
        !query.next()) {
        return false;
    }
    if (query.value(0).toLongLong() == 0) {
        *state = None;
    } else {
        *state = query.value(1).toBool() ? SomeOpen : AllFinished;
    }
    return true;
}

bool ObjectChecks::CheckParentStatus(const QString& connection,
                                     std::optional<qint64> goalId,
                                     Prompter& prompter,
                                     QList<StatusChange>* changes,
                                     QString* error)
{
    if (!goalId) {
        return true;
    }
    Transaction tx(connection);
    if (!tx.isActive()) {
        Sql::setError(error, tx.error());
        return false;
    }
    QList<StatusChange> walked;
    QSet<qint64> visited; // the schema forbids cycles; this only guards the loop
    std::optional<qint64> current = goalId;
    while (current && !visited.contains(*current)) {
        visited.insert(*current);
        QSqlQuery row(Sql::db(connection));
        if (!Sql::run(row,
                      QStringLiteral("SELECT ID, OBJECT_TYPE, SHORT_NAME, STATUS, P_GID FROM GOALS_SW WHERE ID = ?") +
                          RowImage::lockClause(connection),
                      {*current},
                      error)) {
            return false;
        }
        // A goal that is gone has no stored parent to continue with.
        if (!row.next()) {
            break;
        }
        const qint64 id = row.value(0).toLongLong();
        const QString type = row.value(1).toString();
        const QString name = row.value(2).toString();
        const QString status = row.value(3).toString();
        const QVariant parent = row.value(4);
        row.finish();

        int state = None;
        if (!SubObjectState(connection, id, &state, error)) {
            return false;
        }
        QString newStatus;
        if (state == SomeOpen && status == Vocabulary::kCompleted) {
            newStatus = Vocabulary::kOpen;
        } else if (state == AllFinished && status == Vocabulary::kOpen) {
            newStatus = Vocabulary::kCompleted;
        } else if (state == AllFinished && (status == Vocabulary::kOnHold || status == Vocabulary::kClosed)) {
            if (prompter.ask(QStringLiteral("Change status"), parentQuestion(name), false)) {
                newStatus = Vocabulary::kCompleted;
            }
        }
        if (!newStatus.isEmpty()) {
            QSqlQuery update(Sql::db(connection));
            if (!Sql::prepare(update, QStringLiteral("UPDATE GOALS_SW SET STATUS = ? WHERE ID = ?"), error)) {
                return false;
            }
            update.addBindValue(newStatus);
            update.addBindValue(id);
            if (!Sql::exec(update, error)) {
                return false;
            }
            walked.append({StatusChange::Kind::Goal, id, type, newStatus});
        }
        current = Sql::optionalId(parent);
    }
    if (!tx.commit()) {
        Sql::setError(error, tx.error());
        return false;
    }
    if (changes) {
        changes->append(walked);
    }
    return true;
}

bool ObjectChecks::CheckTaskStatus(
    const QString& connection, qint64 taskId, Prompter& prompter, QList<StatusChange>* changes, QString* error)
{
    // The task is held first, so its assignments are judged as they stand while it is.
    QSqlQuery row(Sql::db(connection));
    if (!Sql::run(row,
                  QStringLiteral("SELECT ID, SHORT_NAME, STATUS, OBJECT_TYPE FROM TASKS_OBJECTS WHERE ID = ?") +
                      RowImage::lockClause(connection),
                  {taskId},
                  error)) {
        return false;
    }
    if (!row.next()) {
        return true;
    }
    const QString name = row.value(1).toString();
    const QString status = row.value(2).toString();
    const QString type = row.value(3).toString();
    row.finish();
    bool done = false;
    if (!ResourcesCompleted(connection, taskId, &done, error)) {
        return false;
    }

    QString newStatus;
    if (done && status == Vocabulary::kOpen) {
        newStatus = Vocabulary::kCompleted;
    } else if (done && (status == Vocabulary::kOnHold || status == Vocabulary::kClosed)) {
        if (prompter.ask(QStringLiteral("Change Status"), taskQuestion(name, status), true)) {
            newStatus = Vocabulary::kCompleted;
        }
    } else if (!done && status == Vocabulary::kCompleted) {
        newStatus = Vocabulary::kOpen;
    }
    if (newStatus.isEmpty()) {
        return true;
    }
    QSqlQuery update(Sql::db(connection));
    if (!Sql::prepare(update, QStringLiteral("UPDATE TASKS_OBJECTS SET STATUS = ? WHERE ID = ?"), error)) {
        return false;
    }
    update.addBindValue(newStatus);
    update.addBindValue(taskId);
    if (!Sql::exec(update, error)) {
        return false;
    }
    if (changes) {
        changes->append({StatusChange::Kind::Task, taskId, type, newStatus});
    }
    return true;
}
