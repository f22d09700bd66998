#include "charts/ChartTreeSource.h"

#include "common/Stamp.h"
#include "db/Sql.h"

namespace {

bool read(const QString& connection,
          const QString& sql,
          const QVariant& value,
          const QString& prefix,
          bool bold,
          QList<ChartNodeRow>* rows,
          QString* error)
{
    QSqlQuery q(Sql::db(connection));
    if (!Sql::run(q, sql, value.isValid() ? QVariantList{value} : QVariantList{}, error)) {
        return false;
    }
    while (q.next()) {
        ChartNodeRow row;
        row.tag = prefix + q.value(QStringLiteral("ID")).toString();
        row.text = q.value(QStringLiteral("SHORT_NAME")).toString();
        row.imageKey = q.value(QStringLiteral("OBJECT_TYPE")).toString() + q.value(QStringLiteral("STATUS")).toString();
        row.bold = bold;
        rows->append(row);
    }
    return true;
}

} // namespace

bool ChartTreeSource::children(const QString& connection, const QString& tag, QList<ChartNodeRow>* rows, QString* error)
{
    if (tag == QLatin1String("ROOT")) {
        return read(connection,
                    QStringLiteral("SELECT ID, OBJECT_TYPE, SHORT_NAME, STATUS FROM qTreeGoal"
                                   " WHERE P_GID IS NULL ORDER BY ID"),
                    QVariant(),
                    QStringLiteral("G"),
                    true,
                    rows,
                    error);
    }
    bool ok = false;
    const qint64 id = tag.mid(1).toLongLong(&ok);
    if (!ok) {
        return true;
    }
    if (tag.startsWith(QLatin1Char('G'))) {
        return read(connection,
                    QStringLiteral(
                        "SELECT ID, OBJECT_TYPE, SHORT_NAME, STATUS FROM qTreeGoal WHERE P_GID = ? ORDER BY ID"),
                    id,
                    QStringLiteral("G"),
                    true,
                    rows,
                    error) &&
            read(connection,
                 QStringLiteral(
                     "SELECT ID, OBJECT_TYPE, SHORT_NAME, STATUS FROM qTreeTasks WHERE FK_ID = ? ORDER BY ID"),
                 id,
                 QStringLiteral("T"),
                 false,
                 rows,
                 error);
    }
    if (tag.startsWith(QLatin1Char('T'))) {
        // qTreeRes carries the member's name in ID; the node shows it as its text too.
        return read(connection,
                    QStringLiteral("SELECT ID, OBJECT_TYPE, FK_R_NAME AS SHORT_NAME, STATUS FROM qTreeRes"
                                   " WHERE FK_TASKID = ? ORDER BY FK_R_NAME"),
                    id,
                    QStringLiteral("R"),
                    false,
                    rows,
                    error);
    }
    return true;
}

bool ChartTreeSource::members(const QString& connection, QStringList* names, QString* error)
{
    // Steps through the distinct names on the Res index (one seek per member)
    // instead of reading every assignment row of every snapshot. A member seen only
    // in snapshots whose stamp is no date and time has no chart to show.
    QSqlQuery q(Sql::db(connection));
    q.setForwardOnly(true);
    if (!Sql::prepare(
            q,
            QStringLiteral("WITH RECURSIVE m(R) AS ("
                           " SELECT (SELECT MIN(Res) FROM CompDates WHERE Res IS NOT NULL)"
                           " UNION ALL"
                           " SELECT (SELECT MIN(Res) FROM CompDates WHERE Res > m.R) FROM m WHERE m.R IS NOT NULL)"
                           " SELECT R FROM m WHERE R IS NOT NULL"
                           " AND EXISTS (SELECT 1 FROM CompDates c WHERE c.Res = m.R AND c.OBJ = 'R' AND %1)")
                .arg(Stamp::sqlIsStamp(QStringLiteral("c.TimeStamp"))),
            error) ||
        !Sql::exec(q, error)) {
        return false;
    }
    while (q.next()) {
        names->append(q.value(0).toString());
    }
    return true;
}
