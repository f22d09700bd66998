#include "charts/ChartCsv.h"

#include "common/CsvField.h"

namespace {
QString number(double value, bool date)
{
    if (date) {
        const QDateTime t = ChartTable::dateFromSerial(value);
        if (t.isValid() && t.date().year() >= 1 && t.date().year() <= 9999) {
            return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
    }
    return QString::number(value, 'g', 15);
}
} // namespace

QString ChartCsv::write(const ChartTable& table, const ChartState& state)
{
    QStringList header{CsvField::text(ChartState::groupingText(state.grouping))};
    for (const QString& name : table.series) {
        header << CsvField::text(name);
    }
    QString out = header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int p = 0; p < table.periods.size(); ++p) {
        const ChartTable::Period& period = table.periods.at(p);
        QStringList line{CsvField::text(state.grouping == ChartState::Grouping::Day ? period.start.toString(Qt::ISODate)
                                                                                    : period.label)};
        for (int s = 0; s < table.series.size(); ++s) {
            const std::optional<double> v = table.value(p, s);
            line << (v ? number(*v, state.isDateMeasure()) : QString());
        }
        out += line.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}
