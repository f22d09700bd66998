#include "tests/support/CliRun.h"
#include "tests/support/TempProject.h"

#include <QtTest>

class TestTaskListCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void printsTheList_data();
    void printsTheList();
    void errors_data();
    void errors();

private:
    CliRun run(const QStringList& args) const;

    TempProject m_project;
    qint64 m_goal = 0;
    qint64 m_task = 0;
};

void TestTaskListCommand::initTestCase()
{
    m_project.member(QStringLiteral("Ann"));
    m_goal = m_project.goal(QStringLiteral("Plan"), std::nullopt, QStringLiteral("Open"), QStringLiteral("Goal"), 10);
    m_project.goal(QStringLiteral("Parked"), m_goal, QStringLiteral("On Hold"), QStringLiteral("Application"), 20);
    m_task = m_project.task(m_goal, QStringLiteral("Write\tit"), 4.25, QStringLiteral("Open"), 30);
    m_project.assign(m_task, QStringLiteral("Ann"), 100, 50, 3); // estimate 6, difference -1.75
    m_project.close();
}

CliRun TestTaskListCommand::run(const QStringList& args) const
{
    const CliRun r = CliRun::run(args, QProcessEnvironment::systemEnvironment(), {}, 30000);
    if (!r.finished) {
        qFatal("cairnwork-cli did not finish");
    }
    return r;
}

void TestTaskListCommand::printsTheList_data()
{
    QTest::addColumn<bool>("root");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("goal") << false
                          << QStringList{QStringLiteral("G\t2\tParked\t20\t0\t0\t0\t0\t0"),
                                         QStringLiteral("T\t1\tWrite it\t30\t4.25\t50\t3\t6\t-1.75"),
                                         QStringLiteral("S\tSUMMARY\t3 Days to go\t0\t4.25\t50\t3\t6\t-1.75")};
    QTest::newRow("root") << true
                          << QStringList{QStringLiteral("G\t1\tPlan\t10\t4.25\t50\t3\t6\t-1.75"),
                                         QStringLiteral("S\tSUMMARY\t3 Days to go\t0\t4.25\t50\t3\t6\t-1.75")};
}

void TestTaskListCommand::printsTheList()
{
    QFETCH(bool, root);
    QFETCH(QStringList, lines);
    QStringList args{QStringLiteral("tasklist"), m_project.path()};
    if (!root) {
        args << QStringLiteral("--goal") << QString::number(m_goal);
    }
    const CliRun r = run(args);
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TestTaskListCommand::errors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown goal") << QStringList{QStringLiteral("--goal"), QStringLiteral("999")} << 1
                                  << QStringLiteral("999");
    QTest::newRow("not a number") << QStringList{QStringLiteral("--goal"), QStringLiteral("x")} << 2
                                  << QStringLiteral("--goal");
}

void TestTaskListCommand::errors()
{
    QFETCH(QStringList, args);
    const CliRun r = run(QStringList{QStringLiteral("tasklist"), m_project.path()} + args);
    QTEST(r.exitCode, "exitCode");
    QVERIFY(r.out.isEmpty());
    QFETCH(QString, message);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestTaskListCommand)
#include "TestTaskListCommand.moc"
