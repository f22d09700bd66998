#include "tests/support/CliRun.h"
#include "tests/support/FileDigest.h"
#include "tests/support/ServerDatabase.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const char* const kTables[] = {"COUNTERS",
                               "RESOURCES",
                               "GOALS_SW",
                               "TASKS_OBJECTS",
                               "TASK_OBJECT_RESOURCE",
                               "TASK_OBJECT_WORKSHEET",
                               "CompDates",
                               "CompDatesHours"};

// Every row of a project file's table, each value with its stored type, in a fixed order.
QStringList tableRows(const QString& path, const QString& table)
{
    const QString connection = QStringLiteral("rows");
    QStringList rows;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery columns(db);
            columns.exec(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(table));
            QStringList typed;
            for (int i = 0; i < columns.record().count(); ++i) {
                typed << QStringLiteral("typeof(%1) || ':' || quote(%1)").arg(columns.record().fieldName(i));
            }
            QSqlQuery query(db);
            query.exec(QStringLiteral("SELECT %1 FROM %2").arg(typed.join(QStringLiteral(" || '|' || ")), table));
            while (query.next()) {
                rows << query.value(0).toString();
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    rows.sort();
    return rows;
}

} // namespace

class TestServerCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void copyAndSnapshotMatchTheFile();
    void readCommandsMatchTheFile();
    void copyRefusesTargetsInUse_data();
    void copyRefusesTargetsInUse();
    void copyNeedsAsciiCaseFolding();
    void usage_data();
    void usage();

private:
    QTemporaryDir m_dir;
    QString m_demo;
};

void TestServerCommands::initTestCase()
{
    m_demo = m_dir.filePath(QStringLiteral("demo.cwk"));
    const CliRun demo = CliRun::run({QStringLiteral("demo"), m_demo});
    QVERIFY2(demo.exitCode == 0, qPrintable(demo.err));
}

// Up to the server and back keeps every row; a snapshot taken on both then matches too.
void TestServerCommands::copyAndSnapshotMatchTheFile()
{
    ServerDatabase server;
    CW_REQUIRE_SERVER(server);
    const QString file = m_dir.filePath(QStringLiteral("snap.cwk"));
    const QString back = m_dir.filePath(QStringLiteral("back.cwk"));
    QVERIFY(QFile::copy(m_demo, file));
    const CliRun up = CliRun::run({QStringLiteral("copy"), m_demo, server.url()});
    QVERIFY2(up.exitCode == 0, qPrintable(up.err));
    const CliRun down = CliRun::run({QStringLiteral("copy"), server.url(), back});
    QVERIFY2(down.exitCode == 0, qPrintable(down.err));
    for (const char* table : kTables) {
        const QStringList before = tableRows(m_demo, QLatin1String(table));
        QVERIFY2(!before.isEmpty(), table);
        QCOMPARE(tableRows(back, QLatin1String(table)), before);
    }

    const QStringList now = {QStringLiteral("--now"), QStringLiteral("2027-01-05 09:00:00")};
    const CliRun onFile = CliRun::run(QStringList{QStringLiteral("snapshot"), file} + now);
    const CliRun onServer = CliRun::run(QStringList{QStringLiteral("snapshot"), server.url()} + now);
    QVERIFY2(onFile.exitCode == 0 && onServer.exitCode == 0, qPrintable(onFile.err + onServer.err));
    QCOMPARE(onServer.out, onFile.out);
    QVERIFY(QFile::remove(back));
    QVERIFY(CliRun::run({QStringLiteral("copy"), server.url(), back}).exitCode == 0);
    // The server numbers its rows itself, after the copied ones: compare them without ID.
    const auto withoutId = [](QStringList rows) {
        for (QString& row : rows) {
            row = row.section(QLatin1Char('|'), 1);
        }
        rows.sort();
        return rows;
    };
    QCOMPARE(withoutId(tableRows(back, QStringLiteral("CompDates"))),
             withoutId(tableRows(file, QStringLiteral("CompDates"))));
    QCOMPARE(tableRows(back, QStringLiteral("CompDatesHours")), tableRows(file, QStringLiteral("CompDatesHours")));
}

void TestServerCommands::readCommandsMatchTheFile()
{
    ServerDatabase server;
    CW_REQUIRE_SERVER(server);
    const CliRun up = CliRun::run({QStringLiteral("copy"), m_demo, server.url()});
    QVERIFY2(up.exitCode == 0, qPrintable(up.err));
    QList<QStringList> commands = {{QStringLiteral("tasklist")}};
    for (const QVariant& goal : server.scalarColumn(QStringLiteral("SELECT ID FROM GOALS_SW ORDER BY ID"))) {
        commands << QStringList{QStringLiteral("tasklist"), QStringLiteral("--goal"), goal.toString()};
    }
    // One chart of each kind of node, period and aggregate.
    const QString assignment = server
                                   .scalar(QStringLiteral("SELECT FK_TASKID || ':' || FK_R_NAME FROM "
                                                          "TASK_OBJECT_RESOURCE ORDER BY 1 LIMIT 1"))
                                   .toString();
    const QString member = assignment.section(QLatin1Char(':'), 1);
    const QStringList chart = {QStringLiteral("chart"), QStringLiteral("--measure")};
    commands << chart + QStringList{"Completion_Date", "--aggregate", "Avg", "--period", "Week", "--root"}
             << chart + QStringList{"Progress", "--aggregate", "Last", "--period", "Quarter", "--goal", "1"}
             << chart + QStringList{"Planned", "--aggregate", "First", "--period", "Day", "--task", "1"}
             << chart + QStringList{"PerComp", "--aggregate", "Sum", "--period", "Month", "--member", member}
             << chart + QStringList{"Diff", "--aggregate", "Avg", "--period", "Year", "--assignment", assignment};
    // The history's readers: the comparison, the trend, the timeline and a member's calendar.
    const QStringList stamps = {server.scalar(QStringLiteral("SELECT MIN(TimeStamp) FROM CompDates")).toString(),
                                server.scalar(QStringLiteral("SELECT MAX(TimeStamp) FROM CompDates")).toString()};
    QVERIFY(stamps.at(0) < stamps.at(1));
    commands << QStringList{"compare", "--from", stamps.at(0), "--to", stamps.at(1)}
             << QStringList{"trend", "--root", "--goal", "1", "--task", "1"}
             << QStringList{"timeline", "--by", "member"} << QStringList{"timeline", "--by", "goal"}
             << QStringList{"ical", "--member", member};
    for (const QStringList& command : std::as_const(commands)) {
        const CliRun file = CliRun::run(QStringList{command.first(), m_demo} + command.mid(1));
        const CliRun onServer = CliRun::run(QStringList{command.first(), server.url()} + command.mid(1));
        QVERIFY2(file.exitCode == 0 && onServer.exitCode == 0, qPrintable(file.err + onServer.err));
        QVERIFY(!file.out.isEmpty());
        QCOMPARE(onServer.out, file.out);
    }
    for (const char* kind : {"overview", "tasks", "members"}) {
        QStringList outs;
        for (const QString& place : {m_demo, server.url()}) {
            outs << m_dir.filePath(QStringLiteral("%1-%2.csv").arg(outs.size()).arg(QLatin1String(kind)));
            const CliRun r = CliRun::run({"report", place, "--kind", QLatin1String(kind), "--out", outs.last()});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        }
        QVERIFY(!fileBytes(outs.at(0)).isEmpty());
        QCOMPARE(fileBytes(outs.at(1)), fileBytes(outs.at(0)));
    }
}

void TestServerCommands::copyRefusesTargetsInUse_data()
{
    QTest::addColumn<bool>("toServer");
    QTest::newRow("database holding a project") << true;
    QTest::newRow("existing file") << false;
}

void TestServerCommands::copyRefusesTargetsInUse()
{
    QFETCH(bool, toServer);
    if (toServer) {
        // An empty project is still a project: neither init nor copy writes over it.
        ServerDatabase server;
        CW_REQUIRE_SERVER(server);
        const CliRun init = CliRun::run({QStringLiteral("init"), server.url()});
        QVERIFY2(init.exitCode == 0, qPrintable(init.err));
        QCOMPARE(CliRun::run({QStringLiteral("tasklist"), server.url()}).exitCode, 0);
        QCOMPARE(CliRun::run({QStringLiteral("init"), server.url()}).exitCode, 1);
        const CliRun again = CliRun::run({QStringLiteral("copy"), m_demo, server.url()});
        QCOMPARE(again.exitCode, 1);
        QVERIFY2(again.err.contains(QLatin1String("empty database")), qPrintable(again.err));
        QCOMPARE(server.scalar(QStringLiteral("SELECT COUNT(*) FROM GOALS_SW")).toInt(), 0);
        return;
    }
    const QString other = m_dir.filePath(QStringLiteral("other.cwk"));
    QVERIFY(CliRun::run({QStringLiteral("init"), other}).exitCode == 0);
    const QByteArray before = fileDigest(other);
    const CliRun again = CliRun::run({QStringLiteral("copy"), m_demo, other});
    QCOMPARE(again.exitCode, 1);
    QCOMPARE(fileDigest(other), before);
}

// Under another character type the server would merge names a file keeps apart.
void TestServerCommands::copyNeedsAsciiCaseFolding()
{
    ServerDatabase server(QStringLiteral("C.utf8"));
    CW_REQUIRE_SERVER(server);
    const CliRun copy = CliRun::run({QStringLiteral("copy"), m_demo, server.url()});
    QCOMPARE(copy.exitCode, 1);
    QVERIFY2(copy.err.contains(QLatin1String("character type is \"C.utf8\"")), qPrintable(copy.err));
    QCOMPARE(server
                 .scalar(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables"
                                        " WHERE table_schema = 'public'"))
                 .toInt(),
             0);
}

void TestServerCommands::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("one place only") << QStringList{QStringLiteral("copy"), QStringLiteral("a.cwk")} << 2;
    QTest::newRow("password in the address")
        << QStringList{QStringLiteral("copy"), QStringLiteral("postgresql://u:pw@h/db"), QStringLiteral("x.cwk")} << 1;
}

void TestServerCommands::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    const CliRun run = CliRun::run(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.err.contains(QLatin1String("pw@")));
}

QTEST_GUILESS_MAIN(TestServerCommands)
#include "TestServerCommands.moc"
