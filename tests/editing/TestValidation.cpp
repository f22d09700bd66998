#include "editing/PropertiesValidation.h"

#include <QtTest>

using V = PropertiesValidation;

class TestValidation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goal_data();
    void goal();
    void task_data();
    void task();
    void assignment_data();
    void assignment();
    void priorityConversion_data();
    void priorityConversion();
};

// Each row gives the field the dialog focuses (empty: accepted); the checks run in
// the dialog's order, so the first field at fault wins.
void TestValidation::goal_data()
{
    QTest::addColumn<QStringList>("fields"); // type, name, priority, status, default resource
    QTest::addColumn<QString>("focus");
    QTest::newRow("all empty: type first") << QStringList{"", "", "", "", ""} << "OBJECT_TYPE";
    QTest::newRow("name") << QStringList{"Goal", "", "", "", ""} << "SHORT_NAME";
    QTest::newRow("name of blanks") << QStringList{"Goal", " \t ", "0", "Open", "Ann"} << "SHORT_NAME";
    QTest::newRow("priority empty") << QStringList{"Goal", "G", "", "", ""} << "PRIORITY";
    QTest::newRow("priority 100") << QStringList{"Goal", "G", "100", "Open", "Ann"} << "PRIORITY";
    QTest::newRow("status") << QStringList{"Goal", "G", "0", "", ""} << "STATUS";
    QTest::newRow("default resource last") << QStringList{"Goal", "G", "99", "Open", ""} << "DEFAULT_RESOURCE";
    QTest::newRow("valid") << QStringList{"Application", "G", "99", "Closed", "Ann"} << "";
}

void TestValidation::goal()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, focus);
    const V::GoalFields f{fields[0], fields[1], fields[2], fields[3], fields[4]};
    auto problem = V::goalBeforeStatusCheck(f);
    if (!problem) {
        problem = V::goalAfterStatusCheck(f);
    }
    QCOMPARE(problem ? problem->field : QString(), focus);
    QVERIFY(!problem || !problem->message.isEmpty());
}

void TestValidation::task_data()
{
    QTest::addColumn<QStringList>("fields"); // type, name, priority, status, days planned
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QString>("focus");
    QTest::newRow("type") << QStringList{"", "T", "10", "Open", "1"} << true << "OBJECT_TYPE";
    QTest::newRow("name of blanks") << QStringList{"Task", "   ", "10", "Open", "1"} << false << "SHORT_NAME";
    QTest::newRow("priority before days") << QStringList{"Task", "T", "", "Open", ""} << true << "PRIORITY";
    QTest::newRow("status") << QStringList{"Task", "T", "10", "", ""} << true << "STATUS";
    // A new task cannot start completed: no resource has done its work yet.
    QTest::newRow("new task completed before days")
        << QStringList{"Task", "T", "10", "Completed", ""} << true << "STATUS";
    QTest::newRow("edited task may be completed") << QStringList{"Task", "T", "10", "Completed", "1"} << false << "";
    QTest::newRow("new task on hold") << QStringList{"Software Object", "T", "10", "On Hold", "0"} << true << "";
    QTest::newRow("days empty") << QStringList{"Task", "T", "10", "Open", ""} << false << "DAYSPLANNED";
    QTest::newRow("days -1") << QStringList{"Task", "T", "10", "Open", "-1"} << false << "DAYSPLANNED";
    QTest::newRow("days text") << QStringList{"Task", "T", "10", "Open", "two"} << false << "DAYSPLANNED";
    QTest::newRow("days 1e308") << QStringList{"Task", "T", "10", "Open", "1e308"} << false << "DAYSPLANNED";
    QTest::newRow("days 0") << QStringList{"Task", "T", "10", "Open", "0"} << false << "";
    QTest::newRow("days 2.5") << QStringList{"Task", "T", "10", "Open", "2.5"} << false << "";
}

void TestValidation::task()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, adding);
    QFETCH(QString, focus);
    const V::TaskFields f{fields[0], fields[1], fields[2], fields[3], fields[4]};
    auto problem = V::taskBeforeStatusCheck(f);
    if (!problem) {
        problem = V::taskAfterStatusCheck(f, adding);
    }
    QCOMPARE(problem ? problem->field : QString(), focus);
}

void TestValidation::assignment_data()
{
    QTest::addColumn<QStringList>("fields"); // member, workload, completed, days
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("member empty: nothing filled")
        << QStringList{"", "", "", ""} << "FK_R_NAME" << QStringList{"", "", "", ""};
    QTest::newRow("empty numbers become 0")
        << QStringList{"Ann", "", " ", ""} << "" << QStringList{"Ann", "0", "0", "0"};
    QTest::newRow("bounds accepted") << QStringList{"Ann", "100", "0", "1000000"} << ""
                                     << QStringList{"Ann", "100", "0", "1000000"};
    // Values the file's CHECKs refuse are refused here, with the field to correct.
    QTest::newRow("workload above 100") << QStringList{"Ann", "150", "0", "0"} << "PER_WORKLOAD"
                                        << QStringList{"Ann", "150", "0", "0"};
    QTest::newRow("completed negative") << QStringList{"Ann", "50", "-5", "3.5"} << "PER_COMPLETED"
                                        << QStringList{"Ann", "50", "-5", "3.5"};
    QTest::newRow("days huge") << QStringList{"Ann", "50", "10", "1e308"} << "DAYS_NEEDED"
                               << QStringList{"Ann", "50", "10", "1e308"};
    QTest::newRow("workload not a number")
        << QStringList{"Ann", "half", "", ""} << "PER_WORKLOAD" << QStringList{"Ann", "half", "0", "0"};
    QTest::newRow("days not a number") << QStringList{"Ann", "50", "10", "soon"} << "DAYS_NEEDED"
                                       << QStringList{"Ann", "50", "10", "soon"};
}

void TestValidation::assignment()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, focus);
    QFETCH(QStringList, after);
    V::AssignmentFields f{fields[0], fields[1], fields[2], fields[3]};
    const auto problem = V::assignment(f);
    QCOMPARE(problem ? problem->field : QString(), focus);
    QCOMPARE((QStringList{f.member, f.perWorkload, f.perCompleted, f.daysNeeded}), after);
}

void TestValidation::priorityConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("99") << "99" << 99;
    QTest::newRow("padded") << " 07 " << 7;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("text") << "high" << -1;
    QTest::newRow("half to even down") << "12.5" << 12;
    QTest::newRow("half to even up") << "13.5" << 14;
    QTest::newRow("99.5 rounds to 100") << "99.5" << -1;
    QTest::newRow("huge") << "1e300" << -1;
    QTest::newRow("infinite") << "1e999" << -1;
}

void TestValidation::priorityConversion()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const auto p = V::priority(text);
    QCOMPARE(p ? int(*p) : -1, value);
}

QTEST_GUILESS_MAIN(TestValidation)
#include "TestValidation.moc"
