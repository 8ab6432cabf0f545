// How fast a jump is turned into its lines, a day's session log is read for its pictures, and
// the picture view repaints and magnifies while the operator moves the mouse.

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

static void BM_RecordJumpLines(benchmark::State& state)
{
    fw::JumpResult jump;
    jump.date = QStringLiteral("12-05-2026");
    jump.time = QStringLiteral("14:03:09");
    jump.skier = QStringLiteral("Smith,John");
    jump.jumpNumber = QStringLiteral(" 2");
    jump.surveyX_m = 12.3456;
    jump.surveyY_m = -3.2104;
    jump.pictureX_twips = 1234;
    jump.pictureY_twips = 567;
    double d = 45.63;
    for (auto _ : state) {
        const auto figures = fw::distanceFigures(d, false);
        jump.metersText = figures->metersText;
        jump.feetText = figures->feetText;
        jump.metersValue = figures->metersValue;
        jump.feetValue = figures->feetValue;
        jump.preciseMeters = figures->preciseMeters;
        benchmark::DoNotOptimize(fw::resultsLine(jump));
        benchmark::DoNotOptimize(fw::wstimsRawLine(jump));
        d += 0.001;
    }
}
BENCHMARK(BM_RecordJumpLines);

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
