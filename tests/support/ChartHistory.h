#pragma once

#include "db/Sql.h"
#include "tests/support/TempProject.h"

#include <QStringList>
#include <QVariantMap>
#include <QtTest>

// Snapshot rows written by hand, so the chart tests control every stamp.
namespace ChartHistory {

// Inserts one CompDates row; `columns` maps column names to values.
inline qint64 row(const TempProject& p, const QString& stamp, const QString& obj, const QVariantMap& columns)
{
    QStringList names{QStringLiteral("TimeStamp"), QStringLiteral("OBJ")};
    QVariantList values{stamp, obj};
    for (auto it = columns.begin(); it != columns.end(); ++it) {
        names << it.key();
        values << it.value();
    }
    QSqlQuery q(Sql::db(p.connection()));
    const QString marks = QStringList(QList<QString>(names.size(), QStringLiteral("?"))).join(QLatin1Char(','));
    if (!q.prepare(QStringLiteral("INSERT INTO CompDates (%1) VALUES (%2)").arg(names.join(QLatin1Char(',')), marks))) {
        qFatal("ChartHistory: %s", qPrintable(Sql::describe(q.lastError())));
    }
    for (const QVariant& v : values) {
        q.addBindValue(v);
    }
    if (!q.exec()) {
        qFatal("ChartHistory: %s", qPrintable(Sql::describe(q.lastError())));
    }
    return q.lastInsertId().toLongLong();
}

inline QVariant null()
{
    return QVariant(QMetaType::fromType<double>());
}

// A goal (or root, id 0) row with the given Diff.
inline void goal(const TempProject& p, const QString& stamp, qint64 id, const QString& name, const QVariant& diff)
{
    row(p,
        stamp,
        QStringLiteral("G"),
        {{QStringLiteral("GT_ID"), id},
         {QStringLiteral("GT_Name"), name},
         {QStringLiteral("Diff"), diff},
         {QStringLiteral("Calc"), 1}});
}

// An assignment row of `member` on task `taskId`.
inline void assignment(const TempProject& p,
                       const QString& stamp,
                       qint64 taskId,
                       const QString& member,
                       const QVariant& diff,
                       int calc = 1,
                       const QVariant& completion = null())
{
    row(p,
        stamp,
        QStringLiteral("R"),
        {{QStringLiteral("GT_Parent_ID"), taskId},
         {QStringLiteral("GT_Name"), QStringLiteral("%1 (T%2)").arg(member).arg(taskId)},
         {QStringLiteral("Res"), member},
         {QStringLiteral("Planned"), 10.0},
         {QStringLiteral("Est"), 10.0},
         {QStringLiteral("PerComp"), 0.0},
         {QStringLiteral("Needed"), 0.0},
         {QStringLiteral("Diff"), diff},
         {QStringLiteral("Completion_Date"), completion},
         {QStringLiteral("Calc"), calc}});
}

// Stamps across a year boundary: two snapshots in one month, the last days
// of a year and the first of the next (Thursday, Friday, Sunday), and a day
// with two snapshots.
inline QStringList stamps()
{
    return {QStringLiteral("2025-12-29 10:00:00"),
            QStringLiteral("2026-11-02 09:00:00"),
            QStringLiteral("2026-11-20 09:00:00"),
            QStringLiteral("2026-12-31 18:00:00"),
            QStringLiteral("2027-01-01 09:00:00"),
            QStringLiteral("2027-01-03 23:59:59"),
            QStringLiteral("2027-01-04 08:00:00"),
            QStringLiteral("2027-01-04 17:00:00")};
}

// Goal 1 "Alpha" with Diff 1..8 at stamps() (written newest first, so row order
// is not time order); goal 2 "Beta" with 10 on 2026-11-20 and NULL on
// 2027-01-04 08:00; the root row "Cairnwork" with 0 at every stamp.
inline void build(const TempProject& p)
{
    const QStringList s = stamps();
    for (int i = s.size() - 1; i >= 0; --i) {
        goal(p, s.at(i), 1, QStringLiteral("Alpha"), double(i + 1));
        goal(p, s.at(i), 0, QStringLiteral("Cairnwork"), 0.0);
    }
    goal(p, s.at(2), 2, QStringLiteral("Beta"), 10.0);
    goal(p, s.at(6), 2, QStringLiteral("Beta"), null());
}

} // namespace ChartHistory
