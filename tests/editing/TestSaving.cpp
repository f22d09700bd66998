#include "common/FixedClock.h"
#include "db/RowImage.h"
#include "editing/AssignmentEditor.h"
#include "editing/GoalEditor.h"
#include "editing/TaskEditor.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSql.h"

#include <QtTest>
#include <functional>

class TestSaving : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addGoalTakesCounterAndStamps();
    void editGoalWritesOnlyChanges();
    void newTaskGetsDefaultMemberAndReopensGoal();
    void newTaskWithoutDefaultMemberIsRefused();
    void failedSaveLeavesNothing();
    void assignmentStatusFollows();
    void duplicateMemberIsRefused();

private:
    FixedClock m_clock{QDateTime(QDate(2026, 3, 4), QTime(10, 11, 12))};
    const QString m_now = QStringLiteral("2026-03-04 10:11:12");
};

namespace {
GoalRecord newGoal(const QString& name, std::optional<qint64> parent, const QString& status = "Open")
{
    GoalRecord g;
    g.objectType = QStringLiteral("Goal");
    g.shortName = name;
    g.priority = 20;
    g.status = status;
    g.parentId = parent;
    g.description = QString();
    g.defaultResource = QStringLiteral("Ann");
    return g;
}

TaskRecord newTask(qint64 goalId, const QString& name, const QString& status = "Open")
{
    TaskRecord t;
    t.objectType = QStringLiteral("Task");
    t.shortName = name;
    t.priority = 30;
    t.status = status;
    t.daysPlanned = 5;
    t.goalId = goalId;
    t.description = QString();
    return t;
}

// Loads `member`'s assignment on `task`, changes it and saves it through the editor.
EditOutcome saveAssignment(const TempProject& p,
                           qint64 task,
                           const QString& member,
                           Prompter& prompter,
                           const std::function<void(AssignmentRecord&)>& change)
{
    AssignmentRecord stored;
    RowImage row;
    QString error;
    if (!AssignmentEditor::load(p.connection(), task, member, &stored, &row, &error)) {
        return EditOutcome::failure(error);
    }
    AssignmentRecord edited = stored;
    change(edited);
    return AssignmentEditor::saveChanges(p.connection(), row, stored, edited, prompter);
}

void setDefault(const TempProject& p, qint64 goal, const QString& member)
{
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = ? WHERE ID = ?"), {member, goal});
}
} // namespace

void TestSaving::addGoalTakesCounterAndStamps()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 parent = p.goal(QStringLiteral("Parent"), std::nullopt, QStringLiteral("Completed"));
    ScriptedPrompter prompter;
    const EditOutcome o = GoalEditor::add(p.connection(), newGoal(QStringLiteral("Child"), parent), prompter, m_clock);
    QVERIFY2(o.ok, qPrintable(o.error));
    QCOMPARE(o.id, parent + 1);
    QCOMPARE(countOf(p, QStringLiteral("SELECT GOAL_APP FROM COUNTERS")), o.id);
    QCOMPARE(p.scalar(QStringLiteral("SELECT CREATED FROM GOALS_SW WHERE ID = ?"), {o.id}).toString(), m_now);
    QVERIFY(p.scalar(QStringLiteral("SELECT LAST_EDITED FROM GOALS_SW WHERE ID = ?"), {o.id}).isNull());
    // An empty description is not stored as text.
    QVERIFY(p.scalar(QStringLiteral("SELECT DESCRIPTION FROM GOALS_SW WHERE ID = ?"), {o.id}).isNull());
    // The new open goal reopens its completed parent; the window gets the new icon.
    QCOMPARE(statusOf(p, "GOALS_SW", parent), QStringLiteral("Open"));
    QCOMPARE(o.statusChanges.size(), 1);
    QCOMPARE(o.statusChanges.first().imageKey(), QStringLiteral("GoalOpen"));
    QCOMPARE(o.parentId, std::optional<qint64>(parent));

    // At the top nothing is walked.
    const EditOutcome top = GoalEditor::add(p.connection(), newGoal(QStringLiteral("Top"), {}), prompter, m_clock);
    QVERIFY(top.ok);
    QVERIFY(p.scalar(QStringLiteral("SELECT P_GID FROM GOALS_SW WHERE ID = ?"), {top.id}).isNull());
    QVERIFY(top.statusChanges.isEmpty());
}

void TestSaving::editGoalWritesOnlyChanges()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    ScriptedPrompter prompter;
    GoalRecord g = newGoal(QStringLiteral("G"), {});
    g.description = QStringLiteral("why");
    const qint64 id = GoalEditor::add(p.connection(), g, prompter, m_clock).id;
    GoalRecord stored;
    RowImage loaded;
    QString error;
    QVERIFY(GoalEditor::load(p.connection(), id, &stored, &loaded, &error));

    // An unchanged goal writes nothing: the dialog tests.
    GoalRecord edited = stored;
    edited.shortName = QStringLiteral("Say \"hi\" to O'Brien");
    edited.priority = 0;
    m_clock.advanceSecs(60);
    const EditOutcome o = GoalEditor::saveChanges(p.connection(), loaded, stored, edited, prompter, m_clock);
    QVERIFY2(o.ok && o.written, qPrintable(o.error));
    QVERIFY(GoalEditor::load(p.connection(), id, &stored, &loaded, &error));
    QCOMPARE(stored.shortName, edited.shortName);
    QCOMPARE(stored.priority, qint64(0));
    QCOMPARE(stored.lastEdited, std::optional<QString>(QStringLiteral("2026-03-04 10:12:12")));
    QCOMPARE(stored.created, m_now);
    m_clock.advanceSecs(-60);

    // A NULL description against any text is a change (against an empty field it is
    // none: the dialog tests).
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DESCRIPTION = NULL WHERE ID = ?"), {id});
    QVERIFY(GoalEditor::load(p.connection(), id, &stored, &loaded, &error));
    edited = stored;
    edited.description = QStringLiteral(" ");
    QVERIFY(GoalEditor::saveChanges(p.connection(), loaded, stored, edited, prompter, m_clock).written);
    QCOMPARE(p.scalar(QStringLiteral("SELECT DESCRIPTION FROM GOALS_SW WHERE ID = ?"), {id}).toString(),
             QStringLiteral(" "));
}

void TestSaving::newTaskGetsDefaultMemberAndReopensGoal()
{
    TempProject p;
    const QString member = QStringLiteral("O'Brien"); // bound, never spliced
    p.member(member);
    const qint64 top = p.goal(QStringLiteral("Top"), std::nullopt, QStringLiteral("Completed"));
    const qint64 g = p.goal(QStringLiteral("Done"), top, QStringLiteral("Completed"), QStringLiteral("Application"));
    p.task(g, QStringLiteral("old"), 1, QStringLiteral("Completed"));
    setDefault(p, g, member);
    ScriptedPrompter prompter;
    const EditOutcome o = TaskEditor::add(p.connection(), newTask(g, QStringLiteral("new")), prompter, m_clock);
    QVERIFY2(o.ok, qPrintable(o.error));
    QCOMPARE(o.id, countOf(p, QStringLiteral("SELECT TASK_OBJECT FROM COUNTERS")));
    QCOMPARE(o.parentId, std::optional<qint64>(g));
    QCOMPARE(countOf(p,
                     QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ? AND FK_R_NAME = ?"
                                    " AND PER_WORKLOAD = 100 AND PER_COMPLETED = 0 AND DAYS_NEEDED = 0"),
                     {o.id, member}),
             qint64(1));
    // A completed goal receiving an open task reopens silently, and so does its parent.
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("Open"));
    QCOMPARE(statusOf(p, "GOALS_SW", top), QStringLiteral("Open"));
    QCOMPARE(prompter.all().size(), 0);
    QCOMPARE(o.statusChanges.size(), 2);
    QCOMPARE(o.statusChanges.at(0).imageKey(), QStringLiteral("ApplicationOpen"));
    QCOMPARE(o.statusChanges.at(1).id, top);
}

void TestSaving::newTaskWithoutDefaultMemberIsRefused()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("Nobody's"));
    ScriptedPrompter prompter;
    const EditOutcome o = TaskEditor::add(p.connection(), newTask(g, QStringLiteral("T")), prompter, m_clock);
    QVERIFY(!o.ok);
    QVERIFY(o.error.contains(QStringLiteral("Nobody's has no default resource")));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM TASKS_OBJECTS")), qint64(0));
    QCOMPARE(countOf(p, QStringLiteral("SELECT TASK_OBJECT FROM COUNTERS")), qint64(0));
}

void TestSaving::failedSaveLeavesNothing()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"), std::nullopt, QStringLiteral("Completed"));
    setDefault(p, g, QStringLiteral("Ann"));
    // The default assignment, written after the task row and the counter, fails.
    refuseWrites(p, QStringLiteral("INSERT"), QStringLiteral("TASK_OBJECT_RESOURCE"), QStringLiteral("disk on fire"));
    ScriptedPrompter prompter;
    const EditOutcome o = TaskEditor::add(p.connection(), newTask(g, QStringLiteral("T")), prompter, m_clock);
    QVERIFY(!o.ok);
    QVERIFY(o.error.contains(QStringLiteral("disk on fire")));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM TASKS_OBJECTS")), qint64(0));
    QCOMPARE(countOf(p, QStringLiteral("SELECT TASK_OBJECT FROM COUNTERS")), qint64(0));
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("Completed"));

    // The next save works and takes the first identifier.
    allowWrites(p, QStringLiteral("TASK_OBJECT_RESOURCE"));
    const EditOutcome again = TaskEditor::add(p.connection(), newTask(g, QStringLiteral("T")), prompter, m_clock);
    QVERIFY2(again.ok, qPrintable(again.error));
    QCOMPARE(again.id, qint64(1));
}

// Which shares finish a task is the completion check's table; here the saved
// assignment must run it and the walk above, asking about a goal on hold (an open
// goal completing silently: the working day).
void TestSaving::assignmentStatusFollows()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"), std::nullopt, QStringLiteral("On Hold"));
    const qint64 t = p.task(g, QStringLiteral("T"), 10);
    p.assign(t, QStringLiteral("Ann"), 100, 20, 1);
    ScriptedPrompter prompter({false});
    const EditOutcome o = saveAssignment(p, t, QStringLiteral("ann"), prompter, [](AssignmentRecord& a) {
        a.perCompleted = 100;
        a.daysNeeded = 4;
    });
    QVERIFY2(o.ok && o.written, qPrintable(o.error));
    QCOMPARE(statusOf(p, "TASKS_OBJECTS", t), QStringLiteral("Completed"));
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("On Hold"));
    QCOMPARE(o.parentId, std::optional<qint64>(g));
    QCOMPARE(o.id, t);
    QCOMPARE(o.statusChanges.first().kind, StatusChange::Kind::Task); // the task first, then the goals
    QCOMPARE(prompter.questions(), 1);
}

void TestSaving::duplicateMemberIsRefused()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("Bob"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 10);
    p.assign(t, QStringLiteral("Ann"), 50, 0, 0);
    p.assign(t, QStringLiteral("Bob"), 50, 0, 0);
    ScriptedPrompter prompter;
    // Adding a member again, in another letter case, is refused.
    const EditOutcome add = AssignmentEditor::add(p.connection(), {t, QStringLiteral("ANN"), 10, 0, 0}, prompter);
    QVERIFY(!add.ok);
    QVERIFY(add.error.contains(QStringLiteral("ANN")));
    // Moving an assignment onto a member already on the task is refused, and nothing changes.
    const EditOutcome move = saveAssignment(p, t, QStringLiteral("Bob"), prompter, [](AssignmentRecord& a) {
        a.member = QStringLiteral("Ann");
        a.perWorkload = 70;
    });
    QVERIFY(!move.ok && !move.error.isEmpty());
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ?"), {t}),
             qint64(2));
    QCOMPARE(countOf(p, QStringLiteral("SELECT SUM(PER_WORKLOAD) FROM TASK_OBJECT_RESOURCE")), qint64(100));
    // Letter case folds for ASCII letters only, as the file compares names: "Émile" and
    // "émile" are two members, and moving one's assignment onto the other is a duplicate.
    p.member(QStringLiteral("Émile"));
    p.member(QStringLiteral("émile"));
    p.assign(t, QStringLiteral("Émile"), 0, 0, 0);
    p.assign(t, QStringLiteral("émile"), 0, 0, 0);
    const EditOutcome fold = saveAssignment(
        p, t, QStringLiteral("Émile"), prompter, [](AssignmentRecord& a) { a.member = QStringLiteral("émile"); });
    QCOMPARE(fold.error, AssignmentEditor::duplicateMessage(QStringLiteral("émile")));
}

QTEST_GUILESS_MAIN(TestSaving)
#include "TestSaving.moc"
