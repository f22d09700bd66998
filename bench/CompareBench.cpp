// Comparing the two newest snapshots of a large project with the explanation of
// every row, and the changes that moved one row most. Needs a project with two
// snapshots in CW_BENCH_DB (default /tmp/L.cwk), e.g. L from
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --seed 1
// and two `cairnwork-cli snapshot --now …` with some edits between.
// Run with --benchmark_repetitions=5 for medians.
#include "bench/BenchMain.h"
#include "history/SnapshotComparison.h"

#include <QCoreApplication>
#include <memory>

namespace {
const QString kConnection = QStringLiteral("bench");

struct Compared
{
    SnapshotState a;
    SnapshotState b;
    SnapshotComparison comparison;
};

std::unique_ptr<Compared> compareNewest()
{
    QStringList stamps;
    QString error;
    if (!SnapshotState::stamps(kConnection, &stamps, &error) || stamps.size() < 2) {
        qFatal("the project needs two snapshots: %s", qPrintable(error));
    }
    auto c = std::make_unique<Compared>();
    if (!SnapshotState::loadPair(kConnection, stamps[stamps.size() - 2], stamps.last(), 0, &c->a, &c->b, &error) ||
        !c->comparison.compare(c->a, c->b, &error)) {
        qFatal("%s", qPrintable(error));
    }
    return c;
}

void BM_CompareNewestTwo(benchmark::State& state)
{
    for (auto _ : state) {
        const auto c = compareNewest();
        benchmark::DoNotOptimize(c->comparison.rows().size());
    }
}
BENCHMARK(BM_CompareNewestTwo)->Unit(benchmark::kMillisecond);

// Row 0 is the root (the most work: every member feeds it); the middle row a task or goal.
void BM_LargestChanges(benchmark::State& state)
{
    const auto c = compareNewest();
    const int row = state.range(0) == 0 ? 0 : int(c->comparison.rows().size() / 2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(c->comparison.largestChanges(row).size());
    }
}
BENCHMARK(BM_LargestChanges)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BenchMain::open(BenchMain::projectPath(), kConnection);
    return BenchMain::run(argc, argv);
}
