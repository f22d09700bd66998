#include "editing/ObjectDeleter.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSql.h"

#include <QtTest>

// Answering No, and where a goal is deleted from (tree or task list) deciding
// the parent's status, are checked through the window in TestEditCommands.
class TestDeleting : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void taskThenWalkAsks();
    void assignmentReDerivesTaskStatus();
    void noteDeletedWithoutWalk();
    void failedDeleteLeavesEverything();

private:
    struct Project
    {
        TempProject p;
        qint64 goal = 0, sub = 0;
    };
    // A goal with a finished task and an open sub-goal holding a task, an
    // assignment and a note.
    static void build(Project& x)
    {
        x.p.member(QStringLiteral("Ann"));
        x.goal = x.p.goal(QStringLiteral("Goal"));
        x.p.task(x.goal, QStringLiteral("finished"), 1, QStringLiteral("Completed"));
        x.sub = x.p.goal(QStringLiteral("Sub"), x.goal);
        const qint64 task = x.p.task(x.sub, QStringLiteral("open"), 2);
        x.p.assign(task, QStringLiteral("Ann"), 100, 0, 0);
        x.p.note(task, QStringLiteral("n"));
    }
    static qint64 rows(const TempProject& p)
    {
        return countOf(p,
                       QStringLiteral("SELECT (SELECT COUNT(*) FROM GOALS_SW) + (SELECT COUNT(*) FROM TASKS_OBJECTS)"
                                      " + (SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE)"
                                      " + (SELECT COUNT(*) FROM TASK_OBJECT_WORKSHEET)"));
    }
};

void TestDeleting::taskThenWalkAsks()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("Held"), std::nullopt, QStringLiteral("On Hold"));
    p.task(g, QStringLiteral("closed"), 1, QStringLiteral("Closed"));
    const qint64 last = p.task(g, QStringLiteral("last open"), 1);
    ScriptedPrompter prompter({true, true});
    const EditOutcome o = ObjectDeleter::deleteTask(p.connection(), last, prompter);
    QVERIFY2(o.ok && o.written, qPrintable(o.error));
    // Deleting the last open task of an on-hold goal asks about the goal.
    QCOMPARE(prompter.questions(), 2);
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("Completed"));
    QCOMPARE(o.parentId, std::optional<qint64>(g));
}

void TestDeleting::assignmentReDerivesTaskStatus()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("Bob"));
    const qint64 g = p.goal(QStringLiteral("G"), std::nullopt, QStringLiteral("Completed"));
    const qint64 t = p.task(g, QStringLiteral("T"), 10, QStringLiteral("Completed"));
    p.assign(t, QStringLiteral("Ann"), 60, 100, 3);
    p.assign(t, QStringLiteral("Bob"), 40, 100, 3);
    ScriptedPrompter prompter({true});
    const EditOutcome o = ObjectDeleter::deleteAssignment(p.connection(), t, QStringLiteral("Bob"), prompter);
    QVERIFY2(o.ok && o.written, qPrintable(o.error));
    // 60 % of the workload is left: the task is no longer finished and reopens,
    // and with it its goal.
    QCOMPARE(statusOf(p, "TASKS_OBJECTS", t), QStringLiteral("Open"));
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("Open"));
    QCOMPARE(o.statusChanges.size(), 2);
    QCOMPARE(o.id, t);
    QCOMPARE(o.parentId, std::optional<qint64>(g));
}

void TestDeleting::noteDeletedWithoutWalk()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"), std::nullopt, QStringLiteral("Completed"));
    const qint64 t = p.task(g, QStringLiteral("T"), 1); // inconsistent on purpose: no walk may fix it
    const qint64 n = p.note(t, QStringLiteral("gone"));
    const qint64 keep = p.note(t, QStringLiteral("kept"));
    ScriptedPrompter prompter({true});
    const EditOutcome o = ObjectDeleter::deleteNote(p.connection(), n, prompter);
    QVERIFY(o.ok && o.written);
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_WORKSHEET")), qint64(1));
    QCOMPARE(countOf(p, QStringLiteral("SELECT NID FROM TASK_OBJECT_WORKSHEET")), keep);
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("Completed"));
}

void TestDeleting::failedDeleteLeavesEverything()
{
    Project x;
    build(x);
    const qint64 before = rows(x.p);
    // The walk after the delete fails on the parent goal: the delete is undone too.
    refuseWrites(x.p, QStringLiteral("UPDATE"), QStringLiteral("GOALS_SW"), QStringLiteral("no"));
    ScriptedPrompter prompter({true});
    const EditOutcome o = ObjectDeleter::deleteGoal(x.p.connection(), x.sub, ObjectDeleter::GoalSource::Tree, prompter);
    QVERIFY(!o.ok);
    QCOMPARE(rows(x.p), before);
    QCOMPARE(statusOf(x.p, "GOALS_SW", x.goal), QStringLiteral("Open"));
}

QTEST_GUILESS_MAIN(TestDeleting)
#include "TestDeleting.moc"
