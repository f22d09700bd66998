#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

// Small helpers around Qt SQL so that every caller reports errors the same way:
// the cause in words with the engine's code and text on a details line (ErrorText).
class Sql
{
public:
    static QSqlDatabase db(const QString& connection) { return QSqlDatabase::database(connection, false); }
    static QString describe(const QSqlError& error);
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
    static void setError(QString* error, const QString& text)
    {
        if (error) {
            *error = text;
        }
    }
};
