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
    const auto& first = prompter.all().at(0);
    QCOMPARE(first.title, QStringLiteral("Change status"));
    QCOMPARE(first.text,
             QStringLiteral("All Sub-Objects have status Completed, On Hold or Closed.  Would you like to change the "
                            "Status of Middle to Completed?"));
    QVERIFY(!first.yesIsDefault);
    QVERIFY(prompter.all().at(1).text.endsWith(QStringLiteral("Status of Top to Completed?")));

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
        QCOMPARE(prompter.all().first().title, QStringLiteral("Change Status"));
        QCOMPARE(prompter.all().first().text,
                 QStringLiteral("All resources have completed their work. Change Paint status from %1 to Completed?")
                     .arg(stored));
        QVERIFY(prompter.all().first().yesIsDefault);
    }
    QCOMPARE(changes.size(), expected == stored ? 0 : 1);
    if (!changes.isEmpty()) {
        QCOMPARE(changes.first().kind, StatusChange::Kind::Task);
        QCOMPARE(changes.first().imageKey(), QStringLiteral("Software Object") + expected);
    }
}

namespace {
const QString kOpenNotice = QStringLiteral("At least one Sub-Object has status Open. Status will be changed to Open.");
const QString kCannot =
    QStringLiteral("At least one Sub-Object has status Open. Status cannot be changed to Completed.");
const QString kWill =
    QStringLiteral("All Sub-Objects have status Completed, On Hold or Closed. Status will be changed to Completed.");
const QString kAsk = QStringLiteral("All Sub-Objects have status Completed, On Hold or Closed. Status will be changed "
                                    "to Completed. Are you sure you want to change the status to ");
} // namespace

void TestStatusRules::goalStatusChange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("shown"); // "" none, else the notice or question text
    QTest::addColumn<bool>("question");
    const int open = ObjectChecks::SomeOpen;
    const int finished = ObjectChecks::AllFinished;
    QTest::newRow("no sub-objects: anything") << "Open"
                                              << "Completed" << int(ObjectChecks::None) << false << "Completed"
                                              << "" << false;
    QTest::newRow("open below, select on hold") << "Open"
                                                << "On Hold" << open << false << "On Hold"
                                                << "" << false;
    QTest::newRow("open below, completed kept") << "Completed"
                                                << "Completed" << open << false << "Open" << kOpenNotice << false;
    QTest::newRow("open below, select completed") << "On Hold"
                                                  << "Completed" << open << false << "On Hold" << kCannot << false;
    QTest::newRow("finished, select completed") << "Open"
                                                << "Completed" << finished << false << "Completed"
                                                << "" << false;
    QTest::newRow("finished, open kept") << "Open"
                                         << "Open" << finished << false << "Completed" << kWill << false;
    QTest::newRow("finished, select closed, yes")
        << "Open"
        << "Closed" << finished << true << "Closed" << kAsk + QStringLiteral("Closed") << true;
    QTest::newRow("finished, select on hold, no")
        << "Completed"
        << "On Hold" << finished << false << "Completed" << kAsk + QStringLiteral("On Hold") << true;
    // The two selections the rules leave open.
    QTest::newRow("finished, reopen from on hold") << "On Hold"
                                                   << "Open" << finished << false << "Completed" << kWill << false;
    QTest::newRow("finished, on hold kept") << "On Hold"
                                            << "On Hold" << finished << false << "On Hold"
                                            << "" << false;
}

void TestStatusRules::goalStatusChange()
{
    QFETCH(QString, stored);
    QFETCH(QString, selected);
    QFETCH(int, state);
    QFETCH(bool, answer);
    QFETCH(QString, result);
    QFETCH(QString, shown);
    QFETCH(bool, question);
    ScriptedPrompter prompter({answer});
    const auto verdict = StatusChangeCheck::goal(stored, selected, state, prompter);
    QVERIFY(verdict.pass);
    QCOMPARE(verdict.selection, result);
    QCOMPARE(prompter.all().size(), shown.isEmpty() ? 0 : 1);
    if (!shown.isEmpty()) {
        const auto& box = prompter.all().first();
        QCOMPARE(box.text, shown);
        QCOMPARE(box.question, question);
        QCOMPARE(box.title, question ? QStringLiteral("Change status") : QStringLiteral("Status change"));
        QVERIFY(!box.yesIsDefault);
    }
}

void TestStatusRules::taskStatusChange_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("done");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("shown");
    const QString notDone = QStringLiteral("At least one resource has not completed the assigned Workload. ");
    const QString allDone = QStringLiteral("All Resource have completed their Worklload. ");
    QTest::newRow("not done, completed kept")
        << "Completed"
        << "Completed" << false << false << "Open" << notDone + QStringLiteral("Status will be changed to Open.");
    QTest::newRow("not done, select completed") << "Open"
                                                << "Completed" << false << false << "Open"
                                                << notDone + QStringLiteral("Status cannot be changed to Completed.");
    QTest::newRow("not done, select closed") << "Open"
                                             << "Closed" << false << false << "Closed"
                                             << "";
    QTest::newRow("done, open kept") << "Open"
                                     << "Open" << true << false << "Completed"
                                     << allDone + QStringLiteral("Status will be changed to Completed.");
    QTest::newRow("done, select on hold, no")
        << "Open"
        << "On Hold" << true << false << "Open"
        << allDone + QStringLiteral("Are you sure you want to change the status to On Hold");
    QTest::newRow("done, closed kept") << "Closed"
                                       << "Closed" << true << false << "Closed"
                                       << "";
}

void TestStatusRules::taskStatusChange()
{
    QFETCH(QString, stored);
    QFETCH(QString, selected);
    QFETCH(bool, done);
    QFETCH(bool, answer);
    QFETCH(QString, result);
    QFETCH(QString, shown);
    ScriptedPrompter prompter({answer});
    const auto verdict = StatusChangeCheck::task(stored, selected, done, prompter);
    QVERIFY(verdict.pass);
    QCOMPARE(verdict.selection, result);
    QCOMPARE(prompter.all().size(), shown.isEmpty() ? 0 : 1);
    if (!shown.isEmpty()) {
        QCOMPARE(prompter.all().first().text, shown);
    }
}

QTEST_GUILESS_MAIN(TestStatusRules)
#include "TestStatusRules.moc"
