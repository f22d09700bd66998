#include "tests/support/CliRun.h"
#include "tests/support/FileDigest.h"
#include "tests/support/SnapshotProbe.h"

#include <QtTest>

using P = SnapshotProbe;

namespace {
const QString kHeader = QStringLiteral("Kind,ID,Member,Name,Status A,Status B,Completion A,Completion B,Change (days),"
                                       "Time passed,Working hours,Scope,Queue,Re-planning,Progress,Flags");

// Ann works Monday to Friday 08:00-16:00 on "API" (5 days, 2 done in 2 days) and a
// finished "Old"; snapshots on Sunday 1 March and, after a change of her hours, a
// week later.
struct History
{
    TempProject p;
    QString a;
    QString b;
    qint64 api = 0;

    History()
    {
        p.member(QStringLiteral("Ann"));
        const qint64 goal = p.goal(QStringLiteral("Build, \"fast\""));
        api = p.task(goal, QStringLiteral("API"), 5);
        p.assign(api, QStringLiteral("Ann"), 100, 40, 2);
        p.assign(
            p.task(goal, QStringLiteral("Old"), 1, QStringLiteral("Completed")), QStringLiteral("Ann"), 100, 100, 1);
        a = P::generate(p, QStringLiteral("2026-03-01 12:00:00"));
        QString error;
        Sql::exec(p.connection(), QStringLiteral("UPDATE RESOURCES SET MON_END = '12:00'"), &error);
        b = P::generate(p, QStringLiteral("2026-03-08 12:00:00"));
        p.close();
    }
    CliRun compare(const QStringList& more) const
    {
        return CliRun::run(QStringList{QStringLiteral("compare"), p.path()} + more);
    }
    // From A to B, to standard output or, given, to the file `out`.
    CliRun fromAToB(const QString& out = {}) const
    {
        return compare(QStringList{"--from", a, "--to", b} +
                       (out.isEmpty() ? QStringList() : QStringList{"--out", out}));
    }
};

QStringList lines(const QString& out)
{
    return out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}
} // namespace

class TestCompareCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void explainsEachRow();
    void comparedWithItself();
    void refusals_data();
    void refusals();
    void formatOneSaysHoursAreUnknown();
};

// 3 days of API left. From Monday 2 March: Wednesday 4 March 16:00. From Monday 9
// March with Mondays to 12:00: 4 + 8 + 8 + 4 h, Thursday 12 March 12:00: 7 days
// 20 hours later, 7 days of it time passed, -4 hours the shorter Monday.
void TestCompareCommand::explainsEachRow()
{
    History h;
    const CliRun run = h.fromAToB();
    QCOMPARE(run.exitCode, 0);
    const QStringList out = lines(run.out);
    QCOMPARE(out.value(0), kHeader);
    QCOMPARE(out.size(), 1 + 6);
    QCOMPARE(out.value(1),
             QStringLiteral("P,0,,Cairnwork,,,2026-03-04 16:00:00,2026-03-12 12:00:00,7.833333333333333,7,"
                            "0.8333333333333334,0,0,0,0,"));
    QVERIFY2(out.value(2).startsWith(QLatin1String("G,1,,\"Build, \"\"fast\"\"\",Open,Open,")),
             qPrintable(out.value(2)));
    QVERIFY(out.contains(QStringLiteral("R,%1,Ann,API,Open,Open,2026-03-04 16:00:00,2026-03-12 12:00:00,"
                                        "7.833333333333333,7,0.8333333333333334,0,0,0,0,")
                             .arg(h.api)));
    QVERIFY(out.last().endsWith(QLatin1String(",,,,,,,,,undated")));
    // --out writes the same lines.
    const QString file = h.p.dir() + QStringLiteral("/cmp.csv");
    QCOMPARE(h.fromAToB(file).exitCode, 0);
    QFile csv(file);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(csv.readAll()), run.out);
    // And a PDF of the same outline; the project itself stays as it was.
    const QByteArray project = fileDigest(h.p.path());
    const QString pdf = h.p.dir() + QStringLiteral("/cmp.pdf");
    QCOMPARE(h.fromAToB(pdf).exitCode, 0);
    QFile document(pdf);
    QVERIFY(document.open(QIODevice::ReadOnly));
    QVERIFY(document.read(5) == "%PDF-");
    QCOMPARE(fileDigest(h.p.path()), project);
    // A name that leads to the project is refused.
    const QString link = h.p.dir() + QStringLiteral("/link.pdf");
    QVERIFY(QFile::link(h.p.path(), link));
    QCOMPARE(h.fromAToB(link).exitCode, 1);
    QCOMPARE(fileDigest(h.p.path()), project);
}

// The project now, at the moment of the newest snapshot, against that snapshot.
void TestCompareCommand::comparedWithItself()
{
    History h;
    const CliRun run = h.compare({"--from", h.b, "--to", "now", "--now", h.b});
    QCOMPARE(run.exitCode, 0);
    for (const QString& line : lines(run.out).mid(1)) {
        const QStringList cells = line.split(QLatin1Char(','));
        const QString figures = cells.mid(cells.size() - 8, 7).join(QLatin1Char(','));
        QVERIFY2(figures == QLatin1String("0,0,0,0,0,0,0") || line.endsWith(QLatin1String(",,,,,,,,undated")),
                 qPrintable(line));
    }
}

void TestCompareCommand::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown stamp") << QStringList{"--from", "2026-03-01 12:00:00", "--to", "2026-03-05 12:00:00"} << 1
                                   << "no snapshot with the stamp \"2026-03-05 12:00:00\"";
    QTest::newRow("no --to") << QStringList{"--from", "2026-03-01 12:00:00"} << 2 << "--to";
    QTest::newRow("not a stamp") << QStringList{"--from", "yesterday", "--to", "now"} << 2 << "YYYY-MM-DD";
    QTest::newRow("bad --now") << QStringList{"--from", "2026-03-01 12:00:00", "--to", "now", "--now", "x"} << 2
                               << "--now";
    QTest::newRow("other suffix") << QStringList{"--from", "2026-03-01 12:00:00", "--to", "now", "--out", "x.txt"} << 2
                                  << ".csv";
}

void TestCompareCommand::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    History h;
    const QByteArray before = fileDigest(h.p.path());
    const CliRun run = h.compare(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(fileDigest(h.p.path()), before);

    TempProject empty;
    empty.close();
    const CliRun none = CliRun::run({"compare", empty.path(), "--from", "2026-03-01 12:00:00", "--to", "now"});
    QCOMPARE(none.exitCode, 1);
    QVERIFY2(none.err.contains(QLatin1String("no snapshot yet")), qPrintable(none.err));
}

// A file of the first format, read as it is: its snapshots keep no hours.
void TestCompareCommand::formatOneSaysHoursAreUnknown()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.cwk"));
    QVERIFY(QFile::copy(QStringLiteral(CW_FORMAT1_FILE), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray before = fileDigest(path);
    const CliRun run = CliRun::run({"compare", path, "--from", "2026-03-02 09:00:00", "--to", "2026-03-09 09:00:00"});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(fileDigest(path), before);
    const QStringList out = lines(run.out);
    QCOMPARE(out.value(1),
             QStringLiteral("P,0,,Cairnwork,,,2026-03-11 16:12:00,2026-03-18 16:12:00,7,7,0,0,0,0,0,hours-unknown"));
}

QTEST_GUILESS_MAIN(TestCompareCommand)
#include "TestCompareCommand.moc"
