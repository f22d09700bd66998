#include "editing/MemberNames.h"

#include "editing/EditSql.h"

bool MemberNames::all(const QString& connection, QStringList* names, QString* error)
{
    names->clear();
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, QStringLiteral("SELECT R_NAME FROM RESOURCES ORDER BY R_NAME"), {}, error)) {
        return false;
    }
    while (query.next()) {
        names->append(query.value(0).toString());
    }
    return true;
}
