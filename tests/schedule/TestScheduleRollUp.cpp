#include "tests/support/SnapshotProbe.h"

#include <QtTest>

using P = SnapshotProbe;

namespace {
// 2026-12-07 is a Monday; members work 08:00-16:00 Monday to Friday.
const QString kMonday = QStringLiteral("2026-12-07 10:00:00");
const QVariant kNull;

QVariant date(const QList<QVariantMap>& rows, const QString& obj, qint64 id, const QString& res = {})
{
    return P::row(rows, obj, id, res).value(QStringLiteral("Completion_Date"));
}

QVariant number(const QList<QVariantMap>& rows, const QString& obj, qint64 id, const QString& res = {})
{
    return P::row(rows, obj, id, res).value(QStringLiteral("CompOrderObj"));
}

QVariantMap rootRow(const QList<QVariantMap>& rows)
{
    return rows.last();
}
} // namespace

// One member's work after another's and a task dated by its latest assignment are
// checked, with hours typed in the team window, by the working day's morning snapshot.
class TestScheduleRollUp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void taskWithAllSharesDoneStaysUndated();
    void goalTakesLatestOpenChild();
    void taskDatedFromOwnAssignmentsOnly();
    void memberWithoutHoursLeavesWorkUndated();
    void numberingIsDensePerKindAndMember();
};

// An open task whose shares are all done has no open assignment row: no date, and
// its assignment rows read Completed.
void TestScheduleRollUp::taskWithAllSharesDoneStaysUndated()
{
    TempProject p;
    p.member(QStringLiteral("X"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 2);
    p.assign(t, QStringLiteral("X"), 100, 100, 2);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(P::row(rows, "R", t, "X").value("GT_Status").toString(), QStringLiteral("Completed"));
    QVERIFY(date(rows, "R", t, "X").isNull());
    QVERIFY(date(rows, "T", t).isNull());
    QVERIFY(number(rows, "R", t, "X").isNull());
    // The goal has an open child (the task) whose date is empty: the goal stays empty.
    QVERIFY(date(rows, "G", g).isNull());
}

// A goal's open child goal ends Friday and its own task the Monday after: the goal
// takes that Monday; the child goal was dated first from its own task. The root takes
// the latest open row, even one below a goal that is not dated.
void TestScheduleRollUp::goalTakesLatestOpenChild()
{
    TempProject p;
    p.member(QStringLiteral("X"));
    p.member(QStringLiteral("Y"));
    p.member(QStringLiteral("Z"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 child = p.goal(QStringLiteral("Child"), g);
    const qint64 deep = p.task(child, QStringLiteral("Deep"), 4); // 32 h: Friday 10:00
    p.assign(deep, QStringLiteral("X"), 100, 0, 0);
    const qint64 own = p.task(g, QStringLiteral("Own"), 5); // 40 h: next Monday 10:00
    p.assign(own, QStringLiteral("Y"), 100, 0, 0);
    const qint64 done = p.goal(QStringLiteral("Done"), g, QStringLiteral("Completed"));
    const qint64 late = p.task(done, QStringLiteral("Late"), 20); // 160 h: four weeks
    p.assign(late, QStringLiteral("Z"), 100, 0, 0);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(date(rows, "G", child).toString(), QStringLiteral("2026-12-11 10:00:00"));
    QCOMPARE(date(rows, "T", own).toString(), QStringLiteral("2026-12-14 10:00:00"));
    // The Completed child goal is neither dated nor counted for its parent.
    QVERIFY(date(rows, "G", done).isNull());
    QCOMPARE(date(rows, "T", late).toString(), QStringLiteral("2027-01-04 10:00:00"));
    QCOMPARE(date(rows, "G", g).toString(), QStringLiteral("2026-12-14 10:00:00"));
    QCOMPARE(rootRow(rows).value("Completion_Date").toString(), QStringLiteral("2027-01-04 10:00:00"));
}

// Goal and task numbers come from separate counters, so goal 2 and task 2 coexist.
// A task takes the date of its own assignments only, never that of a goal or task
// row whose parent goal carries the task's number.
void TestScheduleRollUp::taskDatedFromOwnAssignmentsOnly()
{
    TempProject p;
    p.member(QStringLiteral("X"));
    p.member(QStringLiteral("Y"));
    p.member(QStringLiteral("Z"));
    const qint64 g1 = p.goal(QStringLiteral("G1"), std::nullopt, QStringLiteral("Open"), QStringLiteral("Goal"), 1);
    const qint64 t1 = p.task(g1, QStringLiteral("T1"), 2); // 16 h: Wednesday
    const qint64 t2 = p.task(g1, QStringLiteral("T2"), 4); // 32 h: Friday
    const qint64 g2 = p.goal(QStringLiteral("G2"), g1);
    const qint64 t3 = p.task(g2, QStringLiteral("T3"), 3); // 24 h: Thursday
    QCOMPARE(g1, t1);
    QCOMPARE(g2, t2);
    p.assign(t1, QStringLiteral("X"), 100, 0, 0);
    p.assign(t2, QStringLiteral("Y"), 100, 0, 0);
    p.assign(t3, QStringLiteral("Z"), 100, 0, 0);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QCOMPARE(date(rows, "T", t1).toString(), QStringLiteral("2026-12-09 10:00:00"));
    QCOMPARE(date(rows, "T", t2).toString(), QStringLiteral("2026-12-11 10:00:00"));
    QCOMPARE(date(rows, "T", t3).toString(), QStringLiteral("2026-12-10 10:00:00"));
    QCOMPARE(date(rows, "G", g2).toString(), QStringLiteral("2026-12-10 10:00:00"));
    QCOMPARE(date(rows, "G", g1).toString(), QStringLiteral("2026-12-11 10:00:00"));
}

// A member whose week has no working time: the run ends, the member's work stays
// undated, and so do the task and goal that wait for it; others are scheduled.
void TestScheduleRollUp::memberWithoutHoursLeavesWorkUndated()
{
    TempProject p;
    p.member(QStringLiteral("Idle"), QStringLiteral("00:00"), QStringLiteral("00:00"));
    p.member(QStringLiteral("Busy"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 waiting = p.task(g, QStringLiteral("Waiting"), 2);
    p.assign(waiting, QStringLiteral("Idle"), 100, 0, 0);
    const qint64 other = p.goal(QStringLiteral("Other"));
    const qint64 going = p.task(other, QStringLiteral("Going"), 1);
    p.assign(going, QStringLiteral("Busy"), 100, 0, 0);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    QVERIFY(date(rows, "R", waiting, "Idle").isNull());
    QVERIFY(date(rows, "T", waiting).isNull());
    QVERIFY(date(rows, "G", g).isNull());
    // Still numbered: the work is open.
    QCOMPARE(number(rows, "R", waiting, "Idle").toInt(), 1);
    QCOMPARE(date(rows, "T", going).toString(), QStringLiteral("2026-12-08 10:00:00"));
    QCOMPARE(rootRow(rows).value("Completion_Date").toString(), QStringLiteral("2026-12-08 10:00:00"));
}

// Keys: goals A 001, B 00101, C 00102; tasks t1 and t2 0010101, t3 0010203, t4 is
// Completed. Ann works on t1 and t3, Bob on t3 (his only open work, whose key equals
// Ann's last) and on t2 with his share done.
void TestScheduleRollUp::numberingIsDensePerKindAndMember()
{
    TempProject p;
    for (const char* m : {"Ann", "Bob", "Cy"}) {
        p.member(QLatin1String(m));
    }
    const auto goal = [&](const QString& name, std::optional<qint64> parent, int priority) {
        return p.goal(name, parent, QStringLiteral("Open"), QStringLiteral("Goal"), priority);
    };
    const qint64 a = goal(QStringLiteral("A"), std::nullopt, 1);
    const qint64 b = goal(QStringLiteral("B"), a, 1);
    const qint64 c = goal(QStringLiteral("C"), a, 2);
    const qint64 t1 = p.task(b, QStringLiteral("t1"), 1, QStringLiteral("Open"), 1);
    const qint64 t2 = p.task(b, QStringLiteral("t2"), 1, QStringLiteral("Open"), 1);
    const qint64 t3 = p.task(c, QStringLiteral("t3"), 1, QStringLiteral("Open"), 3);
    const qint64 t4 = p.task(c, QStringLiteral("t4"), 1, QStringLiteral("Completed"), 0);
    p.assign(t1, QStringLiteral("Ann"), 100, 0, 0);
    p.assign(t3, QStringLiteral("Ann"), 50, 0, 0);
    p.assign(t3, QStringLiteral("Bob"), 50, 0, 0);
    p.assign(t2, QStringLiteral("Bob"), 100, 100, 1);
    p.assign(t4, QStringLiteral("Cy"), 100, 100, 1);
    const auto rows = P::rows(p, P::generate(p, kMonday));
    const QList<QVariant> actual = {number(rows, "G", a),
                                    number(rows, "G", b),
                                    number(rows, "G", c),
                                    number(rows, "T", t1),
                                    number(rows, "T", t2),
                                    number(rows, "T", t3),
                                    number(rows, "T", t4),
                                    number(rows, "R", t1, "Ann"),
                                    number(rows, "R", t3, "Ann"),
                                    number(rows, "R", t3, "Bob"),
                                    number(rows, "R", t2, "Bob"),
                                    number(rows, "R", t4, "Cy"),
                                    rootRow(rows).value("CompOrderObj")};
    const QList<QVariant> expected = {1, 2, 3, 1, 1, 2, kNull, 1, 2, 1, kNull, kNull, kNull};
    for (int i = 0; i < expected.size(); ++i) {
        QVERIFY2(expected[i].isValid() ? actual[i].toInt() == expected[i].toInt() : actual[i].isNull(),
                 qPrintable(QStringLiteral("entry %1: got %2").arg(i).arg(actual[i].toString())));
    }
}

QTEST_GUILESS_MAIN(TestScheduleRollUp)
#include "TestScheduleRollUp.moc"
