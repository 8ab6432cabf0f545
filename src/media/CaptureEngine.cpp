#include "media/CaptureEngine.h"

#include "media/CaptureSources.h"
#include "media/DemoCamera.h"
#include "media/MediaLibraries.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QStorageInfo>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace fw {

// ---------------------------------------------------------------------------------------------
// Sound formats and stills

QStringList soundFormatEntries()
{
    QStringList entries;
    for (const char* rate : {"11.025", "22.050", "32.000", "44.100"})
        for (const char* kind : {"8 Bit, Mono", "8 Bit, Stereo", "16 Bit, Mono", "16 Bit, Stereo"})
            entries << QStringLiteral("%1 Khz, %2").arg(QLatin1String(rate), QLatin1String(kind));
    return entries;
}

SoundFormat soundFormatFromEntry(int index, const QString& text, const SoundFormat& current)
{
    SoundFormat format = current;
    if (index < 0)
        return format;
    if (text.size() > 1 && text.indexOf(QLatin1Char(' ')) > 0) {
        bool ok = false;
        const double khz = text.left(text.indexOf(QLatin1Char(' '))).toDouble(&ok);
        if (ok && khz > 0 && khz < 1000)
            format.sampleRate = int(std::lround(khz * 1000));
    }
    format.channels = (index & 1) ? 2 : 1;
    format.bits = (index & 2) ? 16 : 8;
    return format;
}

QString soundFormatText(const SoundFormat& format)
{
    return QString::number(format.sampleRate / 1000.0, 'f', 3) + QStringLiteral(" Khz, ") +
           QString::number(format.bits) + QStringLiteral(" bit, ") +
           (format.channels == 1 ? QStringLiteral("Mono") : QStringLiteral("Stereo"));
}

int stillQuality(int chromFactor, int lumFactor)
{
    const int factor = std::clamp(std::min(chromFactor, lumFactor), 1, 255);
    return std::clamp(factor * 100 / 255 + 1, 1, 100);
}

// ---------------------------------------------------------------------------------------------
// RAII for the FFmpeg objects of a recording

namespace {

struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct ScalerFree {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct OutputFree {
    void operator()(AVFormatContext* c) const
    {
        if (c->pb)
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFree>;
using OutputPtr = std::unique_ptr<AVFormatContext, OutputFree>;

QSize parseSize(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return {};
    return {parts[0].toInt(), parts[1].toInt()};
}

// Plain words for a failed write: the operator needs to know the disk is full.
QString writeFailure(int code, const QString& file)
{
    if (code == AVERROR(ENOSPC))
        return QStringLiteral("The disk is full: %1 could not be written further.")
            .arg(QDir::toNativeSeparators(file));
    return QStringLiteral("Could not write %1: %2")
        .arg(QDir::toNativeSeparators(file), mediaErrorText(code));
}

const AVCodec* h264Encoder()
{
    return avcodec_find_encoder(AV_CODEC_ID_H264);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// One run of a source: the preview alone, or a recording with its writer. The capture thread
// opens the device (which may take a second or more: the driver, probing its stream, the first
// picture) and then owns the source; the writer thread owns the encoder and the file while it
// runs; stop() joins both and then finishes the file on the calling thread.

class CaptureSession {
public:
    struct Options {
        CaptureDevice device;
        QSize size;
        double fps = 30; // asked of the device; the recording uses the rate it delivers
        int input = -1;
        int colorFormat = -1;
        QString file;       // empty: preview only
        QString compressor; // empty: uncompressed
        bool audio = false;
        CaptureDevice soundDevice; // the demo tone when its demo flag is set
        SoundFormat sound;
        int timeLimit_s = 0;
        bool preview = true;
        std::function<std::int64_t(const QString&)> freeSpace;
    };

    CaptureSession(CaptureEngine& engine, Options options, std::uint64_t serial)
        : m_engine(engine), m_options(std::move(options)), m_serial(serial)
    {
    }
    ~CaptureSession() { stop(); }

    // Opens the device and runs, all on the session's own thread; the engine hears of the
    // outcome through sessionOpened() or sessionFailed().
    void start();
    // Stop in order: stop flag, wake, join, free the pending frames, write the trailer. An error
    // on the way is returned (empty when the file is finished, or was never begun).
    QString stop();

    std::uint64_t serial() const { return m_serial; }
    const QString& file() const { return m_options.file; }
    bool recording() const { return !m_options.file.isEmpty(); }
    // The file was begun (its header written). Read after stop().
    bool fileBegun() const { return m_fileBegun; }
    std::int32_t frames() const { return m_frames.load(); }
    std::int32_t dropped() const { return m_dropped.load(); }
    std::int64_t samples() const { return m_samples.load(); }
    std::int64_t lastIndex() const { return m_lastIndex.load(); }
    std::int64_t elapsed_ms() const
    {
        using namespace std::chrono;
        const std::int64_t begin = m_begin_ns.load();
        if (begin == 0)
            return 0;
        const std::int64_t end =
            m_stopped ? m_end_ns : steady_clock::now().time_since_epoch().count();
        return duration_cast<milliseconds>(steady_clock::duration(end - begin)).count();
    }

private:
    void run();
    // Opening, step by step: each step fills `error` when it fails.
    int openAll(QString& error);
    int openCamera(QString& error);
    int openSoundInput(QString& error);
    // The encoder for the recording's pictures; none when this build lacks the compressor.
    const AVCodec* setUpEncoder(const AVFrame& first, QString& error);
    // Creates the file and writes its header.
    int beginFile(const AVCodec* codec, QString& error);
    void addStreams();
    void captureLoop();
    // The capture loop's steps, all on the capture thread.
    using Scaler = std::unique_ptr<SwsContext, ScalerFree>;
    // Where the recording's frames are placed in time: its start on the camera's clock and the
    // file slot of the last frame.
    struct FrameClock {
        bool started = false;
        double start_s = 0;
        std::int64_t previousSlot = -1;
    };
    // The first frame read while opening, or the source's next one; false when the loop ends
    // (a stop, or the device failed: then reported).
    bool nextFrame(FramePtr& frame, double& time_s);
    // The file slot of a frame taken at `time_s` on the camera's clock; `since_s` is its time
    // from the recording's start.
    std::int64_t placeFrame(FrameClock& clock, double time_s, double& since_s) const;
    // Sends the frame to the screen unless a picture is still on its way there.
    void showFrame(const AVFrame& frame, Scaler& toPreview);
    // Converts the frame for the encoder and hands it to the writer at slot `n`; `last` is the
    // slot of the last frame handed over.
    void queueFrame(const AVFrame& frame, std::int64_t n, Scaler& toEncoder, std::int64_t& last);
    void reportCounters();
    void writerLoop();
    int encode(AVFrame* frame);
    int writeSound(std::int64_t videoPts);
    void soundLoop();
    // What the file still needs beyond the next frame: the encoder's held pictures, the index
    // and the trailer, with room to spare.
    std::int64_t spaceNeeded() const;
    // False when an earlier end was already reported.
    bool endedByItself(const QString& reason);
    void wake();

    CaptureEngine& m_engine;
    Options m_options;
    const std::uint64_t m_serial;
    std::mutex m_sourceMutex; // the sources as another thread interrupts them
    std::unique_ptr<FrameSource> m_source;
    std::unique_ptr<SoundSource> m_soundSource; // none for the demo tone
    double m_rate = 30;                         // the recording's frame rate
    OutputPtr m_output;
    CodecPtr m_encoder;
    AVStream* m_video = nullptr;
    AVStream* m_sound = nullptr;
    AVPixelFormat m_encoderFormat = AV_PIX_FMT_NONE;
    std::int64_t m_soundWritten = 0;
    double m_phase = 0;
    bool m_fileBegun = false;
    std::int64_t m_packetsWritten = 0;
    std::int64_t m_largestPacket = 0;
    // Frames handed to the encoder, and the place of the last: what the file holds when the
    // writer had to leave frames behind (a full disk).
    std::int32_t m_framesWritten = 0;
    std::int64_t m_lastWrittenIndex = -1;

    std::thread m_captureThread;
    std::thread m_writerThread;
    std::thread m_soundThread;
    mutable std::mutex m_soundMutex;
    std::vector<std::uint8_t> m_soundBuffer; // sound input -> writer
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_endedReported{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<FramePtr> m_queue; // capture -> writer; the writer never drops
    bool m_captureDone = false;
    QString m_writeError;
    bool m_writeErrorReported = false; // captureEnded carried it: stop() does not repeat it
    static constexpr std::size_t kQueueFrames = 64;
    // The longest stretch of frames a camera can drop and go on.
    static constexpr double kLongestGap_s = 60;
    FramePtr m_firstFrame;
    double m_firstTime_s = 0;

    std::atomic<std::int32_t> m_frames{0};
    std::atomic<std::int32_t> m_dropped{0};
    std::atomic<std::int64_t> m_samples{0};
    std::atomic<std::int64_t> m_lastIndex{-1};
    std::atomic<std::int64_t> m_begin_ns{0};
    bool m_stopped = false;
    bool m_finished = false;
    std::int64_t m_end_ns = 0;
};

void CaptureSession::start()
{
    m_captureThread = std::thread([this] { run(); });
}

void CaptureSession::run()
{
    QString error;
    const int r = openAll(error);
    CaptureEngine* engine = &m_engine;
    const std::uint64_t serial = m_serial;
    if (r < 0) {
        // A stop while opening is no failure: whoever stopped it knows.
        if (!m_stop.load())
            QMetaObject::invokeMethod(
                engine, [engine, serial, error] { engine->sessionFailed(serial, error); },
                Qt::QueuedConnection);
        const std::lock_guard lock(m_mutex);
        m_captureDone = true;
        return;
    }
    if (recording())
        m_writerThread = std::thread([this] { writerLoop(); });
    if (m_soundSource)
        m_soundThread = std::thread([this] { soundLoop(); });
    m_begin_ns = std::chrono::steady_clock::now().time_since_epoch().count();
    const double rate = m_rate;
    QMetaObject::invokeMethod(
        engine, [engine, serial, rate] { engine->sessionOpened(serial, rate); },
        Qt::QueuedConnection);
    captureLoop();
}

int CaptureSession::openAll(QString& error)
{
    int r = openCamera(error);
    if (r < 0 || !recording())
        return r;
    if ((r = openSoundInput(error)) < 0)
        return r;

    // The encoder needs the picture size: the demo camera's is known, a camera's comes with
    // its first picture, so read it now (it is a recorded frame, kept below).
    const Options& o = m_options;
    FramePtr first(av_frame_alloc());
    double firstTime_s = 0;
    if ((r = m_source->read(first.get(), firstTime_s)) < 0) {
        error = QStringLiteral("The capture device %1 sends no pictures: %2")
                    .arg(o.device.name, mediaErrorText(r));
        return r;
    }
    if (m_stop.load())
        return AVERROR_EXIT;

    const AVCodec* codec = setUpEncoder(*first, error);
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    if ((r = beginFile(codec, error)) < 0)
        return r;
    m_fileBegun = true;
    // The first picture is the recording's frame 0; the capture loop takes it first.
    m_firstFrame = std::move(first);
    m_firstTime_s = firstTime_s;
    return 0;
}

int CaptureSession::openCamera(QString& error)
{
    const Options& o = m_options;
    std::unique_ptr<FrameSource> source;
    if (o.device.demo)
        source = std::make_unique<DemoCamera>(o.size.isValid() ? o.size : QSize(320, 240), o.fps,
                                              m_engine.m_demoUnplugged);
    else
        source = makeFrameSource(o.device, o.size, o.fps, o.input, o.colorFormat);
    FrameSource* camera = source.get();
    {
        const std::lock_guard lock(m_sourceMutex);
        if (m_stop.load())
            return AVERROR_EXIT;
        m_source = std::move(source);
    }
    QString why;
    const int r = camera->open(why);
    if (r < 0) {
        error = QStringLiteral("The capture device %1 could not be opened: %2")
                    .arg(o.device.name, why.isEmpty() ? mediaErrorText(r) : why);
        return r;
    }
    // The device's own rate: a camera that ignores the asked one still gives a file that plays
    // at the speed it was filmed.
    m_rate = camera->frameRate();
    if (!(m_rate >= 1 && m_rate <= 1000))
        m_rate = o.fps;
    return 0;
}

int CaptureSession::openSoundInput(QString& error)
{
    const Options& o = m_options;
    if (!o.audio || o.soundDevice.demo)
        return 0;
    std::unique_ptr<SoundSource> sound = makeSoundSource(o.soundDevice, o.sound);
    SoundSource* input = sound.get();
    {
        const std::lock_guard lock(m_sourceMutex);
        if (m_stop.load())
            return AVERROR_EXIT;
        m_soundSource = std::move(sound);
    }
    QString why;
    const int r = input->open(why);
    if (r < 0) {
        error = QStringLiteral("The sound device %1 could not be opened: %2")
                    .arg(o.soundDevice.name, why.isEmpty() ? mediaErrorText(r) : why);
        return r;
    }
    return 0;
}

const AVCodec* CaptureSession::setUpEncoder(const AVFrame& first, QString& error)
{
    const Options& o = m_options;
    const AVCodec* codec = nullptr;
    if (o.compressor == CaptureEngine::motionJpeg()) {
        codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
        m_encoderFormat = AV_PIX_FMT_YUVJ420P;
    } else if (o.compressor == CaptureEngine::h264()) {
        codec = h264Encoder();
        m_encoderFormat = AV_PIX_FMT_YUV420P;
    } else {
        codec = avcodec_find_encoder(AV_CODEC_ID_RAWVIDEO);
        m_encoderFormat = AV_PIX_FMT_BGR24;
    }
    if (!codec) {
        error =
            QStringLiteral("The compressor %1 is not available on this station.").arg(o.compressor);
        return nullptr;
    }
    m_encoder.reset(avcodec_alloc_context3(codec));
    const AVRational rate = av_d2q(m_rate, 100000);
    m_encoder->width = first.width;
    m_encoder->height = first.height;
    m_encoder->time_base = av_inv_q(rate);
    m_encoder->framerate = rate;
    m_encoder->pix_fmt = m_encoderFormat;
    m_encoder->max_b_frames = 0; // AVI keeps no reordering
    if (codec->id == AV_CODEC_ID_MJPEG) {
        m_encoder->flags |= AV_CODEC_FLAG_QSCALE;
        m_encoder->global_quality = FF_QP2LAMBDA * 3;
    } else if (codec->id == AV_CODEC_ID_H264) {
        m_encoder->gop_size = std::max(1, int(std::lround(m_rate)));
        av_opt_set(m_encoder->priv_data, "preset", "veryfast", 0);
    }
    return codec;
}

int CaptureSession::beginFile(const AVCodec* codec, QString& error)
{
    const Options& o = m_options;
    // The capture library takes paths in UTF-8 on every system.
    const QByteArray path = o.file.toUtf8();
    AVFormatContext* raw = nullptr;
    int r = avformat_alloc_output_context2(&raw, nullptr, "avi", path.constData());
    if (r < 0 || !raw) {
        error = mediaErrorText(r);
        return r < 0 ? r : AVERROR(ENOMEM);
    }
    m_output.reset(raw);
    if (m_output->oformat->flags & AVFMT_GLOBALHEADER)
        m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((r = avcodec_open2(m_encoder.get(), codec, nullptr)) < 0) {
        error = QStringLiteral("The compressor %1 could not start: %2")
                    .arg(o.compressor, mediaErrorText(r));
        return r;
    }
    addStreams();

    if (o.freeSpace) {
        const std::int64_t free = o.freeSpace(o.file);
        if (free >= 0 && free < spaceNeeded()) {
            error = QStringLiteral("There is not enough free space on the disk to record %1.")
                        .arg(QDir::toNativeSeparators(o.file));
            return AVERROR(ENOSPC);
        }
    }
    if ((r = avio_open(&m_output->pb, path.constData(), AVIO_FLAG_WRITE)) < 0) {
        error =
            QStringLiteral("%1 could not be created: %2")
                .arg(QDir::toNativeSeparators(o.file),
                     r == AVERROR(ENOSPC) ? QStringLiteral("the disk is full") : mediaErrorText(r));
        return r;
    }
    if ((r = avformat_write_header(m_output.get(), nullptr)) < 0) {
        error = writeFailure(r, o.file);
        return r;
    }
    return 0;
}

void CaptureSession::addStreams()
{
    const Options& o = m_options;
    const AVRational rate = av_d2q(m_rate, 100000);
    m_video = avformat_new_stream(m_output.get(), nullptr);
    avcodec_parameters_from_context(m_video->codecpar, m_encoder.get());
    m_video->time_base = m_encoder->time_base;
    m_video->avg_frame_rate = rate;
    m_video->r_frame_rate = rate;
    if (o.audio) {
        m_sound = avformat_new_stream(m_output.get(), nullptr);
        AVCodecParameters* p = m_sound->codecpar;
        p->codec_type = AVMEDIA_TYPE_AUDIO;
        p->codec_id = o.sound.bits == 16 ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_U8;
        p->sample_rate = o.sound.sampleRate;
        av_channel_layout_default(&p->ch_layout, o.sound.channels);
        p->bits_per_coded_sample = o.sound.bits;
        p->block_align = o.sound.channels * o.sound.bits / 8;
        p->bit_rate = std::int64_t(p->sample_rate) * p->block_align * 8;
        m_sound->time_base = {1, o.sound.sampleRate};
    }
}

void CaptureSession::wake()
{
    {
        const std::lock_guard lock(m_sourceMutex);
        if (m_source)
            m_source->interrupt();
        if (m_soundSource)
            m_soundSource->interrupt();
    }
    const std::lock_guard lock(m_mutex);
    m_wake.notify_all();
}

bool CaptureSession::endedByItself(const QString& reason)
{
    m_stop = true;
    if (m_endedReported.exchange(true))
        return false;
    CaptureEngine* engine = &m_engine;
    QMetaObject::invokeMethod(
        engine, [engine, reason] { Q_EMIT engine->captureEnded(reason); }, Qt::QueuedConnection);
    return true;
}

void CaptureSession::captureLoop()
{
    using namespace std::chrono;
    Scaler toEncoder;
    Scaler toPreview;
    FrameClock clock;
    std::int64_t last = -1;
    auto nextCounters = steady_clock::now();
    const double limit_s = m_options.timeLimit_s > 0 ? m_options.timeLimit_s : 0;

    for (;;) {
        FramePtr frame;
        double time_s = 0;
        if (!nextFrame(frame, time_s))
            break;
        double since_s = 0;
        const std::int64_t n = placeFrame(clock, time_s, since_s);

        showFrame(*frame, toPreview);
        if (recording())
            queueFrame(*frame, n, toEncoder, last);
        else {
            ++m_frames;
            last = n;
        }

        if (steady_clock::now() >= nextCounters) {
            nextCounters = steady_clock::now() + milliseconds(500);
            reportCounters();
        }
        // The pass lasts the set time on the camera's own clock: it ends with the last frame
        // that starts within it, whatever rate the camera keeps.
        if (limit_s > 0 && since_s + 1.5 / m_rate >= limit_s) {
            endedByItself(CaptureEngine::timeLimitReason());
            break;
        }
    }
    const std::lock_guard lock(m_mutex);
    m_captureDone = true;
    m_wake.notify_all();
}

bool CaptureSession::nextFrame(FramePtr& frame, double& time_s)
{
    if (m_firstFrame) {
        frame = std::move(m_firstFrame);
        time_s = m_firstTime_s;
        return true;
    }
    if (m_stop.load())
        return false;
    frame.reset(av_frame_alloc());
    const int r = m_source->read(frame.get(), time_s);
    if (r == AVERROR_EXIT || m_stop.load())
        return false;
    if (r < 0) {
        endedByItself(
            r == AVERROR(ENODEV) || r == AVERROR(EIO) || r == AVERROR_EOF
                ? QStringLiteral("The capture device %1 went away.").arg(m_options.device.name)
                : QStringLiteral("The capture device %1 failed: %2")
                      .arg(m_options.device.name, mediaErrorText(r)));
        return false;
    }
    return true;
}

std::int64_t CaptureSession::placeFrame(FrameClock& clock, double time_s, double& since_s) const
{
    if (!clock.started) {
        clock.started = true;
        clock.start_s = time_s;
    }
    // The frame's place in the file comes from its own time: a gap is frames the camera
    // dropped, and the file keeps their places empty.
    since_s = time_s - clock.start_s;
    const std::int64_t previous = clock.previousSlot;
    if (previous >= 0 && (since_s - double(previous) / m_rate > kLongestGap_s ||
                          double(previous) / m_rate - since_s > 1)) {
        // No camera drops that much: its clock was set anew or wrapped. The frame follows
        // the one before and the time counts on from there, so neither days of empty places
        // nor a pass that never reaches its time limit.
        clock.start_s = time_s - double(previous + 1) / m_rate;
        since_s = time_s - clock.start_s;
    }
    std::int64_t n = std::llround(since_s * m_rate);
    if (n <= previous)
        n = previous + 1;
    clock.previousSlot = n;
    return n;
}

void CaptureSession::showFrame(const AVFrame& frame, Scaler& toPreview)
{
    // One picture in flight to the screen at a time; the others are not shown.
    if (!m_options.preview || m_engine.m_previewBusy.exchange(true))
        return;
    QImage picture(frame.width, frame.height, QImage::Format_RGB32);
    toPreview.reset(sws_getCachedContext(toPreview.release(), frame.width, frame.height,
                                         AVPixelFormat(frame.format), frame.width, frame.height,
                                         AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
    uint8_t* dst[1] = {picture.bits()};
    const int stride[1] = {int(picture.bytesPerLine())};
    if (toPreview)
        sws_scale(toPreview.get(), frame.data, frame.linesize, 0, frame.height, dst, stride);
    CaptureEngine* engine = &m_engine;
    QMetaObject::invokeMethod(
        engine,
        [engine, picture] {
            // Kept for stills only while a session is live: a late picture of a
            // stopped one would give stale stills.
            if (engine->m_previewSession || engine->m_recording)
                engine->m_lastPicture = picture;
            engine->m_previewBusy = false;
            Q_EMIT engine->previewFrame(picture);
        },
        Qt::QueuedConnection);
}

void CaptureSession::queueFrame(const AVFrame& frame, std::int64_t n, Scaler& toEncoder,
                                std::int64_t& last)
{
    FramePtr out(av_frame_alloc());
    out->format = m_encoderFormat;
    out->width = m_encoder->width;
    out->height = m_encoder->height;
    toEncoder.reset(sws_getCachedContext(toEncoder.release(), frame.width, frame.height,
                                         AVPixelFormat(frame.format), out->width, out->height,
                                         m_encoderFormat, SWS_BILINEAR, nullptr, nullptr, nullptr));
    bool ok = toEncoder && av_frame_get_buffer(out.get(), 32) >= 0;
    if (ok)
        sws_scale(toEncoder.get(), frame.data, frame.linesize, 0, frame.height, out->data,
                  out->linesize);
    out->pts = n;
    {
        const std::lock_guard lock(m_mutex);
        ok = ok && m_queue.size() < kQueueFrames;
        if (ok)
            m_queue.push_back(std::move(out));
    }
    m_wake.notify_all();
    if (ok) {
        m_dropped += std::int32_t(std::max<std::int64_t>(0, n - last - 1));
        ++m_frames;
        last = n;
        m_lastIndex = n;
    }
    // A frame the writer had no room for counts as dropped (its slot stays empty).
}

void CaptureSession::reportCounters()
{
    CaptureEngine* engine = &m_engine;
    QMetaObject::invokeMethod(
        engine,
        [engine] {
            Q_EMIT engine->status(capture_status::kCounters,
                                  QStringLiteral("Frames: %1  Dropped: %2")
                                      .arg(engine->framesCaptured())
                                      .arg(engine->framesDropped()));
        },
        Qt::QueuedConnection);
}

std::int64_t CaptureSession::spaceNeeded() const
{
    // Each packet takes an entry in the old index and one in the large-file index; the encoder
    // may still hold a few pictures; the sound waiting for the writer goes in too.
    constexpr std::int64_t kReserve = 4 * 1024 * 1024;
    constexpr std::int64_t kIndexBytesPerPacket = 32;
    constexpr std::int64_t kHeldPictures = 24;
    std::int64_t sound = 0;
    {
        const std::lock_guard lock(m_soundMutex);
        sound = std::int64_t(m_soundBuffer.size());
    }
    return kReserve + (m_packetsWritten + kQueueFrames) * kIndexBytesPerPacket +
           kHeldPictures * m_largestPacket + sound;
}

void CaptureSession::writerLoop()
{
    auto nextSpaceCheck = std::chrono::steady_clock::now();
    std::int64_t freeAtCheck = -1;
    std::int64_t writtenAtCheck = 0;
    for (;;) {
        FramePtr frame;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return !m_queue.empty() || m_captureDone; });
            if (m_queue.empty())
                return;
            frame = std::move(m_queue.front());
            m_queue.pop_front();
        }
        // Ended while there is still room to finish the file: a recording cut by a full disk
        // would have no index and read as empty.
        if (m_options.freeSpace) {
            // Asking the system costs a look through its mounts: four times a second, and in
            // between what this file took since counts against the room left.
            const auto now = std::chrono::steady_clock::now();
            const std::int64_t written = avio_tell(m_output->pb);
            if (now >= nextSpaceCheck) {
                nextSpaceCheck = now + std::chrono::milliseconds(250);
                freeAtCheck = m_options.freeSpace(m_options.file);
                writtenAtCheck = written;
            }
            const std::int64_t free =
                freeAtCheck < 0 ? -1
                                : freeAtCheck - std::max<std::int64_t>(0, written - writtenAtCheck);
            if (free >= 0 && free < spaceNeeded() + 2 * m_largestPacket) {
                {
                    const std::lock_guard lock(m_mutex);
                    m_queue.clear();
                }
                endedByItself(QStringLiteral("The disk is nearly full: the recording was ended "
                                             "so that %1 stays whole.")
                                  .arg(QDir::toNativeSeparators(m_options.file)));
                wake();
                return;
            }
        }
        const std::int64_t index = frame->pts;
        const int r = encode(frame.get());
        if (r >= 0) {
            ++m_framesWritten;
            m_lastWrittenIndex = index;
        }
        if (r < 0) {
            const QString reason = writeFailure(r, m_options.file);
            {
                const std::lock_guard lock(m_mutex);
                m_writeError = reason;
                m_queue.clear();
            }
            m_writeErrorReported = endedByItself(reason);
            wake();
            return;
        }
    }
}

int CaptureSession::encode(AVFrame* frame)
{
    int r = avcodec_send_frame(m_encoder.get(), frame);
    if (r < 0 && r != AVERROR_EOF)
        return r;
    PacketPtr packet(av_packet_alloc());
    for (;;) {
        r = avcodec_receive_packet(m_encoder.get(), packet.get());
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
            break;
        if (r < 0)
            return r;
        const std::int64_t pts = packet->pts;
        m_largestPacket = std::max<std::int64_t>(m_largestPacket, packet->size);
        av_packet_rescale_ts(packet.get(), m_encoder->time_base, m_video->time_base);
        packet->stream_index = m_video->index;
        if ((r = av_interleaved_write_frame(m_output.get(), packet.get())) < 0)
            return r;
        ++m_packetsWritten;
        if (m_sound && (r = writeSound(pts)) < 0)
            return r;
    }
    return 0;
}

void CaptureSession::soundLoop()
{
    // Read without pause: a sound input left waiting loses samples. The writer takes them.
    std::vector<std::uint8_t> samples;
    for (;;) {
        samples.clear();
        const int r = m_soundSource->read(samples);
        if (r == AVERROR_EXIT || m_stop.load())
            return;
        if (r < 0) {
            endedByItself(r == AVERROR(ENODEV) || r == AVERROR(EIO)
                              ? QStringLiteral("The sound device %1 went away.")
                                    .arg(m_options.soundDevice.name)
                              : QStringLiteral("The sound device %1 failed: %2")
                                    .arg(m_options.soundDevice.name, mediaErrorText(r)));
            wake();
            return;
        }
        const std::lock_guard lock(m_soundMutex);
        m_soundBuffer.insert(m_soundBuffer.end(), samples.begin(), samples.end());
    }
}

int CaptureSession::writeSound(std::int64_t videoPts)
{
    const SoundFormat& s = m_options.sound;
    if (m_soundSource) {
        // What the sound input gave so far, whole samples only.
        const std::size_t blockAlign = std::size_t(s.channels * s.bits / 8);
        PacketPtr packet(av_packet_alloc());
        {
            const std::lock_guard lock(m_soundMutex);
            const std::size_t bytes = m_soundBuffer.size() / blockAlign * blockAlign;
            if (bytes == 0)
                return 0;
            if (const int r = av_new_packet(packet.get(), int(bytes)); r < 0)
                return r;
            std::memcpy(packet->data, m_soundBuffer.data(), bytes);
            m_soundBuffer.erase(m_soundBuffer.begin(), m_soundBuffer.begin() + long(bytes));
        }
        const std::int64_t count = packet->size / std::int64_t(blockAlign);
        packet->pts = packet->dts = m_soundWritten;
        packet->duration = count;
        packet->stream_index = m_sound->index;
        av_packet_rescale_ts(packet.get(), {1, s.sampleRate}, m_sound->time_base);
        m_soundWritten += count;
        m_samples = m_soundWritten;
        ++m_packetsWritten;
        return av_interleaved_write_frame(m_output.get(), packet.get());
    }
    // The demo tone, as many samples as belong to the time up to the end of this frame.
    const std::int64_t due = std::llround(double(videoPts + 1) * s.sampleRate / m_rate);
    const std::int64_t count = due - m_soundWritten;
    if (count <= 0)
        return 0;
    const int blockAlign = s.channels * s.bits / 8;
    PacketPtr packet(av_packet_alloc());
    if (const int r = av_new_packet(packet.get(), int(count * blockAlign)); r < 0)
        return r;
    uint8_t* out = packet->data;
    const double step = 2 * M_PI * 440.0 / s.sampleRate;
    for (std::int64_t i = 0; i < count; ++i) {
        const double v = 0.25 * std::sin(m_phase);
        m_phase = std::fmod(m_phase + step, 2 * M_PI);
        for (int c = 0; c < s.channels; ++c) {
            if (s.bits == 16) {
                const auto sample = std::int16_t(std::lround(v * 32767));
                *out++ = uint8_t(sample & 0xff);
                *out++ = uint8_t((sample >> 8) & 0xff);
            } else {
                *out++ = uint8_t(std::lround(128 + v * 127));
            }
        }
    }
    packet->pts = packet->dts = m_soundWritten;
    packet->duration = count;
    packet->stream_index = m_sound->index;
    av_packet_rescale_ts(packet.get(), {1, s.sampleRate}, m_sound->time_base);
    m_soundWritten = due;
    m_samples = due;
    ++m_packetsWritten;
    return av_interleaved_write_frame(m_output.get(), packet.get());
}

QString CaptureSession::stop()
{
    if (m_finished)
        return {};
    m_finished = true;
    m_stop = true;
    wake();
    if (m_captureThread.joinable())
        m_captureThread.join();
    {
        const std::lock_guard lock(m_mutex);
        m_captureDone = true;
        m_wake.notify_all();
    }
    if (m_soundThread.joinable())
        m_soundThread.join();
    if (m_writerThread.joinable())
        m_writerThread.join();
    m_end_ns = std::chrono::steady_clock::now().time_since_epoch().count();
    m_stopped = true;
    if (recording() && m_fileBegun) {
        // The counts say what the file holds: frames the writer left behind are not in it.
        m_frames = m_framesWritten;
        m_dropped =
            std::int32_t(std::max<std::int64_t>(0, m_lastWrittenIndex + 1 - m_framesWritten));
        m_lastIndex = m_lastWrittenIndex;
    }
    m_queue.clear();
    m_firstFrame.reset();
    {
        const std::lock_guard lock(m_sourceMutex);
        m_source.reset();
    }
    if (!m_fileBegun) {
        // Stopped or failed while opening: there is no file to finish.
        m_output.reset();
        m_encoder.reset();
        const std::lock_guard lock(m_sourceMutex);
        m_soundSource.reset();
        return {};
    }
    QString error = m_writeError;
    if (error.isEmpty()) {
        int r = encode(nullptr); // the encoder's last pictures
        if (r >= 0 && m_soundSource)
            r = writeSound(0); // and the last sound
        if (r < 0)
            error = writeFailure(r, m_options.file);
    }
    {
        const std::lock_guard lock(m_sourceMutex);
        m_soundSource.reset();
    }
    // The trailer (header figures and index) is written even after a failed write: what reached
    // the disk stays playable when there is room for the index.
    const int r = av_write_trailer(m_output.get());
    if (r < 0 && error.isEmpty())
        error = writeFailure(r, m_options.file);
    m_output.reset();
    m_encoder.reset();
    // The operator has been told once already.
    if (m_writeErrorReported && error == m_writeError)
        return {};
    return error;
}

// ---------------------------------------------------------------------------------------------
// The engine

namespace {

std::int64_t freeSpaceFor(const QString& file)
{
    const QStorageInfo volume(QFileInfo(file).absolutePath());
    return volume.isValid() && volume.isReady() ? volume.bytesAvailable() : -1;
}

} // namespace

CaptureEngine::CaptureEngine(QObject* parent)
    : QObject(parent), m_lister(&systemVideoDevices), m_audioLister(&systemAudioDevices),
      m_freeSpace(&freeSpaceFor)
{
    quietMediaLibraries();
    refreshDevices();
}

CaptureEngine::~CaptureEngine()
{
    stopCapture();
    stopPreview();
}

void CaptureEngine::post(std::function<void()> f)
{
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void CaptureEngine::setDeviceLister(std::function<QList<CaptureDevice>()> lister)
{
    m_lister = std::move(lister);
    refreshDevices();
}

void CaptureEngine::setFreeSpaceProbe(std::function<std::int64_t(const QString&)> probe)
{
    m_freeSpace = std::move(probe);
}

void CaptureEngine::setAudioLister(std::function<QList<CaptureDevice>()> lister)
{
    m_audioLister = std::move(lister);
    refreshDevices();
}

QStringList CaptureEngine::audioDevices() const
{
    QStringList names;
    for (const CaptureDevice& d : m_audioSources)
        names << d.name;
    return names << demoToneName();
}

void CaptureEngine::setDemoCameraListed(bool listed)
{
    m_demoListed = listed;
    refreshDevices();
}

void CaptureEngine::refreshDevices()
{
    QList<CaptureDevice> devices = m_lister ? m_lister() : QList<CaptureDevice>();
    if (m_demoListed && !m_demoUnplugged->load())
        devices << demoCameraDevice();
    // Keep the connection on the same device when the list changes around it.
    const QString connected = isConnected() ? m_devices.value(m_connected).name : QString();
    m_devices = devices;
    if (!connected.isEmpty()) {
        m_connected = -1;
        for (int i = 0; i < m_devices.size(); ++i)
            if (m_devices[i].name == connected)
                m_connected = i;
        m_current = m_connected;
        if (m_connected < 0)
            stopPreview();
    }
    if (m_current >= m_devices.size())
        m_current = m_devices.isEmpty() ? -1 : 0;

    // The chosen sound input stays chosen where it moved to; when it went away, no sound.
    const QStringList before = audioDevices();
    m_audioSources = m_audioLister ? m_audioLister() : QList<CaptureDevice>();
    if (m_audioDevice >= 0)
        m_audioDevice = int(audioDevices().indexOf(before.value(m_audioDevice)));
}

void CaptureEngine::watchDevices()
{
#if defined(Q_OS_LINUX)
    if (m_watcher || !QFileInfo::exists(QStringLiteral("/dev")))
        return;
    m_watcher = new QFileSystemWatcher({QStringLiteral("/dev")}, this);
    if (QFileInfo::exists(QStringLiteral("/dev/snd")))
        m_watcher->addPath(QStringLiteral("/dev/snd"));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { rescanDevices(); });
#endif
}

void CaptureEngine::rescanDevices()
{
    QStringList before;
    for (const CaptureDevice& d : m_devices)
        before << d.name;
    const QStringList soundBefore = audioDevices();
    refreshDevices();
    QStringList after;
    for (const CaptureDevice& d : m_devices)
        after << d.name;
    const QStringList soundAfter = audioDevices();
    auto report = [this](const QStringList& before, const QStringList& after,
                         const QString& category) {
        for (const QString& name : before)
            if (!after.contains(name))
                Q_EMIT deviceChange(1, name, category);
        for (const QString& name : after)
            if (!before.contains(name))
                Q_EMIT deviceChange(0, name, category);
    };
    report(before, after, videoCategory());
    report(soundBefore, soundAfter, audioCategory());
}

void CaptureEngine::setDemoCameraPlugged(bool plugged)
{
    if (m_demoUnplugged->load() == !plugged)
        return;
    m_demoUnplugged->store(!plugged);
    rescanDevices();
}

QStringList CaptureEngine::compressors() const
{
    QStringList names{motionJpeg()};
    if (h264Encoder())
        names << h264();
    return names;
}

bool CaptureEngine::connectDevice(int index)
{
    if (index < 0 || index >= m_devices.size()) {
        m_lastError = QStringLiteral("No such capture device.");
        return false;
    }
    stopPreview();
    m_connected = index;
    m_current = index;
    m_resolution = m_devices[index].demo ? 1 : -1;
    m_colorFormat = -1;
    m_input = -1;
    restartPreview();
    return true;
}

void CaptureEngine::disconnectDevice()
{
    stopStills();
    stopCapture();
    stopPreview();
    m_connected = -1;
}

QSize CaptureEngine::frameSize() const
{
    if (!isConnected())
        return {};
    const CaptureDevice& d = m_devices[m_connected];
    if (m_resolution >= 0 && m_resolution < d.resolutions.size())
        return parseSize(d.resolutions[m_resolution]);
    return d.demo ? QSize(320, 240) : QSize();
}

void CaptureEngine::setFrameRate(double fps)
{
    if (!(fps > 0) || fps > 1000)
        return;
    m_frameRate = fps;
}

void CaptureEngine::setPreview(bool on)
{
    m_preview = on;
    restartPreview();
}

void CaptureEngine::setPreviewShown(bool shown)
{
    m_previewShown = shown;
    restartPreview();
}

void CaptureEngine::stopPreview()
{
    if (m_previewSession)
        m_previewSession->stop();
    m_previewSession.reset();
    m_lastPicture = QImage();
}

void CaptureEngine::restartPreview()
{
    stopPreview();
    if (!isConnected() || isCapturing() || !m_preview || !m_previewShown)
        return;
    CaptureSession::Options o;
    o.device = m_devices[m_connected];
    o.size = frameSize();
    o.fps = m_frameRate;
    o.input = m_input;
    o.colorFormat = m_colorFormat;
    m_previewSession = std::make_unique<CaptureSession>(*this, o, ++m_nextSerial);
    m_previewSession->start();
    Q_EMIT cameraOpening();
}

void CaptureEngine::sessionOpened(std::uint64_t serial, double fps)
{
    if (m_recording && m_recording->serial() == serial) {
        m_recordingOpen = true;
        m_recordingRate = fps;
        Q_EMIT cameraOpened(true);
        Q_EMIT status(capture_status::kStarted, QStringLiteral("Capturing"));
        Q_EMIT recordingStarted(fps);
    } else if (m_previewSession && m_previewSession->serial() == serial) {
        Q_EMIT cameraOpened(true);
    }
}

void CaptureEngine::sessionFailed(std::uint64_t serial, const QString& error)
{
    if (m_recording && m_recording->serial() == serial) {
        const QString file = m_recording->file();
        m_recording->stop();
        m_recording.reset();
        m_recordingOpen = false;
        // Nothing half-written stays behind.
        if (!m_recordingFileExisted)
            QFile::remove(file);
        m_lastError = error;
        Q_EMIT cameraOpened(false);
        Q_EMIT warning(error);
        Q_EMIT status(capture_status::kEnded, QStringLiteral("End of capture"));
        Q_EMIT captureNotStarted(error);
        restartPreview();
    } else if (m_previewSession && m_previewSession->serial() == serial) {
        stopPreview();
        Q_EMIT cameraOpened(false);
        Q_EMIT warning(error);
    }
}

bool CaptureEngine::startCapture()
{
    if (isCapturing())
        return true;
    auto refuse = [this](const QString& why) {
        m_lastError = why;
        Q_EMIT warning(why);
        restartPreview();
        return false;
    };
    if (!isConnected())
        return refuse(QStringLiteral("No capture device is connected."));
    if (m_streamFile.isEmpty())
        return refuse(QStringLiteral("No capture file name is set."));
    const QFileInfo target(m_streamFile);
    if (!target.absoluteDir().exists())
        return refuse(QStringLiteral("The folder %1 does not exist: the recording cannot start.")
                          .arg(QDir::toNativeSeparators(target.absolutePath())));
    stopPreview();
    CaptureSession::Options o;
    o.device = m_devices[m_connected];
    o.size = frameSize();
    o.fps = m_frameRate;
    o.input = m_input;
    o.colorFormat = m_colorFormat;
    o.file = m_streamFile;
    const QStringList names = compressors();
    o.compressor =
        m_compressor >= 0 && m_compressor < names.size() ? names[m_compressor] : QString();
    o.audio = m_audioDevice >= 0 && m_audioDevice <= m_audioSources.size();
    if (o.audio) {
        o.soundDevice = m_audioSources.value(m_audioDevice);
        o.soundDevice.demo = m_audioDevice == m_audioSources.size();
    }
    o.sound = m_sound;
    o.timeLimit_s = m_timeLimit_s;
    o.preview = m_preview && m_previewShown;
    o.freeSpace = m_freeSpace;
    m_lastFrames = 0;
    m_lastDropped = 0;
    m_lastSamples = 0;
    m_lastElapsed_ms = 0;
    m_lastIndex = -1;
    m_recordingRate = 0;
    m_recordingOpen = false;
    m_recordingFileExisted = target.exists();
    m_recording = std::make_unique<CaptureSession>(*this, o, ++m_nextSerial);
    m_recording->start();
    Q_EMIT cameraOpening();
    Q_EMIT statusText(QStringLiteral("Opening the capture device"));
    return true;
}

void CaptureEngine::stopCapture()
{
    if (!m_recording)
        return;
    const QString error = m_recording->stop();
    const bool begun = m_recording->fileBegun();
    if (!begun && !m_recordingFileExisted)
        QFile::remove(m_recording->file());
    m_lastFrames = m_recording->frames();
    m_lastDropped = m_recording->dropped();
    m_lastSamples = m_recording->samples();
    m_lastElapsed_ms = m_recording->elapsed_ms();
    m_lastIndex = m_recording->lastIndex();
    m_recording.reset();
    m_recordingOpen = false;
    m_lastPicture = QImage();
    if (!error.isEmpty())
        post([this, error] { Q_EMIT warning(error); });
    post([this] { Q_EMIT status(capture_status::kEnded, QStringLiteral("End of capture")); });
    restartPreview();
}

std::int64_t CaptureEngine::lastFrameIndex() const
{
    return m_recording ? m_recording->lastIndex() : m_lastIndex;
}

std::int32_t CaptureEngine::framesCaptured() const
{
    return m_recording ? m_recording->frames() : m_lastFrames;
}

std::int32_t CaptureEngine::framesDropped() const
{
    return m_recording ? m_recording->dropped() : m_lastDropped;
}

std::int64_t CaptureEngine::audioSamples() const
{
    return m_recording ? m_recording->samples() : m_lastSamples;
}

std::int64_t CaptureEngine::elapsed_ms() const
{
    return m_recording ? m_recording->elapsed_ms() : m_lastElapsed_ms;
}

double CaptureEngine::measuredRate() const
{
    const std::int64_t ms = elapsed_ms();
    const std::int32_t frames = framesCaptured();
    if (frames < 2 || ms <= 0)
        return m_frameRate;
    return frames * 1000.0 / double(ms);
}

bool CaptureEngine::captureFrame()
{
    stopStills();
    if (!takeStill())
        return false;
    if (stills.autoSave && stills.interval > 0) {
        if (!m_stillTimer) {
            m_stillTimer = new QTimer(this);
            connect(m_stillTimer, &QTimer::timeout, this, [this] {
                if (!takeStill())
                    stopStills();
            });
        }
        // Seconds to the timer's milliseconds, held within what the timer can wait.
        constexpr int kLongest_s = std::numeric_limits<int>::max() / 1000;
        m_stillTimer->start(std::min(stills.interval, kLongest_s) * 1000);
    }
    return true;
}

void CaptureEngine::stopStills()
{
    if (m_stillTimer)
        m_stillTimer->stop();
}

bool CaptureEngine::takingStills() const
{
    return m_stillTimer && m_stillTimer->isActive();
}

bool CaptureEngine::takeStill()
{
    QImage picture = m_lastPicture;
    if (picture.isNull() && isConnected()) {
        // No live picture on the screen: take one from the device.
        CaptureSession::Options o;
        o.device = m_devices[m_connected];
        o.size = frameSize();
        o.fps = m_frameRate;
        o.input = m_input;
        o.colorFormat = m_colorFormat;
        std::unique_ptr<FrameSource> source;
        QString error;
        if (o.device.demo)
            source = std::make_unique<DemoCamera>(o.size, o.fps, m_demoUnplugged);
        else
            source = makeFrameSource(o.device, o.size, o.fps, o.input, o.colorFormat);
        FramePtr frame(av_frame_alloc());
        double time_s = 0;
        int r = source->open(error);
        if (r >= 0)
            r = source->read(frame.get(), time_s);
        if (r >= 0) {
            picture = QImage(frame->width, frame->height, QImage::Format_RGB32);
            std::unique_ptr<SwsContext, ScalerFree> scaler(sws_getContext(
                frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                frame->height, AV_PIX_FMT_BGRA, SWS_POINT, nullptr, nullptr, nullptr));
            uint8_t* dst[1] = {picture.bits()};
            const int stride[1] = {int(picture.bytesPerLine())};
            if (scaler)
                sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, dst,
                          stride);
        }
    }
    if (picture.isNull()) {
        Q_EMIT warning(QStringLiteral("There is no picture to capture: connect a capture device."));
        return false;
    }
    if (!stills.caption.isEmpty()) {
        QPainter p(&picture);
        p.setPen(Qt::white);
        p.drawText(QPoint(stills.captionLeft, stills.captionTop + p.fontMetrics().ascent()),
                   stills.caption);
    }
    if (!stills.autoSave) {
        auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (!gui) {
            Q_EMIT warning(
                QStringLiteral("There is no clipboard for the frame: turn AutoSave on."));
            return false;
        }
        QGuiApplication::clipboard()->setImage(picture);
        Q_EMIT statusText(QStringLiteral("Frame copied to the clipboard"));
        return true;
    }
    QString path = stills.filePath;
    if (stills.autoIncrement && QFileInfo::exists(path)) {
        const QFileInfo info(path);
        for (int n = 1;; ++n) {
            path = info.dir().filePath(info.completeBaseName() + QString::number(n) +
                                       QLatin1Char('.') + info.suffix());
            if (!QFileInfo::exists(path))
                break;
        }
    }
    QImageWriter writer(path, "jpeg");
    writer.setQuality(stillQuality(stills.chromFactor, stills.lumFactor));
    writer.setProgressiveScanWrite(stills.progressive);
    if (!writer.write(picture)) {
        Q_EMIT warning(QStringLiteral("Could not write %1: %2")
                           .arg(QDir::toNativeSeparators(path), writer.errorString()));
        return false;
    }
    Q_EMIT statusText(QStringLiteral("Frame saved to ") + QDir::toNativeSeparators(path));
    return true;
}

} // namespace fw
