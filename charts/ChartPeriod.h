#pragma once

#include "charts/ChartState.h"

#include <QDate>
#include <QLocale>
#include <QString>

// The chart's periods. SQL reduces each snapshot stamp to the first day of its
// period ("YYYY-MM-DD"), which sorts in time order as text; the label is made
// from that day. Weeks start on Sunday and week 1 holds 1 January, so a week
// that spans New Year is two periods: 2020-12-31 is in "53 '20", 2021-01-01 in
// "1 '21". A year has weeks 1 to 53, or 54 (2000 ends in "54 '00").
// Display-free.
class ChartPeriod
{
public:
    // SQL expression giving the period's first day for the stamp column `column`
    // (stored "YYYY-MM-DD HH:MM:SS"). Fixed text, no values.
    static QString startExpression(ChartState::Grouping grouping, const QString& column);
    // The category label: 2002, Q3 '02, 9/2002, 36 '02, or the day in the
    // locale's short date format.
    static QString label(ChartState::Grouping grouping, const QDate& start, const QLocale& locale = QLocale());
};
