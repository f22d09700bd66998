#include "charts/ChartPeriod.h"

namespace {
QString twoDigitYear(int year)
{
    return QStringLiteral("%1").arg(((year % 100) + 100) % 100, 2, 10, QLatin1Char('0'));
}

// Weeks run Sunday to Saturday and week 1 is the one holding 1 January, so a
// year has 53 weeks, or 54 when a leap year starts on a Saturday.
int weekOfYear(const QDate& day)
{
    const int firstWeekday = QDate(day.year(), 1, 1).dayOfWeek() % 7; // Sunday 0
    return (day.dayOfYear() - 1 + firstWeekday) / 7 + 1;
}
} // namespace

QString ChartPeriod::startExpression(ChartState::Grouping grouping, const QString& column)
{
    switch (grouping) {
    case ChartState::Grouping::Year:
        return QStringLiteral("strftime('%Y-01-01', %1)").arg(column);
    case ChartState::Grouping::Quarter:
        // Concatenated, not arg()-formatted: the printf pattern holds a '%0'.
        return QStringLiteral("(strftime('%Y-', ") + column +
            QStringLiteral(") || printf('%02d', ((CAST(strftime('%m', ") + column +
            QStringLiteral(") AS INTEGER) - 1) / 3) * 3 + 1) || '-01')");
    case ChartState::Grouping::Month:
        return QStringLiteral("strftime('%Y-%m-01', %1)").arg(column);
    case ChartState::Grouping::Week:
        // Back six days, then forward to the next Sunday (or stay on it): the week's
        // Sunday, unless the week began last year, when its part in this year starts
        // on 1 January. Both are "YYYY-MM-DD", so max() picks the later day.
        return QStringLiteral("max(date(%1, '-6 days', 'weekday 0'), strftime('%Y-01-01', %1))").arg(column);
    case ChartState::Grouping::Day:
        break;
    }
    return QStringLiteral("date(%1)").arg(column);
}

QString ChartPeriod::label(ChartState::Grouping grouping, const QDate& start, const QLocale& locale)
{
    switch (grouping) {
    case ChartState::Grouping::Year:
        return QString::number(start.year());
    case ChartState::Grouping::Quarter:
        return QStringLiteral("Q%1 '%2").arg((start.month() - 1) / 3 + 1).arg(twoDigitYear(start.year()));
    case ChartState::Grouping::Month:
        return QStringLiteral("%1/%2").arg(start.month()).arg(start.year());
    case ChartState::Grouping::Week:
        return QStringLiteral("%1 '%2").arg(weekOfYear(start)).arg(twoDigitYear(start.year()));
    case ChartState::Grouping::Day:
        break;
    }
    return locale.toString(start, QLocale::ShortFormat);
}
