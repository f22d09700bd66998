#include "browser/ResourceListRows.h"

#include "browser/NumberText.h"
#include "db/Sql.h"

#include <cmath>

namespace {
ListRow::Colour signColour(double value)
{
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
                                     " NewEstimateR, diff FROM qLvResource WHERE FK_TASKID = ? ORDER BY FK_R_NAME"),
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
        const double diff = query.value(6).toDouble();
        ListRow row;
        row.kind = ListRow::Kind::Assignment;
        row.tag = QStringLiteral("R");
        row.cells << query.value(0).toString() << text.value(query.value(1)) << text.value(query.value(2))
                  << text.value(query.value(3)) << text.value(query.value(4)) << text.rounded(query.value(5).toDouble())
                  << text.rounded(diff);
        row.colours = QList<ListRow::Colour>(kColumns, ListRow::Colour::Normal);
        row.colours[kScheduleColumn] = signColour(diff);
        rows->append(row);
        workload += query.value(1).toDouble();
        totalDone += query.value(3).toDouble();
        needed += query.value(4).toDouble();
        estimate += query.value(5).toDouble();
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
    totals.colours[kWorkloadColumn] = std::fabs(workload - 100) <= 1e-9 ? ListRow::Colour::Green : ListRow::Colour::Red;
    totals.colours[2] = ListRow::Colour::Hidden;
    totals.colours[kScheduleColumn] = signColour(difference);
    rows->append(totals);
    return true;
}
