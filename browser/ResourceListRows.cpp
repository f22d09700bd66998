#include "browser/ResourceListRows.h"

#include "browser/NumberText.h"
#include "browser/TaskFigures.h"
#include "common/Figure.h"
#include "db/Sql.h"

#include <cmath>

namespace {
// As on the task list: an unknown difference is neither behind nor on plan.
ListRow::Colour signColour(double value)
{
    if (!Figure::isKnown(value)) {
        return ListRow::Colour::Normal;
    }
    return value < 0 ? ListRow::Colour::Red : ListRow::Colour::Green;
}
} // namespace

bool ResourceListRows::build(const QString& connection, qint64 taskId, QList<ListRow>* rows, QString* error)
{
    rows->clear();
    const NumberText text;
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!Sql::prepare(query,
                      QStringLiteral("SELECT FK_R_NAME, PER_WORKLOAD, PER_COMPLETED, PerTotWkldDone, DAYS_NEEDED,"
                                     " NewEstimateR, diff, (SELECT t.DAYSPLANNED FROM TASKS_OBJECTS t WHERE t.ID ="
                                     " FK_TASKID) FROM qLvResource WHERE FK_TASKID = ? ORDER BY FK_R_NAME"),
                      error)) {
        return false;
    }
    query.addBindValue(taskId);
    if (!Sql::exec(query, error)) {
        return false;
    }
    double workload = 0;
    double totalDone = 0;
    double needed = 0;
    double estimate = 0;
    double difference = 0;
    while (query.next()) {
        const double share = Figure::fromVariant(query.value(1));
        const double completed = Figure::fromVariant(query.value(2));
        const double need = Figure::fromVariant(query.value(4));
        // The view's figures, shown where the same formulas over the checked values
        // are known: SQLite reads text as 0 and a negative planned day count as it is.
        const double planned = Figure::nonNegative(Figure::fromVariant(query.value(7)));
        const double plannedShare = planned / 100 * share;
        const double e = TaskFigures::assignmentEstimate(planned, share, completed, need);
        auto shown = [&query](double check, int column) {
            return Figure::isKnown(check) ? Figure::fromVariant(query.value(column)) : Figure::kUnknown;
        };
        const double done = shown(completed * share / 100, 3);
        const double est = shown(e, 5);
        const double diff = shown(plannedShare - e, 6);
        ListRow row;
        row.kind = ListRow::Kind::Assignment;
        row.tag = QStringLiteral("R");
        row.cells << query.value(0).toString() << text.number(share) << text.number(completed) << text.number(done)
                  << text.number(need) << text.rounded(est) << text.rounded(diff);
        row.colours = QList<ListRow::Colour>(kColumns, ListRow::Colour::Normal);
        row.colours[kScheduleColumn] = signColour(diff);
        rows->append(row);
        workload += share;
        totalDone += done;
        needed += need;
        estimate += est;
        difference += diff;
    }
    if (rows->isEmpty()) {
        return true;
    }
    ListRow totals;
    totals.kind = ListRow::Kind::Totals;
    totals.tag = QStringLiteral("W");
    totals.bold = true;
    totals.cells << QStringLiteral("Totals:") << text.number(workload) << text.number(qint64(0))
                 << text.number(totalDone) << text.number(needed) << text.rounded(estimate) << text.rounded(difference);
    totals.colours = QList<ListRow::Colour>(kColumns, ListRow::Colour::Normal);
    // Shares like 33.3 + 33.3 + 33.4 add up to 100 only up to binary representation
    // error; a total the list shows as 100 is complete.
    // Shares that are not all known neither add up to 100 nor miss it.
    totals.colours[kWorkloadColumn] = !Figure::isKnown(workload) ? ListRow::Colour::Normal
        : std::fabs(workload - 100) <= 1e-9                      ? ListRow::Colour::Green
                                                                 : ListRow::Colour::Red;
    totals.colours[2] = ListRow::Colour::Hidden;
    totals.colours[kScheduleColumn] = signColour(difference);
    rows->append(totals);
    return true;
}
