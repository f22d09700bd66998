#include "db/Counters.h"
#include "db/Schema.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "tests/support/TempProject.h"

#include <QtTest>
#include <limits>

class TestSchema : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void taskWithoutAssignments();
    void resourceFigures();
    void cycleGuard();
    void countersSeparateAndRolledBack();
    void reportViews();
    void checksRefuseImpossibleValues_data();
    void checksRefuseImpossibleValues();
    void errorsSayTheCauseInWords_data();
    void errorsSayTheCauseInWords();
};

// A task nobody is assigned to: nothing done, needed or estimated, so all of its
// plan is ahead of schedule (assigned tasks: the task list's rows, read from this view).
void TestSchema::taskWithoutAssignments()
{
    TempProject p;
    const qint64 none = p.task(p.goal(QStringLiteral("G")), QStringLiteral("none"), 4);
    QSqlQuery q(Sql::db(p.connection()));
    q.prepare(QStringLiteral("SELECT PDONE, DaysNeed, NewEstimateR, DIFFERENCE FROM qLvTasks WHERE ID = ?"));
    q.addBindValue(none);
    QVERIFY(q.exec() && q.next());
    QCOMPARE(
        (QList<double>{q.value(0).toDouble(), q.value(1).toDouble(), q.value(2).toDouble(), q.value(3).toDouble()}),
        (QList<double>{0, 0, 0, 4}));
}

void TestSchema::resourceFigures()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 t = p.task(p.goal(QStringLiteral("G")), QStringLiteral("T"), 10);
    p.assign(t, QStringLiteral("Ann"), 60, 50, 4.5); // a = 6, e = 9, diff = -3, done = 30
    QSqlQuery q(Sql::db(p.connection()));
    q.prepare(QStringLiteral("SELECT PerTotWkldDone, NewEstimateR, diff FROM qLvResource WHERE FK_TASKID = ?"));
    q.addBindValue(t);
    QVERIFY(q.exec() && q.next());
    QCOMPARE(q.value(0).toDouble(), 30.0);
    QCOMPARE(q.value(1).toDouble(), 9.0);
    QCOMPARE(q.value(2).toDouble(), -3.0);
}

void TestSchema::cycleGuard()
{
    TempProject p;
    const qint64 a = p.goal(QStringLiteral("a"));
    const qint64 b = p.goal(QStringLiteral("b"), a);
    const qint64 c = p.goal(QStringLiteral("c"), b);
    QString error;
    // a below its own grandchild, and a new goal below itself, are refused (an update of a
    // goal onto itself: the error test).
    QVERIFY(!Sql::exec(
        p.connection(), QStringLiteral("UPDATE GOALS_SW SET P_GID = %1 WHERE ID = %2").arg(c).arg(a), &error));
    QVERIFY(error.contains(QStringLiteral("below itself")));
    QVERIFY(
        !Sql::exec(p.connection(),
                   QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, P_GID, CREATED)"
                                  " VALUES (99, 'Goal', 'x', 1, 'Open', 99, 'now')"),
                   nullptr));
    // Moving a goal sideways is fine.
    QVERIFY(Sql::exec(
        p.connection(), QStringLiteral("UPDATE GOALS_SW SET P_GID = %1 WHERE ID = %2").arg(a).arg(c), nullptr));
    QCOMPARE(p.scalar(QStringLiteral("SELECT P_GID FROM GOALS_SW WHERE ID = ?"), {c}).toLongLong(), a);
}

// The team window refuses first, naming the holders; the file refuses whoever writes.
void TestSchema::countersSeparateAndRolledBack()
{
    TempProject p;
    QString error;
    {
        Transaction tx(p.connection());
        QCOMPARE(*Counters::next(p.connection(), Counters::Kind::Goal, &error), 1);
        QCOMPARE(*Counters::next(p.connection(), Counters::Kind::Task, &error), 1);
        QCOMPARE(*Counters::next(p.connection(), Counters::Kind::Goal, &error), 2);
        QVERIFY(tx.commit());
    }
    {
        Transaction tx(p.connection());
        QCOMPARE(*Counters::next(p.connection(), Counters::Kind::Note, &error), 1);
        QCOMPARE(*Counters::next(p.connection(), Counters::Kind::Goal, &error), 3);
        // rolled back: nothing taken
    }
    QCOMPARE(*Counters::last(p.connection(), Counters::Kind::Goal, &error), 2);
    QCOMPARE(*Counters::last(p.connection(), Counters::Kind::Note, &error), 0);
    // Outside a transaction no identifier is handed out.
    QVERIFY(!Counters::next(p.connection(), Counters::Kind::Goal, &error));
    QVERIFY(!Sql::exec(p.connection(), QStringLiteral("INSERT INTO COUNTERS DEFAULT VALUES"), nullptr));
}

void TestSchema::reportViews()
{
    TempProject p;
    const char* rows =
        "INSERT INTO CompDates (TimeStamp, OBJ, GT_ID, GT_Name, GT_Status, GT_Parent_ID, Res, Res_PerWrk, Planned, "
        "PerComp,"
        " Est, Diff, Calc, HTreeSort, CompOrderObj, Completion_Date) VALUES"
        " ('S1', 'R', NULL, 'Ann (T)', 'Open', 7, 'Ann', 60, 6, 50, 8, -2, 1, 1, 1, '2026-02-03 10:00:00'),"
        " ('S1', 'R', NULL, 'Ben (T)', 'Open', 7, 'Ben', 40, 4, 0, 4, 0, 1, 2, 1, '2026-02-04 10:00:00'),"
        " ('S1', 'T', 7, 'T', 'Open', 3, NULL, NULL, 10, 30, 12, -2, 1, 3, 5, '2026-02-04 10:00:00'),"
        " ('S1', 'G', 7, 'Goal 7', 'Open', 0, NULL, NULL, 10, 30, 12, -2, 1, 4, 1, NULL),"
        " ('S2', 'R', NULL, 'Ann (T)', 'Open', 7, 'Ann', 60, 6, 50, 8, -2, 0, 1, NULL, NULL)";
    QVERIFY(Sql::exec(p.connection(), QLatin1String(rows), nullptr));
    // The goal row with the task's number must not join as a task.
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM rptVBScheduleTeamMembers WHERE TT = 'S1'")).toInt(), 2);
    QCOMPARE(p.scalar(QStringLiteral("SELECT T_CounterTask FROM rptVBScheduleTeamMembers WHERE R_RES = 'Ben'")).toInt(),
             5);
    QCOMPARE(
        p.scalar(QStringLiteral("SELECT SPlanned FROM CompDatesRes WHERE Res = 'ann' AND TimeStamp = 'S1'")).toDouble(),
        6.0);
    QCOMPARE(p.scalar(QStringLiteral("SELECT SProgress FROM CompDatesRes WHERE Res = 'Ann'")).toDouble(),
             (6.0 - 8.0) / 6.0);
    // Rows below a closed or on-hold goal (Calc 0) are not a member's figures.
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDatesRes WHERE TimeStamp = 'S2'")).toInt(), 0);
    QCOMPARE(p.scalar(QStringLiteral("SELECT SCompletion_Date FROM CompDatesRes WHERE Res = 'Ben'")).toString(),
             QStringLiteral("2026-02-04 10:00:00"));
}

void TestSchema::checksRefuseImpossibleValues_data()
{
    QTest::addColumn<QString>("sql"); // :t is the task, :g the goal
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("accepted");
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QString planned = QStringLiteral("UPDATE TASKS_OBJECTS SET DAYSPLANNED = ? WHERE ID = :t");
    const QString workload = QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET PER_WORKLOAD = ? WHERE FK_TASKID = :t");
    const QString completed = QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET PER_COMPLETED = ? WHERE FK_TASKID = :t");
    const QString needed = QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET DAYS_NEEDED = ? WHERE FK_TASKID = :t");
    QTest::newRow("days planned NaN") << planned << QVariant(nan) << false;
    QTest::newRow("days planned +Inf") << planned << QVariant(inf) << false;
    QTest::newRow("days planned negative") << planned << QVariant(-1.0) << false;
    QTest::newRow("days planned 1e308") << planned << QVariant(1e308) << false;
    QTest::newRow("days planned text") << planned << QVariant(QStringLiteral("soon")) << false;
    QTest::newRow("days planned at the bound") << planned << QVariant(Schema::kMaxDays) << true;
    QTest::newRow("workload above 100") << workload << QVariant(100.5) << false;
    QTest::newRow("workload -Inf") << workload << QVariant(-inf) << false;
    QTest::newRow("workload 100") << workload << QVariant(100.0) << true;
    QTest::newRow("completed negative") << completed << QVariant(-0.5) << false;
    QTest::newRow("completed NaN") << completed << QVariant(nan) << false;
    QTest::newRow("days needed 1e308") << needed << QVariant(1e308) << false;
    QTest::newRow("days needed 0") << needed << QVariant(0.0) << true;
    QTest::newRow("goal id 0") << QStringLiteral("UPDATE GOALS_SW SET ID = ? WHERE ID = :g") << QVariant(0) << false;
    QTest::newRow("parent goal 0") << QStringLiteral("UPDATE GOALS_SW SET P_GID = ? WHERE ID = :g") << QVariant(0)
                                   << false;
    QTest::newRow("task id -1") << QStringLiteral("UPDATE TASKS_OBJECTS SET ID = ? WHERE ID = :t") << QVariant(-1)
                                << false;
    QTest::newRow("task goal 0") << QStringLiteral("UPDATE TASKS_OBJECTS SET FK_ID = ? WHERE ID = :t") << QVariant(0)
                                 << false;
    QTest::newRow("assignment task 0") << QStringLiteral(
                                              "UPDATE TASK_OBJECT_RESOURCE SET FK_TASKID = ? WHERE FK_TASKID = :t")
                                       << QVariant(0) << false;
    QTest::newRow("note id 0") << QStringLiteral("UPDATE TASK_OBJECT_WORKSHEET SET NID = ? WHERE TASKID = :t")
                               << QVariant(0) << false;
    QTest::newRow("note task 0") << QStringLiteral("UPDATE TASK_OBJECT_WORKSHEET SET TASKID = ? WHERE TASKID = :t")
                                 << QVariant(0) << false;
    QTest::newRow("counter below 0") << QStringLiteral("UPDATE COUNTERS SET NOTE = ?") << QVariant(-1) << false;
    // Working hours are real times of day, to the second at most.
    const QString monday = QStringLiteral("UPDATE RESOURCES SET MON_BEG = ?");
    QTest::newRow("hour 25") << monday << QVariant(QStringLiteral("25:00")) << false;
    QTest::newRow("one-digit hour") << monday << QVariant(QStringLiteral("8:00")) << false;
    QTest::newRow("with seconds") << monday << QVariant(QStringLiteral("08:00:30")) << true;
}

// Numbers no dialog accepts and identifiers below 1 never enter a new file, whoever writes.
void TestSchema::checksRefuseImpossibleValues()
{
    QFETCH(QString, sql);
    QFETCH(QVariant, value);
    QFETCH(bool, accepted);
    CW_FILE_ONLY("SQLite's foreign-key switch and its wording.");
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 1);
    p.assign(t, QStringLiteral("Ann"), 100, 0, 0);
    p.note(t, QStringLiteral("n"));
    // Foreign keys off: only the CHECKs may refuse.
    QVERIFY(Sql::exec(p.connection(), QStringLiteral("PRAGMA foreign_keys = OFF"), nullptr));
    sql.replace(QStringLiteral(":t"), QString::number(t)).replace(QStringLiteral(":g"), QString::number(g));
    QString error;
    QCOMPARE(Sql::run(p.connection(), sql, {value}, &error), accepted);
    if (!accepted) {
        QVERIFY2(error.contains(QStringLiteral("constraint failed")), qPrintable(error));
    }
}

void TestSchema::errorsSayTheCauseInWords_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("cause"); // what the first line must say
    QTest::addColumn<int>("code");
    const QString missingEntry = QStringLiteral("refers to an entry that does not exist");
    QTest::newRow("trigger") << "UPDATE GOALS_SW SET P_GID = ID WHERE ID = :g"
                             << "below itself" << 1811;
    QTest::newRow("missing") << "INSERT INTO RESOURCES (R_NAME) VALUES (NULL)"
                             << "value is missing" << 1299;
    QTest::newRow("duplicate") << "INSERT INTO RESOURCES (R_NAME) VALUES ('ANN')"
                               << "same name" << 1555;
    QTest::newRow("dangling") << "UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Nobody' WHERE ID = :g" << missingEntry << 787;
    // Refused by ON DELETE RESTRICT, which the engine reports as a trigger.
    QTest::newRow("member in use") << "UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann' WHERE ID = :g; DELETE FROM "
                                      "RESOURCES WHERE R_NAME = 'ann'"
                                   << missingEntry << 1811;
    QTest::newRow("check") << "INSERT INTO RESOURCES (R_NAME) VALUES ('   ')"
                           << "outside what the project allows" << 275;
    QTest::newRow("missing part") << "DROP VIEW qLvTasks; SELECT * FROM qLvTasks"
                                  << "lacks its part \"qLvTasks\"" << 1;
    QTest::newRow("read-only") << "PRAGMA query_only = ON; DELETE FROM RESOURCES"
                               << "read-only" << 8;
}

// An error box leads with the cause in words; the engine's number and text
// follow on a details line for whoever has to look further.
void TestSchema::errorsSayTheCauseInWords()
{
    QFETCH(QString, sql);
    QFETCH(QString, cause);
    QFETCH(int, code);
    if (code == 1 || code == 8) {
        CW_FILE_ONLY("SQLite's own statements.");
    }
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    sql.replace(QStringLiteral(":g"), QString::number(g));
    QString error;
    const QStringList statements = sql.split(QStringLiteral("; "));
    for (const QString& statement : statements.first(statements.size() - 1)) {
        QVERIFY(Sql::exec(p.connection(), statement, &error));
    }
    QVERIFY(!Sql::exec(p.connection(), statements.last(), &error));
    const QStringList lines = error.split(QLatin1Char('\n'));
    QVERIFY2(lines.at(0).contains(cause) && !lines.at(0).contains(QLatin1String("SQLite")), qPrintable(error));
    const QString details = TempProject::onServer() ? QStringLiteral("Details: PostgreSQL error ")
                                                    : QStringLiteral("Details: SQLite error %1: ").arg(code);
    QVERIFY2(lines.value(1).startsWith(details), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "TestSchema.moc"
