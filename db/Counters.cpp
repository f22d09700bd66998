#include "db/Counters.h"

#include "db/Sql.h"
#include "db/Transaction.h"

QString Counters::column(Kind kind)
{
    switch (kind) {
    case Kind::Goal:
        return QStringLiteral("GOAL_APP");
    case Kind::Task:
        return QStringLiteral("TASK_OBJECT");
    case Kind::Note:
        return QStringLiteral("NOTE");
    }
    return {};
}

std::optional<qint64> Counters::next(const QString& connection, Kind kind, QString* error)
{
    if (!Transaction::isOpen(connection)) {
        Sql::setError(error, QStringLiteral("Identifiers are allocated only inside a transaction."));
        return std::nullopt;
    }
    const QString col = column(kind);
    QSqlQuery query(Sql::db(connection));
    if (!query.exec(QStringLiteral("UPDATE COUNTERS SET %1 = %1 + 1 RETURNING %1").arg(col))) {
        Sql::setError(error, Sql::describe(query));
        return std::nullopt;
    }
    if (!query.next()) {
        Sql::setError(error, QStringLiteral("The table COUNTERS has no row."));
        return std::nullopt;
    }
    const qint64 id = query.value(0).toLongLong();
    query.finish();
    return id;
}

std::optional<qint64> Counters::last(const QString& connection, Kind kind, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT %1 FROM COUNTERS").arg(column(kind)))) {
        Sql::setError(error, Sql::describe(query));
        return std::nullopt;
    }
    if (!query.next()) {
        Sql::setError(error, QStringLiteral("The table COUNTERS has no row."));
        return std::nullopt;
    }
    return query.value(0).toLongLong();
}
