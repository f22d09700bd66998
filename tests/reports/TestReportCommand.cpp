#include "tests/reports/ReportFixture.h"
#include "tests/support/CliRun.h"

#include <QFile>
#include <QRegularExpression>
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

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestReportCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exportsNewestOrChosenSnapshot();
    void pdfWithoutDisplay();
    void refusesWhatItCannotDo_data();
    void refusesWhatItCannotDo();
    void chartNamesWhatIsMissing_data();
    void chartNamesWhatIsMissing();
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
    QCOMPARE(read(csv).count("\r\nAmy,"), 2);

    run = cli({"report", p.path(), "--kind", "members", "--stamp", ReportFixture::kOld, "--out", csv});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QCOMPARE(read(csv),
             QByteArray("R_RES,CounterTask,T_NAME,T_PATH,R_STATUS,R_PW,R_COMP,R_DIFF\r\n"
                        "Amy,1,Build,\\Alpha,Open,100,5,0\r\n"));
}

void TestReportCommand::pdfWithoutDisplay()
{
    TempProject p;
    ReportFixture::build(p);
    p.close();
    const QString pdf = p.dir() + QStringLiteral("/overview.pdf");
    const CliRun run = cli({"report", p.path(), "--kind", "overview", "--out", pdf});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    const QString text = QString::fromLatin1(read(pdf));
    QVERIFY(text.startsWith(QStringLiteral("%PDF")));
    QCOMPARE(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))), 1);
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
    QTest::newRow("no kind") << QStringList{"--out", "x.csv"} << true << 2 << "--kind";
    QTest::newRow("other format") << QStringList{"--kind", "tasks", "--out", "x.txt"} << true << 2 << "--out";
    QTest::newRow("no output") << QStringList{"--kind", "tasks"} << true << 2 << "--out";
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

void TestReportCommand::chartNamesWhatIsMissing_data()
{
    QTest::addColumn<QStringList>("choice");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such task") << QStringList{"--goal", "1", "--task", "77"} << 1 << "There is no task with ID 77";
    // Gone from the project but kept in the snapshots, or new and in none yet.
    QTest::newRow("snapshot goal") << QStringList{"--goal", "1"} << 0 << "";
    QTest::newRow("snapshot assignment") << QStringList{"--assignment", "12:amy"} << 0 << "";
    QTest::newRow("live goal") << QStringList{"--goal", "LIVE"} << 0 << "";
    QTest::newRow("live member") << QStringList{"--member", "Lee"} << 0 << "";
}

// A chart of a goal, task, assignment or member that exists nowhere printed a bare
// header and exited 0.
void TestReportCommand::chartNamesWhatIsMissing()
{
    QFETCH(QStringList, choice);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TempProject p;
    ReportFixture::build(p);
    p.member(QStringLiteral("Lee"));
    const qint64 live = p.goal(QStringLiteral("Live"));
    p.close();
    choice.replaceInStrings(QStringLiteral("LIVE"), QString::number(live));
    const CliRun run = cli(QStringList{"chart", p.path()} + choice);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out.startsWith(QStringLiteral("Month")), exitCode == 0);
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "TestReportCommand.moc"
