#include "editing/EditSql.h"

bool EditSql::runToRow(
    QSqlQuery& query, const QString& sql, const QVariantList& values, const QString& missing, QString* error)
{
    if (!Sql::run(query, sql, values, error)) {
        return false;
    }
    if (!query.next()) {
        Sql::setError(error, missing);
        return false;
    }
    return true;
}
