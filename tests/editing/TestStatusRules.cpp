#include "editing/ObjectChecks.h"
#include "editing/StatusChangeCheck.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSql.h"

#include <QtTest>

using Workloads = QList<QPair<double, double>>; // (PER_WORKLOAD, PER_COMPLETED)

class TestStatusRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resourcesCompleted_data();
    void resourcesCompleted();
    void subObjectState();
    void walkAsksEachFinishedAncestor_data();
    void walkAsksEachFinishedAncestor();
    void walkLeavesEmptyGoals();
    void walkFailureUndoesAnsweredChanges();
    void checkTaskStatus_data();
    void checkTaskStatus();
    void goalStatusChange_data();
    void goalStatusChange();
    void taskStatusChange_data();
    void taskStatusChange();
};

void TestStatusRules::resourcesCompleted_data()
{
    QTest::addColumn<Workloads>("rows");
    QTest::addColumn<bool>("done");
    QTest::newRow("60/40 both done") << Workloads{{60, 100}, {40, 100}} << true;
    QTest::newRow("60/30 both done: sum below 100") << Workloads{{60, 100}, {30, 100}} << false;
    QTest::newRow("single workload 0") << Workloads{{0, 0}} << false;
    QTest::newRow("no assignments") << Workloads{} << false;
    QTest::newRow("99 % keeps it open") << Workloads{{50, 99}, {50, 100}} << false;
    QTest::newRow("zero workload unfinished is ignored") << Workloads{{100, 100}, {0, 10}} << true;
    QTest::newRow("over 100 counts") << Workloads{{70, 100}, {60, 100}} << true;
}

void TestStatusRules::resourcesCompleted()
{
    QFETCH(Workloads, rows);
    QFETCH(bool, done);
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 10);
    for (int i = 0; i < rows.size(); ++i) {
        const QString name = QStringLiteral("M%1").arg(i);
        p.member(name);
        p.assign(t, name, rows[i].first, rows[i].second, 1);
    }
    bool result = !done;
    QString error;
    QVERIFY2(ObjectChecks::ResourcesCompleted(p.connection(), t, &result, &error), qPrintable(error));
    QCOMPARE(result, done);
}

void TestStatusRules::subObjectState()
{
    TempProject p;
    auto state = [&](qint64 id) {
        int s = -1;
        QString error;
        if (!ObjectChecks::SubObjectState(p.connection(), id, &s, &error)) {
            qFatal("%s", qPrintable(error));
        }
        return s;
    };
    const qint64 empty = p.goal(QStringLiteral("Empty"));
    QCOMPARE(state(empty), int(ObjectChecks::None));

    const qint64 parked = p.goal(QStringLiteral("Parked"));
    p.task(parked, QStringLiteral("held"), 1, QStringLiteral("On Hold"));
    p.goal(QStringLiteral("closed sub"), parked, QStringLiteral("Closed"));
    QCOMPARE(state(parked), int(ObjectChecks::AllFinished));

    // Only direct children count: an open grandchild does not make its grandparent open.
    const qint64 grand = p.goal(QStringLiteral("Grand"));
    const qint64 mid = p.goal(QStringLiteral("Mid"), grand, QStringLiteral("Completed"));
    p.task(mid, QStringLiteral("open below"), 1);
    QCOMPARE(state(grand), int(ObjectChecks::AllFinished));
    QCOMPARE(state(mid), int(ObjectChecks::SomeOpen));

    const qint64 withGoal = p.goal(QStringLiteral("With open sub-goal"));
    p.goal(QStringLiteral("open sub"), withGoal);
    QCOMPARE(state(withGoal), int(ObjectChecks::SomeOpen));
}

void TestStatusRules::walkAsksEachFinishedAncestor_data()
{
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("middle");
    QTest::addColumn<QString>("top");
    QTest::addColumn<int>("questions");
    // Each answer affects only its own ancestor; the top goal is asked about
    // whichever status the middle one ended with, since both count as finished.
    QTest::newRow("yes, no") << QList<bool>{true, false} << "Completed"
                             << "On Hold" << 2;
    QTest::newRow("no, yes") << QList<bool>{false, true} << "Closed"
                             << "Completed" << 2;
    QTest::newRow("no, no") << QList<bool>{false, false} << "Closed"
                            << "On Hold" << 2;
}

void TestStatusRules::walkAsksEachFinishedAncestor()
{
    QFETCH(QList<bool>, answers);
    QFETCH(QString, middle);
    QFETCH(QString, top);
    QFETCH(int, questions);
    TempProject p;
    const qint64 a = p.goal(QStringLiteral("Top"), std::nullopt, QStringLiteral("On Hold"));
    const qint64 b = p.goal(QStringLiteral("Middle"), a, QStringLiteral("Closed"), QStringLiteral("Application"));
    const qint64 c = p.goal(QStringLiteral("Bottom"), b);
    p.task(c, QStringLiteral("done"), 1, QStringLiteral("Completed"));

    ScriptedPrompter prompter(answers);
    QList<StatusChange> changes;
    QString error;
    QVERIFY2(ObjectChecks::CheckParentStatus(p.connection(), c, prompter, &changes, &error), qPrintable(error));
    QCOMPARE(statusOf(p, "GOALS_SW", c), QStringLiteral("Completed")); // an open goal completes silently
    QCOMPARE(statusOf(p, "GOALS_SW", b), middle);
    QCOMPARE(statusOf(p, "GOALS_SW", a), top);
    QCOMPARE(prompter.questions(), questions);
    // Each question names the goal it would complete, the nearest first.
    QVERIFY(prompter.all().at(0).text.contains(QStringLiteral("Status of Middle to")));
    QVERIFY(prompter.all().at(1).text.contains(QStringLiteral("Status of Top to")));

    // Changes are reported bottom-up with the icon key of the saved status.
    QCOMPARE(changes.first().id, c);
    QCOMPARE(changes.first().imageKey(), QStringLiteral("GoalCompleted"));
    if (middle == QStringLiteral("Completed")) {
        QCOMPARE(changes.at(1).imageKey(), QStringLiteral("ApplicationCompleted"));
    }
    QCOMPARE(changes.size(), 1 + (middle == QStringLiteral("Completed")) + (top == QStringLiteral("Completed")));
}

// A goal without sub-objects keeps any status (from the root nothing is walked: the saving test).
void TestStatusRules::walkLeavesEmptyGoals()
{
    TempProject p;
    const qint64 lonely = p.goal(QStringLiteral("Lonely"), std::nullopt, QStringLiteral("On Hold"));
    ScriptedPrompter prompter;
    QList<StatusChange> changes;
    QString error;
    QVERIFY(ObjectChecks::CheckParentStatus(p.connection(), lonely, prompter, &changes, &error));
    QVERIFY(changes.isEmpty());
    QCOMPARE(statusOf(p, "GOALS_SW", lonely), QStringLiteral("On Hold"));
    QCOMPARE(prompter.all().size(), 0);
}

void TestStatusRules::walkFailureUndoesAnsweredChanges()
{
    TempProject p;
    const qint64 a = p.goal(QStringLiteral("Top"));
    const qint64 b = p.goal(QStringLiteral("Middle"), a, QStringLiteral("Closed"));
    p.task(b, QStringLiteral("done"), 1, QStringLiteral("Completed"));
    // The top goal refuses every change, after the middle one was answered and written.
    refuseWrites(p,
                 QStringLiteral("UPDATE"),
                 QStringLiteral("GOALS_SW"),
                 QStringLiteral("refused"),
                 QStringLiteral("OLD.ID = %1").arg(a));
    ScriptedPrompter prompter({true});
    QList<StatusChange> changes;
    QString error;
    QVERIFY(!ObjectChecks::CheckParentStatus(p.connection(), b, prompter, &changes, &error));
    QVERIFY(error.contains(QStringLiteral("refused")));
    QCOMPARE(prompter.questions(), 1);
    QCOMPARE(statusOf(p, "GOALS_SW", b), QStringLiteral("Closed"));
    QVERIFY(changes.isEmpty());
}

void TestStatusRules::checkTaskStatus_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<double>("completed");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("asked");
    QTest::newRow("open, done: completes silently") << "Open" << 100.0 << false << "Completed" << false;
    QTest::newRow("on hold, done, yes") << "On Hold" << 100.0 << true << "Completed" << true;
    QTest::newRow("closed, done, no") << "Closed" << 100.0 << false << "Closed" << true;
    QTest::newRow("completed, not done: reopens") << "Completed" << 99.0 << false << "Open" << false;
    QTest::newRow("on hold, not done: kept") << "On Hold" << 10.0 << false << "On Hold" << false;
    QTest::newRow("completed, done: kept") << "Completed" << 100.0 << false << "Completed" << false;
}

void TestStatusRules::checkTaskStatus()
{
    QFETCH(QString, stored);
    QFETCH(double, completed);
    QFETCH(bool, answer);
    QFETCH(QString, expected);
    QFETCH(bool, asked);
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("Paint"), 4, stored, 50, QStringLiteral("Software Object"));
    p.assign(t, QStringLiteral("Ann"), 100, completed, 2);
    ScriptedPrompter prompter({answer});
    QList<StatusChange> changes;
    QString error;
    QVERIFY2(ObjectChecks::CheckTaskStatus(p.connection(), t, prompter, &changes, &error), qPrintable(error));
    QCOMPARE(statusOf(p, "TASKS_OBJECTS", t), expected);
    QCOMPARE(prompter.questions(), asked ? 1 : 0);
    if (asked) {
        QVERIFY(prompter.all().first().text.contains(QStringLiteral("Change Paint status from ") + stored));
    }
    QCOMPARE(changes.size(), expected == stored ? 0 : 1);
    if (!changes.isEmpty()) {
        QCOMPARE(changes.first().kind, StatusChange::Kind::Task);
        QCOMPARE(changes.first().imageKey(), QStringLiteral("Software Object") + expected);
    }
}

namespace {
// What the user is shown on the way: nothing, a notice, or a question.
enum Box { None, Notice, Question };
} // namespace

void TestStatusRules::goalStatusChange_data()
{
    QTest::addColumn<QStringList>("statuses"); // stored, selected, saved
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("box");
    const int open = ObjectChecks::SomeOpen;
    const int finished = ObjectChecks::AllFinished;
    QTest::newRow("no sub-objects: anything")
        << QStringList{"Open", "Completed", "Completed"} << int(ObjectChecks::None) << false << int(None);
    QTest::newRow("open below, select on hold")
        << QStringList{"Open", "On Hold", "On Hold"} << open << false << int(None);
    QTest::newRow("open below, completed kept")
        << QStringList{"Completed", "Completed", "Open"} << open << false << int(Notice);
    QTest::newRow("open below, select completed")
        << QStringList{"On Hold", "Completed", "On Hold"} << open << false << int(Notice);
    QTest::newRow("finished, select completed")
        << QStringList{"Open", "Completed", "Completed"} << finished << false << int(None);
    QTest::newRow("finished, open kept") << QStringList{"Open", "Open", "Completed"} << finished << false
                                         << int(Notice);
    QTest::newRow("finished, select closed, yes")
        << QStringList{"Open", "Closed", "Closed"} << finished << true << int(Question);
    QTest::newRow("finished, select on hold, no")
        << QStringList{"Completed", "On Hold", "Completed"} << finished << false << int(Question);
    // The two selections the rules leave open.
    QTest::newRow("finished, reopen from on hold")
        << QStringList{"On Hold", "Open", "Completed"} << finished << false << int(Notice);
    QTest::newRow("finished, on hold kept")
        << QStringList{"On Hold", "On Hold", "On Hold"} << finished << false << int(None);
}

void TestStatusRules::goalStatusChange()
{
    QFETCH(QStringList, statuses);
    QFETCH(int, state);
    QFETCH(bool, answer);
    QFETCH(int, box);
    ScriptedPrompter prompter({answer});
    const auto verdict = StatusChangeCheck::goal(statuses[0], statuses[1], state, prompter);
    QVERIFY(verdict.pass);
    QCOMPARE(verdict.selection, statuses[2]);
    QCOMPARE(prompter.all().size(), box == None ? 0 : 1);
    if (box != None) {
        QCOMPARE(prompter.all().first().question, box == Question);
    }
    if (box == Question) {
        QVERIFY(prompter.all().first().text.endsWith(QStringLiteral("change the status to ") + statuses[1]));
    }
}

void TestStatusRules::taskStatusChange_data()
{
    QTest::addColumn<QStringList>("statuses"); // stored, selected, saved
    QTest::addColumn<bool>("done");
    QTest::addColumn<int>("box");
    QTest::newRow("not done, completed kept") << QStringList{"Completed", "Completed", "Open"} << false << int(Notice);
    QTest::newRow("not done, select completed") << QStringList{"Open", "Completed", "Open"} << false << int(Notice);
    QTest::newRow("not done, select closed") << QStringList{"Open", "Closed", "Closed"} << false << int(None);
    QTest::newRow("done, open kept") << QStringList{"Open", "Open", "Completed"} << true << int(Notice);
    QTest::newRow("done, select on hold, no") << QStringList{"Open", "On Hold", "Open"} << true << int(Question);
    QTest::newRow("done, closed kept") << QStringList{"Closed", "Closed", "Closed"} << true << int(None);
}

void TestStatusRules::taskStatusChange()
{
    QFETCH(QStringList, statuses);
    QFETCH(bool, done);
    QFETCH(int, box);
    ScriptedPrompter prompter({false});
    const auto verdict = StatusChangeCheck::task(statuses[0], statuses[1], done, prompter);
    QVERIFY(verdict.pass);
    QCOMPARE(verdict.selection, statuses[2]);
    QCOMPARE(prompter.all().size(), box == None ? 0 : 1);
    if (box != None) {
        QCOMPARE(prompter.all().first().question, box == Question);
        // The finished-work texts keep their spelling of "Worklload".
        QCOMPARE(prompter.all().first().text.contains(QStringLiteral("Worklload")), done);
    }
}

QTEST_GUILESS_MAIN(TestStatusRules)
#include "TestStatusRules.moc"
