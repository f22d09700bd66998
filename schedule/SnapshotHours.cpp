#include "schedule/SnapshotHours.h"

#include "db/Sql.h"

namespace {
const char* const kColumns = "R_NAME, MON_BEG, MON_END, TUE_BEG, TUE_END, WED_BEG, WED_END, THU_BEG, THU_END,"
                             " FRI_BEG, FRI_END, SAT_BEG, SAT_END, SUN_BEG, SUN_END";

// Appends the members read as kColumns.
void appendRows(QSqlQuery& query, std::vector<MemberRecord>* members)
{
    while (query.next()) {
        MemberRecord& m = members->emplace_back();
        m.name = query.value(0).toString();
        for (int d = 0; d < 7; ++d) {
            m.begin[d] = query.value(1 + 2 * d).toString();
            m.end[d] = query.value(2 + 2 * d).toString();
        }
    }
}
} // namespace

bool SnapshotHours::write(const QString& connection,
                          const QString& stamp,
                          const std::vector<MemberRecord>& members,
                          QString* error)
{
    QSqlQuery insert(Sql::db(connection));
    if (!Sql::prepare(insert,
                      QStringLiteral("INSERT INTO CompDatesHours (TimeStamp, %1)"
                                     " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                          .arg(QLatin1String(kColumns)),
                      error)) {
        return false;
    }
    for (const MemberRecord& m : members) {
        insert.bindValue(0, stamp);
        insert.bindValue(1, m.name);
        for (int d = 0; d < 7; ++d) {
            insert.bindValue(2 + 2 * d, m.begin[d]);
            insert.bindValue(3 + 2 * d, m.end[d]);
        }
        if (!Sql::exec(insert, error)) {
            return false;
        }
    }
    return true;
}

bool SnapshotHours::read(
    const QString& connection, const QString& stamp, std::vector<MemberRecord>* members, bool* stored, QString* error)
{
    members->clear();
    *stored = false;
    // Older files have no such table; the catalog is asked through the driver, whatever the engine.
    if (!Sql::db(connection).tables().contains(QStringLiteral("CompDatesHours"), Qt::CaseInsensitive)) {
        return true;
    }
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query,
                  QStringLiteral("SELECT %1 FROM CompDatesHours WHERE TimeStamp = ?").arg(QLatin1String(kColumns)),
                  {stamp},
                  error)) {
        return false;
    }
    appendRows(query, members);
    // A team without members still stored its (empty) hours: only a snapshot whose
    // rows name a member can tell, so "no rows" counts as none kept.
    *stored = !members->empty();
    return true;
}

bool SnapshotHours::team(const QString& connection, std::vector<MemberRecord>* members, QString* error)
{
    members->clear();
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!Sql::run(query, QStringLiteral("SELECT %1 FROM RESOURCES").arg(QLatin1String(kColumns)), {}, error)) {
        return false;
    }
    appendRows(query, members);
    return true;
}
