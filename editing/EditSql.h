#pragma once

#include "db/Sql.h"

#include <QVariant>
#include <QVariantList>
#include <optional>

// Bound statements for the editors: every value is a parameter, never text in the SQL.
class EditSql
{
public:
    // Runs a query and steps to its first row; with no row fills *error with `missing`.
    static bool
    runToRow(QSqlQuery& query, const QString& sql, const QVariantList& values, const QString& missing, QString* error);
    // Rows changed by the last statement run on `query`.
    static int affected(const QSqlQuery& query) { return query.numRowsAffected(); }

    static QVariant nullText() { return QVariant(QMetaType(QMetaType::QString)); }
    static QVariant nullId() { return QVariant(QMetaType(QMetaType::LongLong)); }
    static QVariant orNull(const std::optional<QString>& text) { return text ? QVariant(*text) : nullText(); }
    static QVariant orNull(const std::optional<qint64>& id) { return id ? QVariant(*id) : nullId(); }
    static std::optional<QString> optionalText(const QVariant& v)
    {
        return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
    }
    static std::optional<qint64> optionalId(const QVariant& v)
    {
        return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
    }
};
