// Goal tree on a large project: the first fill of the top level and a click
// (refresh) on a goal. Needs a project file in CW_BENCH_DB (default /tmp/L.cwk),
// e.g. cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --depth 6 --seed 1
#include "bench/BenchMain.h"
#include "browser/ui/GoalTree.h"
#include "db/Database.h"
#include "db/Sql.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
const QString kConnection = QStringLiteral("bench");

qint64 goalWithMostChildren()
{
    QSqlQuery q(Sql::db(kConnection));
    q.exec(QStringLiteral(
        "SELECT P_GID FROM GOALS_SW WHERE P_GID IS NOT NULL GROUP BY P_GID ORDER BY COUNT(*) DESC LIMIT 1"));
    q.next();
    return q.value(0).toLongLong();
}

void FirstTreeFill(benchmark::State& state)
{
    for (auto _ : state) {
        GoalTree tree;
        tree.setConnection(kConnection);
        QTreeWidgetItem* root = tree.addRoot();
        tree.BuildGoalLevel(root);
        benchmark::DoNotOptimize(root->childCount());
        state.counters["children"] = root->childCount();
    }
}
BENCHMARK(FirstTreeFill)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// A click refreshes the level in place: the root of L holds 50 top-level goals.
void ClickRootWith50Children(benchmark::State& state)
{
    GoalTree tree;
    tree.setConnection(kConnection);
    QTreeWidgetItem* root = tree.addRoot();
    tree.BuildGoalLevel(root);
    for (auto _ : state) {
        Q_EMIT tree.itemClicked(root, 0);
    }
    state.counters["children"] = root->childCount();
}
BENCHMARK(ClickRootWith50Children)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

void ClickBusiestGoal(benchmark::State& state)
{
    GoalTree tree;
    tree.setConnection(kConnection);
    QTreeWidgetItem* root = tree.addRoot();
    const qint64 id = goalWithMostChildren();
    // Load the path down to the goal.
    QList<qint64> chain;
    QSqlQuery q(Sql::db(kConnection));
    q.prepare(QStringLiteral("SELECT P_GID FROM GOALS_SW WHERE ID = ?"));
    for (std::optional<qint64> g = id; g;) {
        chain.prepend(*g);
        q.addBindValue(*g);
        q.exec();
        g = (q.next() && !q.value(0).isNull()) ? std::optional<qint64>(q.value(0).toLongLong()) : std::nullopt;
    }
    QTreeWidgetItem* node = root;
    tree.BuildGoalLevel(root);
    for (int i = 0; i < chain.size(); ++i) {
        QTreeWidgetItem* next = nullptr;
        for (int c = 0; c < node->childCount() && !next; ++c) {
            if (GoalTree::goalId(node->child(c)) == chain.at(i)) {
                next = node->child(c);
            }
        }
        node = next;
        if (i + 1 < chain.size()) {
            tree.RefreshGoalLevel(node);
        }
    }
    for (auto _ : state) {
        Q_EMIT tree.itemClicked(node, 0);
    }
    state.counters["children"] = node->childCount();
}
BENCHMARK(ClickBusiestGoal)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    BenchMain::open(BenchMain::projectPath(), kConnection);
    return BenchMain::run(argc, argv);
}
