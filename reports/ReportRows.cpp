#include "reports/ReportRows.h"

#include "common/Figure.h"
#include "common/Stamp.h"
#include "db/ProjectRecords.h"
#include "db/Sql.h"

#include <QHash>

namespace {

// Statuses and member names repeat on most rows; sharing one copy keeps large reports small.
class TextPool
{
public:
    QString operator()(const QVariant& v)
    {
        const QString text = v.toString();
        auto it = m_pool.constFind(text);
        if (it != m_pool.constEnd()) {
            return *it;
        }
        m_pool.insert(text, text);
        return text;
    }

private:
    QHash<QString, QString> m_pool;
};

bool finished(const QSqlQuery& query, QString* error)
{
    if (query.lastError().isValid()) {
        Sql::setError(error, Sql::describe(query));
        return false;
    }
    return true;
}

// The distinct stamps from the newest down, one index seek each rather than a
// pass over every snapshot row; stamps that are not a stored date and time
// (another tool may write anything) are stepped over. With `newestOnly` the walk
// stops at the first real stamp.
QString stampWalk(bool newestOnly)
{
    const QString isStamp = Stamp::sqlIsStamp(QStringLiteral("s.t"));
    return QStringLiteral("WITH RECURSIVE s(t) AS ("
                          " SELECT MAX(TimeStamp) FROM CompDates"
                          " UNION ALL SELECT (SELECT MAX(TimeStamp) FROM CompDates WHERE TimeStamp < s.t)"
                          " FROM s WHERE s.t IS NOT NULL%1)"
                          " SELECT t FROM s WHERE %2 ORDER BY t DESC")
        .arg(newestOnly ? QStringLiteral(" AND NOT ") + isStamp : QString(), isStamp);
}

} // namespace

bool ReportRows::stamps(const QString& connection, QStringList* out, QString* error)
{
    out->clear();
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, stampWalk(false), {}, error)) {
        return false;
    }
    while (query.next()) {
        out->append(query.value(0).toString());
    }
    return finished(query, error);
}

bool ReportRows::newestStamp(const QString& connection, QString* out, QString* error)
{
    out->clear();
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, stampWalk(true), {}, error)) {
        return false;
    }
    if (query.next()) {
        *out = query.value(0).toString();
    }
    return finished(query, error);
}

bool ReportRows::stampExists(const QString& connection, const QString& stamp, bool* exists, QString* error)
{
    *exists = false;
    QSqlQuery query(Sql::db(connection));
    const QString sql = QStringLiteral("SELECT 1 FROM CompDates WHERE TimeStamp = ? AND %1 LIMIT 1")
                            .arg(Stamp::sqlIsStamp(QStringLiteral("TimeStamp")));
    if (!Sql::run(query, sql, {stamp}, error)) {
        return false;
    }
    *exists = query.next();
    return finished(query, error);
}

bool ReportRows::overview(const QString& connection, const QString& stamp, QList<OverviewRow>* out, QString* error)
{
    out->clear();
    QSqlQuery query(Sql::db(connection));
    // RWrk is the member's share on assignment lines only.
    const QString sql =
        QStringLiteral("SELECT OBJ, HName, GT_Status, Completion_Date, Planned,"
                       " CASE WHEN OBJ = 'R' THEN Res_PerWrk ELSE NULL END AS RWrk, PerComp, Needed, Est, Diff"
                       " FROM rptVBHierarchy WHERE TimeStamp = ? ORDER BY HTreeSort DESC");
    if (!Sql::run(query, sql, {stamp}, error)) {
        return false;
    }
    TextPool pool;
    while (query.next()) {
        OverviewRow row;
        const QString obj = query.value(0).toString();
        row.obj = obj.isEmpty() ? QChar() : obj.at(0);
        row.hName = query.value(1).toString();
        row.status = pool(query.value(2));
        row.completionDate = query.value(3).toString();
        row.planned = Figure::fromVariant(query.value(4));
        row.rWrk = Figure::fromVariant(query.value(5));
        row.perComp = Figure::fromVariant(query.value(6));
        row.needed = Figure::fromVariant(query.value(7));
        row.est = Figure::fromVariant(query.value(8));
        row.diff = Figure::fromVariant(query.value(9));
        out->append(std::move(row));
    }
    return finished(query, error);
}

bool ReportRows::taskSchedule(const QString& connection,
                              const QString& stamp,
                              QList<TaskScheduleGroup>* out,
                              QString* error)
{
    out->clear();
    QSqlQuery query(Sql::db(connection));
    // T_ID only breaks ties between tasks that share a completion number.
    const QString sql = QStringLiteral("SELECT R_RES, T_STATUS, T_CounterTask, T_NAME, T_PATH, T_COMP, T_DIFF,"
                                       " R_STATUS, R_PW, R_COMP, R_DIFF, T_ID"
                                       " FROM rptVBScheduleTeamMembers WHERE TT = ? AND T_STATUS = 'Open'"
                                       " ORDER BY %1, R_RES, T_ID")
                            .arg(Sql::nullsFirst(QStringLiteral("T_CounterTask")));
    if (!Sql::run(query, sql, {stamp}, error)) {
        return false;
    }
    TextPool pool;
    // Tasks sharing a completion number interleave in member order; a task's lines are
    // gathered under the group of its first line. The task row identifies the group, so
    // two different tasks that happen to look alike are never merged.
    QHash<qint64, qsizetype> groupOfTask;
    while (query.next()) {
        const qint64 taskId = query.value(11).toLongLong();
        auto it = groupOfTask.constFind(taskId);
        qsizetype index;
        if (it == groupOfTask.constEnd()) {
            TaskScheduleGroup group;
            group.status = pool(query.value(1));
            group.counterTask = Figure::wholeFromVariant(query.value(2));
            group.name = query.value(3).toString();
            group.path = query.value(4).toString();
            group.comp = Figure::fromVariant(query.value(5));
            group.diff = Figure::fromVariant(query.value(6));
            group.taskId = taskId;
            index = out->size();
            out->append(std::move(group));
            groupOfTask.insert(taskId, index);
        } else {
            index = *it;
        }
        ScheduleAssignment line;
        line.res = pool(query.value(0));
        line.status = pool(query.value(7));
        line.pw = Figure::fromVariant(query.value(8));
        line.comp = Figure::fromVariant(query.value(9));
        line.diff = Figure::fromVariant(query.value(10));
        (*out)[index].members.append(std::move(line));
    }
    return finished(query, error);
}

bool ReportRows::memberSchedule(const QString& connection,
                                const QString& stamp,
                                QList<MemberScheduleGroup>* out,
                                QString* error)
{
    out->clear();
    QSqlQuery query(Sql::db(connection));
    const QString sql = QStringLiteral("SELECT R_RES, CounterTask, T_NAME, T_PATH, R_STATUS, R_PW, R_COMP, R_DIFF"
                                       " FROM rptVBScheduleTeamMembers WHERE TT = ? AND R_STATUS = 'Open'"
                                       " ORDER BY R_RES, %1, T_ID")
                            .arg(Sql::nullsFirst(QStringLiteral("CounterTask")));
    if (!Sql::run(query, sql, {stamp}, error)) {
        return false;
    }
    TextPool pool;
    while (query.next()) {
        const QString res = pool(query.value(0));
        // One member whatever the letter case, as the view orders them.
        if (out->isEmpty() || MemberName::key(out->last().res) != MemberName::key(res)) {
            out->append(MemberScheduleGroup{res, {}});
        }
        MemberScheduleLine line;
        line.counterTask = Figure::wholeFromVariant(query.value(1));
        line.name = query.value(2).toString();
        line.path = query.value(3).toString();
        line.status = pool(query.value(4));
        line.pw = Figure::fromVariant(query.value(5));
        line.comp = Figure::fromVariant(query.value(6));
        line.diff = Figure::fromVariant(query.value(7));
        out->last().tasks.append(std::move(line));
    }
    return finished(query, error);
}
