#include "charts/ChartQuery.h"

#include "charts/ChartPeriod.h"
#include "common/Stamp.h"

namespace {
// julianday() of 1899-12-30: date measures become serial day numbers, the unit
// ChartTable holds dates in, so SQL averages and sums them as plain numbers of days.
const char* const kDayZero = "2415018.5";

// The figure of CompDatesRes for one measure, as the view defines it.
QString memberFigure(ChartState::Measure measure)
{
    using Measure = ChartState::Measure;
    switch (measure) {
    case Measure::Planned:
        return QStringLiteral("SUM(Planned)");
    case Measure::Est:
        return QStringLiteral("SUM(Est)");
    case Measure::PerComp:
        return QStringLiteral("CASE WHEN SUM(Planned) > 0 THEN SUM(Planned * PerComp) / SUM(Planned) ELSE 0 END");
    case Measure::Needed:
        return QStringLiteral("SUM(Needed)");
    case Measure::Diff:
        break;
    case Measure::Completion_Date:
        return QStringLiteral("MAX(Completion_Date)");
    case Measure::Progress:
        return QStringLiteral("CASE WHEN SUM(Planned) > 0 THEN (SUM(Planned) - SUM(Est)) / SUM(Planned) ELSE 0 END");
    }
    return QStringLiteral("SUM(Diff)");
}

// The rows of CompDatesRes for the chosen members only, with the one figure the
// chart shows. The view groups by a NOCASE name, which keeps SQLite from pushing
// a name filter into it, so every chart would aggregate all assignment rows of
// all snapshots; this is the view's definition with the filter applied first (a
// test holds the two equal). Its other figures would be computed for every group
// and thrown away, which doubles the cost. OBJ and Calc match the member index,
// which holds every column read here; likely() says that most rows are
// assignment rows, so that the planner keeps to that index rather than the one on
// OBJ whatever the number of members. The LIMIT keeps the outer query's stamp
// check out of this one (SQLite never moves a condition past a LIMIT): there it
// runs once per member and snapshot, here it would run once per assignment row.
// (The largest limit rather than -1, which a team server refuses.)
QString memberRows(ChartState::Measure measure, const QString& filter)
{
    return QStringLiteral("(SELECT Res, TimeStamp, %1 AS S%2"
                          " FROM CompDates WHERE likely(OBJ = 'R') AND Calc = 1 AND %3"
                          " GROUP BY Res, TimeStamp LIMIT 9223372036854775807) AS CompDatesRes")
        .arg(memberFigure(measure), ChartState::measureWord(measure), filter);
}
} // namespace

ChartQuery ChartQuery::BuildChartSql(const ChartState& state)
{
    const bool goals = state.source == ChartSource::Goals;
    const QString series = goals ? QStringLiteral("GT_Name") : QStringLiteral("Res");
    const QString column = (goals ? QString() : QStringLiteral("S")) + ChartState::measureWord(state.measure);
    const QString value =
        state.isDateMeasure() ? QStringLiteral("(julianday(%1) - %2)").arg(column, QLatin1String(kDayZero)) : column;
    const QString period = ChartPeriod::startExpression(state.grouping, QStringLiteral("TimeStamp"));
    const QString filter =
        state.filter.isEmpty() ? QStringLiteral("(1 = 0)") : QStringLiteral("(%1)").arg(state.filter.sql());
    const QString table = goals ? QStringLiteral("CompDates") : memberRows(state.measure, filter);
    // A snapshot whose stamp is not a stored date and time cannot be placed in any
    // period (another tool wrote it): it is left out before any aggregate sees it.
    const QString stamped = Stamp::sqlIsStamp(QStringLiteral("TimeStamp"));
    const QString where = goals ? filter + QStringLiteral(" AND ") + stamped : stamped;

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
                                   " FROM %5 WHERE %6) AS Picked WHERE Pick = 1")
                        .arg(period, series, value, order, table, where);
        break;
    }
    }
    return query;
}
