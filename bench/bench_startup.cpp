// Start-up of the station, from the main screen's load to the configuration screen shown, on
// the offscreen platform with scripted answers (no reset, the stored video folder, one stored
// grid with its check buoy file).

#include "SampleGrid.h"
#include "ScriptedDialogs.h"
#include "StationFixture.h"
#include "station/Station.h"
#include "platform/KeyboardState.h"
#include "screens/ConfigurationScreen.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace fw;

namespace {

void BM_StartUpToConfiguration(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto f = std::make_unique<test::StationFixture>();
        const QString videos = f->makeFolder(QStringLiteral("Videos"));
        const QString grid = f->makeFolder(QStringLiteral("Setup")) + QStringLiteral("/a.ipt");
        test::writeSampleGrid(grid, 1);
        f->store().write(QStringLiteral("logpath"), videos);
        f->store().write(QStringLiteral("grid1File"), grid);
        f->dialogs.expectMessage(DialogAnswer::No).expectMessage();
        KeyboardState keys;
        state.ResumeTiming();

        Station station(f->store(), f->dialogs, f->clock, keys, StationPaths(f->stationFolder()));
        station.start();
        QApplication::processEvents();
        benchmark::DoNotOptimize(station.configuration().isVisible());

        state.PauseTiming();
        if (!f->dialogs.problems().isEmpty())
            state.SkipWithError(qPrintable(f->dialogs.problems()));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartUpToConfiguration)->Unit(benchmark::kMillisecond)->Repetitions(15)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
