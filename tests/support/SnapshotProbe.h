#pragma once

#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/Sql.h"
#include "schedule/SnapshotGenerator.h"
#include "tests/support/TempProject.h"

#include <QSqlRecord>
#include <QtTest>

// Generates snapshots on a TempProject at fixed moments and reads their rows back.
class SnapshotProbe
{
public:
    // Generates a snapshot at `now`; aborts the test program on failure.
    static QString generate(const TempProject& p, const QString& now)
    {
        QString stamp;
        QString error;
        FixedClock clock(Stamp::fromText(now));
        if (!SnapshotGenerator::GenerateCompDates(p.connection(), clock, &stamp, &error)) {
            qFatal("snapshot failed: %s", qPrintable(error));
        }
        return stamp;
    }

    // A snapshot column as the schema spells it (a server reports names in lower case).
    static QString spelled(const QString& column)
    {
        static const QStringList names =
            QStringLiteral(
                "ID TimeStamp OBJ GT_ID GT_Type GT_Name GT_Path GT_Priority GT_Status GT_Parent_ID Res Res_PerWrk "
                "Planned "
                "PerComp Needed Est Diff Progress Completion_Order Tree_Depth Calc HTreeSort HName Completion_Date "
                "CompOrderObj")
                .split(QLatin1Char(' '));
        for (const QString& name : names) {
            if (name.compare(column, Qt::CaseInsensitive) == 0) {
                return name;
            }
        }
        return column;
    }

    // The rows of one snapshot in writing order (HTreeSort), each as column -> value.
    static QList<QVariantMap> rows(const TempProject& p, const QString& stamp)
    {
        QSqlQuery q(Sql::db(p.connection()));
        q.prepare(QStringLiteral("SELECT * FROM CompDates WHERE TimeStamp = ? ORDER BY HTreeSort"));
        q.addBindValue(stamp);
        if (!q.exec()) {
            qFatal("reading the snapshot failed: %s", qPrintable(Sql::describe(q.lastError())));
        }
        QList<QVariantMap> result;
        while (q.next()) {
            QVariantMap row;
            const QSqlRecord r = q.record();
            for (int i = 0; i < r.count(); ++i) {
                row.insert(spelled(r.fieldName(i)), r.value(i));
            }
            result << row;
        }
        return result;
    }

    // The row of the goal, task (by GT_ID and OBJ) or assignment (by task ID and member).
    static QVariantMap row(const QList<QVariantMap>& rows, const QString& obj, qint64 id, const QString& res = {})
    {
        for (const QVariantMap& r : rows) {
            if (r.value(QStringLiteral("OBJ")).toString() != obj) {
                continue;
            }
            if (obj == QLatin1String("R")) {
                if (r.value(QStringLiteral("GT_Parent_ID")).toLongLong() == id &&
                    r.value(QStringLiteral("Res")).toString() == res) {
                    return r;
                }
            } else if (r.value(QStringLiteral("GT_ID")).toLongLong() == id) {
                return r;
            }
        }
        return {};
    }

    // The named columns of a row joined by "|", NULL as "-".
    static QString pick(const QVariantMap& row, const QString& columns)
    {
        if (row.isEmpty()) {
            return QStringLiteral("row missing");
        }
        QStringList values;
        for (const QString& column : columns.split(QLatin1Char(' '))) {
            const QVariant v = row.value(column);
            values << (v.isNull() ? QStringLiteral("-") : v.toString());
        }
        return values.join(QLatin1Char('|'));
    }

    // Every column but ID and TimeStamp in table order.
    static QString describe(const QVariantMap& row)
    {
        return pick(row,
                    QStringLiteral("OBJ GT_ID GT_Type GT_Name GT_Path GT_Priority GT_Status GT_Parent_ID Res Res_PerWrk"
                                   " Planned PerComp Needed Est Diff Progress Completion_Order Tree_Depth Calc"
                                   " HTreeSort HName Completion_Date CompOrderObj"));
    }
};
