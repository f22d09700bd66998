// History chart on M with a year of weekly snapshots: query, pivot and drawing
// for ten ticked series, and opening the chart window. Needs a project file in
// CW_CHART_BENCH_DB (default /tmp/M.cwk), e.g.
//   cairnwork-cli synth /tmp/M.cwk --goals 500 --tasks 10000 --members 50 --seed 1
//   then 52 x cairnwork-cli snapshot /tmp/M.cwk --now "2026-01-05 09:00:00" (one week apart)
#include "bench/BenchMain.h"
#include "charts/ChartPivot.h"
#include "charts/TrendQuery.h"
#include "charts/TrendSummary.h"
#include "charts/ui/ChartWindow.h"
#include "db/Database.h"
#include "db/Sql.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
const QString kConnection = QStringLiteral("bench");

QStringList column(const QString& sql)
{
    QStringList values;
    QSqlQuery q(Sql::db(kConnection));
    if (!q.exec(sql)) {
        qFatal("%s", qPrintable(Sql::describe(q.lastError())));
    }
    while (q.next()) {
        values << q.value(0).toString();
    }
    return values;
}

// The root and nine top-level goals.
ChartFilter goalSeries()
{
    ChartFilter filter;
    filter.add({ChartFilter::Kind::Root, 0, {}});
    for (const QString& id :
         column(QStringLiteral("SELECT ID FROM GOALS_SW WHERE P_GID IS NULL ORDER BY ID LIMIT 9"))) {
        filter.add({ChartFilter::Kind::Goal, id.toLongLong(), {}});
    }
    return filter;
}

// The root, three goals, three tasks and three assignments.
ChartFilter mixedSeries()
{
    ChartFilter filter;
    filter.add({ChartFilter::Kind::Root, 0, {}});
    for (const QString& id : column(QStringLiteral("SELECT ID FROM GOALS_SW ORDER BY ID LIMIT 3"))) {
        filter.add({ChartFilter::Kind::Goal, id.toLongLong(), {}});
    }
    for (const QString& id : column(QStringLiteral("SELECT ID FROM TASKS_OBJECTS ORDER BY ID LIMIT 3"))) {
        filter.add({ChartFilter::Kind::Task, id.toLongLong(), {}});
    }
    for (const QString& pair : column(QStringLiteral(
             "SELECT FK_TASKID || ':' || FK_R_NAME FROM TASK_OBJECT_RESOURCE ORDER BY FK_TASKID DESC LIMIT 3"))) {
        const qsizetype colon = pair.indexOf(QLatin1Char(':'));
        filter.add({ChartFilter::Kind::Assignment, pair.left(colon).toLongLong(), pair.mid(colon + 1)});
    }
    return filter;
}

ChartFilter memberSeries()
{
    ChartFilter filter;
    for (const QString& name : column(QStringLiteral("SELECT R_NAME FROM RESOURCES ORDER BY R_NAME LIMIT 10"))) {
        filter.add({ChartFilter::Kind::Member, 0, name});
    }
    return filter;
}

// Query, pivot and drawing (series, axes, the chart's repaint) of one chart.
void draw(benchmark::State& state, ChartSource source, const ChartFilter& filter, ChartState::Grouping grouping)
{
    auto* window = new ChartWindow(kConnection);
    window->show();
    QApplication::processEvents();
    window->showGoalTree(source == ChartSource::Goals);
    window->state().grouping = grouping;
    window->state().filter = filter;
    for (auto _ : state) {
        window->DrawChart();
        QApplication::processEvents();
    }
    state.counters["series"] = window->table().series.size();
    state.counters["periods"] = window->table().periods.size();
    delete window;
}

void ChartTenGoalsByMonth(benchmark::State& state)
{
    draw(state, ChartSource::Goals, goalSeries(), ChartState::Grouping::Month);
}
BENCHMARK(ChartTenGoalsByMonth)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void ChartTenMixedByWeek(benchmark::State& state)
{
    draw(state, ChartSource::Goals, mixedSeries(), ChartState::Grouping::Week);
}
BENCHMARK(ChartTenMixedByWeek)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void ChartTenMembersByWeek(benchmark::State& state)
{
    draw(state, ChartSource::Members, memberSeries(), ChartState::Grouping::Week);
}
BENCHMARK(ChartTenMembersByWeek)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The statement and the pivot alone, without widgets.
void QueryTenMixedByWeek(benchmark::State& state)
{
    ChartState chart;
    chart.grouping = ChartState::Grouping::Week;
    chart.filter = mixedSeries();
    for (auto _ : state) {
        ChartTable table;
        QString error;
        if (!ChartPivot::run(kConnection, chart, &table, &error)) {
            state.SkipWithError(qPrintable(error));
        }
        benchmark::DoNotOptimize(table.cells.size());
    }
}
BENCHMARK(QueryTenMixedByWeek)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// The forecast trend of fifty goals: their rows of every snapshot, the lines
// and each line's figures (the CLI's and the trend window's reading).
void TrendFiftyGoals(benchmark::State& state)
{
    ChartFilter filter;
    for (const QString& id : column(QStringLiteral("SELECT ID FROM GOALS_SW ORDER BY ID LIMIT 50"))) {
        filter.add({ChartFilter::Kind::Goal, id.toLongLong(), {}});
    }
    qsizetype points = 0;
    for (auto _ : state) {
        QList<TrendLine> lines;
        QString error;
        if (!TrendQuery::load(kConnection, filter, std::nullopt, &lines, &error)) {
            state.SkipWithError(qPrintable(error));
        }
        points = 0;
        for (const TrendLine& line : lines) {
            points += line.points.size();
            benchmark::DoNotOptimize(TrendSummary::of(line).slipDays);
        }
    }
    state.counters["points"] = double(points);
}
BENCHMARK(TrendFiftyGoals)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// Opening the window: both trees (members found in the snapshots), layout, placeholder.
void OpenChartWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto* window = new ChartWindow(kConnection);
        window->show();
        QApplication::processEvents();
        delete window;
    }
}
BENCHMARK(OpenChartWindow)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchMain::open(BenchMain::projectPath("CW_CHART_BENCH_DB", QStringLiteral("/tmp/M.cwk")), kConnection);
    return BenchMain::run(argc, argv);
}
