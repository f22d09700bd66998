#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <optional>

// Small helpers around Qt SQL so that every caller reports errors the same way:
// the cause in words with the engine's code and text on a details line (ErrorText).
class Sql
{
public:
    static QSqlDatabase db(const QString& connection) { return QSqlDatabase::database(connection, false); }
    static QString describe(const QSqlError& error);
    // The same for a failed query: on a team server whose session has gone, the loss
    // in words even where the driver got no result to take a code from.
    static QString describe(const QSqlQuery& query);
    // The same for an engine result code (extended) and the engine's own text.
    static QString describe(int code, const QString& engineText);
    // `what` in place of the engine's cause, with the same details line.
    static QString describe(const QString& what, const QSqlError& error);
    // Prepares `sql` on `query`; on failure fills *error and returns false.
    static bool prepare(QSqlQuery& query, const QString& sql, QString* error);
    // Executes a prepared query; on failure fills *error and returns false.
    static bool exec(QSqlQuery& query, QString* error);
    // Executes one statement without parameters.
    static bool exec(const QString& connection, const QString& sql, QString* error);
    // Prepares `sql` forward-only on `query`, binds `values` in order and executes it.
    static bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error);
    // The same on a fresh query of `connection`, for statements that return no rows.
    static bool run(const QString& connection, const QString& sql, const QVariantList& values, QString* error);
    // Executes `sql` (no parameters) forward-only on `query` and moves to its first row;
    // fills *error and returns false when it fails or yields no row.
    static bool firstRow(QSqlQuery& query, const QString& sql, QString* error);

    // An ORDER BY term for `expression` ascending with NULL first, as a file orders it;
    // a server would put NULL last.
    static QString nullsFirst(const QString& expression)
    {
        return QStringLiteral("(%1 IS NOT NULL), %1").arg(expression);
    }

    // NULL of a column's type, for binding where a value is absent.
    static QVariant nullText() { return QVariant(QMetaType(QMetaType::QString)); }
    static QVariant nullInteger() { return QVariant(QMetaType(QMetaType::LongLong)); }
    static QVariant nullReal() { return QVariant(QMetaType(QMetaType::Double)); }
    // An absent value binds as NULL, a present one as itself (an empty text as '').
    static QVariant orNull(const std::optional<QString>& text) { return text ? QVariant(*text) : nullText(); }
    static QVariant orNull(const std::optional<qint64>& id) { return id ? QVariant(*id) : nullInteger(); }
    // Optional text that is stored as NULL when absent or empty.
    static QVariant textOrNull(const QString& text) { return text.isEmpty() ? nullText() : QVariant(text); }
    static QVariant textOrNull(const std::optional<QString>& text) { return textOrNull(text.value_or(QString())); }
    // A read value, empty when the column holds NULL.
    static std::optional<QString> optionalText(const QVariant& v)
    {
        return v.isNull() ? std::nullopt : std::optional<QString>(v.toString());
    }
    static std::optional<qint64> optionalId(const QVariant& v)
    {
        return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
    }

    static void setError(QString* error, const QString& text)
    {
        if (error) {
            *error = text;
        }
    }
};
