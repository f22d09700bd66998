#include "browser/TaskListRows.h"

#include "browser/GoalRollup.h"
#include "browser/NumberText.h"
#include "db/Sql.h"

namespace {
ListRow::Colour signColour(double value)
{
    return value < 0 ? ListRow::Colour::Red : ListRow::Colour::Green;
}

// The six derived cells of a goal row or the summary row; `priority` first.
// Without a roll-up the five values stay empty.
void addRolledUpCells(ListRow& row, const QString& priority, bool rolledUp, const GoalValues& v, const NumberText& text)
{
    row.colours = QList<ListRow::Colour>(TaskListRows::kColumns, ListRow::Colour::Normal);
    if (!rolledUp) {
        row.cells << priority << QString() << QString() << QString() << QString() << QString();
        return;
    }
    row.cells << priority << text.rounded(v.DaysPlanned) << text.rounded(v.percentDone()) << text.rounded(v.DaysNeeded)
              << text.rounded(v.NewEstimate) << text.rounded(v.Difference);
    row.colours[TaskListRows::kScheduleColumn] = signColour(v.Difference);
}

bool run(QSqlQuery& query, const QString& sql, std::optional<qint64> id, QString* error)
{
    query.setForwardOnly(true);
    if (!Sql::prepare(query, sql, error)) {
        return false;
    }
    if (id) {
        query.addBindValue(*id);
    }
    return Sql::exec(query, error);
}
} // namespace

bool TaskListRows::build(const QString& connection, std::optional<qint64> goalId, QList<ListRow>* rows, QString* error)
{
    rows->clear();
    const NumberText text;
    GoalRollup rollup;
    // Without roll-ups the list still shows what it can, with empty value cells.
    QString rollupError;
    const bool rolledUp = rollup.load(connection, goalId, &rollupError);
    auto fail = [&](const QString& message) {
        Sql::setError(error, rolledUp ? message : rollupError + QLatin1Char('\n') + message);
        return false;
    };
    QString queryError;

    QSqlQuery goals(Sql::db(connection));
    const QString goalSql = QStringLiteral("SELECT ID, SHORT_NAME, OBJECT_TYPE, STATUS, PRIORITY FROM qLvTasksGoals"
                                           " WHERE %1 ORDER BY ID")
                                .arg(goalId ? QStringLiteral("P_GID = ?") : QStringLiteral("P_GID IS NULL"));
    if (!run(goals, goalSql, goalId, &queryError)) {
        return fail(queryError);
    }
    while (goals.next()) {
        const qint64 id = goals.value(0).toLongLong();
        ListRow row;
        row.kind = ListRow::Kind::Goal;
        row.tag = id;
        row.imageKey = goals.value(2).toString() + goals.value(3).toString();
        row.bold = true;
        row.cells << goals.value(1).toString();
        addRolledUpCells(row, text.value(goals.value(4)), rolledUp, rollup.CalcGoalValues(id), text);
        rows->append(row);
    }

    if (goalId) {
        QSqlQuery tasks(Sql::db(connection));
        const QString taskSql =
            QStringLiteral("SELECT ID, SHORT_NAME, OBJECT_TYPE, STATUS, PRIORITY, DAYSPLANNED, PDONE, DaysNeed,"
                           " NewEstimateR, DIFFERENCE FROM qLvTasks WHERE FK_ID = ? ORDER BY ID");
        if (!run(tasks, taskSql, goalId, &queryError)) {
            return fail(queryError);
        }
        while (tasks.next()) {
            const double difference = tasks.value(9).toDouble();
            ListRow row;
            row.kind = ListRow::Kind::Task;
            row.tag = tasks.value(0).toLongLong();
            row.imageKey = tasks.value(2).toString() + tasks.value(3).toString();
            row.cells << tasks.value(1).toString() << text.value(tasks.value(4)) << text.value(tasks.value(5))
                      << text.value(tasks.value(6)) << text.value(tasks.value(7))
                      << text.rounded(tasks.value(8).toDouble()) << text.rounded(difference);
            row.colours = QList<ListRow::Colour>(kColumns, ListRow::Colour::Normal);
            row.colours[kScheduleColumn] = signColour(difference);
            rows->append(row);
        }
    }

    const GoalValues own = rollup.CalcGoalValues(goalId.value_or(0));
    ListRow summary;
    summary.kind = ListRow::Kind::Summary;
    summary.tag = QStringLiteral("SUMMARY");
    summary.imageKey = QStringLiteral("Sum");
    summary.bold = true;
    summary.cells << (rolledUp ? text.rounded(own.daysToGo()) + QStringLiteral(" Days to go") : QString());
    addRolledUpCells(summary, text.number(qint64(0)), rolledUp, own, text);
    summary.colours[1] = ListRow::Colour::Hidden;
    rows->append(summary);
    if (!rolledUp) {
        Sql::setError(error, rollupError);
    }
    return rolledUp;
}
