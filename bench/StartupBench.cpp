// Start-up on a large project: from creating the main window to the window
// shown with the tree's top level and the task list at the root filled.
// Input: CW_BENCH_DB (default /tmp/L.cwk), e.g.
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --depth 6 --seed 1
#include "app/AppSettings.h"
#include "app/MainWindow.h"
#include "app/StartupUi.h"
#include "bench/BenchMain.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
QString g_path;

// Start-up never asks when the file opens; an error here is a broken benchmark input.
class SilentStartupUi : public StartupUi
{
public:
    QString askDatabasePath(QWidget*) override { return {}; }
    bool confirmCreate(QWidget*, const QString&) override { return false; }
    void showError(QWidget*, const QString& text) override { qFatal("%s", qPrintable(text)); }
};

void StartupToMainWindow(benchmark::State& state)
{
    QTemporaryDir dir;
    SilentStartupUi ui;
    for (auto _ : state) {
        AppSettings settings(dir.filePath(QStringLiteral("settings.ini")));
        MainWindow window(settings, ui, g_path);
        window.InitDatabase();
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(StartupToMainWindow)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    g_path = BenchMain::projectPath();
    return BenchMain::run(argc, argv);
}
