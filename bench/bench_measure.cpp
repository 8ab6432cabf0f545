// How fast a jump is turned into its lines, the verify read-out follows the mouse, a day's session
// log is read for its pictures, and the picture view repaints and magnifies while the operator
// moves the mouse.

#include "grid/Geometry.h"
#include "measure/JumpRecording.h"
#include "measure/JumpResult.h"
#include "measure/PictureLog.h"
#include "support/textfile.h"
#include "widgets/Magnifier.h"
#include "widgets/PictureView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

// Recording one measured jump as the screen does: the distance at the click, its figures, the
// results line and the scoring program's line.
static void BM_RecordJumpLines(benchmark::State& state)
{
    fw::MeasurementGrid grid;
    grid.buoyPicture = {{{9000, 2500}, {11000, 8000}, {3000, 2500}, {1000, 8000}}};
    grid.buoySurvey = {{{60, 40}, {60, 0}, {20, 40}, {20, 0}}};
    grid.jump = {0, 20};
    grid.c = fw::SolveCoefficients(grid.buoyPicture, grid.buoySurvey).value();
    fw::JumpEntries entries;
    entries.at = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9));
    entries.skier = QStringLiteral("Smith,John");
    entries.jumpNumber = QStringLiteral(" 2");
    entries.impactClicked = true;
    entries.impact = {6000, 5000};
    for (auto _ : state) {
        const auto recorded = fw::jumpRecord(entries, grid);
        benchmark::DoNotOptimize(recorded->resultsLine);
        benchmark::DoNotOptimize(fw::wstimsRawLine(recorded->jump));
        entries.impact.x += 0.1;
    }
}
BENCHMARK(BM_RecordJumpLines);

// The verify read-out under the moving mouse: the distance and its bound from picture rounding
// (which solves the grid again for each of the ten picture coordinates) for every mouse move.
static void BM_VerifyReadoutUnderMouse(benchmark::State& state)
{
    fw::MeasurementGrid grid;
    // In the grid's buoy order: upper right, lower right, upper left, lower left.
    grid.buoyPicture = {{{9000, 2500}, {11000, 8000}, {3000, 2500}, {1000, 8000}}};
    grid.buoySurvey = {{{60, 40}, {60, 0}, {20, 40}, {20, 0}}};
    grid.jump = {0, 20};
    grid.c = fw::SolveCoefficients(grid.buoyPicture, grid.buoySurvey).value();
    const fw::Tournament normal;
    double x = 2000;
    for (auto _ : state) {
        const fw::ScreenPoint mouse{x, 5000};
        const auto jump = fw::distance_calculation(grid, mouse, normal);
        benchmark::DoNotOptimize(fw::verifyDistanceReadout(jump ? jump->distance_m : 0));
        benchmark::DoNotOptimize(
            fw::uncertaintyReadout(fw::distanceUncertainty_m(grid, mouse, normal)));
        x = x < 10000 ? x + 15 : 2000;
    }
}
BENCHMARK(BM_VerifyReadoutUnderMouse)->Unit(benchmark::kMicrosecond);

static void BM_PictureLogOfABusyDay(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("JumpMeasurementLog120526.txt"));
    QStringList lines;
    for (int i = 0; i < state.range(0); ++i)
        lines << QStringLiteral("12-05-2026    14:03:09      Skier: Lee    Jump:  %1      "
                                "Distance:  45.6m            File: C:\\pics\\Leejump%1.%2")
                     .arg(i)
                     .arg(i % 2 ? QStringLiteral("bmp") : QStringLiteral("avi"));
    fw::appendLines(path, lines);
    for (auto _ : state)
        benchmark::DoNotOptimize(fw::readPictureLogLines(path));
}
BENCHMARK(BM_PictureLogOfABusyDay)->Arg(200)->Arg(5000);

// One repaint of a 1280 x 720 view over a full-HD picture with a grid's worth of overlays.
static void BM_PictureViewRepaint(benchmark::State& state)
{
    fw::PictureView view;
    view.resize(1280, 720);
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(qRgb(30, 60, 90));
    view.setPicture(image);
    for (int i = 0; i < 40; ++i)
        view.addCircle(QPointF(i * 600, i * 300), 150, fw::kYellow);
    view.addLabel(QPointF(3000, 3000), QStringLiteral("Grid Description"), fw::kWhite, true);
    view.setZoom(static_cast<fw::PictureView::Zoom>(state.range(0)));
    QPixmap target(view.viewport()->size());
    for (auto _ : state)
        view.viewport()->render(&target);
}
BENCHMARK(BM_PictureViewRepaint)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

// A mouse move with the magnifier on: mapping, signal and the magnifier's own repaint.
static void BM_MagnifiedMouseMove(benchmark::State& state)
{
    fw::PictureView view;
    view.resize(1280, 720);
    QImage image(1920, 1080, QImage::Format_RGB32);
    image.fill(qRgb(30, 60, 90));
    view.setPicture(image);
    view.setMagnifierEnabled(true);
    view.show();
    QPixmap target(view.magnifier()->size());
    int x = 0;
    for (auto _ : state) {
        const QPointF pos(100 + (x++ % 500), 300);
        QMouseEvent move(QEvent::MouseMove, pos, view.viewport()->mapToGlobal(pos), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        view.magnifier()->render(&target);
    }
}
BENCHMARK(BM_MagnifiedMouseMove)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
