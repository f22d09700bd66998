#pragma once

#include "reports/ChartState.h"

#include <QDate>
#include <QLocale>
#include <QString>

// The chart's periods. SQL reduces each snapshot stamp to the first day of its
// period ("YYYY-MM-DD"), which sorts in time order as text; the label is made
// from that day. Weeks are ISO 8601 weeks: they start on Monday, week 1 holds
// the year's first Thursday, and a week is labelled with the year its Thursday
// falls in, so 2027-01-01 belongs to "53 '26" and no week is split at New Year.
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
