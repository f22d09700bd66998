#pragma once

#include "charts/ChartState.h"
#include "charts/ChartTable.h"

#include <QString>

// The pivoted chart table as CSV (fields as CsvField::text(), "\n" line ends): a header
// with the period column (named by the grouping) and one column per series,
// then one line per period in time order. Empty cells stay empty; dates are
// written "YYYY-MM-DD HH:MM:SS", days "YYYY-MM-DD" whatever the locale, other
// numbers with up to 15 significant digits. Display-free.
class ChartCsv
{
public:
    static QString write(const ChartTable& table, const ChartState& state);
};
