#pragma once

#include "charts/ChartState.h"

#include <QString>
#include <QVariantList>

// The chart's statement: one row per period and series with the aggregated
// value, columns PeriodStart ("YYYY-MM-DD"), Series (GT_Name or Res) and
// theValue (NULL kept; date measures as day numbers since 1899-12-30). The
// pivot into a table happens in ChartPivot. Display-free.
class ChartQuery
{
public:
    QString sql;
    QVariantList values;

    // Assembles the statement for `state`: CompDates rows for the goal tree,
    // CompDatesRes rows for the member tree. "First" and "Last" take the value of
    // the earliest and latest snapshot in the period (by TimeStamp, then row ID),
    // NULL included. Snapshots whose stamp is not a stored date and time are left
    // out. The filter's values are bound, never spliced.
    static ChartQuery BuildChartSql(const ChartState& state);
};
