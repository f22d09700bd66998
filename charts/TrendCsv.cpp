#include "charts/TrendCsv.h"

#include "common/CsvField.h"
#include "common/Stamp.h"

namespace {
QString stampOrEmpty(const QDateTime& t)
{
    return t.isValid() ? Stamp::toText(t) : QString();
}

QString days(double value)
{
    return QString::number(value, 'f', 2);
}
} // namespace

QString TrendCsv::write(const QList<TrendLine>& lines, int last, double threshold)
{
    QString csv = QStringLiteral("Node,ID,Stamp,Forecast,Status\n");
    for (const TrendLine& line : lines) {
        const QString node = CsvField::text(line.name) + QLatin1Char(',') + QString::number(line.node.id);
        for (qsizetype i = 0; i < line.points.size(); ++i) {
            const TrendLine::Point& p = line.points.at(i);
            const bool end = line.end != TrendLine::End::Open && i == line.points.size() - 1;
            csv += node + QLatin1Char(',') + Stamp::toText(p.stamp) + QLatin1Char(',') + stampOrEmpty(p.forecast) +
                QLatin1Char(',') + CsvField::text(end ? line.endStatus : QStringLiteral("Open")) + QLatin1Char('\n');
        }
    }
    csv += QStringLiteral("\nNode,ID,First forecast,Latest forecast,Slip (days),Slip per week,Direction changes,"
                          "Trend finish,Flag\n");
    for (const TrendLine& line : lines) {
        const TrendSummary s = TrendSummary::of(line, last, threshold);
        csv += CsvField::text(line.name) + QLatin1Char(',') + QString::number(line.node.id) + QLatin1Char(',') +
            stampOrEmpty(s.firstForecast) + QLatin1Char(',') + stampOrEmpty(s.latestForecast) + QLatin1Char(',') +
            (s.firstForecast.isValid() ? days(s.slipDays) : QString()) + QLatin1Char(',') +
            (s.slipPerWeek ? days(*s.slipPerWeek) : QString()) + QLatin1Char(',') +
            QString::number(s.directionChanges) + QLatin1Char(',') + CsvField::text(s.finishText()) + QLatin1Char(',') +
            CsvField::text(s.flagText(line)) + QLatin1Char('\n');
    }
    return csv;
}
