#include "reports/ChartQuery.h"

#include "reports/ChartPeriod.h"

namespace {
// julianday() of 1899-12-30: date measures become the serial day numbers the
// old data files used, so averages and sums of dates compare with their figures.
const char* const kDayZero = "2415018.5";
} // namespace

ChartQuery ChartQuery::BuildChartSql(const ChartState& state)
{
    const bool goals = state.source == ChartSource::Goals;
    const QString table = goals ? QStringLiteral("CompDates") : QStringLiteral("CompDatesRes");
    const QString series = goals ? QStringLiteral("GT_Name") : QStringLiteral("Res");
    const QString column = (goals ? QString() : QStringLiteral("S")) + ChartState::measureWord(state.measure);
    const QString value =
        state.isDateMeasure() ? QStringLiteral("(julianday(%1) - %2)").arg(column, QLatin1String(kDayZero)) : column;
    const QString period = ChartPeriod::startExpression(state.grouping, QStringLiteral("TimeStamp"));
    const QString where = state.filter.isEmpty() ? QStringLiteral("0") : QStringLiteral("(%1)").arg(state.filter.sql());

    ChartQuery query;
    query.values = state.filter.values();
    switch (state.aggregate) {
    case ChartState::Aggregate::Avg:
    case ChartState::Aggregate::Sum: {
        const QString function =
            state.aggregate == ChartState::Aggregate::Avg ? QStringLiteral("AVG") : QStringLiteral("SUM");
        query.sql = QStringLiteral("SELECT %1 AS PeriodStart, %2 AS Series, %3(%4) AS theValue"
                                   " FROM %5 WHERE %6 GROUP BY %1, %2")
                        .arg(period, series, function, value, table, where);
        break;
    }
    case ChartState::Aggregate::First:
    case ChartState::Aggregate::Last: {
        const QString direction =
            state.aggregate == ChartState::Aggregate::First ? QStringLiteral("ASC") : QStringLiteral("DESC");
        // The member view has one row per member and snapshot, so the stamp alone orders it.
        const QString order = goals ? QStringLiteral("TimeStamp %1, ID %1").arg(direction)
                                    : QStringLiteral("TimeStamp %1").arg(direction);
        query.sql = QStringLiteral("SELECT PeriodStart, Series, theValue FROM ("
                                   "SELECT %1 AS PeriodStart, %2 AS Series, %3 AS theValue,"
                                   " ROW_NUMBER() OVER (PARTITION BY %1, %2 ORDER BY %4) AS Pick"
                                   " FROM %5 WHERE %6) WHERE Pick = 1")
                        .arg(period, series, value, order, table, where);
        break;
    }
    }
    return query;
}
