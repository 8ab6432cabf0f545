// A 20-second recording of 1280x720 at 60 fps from the demo camera with Motion JPEG, as the
// capture screen makes it: frames dropped, CPU seconds per recorded second (the whole process,
// so the demo camera's drawing is in it) and the process's memory at 5 s and at 20 s, which
// must not grow with the length of the recording. Once without and once with the live preview.
//
// Beside it the ffmpeg command-line tool encodes the same pictures with the same settings
// (Motion JPEG at quality 3, 4:2:0 full range, one encoder thread) from a pipe: its own CPU
// seconds per second of video, and what drawing and piping the pictures cost this process.
// Skipped when ffmpeg is not on the PATH, and where there is no fork() (Windows): CPU time and
// memory are read through POSIX calls, so on other systems those figures read -1.

#include "media/CaptureEngine.h"
#include "media/DemoCamera.h"

#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#if defined(Q_OS_UNIX)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#define FW_BENCH_POSIX 1
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
}

using namespace fw;

namespace {

constexpr int kSeconds = 20;
constexpr double kFps = 60;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;

#ifdef FW_BENCH_POSIX
double cpuSeconds(const rusage& u)
{
    return double(u.ru_utime.tv_sec) + double(u.ru_stime.tv_sec) +
           (double(u.ru_utime.tv_usec) + double(u.ru_stime.tv_usec)) / 1e6;
}

double processCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return cpuSeconds(u);
}

// The process's largest resident set so far, in MiB.
double peakRss_MiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_maxrss) / 1024.0;
}
#else
double processCpuSeconds()
{
    return -1;
}

double peakRss_MiB()
{
    return -1;
}
#endif

// The process's resident set now, in MiB.
double currentRss_MiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

void BM_RecordDemoCamera(benchmark::State& state)
{
    const bool preview = state.range(0) != 0;
    QTemporaryDir dir;
    CaptureEngine engine;
    engine.setDeviceLister({});
    if (!engine.connectDevice(engine.deviceCount() - 1)) {
        state.SkipWithError("no demo camera");
        return;
    }
    const int resolution =
        int(engine.devices().last().resolutions.indexOf(QStringLiteral("1280x720")));
    engine.setResolution(resolution);
    engine.setFrameRate(kFps);
    engine.setCompressor(int(engine.compressors().indexOf(CaptureEngine::motionJpeg())));
    engine.setTimeLimit_s(kSeconds);
    engine.setPreview(preview);
    engine.setPreviewShown(preview);

    for (auto _ : state) {
        engine.setStreamFile(dir.filePath(QStringLiteral("bench.avi")));
        QEventLoop loop;
        double rss5 = 0;
        double peak5 = 0;
        QTimer at5s;
        at5s.setSingleShot(true);
        QObject::connect(&at5s, &QTimer::timeout, [&] {
            rss5 = currentRss_MiB();
            peak5 = peakRss_MiB();
        });
        QObject::connect(&engine, &CaptureEngine::captureEnded, &loop, &QEventLoop::quit);
        const double cpu0 = processCpuSeconds();
        if (!engine.startCapture()) {
            state.SkipWithError("the recording did not start");
            return;
        }
        at5s.start(5000);
        loop.exec();
        const double rss20 = currentRss_MiB();
        const double peak20 = peakRss_MiB();
        engine.stopCapture();
        const double cpu = processCpuSeconds() - cpu0;
        const double recorded_s = (engine.framesCaptured() + engine.framesDropped()) / kFps;

        state.counters["frames"] = engine.framesCaptured();
        state.counters["dropped"] = engine.framesDropped();
        state.counters["cpu_s_per_s"] = cpu / recorded_s;
        state.counters["rss_5s_MiB"] = rss5;
        state.counters["rss_20s_MiB"] = rss20;
        state.counters["peak_5s_MiB"] = peak5;
        state.counters["peak_20s_MiB"] = peak20;
        state.counters["file_MiB"] = double(QFile(engine.streamFile()).size()) / (1024.0 * 1024.0);
    }
    state.SetLabel(preview ? "1280x720 60 fps Motion JPEG, preview on"
                           : "1280x720 60 fps Motion JPEG, preview off");
}

// ffmpeg reading the demo camera's pictures from a pipe; its CPU time comes from wait4().
void BM_FfmpegSameSource(benchmark::State& state)
{
#ifndef FW_BENCH_POSIX
    state.SkipWithError("needs fork() and wait4()");
#else
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty()) {
        state.SkipWithError("ffmpeg is not installed");
        return;
    }
    QTemporaryDir dir;
    const QByteArray program = QFile::encodeName(ffmpeg);
    const QByteArray out = QFile::encodeName(dir.filePath(QStringLiteral("ffmpeg.avi")));
    const QByteArray size = QByteArray::number(kWidth) + 'x' + QByteArray::number(kHeight);
    const QByteArray rate = QByteArray::number(kFps);
    std::vector<const char*> args = {program.constData(),
                                     "-hide_banner",
                                     "-loglevel",
                                     "error",
                                     "-y",
                                     "-f",
                                     "rawvideo",
                                     "-pix_fmt",
                                     "bgra",
                                     "-s",
                                     size.constData(),
                                     "-framerate",
                                     rate.constData(),
                                     "-i",
                                     "pipe:0",
                                     "-sws_flags",
                                     "bilinear",
                                     "-pix_fmt",
                                     "yuvj420p",
                                     "-c:v",
                                     "mjpeg",
                                     "-q:v",
                                     "3",
                                     "-threads",
                                     "1",
                                     out.constData(),
                                     nullptr};

    std::signal(SIGPIPE, SIG_IGN);
    DemoCamera camera(QSize(kWidth, kHeight), kFps, nullptr);
    AVFrame* frame = av_frame_alloc();
    frame->format = AV_PIX_FMT_BGRA;
    frame->width = kWidth;
    frame->height = kHeight;
    av_frame_get_buffer(frame, 32);

    for (auto _ : state) {
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("no pipe");
            break;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(fds[0], 0);
            close(fds[0]);
            close(fds[1]);
            execv(args[0], const_cast<char* const*>(args.data()));
            _exit(127);
        }
        close(fds[0]);
        const double feed0 = processCpuSeconds();
        bool fed = true;
        const int frames = int(kSeconds * kFps);
        for (int n = 0; n < frames && fed; ++n) {
            camera.draw(frame, n);
            for (int y = 0; y < kHeight && fed; ++y) {
                const char* row = reinterpret_cast<const char*>(frame->data[0]) +
                                  std::ptrdiff_t(y) * frame->linesize[0];
                std::size_t left = std::size_t(kWidth) * 4;
                while (left > 0) {
                    const ssize_t w = write(fds[1], row, left);
                    if (w < 0 && errno == EINTR)
                        continue;
                    if (w <= 0) {
                        fed = false;
                        break;
                    }
                    row += w;
                    left -= std::size_t(w);
                }
            }
        }
        close(fds[1]);
        const double feed = processCpuSeconds() - feed0;
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        if (!fed || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("ffmpeg failed");
            break;
        }
        state.counters["cpu_s_per_s"] = cpuSeconds(usage) / kSeconds;
        state.counters["feed_cpu_s_per_s"] = feed / kSeconds;
        state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024.0;
        state.counters["file_MiB"] =
            double(QFile(QFile::decodeName(out)).size()) / (1024.0 * 1024.0);
    }
    av_frame_free(&frame);
    state.SetLabel("ffmpeg -c:v mjpeg -q:v 3 -pix_fmt yuvj420p -threads 1, 1280x720 60 fps");
#endif
}

} // namespace

BENCHMARK(BM_RecordDemoCamera)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_FfmpegSameSource)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The demo camera draws its text with Qt's fonts.
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
