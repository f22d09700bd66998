// The timeline window on a large project's newest snapshot: opened by member and
// drawn once (reading, laying out, the picture and a paint of the visible part),
// and the whole picture as the PNG `cairnwork-cli timeline --out X.png` writes.
// Needs a project with a snapshot in CW_BENCH_DB (default /tmp/L.cwk), e.g. L from
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --seed 1
// and `cairnwork-cli snapshot /tmp/L.cwk`. Run with QT_QPA_PLATFORM=offscreen.
#include "bench/BenchMain.h"
#include "charts/TimelinePicture.h"
#include "charts/ui/TimelineWindow.h"

#include <QApplication>
#include <QBuffer>

namespace {
const QString kConnection = QStringLiteral("bench");

void TimelineWindowByMember(benchmark::State& state)
{
    for (auto _ : state) {
        auto* window = new TimelineWindow(kConnection);
        window->resize(1200, 640);
        window->show();
        // grab() paints the window now, the canvas's visible rows and scale included.
        benchmark::DoNotOptimize(window->grab().width());
        state.counters["lanes"] = double(window->timeline().lanes().size());
        delete window;
    }
}
BENCHMARK(TimelineWindowByMember)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void TimelinePngByMember(benchmark::State& state)
{
    Timeline timeline;
    QString error;
    if (!Timeline::load(kConnection, {}, &timeline, &error)) {
        qFatal("%s", qPrintable(error));
    }
    for (auto _ : state) {
        const TimelinePicture picture(timeline,
                                      Timeline::View::ByMember,
                                      TimelinePicture::Zoom::Quarters,
                                      TimelinePicture::rowsOf(timeline, Timeline::View::ByMember));
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        bool cut = false;
        if (!picture.writePng(png, &cut, &error)) {
            state.SkipWithError(qPrintable(error));
        }
        benchmark::DoNotOptimize(png.size());
    }
}
BENCHMARK(TimelinePngByMember)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BenchMain::open(BenchMain::projectPath(), kConnection);
    return BenchMain::run(argc, argv);
}
