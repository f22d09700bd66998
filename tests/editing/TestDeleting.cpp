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

// A goal with a finished task and an open sub-goal holding a task, an assignment and a
// note; the walk after deleting the sub-goal fails on the parent: the delete is undone too.
void TestDeleting::failedDeleteLeavesEverything()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 goal = p.goal(QStringLiteral("Goal"));
    p.task(goal, QStringLiteral("finished"), 1, QStringLiteral("Completed"));
    const qint64 sub = p.goal(QStringLiteral("Sub"), goal);
    const qint64 task = p.task(sub, QStringLiteral("open"), 2);
    p.assign(task, QStringLiteral("Ann"), 100, 0, 0);
    p.note(task, QStringLiteral("n"));
    const QString rows = QStringLiteral("SELECT (SELECT COUNT(*) FROM GOALS_SW) || (SELECT COUNT(*) FROM TASKS_OBJECTS)"
                                        " || (SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE)"
                                        " || (SELECT COUNT(*) FROM TASK_OBJECT_WORKSHEET)");
    QCOMPARE(p.scalar(rows).toString(), QStringLiteral("2211"));
    refuseWrites(p, QStringLiteral("UPDATE"), QStringLiteral("GOALS_SW"), QStringLiteral("no"));
    ScriptedPrompter prompter({true});
    const EditOutcome o = ObjectDeleter::deleteGoal(p.connection(), sub, ObjectDeleter::GoalSource::Tree, prompter);
    QVERIFY(!o.ok);
    QCOMPARE(p.scalar(rows).toString(), QStringLiteral("2211"));
    QCOMPARE(statusOf(p, "GOALS_SW", goal), QStringLiteral("Open"));
}

QTEST_GUILESS_MAIN(TestDeleting)
#include "TestDeleting.moc"
