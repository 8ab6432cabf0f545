// How fast the station solves a grid, maps clicks both ways, bounds a distance's uncertainty
// and runs an accuracy check.

#include "grid/Accuracy.h"
#include "grid/Geometry.h"

#include <benchmark/benchmark.h>

namespace {

// A perspective view: far buoys close together near the top of the picture.
const std::array<fw::ScreenPoint, 4> kPicture{
    {{8200, 2100}, {11200, 7400}, {4100, 2300}, {900, 7600}}};
const std::array<fw::SurveyPoint, 4> kSurvey{
    {{72.4, 9.1}, {41.8, 8.7}, {71.9, -9.3}, {42.2, -8.9}}};

fw::GridEntries perspectiveEntries()
{
    fw::GridEntries e;
    for (int i = 0; i < fw::kBuoyCount; ++i) {
        const auto b = fw::BuoyIndex(i + 1);
        e.pictureX(b) = fw::fieldText(kPicture[i].x);
        e.pictureY(b) = fw::fieldText(kPicture[i].y);
        e.surveyX(b) = fw::fieldText(kSurvey[i].X);
        e.surveyY(b) = fw::fieldText(kSurvey[i].Y);
    }
    e.jump_x = QStringLiteral("0");
    e.jump_y = QStringLiteral("0");
    return e;
}

} // namespace

static void BM_SolveCoefficients(benchmark::State& state)
{
    auto picture = kPicture;
    for (auto _ : state) {
        picture[0].x += 1e-9;
        benchmark::DoNotOptimize(fw::SolveCoefficients(picture, kSurvey));
    }
}
BENCHMARK(BM_SolveCoefficients);

static void BM_PictureToSurvey(benchmark::State& state)
{
    const fw::GridCoefficients c = *fw::SolveCoefficients(kPicture, kSurvey);
    fw::ScreenPoint p{6000, 4500};
    for (auto _ : state) {
        benchmark::DoNotOptimize(fw::PictureToSurvey(c, p));
        p.x += 0.5;
        if (p.x > 11000)
            p.x = 1000;
    }
}
BENCHMARK(BM_PictureToSurvey);

static void BM_SurveyToPicture(benchmark::State& state)
{
    const fw::GridCoefficients c = *fw::SolveCoefficients(kPicture, kSurvey);
    fw::SurveyPoint s{55, 0};
    for (auto _ : state) {
        benchmark::DoNotOptimize(fw::SurveyToPicture(c, s));
        s.Y += 0.001;
        if (s.Y > 8)
            s.Y = -8;
    }
}
BENCHMARK(BM_SurveyToPicture);

static void BM_SolveAndMapClick(benchmark::State& state)
{
    fw::MeasurementGrid g;
    g.buoyPicture = kPicture;
    g.buoySurvey = kSurvey;
    for (auto _ : state) {
        g.c = *fw::SolveCoefficients(g.buoyPicture, g.buoySurvey);
        benchmark::DoNotOptimize(fw::distance_calculation(g, {6000, 4500}, fw::Tournament{}));
    }
}
BENCHMARK(BM_SolveAndMapClick);

// The bound shown beside every distance: twenty solves and measurements.
static void BM_DistanceUncertainty(benchmark::State& state)
{
    fw::MeasurementGrid g;
    g.buoyPicture = kPicture;
    g.buoySurvey = kSurvey;
    g.c = *fw::SolveCoefficients(kPicture, kSurvey);
    fw::ScreenPoint p{6000, 4500};
    for (auto _ : state) {
        benchmark::DoNotOptimize(fw::distanceUncertainty_m(g, p, fw::Tournament{}));
        p.x += 0.5;
        if (p.x > 9000)
            p.x = 3000;
    }
}
BENCHMARK(BM_DistanceUncertainty);

// The 49 samples, their 147 distances and the report lines.
static void BM_AccuracyMesh(benchmark::State& state)
{
    const fw::GridEntries e = perspectiveEntries();
    fw::MeasurementGrid g;
    g.c = *fw::SolveCoefficients(kPicture, kSurvey);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            fw::computeAccuracy(e, g, fw::Tournament{}, fw::AccuracyContent::Grade));
}
BENCHMARK(BM_AccuracyMesh);

BENCHMARK_MAIN();
