#include "charts/ChartQuery.h"
#include "db/Sql.h"
#include "tests/support/TempProject.h"

#include <QRegularExpression>
#include <QtTest>

// A history chart reads years of snapshots: its statements must reach their rows
// through an index, never by scanning the whole snapshot table.
class TestChartQueryPlan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void seriesUseIndexes_data();
    void seriesUseIndexes();

private:
    static QStringList plan(const QString& connection, const ChartQuery& query)
    {
        QSqlQuery q(Sql::db(connection));
        if (!q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + query.sql)) {
            qFatal("%s", qPrintable(Sql::describe(q.lastError())));
        }
        for (const QVariant& v : query.values) {
            q.addBindValue(v);
        }
        QStringList details;
        if (q.exec()) {
            while (q.next()) {
                details << q.value(3).toString();
            }
        }
        return details;
    }
};

void TestChartQueryPlan::seriesUseIndexes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("members"); // node i names member i % members ...
    QTest::addColumn<int>("tasks"); // ... and task 100 + i % tasks
    QTest::addColumn<QString>("index");
    const int member = int(ChartFilter::Kind::Member);
    const int assignment = int(ChartFilter::Kind::Assignment);
    QTest::newRow("one member") << member << 1 << 1 << 1 << "CompDates_Member";
    QTest::newRow("ten members") << member << 10 << 10 << 10 << "CompDates_Member";
    QTest::newRow("ten assignments") << assignment << 10 << 10 << 10 << "CompDates_Res";
    QTest::newRow("ten goals") << int(ChartFilter::Kind::Goal) << 10 << 10 << 10 << "CompDates_Obj_Id";
    // Thousands of ticked nodes keep to the same indexes.
    QTest::newRow("5,000 members") << member << 5000 << 5000 << 5000 << "CompDates_Member";
    QTest::newRow("5,000 tasks") << int(ChartFilter::Kind::Task) << 5000 << 5000 << 5000 << "CompDates_Obj_Id";
    QTest::newRow("5,000 assignments of 50 members") << assignment << 5000 << 50 << 5000 << "CompDates_Res";
    QTest::newRow("5,000 assignments on 50 tasks") << assignment << 5000 << 5000 << 50 << "CompDates_Res";
}

void TestChartQueryPlan::seriesUseIndexes()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(int, members);
    QFETCH(int, tasks);
    QFETCH(QString, index);
    TempProject p;
    ChartState state;
    state.grouping = ChartState::Grouping::Week;
    state.source = kind == int(ChartFilter::Kind::Member) ? ChartSource::Members : ChartSource::Goals;
    for (int i = 0; i < count; ++i) {
        state.filter.add({ChartFilter::Kind(kind), 100 + i % tasks, QStringLiteral("Member %1").arg(i % members)});
    }
    for (ChartState::Measure m : {ChartState::Measure::Diff, ChartState::Measure::Completion_Date}) {
        state.measure = m;
        const QStringList details = plan(p.connection(), ChartQuery::BuildChartSql(state));
        QVERIFY2(!details.isEmpty(), "the statement did not prepare");
        QVERIFY2(details.join(QLatin1Char('\n')).contains(index), qPrintable(details.join(QLatin1Char('\n'))));
        // "SCAN CompDates" alone is a full table scan; scanning a named subquery is fine.
        static const QRegularExpression tableScan(QStringLiteral("^SCAN CompDates$"));
        for (const QString& d : details) {
            QVERIFY2(!tableScan.match(d).hasMatch(), qPrintable(details.join(QLatin1Char('\n'))));
        }
    }
}

QTEST_GUILESS_MAIN(TestChartQueryPlan)
#include "TestChartQueryPlan.moc"
