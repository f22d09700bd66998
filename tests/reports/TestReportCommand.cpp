#include "tests/support/CliRun.h"
#include "tests/support/ReportFixture.h"

#include <QtTest>

namespace {
// Without any display, as a cron job runs it.
CliRun cli(const QStringList& args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return CliRun::run(args, env);
}
} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportsNewestOrChosenSnapshot();
    void refusesWhatItCannotDo_data();
    void refusesWhatItCannotDo();
    void chartsWhatExistsSomewhere_data();
    void chartsWhatExistsSomewhere();
};

void TestReportCommand::exportsNewestOrChosenSnapshot()
{
    TempProject p;
    ReportFixture::build(p);
    p.close();
    const QString csv = p.dir() + QStringLiteral("/members.csv");
    CliRun run = cli({QStringLiteral("report"), p.path(), "--kind", "members", "--out", csv});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    // The newest snapshot: Amy has two open tasks there.
    QCOMPARE(fileBytes(csv).count("\r\nAmy,"), 2);

    run = cli({"report", p.path(), "--kind", "members", "--stamp", ReportFixture::kOld, "--out", csv});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(fileBytes(csv).endsWith("\r\nAmy,1,Build,\\Alpha,Open,100,5,0\r\n"));

    const QString pdf = p.dir() + QStringLiteral("/overview.pdf");
    run = cli({"report", p.path(), "--kind", "overview", "--out", pdf});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QVERIFY(fileBytes(pdf).startsWith("%PDF"));
    QCOMPARE(ReportFixture::pdfPages(pdf), 1);
}

void TestReportCommand::refusesWhatItCannotDo_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("withSnapshots");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("no snapshot") << QStringList{"--kind", "tasks", "--out", "x.pdf"} << false << 1 << "no snapshot";
    QTest::newRow("unknown stamp") << QStringList{"--kind", "tasks", "--stamp", "2026-03-09 09:00:01", "--out", "x.csv"}
                                   << true << 1 << "no snapshot with the stamp \"2026-03-09 09:00:01\"";
    QTest::newRow("unknown kind") << QStringList{"--kind", "gantt", "--out", "x.csv"} << true << 2 << "--kind";
    QTest::newRow("other format") << QStringList{"--kind", "tasks", "--out", "x.txt"} << true << 2 << "--out";
}

void TestReportCommand::refusesWhatItCannotDo()
{
    QFETCH(QStringList, options);
    QFETCH(bool, withSnapshots);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TempProject p;
    if (withSnapshots) {
        ReportFixture::build(p);
    }
    p.close();
    QStringList args{QStringLiteral("report"), p.path()};
    for (const QString& o : options) {
        args << (o.startsWith(QLatin1String("x.")) ? p.dir() + QLatin1Char('/') + o : o);
    }
    const CliRun run = cli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(QDir(p.dir()).entryList({QStringLiteral("x.*")}).isEmpty());
}

void TestReportCommand::chartsWhatExistsSomewhere_data()
{
    QTest::addColumn<QStringList>("choice");
    // Gone from the project but kept in the snapshots, or new and in none yet.
    QTest::newRow("snapshot goal") << QStringList{"--goal", "1"};
    QTest::newRow("snapshot assignment") << QStringList{"--assignment", "12:amy"};
    QTest::newRow("live goal") << QStringList{"--goal", "LIVE"};
    QTest::newRow("live member") << QStringList{"--member", "Lee"};
}

// The chart command refuses what exists nowhere (the attack tests), and only that.
void TestReportCommand::chartsWhatExistsSomewhere()
{
    QFETCH(QStringList, choice);
    TempProject p;
    ReportFixture::build(p);
    p.member(QStringLiteral("Lee"));
    const qint64 live = p.goal(QStringLiteral("Live"));
    p.close();
    choice.replaceInStrings(QStringLiteral("LIVE"), QString::number(live));
    const CliRun run = cli(QStringList{"chart", p.path()} + choice);
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(run.out.startsWith(QStringLiteral("Month")));
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "TestReportCommand.moc"
