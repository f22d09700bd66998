#include "editing/EditSql.h"

bool EditSql::run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    if (!Sql::prepare(query, sql, error)) {
        return false;
    }
    for (const QVariant& v : values) {
        query.addBindValue(v);
    }
    return Sql::exec(query, error);
}

bool EditSql::run(const QString& connection, const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    return run(query, sql, values, error);
}

bool EditSql::runToRow(
    QSqlQuery& query, const QString& sql, const QVariantList& values, const QString& missing, QString* error)
{
    if (!run(query, sql, values, error)) {
        return false;
    }
    if (!query.next()) {
        Sql::setError(error, missing);
        return false;
    }
    return true;
}
