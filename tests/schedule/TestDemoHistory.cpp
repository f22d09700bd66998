#include "tests/support/SnapshotProbe.h"

#include "cli/DemoProject.h"
#include "db/RowSink.h"
#include "db/Statement.h"
#include "db/Transaction.h"

#include <QtTest>

using P = SnapshotProbe;

class TestDemoHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void historyEvolvesIntoTodaysPlan();
    void nativeAndQtPathsWriteIdenticalRows();
};

namespace {
// Every CompDates row of the project with each value's storage class, in ID order.
QStringList storedRows(const TempProject& p)
{
    QSqlQuery q(Sql::db(p.connection()));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT * FROM CompDates ORDER BY ID"))) {
        return {QStringLiteral("failed: ") + q.lastError().text()};
    }
    QStringList rows;
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            cells << (v.isNull() ? QStringLiteral("NULL")
                                 : QString::fromLatin1(v.typeName()) + QLatin1Char(':') + v.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}
} // namespace

// The sample project's snapshots: every two weeks, growing and progressing, the last
// one taken now on exactly the plan the project holds.
void TestDemoHistory::historyEvolvesIntoTodaysPlan()
{
    TempProject p;
    // A Sunday evening, outside everyone's working hours.
    const QString now = QStringLiteral("2026-12-06 22:00:00");
    FixedClock clock(Stamp::fromText(now));
    QString error;
    QVERIFY2(DemoProject::build(p.connection(), clock, &error), qPrintable(error));

    QSqlQuery q(Sql::db(p.connection()));
    QVERIFY(q.exec(QStringLiteral("SELECT TimeStamp, SUM(CASE WHEN OBJ = 'T' THEN 1 ELSE 0 END),"
                                  " MAX(CASE WHEN OBJ = 'G' AND GT_ID = 0 THEN PerComp END),"
                                  " SUM(CASE WHEN OBJ = 'T' AND GT_Status = 'Completed' THEN 1 ELSE 0 END)"
                                  " FROM CompDates GROUP BY TimeStamp ORDER BY TimeStamp")));
    QStringList stamps;
    QList<int> tasks;
    QList<double> percent;
    QList<int> completed;
    while (q.next()) {
        stamps << q.value(0).toString();
        tasks << q.value(1).toInt();
        percent << q.value(2).toDouble();
        completed << q.value(3).toInt();
    }
    q.finish();
    QCOMPARE(stamps.size(), 24);
    QCOMPARE(stamps.first(), QStringLiteral("2026-01-18 22:00:00"));
    QCOMPARE(stamps.last(), now);
    QVERIFY(std::is_sorted(tasks.begin(), tasks.end()));
    QVERIFY(tasks.first() < tasks.last());
    QCOMPARE(tasks.last(), p.scalar(QStringLiteral("SELECT COUNT(*) FROM TASKS_OBJECTS")).toInt());
    QVERIFY(std::is_sorted(completed.begin(), completed.end()));
    QVERIFY(completed.first() < completed.last());
    QVERIFY(percent.at(12) < percent.last());

    // A snapshot of the finished project at the same moment equals the last one.
    const QString again = P::generate(p, now);
    QCOMPARE(again, QStringLiteral("2026-12-06 22:00:01"));
    auto last = P::rows(p, now);
    auto fresh = P::rows(p, again);
    QCOMPARE(fresh.size(), last.size());
    for (int i = 0; i < last.size(); ++i) {
        last[i].remove(QStringLiteral("ID"));
        last[i].remove(QStringLiteral("TimeStamp"));
        fresh[i].remove(QStringLiteral("ID"));
        fresh[i].remove(QStringLiteral("TimeStamp"));
        QCOMPARE(fresh[i], last[i]);
    }
}

// The snapshot writer goes through the engine's own interface where it can (SQLite's
// statements, the server's COPY) and through Qt SQL otherwise: both write the very same
// rows, value for value and type for type, over the whole history of the sample project.
void TestDemoHistory::nativeAndQtPathsWriteIdenticalRows()
{
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 10:00:00")));
    QString error;
    TempProject native(QStringLiteral("native"));
    {
        Transaction tx(native.connection());
        const auto sink =
            RowSink::open(native.connection(), QStringLiteral("CompDates"), {QStringLiteral("TimeStamp")}, &error);
        QVERIFY2(sink && sink->isNative(), qPrintable(error));
    }
    QVERIFY2(DemoProject::build(native.connection(), clock, &error), qPrintable(error));

    TempProject viaQt(QStringLiteral("qt"));
    Statement::setNativeEnabled(false);
    const bool built = DemoProject::build(viaQt.connection(), clock, &error);
    Statement::setNativeEnabled(true);
    QVERIFY2(built, qPrintable(error));

    const QStringList expected = storedRows(viaQt);
    const QStringList actual = storedRows(native);
    QVERIFY(expected.size() > 1000);
    QCOMPARE(actual.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(actual.at(i), expected.at(i));
    }
}

QTEST_GUILESS_MAIN(TestDemoHistory)
#include "TestDemoHistory.moc"
