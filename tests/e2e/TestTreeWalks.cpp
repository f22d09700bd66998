#include "browser/GoalRollup.h"
#include "browser/TaskListRows.h"
#include "charts/ChartTreeSource.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "editing/ObjectChecks.h"
#include "editing/ObjectDeleter.h"
#include "reports/ReportRows.h"
#include "schedule/OrderKeys.h"
#include "schedule/SnapshotGenerator.h"
#include "schedule/SnapshotRow.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TempProject.h"

#include <QtTest>

// Every walk over the goal tree, on trees no user would build by hand but the
// file allows (a chain 20,000 goals deep) or another tool may leave behind
// (loops of parents, parents that are gone): each ends, visits each goal once,
// and keeps what it stores bounded.
class TestTreeWalks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deepChainThroughEveryWalk();

private:
    static void exec(const TempProject& p, const QString& sql, const QVariantList& values = {})
    {
        QString error;
        QVERIFY2(Sql::run(p.connection(), sql, values, &error), qPrintable(error));
    }
    static QString snapshot(const TempProject& p)
    {
        QString stamp;
        QString error;
        FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 10:00:00")));
        if (!SnapshotGenerator::GenerateCompDates(p.connection(), clock, &stamp, &error)) {
            qFatal("snapshot failed: %s", qPrintable(error));
        }
        return stamp;
    }
    // The named columns of the snapshot's row of a goal or task, joined by "|" (NULL as "-").
    static QString columns(const TempProject& p, const QString& names, const QString& obj, qint64 id)
    {
        const QString joined = QStringLiteral("IFNULL(") + names.split(' ').join(", '-') || '|' || IFNULL(") + ", '-')";
        return p.scalar(QStringLiteral("SELECT %1 FROM CompDates WHERE OBJ = ? AND GT_ID = ?").arg(joined), {obj, id})
            .toString();
    }
};

void TestTreeWalks::deepChainThroughEveryWalk()
{
    constexpr qint64 kDepth = 20000;
    TempProject p;
    p.member(QStringLiteral("M"));
    {
        Transaction tx(p.connection());
        QSqlQuery insert(Sql::db(p.connection()));
        QVERIFY(insert.prepare(QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS,"
                                              " P_GID, CREATED) VALUES (?, 'Goal', ?, 50, 'Open', ?, '2026-01-01')")));
        for (qint64 id = 1; id <= kDepth; ++id) {
            insert.bindValue(0, id);
            insert.bindValue(1, QStringLiteral("G%1").arg(id));
            insert.bindValue(2, id == 1 ? Sql::nullInteger() : QVariant(id - 1));
            QVERIFY2(insert.exec(), qPrintable(Sql::describe(insert.lastError())));
        }
        QVERIFY(tx.commit());
    }
    const qint64 top = 1;
    const qint64 bottom = kDepth;
    const qint64 topTask = p.task(top, QStringLiteral("Top task"), 2);
    const qint64 bottomTask = p.task(bottom, QStringLiteral("Bottom task"), 2);
    p.assign(topTask, QStringLiteral("M"), 100, 0, 0);
    p.assign(bottomTask, QStringLiteral("M"), 100, 0, 0);

    // The snapshot: every row, bounded text, right at both ends.
    const QString stamp = snapshot(p);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDates")).toLongLong(), kDepth + 5);
    QCOMPARE(p.scalar(QStringLiteral("SELECT MAX(length(GT_Path)) FROM CompDates")).toInt(),
             SnapshotRow::kMaxPathLength);
    QVERIFY(p.scalar(QStringLiteral("SELECT MAX(length(Completion_Order)) FROM CompDates")).toInt() <=
            OrderKeys::kMaxLength);
    // The project's size once checkpointed: about 16 MB (a row stores at most 256 + 76 + 128
    // characters of path, key and indentation), where unbounded paths and keys took gigabytes.
    const qint64 bytes =
        p.scalar(QStringLiteral("SELECT page_count * page_size FROM pragma_page_count(), pragma_page_size()"))
            .toLongLong();
    QVERIFY2(bytes < 24 * 1024 * 1024, qPrintable(QString::number(bytes)));

    // Both tasks spell 0, then 50 at every level: one key, one number. The member does
    // the top task first (its assignment key is a prefix of the other), so the bottom
    // goal finishes last and the top goal with it.
    const QString deepPath = columns(p, QStringLiteral("GT_Path"), QStringLiteral("T"), bottomTask);
    QVERIFY2(deepPath.startsWith(QStringLiteral("\\G1\\G2\\G3\\")), qPrintable(deepPath));
    QVERIFY2(deepPath.endsWith(QStringLiteral("\\G19999\\G20000")), qPrintable(deepPath));
    const QString order = QStringLiteral("Completion_Order CompOrderObj Completion_Date");
    const QString topTaskOrder = columns(p, order, QStringLiteral("T"), topTask);
    QCOMPARE(topTaskOrder.section('|', 2), QStringLiteral("2026-12-09 10:00:00"));
    QCOMPARE(columns(p, order, QStringLiteral("T"), bottomTask),
             topTaskOrder.section('|', 0, 0) + QStringLiteral("|1|2026-12-11 10:00:00"));
    QCOMPARE(columns(p, QStringLiteral("GT_Path Completion_Order Completion_Date"), QStringLiteral("G"), top),
             QStringLiteral("-|050|2026-12-11 10:00:00"));
    QCOMPARE(columns(p, QStringLiteral("Tree_Depth CompOrderObj Planned HName"), QStringLiteral("G"), bottom),
             QStringLiteral("20000|20000|2.0|") + QString(4 * SnapshotRow::kIndentLevels, QLatin1Char(' ')) +
                 QStringLiteral("G20000"));
    QCOMPARE(columns(p, QStringLiteral("Planned"), QStringLiteral("G"), 0), QStringLiteral("4"));

    // The report rows in outline order and the chart's tree at both ends.
    QString error;
    QList<OverviewRow> overview;
    QVERIFY2(ReportRows::overview(p.connection(), stamp, &overview, &error), qPrintable(error));
    QCOMPARE(overview.size(), kDepth + 5);
    QCOMPARE(overview.at(1).hName, QStringLiteral("    G1"));
    QCOMPARE(overview.at(2).hName, QStringLiteral("        Top task"));
    QCOMPARE(overview.last().hName.trimmed(), QStringLiteral("M"));
    QCOMPARE(overview.at(overview.size() - 2).hName.trimmed(), QStringLiteral("Bottom task"));
    QList<TaskScheduleGroup> tasks;
    QVERIFY2(ReportRows::taskSchedule(p.connection(), stamp, &tasks, &error), qPrintable(error));
    QCOMPARE(tasks.size(), 2);
    QList<ChartNodeRow> nodes;
    QVERIFY2(ChartTreeSource::children(p.connection(), QStringLiteral("ROOT"), &nodes, &error), qPrintable(error));
    QCOMPARE(nodes.size(), 1);
    QCOMPARE(nodes.first().tag, QStringLiteral("G1"));
    nodes.clear();
    QVERIFY2(ChartTreeSource::children(p.connection(), QStringLiteral("G20000"), &nodes, &error), qPrintable(error));
    QCOMPARE(nodes.size(), 1);
    QCOMPARE(nodes.first().tag, QStringLiteral("T%1").arg(bottomTask));

    // The live roll-up and the task list of both ends.
    GoalRollup rollup;
    QVERIFY2(rollup.load(p.connection(), std::nullopt, &error), qPrintable(error));
    QCOMPARE(rollup.CalcGoalValues(0).DaysPlanned, 4.0);
    QCOMPARE(rollup.CalcGoalValues(top).DaysPlanned, 4.0);
    QCOMPARE(rollup.CalcGoalValues(bottom).DaysPlanned, 2.0);
    QList<ListRow> rows;
    QVERIFY2(TaskListRows::build(p.connection(), std::nullopt, &rows, &error), qPrintable(error));
    QCOMPARE(rows.first().tag.toLongLong(), top);
    QVERIFY2(TaskListRows::build(p.connection(), bottom - 1, &rows, &error), qPrintable(error));
    QCOMPARE(rows.first().tag.toLongLong(), bottom);

    // The status walk climbs the whole chain: with both tasks done every goal completes.
    exec(p, QStringLiteral("UPDATE TASKS_OBJECTS SET STATUS = 'Completed'"));
    ScriptedPrompter prompter;
    QList<StatusChange> changes;
    QVERIFY2(ObjectChecks::CheckParentStatus(p.connection(), bottom, prompter, &changes, &error), qPrintable(error));
    QCOMPARE(qint64(changes.size()), kDepth);
    QCOMPARE(changes.first().id, bottom);
    QCOMPARE(changes.last().id, top);

    // Deleting the top goal takes the whole chain with it.
    ScriptedPrompter yes({true});
    const EditOutcome deleted = ObjectDeleter::deleteGoal(p.connection(), top, ObjectDeleter::GoalSource::Tree, yes);
    QVERIFY2(deleted.ok, qPrintable(deleted.error));
    QVERIFY(deleted.written);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM GOALS_SW")).toInt(), 0);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM TASKS_OBJECTS")).toInt(), 0);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE")).toInt(), 0);
}

QTEST_GUILESS_MAIN(TestTreeWalks)
#include "TestTreeWalks.moc"
