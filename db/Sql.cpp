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
