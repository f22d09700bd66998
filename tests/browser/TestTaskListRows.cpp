#include "browser/GoalRollup.h"
#include "browser/NoteListRows.h"
#include "browser/ResourceListRows.h"
#include "browser/TaskListRows.h"
#include "common/Stamp.h"
#include "db/Sql.h"
#include "tests/support/TempProject.h"

#include <QtTest>

using Colour = ListRow::Colour;

namespace {
QList<ListRow> taskRows(const TempProject& p, std::optional<qint64> goal)
{
    QList<ListRow> rows;
    QString error;
    if (!TaskListRows::build(p.connection(), goal, &rows, &error)) {
        qFatal("%s", qPrintable(error));
    }
    return rows;
}
} // namespace

class TestTaskListRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rollUpOverThreeLevels();
    void summaryOfOneTask();
    void roundingHalfToEven_data();
    void roundingHalfToEven();
    void cycleEndsTheRollUp();
    void resourceTotals_data();
    void resourceTotals();
    void resourceRowsOfTaskWithoutAssignments();
    void noteRows();
};

// A: own tasks in every status; B open, C on hold, D closed, E completed with F below.
void TestTaskListRows::rollUpOverThreeLevels()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    auto task = [&p](qint64 goal, const QString& name, double days, const QString& status = QStringLiteral("Open")) {
        const qint64 id = p.task(goal, name, days, status);
        p.assign(id, QStringLiteral("Ann"), 100, 0, 0); // estimate = planned, difference 0
        return id;
    };
    const qint64 a = p.goal(QStringLiteral("A"));
    const qint64 b = p.goal(QStringLiteral("B"), a);
    const qint64 c = p.goal(QStringLiteral("C"), a, QStringLiteral("On Hold"), QStringLiteral("Application"));
    const qint64 d = p.goal(QStringLiteral("D"), a, QStringLiteral("Closed"));
    const qint64 e = p.goal(QStringLiteral("E"), a, QStringLiteral("Completed"));
    const qint64 f = p.goal(QStringLiteral("F"), e);
    const qint64 g = p.goal(QStringLiteral("G"), e, QStringLiteral("On Hold"));
    task(a, QStringLiteral("a open"), 1);
    task(a, QStringLiteral("a completed"), 2, QStringLiteral("Completed"));
    task(a, QStringLiteral("a on hold"), 4, QStringLiteral("On Hold"));
    task(a, QStringLiteral("a closed"), 8, QStringLiteral("Closed"));
    task(b, QStringLiteral("b"), 16);
    task(c, QStringLiteral("c"), 32);
    task(d, QStringLiteral("d"), 64);
    task(e, QStringLiteral("e"), 128);
    // Half done in 64 days: estimate 128, a difference of 128 that rolls up through E.
    p.assign(p.task(f, QStringLiteral("f"), 256), QStringLiteral("Ann"), 100, 50, 64);
    task(g, QStringLiteral("g"), 512);

    // Each row as its image (bold rows marked), tag and cells.
    QStringList shown;
    for (const ListRow& row : taskRows(p, a)) {
        shown << row.imageKey + (row.bold ? QStringLiteral("* ") : QStringLiteral(" ")) + row.tagText() +
                QLatin1Char(' ') + row.cells.join(QLatin1Char('|'));
    }
    // Tags are the IDs as created: goals B to E 2 to 5, A's own tasks 1 to 4.
    QCOMPARE(shown,
             (QStringList{
                 // Each sub-goal shows its own subtree, whatever its status; E leaves out G (on hold).
                 "GoalOpen* 2 B|50|16|0|0|16|0",
                 "ApplicationOn Hold* 3 C|50|32|0|0|32|0",
                 "GoalClosed* 4 D|50|64|0|0|64|0",
                 "GoalCompleted* 5 E|50|384|33.33|64|256|128",
                 // Every task of the goal is listed, counted or not.
                 "TaskOpen 1 a open|50|1|0|0|1|0",
                 "TaskCompleted 2 a completed|50|2|0|0|2|0",
                 "TaskOn Hold 3 a on hold|50|4|0|0|4|0",
                 "TaskClosed 4 a closed|50|8|0|0|8|0",
                 // A's open and completed tasks, B, and E with F (C, D, G and the tasks on
                 // hold or closed add nothing); the estimate less the days spent to go.
                 "Sum* SUMMARY 211 Days to go|0|403|31.76|64|275|128",
             }));
    QCOMPARE(taskRows(p, a).last().colours[1], Colour::Hidden); // the summary's priority
}

// 10 days planned, 40 % done, 3 needed, estimate 8, difference 2, through two assignments.
void TestTaskListRows::summaryOfOneTask()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("Bob"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 10);
    p.assign(t, QStringLiteral("Ann"), 50, 50, 1.5);
    p.assign(t, QStringLiteral("Bob"), 50, 30, 1.5);
    const QList<ListRow> rows = taskRows(p, g);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].cells, (QStringList{"T", "50", "10", "40", "3", "8", "2"}));
    QCOMPARE(rows[1].cells, (QStringList{"5 Days to go", "0", "10", "40", "3", "8", "2"}));
    QCOMPARE(rows[1].colours[TaskListRows::kScheduleColumn], Colour::Green);
}

void TestTaskListRows::roundingHalfToEven_data()
{
    QTest::addColumn<double>("planned");
    QTest::addColumn<double>("overrun"); // days needed beyond the plan, 0 for none
    QTest::addColumn<QString>("shown"); // the task's planned days, estimate, difference; the summary's planned days
    QTest::addColumn<Colour>("colour");
    // With nothing done the estimate is the plan and the difference 0.
    QTest::newRow("2.125 down to even") << 2.125 << 0.0 << "2.125 2.12 0 2.12" << Colour::Green;
    QTest::newRow("2.375 up to even") << 2.375 << 0.0 << "2.375 2.38 0 2.38" << Colour::Green;
    // 1 day planned, 100 % done with 3.125 days: estimate 3.125, difference -2.125.
    QTest::newRow("negative half") << 1.0 << 3.125 << "1 3.12 -2.12 1" << Colour::Red;
    // A difference that rounds to zero from below is still below zero.
    QTest::newRow("tiny overrun") << 1.0 << 1.001 << "1 1 0 1" << Colour::Red;
}

void TestTaskListRows::roundingHalfToEven()
{
    QFETCH(double, planned);
    QFETCH(double, overrun);
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), planned);
    if (overrun > 0) {
        p.assign(t, QStringLiteral("Ann"), 100, 100, overrun);
    } else {
        p.assign(t, QStringLiteral("Ann"), 100, 0, 0);
    }
    const QList<ListRow> rows = taskRows(p, g);
    QCOMPARE(rows.size(), 2);
    const QStringList shown{rows[0].cells[2], rows[0].cells[5], rows[0].cells[6], rows[1].cells[2]};
    QTEST(shown.join(QLatin1Char(' ')), "shown");
    QCOMPARE(rows[1].cells.mid(5), rows[0].cells.mid(5)); // the summary's estimate and difference
    QTEST(rows[0].colours[6], "colour");
    QCOMPARE(rows[1].colours[6], rows[0].colours[6]);
}

// A hierarchy that loops (the schema refuses it; here its guard is removed) still
// gives a finite roll-up: the goal that closes the loop adds nothing more.
void TestTaskListRows::cycleEndsTheRollUp()
{
    TempProject p;
    const qint64 a = p.goal(QStringLiteral("A"));
    const qint64 b = p.goal(QStringLiteral("B"), a);
    const qint64 c = p.goal(QStringLiteral("C"), b);
    p.task(a, QStringLiteral("a"), 1);
    p.task(b, QStringLiteral("b"), 2);
    p.task(c, QStringLiteral("c"), 4);
    QString error;
    QVERIFY(Sql::exec(p.connection(), QStringLiteral("DROP TRIGGER GOALS_SW_no_cycle_update"), &error));
    QVERIFY(Sql::exec(
        p.connection(), QStringLiteral("UPDATE GOALS_SW SET P_GID = %1 WHERE ID = %2").arg(c).arg(a), &error));
    for (const std::optional<qint64> scope : {std::optional<qint64>(), std::optional<qint64>(b)}) {
        GoalRollup rollup;
        QVERIFY(rollup.load(p.connection(), scope, &error));
        QCOMPARE(rollup.CalcGoalValues(b).DaysPlanned, 7.0);
        QCOMPARE(rollup.CalcGoalValues(0).DaysPlanned, 0.0); // nothing is top-level any more
    }
    const QList<ListRow> rows = taskRows(p, b);
    QCOMPARE(rows.last().cells[2], QStringLiteral("7"));
}

void TestTaskListRows::resourceTotals_data()
{
    QTest::addColumn<QList<double>>("workloads");
    QTest::addColumn<QList<double>>("needed"); // days needed per assignment, all 50 % done
    QTest::addColumn<QString>("total");
    QTest::addColumn<Colour>("totalColour");
    QTest::addColumn<QString>("difference");
    QTest::addColumn<Colour>("differenceColour");
    // Task of 10 days. Each share: planned 10 x w / 100, estimate = needed x 2.
    QTest::newRow("60 + 40") << QList<double>{60, 40} << QList<double>{3, 2} << "100" << Colour::Green << "0"
                             << Colour::Green;
    QTest::newRow("60 + 30") << QList<double>{60, 30} << QList<double>{3, 1.5} << "90" << Colour::Red << "0"
                             << Colour::Green;
    QTest::newRow("thirds") << QList<double>{33.3, 33.4, 33.3} << QList<double>{1, 1, 1} << "100" << Colour::Green
                            << "4" << Colour::Green;
    QTest::newRow("overrun") << QList<double>{100} << QList<double>{5.75} << "100" << Colour::Green << "-1.5"
                             << Colour::Red;
}

void TestTaskListRows::resourceTotals()
{
    QFETCH(QList<double>, workloads);
    QFETCH(QList<double>, needed);
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 10);
    QStringList expected; // each row's tag, bold mark, name and % done
    for (int i = 0; i < workloads.size(); ++i) {
        const QString member = QStringLiteral("Member %1").arg(i);
        p.member(member);
        p.assign(t, member, workloads[i], 50, needed[i]);
        expected << QStringLiteral("R ") + member + QStringLiteral("|50");
    }
    QList<ListRow> rows;
    QString error;
    QVERIFY(ResourceListRows::build(p.connection(), t, &rows, &error));
    QStringList shown;
    for (const ListRow& row : rows) {
        shown << row.tagText() + (row.bold ? QStringLiteral("* ") : QStringLiteral(" ")) + row.cells[0] +
                QLatin1Char('|') + row.cells[2];
    }
    QCOMPARE(shown, expected << QStringLiteral("W* Totals:|0"));
    const ListRow& totals = rows.last();
    QTEST(totals.cells[1], "total");
    QTEST(totals.colours[1], "totalColour");
    QCOMPARE(totals.colours[2], Colour::Hidden);
    QTEST(totals.cells[6], "difference");
    QTEST(totals.colours[6], "differenceColour");
}

void TestTaskListRows::resourceRowsOfTaskWithoutAssignments()
{
    TempProject p;
    const qint64 t = p.task(p.goal(QStringLiteral("G")), QStringLiteral("T"), 1);
    QList<ListRow> rows{ListRow{}};
    QString error;
    QVERIFY(ResourceListRows::build(p.connection(), t, &rows, &error));
    QVERIFY(rows.isEmpty());
}

void TestTaskListRows::noteRows()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 1);
    const qint64 other = p.task(g, QStringLiteral("Other"), 1);
    const qint64 first = p.note(t, QStringLiteral("First"), QStringLiteral("2026-03-01 08:30:00"));
    p.note(other, QStringLiteral("Not this task"));
    p.note(t, QStringLiteral("Second"), QStringLiteral("2026-03-02 09:00:00"));
    const qint64 third = p.note(t, QStringLiteral("Third"), QStringLiteral("2026-03-03 17:45:00"));
    QList<ListRow> rows;
    QString error;
    QVERIFY(NoteListRows::build(p.connection(), t, &rows, &error));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].tag.toLongLong(), first);
    QCOMPARE(rows[2].tag.toLongLong(), third);
    QCOMPARE(rows[2].cells, (QStringList{"Third", Stamp::toDisplay(QStringLiteral("2026-03-03 17:45:00"))}));
}

QTEST_GUILESS_MAIN(TestTaskListRows)
#include "TestTaskListRows.moc"
