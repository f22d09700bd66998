#include "tests/support/SnapshotProbe.h"
#include "tests/support/TestSql.h"

#include "db/ProjectWriter.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "schedule/OrderKeys.h"
#include "schedule/WriteSubtreeRows.h"

#include <QRandomGenerator>
#include <QtTest>

using P = SnapshotProbe;

namespace {
const QString kMonday = QStringLiteral("2026-12-07 10:00:00");

int count(const TempProject& p, const QString& where = QStringLiteral("1 = 1"), const QVariantList& values = {})
{
    return p.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDates WHERE ") + where, values).toInt();
}
} // namespace

class TestSnapshotGenerator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyProjectIsOneRootRow();
    void oneGoalProjectRowByRow();
    void taskPercentRoundsEveryStep_data();
    void taskPercentRoundsEveryStep();
    void uncountedTaskLeavesGoalSums();
    void heldGoalStopsCalculationBelow_data();
    void heldGoalStopsCalculationBelow();
    void writingOrderIsPostOrder();
    void oldHistoryLeavesKeysAlone_data();
    void oldHistoryLeavesKeysAlone();
    void deepKeysSortAsSpelledOut_data();
    void deepKeysSortAsSpelledOut();
    void walkTakesEachGoalOnce();
    void quotesInNames();
    void failureLeavesNoPartialSnapshot_data();
    void failureLeavesNoPartialSnapshot();
    void takenStampMovesToNextSecond();
    void noSixteenBitLimits();
    void progressReachesHundred();
};

void TestSnapshotGenerator::emptyProjectIsOneRootRow()
{
    TempProject p;
    const QString stamp = P::generate(p, kMonday);
    QCOMPARE(stamp, kMonday);
    const auto rows = P::rows(p, stamp);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(P::describe(rows[0]), QStringLiteral("G|0|-|Cairnwork|\\|-|-|-|-|-|0|0|0|0|0|0|0|0|-|1|Cairnwork|-|-"));
}

// Goal A (priority 3), task T (priority 7, 10 days), member M at 100 %, 50 % done
// in 4 days; generated on a Monday at 10:00 for a member working 08:00-16:00.
// 4 days left = 32 h: Monday 6, Tuesday to Thursday 24, Friday 2.
void TestSnapshotGenerator::oneGoalProjectRowByRow()
{
    TempProject p;
    p.member(QStringLiteral("M"));
    const qint64 a = p.goal(QStringLiteral("A"), std::nullopt, QStringLiteral("Open"), QStringLiteral("Goal"), 3);
    const qint64 t = p.task(a, QStringLiteral("T"), 10, QStringLiteral("Open"), 7);
    p.assign(t, QStringLiteral("M"), 100, 50, 4);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(rows.size(), 4);
    // {t} task ID, {a} goal ID, {d} completion date.
    const QStringList expected = {
        QStringLiteral("R|0|-|M (T)|\\A\\T|-|Open|{t}|M|100|10|50|4|8|2|-|00307|2|1|1|            M|{d}|1"),
        QStringLiteral("T|{t}|Task|T|\\A|7|Open|{a}|-|-|10|50|4|8|2|-|00307|2|1|2|        T|{d}|1"),
        QStringLiteral("G|{a}|Goal|A|-|3|Open|0|-|-|10|50|4|8|2|0.2|003|1|1|3|    A|{d}|1"),
        QStringLiteral("G|0|-|Cairnwork|\\|-|-|-|-|-|10|50|4|8|2|0.2|0|0|-|4|Cairnwork|{d}|-"),
    };
    for (int i = 0; i < rows.size(); ++i) {
        QString want = expected[i];
        want.replace(QStringLiteral("{t}"), QString::number(t)).replace(QStringLiteral("{a}"), QString::number(a));
        want.replace(QStringLiteral("{d}"), QStringLiteral("2026-12-11 10:00:00"));
        QCOMPARE(P::describe(rows[i]), want);
    }
}

// t is the whole number nearest to t + completed x workload / 100 after every
// assignment, halves to the even neighbour (a rounding only at the end gives 33 for
// 16.5 + 17 but 32 for 16.5 + 16.5).
void TestSnapshotGenerator::taskPercentRoundsEveryStep_data()
{
    QTest::addColumn<QList<double>>("workloads");
    QTest::addColumn<QList<double>>("completed");
    QTest::addColumn<double>("percent");
    QTest::newRow("then 16 + 17 = 33") << QList<double>{50, 50} << QList<double>{33, 34} << 33.0;
    QTest::newRow("16 + 16.5 rounds to 32") << QList<double>{50, 50} << QList<double>{33, 33} << 32.0;
    QTest::newRow("three thirds lose a point")
        << QList<double>{33.3, 33.3, 33.4} << QList<double>{100, 100, 100} << 99.0;
}

void TestSnapshotGenerator::taskPercentRoundsEveryStep()
{
    QFETCH(QList<double>, workloads);
    QFETCH(QList<double>, completed);
    QFETCH(double, percent);
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 10);
    for (int i = 0; i < workloads.size(); ++i) {
        const QString member = QStringLiteral("M%1").arg(i);
        p.member(member);
        p.assign(t, member, workloads[i], completed[i], completed[i] / 10);
    }
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(P::row(rows, "T", t).value("PerComp").toDouble(), percent);
    // The goal's done days come from the rounded percentage.
    QCOMPARE(P::row(rows, "G", g).value("PerComp").toDouble(), percent);
}

// An On Hold task keeps its planned days but counts for nothing; its assignment rows
// carry its status and 0 planned, estimated and different days.
void TestSnapshotGenerator::uncountedTaskLeavesGoalSums()
{
    TempProject p;
    p.member(QStringLiteral("M"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 held = p.task(g, QStringLiteral("H"), 6, QStringLiteral("On Hold"));
    p.assign(held, QStringLiteral("M"), 100, 10, 1);
    const qint64 open = p.task(g, QStringLiteral("O"), 4);
    p.assign(open, QStringLiteral("M"), 100, 0, 0);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(P::pick(P::row(rows, "T", held), "Planned PerComp Needed Est Diff Calc Completion_Date CompOrderObj"),
             QStringLiteral("6|0|0|0|0|1|-|-"));
    QCOMPARE(P::pick(P::row(rows, "R", held, "M"), "GT_Status PerComp Needed Planned Est Diff Completion_Date"),
             QStringLiteral("On Hold|10|1|0|0|0|-"));
    QCOMPARE(P::pick(P::row(rows, "G", g), "Planned Est Needed"), QStringLiteral("4|4|0"));
    // An assignment at 0 % estimates its planned share; only the open task is scheduled.
    QCOMPARE(P::pick(P::row(rows, "R", open, "M"), "Planned Est Completion_Date"),
             QStringLiteral("4|4|2026-12-11 10:00:00"));
}

void TestSnapshotGenerator::heldGoalStopsCalculationBelow_data()
{
    QTest::addColumn<QString>("status");
    QTest::newRow("Closed") << "Closed";
    QTest::newRow("On Hold") << "On Hold";
}

// A Closed or On Hold goal has zero sums but keeps its parent level's flag; every row
// below it is not calculated, so it is neither scheduled, dated nor numbered.
void TestSnapshotGenerator::heldGoalStopsCalculationBelow()
{
    QFETCH(QString, status);
    TempProject p;
    p.member(QStringLiteral("M"));
    const qint64 top = p.goal(QStringLiteral("Top"));
    const qint64 held = p.goal(QStringLiteral("Held"), top, status);
    const qint64 below = p.goal(QStringLiteral("Below"), held);
    const qint64 heldTask = p.task(held, QStringLiteral("X"), 5);
    p.assign(heldTask, QStringLiteral("M"), 100, 20, 1);
    const qint64 deepTask = p.task(below, QStringLiteral("Y"), 3);
    p.assign(deepTask, QStringLiteral("M"), 100, 0, 0);
    const qint64 topTask = p.task(top, QStringLiteral("Z"), 2);
    p.assign(topTask, QStringLiteral("M"), 100, 0, 0);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(
        P::pick(P::row(rows, "G", held), "Planned PerComp Needed Est Diff Progress Calc Completion_Date CompOrderObj"),
        QStringLiteral("0|0|0|0|0|0|1|-|-"));
    for (const QVariantMap& r : {P::row(rows, "G", below),
                                 P::row(rows, "T", heldTask),
                                 P::row(rows, "R", heldTask, "M"),
                                 P::row(rows, "T", deepTask),
                                 P::row(rows, "R", deepTask, "M")}) {
        QCOMPARE(P::pick(r, "Calc Completion_Date CompOrderObj"), QStringLiteral("0|-|-"));
    }
    // The task below the held goal still has its own figures.
    QCOMPARE(P::pick(P::row(rows, "T", heldTask), "PerComp Est"), QStringLiteral("20|5"));
    // Only Z is scheduled: 16 h from Monday 10:00.
    QCOMPARE(P::pick(P::row(rows, "G", top), "Planned Calc Completion_Date CompOrderObj"),
             QStringLiteral("2|1|2026-12-09 10:00:00|1"));
}

// Rows are written in post-order, goals and tasks of one parent from the highest
// priority number to the lowest (equal priorities: the newest first), so reading
// HTreeSort backwards gives the outline.
void TestSnapshotGenerator::writingOrderIsPostOrder()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("Bob"));
    const qint64 a = p.goal(QStringLiteral("A"), std::nullopt, QStringLiteral("Open"), QStringLiteral("Goal"), 1);
    const qint64 b = p.goal(QStringLiteral("B"), std::nullopt, QStringLiteral("Open"), QStringLiteral("Goal"), 2);
    const qint64 a1 = p.goal(QStringLiteral("A1"), a, QStringLiteral("Open"), QStringLiteral("Application"), 0);
    const qint64 t1 = p.task(a, QStringLiteral("T1"), 1, QStringLiteral("Open"), 1);
    p.task(a, QStringLiteral("T2"), 1, QStringLiteral("Open"), 2);
    p.task(a1, QStringLiteral("U"), 1, QStringLiteral("Open"), 5);
    p.task(b, QStringLiteral("V1"), 1, QStringLiteral("Open"), 5);
    p.task(b, QStringLiteral("V2"), 1, QStringLiteral("Open"), 5);
    p.assign(t1, QStringLiteral("Bob"), 50, 0, 0);
    p.assign(t1, QStringLiteral("Ann"), 50, 0, 0);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QStringList order;
    for (const QVariantMap& r : rows) {
        order << r.value("GT_Name").toString();
    }
    QCOMPARE(order, (QStringList{"V2", "V1", "B", "U", "A1", "T2", "Ann (T1)", "Bob (T1)", "T1", "A", "Cairnwork"}));
    QCOMPARE(P::pick(P::row(rows, "G", a1), "GT_Path Completion_Order HName"), QStringLiteral("\\A|00100|        A1"));
}

// Goal A (5) with task T (3), and below A goal B (1) with goal C (1) holding task U (9):
// four levels deep.
struct KeyTree
{
    qint64 a, b, c, t, u;
    explicit KeyTree(TempProject& p)
    {
        p.member(QStringLiteral("M"));
        const auto prio = [&](const QString& name, std::optional<qint64> parent, int priority) {
            return p.goal(name, parent, QStringLiteral("Open"), QStringLiteral("Goal"), priority);
        };
        a = prio(QStringLiteral("A"), std::nullopt, 5);
        t = p.task(a, QStringLiteral("T"), 2, QStringLiteral("Open"), 3);
        p.assign(t, QStringLiteral("M"), 100, 0, 0);
        b = prio(QStringLiteral("B"), a, 1);
        c = prio(QStringLiteral("C"), b, 1);
        u = p.task(c, QStringLiteral("U"), 2, QStringLiteral("Open"), 9);
    }
};

void TestSnapshotGenerator::oldHistoryLeavesKeysAlone_data()
{
    QTest::addColumn<qint64>("depth");
    QTest::newRow("deeper snapshot") << qint64(12);
    // Garbage another tool wrote: it made every later snapshot hang or write keys of
    // millions of characters.
    QTest::newRow("three million levels") << qint64(3000000);
    QTest::newRow("two billion levels") << qint64(2000000000);
}

// Whatever Tree_Depth older rows hold, a new snapshot is exactly the one the same
// project gets without them.
void TestSnapshotGenerator::oldHistoryLeavesKeysAlone()
{
    QFETCH(qint64, depth);
    TempProject clean(QStringLiteral("clean"));
    TempProject p;
    KeyTree{clean};
    const KeyTree tree(p);
    QVERIFY(Sql::run(p.connection(),
                     QStringLiteral("INSERT INTO CompDates (TimeStamp, OBJ, GT_ID, GT_Name, Completion_Order,"
                                    " Tree_Depth, HTreeSort) VALUES ('2020-01-06 10:00:00', 'G', 0, 'Cairnwork',"
                                    " '0', ?, 1)"),
                     {depth},
                     nullptr));
    const auto rows = P::rows(p, P::generate(p, kMonday));
    const auto expected = P::rows(clean, P::generate(clean, kMonday));
    QCOMPARE(rows.size(), expected.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(P::describe(rows[i]), P::describe(expected[i]));
    }
    QCOMPARE(P::row(rows, "T", tree.t).value("Completion_Order").toString(), QStringLiteral("005030303"));
}

void TestSnapshotGenerator::deepKeysSortAsSpelledOut_data()
{
    QTest::addColumn<int>("chain");
    QTest::newRow("spelled out") << 20;
    QTest::newRow("past the spelled levels") << 45;
}

// Past OrderKeys::kSpelledLevels a key keeps its first levels and ends in a rank, yet
// within its snapshot it sorts and ties exactly as the key spelled out in full: the
// order of work and its numbers do not change with depth. Rows are ordered and
// numbered by their key's place, never its text, so the numbers must tie exactly
// where the stored keys do, at any depth. A random tree with few priorities, so
// that lengthened task keys often meet deeper paths.
void TestSnapshotGenerator::deepKeysSortAsSpelledOut()
{
    QFETCH(int, chain);
    TempProject p;
    p.member(QStringLiteral("M"));
    QRandomGenerator random(7);
    QHash<qint64, QString> goalKey;
    QList<qint64> goals;
    const auto addGoal = [&](std::optional<qint64> parent, int priority) {
        const qint64 id = p.goal(
            QStringLiteral("G%1").arg(goals.size()), parent, QStringLiteral("Open"), QStringLiteral("Goal"), priority);
        goalKey.insert(id,
                       (parent ? goalKey.value(*parent) : QStringLiteral("0")) +
                           QStringLiteral("%1").arg(priority, 2, 10, QLatin1Char('0')));
        goals << id;
    };
    for (int i = 0; i < chain; ++i) {
        addGoal(goals.isEmpty() ? std::nullopt : std::optional<qint64>(goals.last()), 1 + random.bounded(2));
    }
    for (int i = 0; i < 40; ++i) {
        addGoal(goals.at(random.bounded(int(goals.size()))), 1 + random.bounded(3));
    }
    QHash<qint64, QString> taskKey;
    for (int i = 0; i < 80; ++i) {
        const qint64 goal = goals.at(random.bounded(int(goals.size())));
        const int priority = 1 + random.bounded(3);
        const qint64 id = p.task(goal, QStringLiteral("T%1").arg(i), 1, QStringLiteral("Open"), priority);
        p.assign(id, QStringLiteral("M"), 100, 0, 0);
        taskKey.insert(id, goalKey.value(goal) + QStringLiteral("%1").arg(priority, 2, 10, QLatin1Char('0')));
    }
    const auto rows = P::rows(p, P::generate(p, kMonday));
    int deepest = 0;
    for (const QVariantMap& r : rows) {
        deepest = std::max(deepest, r.value("Tree_Depth").toInt());
    }
    QCOMPARE(deepest > OrderKeys::kSpelledLevels, chain > OrderKeys::kSpelledLevels);

    QHash<QString, QList<std::pair<QString, QString>>> byKind; // stored key, full key
    QHash<QString, QMap<QString, QSet<qint64>>> numbers; // kind -> stored key -> CompOrderObj
    for (const QVariantMap& r : rows) {
        const QString obj = r.value("OBJ").toString();
        const QString stored = r.value("Completion_Order").toString();
        QVERIFY2(stored.size() <= OrderKeys::kMaxLength, qPrintable(stored));
        QString full;
        if (obj == QLatin1String("G")) {
            const qint64 id = r.value("GT_ID").toLongLong();
            full = id == 0 ? QStringLiteral("0") : goalKey.value(id);
        } else if (obj == QLatin1String("R")) {
            full = taskKey.value(r.value("GT_Parent_ID").toLongLong());
        } else {
            full = taskKey.value(r.value("GT_ID").toLongLong());
            full += full.right(2).repeated(deepest - (full.size() - 1) / 2);
        }
        if (full.size() <= 1 + 2 * OrderKeys::kSpelledLevels) {
            QCOMPARE(stored, full);
        } else {
            QCOMPARE(stored.left(1 + 2 * OrderKeys::kSpelledLevels), full.left(1 + 2 * OrderKeys::kSpelledLevels));
        }
        byKind[obj].append({stored, full});
        if (r.value("GT_ID").toLongLong() != 0 || obj == QLatin1String("R")) {
            numbers[obj][stored].insert(r.value("CompOrderObj").toLongLong());
        }
    }
    // Every group is open and calculated: numbered 1, 2, ... in key order, equal keys alike.
    for (const auto& group : std::as_const(numbers)) {
        qint64 expected = 0;
        for (const QSet<qint64>& numbered : group) {
            QCOMPARE(numbered, QSet<qint64>{++expected});
        }
    }
    const auto sign = [](int c) { return c < 0 ? -1 : (c > 0 ? 1 : 0); };
    for (const auto& keys : std::as_const(byKind)) {
        for (const auto& [storedA, fullA] : keys) {
            for (const auto& [storedB, fullB] : keys) {
                if (sign(storedA.compare(storedB)) != sign(fullA.compare(fullB))) {
                    QFAIL(qPrintable(
                        QStringLiteral("%1 vs %2 sort unlike %3 vs %4").arg(storedA, storedB, fullA, fullB)));
                }
            }
        }
    }
}

// The walk starts from the goals without a parent and takes each goal once: a goal
// numbered 0 is an ordinary goal, not the root, and goals on a loop of parents or
// below a missing one are left out (only another tool can write them).
void TestSnapshotGenerator::walkTakesEachGoalOnce()
{
    SnapshotInput input;
    const auto goal = [](qint64 id, std::optional<qint64> parent) {
        GoalRecord g;
        g.id = id;
        g.shortName = QStringLiteral("G%1").arg(id);
        g.parentId = parent;
        return g;
    };
    input.goals = {goal(0, std::nullopt), goal(1, 0), goal(2, 2), goal(3, 4), goal(4, 3), goal(5, 99)};
    SnapshotInput::Task task;
    task.id = 7;
    task.shortName = QStringLiteral("T");
    task.daysPlanned = 2;
    input.tasks = {task};
    const std::vector<SnapshotRow> rows = WriteSubtreeRows(input).run().rows;
    QStringList written;
    for (const SnapshotRow& row : rows) {
        written << QStringLiteral("%1%2@%3^%4").arg(int(row.kind)).arg(row.gtId).arg(row.depth).arg(row.parentRow);
    }
    // Kinds: 0 root, 1 goal, 2 task; ^ the parent's row. G1 and T7 hang below G0, which is at the top.
    QCOMPARE(written.join(QLatin1Char(' ')), QStringLiteral("11@2^2 27@2^2 10@1^3 00@0^-1"));
    QCOMPARE(rows.back().planned, 2.0);
}

// Names with quotes are bound, never spliced: the member is scheduled and numbered.
void TestSnapshotGenerator::quotesInNames()
{
    TempProject p;
    const QString member = QStringLiteral("Dana O'Brien \"DB\"");
    p.member(member);
    const qint64 g = p.goal(QStringLiteral("Bob's \"goal\""));
    const qint64 t = p.task(g, QStringLiteral("It's done'); DROP TABLE CompDates; --"), 1);
    p.assign(t, member, 100, 0, 0);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(P::pick(P::row(rows, "R", t, member), "GT_Name GT_Path Completion_Date CompOrderObj"),
             member +
                 QStringLiteral(" (It's done'); DROP TABLE CompDates; --)|\\Bob's \"goal\"\\It's done'); DROP"
                                " TABLE CompDates; --|2026-12-08 10:00:00|1"));
}

void TestSnapshotGenerator::failureLeavesNoPartialSnapshot_data()
{
    QTest::addColumn<bool>("native");
    QTest::newRow("SQLite's own interface") << true;
    QTest::newRow("Qt SQL") << false;
}

// A trigger refuses row 20 of 42, after rows written through the same statement: no
// row of the new stamp remains, the error names that row, older snapshots stay, and
// the statement is not left holding the transaction (the next snapshot succeeds).
void TestSnapshotGenerator::failureLeavesNoPartialSnapshot()
{
    QFETCH(bool, native);
    TempProject p;
    p.member(QStringLiteral("M"));
    const qint64 g = p.goal(QStringLiteral("G"));
    for (int i = 0; i < 20; ++i) {
        const qint64 t = p.task(g, i == 10 ? QStringLiteral("Boom") : QStringLiteral("T%1").arg(i), 1);
        p.assign(t, QStringLiteral("M"), 100, 0, 0);
    }
    P::generate(p, QStringLiteral("2026-12-01 09:00:00"));
    refuseWrites(p,
                 QStringLiteral("INSERT"),
                 QStringLiteral("CompDates"),
                 QStringLiteral("refused by test"),
                 QStringLiteral("NEW.GT_Name = 'Boom'"));
    Statement::setNativeEnabled(native);
    QString stamp;
    QString error;
    FixedClock clock(Stamp::fromText(kMonday));
    const bool written = SnapshotGenerator::GenerateCompDates(p.connection(), clock, &stamp, &error);
    Statement::setNativeEnabled(true);
    QVERIFY(!written);
    QVERIFY2(error.contains(QLatin1String("row 20 of 42 (Boom)")) && error.contains(QLatin1String("refused by test")),
             qPrintable(error));
    QVERIFY(stamp.isEmpty());
    QCOMPARE(count(p), 42);
    QVERIFY(!Transaction::isOpen(p.connection()));

    allowWrites(p, QStringLiteral("CompDates"));
    QCOMPARE(P::generate(p, kMonday), kMonday);
    QCOMPARE(count(p, QStringLiteral("TimeStamp = ?"), {kMonday}), 42);
}

// Two runs in the same second get different stamps; a required exact stamp that is
// taken is an error that writes nothing.
void TestSnapshotGenerator::takenStampMovesToNextSecond()
{
    TempProject p;
    p.goal(QStringLiteral("G"));
    QCOMPARE(P::generate(p, kMonday), kMonday);
    QCOMPARE(P::generate(p, kMonday), QStringLiteral("2026-12-07 10:00:01"));
    QCOMPARE(P::generate(p, QStringLiteral("2026-12-07 10:00:01")), QStringLiteral("2026-12-07 10:00:02"));
    QCOMPARE(P::generate(p, QStringLiteral("2026-12-31 23:59:59")), QStringLiteral("2026-12-31 23:59:59"));
    QCOMPARE(P::generate(p, QStringLiteral("2026-12-31 23:59:59")), QStringLiteral("2027-01-01 00:00:00"));
    const int before = count(p);
    QString stamp;
    QString error;
    FixedClock clock(Stamp::fromText(kMonday));
    QVERIFY(!SnapshotGenerator::GenerateCompDates(p.connection(), clock, &stamp, &error, true));
    QVERIFY2(error.contains(kMonday), qPrintable(error));
    QCOMPARE(count(p), before);
}

// More than 32767 rows in one snapshot and a goal ID above 32767.
void TestSnapshotGenerator::noSixteenBitLimits()
{
    TempProject p;
    p.member(QStringLiteral("A"));
    p.member(QStringLiteral("B"));
    {
        Transaction tx(p.connection());
        ProjectWriter writer(p.connection());
        QString error;
        GoalRecord goal;
        goal.id = 40000;
        goal.shortName = QStringLiteral("Big");
        goal.created = kMonday;
        QVERIFY2(writer.addGoal(goal, &error), qPrintable(error));
        for (int i = 0; i < 11000; ++i) {
            TaskRecord task;
            task.shortName = QStringLiteral("T%1").arg(i);
            task.goalId = goal.id;
            task.daysPlanned = 1;
            task.priority = i % 100;
            task.created = kMonday;
            QVERIFY2(writer.addTask(task, &error), qPrintable(error));
            QVERIFY(writer.addAssignment({task.id, QStringLiteral("A"), 50, 100, 0.5}, &error));
            QVERIFY(writer.addAssignment({task.id, QStringLiteral("B"), 50, 0, 0}, &error));
        }
        QVERIFY(tx.commit());
    }
    const QString stamp = P::generate(p, kMonday);
    QCOMPARE(count(p, QStringLiteral("TimeStamp = ?"), {stamp}), 33002);
    QCOMPARE(p.scalar(QStringLiteral("SELECT HTreeSort FROM CompDates WHERE GT_ID = 0 AND OBJ = 'G'")).toInt(), 33002);
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDates WHERE OBJ = 'G' AND GT_ID = 40000")).toInt(), 1);
    // B's 11000 half days follow each other: 5500 days = 1100 weeks of 40 hours.
    QCOMPARE(p.scalar(QStringLiteral("SELECT MAX(CompOrderObj) FROM CompDates WHERE Res = 'B'")).toInt(), 100);
    QCOMPARE(p.scalar(QStringLiteral("SELECT MAX(Completion_Date) FROM CompDates WHERE Res = 'B'")).toString(),
             QStringLiteral("2048-01-06 10:00:00"));
}

void TestSnapshotGenerator::progressReachesHundred()
{
    TempProject p;
    p.member(QStringLiteral("M"));
    const qint64 g = p.goal(QStringLiteral("G"));
    p.assign(p.task(g, QStringLiteral("T"), 1), QStringLiteral("M"), 100, 0, 0);
    QList<int> seen;
    QString stamp;
    QString error;
    FixedClock clock(Stamp::fromText(kMonday));
    QVERIFY(SnapshotGenerator::GenerateCompDates(
        p.connection(), clock, &stamp, &error, false, [&seen](int percent) { seen << percent; }));
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.first(), 0);
    QCOMPARE(seen.last(), 100);
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));
}

QTEST_GUILESS_MAIN(TestSnapshotGenerator)
#include "TestSnapshotGenerator.moc"
