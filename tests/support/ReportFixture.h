#pragma once

// Hand-built snapshots for the report tests: CompDates rows written directly, so the
// reports are tested on exactly the rows a snapshot holds.

#include "tests/support/ChartHistory.h"
#include "tests/support/FileDigest.h"

#include <QRegularExpression>
#include <QVariantMap>
#include <QtTest>

namespace ReportFixture {

inline const QString kOld = QStringLiteral("2026-03-02 09:00:00");
inline const QString kNew = QStringLiteral("2026-03-09 09:00:00");
inline const QString kIdle = QStringLiteral("2026-02-23 09:00:00");

// The number of pages of the PDF file at `path`.
inline qsizetype pdfPages(const QString& path)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return QString::fromLatin1(fileBytes(path)).count(page);
}

// Inserts one snapshot row; `values` maps CompDates column names to values.
inline void row(const TempProject& p, const QString& stamp, QVariantMap values)
{
    const QString obj = values.take(QStringLiteral("OBJ")).toString();
    ChartHistory::row(p, stamp, obj, values);
}

inline QVariantMap goal(int sort, qint64 id, const QString& hName, const QVariant& status, double planned)
{
    return {{"OBJ", "G"},
            {"GT_ID", id},
            {"GT_Name", hName.trimmed()},
            {"HName", hName},
            {"GT_Status", status},
            {"HTreeSort", sort},
            {"Planned", planned},
            {"PerComp", 10.0},
            {"Needed", 1.0},
            {"Est", planned},
            {"Diff", 0.0},
            {"Calc", 1}};
}

inline QVariantMap task(int sort,
                        qint64 id,
                        const QString& hName,
                        const QString& path,
                        const QString& status,
                        const QVariant& counter,
                        double comp,
                        double diff)
{
    return {{"OBJ", "T"},
            {"GT_ID", id},
            {"GT_Name", hName.trimmed()},
            {"HName", hName},
            {"GT_Path", path},
            {"GT_Status", status},
            {"HTreeSort", sort},
            {"CompOrderObj", counter},
            {"Planned", 10.0},
            {"PerComp", comp},
            {"Needed", 2.0},
            {"Est", 10.0 - diff},
            {"Diff", diff},
            {"Calc", 1},
            {"Completion_Date", "2026-03-12 15:30:00"}};
}

inline QVariantMap assignment(int sort,
                              qint64 taskId,
                              const QString& member,
                              const QString& hName,
                              const QString& status,
                              double share,
                              double comp,
                              double diff)
{
    return {{"OBJ", "R"},
            {"GT_Parent_ID", taskId},
            {"Res", member},
            {"GT_Name", member},
            {"HName", hName},
            {"GT_Status", status},
            {"HTreeSort", sort},
            {"Res_PerWrk", share},
            {"Planned", share / 10.0},
            {"PerComp", comp},
            {"Needed", 1.0},
            {"Est", share / 10.0 - diff},
            {"Diff", diff},
            {"Calc", 1}};
}

// Three snapshots. kNew, the newest, as an outline (HTreeSort from high to low):
//   Cairnwork
//     Alpha                      goal
//         Design  #1             task, Open       Amy 100 % Open
//         Build   #2             task, Open       Dan 40 % Open, Amy 60 % Open
//         Check   #2             task, Open       Bob 100 % Open
//         Beta                   goal, Completed
//             Old                task, Completed  Bob Completed
// kOld holds an older state of the same tree; in kIdle nothing is open.
// Rows go in out of order, so only an explicit ordering can list them right.
inline void build(TempProject& p)
{
    const QString a = QStringLiteral("\\Alpha");
    row(p, kNew, assignment(1, 14, "Bob", "                Bob", "Completed", 100, 100, 0));
    row(p, kNew, task(5, 13, "        Check", a, "Open", 2, 0, 0));
    row(p, kNew, goal(12, 0, "Cairnwork", QVariant(), 30));
    row(p, kNew, assignment(7, 12, "Dan", "            Dan", "Open", 40, 10, -0.125));
    row(p, kNew, task(8, 12, "        Build", a, "Open", 2, 25.5, -1.255));
    row(p, kNew, assignment(6, 12, "Amy", "            Amy", "Open", 60, 35, 0.5));
    row(p, kNew, assignment(4, 13, "Bob", "            Bob", "Open", 100, 0, 0));
    row(p, kNew, goal(11, 1, "    Alpha", "Open", 30));
    row(p, kNew, task(10, 11, "        Design", a, "Open", 1, 50, 1));
    row(p, kNew, assignment(9, 11, "Amy", "            Amy", "Open", 100, 50, 1));
    row(p, kNew, goal(3, 2, "        Beta", "Completed", 10));
    row(p, kNew, task(2, 14, "            Old", a + "\\Beta", "Completed", QVariant(), 100, 0));

    row(p, kOld, goal(4, 0, "Cairnwork", QVariant(), 99));
    row(p, kOld, goal(3, 1, "    Alpha", "Open", 99));
    row(p, kOld, task(2, 12, "        Build", a, "Open", 1, 5, 0));
    row(p, kOld, assignment(1, 12, "Amy", "            Amy", "Open", 100, 5, 0));

    row(p, kIdle, goal(4, 0, "Cairnwork", QVariant(), 5));
    row(p, kIdle, goal(3, 1, "    Alpha", "Completed", 5));
    row(p, kIdle, task(2, 12, "        Build", a, "Completed", QVariant(), 100, 0));
    row(p, kIdle, assignment(1, 12, "Amy", "            Amy", "Completed", 100, 100, 0));
}

} // namespace ReportFixture
