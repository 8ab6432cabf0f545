// How long the demo course takes to draw one camera frame: the water is drawn pixel by pixel,
// so the cost grows with the picture size. A frame must come well within a frame period.

#include "media/JumpCourse.h"

#include <benchmark/benchmark.h>

namespace {

constexpr double kFps = 25.0;

// Frames around the first landing: skier in the air, first contact, spray and wake.
static void BM_CourseFrame(benchmark::State& state)
{
    const fw::JumpCourse course;
    const QSize size(int(state.range(0)), int(state.range(1)));
    const int landing = course.landing(0, kFps, size).frame;
    int index = landing - 15;
    for (auto _ : state) {
        QImage frame = course.frame(index, size, kFps);
        benchmark::DoNotOptimize(frame.constBits());
        if (++index > landing + 35)
            index = landing - 15;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CourseFrame)
    ->Args({640, 480})
    ->Args({1280, 720})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond);

// The same size with no skier in view: the water and course alone.
static void BM_CourseFrameQuiet(benchmark::State& state)
{
    const fw::JumpCourse course;
    const QSize size(1280, 720);
    int index = 0;
    for (auto _ : state) {
        QImage frame = course.frame(index, size, kFps);
        benchmark::DoNotOptimize(frame.constBits());
        index = (index + 1) % 5; // the first fifth of a second: nobody in view yet
    }
}
BENCHMARK(BM_CourseFrameQuiet)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
