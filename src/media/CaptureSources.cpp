#include "media/CaptureSources.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
}

#if defined(Q_OS_LINUX)
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace fw {

QString mediaErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

namespace {

const char* systemInputFormat()
{
#if defined(Q_OS_LINUX)
    return "video4linux2";
#elif defined(Q_OS_WIN)
    return "dshow";
#elif defined(Q_OS_MACOS)
    return "avfoundation";
#else
    return nullptr;
#endif
}

struct DeviceListFree {
    void operator()(AVDeviceInfoList* list) const { avdevice_free_list_devices(&list); }
};

#if defined(Q_OS_LINUX)
// The capture library's name of a v4l2 pixel format; empty for one it does not read.
QString v4l2PixelFormatName(std::uint32_t fourcc)
{
    static const std::pair<std::uint32_t, const char*> names[] = {
        {V4L2_PIX_FMT_YUYV, "yuyv422"},    {V4L2_PIX_FMT_UYVY, "uyvy422"},
        {V4L2_PIX_FMT_YUV420, "yuv420p"},  {V4L2_PIX_FMT_YUV422P, "yuv422p"},
        {V4L2_PIX_FMT_NV12, "nv12"},       {V4L2_PIX_FMT_RGB24, "rgb24"},
        {V4L2_PIX_FMT_BGR24, "bgr24"},     {V4L2_PIX_FMT_GREY, "gray"},
        {V4L2_PIX_FMT_RGB565, "rgb565le"}, {V4L2_PIX_FMT_MJPEG, "mjpeg"},
        {V4L2_PIX_FMT_JPEG, "mjpeg"},      {V4L2_PIX_FMT_H264, "h264"},
    };
    for (const auto& [code, name] : names)
        if (code == fourcc)
            return QString::fromLatin1(name);
    return {};
}

// What a v4l2 camera offers: its pixel formats, frame sizes and inputs, asked of the driver
// (the capture library only prints them).
void describeV4l2(CaptureDevice& device)
{
    const int fd = ::open(QFile::encodeName(device.url).constData(), O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return;
    v4l2_fmtdesc format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (format.index = 0; ::ioctl(fd, VIDIOC_ENUM_FMT, &format) == 0; ++format.index) {
        device.colorFormats << QString::fromLatin1(
            reinterpret_cast<const char*>(format.description));
        device.pixelFormats << v4l2PixelFormatName(format.pixelformat);
        v4l2_frmsizeenum size{};
        size.pixel_format = format.pixelformat;
        for (size.index = 0; ::ioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) == 0; ++size.index) {
            if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE)
                break;
            const QString text =
                QStringLiteral("%1x%2").arg(size.discrete.width).arg(size.discrete.height);
            if (!device.resolutions.contains(text))
                device.resolutions << text;
        }
    }
    v4l2_input input{};
    for (input.index = 0; ::ioctl(fd, VIDIOC_ENUMINPUT, &input) == 0; ++input.index)
        device.inputs << QString::fromLatin1(reinterpret_cast<const char*>(input.name));
    if (device.inputs.size() < 2)
        device.inputs.clear();
    ::close(fd);
}
#endif

// Opens a device's input with `options`; the interrupt callback lets another thread end a wait.
int openInput(AVFormatContext*& input, const CaptureDevice& device, const InputOptions& options,
              int (*interrupted)(void*), void* self, QString& error)
{
    const AVInputFormat* format = av_find_input_format(device.format.toLatin1().constData());
    if (!format) {
        error = QStringLiteral("this station cannot read %1 devices").arg(device.format);
        return AVERROR(ENOSYS);
    }
    AVDictionary* dict = nullptr;
    for (const auto& [key, value] : options)
        av_dict_set(&dict, key.constData(), value.constData(), 0);
    input = avformat_alloc_context();
    input->interrupt_callback = {interrupted, self};
    // The capture library takes names and paths in UTF-8 on every system.
    const int r = avformat_open_input(&input, device.url.toUtf8().constData(), format, &dict);
    av_dict_free(&dict);
    if (r < 0)
        error = mediaErrorText(r);
    return r;
}

// A camera read through the capture library: packets decoded to frames.
class LibavSource final : public FrameSource {
public:
    LibavSource(CaptureDevice device, InputOptions options, double fps)
        : m_device(std::move(device)), m_options(std::move(options)), m_asked(fps)
    {
    }
    ~LibavSource() override
    {
        avcodec_free_context(&m_decoder);
        avformat_close_input(&m_input);
        av_packet_free(&m_packet);
    }

    int open(QString& error) override
    {
        int r = openInput(m_input, m_device, m_options, &LibavSource::interrupted, this, error);
        if (r >= 0 && m_stop.load())
            r = AVERROR_EXIT;
        if (r < 0)
            return r;
        if ((r = avformat_find_stream_info(m_input, nullptr)) < 0 ||
            (r = av_find_best_stream(m_input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)) < 0) {
            error = mediaErrorText(r);
            return m_stop.load() ? AVERROR_EXIT : r;
        }
        m_stream = m_input->streams[r];
        const AVCodec* codec = avcodec_find_decoder(m_stream->codecpar->codec_id);
        m_decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!m_decoder) {
            error = QStringLiteral("the camera's picture format is not supported");
            return AVERROR_DECODER_NOT_FOUND;
        }
        avcodec_parameters_to_context(m_decoder, m_stream->codecpar);
        if ((r = avcodec_open2(m_decoder, codec, nullptr)) < 0) {
            error = mediaErrorText(r);
            return r;
        }
        m_packet = av_packet_alloc();
        // The rate the driver settled on, which need not be the one asked for; the asked one
        // only where the device does not say.
        m_fps = plausibleRate(av_q2d(m_stream->avg_frame_rate));
        if (!(m_fps > 0))
            m_fps = plausibleRate(av_q2d(m_stream->r_frame_rate));
        if (!(m_fps > 0))
            m_fps = plausibleRate(m_asked);
        if (!(m_fps > 0))
            m_fps = 30;
        return 0;
    }

    double frameRate() const override { return m_fps; }

    int read(AVFrame* frame, double& time_s) override
    {
        for (;;) {
            int r = avcodec_receive_frame(m_decoder, frame);
            if (r == 0) {
                const std::int64_t pts = frame->best_effort_timestamp;
                if (pts == AV_NOPTS_VALUE || m_first == AV_NOPTS_VALUE) {
                    time_s = m_count / m_fps;
                    if (pts != AV_NOPTS_VALUE)
                        m_first = pts;
                } else {
                    time_s = double(pts - m_first) * av_q2d(m_stream->time_base);
                }
                ++m_count;
                return 0;
            }
            if (r != AVERROR(EAGAIN))
                return r;
            r = av_read_frame(m_input, m_packet);
            if (m_stop.load())
                return AVERROR_EXIT;
            if (r < 0)
                return r == AVERROR_EOF ? AVERROR(ENODEV) : r;
            if (m_packet->stream_index == m_stream->index)
                r = avcodec_send_packet(m_decoder, m_packet);
            av_packet_unref(m_packet);
            if (r < 0 && r != AVERROR(EAGAIN))
                return r;
        }
    }

    void interrupt() override { m_stop = true; }

private:
    static int interrupted(void* self)
    {
        return static_cast<LibavSource*>(self)->m_stop.load() ? 1 : 0;
    }
    static double plausibleRate(double fps) { return fps >= 1 && fps <= 1000 ? fps : 0; }

    CaptureDevice m_device;
    InputOptions m_options;
    double m_asked = 0;
    AVFormatContext* m_input = nullptr;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_decoder = nullptr;
    AVPacket* m_packet = nullptr;
    std::atomic<bool> m_stop{false};
    double m_fps = 30;
    std::int64_t m_first = AV_NOPTS_VALUE;
    std::int64_t m_count = 0;
};

// A sound input read through the capture library, its samples converted to the recording's
// bits per sample.
class LibavSoundSource final : public SoundSource {
public:
    LibavSoundSource(CaptureDevice device, SoundFormat format)
        : m_device(std::move(device)), m_format(format)
    {
    }
    ~LibavSoundSource() override
    {
        avformat_close_input(&m_input);
        av_packet_free(&m_packet);
    }

    int open(QString& error) override
    {
        const SoundFormat& format = m_format;
        m_bits = format.bits;
        int r = openInput(m_input, m_device, soundSourceOptions(m_device, format),
                          &LibavSoundSource::interrupted, this, error);
        if (r >= 0 && m_stop.load())
            r = AVERROR_EXIT;
        if (r < 0)
            return r;
        if ((r = avformat_find_stream_info(m_input, nullptr)) < 0 ||
            (r = av_find_best_stream(m_input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0)) < 0) {
            error = mediaErrorText(r);
            return m_stop.load() ? AVERROR_EXIT : r;
        }
        m_stream = m_input->streams[r];
        const AVCodecParameters* p = m_stream->codecpar;
        const SoundFormat given{p->sample_rate, p->ch_layout.nb_channels, format.bits};
        if (given.sampleRate != format.sampleRate || given.channels != format.channels) {
            error =
                QStringLiteral("it does not record %1; it records %2 Khz, %3")
                    .arg(soundFormatText(format),
                         QString::number(given.sampleRate / 1000.0, 'f', 3),
                         given.channels == 1   ? QStringLiteral("Mono")
                         : given.channels == 2 ? QStringLiteral("Stereo")
                                               : QStringLiteral("%1 channels").arg(given.channels));
            return AVERROR(EINVAL);
        }
        std::vector<std::uint8_t> probe;
        if (!convertPcm(p->codec_id, nullptr, 0, format.bits, probe)) {
            error = QStringLiteral("its sample format %1 is not supported")
                        .arg(QString::fromLatin1(avcodec_get_name(p->codec_id)));
            return AVERROR(EINVAL);
        }
        m_packet = av_packet_alloc();
        return 0;
    }

    int read(std::vector<std::uint8_t>& out) override
    {
        for (;;) {
            int r = av_read_frame(m_input, m_packet);
            if (m_stop.load())
                return AVERROR_EXIT;
            if (r == AVERROR(EAGAIN))
                continue;
            if (r < 0)
                return r == AVERROR_EOF ? AVERROR(ENODEV) : r;
            const bool ours = m_packet->stream_index == m_stream->index;
            if (ours)
                convertPcm(m_stream->codecpar->codec_id, m_packet->data,
                           std::size_t(m_packet->size), m_bits, out);
            av_packet_unref(m_packet);
            if (ours)
                return 0;
        }
    }

    void interrupt() override { m_stop = true; }

private:
    static int interrupted(void* self)
    {
        return static_cast<LibavSoundSource*>(self)->m_stop.load() ? 1 : 0;
    }

    CaptureDevice m_device;
    SoundFormat m_format;
    AVFormatContext* m_input = nullptr;
    AVStream* m_stream = nullptr;
    AVPacket* m_packet = nullptr;
    std::atomic<bool> m_stop{false};
    int m_bits = 16;
};

// The devices of one input format that carry `type`; an entry that names no media type counts.
QList<CaptureDevice> listDevices(const char* name, AVMediaType type)
{
    QList<CaptureDevice> devices;
    avdevice_register_all();
    const AVInputFormat* format = av_find_input_format(name);
    if (!format)
        return devices;
    AVDeviceInfoList* raw = nullptr;
    if (avdevice_list_input_sources(format, nullptr, nullptr, &raw) < 0 || !raw) {
        if (raw)
            avdevice_free_list_devices(&raw);
        return devices;
    }
    const std::unique_ptr<AVDeviceInfoList, DeviceListFree> list(raw);
    for (int i = 0; i < list->nb_devices; ++i) {
        const AVDeviceInfo* info = list->devices[i];
        // DirectShow lists pictures and sound together.
        bool wanted = info->nb_media_types == 0;
        for (int t = 0; t < info->nb_media_types; ++t)
            wanted = wanted || info->media_types[t] == type;
        if (!wanted)
            continue;
        CaptureDevice device;
        device.format = QString::fromLatin1(name);
        device.url = QString::fromUtf8(info->device_name);
        const QString description = QString::fromUtf8(info->device_description);
        device.name = description.isEmpty() ? device.url : description;
        devices << device;
    }
    return devices;
}

} // namespace

QList<CaptureDevice> systemVideoDevices()
{
    QList<CaptureDevice> devices;
    const char* name = systemInputFormat();
    if (!name)
        return devices;
    for (CaptureDevice device : listDevices(name, AVMEDIA_TYPE_VIDEO)) {
#if defined(Q_OS_LINUX)
        if (device.name != device.url)
            device.name += QStringLiteral(" (") + device.url + QLatin1Char(')');
        describeV4l2(device);
#elif defined(Q_OS_WIN)
        device.url = QStringLiteral("video=") + device.url;
#endif
        if (device.resolutions.isEmpty())
            device.resolutions = {QStringLiteral("640x480"), QStringLiteral("1280x720")};
        devices << device;
    }
    return devices;
}

QList<CaptureDevice> systemAudioDevices()
{
    QList<CaptureDevice> devices;
#if defined(Q_OS_LINUX)
    // ALSA's names are the same cards PulseAudio shows: each list says whose it is.
    for (const char* name : {"alsa", "pulse"})
        for (CaptureDevice device : listDevices(name, AVMEDIA_TYPE_AUDIO)) {
            device.name =
                QStringLiteral("%1 (%2 %3)").arg(device.name, QLatin1String(name), device.url);
            devices << device;
        }
#elif defined(Q_OS_WIN)
    for (CaptureDevice device : listDevices("dshow", AVMEDIA_TYPE_AUDIO)) {
        device.url = QStringLiteral("audio=") + device.url;
        devices << device;
    }
#elif defined(Q_OS_MACOS)
    devices = listDevices("avfoundation", AVMEDIA_TYPE_AUDIO);
    for (CaptureDevice& device : devices)
        device.url = QLatin1Char(':') + device.url;
#endif
    return devices;
}

CaptureDevice demoCameraDevice()
{
    CaptureDevice device;
    device.name = CaptureEngine::demoCameraName();
    device.demo = true;
    device.resolutions = {QStringLiteral("160x120"), QStringLiteral("320x240"),
                          QStringLiteral("640x480"), QStringLiteral("1280x720"),
                          QStringLiteral("1920x1080")};
    device.colorFormats = {QStringLiteral("RGB 32")};
    return device;
}

InputOptions frameSourceOptions(const CaptureDevice& device, QSize size, double fps, int input,
                                int colorFormat)
{
    InputOptions options;
    if (size.isValid())
        options.append({"video_size",
                        QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toLatin1()});
    if (fps > 0)
        options.append({"framerate", QByteArray::number(fps)});
    if (input >= 0 && device.format == QLatin1String("video4linux2"))
        options.append({"channel", QByteArray::number(input)});
    const QString pixelFormat = device.pixelFormats.value(colorFormat);
    if (!pixelFormat.isEmpty())
        options.append({"pixel_format", pixelFormat.toLatin1()});
    return options;
}

std::unique_ptr<FrameSource> makeFrameSource(const CaptureDevice& device, QSize size, double fps,
                                             int input, int colorFormat)
{
    avdevice_register_all();
    return std::make_unique<LibavSource>(
        device, frameSourceOptions(device, size, fps, input, colorFormat), fps);
}

InputOptions soundSourceOptions(const CaptureDevice& device, const SoundFormat& format)
{
    InputOptions options{{"sample_rate", QByteArray::number(format.sampleRate)},
                         {"channels", QByteArray::number(format.channels)}};
    // Only DirectShow is asked for the sample size; the others give 16 bits and are converted.
    if (device.format == QLatin1String("dshow"))
        options.append({"sample_size", QByteArray::number(format.bits)});
    return options;
}

std::unique_ptr<SoundSource> makeSoundSource(const CaptureDevice& device, const SoundFormat& format)
{
    avdevice_register_all();
    return std::make_unique<LibavSoundSource>(device, format);
}

bool convertPcm(int codecId, const std::uint8_t* data, std::size_t size, int bits,
                std::vector<std::uint8_t>& out)
{
    // Each sample as a value in [-1, 1).
    double (*sample)(const std::uint8_t*) = nullptr;
    std::size_t width = 0;
    switch (codecId) {
    case AV_CODEC_ID_PCM_U8:
        width = 1;
        sample = [](const std::uint8_t* p) { return (p[0] - 128) / 128.0; };
        break;
    case AV_CODEC_ID_PCM_S16LE:
        width = 2;
        sample = [](const std::uint8_t* p) { return std::int16_t(p[0] | p[1] << 8) / 32768.0; };
        break;
    case AV_CODEC_ID_PCM_S32LE:
        width = 4;
        sample = [](const std::uint8_t* p) {
            return std::int32_t(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24) /
                   2147483648.0;
        };
        break;
    case AV_CODEC_ID_PCM_F32LE:
        width = 4;
        sample = [](const std::uint8_t* p) {
            float v = 0;
            std::memcpy(&v, p, sizeof v);
            return double(v);
        };
        break;
    case AV_CODEC_ID_PCM_F64LE:
        width = 8;
        sample = [](const std::uint8_t* p) {
            double v = 0;
            std::memcpy(&v, p, sizeof v);
            return v;
        };
        break;
    default:
        return false;
    }
    if (bits != 8 && bits != 16)
        return false;
    out.reserve(out.size() + size / width * std::size_t(bits / 8));
    for (std::size_t i = 0; i + width <= size; i += width) {
        const double v = std::clamp(sample(data + i), -1.0, 1.0);
        if (bits == 8) {
            out.push_back(std::uint8_t(std::clamp(std::lround(128 + v * 128), 0L, 255L)));
        } else {
            const auto s = std::int16_t(std::clamp(std::lround(v * 32768), -32768L, 32767L));
            out.push_back(std::uint8_t(s & 0xff));
            out.push_back(std::uint8_t((std::uint16_t(s) >> 8) & 0xff));
        }
    }
    return true;
}

} // namespace fw
