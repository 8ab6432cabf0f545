#include "media/CaptureSources.h"

#include <QFileInfo>

#include <atomic>
#include <cmath>

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
// What a v4l2 camera offers: its pixel formats, frame sizes and inputs, asked of the driver
// (the capture library only prints them).
void describeV4l2(CaptureDevice& device)
{
    const int fd = ::open(device.url.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
    if (fd < 0)
        return;
    v4l2_fmtdesc format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    for (format.index = 0; ::ioctl(fd, VIDIOC_ENUM_FMT, &format) == 0; ++format.index) {
        device.colorFormats << QString::fromLatin1(
            reinterpret_cast<const char*>(format.description));
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

// A camera read through the capture library: packets decoded to frames.
class LibavSource final : public FrameSource {
public:
    ~LibavSource() override
    {
        avcodec_free_context(&m_decoder);
        avformat_close_input(&m_input);
        av_packet_free(&m_packet);
    }

    bool open(const CaptureDevice& device, QSize size, double fps, int input, QString& error)
    {
        const AVInputFormat* format = av_find_input_format(device.format.toLatin1().constData());
        if (!format) {
            error = QStringLiteral("this station cannot read %1 devices").arg(device.format);
            return false;
        }
        AVDictionary* options = nullptr;
        if (size.isValid())
            av_dict_set(&options, "video_size",
                        QStringLiteral("%1x%2").arg(size.width()).arg(size.height()).toLatin1(), 0);
        if (fps > 0)
            av_dict_set(&options, "framerate", QByteArray::number(fps), 0);
        if (input >= 0 && device.format == QLatin1String("video4linux2"))
            av_dict_set_int(&options, "channel", input, 0);
        m_input = avformat_alloc_context();
        m_input->interrupt_callback = {&LibavSource::interrupted, this};
        int r =
            avformat_open_input(&m_input, device.url.toLocal8Bit().constData(), format, &options);
        av_dict_free(&options);
        if (r < 0) {
            error = mediaErrorText(r);
            return false;
        }
        if ((r = avformat_find_stream_info(m_input, nullptr)) < 0 ||
            (r = av_find_best_stream(m_input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)) < 0) {
            error = mediaErrorText(r);
            return false;
        }
        m_stream = m_input->streams[r];
        const AVCodec* codec = avcodec_find_decoder(m_stream->codecpar->codec_id);
        m_decoder = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (!m_decoder) {
            error = QStringLiteral("the camera's picture format is not supported");
            return false;
        }
        avcodec_parameters_to_context(m_decoder, m_stream->codecpar);
        if ((r = avcodec_open2(m_decoder, codec, nullptr)) < 0) {
            error = mediaErrorText(r);
            return false;
        }
        m_packet = av_packet_alloc();
        m_fps = fps > 0 ? fps : av_q2d(m_stream->avg_frame_rate);
        if (!(m_fps > 0))
            m_fps = 30;
        return true;
    }

    int read(AVFrame* frame, std::int64_t& slot) override
    {
        for (;;) {
            int r = avcodec_receive_frame(m_decoder, frame);
            if (r == 0) {
                std::int64_t pts = frame->best_effort_timestamp;
                if (pts == AV_NOPTS_VALUE)
                    pts = m_count;
                if (m_first == AV_NOPTS_VALUE)
                    m_first = pts;
                const double t = (pts - m_first) * av_q2d(m_stream->time_base);
                std::int64_t s = std::llround(t * m_fps);
                if (s <= m_last)
                    s = m_last + 1;
                m_last = s;
                ++m_count;
                slot = s;
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

    AVFormatContext* m_input = nullptr;
    AVStream* m_stream = nullptr;
    AVCodecContext* m_decoder = nullptr;
    AVPacket* m_packet = nullptr;
    std::atomic<bool> m_stop{false};
    double m_fps = 30;
    std::int64_t m_first = AV_NOPTS_VALUE;
    std::int64_t m_last = -1;
    std::int64_t m_count = 0;
};

} // namespace

QList<CaptureDevice> systemVideoDevices()
{
    QList<CaptureDevice> devices;
    const char* name = systemInputFormat();
    if (!name)
        return devices;
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
        // DirectShow lists sound inputs too: only pictures belong in the video list.
        bool video = info->nb_media_types == 0;
        for (int t = 0; t < info->nb_media_types; ++t)
            video = video || info->media_types[t] == AVMEDIA_TYPE_VIDEO;
        if (!video)
            continue;
        CaptureDevice device;
        device.format = QString::fromLatin1(name);
        device.url = QString::fromLocal8Bit(info->device_name);
        const QString description = QString::fromLocal8Bit(info->device_description);
        device.name = description.isEmpty() ? device.url : description;
#if defined(Q_OS_LINUX)
        if (!description.isEmpty())
            device.name = description + QStringLiteral(" (") + device.url + QLatin1Char(')');
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

std::unique_ptr<FrameSource> openFrameSource(const CaptureDevice& device, QSize size, double fps,
                                             int input, QString& error)
{
    avdevice_register_all();
    auto source = std::make_unique<LibavSource>();
    if (!source->open(device, size, fps, input, error))
        return nullptr;
    return source;
}

} // namespace fw
