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

namespace {
const QString kPriority = QStringLiteral("Object priority must be between 0(Highest) and 99(Lowest)!");
const QString kDays = QStringLiteral("Object days planned must be >= 0!");
} // namespace

void TestValidation::goal_data()
{
    QTest::addColumn<QStringList>("fields"); // type, name, priority, status, default resource
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("all empty: type first") << QStringList{"", "", "", "", ""} << "Object type cannot be empty!"
                                           << "OBJECT_TYPE";
    QTest::newRow("name") << QStringList{"Goal", "", "", "", ""} << "Object name cannot be empty!"
                          << "SHORT_NAME";
    QTest::newRow("name of blanks") << QStringList{"Goal", " \t ", "0", "Open", "Ann"} << "Object name cannot be empty!"
                                    << "SHORT_NAME";
    QTest::newRow("priority empty") << QStringList{"Goal", "G", "", "", ""} << kPriority << "PRIORITY";
    QTest::newRow("priority 100") << QStringList{"Goal", "G", "100", "Open", "Ann"} << kPriority << "PRIORITY";
    QTest::newRow("priority -1") << QStringList{"Goal", "G", "-1", "Open", "Ann"} << kPriority << "PRIORITY";
    // A text that is not a number gets the priority message, not a raw conversion error.
    QTest::newRow("priority text") << QStringList{"Goal", "G", "high", "Open", "Ann"} << kPriority << "PRIORITY";
    QTest::newRow("status") << QStringList{"Goal", "G", "0", "", ""} << "Object status cannot be empty!"
                            << "STATUS";
    QTest::newRow("default resource last")
        << QStringList{"Goal", "G", "99", "Open", ""} << "Object default resource cannot be empty!"
        << "DEFAULT_RESOURCE";
    QTest::newRow("valid") << QStringList{"Application", "G", "99", "Closed", "Ann"} << ""
                           << "";
}

void TestValidation::goal()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    const V::GoalFields f{fields[0], fields[1], fields[2], fields[3], fields[4]};
    auto problem = V::goalBeforeStatusCheck(f);
    if (!problem) {
        problem = V::goalAfterStatusCheck(f);
    }
    QCOMPARE(problem.has_value(), !message.isEmpty());
    if (problem) {
        QCOMPARE(problem->message, message);
        QCOMPARE(problem->field, focus);
    }
}

void TestValidation::task_data()
{
    QTest::addColumn<QStringList>("fields"); // type, name, priority, status, days planned
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("type") << QStringList{"", "T", "10", "Open", "1"} << true << "Object type cannot be empty!"
                          << "OBJECT_TYPE";
    QTest::newRow("name of blanks") << QStringList{"Task", "   ", "10", "Open", "1"} << false
                                    << "Object name cannot be empty!"
                                    << "SHORT_NAME";
    QTest::newRow("priority before days")
        << QStringList{"Task", "T", "", "Open", ""} << true << kPriority << "PRIORITY";
    QTest::newRow("status") << QStringList{"Task", "T", "10", "", ""} << true << "Object status cannot be empty!"
                            << "STATUS";
    QTest::newRow("new task completed before days")
        << QStringList{"Task", "T", "10", "Completed", ""} << true
        << "At least one resource has not completed the workload. Object status cannot be Completed!"
        << "STATUS";
    QTest::newRow("edited task may be completed") << QStringList{"Task", "T", "10", "Completed", "1"} << false << ""
                                                  << "";
    QTest::newRow("new task on hold") << QStringList{"Software Object", "T", "10", "On Hold", "0"} << true << ""
                                      << "";
    QTest::newRow("days empty") << QStringList{"Task", "T", "10", "Open", ""} << false << kDays << "DAYSPLANNED";
    QTest::newRow("days -1") << QStringList{"Task", "T", "10", "Open", "-1"} << false << kDays << "DAYSPLANNED";
    // A text that is not a number gets the days message, not a raw conversion error.
    QTest::newRow("days text") << QStringList{"Task", "T", "10", "Open", "two"} << false << kDays << "DAYSPLANNED";
    QTest::newRow("days 1e308") << QStringList{"Task", "T", "10", "Open", "1e308"} << false
                                << "Object days planned must be at most 1000000!"
                                << "DAYSPLANNED";
    QTest::newRow("days 0") << QStringList{"Task", "T", "10", "Open", "0"} << false << ""
                            << "";
    QTest::newRow("days 2.5") << QStringList{"Task", "T", "10", "Open", "2.5"} << false << ""
                              << "";
}

void TestValidation::task()
{
    QFETCH(QStringList, fields);
    QFETCH(bool, adding);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    const V::TaskFields f{fields[0], fields[1], fields[2], fields[3], fields[4]};
    auto problem = V::taskBeforeStatusCheck(f);
    if (!problem) {
        problem = V::taskAfterStatusCheck(f, adding);
    }
    QCOMPARE(problem ? problem->message : QString(), message);
    QCOMPARE(problem ? problem->field : QString(), focus);
}

void TestValidation::assignment_data()
{
    QTest::addColumn<QStringList>("fields"); // member, workload, completed, days
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("after");
    QTest::newRow("member empty: nothing filled")
        << QStringList{"", "", "", ""} << "Resource cannot be empty!" << QStringList{"", "", "", ""};
    QTest::newRow("empty numbers become 0")
        << QStringList{"Ann", "", " ", ""} << "" << QStringList{"Ann", "0", "0", "0"};
    QTest::newRow("bounds accepted") << QStringList{"Ann", "100", "0", "1000000"} << ""
                                     << QStringList{"Ann", "100", "0", "1000000"};
    // Values the file's CHECKs refuse are refused here, with the field to correct.
    QTest::newRow("workload above 100") << QStringList{"Ann", "150", "0", "0"}
                                        << "% of total workload must be a number from 0 to 100!"
                                        << QStringList{"Ann", "150", "0", "0"};
    QTest::newRow("completed negative") << QStringList{"Ann", "50", "-5", "3.5"}
                                        << "% completed must be a number from 0 to 100!"
                                        << QStringList{"Ann", "50", "-5", "3.5"};
    QTest::newRow("days huge") << QStringList{"Ann", "50", "10", "1e308"}
                               << "Days needed must be a number from 0 to 1000000!"
                               << QStringList{"Ann", "50", "10", "1e308"};
    QTest::newRow("workload not a number")
        << QStringList{"Ann", "half", "", ""} << "% of total workload must be a number!"
        << QStringList{"Ann", "half", "0", "0"};
    QTest::newRow("days not a number") << QStringList{"Ann", "50", "10", "soon"} << "Days needed must be a number!"
                                       << QStringList{"Ann", "50", "10", "soon"};
}

void TestValidation::assignment()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    QFETCH(QStringList, after);
    V::AssignmentFields f{fields[0], fields[1], fields[2], fields[3]};
    const auto problem = V::assignment(f);
    QCOMPARE(problem ? problem->message : QString(), message);
    QCOMPARE((QStringList{f.member, f.perWorkload, f.perCompleted, f.daysNeeded}), after);
}

void TestValidation::priorityConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("99") << "99" << 99;
    QTest::newRow("padded") << " 07 " << 7;
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
