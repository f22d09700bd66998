#include "tests/reports/ReportFixture.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {
struct Run
{
    int exitCode = -1;
    QString err;
};

// The command-line program of the same build tree.
QString cliPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../../cli/cairnwork-cli");
}

Run cli(const QStringList& args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(cliPath(), args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
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
    void initTestCase();
    void exportsNewestOrChosenSnapshot();
    void pdfWithoutDisplay();
    void refusesWhatItCannotDo_data();
    void refusesWhatItCannotDo();
};

void TestReportCommand::initTestCase()
{
    if (!QFileInfo::exists(cliPath())) {
        QSKIP("cairnwork-cli is not built");
    }
}

void TestReportCommand::exportsNewestOrChosenSnapshot()
{
    TempProject p;
    ReportFixture::build(p);
    p.close();
    const QString csv = p.dir() + QStringLiteral("/members.csv");
    Run run = cli({QStringLiteral("report"), p.path(), "--kind", "members", "--out", csv});
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
    const Run run = cli({"report", p.path(), "--kind", "overview", "--out", pdf});
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
    const Run run = cli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(QDir(p.dir()).entryList({QStringLiteral("x.*")}).isEmpty());
}

QTEST_GUILESS_MAIN(TestReportCommand)
#include "TestReportCommand.moc"
