#include "tests/support/ServerDatabase.h"
#include "tests/support/SnapshotProbe.h"

#include "cli/DemoProject.h"
#include "db/Database.h"
#include "db/ProjectCopy.h"
#include "db/RowSink.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QtTest>

// Snapshots written on a team server, in bulk or row by row, hold the very rows a
// file holds, and a refused row leaves none of its snapshot behind.
namespace {
const QString kServer = QStringLiteral("server");
const QString kMonday = QStringLiteral("2026-12-07 10:00:00");

// Every CompDates row of `connection` but its ID, each value in one spelling for
// both engines (numbers by value, NULL apart from ''), sorted.
QStringList snapshotRows(const QString& connection)
{
    QSqlQuery q(Sql::db(connection));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM CompDates"))) {
        return {QStringLiteral("failed: ") + q.lastError().text()};
    }
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i) {
            if (q.record().fieldName(i).compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0) {
                continue;
            }
            const QVariant v = q.value(i);
            if (v.isNull()) {
                cells << QStringLiteral("NULL");
            } else if (v.typeId() == QMetaType::Double) {
                cells << QStringLiteral("real:") + QString::number(v.toDouble(), 'g', 17);
            } else if (v.typeId() == QMetaType::QString) {
                cells << QStringLiteral("text:'") + v.toString() + QLatin1Char('\'');
            } else {
                cells << QStringLiteral("integer:") + QString::number(v.toLongLong());
            }
        }
        rows << cells.join(QLatin1Char('|'));
    }
    rows.sort();
    return rows;
}
} // namespace

class TestServerSnapshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Statement::setNativeEnabled(true); }
    void cleanup()
    {
        Statement::setNativeEnabled(true);
        Database::close(kServer);
    }
    void demoHistoryMatchesTheFile_data();
    void demoHistoryMatchesTheFile();
    void refusedRowLeavesNoSnapshot_data();
    void refusedRowLeavesNoSnapshot();
};

void TestServerSnapshot::demoHistoryMatchesTheFile_data()
{
    QTest::addColumn<bool>("bulk");
    QTest::newRow("COPY") << true;
    QTest::newRow("row by row") << false;
}

// The sample project's whole history (a snapshot every two weeks) built on a server
// holds the rows the same history holds in a file, value for value.
void TestServerSnapshot::demoHistoryMatchesTheFile()
{
    QFETCH(bool, bulk);
    ServerDatabase server;
    CW_REQUIRE_SERVER(server);
    FixedClock clock(Stamp::fromText(kMonday));
    QString error;
    TempProject file;
    QVERIFY2(DemoProject::build(file.connection(), clock, &error), qPrintable(error));

    QVERIFY2(Database::create(server.url(), kServer, &error), qPrintable(error));
    Statement::setNativeEnabled(bulk);
    {
        // The writer's sink on this connection takes the path asked for.
        Transaction tx(kServer);
        const auto sink = RowSink::open(kServer, QStringLiteral("CompDates"), {QStringLiteral("TimeStamp")}, &error);
        QVERIFY2(sink && sink->isNative() == bulk, qPrintable(error));
    }
    QVERIFY2(DemoProject::build(kServer, clock, &error), qPrintable(error));

    const QStringList expected = snapshotRows(file.connection());
    const QStringList actual = snapshotRows(kServer);
    QVERIFY(expected.size() > 1000);
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(actual.at(i), expected.at(i));
    }
}

void TestServerSnapshot::refusedRowLeavesNoSnapshot_data()
{
    QTest::addColumn<bool>("bulk");
    QTest::newRow("COPY") << true;
    QTest::newRow("row by row") << false;
}

// A trigger on the server refuses row 20 of 42: the error names that row and the
// server's reason, no row of the new stamp remains, the older snapshot stays, and
// the next snapshot succeeds on the same connection.
void TestServerSnapshot::refusedRowLeavesNoSnapshot()
{
    QFETCH(bool, bulk);
    ServerDatabase server;
    CW_REQUIRE_SERVER(server);
    TempProject p;
    p.member(QStringLiteral("M"));
    const qint64 g = p.goal(QStringLiteral("G"));
    for (int i = 0; i < 20; ++i) {
        const qint64 t = p.task(g, i == 10 ? QStringLiteral("Boom") : QStringLiteral("T%1").arg(i), 1);
        p.assign(t, QStringLiteral("M"), 100, 0, 0);
    }
    QString error;
    QVERIFY2(Database::create(server.url(),
                              kServer,
                              &error,
                              [&](QString* failure) { return ProjectCopy::copy(p.connection(), kServer, failure); }),
             qPrintable(error));
    const auto generate = [&](const QString& now, QString* stamp) {
        FixedClock clock(Stamp::fromText(now));
        return SnapshotGenerator::GenerateCompDates(kServer, clock, stamp, &error);
    };
    QString stamp;
    QVERIFY2(generate(QStringLiteral("2026-12-01 09:00:00"), &stamp), qPrintable(error));
    QVERIFY(server.exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$"
                                       " BEGIN IF NEW.GT_Name = 'Boom' THEN RAISE EXCEPTION 'refused by test'; END IF;"
                                       " RETURN NEW; END $$;"
                                       " CREATE TRIGGER refuse BEFORE INSERT ON CompDates FOR EACH ROW"
                                       " EXECUTE FUNCTION refuse()")));
    Statement::setNativeEnabled(bulk);
    stamp.clear();
    QVERIFY(!generate(kMonday, &stamp));
    QVERIFY2(error.contains(QLatin1String("row 20 of 42 (Boom)")) && error.contains(QLatin1String("refused by test")),
             qPrintable(error));
    QVERIFY(stamp.isEmpty());
    QVERIFY(!Transaction::isOpen(kServer));
    QCOMPARE(server.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDates")).toInt(), 42);

    QVERIFY(server.exec(QStringLiteral("DROP TRIGGER refuse ON CompDates")));
    QVERIFY2(generate(kMonday, &stamp), qPrintable(error));
    QCOMPARE(
        server.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDates WHERE TimeStamp = '%1'").arg(kMonday)).toInt(),
        42);
}

QTEST_GUILESS_MAIN(TestServerSnapshot)
#include "TestServerSnapshot.moc"
