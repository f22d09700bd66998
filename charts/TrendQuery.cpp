#include "charts/TrendQuery.h"

#include "charts/ChartPeriod.h"
#include "common/Stamp.h"
#include "db/Sql.h"

#include <QHash>

namespace {
// OBJ and GT_ID of a node; the root is the goal row with GT_ID 0.
QString keyOf(const QString& obj, qint64 id)
{
    return obj + QString::number(id);
}
} // namespace

bool TrendQuery::load(const QString& connection,
                      const ChartFilter& filter,
                      std::optional<ChartState::Grouping> period,
                      QList<TrendLine>* lines,
                      QString* error)
{
    using Kind = ChartFilter::Kind;
    lines->clear();
    ChartFilter nodes;
    QHash<QString, qsizetype> lineOf;
    for (const ChartFilter::Term& term : filter.terms()) {
        if (term.kind != Kind::Root && term.kind != Kind::Goal && term.kind != Kind::Task) {
            continue;
        }
        const QString key = keyOf(term.kind == Kind::Task ? QStringLiteral("T") : QStringLiteral("G"),
                                  term.kind == Kind::Root ? 0 : term.id);
        if (lineOf.contains(key)) {
            continue;
        }
        lineOf.insert(key, lines->size());
        TrendLine line;
        line.node = term;
        *lines << line;
        nodes.add(term);
    }
    if (nodes.isEmpty()) {
        return true;
    }

    const QString periodStart =
        period ? ChartPeriod::startExpression(*period, QStringLiteral("TimeStamp")) : QStringLiteral("TimeStamp");
    const QString sql = QStringLiteral("SELECT OBJ, GT_ID, TimeStamp, GT_Status, Completion_Date, GT_Name, %1"
                                       " FROM CompDates WHERE (%2) AND %3 ORDER BY TimeStamp, ID")
                            .arg(periodStart, nodes.sql(), Stamp::sqlIsStamp(QStringLiteral("TimeStamp")));
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!Sql::run(query, sql, nodes.values(), error)) {
        return false;
    }
    // The period of each line's last point while it is still Open, so that a later
    // snapshot of the same period replaces that point.
    QHash<qsizetype, QString> lastPeriod;
    while (query.next()) {
        const auto it = lineOf.constFind(keyOf(query.value(0).toString(), query.value(1).toLongLong()));
        if (it == lineOf.constEnd()) {
            continue;
        }
        TrendLine& line = (*lines)[*it];
        line.found = true;
        line.name = query.value(5).toString();
        if (line.end != TrendLine::End::Open) {
            continue;
        }
        const QDateTime stamp = Stamp::fromText(query.value(2).toString());
        const QVariant status = query.value(3);
        // The root's row has no status: it is open as long as the project is.
        if (status.isNull() || status.toString() == QLatin1String("Open")) {
            const QDateTime forecast = Stamp::fromText(query.value(4).toString());
            if (!forecast.isValid()) {
                continue; // undated in this snapshot (no working time, or another tool's text)
            }
            const QString key = query.value(6).toString();
            if (period && !line.points.isEmpty() && lastPeriod.value(*it) == key) {
                line.points.last() = {stamp, forecast};
            } else {
                line.points << TrendLine::Point{stamp, forecast};
            }
            lastPeriod.insert(*it, key);
            continue;
        }
        line.endStatus = status.toString();
        if (line.endStatus == QLatin1String("Completed")) {
            line.end = TrendLine::End::Completed;
            line.points << TrendLine::Point{stamp, stamp};
        } else {
            line.end = TrendLine::End::Held;
            line.points << TrendLine::Point{stamp, {}};
        }
    }
    if (query.lastError().isValid()) {
        *error = Sql::describe(query);
        return false;
    }
    return true;
}
