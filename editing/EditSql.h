#pragma once

#include "db/Sql.h"

#include <QVariantList>

// Bound statements for the editors: every value is a parameter, never text in the SQL.
class EditSql
{
public:
    // Runs a query and steps to its first row; with no row fills *error with `missing`.
    static bool
    runToRow(QSqlQuery& query, const QString& sql, const QVariantList& values, const QString& missing, QString* error);
    // Rows changed by the last statement run on `query`.
    static int affected(const QSqlQuery& query) { return query.numRowsAffected(); }
};
