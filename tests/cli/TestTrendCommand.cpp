#include "tests/support/ChartHistory.h"
#include "tests/support/CliRun.h"
#include "tests/support/FileDigest.h"
#include "tests/support/ReportFixture.h"

#include <QFile>
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

// The root and goal 1 open over three weekly snapshots; goal 1 completed in the third.
void history(const TempProject& p)
{
    const QStringList stamps{"2026-03-02 09:00:00", "2026-03-09 09:00:00", "2026-03-16 09:00:00"};
    for (int k = 0; k < stamps.size(); ++k) {
        ChartHistory::row(p,
                          stamps.at(k),
                          QStringLiteral("G"),
                          {{QStringLiteral("GT_ID"), 0},
                           {QStringLiteral("GT_Name"), QStringLiteral("Plan")},
                           {QStringLiteral("Completion_Date"), QStringLiteral("2026-04-0%1 12:00:00").arg(k + 1)}});
        ChartHistory::row(p,
                          stamps.at(k),
                          QStringLiteral("G"),
                          {{QStringLiteral("GT_ID"), 1},
                           {QStringLiteral("GT_Name"), QStringLiteral("Alpha")},
                           {QStringLiteral("GT_Status"), k < 2 ? QStringLiteral("Open") : QStringLiteral("Completed")},
                           {QStringLiteral("Completion_Date"),
                            k < 2 ? QVariant(QStringLiteral("2026-03-20 12:00:00")) : ChartHistory::null()}});
    }
}
} // namespace

class TestTrendCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pointsOnStandardOutputAndInAFile();
    void pictures_data();
    void pictures();
    void refusals_data();
    void refusals();
};

void TestTrendCommand::pointsOnStandardOutputAndInAFile()
{
    TempProject p;
    history(p);
    p.close();
    const CliRun run = cli({"trend", p.path(), "--root", "--goal", "1", "--period", "week"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    // Both lines, the columns as the chart's table writes them (its own test checks the figures).
    QVERIFY(run.out.contains(QStringLiteral("\nPlan,0,")) && run.out.contains(QStringLiteral("\nAlpha,1,")));
    const QString csv = p.dir() + QStringLiteral("/trend.csv");
    const CliRun toFile = cli({"trend", p.path(), "--root", "--goal", "1", "--period", "Week", "--out", csv});
    QVERIFY2(toFile.exitCode == 0, qPrintable(toFile.err));
    QVERIFY(toFile.out.isEmpty());
    QCOMPARE(QString::fromUtf8(fileBytes(csv)), run.out);
}

void TestTrendCommand::pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("magic");
    QTest::newRow("png") << "trend.png" << QByteArray("\x89PNG");
    QTest::newRow("pdf") << "trend.PDF" << QByteArray("%PDF");
}

void TestTrendCommand::pictures()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, magic);
    TempProject p;
    history(p);
    p.close();
    const QString out = p.dir() + QLatin1Char('/') + name;
    const CliRun run = cli({"trend", p.path(), "--root", "--goal", "1", "--out", out});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    QVERIFY(fileBytes(out).startsWith(magic));
    if (magic.startsWith('%')) {
        QCOMPARE(ReportFixture::pdfPages(out), 1);
    }
}

void TestTrendCommand::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing chosen") << QStringList{} << 2 << "choose the lines";
    QTest::newRow("a day is no trend period") << QStringList{"--root", "--period", "Day"} << 2 << "--period takes";
    QTest::newRow("one point is no trend") << QStringList{"--root", "--last", "1"} << 2 << "--last takes";
    QTest::newRow("unknown picture type") << QStringList{"--root", "--out", "t.svg"} << 2 << "--out takes";
    // A line of a node no snapshot holds would pass for a node without history.
    QTest::newRow("goal in no snapshot") << QStringList{"--goal", "9"} << 1 << "no snapshot holds a goal with ID 9";
    // The output path goes through the export guard: a link to the project is refused.
    QTest::newRow("onto the project") << QStringList{"--root", "--out", "@link.csv"} << 1 << "open Cairnwork project";
    QTest::newRow("picture onto the project")
        << QStringList{"--root", "--out", "@link.png"} << 1 << "open Cairnwork project";
}

void TestTrendCommand::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    TempProject p;
    history(p);
    p.close();
    for (QString& arg : args) {
        if (arg.startsWith(QLatin1Char('@'))) {
            arg = p.dir() + QLatin1Char('/') + arg.mid(1);
            QVERIFY(QFile::link(p.path(), arg));
        }
    }
    const QByteArray before = fileDigest(p.path());
    const CliRun run = cli(QStringList{"trend", p.path()} + args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    QCOMPARE(fileDigest(p.path()), before);
}

QTEST_GUILESS_MAIN(TestTrendCommand)
#include "TestTrendCommand.moc"
