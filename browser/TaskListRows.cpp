#include "browser/TaskListRows.h"

#include "browser/GoalRollup.h"
#include "browser/NumberText.h"
#include "browser/TaskFigures.h"
#include "common/Figure.h"
#include "db/Sql.h"

#include <QHash>

namespace {
// Behind plan red, on or ahead of plan green; an unknown difference is neither,
// so it keeps the list's own colour beside its empty cell.
ListRow::Colour signColour(double value)
{
    if (!Figure::isKnown(value)) {
        return ListRow::Colour::Normal;
    }
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
        // The view computes the task figures as SQLite reads the stored values (text
        // as 0, a negative planned day count as it is); each is shown where the same
        // formulas over the checked values give a known figure.
        QHash<qint64, TaskFigures> checked;
        QSqlQuery inputs(Sql::db(connection));
        if (!Sql::run(inputs,
                      QStringLiteral("SELECT t.ID, t.DAYSPLANNED, r.PER_WORKLOAD, r.PER_COMPLETED, r.DAYS_NEEDED"
                                     " FROM TASKS_OBJECTS t LEFT JOIN TASK_OBJECT_RESOURCE r ON r.FK_TASKID = t.ID"
                                     " WHERE t.FK_ID = ?"),
                      {*goalId},
                      &queryError)) {
            return fail(queryError);
        }
        while (inputs.next()) {
            TaskFigures& f = checked[inputs.value(0).toLongLong()];
            f.planned = Figure::nonNegative(Figure::fromVariant(inputs.value(1)));
            if (!inputs.isNull(2)) {
                f.add(Figure::fromVariant(inputs.value(2)),
                      Figure::fromVariant(inputs.value(3)),
                      Figure::fromVariant(inputs.value(4)));
            }
        }
        QSqlQuery tasks(Sql::db(connection));
        const QString taskSql =
            QStringLiteral("SELECT ID, SHORT_NAME, OBJECT_TYPE, STATUS, PRIORITY, DAYSPLANNED, PDONE, DaysNeed,"
                           " NewEstimateR, DIFFERENCE FROM qLvTasks WHERE FK_ID = ? ORDER BY ID");
        if (!run(tasks, taskSql, goalId, &queryError)) {
            return fail(queryError);
        }
        while (tasks.next()) {
            const qint64 id = tasks.value(0).toLongLong();
            const TaskFigures f = checked.value(id);
            auto shown = [&tasks](double check, int column) {
                return Figure::isKnown(check) ? Figure::fromVariant(tasks.value(column)) : Figure::kUnknown;
            };
            const double difference = shown(f.difference(), 9);
            ListRow row;
            row.kind = ListRow::Kind::Task;
            row.tag = id;
            row.imageKey = tasks.value(2).toString() + tasks.value(3).toString();
            row.cells << tasks.value(1).toString() << text.value(tasks.value(4)) << text.number(shown(f.planned, 5))
                      << text.number(shown(f.done, 6)) << text.number(shown(f.needed, 7))
                      << text.rounded(shown(f.estimate, 8)) << text.rounded(difference);
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
    const QString daysToGo = text.rounded(own.daysToGo());
    summary.cells << (rolledUp && !daysToGo.isEmpty() ? daysToGo + QStringLiteral(" Days to go") : QString());
    addRolledUpCells(summary, text.number(qint64(0)), rolledUp, own, text);
    summary.colours[1] = ListRow::Colour::Hidden;
    rows->append(summary);
    if (!rolledUp) {
        Sql::setError(error, rollupError);
    }
    return rolledUp;
}
