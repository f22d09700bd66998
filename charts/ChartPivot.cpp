#include "charts/ChartPivot.h"

#include "charts/ChartPeriod.h"
#include "charts/ChartQuery.h"
#include "common/Figure.h"
#include "db/ProjectRecords.h"
#include "db/Sql.h"

#include <QHash>
#include <QMap>
#include <algorithm>

bool ChartPivot::run(
    const QString& connection, const ChartState& state, ChartTable* table, QString* error, const QLocale& locale)
{
    *table = ChartTable();
    if (state.filter.isEmpty()) {
        return true;
    }
    const ChartQuery query = ChartQuery::BuildChartSql(state);
    QSqlQuery q(Sql::db(connection));
    if (!Sql::run(q, query.sql, query.values, error)) {
        return false;
    }
    QList<Row> rows;
    while (q.next()) {
        rows.append(Row{q.value(0).toString(), q.value(1).toString(), q.value(2)});
    }
    if (q.lastError().isValid()) {
        Sql::setError(error, Sql::describe(q));
        return false;
    }
    *table = pivot(rows, state.grouping, state.source, locale);
    return true;
}

QString ChartPivot::seriesKey(ChartSource source, const QString& name)
{
    return source == ChartSource::Members ? name.toCaseFolded() : name;
}

ChartTable
ChartPivot::pivot(const QList<Row>& rows, ChartState::Grouping grouping, ChartSource source, const QLocale& locale)
{
    auto keyOf = [source](const QString& name) { return seriesKey(source, name); };

    QMap<QString, int> periodIndex; // "YYYY-MM-DD" sorts in time order
    QHash<QString, QString> seriesName; // key -> name as shown (from the latest period)
    QHash<QString, QString> seriesSeenAt;
    for (const Row& row : rows) {
        periodIndex.insert(row.periodStart, 0);
        const QString key = keyOf(row.series);
        if (!seriesName.contains(key) || row.periodStart >= seriesSeenAt.value(key)) {
            seriesName.insert(key, row.series);
            seriesSeenAt.insert(key, row.periodStart);
        }
    }

    ChartTable table;
    int p = 0;
    for (auto it = periodIndex.begin(); it != periodIndex.end(); ++it, ++p) {
        it.value() = p;
        const QDate start = QDate::fromString(it.key(), Qt::ISODate);
        table.periods.append(
            ChartTable::Period{start, start.isValid() ? ChartPeriod::label(grouping, start, locale) : it.key()});
    }
    QStringList keys = seriesName.keys();
    std::sort(keys.begin(), keys.end(), [&](const QString& a, const QString& b) {
        const QString& na = seriesName.value(a);
        const QString& nb = seriesName.value(b);
        const QString ka = MemberName::key(na);
        const QString kb = MemberName::key(nb);
        return ka != kb ? ka < kb : na < nb;
    });
    QHash<QString, int> seriesIndex;
    for (int s = 0; s < keys.size(); ++s) {
        seriesIndex.insert(keys.at(s), s);
        table.series.append(seriesName.value(keys.at(s)));
    }
    table.cells =
        QList<QList<std::optional<double>>>(table.periods.size(), QList<std::optional<double>>(table.series.size()));
    for (const Row& row : rows) {
        // NULL and figures that are not known (see Figure) leave the cell empty.
        const double v = Figure::fromVariant(row.value);
        if (Figure::isKnown(v)) {
            table.cells[periodIndex.value(row.periodStart)][seriesIndex.value(keyOf(row.series))] = v;
        }
    }
    return table;
}
