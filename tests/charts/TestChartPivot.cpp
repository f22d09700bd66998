#include "charts/ChartCsv.h"
#include "charts/ChartPivot.h"
#include "charts/ChartQuery.h"
#include "db/Transaction.h"
#include "tests/support/ChartHistory.h"

#include <QRegularExpression>
#include <QtTest>

using Grouping = ChartState::Grouping;
using Aggregate = ChartState::Aggregate;
using Measure = ChartState::Measure;
using Cells = QList<std::optional<double>>;

Q_DECLARE_METATYPE(Cells)

class TestChartPivot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void periodsAndAggregates_data();
    void periodsAndAggregates();
    void weekOfASnapshot_data();
    void weekOfASnapshot();
    void missingAndNullCellsStayEmpty();
    void firstAndLastBreakTiesByRowId();
    void datesAverageAndKeepNull();
    void assignmentMatchesMemberAndTask();
    void membersIgnoreCaseAndTakeAnyName();
    void memberFiguresMatchTheView();
    void emptyFilterReadsNothing();
    void unplaceableSnapshotsAreLeftOut_data();
    void unplaceableSnapshotsAreLeftOut();
    void thousandsOfNodes_data();
    void thousandsOfNodes();
    void csvTable();

private:
    static ChartState
    goals(std::initializer_list<qint64> ids, Grouping g = Grouping::Month, Aggregate a = Aggregate::Last)
    {
        ChartState s;
        s.grouping = g;
        s.aggregate = a;
        for (qint64 id : ids) {
            s.filter.add({id == 0 ? ChartFilter::Kind::Root : ChartFilter::Kind::Goal, id, {}});
        }
        return s;
    }
    static ChartTable run(const TempProject& p, const ChartState& s)
    {
        ChartTable table;
        QString error;
        if (!ChartPivot::run(p.connection(), s, &table, &error, QLocale(QLocale::German, QLocale::Germany))) {
            qFatal("chart query failed: %s", qPrintable(error));
        }
        return table;
    }
    // SQLite's plan of the statement, one step a line; empty if it does not prepare.
    static QString plan(const QString& connection, const ChartQuery& query)
    {
        QSqlQuery q(Sql::db(connection));
        q.prepare(QStringLiteral("EXPLAIN QUERY PLAN ") + query.sql);
        for (const QVariant& v : query.values) {
            q.addBindValue(v);
        }
        QStringList details;
        if (q.exec()) {
            while (q.next()) {
                details << q.value(3).toString();
            }
        }
        return details.join(QLatin1Char('\n'));
    }
    static QStringList labels(const ChartTable& t)
    {
        QStringList out;
        for (const auto& period : t.periods) {
            out << period.label;
        }
        return out;
    }
};

void TestChartPivot::initTestCase()
{
    qRegisterMetaType<Cells>();
}

void TestChartPivot::periodsAndAggregates_data()
{
    QTest::addColumn<Grouping>("grouping");
    QTest::addColumn<Aggregate>("aggregate");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<Cells>("alpha");

    // Alpha's Diff is 1..8 at the eight stamps of the history.
    QTest::newRow("year last") << Grouping::Year << Aggregate::Last << QStringList{"2025", "2026", "2027"}
                               << Cells{1.0, 4.0, 8.0};
    QTest::newRow("quarter first") << Grouping::Quarter << Aggregate::First << QStringList{"Q4 '25", "Q4 '26", "Q1 '27"}
                                   << Cells{1.0, 2.0, 5.0};
    QTest::newRow("month last") << Grouping::Month << Aggregate::Last
                                << QStringList{"12/2025", "11/2026", "12/2026", "1/2027"} << Cells{1.0, 3.0, 4.0, 8.0};
    QTest::newRow("month avg") << Grouping::Month << Aggregate::Avg
                               << QStringList{"12/2025", "11/2026", "12/2026", "1/2027"} << Cells{1.0, 2.5, 4.0, 6.5};
    QTest::newRow("month sum") << Grouping::Month << Aggregate::Sum
                               << QStringList{"12/2025", "11/2026", "12/2026", "1/2027"} << Cells{1.0, 5.0, 4.0, 26.0};
    // Two snapshots on 4 January make one day; the label is the short date.
    QTest::newRow("day last")
        << Grouping::Day << Aggregate::Last
        << QStringList{"29.12.25", "02.11.26", "20.11.26", "31.12.26", "01.01.27", "03.01.27", "04.01.27"}
        << Cells{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 8.0};
}

void TestChartPivot::periodsAndAggregates()
{
    QFETCH(Grouping, grouping);
    QFETCH(Aggregate, aggregate);
    QFETCH(QStringList, labels);
    QFETCH(Cells, alpha);
    TempProject p;
    ChartHistory::build(p);
    const ChartTable t = run(p, goals({1}, grouping, aggregate));
    QCOMPARE(this->labels(t), labels);
    QCOMPARE(t.series, QStringList{"Alpha"});
    QCOMPARE(t.column(0), alpha);
}

// The week a snapshot falls in, through the statement and the label: weeks
// start on Sunday and week 1 holds 1 January, so the last days of a year are
// week 53, or 54 when a leap year starts on a Saturday (2000).
void TestChartPivot::weekOfASnapshot_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<QString>("label");

    const QList<std::pair<const char*, const char*>> days{{"2020-12-31", "53 '20"},
                                                          {"2021-01-02", "1 '21"},
                                                          {"2021-01-03", "2 '21"},
                                                          {"2023-01-01", "1 '23"},
                                                          {"2000-12-30", "53 '00"},
                                                          {"2000-12-31", "54 '00"},
                                                          {"2002-08-31", "35 '02"},
                                                          {"2002-09-01", "36 '02"}};
    for (const auto& [day, label] : days) {
        QTest::newRow(day) << QStringLiteral("%1 12:00:00").arg(QLatin1String(day)) << QString::fromLatin1(label);
    }
    // The first and last second of a day belong to its week.
    QTest::newRow("2020-12-31 23:59:59") << QStringLiteral("2020-12-31 23:59:59") << QStringLiteral("53 '20");
    QTest::newRow("2021-01-01 00:00:00") << QStringLiteral("2021-01-01 00:00:00") << QStringLiteral("1 '21");
}

void TestChartPivot::weekOfASnapshot()
{
    QFETCH(QString, stamp);
    QFETCH(QString, label);
    TempProject p;
    ChartHistory::goal(p, stamp, 1, QStringLiteral("Alpha"), 1.0);
    QCOMPARE(labels(run(p, goals({1}, Grouping::Week))), QStringList{label});
}

void TestChartPivot::missingAndNullCellsStayEmpty()
{
    TempProject p;
    ChartHistory::build(p);
    const ChartTable t = run(p, goals({2, 0, 1}));
    // Series by name, whatever order the nodes were ticked in.
    QCOMPARE(t.series, (QStringList{"Alpha", "Beta", "Cairnwork"}));
    // Beta has a row only in 11/2026 and one with NULL in 1/2027: "Last" of
    // 1/2027 is that NULL, not an older value.
    QCOMPARE(t.column(1), (Cells{std::nullopt, 10.0, std::nullopt, std::nullopt}));
    QCOMPARE(t.column(2), (Cells{0.0, 0.0, 0.0, 0.0}));
    // A goal ticked alone that only ever had NULL still gives its period and series.
    const ChartTable beta = run(p, goals({2}, Grouping::Year, Aggregate::Avg));
    QCOMPARE(labels(beta), (QStringList{"2026", "2027"}));
    QCOMPARE(beta.column(0), (Cells{10.0, std::nullopt}));
}

void TestChartPivot::firstAndLastBreakTiesByRowId()
{
    TempProject p;
    // A goal and a task of the same name in one snapshot make one series; the
    // row written later counts as the later one.
    const QString stamp = QStringLiteral("2026-03-01 10:00:00");
    ChartHistory::goal(p, stamp, 7, QStringLiteral("Same"), 100.0);
    ChartHistory::row(p,
                      stamp,
                      QStringLiteral("T"),
                      {{"GT_ID", 7}, {"GT_Name", QStringLiteral("Same")}, {"Diff", 200.0}, {"Calc", 1}});
    ChartState s = goals({7});
    s.filter.add({ChartFilter::Kind::Task, 7, {}});
    QCOMPARE(run(p, s).column(0), Cells{200.0});
    s.aggregate = Aggregate::First;
    QCOMPARE(run(p, s).column(0), Cells{100.0});
    s.aggregate = Aggregate::Avg;
    QCOMPARE(run(p, s).column(0), Cells{150.0});
}

void TestChartPivot::datesAverageAndKeepNull()
{
    TempProject p;
    auto dated = [&](const QString& stamp, const QVariant& date) {
        ChartHistory::row(p,
                          stamp,
                          QStringLiteral("G"),
                          {{"GT_ID", 0}, {"GT_Name", QStringLiteral("Cairnwork")}, {"Completion_Date", date}});
    };
    dated(QStringLiteral("2026-05-04 09:00:00"), QStringLiteral("2027-01-10 12:00:00"));
    dated(QStringLiteral("2026-05-11 09:00:00"), QStringLiteral("2027-01-12 18:30:16"));
    dated(QStringLiteral("2026-06-01 09:00:00"), QStringLiteral("2027-02-01 08:00:00"));
    dated(QStringLiteral("2026-06-08 09:00:00"), ChartHistory::null());
    auto text = [](double serial) {
        return ChartTable::dateFromSerial(serial).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    ChartState s = goals({0}, Grouping::Month, Aggregate::Avg);
    s.measure = Measure::Completion_Date;
    ChartTable t = run(p, s);
    QCOMPARE(text(*t.value(0, 0)), QStringLiteral("2027-01-11 15:15:08"));
    // NULL does not pull the average, and "Last" of June is the NULL itself.
    QCOMPARE(text(*t.value(1, 0)), QStringLiteral("2027-02-01 08:00:00"));
    s.aggregate = Aggregate::Last;
    t = run(p, s);
    QCOMPARE(text(*t.value(0, 0)), QStringLiteral("2027-01-12 18:30:16"));
    QVERIFY(!t.value(1, 0));
    // Serial day numbers: 1899-12-30 is day 0, the time of day the fraction.
    QCOMPARE(ChartTable::serialFromDate(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
}

void TestChartPivot::assignmentMatchesMemberAndTask()
{
    TempProject p;
    const QString stamp = QStringLiteral("2026-02-02 09:00:00");
    ChartHistory::assignment(p, stamp, 5, QStringLiteral("Dana O'Brien"), 1.0);
    ChartHistory::assignment(p, stamp, 6, QStringLiteral("Dana O'Brien"), 2.0);
    ChartHistory::assignment(p, stamp, 5, QStringLiteral("Eve"), 3.0);
    // Goal and task rows that carry the task's number as GT_ID must not match.
    ChartHistory::goal(p, stamp, 5, QStringLiteral("Goal five"), 4.0);
    ChartHistory::row(p, stamp, QStringLiteral("T"), {{"GT_ID", 5}, {"GT_Name", QStringLiteral("Task five")}});
    ChartState s;
    s.filter.add({ChartFilter::Kind::Assignment, 5, QStringLiteral("dana o'brien")});
    const ChartTable t = run(p, s);
    QCOMPARE(t.series, QStringList{"Dana O'Brien (T5)"});
    QCOMPARE(t.column(0), Cells{1.0});
}

void TestChartPivot::membersIgnoreCaseAndTakeAnyName()
{
    TempProject p;
    ChartHistory::assignment(p, QStringLiteral("2026-01-05 09:00:00"), 1, QStringLiteral("Alice"), 2.0);
    ChartHistory::assignment(p, QStringLiteral("2026-01-05 09:00:00"), 2, QStringLiteral("Alice"), 3.0);
    // Renamed only in case later: still the same member, shown by the newer name.
    ChartHistory::assignment(p, QStringLiteral("2026-02-05 09:00:00"), 1, QStringLiteral("alice"), 7.0);
    // Rows below a closed goal do not count for the member.
    ChartHistory::assignment(p, QStringLiteral("2026-02-05 09:00:00"), 3, QStringLiteral("alice"), 100.0, 0);
    ChartHistory::assignment(p, QStringLiteral("2026-02-05 09:00:00"), 1, QStringLiteral("O'Brien"), -1.5);
    ChartState s;
    s.source = ChartSource::Members;
    for (const QString& name : {QStringLiteral("ALICE"), QStringLiteral("O'Brien")}) {
        s.filter.add({ChartFilter::Kind::Member, 0, name});
    }
    const ChartTable t = run(p, s);
    QCOMPARE(labels(t), (QStringList{"1/2026", "2/2026"}));
    QCOMPARE(t.series, (QStringList{"alice", "O'Brien"}));
    // SDiff sums the member's rows of one snapshot.
    QCOMPARE(t.column(0), (Cells{5.0, 7.0}));
    QCOMPARE(t.column(1), (Cells{std::nullopt, -1.5}));
}

void TestChartPivot::memberFiguresMatchTheView()
{
    // The member chart computes the view's figures itself (filter first); they
    // must stay what CompDatesRes gives, for every measure.
    TempProject p;
    const QStringList stamps{QStringLiteral("2026-03-02 09:00:00"), QStringLiteral("2026-03-03 09:00:00")};
    int n = 0;
    for (const QString& stamp : stamps) {
        for (const QString& member : {QStringLiteral("Ann"), QStringLiteral("bob"), QStringLiteral("BOB")}) {
            for (int k = 0; k < 3; ++k, ++n) {
                ChartHistory::row(
                    p,
                    stamp,
                    QStringLiteral("R"),
                    {{"Res", member},
                     {"GT_Parent_ID", k},
                     {"GT_Name", member},
                     {"Planned", n % 4 == 0 ? 0.0 : 2.0 + n},
                     {"Est", 1.5 * n},
                     {"PerComp", double((n * 37) % 101)},
                     {"Needed", 0.25 * n},
                     {"Diff", 2.0 - 0.5 * n},
                     {"Completion_Date",
                      n % 5 == 0 ? QVariant()
                                 : QVariant(QStringLiteral("2027-04-%1 1%2:30:00").arg(10 + n).arg(n % 10))},
                     {"Calc", n % 7 == 3 ? 0 : 1}});
            }
        }
    }
    ChartState s;
    s.source = ChartSource::Members;
    s.grouping = Grouping::Day;
    s.aggregate = Aggregate::Sum;
    s.filter.add({ChartFilter::Kind::Member, 0, QStringLiteral("ann")});
    s.filter.add({ChartFilter::Kind::Member, 0, QStringLiteral("Bob")});
    for (Measure m : {Measure::Planned,
                      Measure::Est,
                      Measure::PerComp,
                      Measure::Needed,
                      Measure::Diff,
                      Measure::Completion_Date,
                      Measure::Progress}) {
        s.measure = m;
        const ChartTable t = run(p, s);
        QCOMPARE(t.series.size(), 2);
        QCOMPARE(t.periods.size(), 2);
        const QString column = QStringLiteral("S") + ChartState::measureWord(m);
        const QString expression =
            m == Measure::Completion_Date ? QStringLiteral("julianday(%1) - 2415018.5").arg(column) : column;
        for (int period = 0; period < 2; ++period) {
            for (int series = 0; series < 2; ++series) {
                const QVariant expected = p.scalar(
                    QStringLiteral("SELECT %1 FROM CompDatesRes WHERE Res = ? AND TimeStamp = ?").arg(expression),
                    {t.series.at(series), stamps.at(period)});
                const std::optional<double> actual = t.value(period, series);
                QCOMPARE(actual.has_value(), !expected.isNull());
                if (actual) {
                    QCOMPARE(*actual, expected.toDouble());
                }
            }
        }
    }
}

void TestChartPivot::emptyFilterReadsNothing()
{
    TempProject p;
    ChartHistory::build(p);
    ChartTable t;
    t.series << QStringLiteral("stale");
    QString error;
    QVERIFY(ChartPivot::run(p.connection(), ChartState::defaults(), &t, &error));
    QVERIFY(t.isEmpty());
    QVERIFY(t.series.isEmpty());
    // The statement of an empty filter selects nothing rather than everything.
    QVERIFY(ChartQuery::BuildChartSql(ChartState::defaults()).sql.contains(QLatin1String("WHERE (1 = 0)")));
}

void TestChartPivot::unplaceableSnapshotsAreLeftOut_data()
{
    QTest::addColumn<QString>("stamp");
    // Which stamps are no date and time: the report rows' test. Here, one read as no
    // date at all (a period with an empty label) ...
    QTest::newRow("garbage") << "garbage";
    // ... and ones read as a date, the latest (or earliest) of its period or a period of its own.
    QTest::newRow("31 November") << "2026-11-31 09:00:00";
    QTest::newRow("24 o'clock") << "2027-01-04 24:00:00";
}

// Another tool's snapshot with a stamp that is not a date and time changes no
// chart: same periods and labels, and its values are counted nowhere.
void TestChartPivot::unplaceableSnapshotsAreLeftOut()
{
    QFETCH(QString, stamp);
    TempProject clean(QStringLiteral("clean"));
    TempProject dirty(QStringLiteral("dirty"));
    for (TempProject* p : {&clean, &dirty}) {
        ChartHistory::build(*p);
        const QStringList stamps = ChartHistory::stamps();
        for (int i = 0; i < stamps.size(); ++i) {
            ChartHistory::assignment(*p, stamps.at(i), 1, QStringLiteral("Ann"), double(i + 1));
        }
    }
    ChartHistory::goal(dirty, stamp, 1, QStringLiteral("Alpha"), 100.0);
    ChartHistory::goal(dirty, stamp, 0, QStringLiteral("Cairnwork"), 100.0);
    ChartHistory::assignment(dirty, stamp, 1, QStringLiteral("Ann"), 100.0);

    for (ChartSource source : {ChartSource::Goals, ChartSource::Members}) {
        for (Grouping g : {Grouping::Year, Grouping::Quarter, Grouping::Month, Grouping::Week, Grouping::Day}) {
            for (Aggregate a : {Aggregate::Avg, Aggregate::Sum, Aggregate::First, Aggregate::Last}) {
                ChartState s = goals({0, 1}, g, a);
                if (source == ChartSource::Members) {
                    s.source = source;
                    s.filter = ChartFilter();
                    s.filter.add({ChartFilter::Kind::Member, 0, QStringLiteral("Ann")});
                }
                const ChartTable expected = run(clean, s);
                const ChartTable actual = run(dirty, s);
                QVERIFY(!labels(actual).contains(QString()));
                QCOMPARE(labels(actual), labels(expected));
                QCOMPARE(actual.series, expected.series);
                QCOMPARE(actual.cells, expected.cells);
            }
        }
    }
}

void TestChartPivot::thousandsOfNodes_data()
{
    QTest::addColumn<QString>("kinds"); // one letter per node, in tick order
    QTest::addColumn<QString>("index"); // the one the statement reads the snapshots through
    QTest::newRow("5,000 tasks") << QString(5000, QLatin1Char('T')) << "CompDates_Obj_Id";
    QTest::newRow("5,000 assignments, few members") << QString(5000, QLatin1Char('R')) << "CompDates_Res";
    QTest::newRow("5,000 members") << QString(5000, QLatin1Char('M')) << "CompDates_Member";
    QTest::newRow("5,000 of every goal-tree kind")
        << QStringLiteral("GTRTRRG").repeated(714) + QStringLiteral("O") << "CompDates_Res";
}

// One OR-ed condition per ticked node made SQLite refuse a chart of more than about
// a thousand nodes ("Expression tree is too large"). A history chart reads years of
// snapshots: its statement must reach their rows through an index, never by
// scanning the whole snapshot table.
void TestChartPivot::thousandsOfNodes()
{
    QFETCH(QString, kinds);
    QFETCH(QString, index);
    TempProject p;
    const QString stamp = QStringLiteral("2026-03-02 09:00:00");
    ChartState s;
    s.source = kinds.startsWith(QLatin1Char('M')) ? ChartSource::Members : ChartSource::Goals;
    QHash<QString, double> expected; // series name -> value
    {
        Transaction t(p.connection());
        for (int k = 1; k <= kinds.size(); ++k) {
            const double value = k;
            switch (kinds.at(k - 1).unicode()) {
            case 'O':
                ChartHistory::goal(p, stamp, 0, QStringLiteral("Cairnwork"), value);
                s.filter.add({ChartFilter::Kind::Root, 0, {}});
                expected.insert(QStringLiteral("Cairnwork"), value);
                break;
            case 'G':
                ChartHistory::goal(p, stamp, k, QStringLiteral("Goal %1").arg(k), value);
                s.filter.add({ChartFilter::Kind::Goal, k, {}});
                expected.insert(QStringLiteral("Goal %1").arg(k), value);
                break;
            case 'T':
                ChartHistory::row(p,
                                  stamp,
                                  QStringLiteral("T"),
                                  {{"GT_ID", k}, {"GT_Name", QStringLiteral("Task %1").arg(k)}, {"Diff", value}});
                s.filter.add({ChartFilter::Kind::Task, k, {}});
                expected.insert(QStringLiteral("Task %1").arg(k), value);
                break;
            case 'R': {
                // Seven members on many tasks, up to three on each.
                const QString member = QStringLiteral("Member %1").arg(k % 7);
                const qint64 task = k / 3;
                ChartHistory::assignment(p, stamp, task, member, value);
                s.filter.add({ChartFilter::Kind::Assignment, task, member});
                expected.insert(QStringLiteral("%1 (T%2)").arg(member).arg(task), value);
                break;
            }
            case 'M': {
                const QString member = QStringLiteral("Member %1").arg(k);
                ChartHistory::assignment(p, stamp, 1, member, value);
                s.filter.add({ChartFilter::Kind::Member, 0, member});
                expected.insert(member, value);
                break;
            }
            }
        }
        QVERIFY(t.commit());
    }
    // Rows the filter must leave out: the same numbers under another kind, a ticked
    // member on a task not ticked for that member, a member not ticked.
    ChartHistory::row(p, stamp, QStringLiteral("T"), {{"GT_ID", 0}, {"GT_Name", QStringLiteral("Task 0")}});
    ChartHistory::goal(p, stamp, 2, QStringLiteral("Goal two"), -1.0);
    ChartHistory::assignment(p, stamp, 1, QStringLiteral("Nobody"), -1.0);
    if (s.source == ChartSource::Goals) {
        ChartHistory::assignment(p, stamp, 100000, QStringLiteral("Member 1"), -1.0);
    }

    const ChartTable t = run(p, s);
    QCOMPARE(t.series.size(), expected.size());
    for (int i = 0; i < t.series.size(); ++i) {
        QVERIFY2(expected.contains(t.series.at(i)), qPrintable(t.series.at(i)));
        QCOMPARE(t.value(0, i), std::optional<double>(expected.value(t.series.at(i))));
    }
    CW_FILE_ONLY("SQLite's query plan.");
    static const QRegularExpression tableScan(QStringLiteral("^SCAN CompDates$"), QRegularExpression::MultilineOption);
    for (Measure m : {Measure::Diff, Measure::Completion_Date}) {
        s.measure = m;
        const QString details = plan(p.connection(), ChartQuery::BuildChartSql(s));
        QVERIFY2(details.contains(index), qPrintable(details));
        // "SCAN CompDates" alone is a full table scan; scanning a named subquery is fine.
        QVERIFY2(!tableScan.match(details).hasMatch(), qPrintable(details));
    }
}

void TestChartPivot::csvTable()
{
    ChartTable t;
    t.periods = {{QDate(2027, 1, 4), QStringLiteral("04.01.27")}, {QDate(2027, 1, 5), QStringLiteral("05.01.27")}};
    t.series = {QStringLiteral("Plain"), QStringLiteral("Comma, \"quoted\"")};
    t.cells = {{ChartTable::serialFromDate(QDateTime(QDate(2027, 2, 1), QTime(8, 0, 30))), std::nullopt},
               {std::nullopt, 46000.25}};
    ChartState s;
    s.grouping = Grouping::Day;
    s.measure = Measure::Completion_Date;
    QCOMPARE(ChartCsv::write(t, s),
             QStringLiteral("Day,Plain,\"Comma, \"\"quoted\"\"\"\n"
                            "2027-01-04,2027-02-01 08:00:30,\n"
                            "2027-01-05,,2025-12-09 06:00:00\n"));
    s.measure = Measure::Diff;
    s.grouping = Grouping::Week;
    t.periods[0].label = QStringLiteral("1 '27");
    QCOMPARE(ChartCsv::write(t, s).section(QLatin1Char('\n'), 1, 2),
             QStringLiteral("1 '27,46419.3336805556,\n05.01.27,,46000.25"));
    // A series named like a formula is written as text; a negative value stays a number.
    t.series[1] = QStringLiteral("=1+2");
    t.cells[1][1] = -2.5;
    QCOMPARE(ChartCsv::write(t, s).section(QLatin1Char('\n'), 0, 0), QStringLiteral("Week,Plain,'=1+2"));
    QCOMPARE(ChartCsv::write(t, s).section(QLatin1Char('\n'), 2, 2), QStringLiteral("05.01.27,,-2.5"));
}

QTEST_GUILESS_MAIN(TestChartPivot)
#include "TestChartPivot.moc"
