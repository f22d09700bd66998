// Reports on a large project: reading the overview's rows and laying them out, the
// preview window up to its first painted page, painting one page, and the rows of
// the two schedules. Needs a project with a snapshot in CW_BENCH_DB (default /tmp/L.cwk):
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --depth 6 --seed 1
//   cairnwork-cli snapshot /tmp/L.cwk
#include "bench/BenchMain.h"
#include "db/Database.h"
#include "reports/ReportDocument.h"
#include "reports/ReportEngine.h"
#include "reports/ReportLoader.h"
#include "reports/ReportRows.h"
#include "reports/ui/ReportPreviewWindow.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace {
const QString kConnection = QStringLiteral("bench");
QString g_stamp;

void loadReport(benchmark::State& state, ReportLoader::Kind kind)
{
    for (auto _ : state) {
        QString error;
        auto doc = ReportLoader::load(kConnection, kind, g_stamp, &error);
        if (!doc) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        state.counters["pages"] = doc->pageCount();
    }
}

void LoadOverview(benchmark::State& state)
{
    loadReport(state, ReportLoader::Kind::Overview);
}
BENCHMARK(LoadOverview)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void LoadTaskSchedule(benchmark::State& state)
{
    loadReport(state, ReportLoader::Kind::TaskSchedule);
}
BENCHMARK(LoadTaskSchedule)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void LoadMemberSchedule(benchmark::State& state)
{
    loadReport(state, ReportLoader::Kind::MemberSchedule);
}
BENCHMARK(LoadMemberSchedule)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// What the Overview... button does until the first page is on the screen: read the
// rows, lay out the pages, build the window and paint it.
void PreviewFirstPage(benchmark::State& state)
{
    for (auto _ : state) {
        QString error;
        auto doc = ReportLoader::load(kConnection, ReportLoader::Kind::Overview, g_stamp, &error);
        auto* window = new ReportPreviewWindow(std::move(doc));
        window->show();
        const QPixmap shot = window->grab();
        benchmark::DoNotOptimize(shot.cacheKey());
        state.PauseTiming();
        delete window;
        state.ResumeTiming();
    }
}
BENCHMARK(PreviewFirstPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void PaintOverviewPage(benchmark::State& state)
{
    QString error;
    auto doc = ReportLoader::load(kConnection, ReportLoader::Kind::Overview, g_stamp, &error);
    int page = 0;
    for (auto _ : state) {
        const QImage image = ReportEngine::renderPage(*doc, page, 96);
        benchmark::DoNotOptimize(image.constBits());
        page = (page + 997) % doc->pageCount();
    }
}
BENCHMARK(PaintOverviewPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString path = BenchMain::projectPath();
    BenchMain::open(path, kConnection);
    QString error;
    if (!ReportRows::newestStamp(kConnection, &g_stamp, &error)) {
        qFatal("%s", qPrintable(error));
    }
    if (g_stamp.isEmpty()) {
        qFatal("%s has no snapshot; run cairnwork-cli snapshot first", qPrintable(path));
    }
    return BenchMain::run(argc, argv);
}
