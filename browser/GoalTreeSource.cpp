#include "browser/GoalTreeSource.h"

#include "db/Sql.h"

bool GoalTreeSource::childGoals(const QString& connection,
                                std::optional<qint64> parentId,
                                QList<GoalNodeRow>* rows,
                                QString* error)
{
    rows->clear();
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT q.ID, q.OBJECT_TYPE, q.SHORT_NAME, q.STATUS,"
                                       " EXISTS (SELECT 1 FROM GOALS_SW c WHERE c.P_GID = q.ID)"
                                       " FROM qTreeGoal q WHERE %1 ORDER BY q.ID")
                            .arg(parentId ? QStringLiteral("q.P_GID = ?") : QStringLiteral("q.P_GID IS NULL"));
    if (!Sql::prepare(query, sql, error)) {
        return false;
    }
    if (parentId) {
        query.addBindValue(*parentId);
    }
    if (!Sql::exec(query, error)) {
        return false;
    }
    while (query.next()) {
        rows->append({query.value(0).toLongLong(),
                      query.value(1).toString(),
                      query.value(2).toString(),
                      query.value(3).toString(),
                      query.value(4).toBool()});
    }
    return true;
}
