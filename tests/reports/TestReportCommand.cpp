#include "tests/support/ChartHistory.h"
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

// Writes every row of snapshot `from` again under the stamp `to`, as another tool might.
void copySnapshot(const TempProject& p, const QString& from, const QString& to)
{
    QSqlQuery q(Sql::db(p.connection()));
    QStringList columns;
    QVERIFY(q.exec(
        QStringLiteral("SELECT name FROM pragma_table_info('CompDates') WHERE name NOT IN ('ID', 'TimeStamp')")));
    while (q.next()) {
        columns << q.value(0).toString();
    }
    QVERIFY(q.prepare(QStringLiteral("INSERT INTO CompDates (TimeStamp, %1) SELECT ?, %1 FROM CompDates WHERE "
                                     "TimeStamp = ?")
                          .arg(columns.join(QLatin1Char(',')))));
    q.addBindValue(to);
    q.addBindValue(from);
    QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
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
    void unplaceableSnapshotChangesNothing_data();
    void unplaceableSnapshotChangesNothing();
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
    QCOMPARE(fileBytes(csv),
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

void TestReportCommand::unplaceableSnapshotChangesNothing_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("impossible date and time") << "9999-99-99 99:99:99";
}

// A copy of an old snapshot under a stamp that is no date and time (written by
// another tool) was reported as the newest snapshot and charted as a period with
// an empty label; it must change no report and no chart, and cannot be chosen.
void TestReportCommand::unplaceableSnapshotChangesNothing()
{
    QFETCH(QString, stamp);
    TempProject clean(QStringLiteral("clean"));
    TempProject dirty(QStringLiteral("dirty"));
    ReportFixture::build(clean);
    ReportFixture::build(dirty);
    copySnapshot(dirty, ReportFixture::kOld, stamp);
    clean.close();
    dirty.close();

    const QList<QStringList> commands{
        {"report", "--kind", "members", "--out", "OUT"},
        {"report", "--kind", "overview", "--out", "OUT"},
        {"chart", "--root", "--period", "Month"},
        {"chart", "--goal", "1", "--period", "Day", "--aggregate", "First"},
        {"chart", "--assignment", "12:amy", "--period", "Week", "--aggregate", "Sum"},
        {"chart", "--member", "Amy", "--measure", "PerComp", "--period", "Quarter", "--aggregate", "Avg"},
    };
    for (const QStringList& command : commands) {
        QList<QByteArray> outputs;
        for (TempProject* p : {&clean, &dirty}) {
            const QString csv = p->dir() + QStringLiteral("/out.csv");
            QStringList args{command.first(), p->path()};
            args += command.mid(1);
            args.replaceInStrings(QStringLiteral("OUT"), csv);
            const CliRun run = cli(args);
            QVERIFY2(run.exitCode == 0, qPrintable(command.join(' ') + ": " + run.err));
            outputs << (command.first() == QLatin1String("report") ? fileBytes(csv) : run.out.toUtf8());
        }
        QVERIFY(!outputs.at(1).contains("\n,"));
        QCOMPARE(outputs.at(1), outputs.at(0));
    }
    const CliRun run =
        cli({"report", dirty.path(), "--kind", "tasks", "--stamp", stamp, "--out", dirty.dir() + "/x.csv"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(QStringLiteral("no snapshot with the stamp")), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "TestReportCommand.moc"
