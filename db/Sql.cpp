#include "db/Sql.h"

QString Sql::describe(const QSqlError& error)
{
    QString code = error.nativeErrorCode();
    if (code.isEmpty()) {
        code = QString::number(static_cast<int>(error.type()));
    }
    QString text = error.databaseText();
    if (text.isEmpty()) {
        text = error.driverText();
    }
    return code + QStringLiteral(": ") + text;
}

bool Sql::prepare(QSqlQuery& query, const QString& sql, QString* error)
{
    if (query.prepare(sql)) {
        return true;
    }
    setError(error, describe(query.lastError()));
    return false;
}

bool Sql::exec(QSqlQuery& query, QString* error)
{
    if (query.exec()) {
        return true;
    }
    setError(error, describe(query.lastError()));
    return false;
}

bool Sql::exec(const QString& connection, const QString& sql, QString* error)
{
    QSqlQuery query(db(connection));
    if (query.exec(sql)) {
        return true;
    }
    setError(error, describe(query.lastError()));
    return false;
}

bool Sql::run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    if (!prepare(query, sql, error)) {
        return false;
    }
    for (const QVariant& v : values) {
        query.addBindValue(v);
    }
    return exec(query, error);
}

bool Sql::run(const QString& connection, const QString& sql, const QVariantList& values, QString* error)
{
    QSqlQuery query(db(connection));
    return run(query, sql, values, error);
}
