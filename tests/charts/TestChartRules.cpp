#include "charts/ChartAxis.h"
#include "charts/ChartColours.h"
#include "charts/ChartLabels.h"
#include "charts/ChartLayout.h"
#include "charts/ChartPivot.h"
#include "charts/ChartQuery.h"
#include "charts/ChartTreeSource.h"
#include "tests/support/ChartHistory.h"

#include <QtTest>

using Kind = ChartFilter::Kind;
using Term = ChartFilter::Term;
using Terms = QList<Term>;
using Nodes = QList<ChartTreeNode>;
using Measure = ChartState::Measure;
using Aggregate = ChartState::Aggregate;
using Cells = QList<std::optional<double>>;

Q_DECLARE_METATYPE(Terms)
Q_DECLARE_METATYPE(Nodes)
Q_DECLARE_METATYPE(Cells)

class TestChartRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterTerms_data();
    void filterTerms();
    void memberRootLosesItsTick();
    void namesAreBoundNotSpliced();
    void axisScale_data();
    void axisScale();
    void labelDecimals_data();
    void labelDecimals();
    void periodLabels_data();
    void periodLabels();
    void seriesColours();
    void layoutAndDivider();
    void treeChildren();
    void snapshotMembers();
};

void TestChartRules::filterTerms_data()
{
    QTest::addColumn<ChartSource>("source");
    QTest::addColumn<Nodes>("nodes");
    QTest::addColumn<Terms>("terms");
    QTest::addColumn<QVariantList>("values");

    const ChartSource goals = ChartSource::Goals;
    QTest::newRow("nothing ticked") << goals << Nodes{{"ROOT", {}, false, true}, {"G1", "ROOT", false, false}}
                                    << Terms{} << QVariantList{};
    QTest::newRow("root") << goals << Nodes{{"ROOT", {}, true, true}} << Terms{{Kind::Root, 0, {}}} << QVariantList{};
    QTest::newRow("goal and task in node order")
        << goals << Nodes{{"ROOT", {}, false, true}, {"G40000", "ROOT", true, false}, {"T7", "G40000", true, false}}
        << Terms{{Kind::Goal, 40000, {}}, {Kind::Task, 7, {}}} << QVariantList{40000, 7};
    // An assignment is known by member and parent task: its row has no GT_ID.
    QTest::newRow("assignment") << goals << Nodes{{"RDana O'Brien", "T12", true, false}}
                                << Terms{{Kind::Assignment, 12, "Dana O'Brien"}} << QVariantList{"Dana O'Brien", 12};
    QTest::newRow("unknown tags add nothing") << goals
                                              << Nodes{{"Gx", "ROOT", true, false},
                                                       {"X1", {}, true, false},
                                                       {"R", "T1", true, false},
                                                       {"RBob", "G1", true, false},
                                                       {"G", {}, true, false}}
                                              << Terms{} << QVariantList{};
    QTest::newRow("members") << ChartSource::Members
                             << Nodes{{"MTEAM", {}, false, true},
                                      {"Ann", "MTEAM", true, false},
                                      {"ROOT", "MTEAM", true, false},
                                      {"say \"hi\"", "MTEAM", true, false}}
                             << Terms{{Kind::Member, 0, "Ann"},
                                      {Kind::Member, 0, "ROOT"},
                                      {Kind::Member, 0, "say \"hi\""}}
                             << QVariantList{"Ann", "ROOT", "say \"hi\""};
}

// What the terms select is the pivot's and the query plan's part.
void TestChartRules::filterTerms()
{
    QFETCH(ChartSource, source);
    QFETCH(Nodes, nodes);
    QFETCH(Terms, terms);
    QFETCH(QVariantList, values);
    const ChartFilter filter = ChartFilter::BuildChartFilter(source, &nodes);
    QCOMPARE(filter.terms(), terms);
    QCOMPARE(filter.isEmpty(), terms.isEmpty());
    QCOMPARE(filter.sql().isEmpty(), terms.isEmpty());
    QCOMPARE(filter.values(), values);
}

void TestChartRules::memberRootLosesItsTick()
{
    Nodes nodes{{"MTEAM", {}, true, true}, {"MTEAM", "MTEAM", true, false}, {"Ann", "MTEAM", false, false}};
    const ChartFilter filter = ChartFilter::BuildChartFilter(ChartSource::Members, &nodes);
    QVERIFY(!nodes.at(0).ticked);
    // A member who happens to be called like the root is still a member.
    QVERIFY(nodes.at(1).ticked);
    QCOMPARE(filter.terms(), (Terms{{Kind::Member, 0, "MTEAM"}}));
    // The goal root keeps its tick.
    Nodes goalNodes{{"ROOT", {}, true, true}};
    ChartFilter::BuildChartFilter(ChartSource::Goals, &goalNodes);
    QVERIFY(goalNodes.at(0).ticked);
}

void TestChartRules::namesAreBoundNotSpliced()
{
    ChartState s;
    s.filter.add({Kind::Assignment, 3, QStringLiteral("x' OR 1=1 --")});
    for (Aggregate a : {Aggregate::Avg, Aggregate::Sum, Aggregate::First, Aggregate::Last}) {
        s.aggregate = a;
        const ChartQuery q = ChartQuery::BuildChartSql(s);
        QVERIFY(!q.sql.contains(QLatin1String("1=1")));
        QCOMPARE(q.values, (QVariantList{QStringLiteral("x' OR 1=1 --"), 3}));
    }
    TempProject p;
    ChartHistory::assignment(p, QStringLiteral("2026-01-01 10:00:00"), 3, QStringLiteral("x' OR 1=1 --"), 4.0);
    ChartHistory::assignment(p, QStringLiteral("2026-01-01 10:00:00"), 3, QStringLiteral("other"), 5.0);
    ChartTable t;
    QString error;
    QVERIFY2(ChartPivot::run(p.connection(), s, &t, &error), qPrintable(error));
    QCOMPARE(t.series, QStringList{"x' OR 1=1 -- (T3)"});
}

void TestChartRules::axisScale_data()
{
    QTest::addColumn<Measure>("measure");
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("division");

    QTest::newRow("all NULL keeps the start values")
        << Measure::Diff << Cells{std::nullopt, std::nullopt} << 1e9 << -1e9 << 5;
    // The range is rounded outwards: a rounded-in bound would cut off points.
    QTest::newRow("whole numbers, outwards") << Measure::Diff << Cells{-2.5, std::nullopt, 3.5} << -3.0 << 4.0 << 7;
    QTest::newRow("range ten") << Measure::Planned << Cells{0.4, 9.8} << 0.0 << 10.0 << 10;
    QTest::newRow("range just under ten") << Measure::Planned << Cells{0.0, 8.6} << 0.0 << 9.0 << 9;
    QTest::newRow("a top of 2.45 is not cut off") << Measure::PerComp << Cells{0.0, 2.45} << 0.0 << 3.0 << 3;
    QTest::newRow("range one") << Measure::Needed << Cells{3.0, 4.0} << 3.0 << 4.0 << 5;
    QTest::newRow("one value") << Measure::Est << Cells{7.2} << 7.0 << 8.0 << 5;
    QTest::newRow("progress to two decimals") << Measure::Progress << Cells{-0.125, 0.335} << -0.13 << 0.34 << 5;
    // Dates are day numbers kept as they are: 12.5 days apart.
    QTest::newRow("dates unrounded") << Measure::Completion_Date << Cells{46000.25, 46012.75} << 46000.25 << 46012.75
                                     << 10;
    QTest::newRow("dates 3.5 days") << Measure::Completion_Date << Cells{46000.25, 46003.75} << 46000.25 << 46003.75
                                    << 4;
    QTest::newRow("dates 2.5 days, half to even")
        << Measure::Completion_Date << Cells{46000.25, 46002.75} << 46000.25 << 46002.75 << 2;
}

void TestChartRules::axisScale()
{
    QFETCH(Measure, measure);
    QFETCH(Cells, cells);
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, division);
    ChartTable t;
    for (int i = 0; i < cells.size(); ++i) {
        t.periods << ChartTable::Period{QDate(2026, 1, 1).addMonths(i), QString::number(i)};
        t.cells << Cells{cells.at(i)};
    }
    t.series << QStringLiteral("s");
    const ChartAxis axis = ChartAxis::compute(t, measure);
    QCOMPARE(axis.min, min);
    QCOMPARE(axis.max, max);
    QCOMPARE(axis.majorDivision, division);
    QCOMPARE(axis.hasValues, std::any_of(cells.begin(), cells.end(), [](const auto& c) { return c.has_value(); }));
}

void TestChartRules::labelDecimals_data()
{
    QTest::addColumn<double>("min");
    QTest::addColumn<double>("max");
    QTest::addColumn<int>("divisions");
    QTest::addColumn<int>("decimals");
    QTest::newRow("step 1") << 0.0 << 4.0 << 4 << 0;
    QTest::newRow("step 0.5") << 0.0 << 2.5 << 5 << 1;
    QTest::newRow("step 0.25") << 0.0 << 1.0 << 4 << 2;
    QTest::newRow("step 1 from a half") << -0.5 << 1.5 << 2 << 1;
    QTest::newRow("step 0.094 of a progress scale") << -0.13 << 0.34 << 5 << 3;
    QTest::newRow("step 1/3: four significant digits") << 0.0 << 1.0 << 3 << 4;
    QTest::newRow("step 1.195 of a progress scale") << -2.34 << 0.05 << 2 << 3;
    QTest::newRow("no step") << 1.0 << 1.0 << 5 << 0;
}

void TestChartRules::labelDecimals()
{
    QFETCH(double, min);
    QFETCH(double, max);
    QFETCH(int, divisions);
    QFETCH(int, decimals);
    QCOMPARE(ChartAxis::labelDecimals(min, max, divisions), decimals);
}

void TestChartRules::periodLabels_data()
{
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<double>("slot");
    QTest::addColumn<bool>("upright");
    QTest::addColumn<int>("step");
    // Text 14 high: 7 of clear space between labels.
    QTest::newRow("all fit across") << QList<int>{30, 40, 30} << 47.0 << false << 1;
    QTest::newRow("the widest does not") << QList<int>{30, 41, 30} << 47.0 << true << 1;
    QTest::newRow("upright, each") << QList<int>{60, 60} << 21.0 << true << 1;
    QTest::newRow("upright, every other") << QList<int>{60, 60, 60} << 20.0 << true << 2;
    QTest::newRow("upright, every fifth") << QList<int>{60, 60, 60} << 4.5 << true << 5;
    QTest::newRow("no plot yet: the first only") << QList<int>{60, 60, 60} << 0.0 << true << 3;
}

void TestChartRules::periodLabels()
{
    QFETCH(QList<int>, widths);
    QFETCH(double, slot);
    QFETCH(bool, upright);
    QFETCH(int, step);
    const ChartLabels labels = ChartLabels::plan(widths, 14, slot);
    QCOMPARE(labels.upright, upright);
    QCOMPARE(labels.step, step);
    QVERIFY(labels.shows(0));
}

void TestChartRules::seriesColours()
{
    ChartColours colours;
    const QList<int> first = colours.assign(ChartSource::Goals, {"Design"});
    QCOMPARE(colours.assign(ChartSource::Goals, {"Build", "Design"}), (QList<int>{1, first.at(0)}));
    QCOMPARE(colours.assign(ChartSource::Goals, {"Build"}), QList<int>{1});
    QCOMPARE(colours.assign(ChartSource::Goals, {"Test", "Design"}), (QList<int>{2, 0}));
    // Members are one series whatever the case of their names.
    QCOMPARE(colours.assign(ChartSource::Members, {"ann", "ANN"}), (QList<int>{3, 3}));
    // Once every colour is handed out, a new series takes one not drawn beside it.
    for (int i = 4; i < ChartColours::kCount; ++i) {
        QCOMPARE(colours.assign(ChartSource::Goals, {QString::number(i)}), QList<int>{i});
    }
    QCOMPARE(colours.assign(ChartSource::Goals, {"Design", "Build", "Late"}), (QList<int>{0, 1, 2}));
}

void TestChartRules::layoutAndDivider()
{
    // The chart fills what the tree leaves (where it starts: the window test); the grip lies on the divider.
    const ChartLayout::Panes panes = ChartLayout::layout(4020, 10545, 6480);
    QCOMPARE(panes.chart.right(), 10545 - 1);
    QCOMPARE(panes.grip, QRect(4020, 0, 150, 6480));
    // Too narrow for the chart: no negative width.
    QCOMPARE(ChartLayout::layout(4020, 3000, 100).chart.width(), 0);
    QCOMPARE(ChartLayout::dragPosition(4020, 75, 10545), 4095);
    QCOMPARE(ChartLayout::dragPosition(4020, -4000, 10545), 500);
    QCOMPARE(ChartLayout::dragPosition(4020, 6025, 10545), 10045);
    QCOMPARE(ChartLayout::dragPosition(4020, 6026, 10545), 10045);
}

void TestChartRules::treeChildren()
{
    TempProject p;
    p.member(QStringLiteral("Zed"));
    p.member(QStringLiteral("Ann"));
    const qint64 top = p.goal(QStringLiteral("Top"));
    const qint64 sub = p.goal(QStringLiteral("Sub"), top, QStringLiteral("On Hold"), QStringLiteral("Application"));
    p.goal(QStringLiteral("Empty"));
    const qint64 t =
        p.task(top, QStringLiteral("Write"), 5, QStringLiteral("Open"), 50, QStringLiteral("Software Object"));
    p.assign(t, QStringLiteral("Zed"), 50, 100, 2);
    p.assign(t, QStringLiteral("Ann"), 50, 10, 1);
    auto children = [&](const QString& tag) {
        QList<ChartNodeRow> rows;
        QString error;
        if (!ChartTreeSource::children(p.connection(), tag, &rows, &error)) {
            qFatal("%s", qPrintable(error));
        }
        QStringList out;
        for (const ChartNodeRow& r : rows) {
            out << QStringLiteral("%1|%2|%3|%4").arg(r.tag, r.text, r.imageKey, r.bold ? "b" : "");
        }
        return out;
    };
    QCOMPARE(children(QStringLiteral("ROOT")).size(), 2);
    QCOMPARE(children(QStringLiteral("ROOT")).first(), QStringLiteral("G%1|Top|GoalOpen|b").arg(top));
    // Sub-goals first, then tasks.
    QCOMPARE(children(QStringLiteral("G%1").arg(top)),
             (QStringList{QStringLiteral("G%1|Sub|ApplicationOn Hold|b").arg(sub),
                          QStringLiteral("T%1|Write|Software ObjectOpen|").arg(t)}));
    // An assignment done to 100 % shows as completed; tags carry the member's name.
    QCOMPARE(children(QStringLiteral("T%1").arg(t)),
             (QStringList{"RAnn|Ann|Software ObjectOpen|", "RZed|Zed|Software ObjectCompleted|"}));
    QVERIFY(children(QStringLiteral("RAnn")).isEmpty());
    QVERIFY(children(QStringLiteral("G%1").arg(sub)).isEmpty());
}

void TestChartRules::snapshotMembers()
{
    TempProject p;
    QStringList names;
    QString error;
    QVERIFY(ChartTreeSource::members(p.connection(), &names, &error));
    QVERIFY(names.isEmpty());
    ChartHistory::assignment(p, QStringLiteral("2026-01-01 10:00:00"), 1, QStringLiteral("bob"), 1.0);
    ChartHistory::assignment(p, QStringLiteral("2026-02-01 10:00:00"), 1, QStringLiteral("Bob"), 1.0);
    ChartHistory::assignment(p, QStringLiteral("2026-02-01 10:00:00"), 1, QStringLiteral("Ann O'Neil"), 1.0, 0);
    ChartHistory::assignment(p, QStringLiteral("2026-02-01 10:00:00"), 2, QStringLiteral("Carl"), 1.0);
    // Res on a row that is not an assignment does not make a member.
    ChartHistory::row(
        p, QStringLiteral("2026-02-01 10:00:00"), QStringLiteral("T"), {{"Res", QStringLiteral("Ghost")}});
    // Nor does a snapshot whose stamp is no date and time: no chart can show it.
    ChartHistory::assignment(p, QStringLiteral("garbage"), 1, QStringLiteral("Dora"), 1.0);
    QVERIFY(ChartTreeSource::members(p.connection(), &names, &error));
    QCOMPARE(names.size(), 3);
    QCOMPARE(names.at(0), QStringLiteral("Ann O'Neil"));
    QCOMPARE(names.at(1).toLower(), QStringLiteral("bob"));
    QCOMPARE(names.at(2), QStringLiteral("Carl"));
}

QTEST_GUILESS_MAIN(TestChartRules)
#include "TestChartRules.moc"
