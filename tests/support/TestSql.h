#pragma once

#include "db/Sql.h"
#include "tests/support/TempProject.h"

#include <QtTest>

// Runs one statement on a test project; aborts the test on a database error.
inline void runSql(const TempProject& p, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(Sql::db(p.connection()));
    QVERIFY2(q.prepare(sql), qPrintable(Sql::describe(q.lastError())));
    for (const QVariant& v : values) {
        q.addBindValue(v);
    }
    QVERIFY2(q.exec(), qPrintable(Sql::describe(q.lastError())));
}

inline QString statusOf(const TempProject& p, const char* table, qint64 id)
{
    return p.scalar(QStringLiteral("SELECT STATUS FROM %1 WHERE ID = ?").arg(QLatin1String(table)), {id}).toString();
}

inline qint64 countOf(const TempProject& p, const QString& sql, const QVariantList& values = {})
{
    return p.scalar(sql, values).toLongLong();
}
