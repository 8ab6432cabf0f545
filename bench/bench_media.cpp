// Stepping through jump videos in the frame player, one frame forwards and one backwards, at
// 1280x720 and 1920x1080, for Motion JPEG (every frame a key frame) and H.264 with a key frame
// every 60 frames; beside them the time to decode one frame in sequence (the floor), the frame
// grab to a bitmap file, and marking: the picture on the screen written as the bitmap, beside
// converting a decoded frame and writing it.
//
// A step is timed from the request to the picture arriving on the user-interface thread. Steps
// come every 50 ms, twice as fast as the held arrow keys step, so the worker gets the time it
// gets at the station to decode around the position.

#include "MakeVideo.h"
#include "media/FrameGrab.h"
#include "media/FramePlayerEngine.h"
#include "media/VideoDecoder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMap>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>

using namespace fw;

namespace {

constexpr int kFrames = 300; // ten seconds at 30 fps: five groups of 60
// Enough steps for a 99th percentile that is not simply the slowest step; each row crosses
// three or four key frames.
constexpr int kSteps = 220;
constexpr int kPause_ms = 50;

struct Clip {
    const char* codec;
    int width;
    int height;
};

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Each video is made once per run.
QString videoFor(const Clip& c)
{
    static QMap<QString, QString> made;
    const QString key =
        QStringLiteral("%1-%2x%3").arg(QLatin1String(c.codec)).arg(c.width).arg(c.height);
    if (made.contains(key))
        return made[key];
    const QString path = folder().filePath(key + QStringLiteral(".avi"));
    const int gop = QByteArray(c.codec) == "mjpeg" ? 1 : 60;
    const QString why =
        fw::test::makeVideo(path, {c.codec, c.width, c.height, kFrames, 30, 1, gop});
    if (!why.isEmpty()) {
        std::fprintf(stderr, "cannot make %s: %s\n", qPrintable(key), qPrintable(why));
        return QString();
    }
    made[key] = path;
    return path;
}

const Clip kClips[] = {
    {"mjpeg", 1280, 720}, {"mjpeg", 1920, 1080}, {"libx264", 1280, 720}, {"libx264", 1920, 1080}};

// Asks for a frame and waits for its picture; the time in milliseconds.
double stepTo(FramePlayerEngine& engine, int frame)
{
    QEventLoop loop;
    QElapsedTimer clock;
    double ms = -1;
    const auto c = QObject::connect(&engine, &FramePlayerEngine::frameShown, &loop, [&](int shown) {
        if (shown == frame) {
            ms = clock.nsecsElapsed() / 1e6;
            loop.quit();
        }
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    clock.start();
    engine.setPosition(frame);
    if (engine.shownFrame() != frame || ms < 0)
        loop.exec();
    QObject::disconnect(c);
    return ms;
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

void BM_Step(benchmark::State& state)
{
    const Clip& clip = kClips[state.range(0)];
    const int direction = int(state.range(1));
    const QString video = videoFor(clip);
    if (video.isEmpty()) {
        state.SkipWithError("no video");
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        FramePlayerEngine engine;
        if (engine.open(video)) {
            state.SkipWithError("cannot open");
            return;
        }
        // Start just past a key frame going forwards, just before one going backwards (the
        // hardest places), and let the worker settle as the operator's first look would.
        int frame = direction > 0 ? 41 : 279;
        stepTo(engine, frame);
        pause(500);
        for (int i = 0; i < kSteps; ++i) {
            frame += direction;
            const double ms = stepTo(engine, frame);
            times.push_back(ms);
            pause(kPause_ms);
        }
        state.SetIterationTime(1);
    }
    state.counters["median_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
    state.counters["max_ms"] = percentile(times, 1.0);
    state.SetLabel(QStringLiteral("%1 %2x%3 %4")
                       .arg(QLatin1String(clip.codec))
                       .arg(clip.width)
                       .arg(clip.height)
                       .arg(direction > 0 ? QStringLiteral("forward") : QStringLiteral("backward"))
                       .toStdString());
}

// The floor: one frame decoded after another, without seeking or converting.
void BM_DecodeOneFrame(benchmark::State& state)
{
    const Clip& clip = kClips[state.range(0)];
    const QString video = videoFor(clip);
    std::unique_ptr<VideoDecoder> decoder = VideoDecoder::open(video, nullptr);
    if (!decoder) {
        state.SkipWithError("cannot open");
        return;
    }
    for (auto _ : state) {
        auto next = decoder->next();
        if (!next || !next.value()) {
            state.PauseTiming();
            decoder = VideoDecoder::open(video, nullptr);
            state.ResumeTiming();
            continue;
        }
        benchmark::DoNotOptimize(next.value()->number);
    }
    state.SetLabel(QStringLiteral("%1 %2x%3")
                       .arg(QLatin1String(clip.codec))
                       .arg(clip.width)
                       .arg(clip.height)
                       .toStdString());
}

// Decode plus conversion to the picture the screen paints.
void BM_DecodeAndConvert(benchmark::State& state)
{
    const Clip& clip = kClips[state.range(0)];
    const QString video = videoFor(clip);
    std::unique_ptr<VideoDecoder> decoder = VideoDecoder::open(video, nullptr);
    FrameConverter converter;
    auto first = decoder->next();
    for (auto _ : state)
        benchmark::DoNotOptimize(converter.toImage(first.value()->frame.get()).bits());
    state.SetLabel(
        QStringLiteral("convert only %1x%2").arg(clip.width).arg(clip.height).toStdString());
}

// The grab as marking runs it: open, exact seek, decode, convert, write the bitmap.
void BM_GrabToBitmap(benchmark::State& state)
{
    const Clip& clip = kClips[state.range(0)];
    const QString video = videoFor(clip);
    const QString bmp = folder().filePath(QStringLiteral("currentcapture.bmp"));
    for (auto _ : state) {
        if (grabFrame(video, 119, bmp)) {
            state.SkipWithError("grab failed");
            return;
        }
    }
    state.SetLabel(QStringLiteral("%1 %2x%3 frame 119")
                       .arg(QLatin1String(clip.codec))
                       .arg(clip.width)
                       .arg(clip.height)
                       .toStdString());
}

} // namespace

// Marking: the picture the player shows (frame 119 of the 1080p H.264 video) written as the
// bitmap, as the frame selection screen does it.
void BM_MarkShownFrame(benchmark::State& state)
{
    const QString video = videoFor(kClips[3]);
    const QString bmp = folder().filePath(QStringLiteral("currentcapture.bmp"));
    FramePlayerEngine engine;
    if (engine.open(video) || stepTo(engine, 119) < 0 || engine.picture().isNull()) {
        state.SkipWithError("cannot show frame 119");
        return;
    }
    const QImage shown = engine.picture();
    for (auto _ : state) {
        if (writeFrameBitmap(shown, bmp)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.SetLabel("libx264 1920x1080, picture on screen to bitmap");
}

// What marking may cost at most: one decoded frame converted to the picture and written.
void BM_ConvertAndWrite(benchmark::State& state)
{
    const QString video = videoFor(kClips[3]);
    const QString bmp = folder().filePath(QStringLiteral("currentcapture.bmp"));
    std::unique_ptr<VideoDecoder> decoder = VideoDecoder::open(video, nullptr);
    FrameConverter converter;
    auto first =
        decoder ? decoder->next() : Result<std::optional<DecodedFrame>>::failure(QString());
    if (!first || !first.value()) {
        state.SkipWithError("cannot decode");
        return;
    }
    for (auto _ : state) {
        const QImage bgr = converter.toBgr(first.value()->frame.get());
        if (writeFrameBitmap(bgr, bmp)) {
            state.SkipWithError("write failed");
            return;
        }
    }
    state.SetLabel("libx264 1920x1080, convert and write");
}

BENCHMARK(BM_DecodeOneFrame)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkShownFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndConvert)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Step)
    ->ArgsProduct({{0, 1, 2, 3}, {1, -1}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrabToBitmap)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
