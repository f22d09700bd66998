#include "charts/TrendCsv.h"
#include "charts/TrendQuery.h"
#include "charts/TrendSummary.h"
#include "common/Stamp.h"
#include "tests/support/ChartHistory.h"
#include "tests/support/TestSql.h"

#include <QtTest>

using Kind = ChartFilter::Kind;
using Grouping = ChartState::Grouping;

namespace {

QDateTime at(const QString& text)
{
    return Stamp::fromText(text);
}

// Days after 2026-03-02 09:00 (a Monday) as a stored stamp.
QString day(double days)
{
    return Stamp::toText(TrendSummary::fromDays(TrendSummary::toDays(at("2026-03-02 09:00:00")) + days));
}

// An Open line of weekly points: forecast k lies `lead` days after the first stamp plus k * `slip`.
TrendLine weekly(const QList<double>& forecasts)
{
    TrendLine line;
    line.node = {Kind::Goal, 1, {}};
    for (qsizetype k = 0; k < forecasts.size(); ++k) {
        line.points << TrendLine::Point{at(day(7.0 * double(k))), at(day(forecasts.at(k)))};
    }
    return line;
}

QList<TrendLine>
load(const TempProject& p, const QList<ChartFilter::Term>& terms, std::optional<Grouping> period = std::nullopt)
{
    ChartFilter filter;
    for (const ChartFilter::Term& t : terms) {
        filter.add(t);
    }
    QList<TrendLine> lines;
    QString error;
    if (!TrendQuery::load(p.connection(), filter, period, &lines, &error)) {
        qFatal("trend query failed: %s", qPrintable(error));
    }
    return lines;
}

void goalRow(const TempProject& p, const QString& stamp, qint64 id, const QVariant& status, const QVariant& forecast)
{
    ChartHistory::row(p,
                      stamp,
                      QStringLiteral("G"),
                      {{QStringLiteral("GT_ID"), id},
                       {QStringLiteral("GT_Name"), QStringLiteral("Goal %1").arg(id)},
                       {QStringLiteral("GT_Status"), status},
                       {QStringLiteral("Completion_Date"), forecast}});
}

} // namespace

class TestTrend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pointsAreTheSnapshotsForecasts();
    void endOfALine_data();
    void endOfALine();
    void lastSnapshotOfEachPeriod_data();
    void lastSnapshotOfEachPeriod();
    void trendFinish_data();
    void trendFinish();
    void tableFigures();
    void csvOfPointsAndFigures();
};

// The points are the Completion_Date of each snapshot's row of the node, for the root
// (ID 0, no status), a goal and a task of the same ID, however the forecast moved.
void TestTrend::pointsAreTheSnapshotsForecasts()
{
    TempProject p;
    const QList<double> moves{0, 3, -2, 5};
    for (qsizetype k = moves.size() - 1; k >= 0; --k) {
        const QString stamp = day(7.0 * double(k));
        goalRow(p, stamp, 0, QVariant(), day(30 + moves.at(k)));
        goalRow(p, stamp, 4, "Open", day(40 + moves.at(k)));
        ChartHistory::row(p,
                          stamp,
                          QStringLiteral("T"),
                          {{QStringLiteral("GT_ID"), 4},
                           {QStringLiteral("GT_Name"), QStringLiteral("Build")},
                           {QStringLiteral("GT_Status"), QStringLiteral("Open")},
                           {QStringLiteral("Completion_Date"), day(50 - moves.at(k))}});
    }
    const QList<TrendLine> lines = load(p, {{Kind::Root, 0, {}}, {Kind::Goal, 4, {}}, {Kind::Task, 4, {}}});
    QCOMPARE(lines.size(), 3);
    QStringList got;
    QStringList expected;
    for (const TrendLine& line : lines) {
        QVERIFY(line.found);
        QCOMPARE(line.end, TrendLine::End::Open);
        const double base = line.node.kind == Kind::Task ? 50 : line.node.id == 0 ? 30 : 40;
        for (qsizetype k = 0; k < moves.size(); ++k) {
            const double move = line.node.kind == Kind::Task ? -moves.at(k) : moves.at(k);
            expected << QStringLiteral("%1 %2 > %3").arg(line.name, day(7.0 * double(k)), day(base + move));
        }
        for (const TrendLine::Point& point : line.points) {
            got << QStringLiteral("%1 %2 > %3")
                       .arg(line.name, Stamp::toText(point.stamp), Stamp::toText(point.forecast));
        }
    }
    QCOMPARE(got, expected);
    QCOMPARE(lines.at(2).name, QStringLiteral("Build"));
}

void TestTrend::endOfALine_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("end");
    QTest::addColumn<bool>("onDiagonal");
    QTest::newRow("Completed") << "Completed" << int(TrendLine::End::Completed) << true;
    QTest::newRow("On Hold") << "On Hold" << int(TrendLine::End::Held) << false;
    QTest::newRow("Closed") << "Closed" << int(TrendLine::End::Held) << false;
}

// A node that stops being Open ends its line in the first snapshot that says so:
// Completed on the diagonal, On Hold and Closed without a forecast; a later
// snapshot in which it is Open again (reopened) adds nothing.
void TestTrend::endOfALine()
{
    QFETCH(QString, status);
    QFETCH(int, end);
    QFETCH(bool, onDiagonal);
    TempProject p;
    goalRow(p, "2026-03-02 09:00:00", 7, "Open", "2026-04-01 12:00:00");
    goalRow(p, "2026-03-09 09:00:00", 7, "Open", "2026-04-03 12:00:00");
    goalRow(p, "2026-03-16 09:00:00", 7, status, ChartHistory::null());
    goalRow(p, "2026-03-23 09:00:00", 7, status, ChartHistory::null());
    goalRow(p, "2026-03-30 09:00:00", 7, "Open", "2026-05-01 12:00:00");

    const TrendLine line = load(p, {{Kind::Goal, 7, {}}}).value(0);
    QCOMPARE(int(line.end), end);
    QCOMPARE(line.endStatus, status);
    QCOMPARE(line.points.size(), 3);
    const TrendLine::Point last = line.points.last();
    QCOMPARE(last.stamp, at("2026-03-16 09:00:00"));
    QCOMPARE(last.forecast.isValid(), onDiagonal);
    if (onDiagonal) {
        QCOMPARE(last.forecast, last.stamp);
    }
    QCOMPARE(line.forecasts().size(), 2);
    const TrendSummary s = TrendSummary::of(line);
    QCOMPARE(s.flagText(line), status);
    // A completed line finishes where it completed; a held one has no finish.
    QCOMPARE(s.trendFinish.has_value(), onDiagonal);
}

void TestTrend::lastSnapshotOfEachPeriod_data()
{
    QTest::addColumn<int>("period");
    QTest::addColumn<QStringList>("stamps");
    // Thursday 2026-12-31 and Friday 2027-01-01 share a week but not a year: two periods.
    QTest::newRow("week") << int(Grouping::Week)
                          << QStringList{"2026-12-22 09:00:00",
                                         "2026-12-31 17:00:00",
                                         "2027-01-02 09:00:00",
                                         "2027-01-05 09:00:00",
                                         "2027-01-12 09:00:00",
                                         "2027-02-03 09:00:00"};
    QTest::newRow("month") << int(Grouping::Month)
                           << QStringList{"2026-12-31 17:00:00", "2027-01-12 09:00:00", "2027-02-03 09:00:00"};
    QTest::newRow("quarter") << int(Grouping::Quarter) << QStringList{"2026-12-31 17:00:00", "2027-02-03 09:00:00"};
}

void TestTrend::lastSnapshotOfEachPeriod()
{
    QFETCH(int, period);
    QFETCH(QStringList, stamps);
    TempProject p;
    const QStringList all{"2026-12-21 09:00:00",
                          "2026-12-22 09:00:00",
                          "2026-12-28 09:00:00",
                          "2026-12-31 17:00:00",
                          "2027-01-01 09:00:00",
                          "2027-01-02 09:00:00",
                          "2027-01-05 09:00:00",
                          "2027-01-12 09:00:00",
                          "2027-02-03 09:00:00"};
    // Written newest first: the row order is not the time order.
    for (qsizetype i = all.size() - 1; i >= 0; --i) {
        goalRow(p, all.at(i), 3, "Open", Stamp::toText(at(all.at(i)).addDays(30 + i)));
    }
    const TrendLine line = load(p, {{Kind::Goal, 3, {}}}, Grouping(period)).value(0);
    QStringList got;
    for (const TrendLine::Point& point : line.points) {
        got << Stamp::toText(point.stamp);
        // Each kept point keeps its own snapshot's forecast.
        QCOMPARE(point.forecast, point.stamp.addDays(30 + all.indexOf(Stamp::toText(point.stamp))));
    }
    QCOMPARE(got, stamps);
}

void TestTrend::trendFinish_data()
{
    QTest::addColumn<QList<double>>("forecasts"); // days after the first stamp, one per week
    QTest::addColumn<int>("last");
    QTest::addColumn<double>("finish"); // days after the first stamp; < 0: never
    QTest::addColumn<QString>("flag");
    // 28 days ahead, slipping 3 days a week: y = 28 + 3x/7 meets y = x at x = 28 * 7/4 = 49.
    QTest::newRow("slipping 3 days a week") << QList<double>{28, 31, 34, 37} << 4 << 49.0 << "slipping";
    // Only the last four points count: an early jump changes nothing.
    QTest::newRow("older points left out") << QList<double>{90, 10, 34, 37, 40, 43} << 4 << 49.0 << "slipping";
    // Two points: 40 then 40 (a week later) is a flat line: finish at 40.
    QTest::newRow("steady") << QList<double>{40, 40} << 4 << 40.0 << "on plan";
    // Pulling in 2 days a week from 60: y = 60 - 2x/7 meets y = x at x = 60 * 7/9.
    QTest::newRow("recovering") << QList<double>{60, 58, 56} << 4 << 60.0 * 7 / 9 << "recovering";
    // Half a day a week stays within the default threshold of one day a week.
    QTest::newRow("within threshold") << QList<double>{20, 20.5, 21, 21.5} << 4 << 20.0 / (1 - 0.5 / 7) << "on plan";
    // A week of slip per week never meets the diagonal, nor does more.
    QTest::newRow("slope 1") << QList<double>{14, 21, 28, 35} << 4 << -1.0 << "slipping";
    QTest::newRow("slope above 1") << QList<double>{14, 24, 34, 44} << 3 << -1.0 << "slipping";
}

void TestTrend::trendFinish()
{
    QFETCH(QList<double>, forecasts);
    QFETCH(int, last);
    QFETCH(double, finish);
    QFETCH(QString, flag);
    const TrendLine line = weekly(forecasts);
    const TrendSummary s = TrendSummary::of(line, last);
    QVERIFY(s.fit.valid);
    QCOMPARE(s.flagText(line), flag);
    if (finish < 0) {
        QVERIFY(!s.finishes);
        QVERIFY(!s.trendFinish);
        return;
    }
    QVERIFY(s.finishes);
    QVERIFY(s.trendFinish);
    QCOMPARE(Stamp::toText(*s.trendFinish), day(finish));
}

// First and latest forecast, slip over the whole history and per week, and the
// number of times the forecast turned; a flat step does not turn it.
void TestTrend::tableFigures()
{
    const TrendLine line = weekly({30, 33, 33, 31, 35, 35, 34});
    const TrendSummary s = TrendSummary::of(line, 4, 0.8);
    QCOMPARE(s.firstForecast, at(day(30)));
    QCOMPARE(s.latestForecast, at(day(34)));
    QCOMPARE(s.slipDays, 4.0);
    QCOMPARE(*s.slipPerWeek, 4.0 / 6);
    QCOMPARE(s.directionChanges, 3);
    // The last four (31, 35, 35, 34) slip 0.9 days a week by least squares: above 0.8, within 1.
    QCOMPARE(s.flag, TrendSummary::Flag::Slipping);
    QCOMPARE(TrendSummary::of(line, 4, 1.0).flag, TrendSummary::Flag::OnPlan);
    // A single snapshot gives no slip per week and no trend.
    const TrendSummary one = TrendSummary::of(weekly({12}));
    QVERIFY(!one.slipPerWeek);
    QVERIFY(!one.fit.valid);
    QCOMPARE(one.flagText(weekly({12})), QString());
    QCOMPARE(one.finishText(), QString());
}

// The points (the Completed point's forecast is its stamp, a held end has none),
// a blank line, then the figures; names are CSV text.
void TestTrend::csvOfPointsAndFigures()
{
    TempProject p;
    ChartHistory::goal(p, "2026-03-02 09:00:00", 0, QStringLiteral("Plan, \"A\""), 0.0);
    goalRow(p, "2026-03-02 09:00:00", 4, "Open", "2026-03-30 09:00:00");
    goalRow(p, "2026-03-09 09:00:00", 4, "Completed", ChartHistory::null());
    goalRow(p, "2026-03-02 09:00:00", 5, "Open", "2026-04-30 09:00:00");
    goalRow(p, "2026-03-09 09:00:00", 5, "On Hold", ChartHistory::null());
    runSql(p, QStringLiteral("UPDATE CompDates SET Completion_Date = '2026-04-10 17:00:00' WHERE GT_ID = 0"));
    const QList<TrendLine> lines = load(p, {{Kind::Root, 0, {}}, {Kind::Goal, 4, {}}, {Kind::Goal, 5, {}}});
    QCOMPARE(TrendCsv::write(lines),
             QStringLiteral("Node,ID,Stamp,Forecast,Status\n"
                            "\"Plan, \"\"A\"\"\",0,2026-03-02 09:00:00,2026-04-10 17:00:00,Open\n"
                            "Goal 4,4,2026-03-02 09:00:00,2026-03-30 09:00:00,Open\n"
                            "Goal 4,4,2026-03-09 09:00:00,2026-03-09 09:00:00,Completed\n"
                            "Goal 5,5,2026-03-02 09:00:00,2026-04-30 09:00:00,Open\n"
                            "Goal 5,5,2026-03-09 09:00:00,,On Hold\n"
                            "\n"
                            "Node,ID,First forecast,Latest forecast,Slip (days),Slip per week,Direction changes,"
                            "Trend finish,Flag\n"
                            "\"Plan, \"\"A\"\"\",0,2026-04-10 17:00:00,2026-04-10 17:00:00,0.00,,0,,\n"
                            "Goal 4,4,2026-03-30 09:00:00,2026-03-09 09:00:00,-21.00,-21.00,0,2026-03-09 09:00:00,"
                            "Completed\n"
                            "Goal 5,5,2026-04-30 09:00:00,2026-04-30 09:00:00,0.00,,0,,On Hold\n"));
}

QTEST_GUILESS_MAIN(TestTrend)
#include "TestTrend.moc"
