#include "reports/ChartPeriod.h"

namespace {
QString twoDigitYear(int year)
{
    return QStringLiteral("%1").arg(((year % 100) + 100) % 100, 2, 10, QLatin1Char('0'));
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
        // Back six days, then forward to the next Monday (or stay on it): the week's Monday.
        return QStringLiteral("date(%1, '-6 days', 'weekday 1')").arg(column);
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
    case ChartState::Grouping::Week: {
        int weekYear = 0;
        const int week = start.weekNumber(&weekYear);
        return QStringLiteral("%1 '%2").arg(week).arg(twoDigitYear(weekYear));
    }
    case ChartState::Grouping::Day:
        break;
    }
    return locale.toString(start, QLocale::ShortFormat);
}
