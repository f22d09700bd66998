#include "schedule/SnapshotInput.h"

#include "common/Figure.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "schedule/SnapshotHours.h"

#include <QSet>

namespace {
bool run(QSqlQuery& query, const QString& sql, const QString& what, QString* error)
{
    query.setForwardOnly(true);
    if (query.exec(sql)) {
        return true;
    }
    Sql::setError(error, QStringLiteral("Reading the %1 failed: %2").arg(what, Sql::describe(query)));
    return false;
}

// The columns goals and tasks share, read from the first five of `query`. Types
// and statuses are few texts repeated on every row: each is held once.
// (NULL stays apart from '': a goal without a status is dated as the root is.)
template <typename Record>
void readCommon(const QSqlQuery& query, Record& record, QSet<QString>& held)
{
    const auto once = [&held](const QVariant& value) {
        return value.isNull() ? QString() : *held.insert(value.toString());
    };
    record.id = query.value(0).toLongLong();
    record.objectType = once(query.value(1));
    record.shortName = query.value(2).toString();
    record.priority = query.value(3).toLongLong();
    record.status = once(query.value(4));
}
} // namespace

bool SnapshotInput::load(const QString& connection, QString* error)
{
    // The tables are read one after the other: in one read transaction they show one
    // state of the project while another connection or program writes. Inside the
    // caller's transaction they do already.
    QSqlDatabase db = Sql::db(connection);
    const bool own = !Transaction::isOpen(connection) && db.transaction();
    const bool ok = readAll(connection, error);
    if (own) {
        db.commit();
    }
    return ok;
}

bool SnapshotInput::readAll(const QString& connection, QString* error)
{
    goals.clear();
    tasks.clear();
    assignments.clear();
    members.clear();
    QSqlQuery query(Sql::db(connection));
    QSet<QString> held;
    if (!run(query,
             QStringLiteral("SELECT ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, P_GID FROM GOALS_SW"),
             QStringLiteral("goals"),
             error)) {
        return false;
    }
    while (query.next()) {
        GoalRecord& goal = goals.emplace_back();
        readCommon(query, goal, held);
        // A goal numbered 0 is an ordinary goal; only an empty P_GID makes a top-level one.
        goal.parentId = Sql::optionalId(query.value(5));
    }
    if (!run(query,
             QStringLiteral(
                 "SELECT ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, DAYSPLANNED, FK_ID FROM TASKS_OBJECTS"),
             QStringLiteral("tasks"),
             error)) {
        return false;
    }
    while (query.next()) {
        Task& task = tasks.emplace_back();
        readCommon(query, task, held);
        task.daysPlanned = Figure::nonNegative(Figure::fromVariant(query.value(5)));
        task.goalId = query.value(6).toLongLong();
    }
    tasks.shrink_to_fit(); // a large project's spare capacity would be held throughout
    // The primary key's order: by task, then by member name.
    if (!run(query,
             QStringLiteral("SELECT FK_TASKID, FK_R_NAME, PER_WORKLOAD, PER_COMPLETED, DAYS_NEEDED"
                            " FROM TASK_OBJECT_RESOURCE ORDER BY FK_TASKID, FK_R_NAME"),
             QStringLiteral("assignments"),
             error)) {
        return false;
    }
    // Each member's name is held once, however many assignments name it.
    QSet<QString> names;
    while (query.next()) {
        const QString member = *names.insert(query.value(1).toString());
        assignments.push_back({query.value(0).toLongLong(),
                               member,
                               Figure::fromVariant(query.value(2)),
                               Figure::fromVariant(query.value(3)),
                               Figure::fromVariant(query.value(4))});
    }
    assignments.shrink_to_fit();
    QString why;
    if (!SnapshotHours::team(connection, &members, &why)) {
        Sql::setError(error, QStringLiteral("Reading the team members failed: %1").arg(why));
        return false;
    }
    return true;
}
