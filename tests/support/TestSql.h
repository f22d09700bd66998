#pragma once

#include "db/Sql.h"
#include "tests/support/TempProject.h"

#include <QtTest>

// Runs one statement on a test project; aborts the test on a database error.
inline void runSql(const TempProject& p, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(Sql::db(p.connection()));
    // The server cannot prepare a schema change: statements without values run as they are.
    if (values.isEmpty()) {
        QVERIFY2(q.exec(sql), qPrintable(Sql::describe(q.lastError())));
        return;
    }
    QVERIFY2(q.prepare(sql), qPrintable(Sql::describe(q.lastError())));
    for (const QVariant& v : values) {
        q.addBindValue(v);
    }
    QVERIFY2(q.exec(), qPrintable(Sql::describe(q.lastError())));
}

// Makes the project refuse `event` (INSERT or UPDATE) on `table` with `message`, for rows
// where `when` holds (SQL over NEW and OLD both engines read; empty: every row).
inline void refuseWrites(const TempProject& p,
                         const QString& event,
                         const QString& table,
                         const QString& message,
                         const QString& when = QString())
{
    const QString condition = when.isEmpty() ? QString() : QStringLiteral(" WHEN (%1)").arg(when);
    QStringList statements;
    if (TempProject::onServer()) {
        statements << QStringLiteral("CREATE FUNCTION refuse_write() RETURNS trigger LANGUAGE plpgsql AS"
                                     " $$ BEGIN RAISE EXCEPTION '%1'; END $$")
                          .arg(message)
                   << QStringLiteral(
                          "CREATE TRIGGER refuse BEFORE %1 ON %2 FOR EACH ROW%3 EXECUTE FUNCTION refuse_write()")
                          .arg(event, table, condition);
    } else {
        statements << QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2%3 BEGIN SELECT RAISE(ABORT, '%4'); END")
                          .arg(event, table, condition, message);
    }
    for (const QString& statement : statements) {
        QString error;
        QVERIFY2(Sql::exec(p.connection(), statement, &error), qPrintable(error));
    }
}

// Takes back refuseWrites() on `table`.
inline void allowWrites(const TempProject& p, const QString& table)
{
    QString error;
    const QString drop = TempProject::onServer() ? QStringLiteral("DROP TRIGGER refuse ON %1").arg(table)
                                                 : QStringLiteral("DROP TRIGGER refuse");
    QVERIFY2(Sql::exec(p.connection(), drop, &error), qPrintable(error));
}

inline QString statusOf(const TempProject& p, const char* table, qint64 id)
{
    return p.scalar(QStringLiteral("SELECT STATUS FROM %1 WHERE ID = ?").arg(QLatin1String(table)), {id}).toString();
}

inline qint64 countOf(const TempProject& p, const QString& sql, const QVariantList& values = {})
{
    return p.scalar(sql, values).toLongLong();
}
