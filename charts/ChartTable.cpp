#include "charts/ChartTable.h"

#include <QTimeZone>
#include <cmath>

namespace {
// UTC only as a calendar without daylight-saving gaps: the values are naive.
QDateTime dayZero()
{
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0), QTimeZone::utc());
}
} // namespace

std::optional<double> ChartTable::value(int period, int seriesIndex) const
{
    if (period < 0 || period >= cells.size() || seriesIndex < 0 || seriesIndex >= cells.at(period).size()) {
        return std::nullopt;
    }
    return cells.at(period).at(seriesIndex);
}

QList<std::optional<double>> ChartTable::column(int seriesIndex) const
{
    QList<std::optional<double>> values;
    values.reserve(periods.size());
    for (int p = 0; p < periods.size(); ++p) {
        values << value(p, seriesIndex);
    }
    return values;
}

QDateTime ChartTable::dateFromSerial(double days)
{
    if (!std::isfinite(days)) {
        return {};
    }
    return dayZero().addSecs(qint64(std::llround(days * 86400.0)));
}

double ChartTable::serialFromDate(const QDateTime& dateTime)
{
    const QDateTime naive(dateTime.date(), dateTime.time(), QTimeZone::utc());
    return double(dayZero().secsTo(naive)) / 86400.0;
}
