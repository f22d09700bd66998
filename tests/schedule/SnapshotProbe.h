#pragma once

#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/Sql.h"
#include "schedule/SnapshotGenerator.h"
#include "tests/support/TempProject.h"

#include <QSqlRecord>
#include <QtTest>
#include <cmath>

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
                row.insert(r.fieldName(i), r.value(i));
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

    // Every column but ID and TimeStamp in table order, joined by "|", NULL as "-".
    static QString describe(const QVariantMap& row)
    {
        static const char* const columns[] = {
            "OBJ",       "GT_ID",        "GT_Type", "GT_Name",         "GT_Path",          "GT_Priority",
            "GT_Status", "GT_Parent_ID", "Res",     "Res_PerWrk",      "Planned",          "PerComp",
            "Needed",    "Est",          "Diff",    "Progress",        "Completion_Order", "Tree_Depth",
            "Calc",      "HTreeSort",    "HName",   "Completion_Date", "CompOrderObj"};
        QStringList values;
        for (const char* column : columns) {
            const QVariant v = row.value(QLatin1String(column));
            values << (v.isNull() ? QStringLiteral("-") : v.toString());
        }
        return values.join(QLatin1Char('|'));
    }

    // True when every expected column matches; an invalid QVariant expects NULL,
    // numbers compare to 1e-9.
    static bool matches(const QVariantMap& row, const QVariantMap& expected, QString* why)
    {
        if (row.isEmpty()) {
            *why = QStringLiteral("row missing");
            return false;
        }
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const QVariant actual = row.value(it.key());
            bool ok = false;
            if (!it.value().isValid()) {
                ok = actual.isNull();
            } else if (actual.isNull()) {
                ok = false;
            } else if (it.value().typeId() == QMetaType::Double || it.value().typeId() == QMetaType::Int ||
                       it.value().typeId() == QMetaType::LongLong) {
                ok = std::fabs(actual.toDouble() - it.value().toDouble()) < 1e-9;
            } else {
                ok = actual.toString() == it.value().toString();
            }
            if (!ok) {
                *why = QStringLiteral("%1 (%2): got %3, expected %4")
                           .arg(it.key(),
                                row.value(QStringLiteral("GT_Name")).toString(),
                                actual.isNull() ? QStringLiteral("NULL") : actual.toString(),
                                it.value().isValid() ? it.value().toString() : QStringLiteral("NULL"));
                return false;
            }
        }
        return true;
    }
};
