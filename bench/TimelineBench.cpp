// The timeline of a large project's newest snapshot: reading it and laying every
// member's bars onto the stored calendars, as the window and `cairnwork-cli
// timeline` do before drawing. Needs a project with a snapshot in CW_BENCH_DB
// (default /tmp/L.cwk), e.g. L from
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --seed 1
// and `cairnwork-cli snapshot /tmp/L.cwk`. Run with --benchmark_repetitions=5 for medians.
#include "bench/BenchMain.h"
#include "charts/Timeline.h"

#include <QCoreApplication>

namespace {
const QString kConnection = QStringLiteral("bench");

void BM_TimelineNewest(benchmark::State& state)
{
    for (auto _ : state) {
        Timeline timeline;
        QString error;
        if (!Timeline::load(kConnection, {}, &timeline, &error)) {
            qFatal("%s", qPrintable(error));
        }
        benchmark::DoNotOptimize(timeline.lanes().size());
    }
}
BENCHMARK(BM_TimelineNewest)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    BenchMain::open(BenchMain::projectPath(), kConnection);
    return BenchMain::run(argc, argv);
}
