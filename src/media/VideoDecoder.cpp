#include "media/VideoDecoder.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <atomic>
#include <climits>
#include <cstring>

namespace fw {

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

// Attempts to find a frame before a seek's landing point before giving up and decoding from the
// file's start.
constexpr int kSeekAttempts = 6;
// Without an index, frames decoded forward instead of seeking.
constexpr int kForwardWithoutIndex = 60;

} // namespace

void AVFrameDeleter::operator()(AVFrame* frame) const
{
    av_frame_free(&frame);
}

FramePtr cloneFrame(const AVFrame* frame)
{
    return FramePtr(frame ? av_frame_clone(frame) : nullptr);
}

QString mediatext::errorWorkingWithFile(const QString& path)
{
    return QStringLiteral("There was an error working with the file:\r\n") + path;
}

QString ffmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

struct VideoDecoder::Impl {
    FormatPtr format;
    CodecPtr codec;
    PacketPtr packet;
    FramePtr frame;
    int stream = -1;
    AVRational timeBase{1, 1};
    AVRational frameDuration{1, 1}; // one frame in seconds
    int64_t startTs = 0;
    bool draining = false;

    AVStream* st() const { return format->streams[stream]; }
    int64_t toTimestamp(int n) const { return startTs + av_rescale_q(n, frameDuration, timeBase); }
};

VideoDecoder::VideoDecoder() : d(std::make_unique<Impl>())
{
}
VideoDecoder::~VideoDecoder() = default;

namespace {

// Opens the container and the decoder of its first video stream.
bool openContainer(const QString& path, FormatPtr& format, CodecPtr& codec, int& stream,
                   MediaFailure& failure)
{
    const QByteArray name = QFile::encodeName(path);
    AVFormatContext* raw = nullptr;
    int ret = avformat_open_input(&raw, name.constData(), nullptr, nullptr);
    if (ret < 0) {
        failure = {mediatext::errorWorkingWithFile(path), ffmpegErrorText(ret)};
        return false;
    }
    format.reset(raw);
    ret = avformat_find_stream_info(raw, nullptr);
    if (ret < 0) {
        failure = {mediatext::errorWorkingWithFile(path), ffmpegErrorText(ret)};
        return false;
    }
    const AVCodec* decoder = nullptr;
    stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream == AVERROR_STREAM_NOT_FOUND) {
        failure = {mediatext::errorWorkingWithFile(path),
                   QStringLiteral("the file holds no video stream")};
        return false;
    }
    if (stream < 0 || !decoder) {
        failure = {mediatext::noDecompressor(),
                   stream < 0 ? ffmpegErrorText(stream) : QStringLiteral("no decoder")};
        return false;
    }
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec) {
        failure = {mediatext::noDecompressor(), ffmpegErrorText(AVERROR(ENOMEM))};
        return false;
    }
    ret = avcodec_parameters_to_context(codec.get(), raw->streams[stream]->codecpar);
    if (ret >= 0) {
        codec->thread_count = 0;
        codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        ret = avcodec_open2(codec.get(), decoder, nullptr);
    }
    if (ret < 0) {
        failure = {mediatext::noDecompressor(), ffmpegErrorText(ret)};
        return false;
    }
    return true;
}

} // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::open(const QString& path, MediaFailure* failure)
{
    MediaFailure why;
    std::unique_ptr<VideoDecoder> dec(new VideoDecoder);
    Impl& d = *dec->d;
    if (!openContainer(path, d.format, d.codec, d.stream, why)) {
        if (failure)
            *failure = why;
        return nullptr;
    }
    d.packet.reset(av_packet_alloc());
    d.frame.reset(av_frame_alloc());
    if (!d.packet || !d.frame) {
        if (failure)
            *failure = {mediatext::errorWorkingWithFile(path), ffmpegErrorText(AVERROR(ENOMEM))};
        return nullptr;
    }
    dec->m_path = path;
    AVStream* st = d.st();
    d.timeBase = st->time_base;
    AVRational rate = st->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = st->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0)
        rate = av_inv_q(st->time_base);
    if (rate.num <= 0 || rate.den <= 0)
        rate = AVRational{25, 1};
    d.frameDuration = av_inv_q(rate);
    d.startTs = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;

    VideoProperties& p = dec->m_props;
    p.width = d.codec->width;
    p.height = d.codec->height;
    p.rateNum = rate.num;
    p.rateDen = rate.den;
    int64_t count = st->nb_frames;
    if (count <= 0 && st->duration != AV_NOPTS_VALUE && st->duration > 0)
        count = av_rescale_q_rnd(st->duration, st->time_base, d.frameDuration, AV_ROUND_NEAR_INF);
    p.frameCount = int(std::clamp<int64_t>(count, 0, INT_MAX));
    const int bytes = av_image_get_buffer_size(
        d.codec->pix_fmt == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : d.codec->pix_fmt,
        std::max(p.width, 1), std::max(p.height, 1), 1);
    p.frameBytes = bytes > 0 ? bytes : qint64(p.width) * p.height * 4;
    return dec;
}

int VideoDecoder::numberOf(const AVFrame* frame) const
{
    const int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
        return m_last + 1;
    const int64_t n = av_rescale_q_rnd(ts - d->startTs, d->timeBase, d->frameDuration,
                                       AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    return int(std::clamp<int64_t>(n, INT_MIN, INT_MAX));
}

int VideoDecoder::keyFrameAtOrBefore(int n) const
{
    AVStream* st = d->st();
    const int i =
        av_index_search_timestamp(st, d->toTimestamp(std::max(n, 0)), AVSEEK_FLAG_BACKWARD);
    if (i < 0)
        return -1;
    const AVIndexEntry* e = avformat_index_get_entry(st, i);
    if (!e)
        return -1;
    return int(std::clamp<int64_t>(av_rescale_q_rnd(e->timestamp - d->startTs, d->timeBase,
                                                    d->frameDuration, AV_ROUND_NEAR_INF),
                                   -1, INT_MAX));
}

bool VideoDecoder::seekBefore(int n)
{
    m_pending.reset();
    m_last = -1;
    d->draining = false;
    const int ret = av_seek_frame(d->format.get(), d->stream, d->toTimestamp(std::max(n, 0)),
                                  AVSEEK_FLAG_BACKWARD);
    if (ret >= 0) {
        avcodec_flush_buffers(d->codec.get());
        return true;
    }
    // A file that cannot seek (no usable index) is read again from its first byte.
    MediaFailure why;
    FormatPtr format;
    CodecPtr codec;
    int stream = -1;
    if (!openContainer(m_path, format, codec, stream, why)) {
        m_reason = why.reason;
        return false;
    }
    d->format = std::move(format);
    d->codec = std::move(codec);
    d->stream = stream;
    return true;
}

Result<std::optional<DecodedFrame>> VideoDecoder::decodeOne()
{
    using R = Result<std::optional<DecodedFrame>>;
    AVCodecContext* codec = d->codec.get();
    for (;;) {
        int ret = avcodec_receive_frame(codec, d->frame.get());
        if (ret == 0) {
            DecodedFrame out;
            out.number = numberOf(d->frame.get());
            out.frame.reset(av_frame_alloc());
            if (!out.frame)
                return R::failure(mediatext::noDecompressor());
            av_frame_move_ref(out.frame.get(), d->frame.get());
            m_last = out.number;
            return std::optional<DecodedFrame>(std::move(out));
        }
        if (ret == AVERROR_EOF)
            return std::optional<DecodedFrame>();
        if (ret != AVERROR(EAGAIN)) {
            m_reason = ffmpegErrorText(ret);
            return R::failure(mediatext::noDecompressor());
        }
        if (d->draining)
            return std::optional<DecodedFrame>();
        ret = av_read_frame(d->format.get(), d->packet.get());
        if (ret < 0) {
            // The end of the file, or a file cut off: what the decoder holds still comes out.
            d->draining = true;
            avcodec_send_packet(codec, nullptr);
            continue;
        }
        const bool ours = d->packet->stream_index == d->stream && d->packet->size > 0;
        if (ours) {
            ret = avcodec_send_packet(codec, d->packet.get());
            // A damaged packet is passed over; the frames around it still decode.
            if (ret < 0 && ret != AVERROR(EAGAIN) && ret != AVERROR_INVALIDDATA)
                m_reason = ffmpegErrorText(ret);
        }
        av_packet_unref(d->packet.get());
    }
}

Result<std::optional<DecodedFrame>> VideoDecoder::next()
{
    if (m_pending) {
        std::optional<DecodedFrame> out = std::move(m_pending);
        m_pending.reset();
        m_last = out->number;
        return out;
    }
    return decodeOne();
}

Result<FrameAnswer> VideoDecoder::frameAt(int n, const Passing& passing)
{
    using R = Result<FrameAnswer>;
    n = std::max(n, 0);
    const int key = keyFrameAtOrBefore(n);
    const bool onTheWay = m_last >= 0 && m_last < n && (!m_pending || m_pending->number <= n) &&
                          (key >= 0 ? key <= m_last : n - m_last <= kForwardWithoutIndex);
    int seekTo = n;
    for (int attempt = 0;; ++attempt) {
        const bool fromStart = attempt >= kSeekAttempts || seekTo <= 0;
        if ((attempt > 0 || !onTheWay) && !seekBefore(fromStart ? 0 : seekTo))
            return R::failure(mediatext::errorWorkingWithFile(m_path));
        std::optional<DecodedFrame> best;
        int landed = -1; // the first frame after the seek, when it is already past n
        for (;;) {
            auto r = next();
            if (!r)
                return R::failure(r.message());
            if (!r.value())
                break;
            DecodedFrame f = std::move(*r.value());
            if (f.number > n && !best) {
                if (fromStart) {
                    // Nothing comes before this frame in the file: it is what shows at n.
                    FrameAnswer a;
                    a.picture = std::move(f);
                    return a;
                }
                landed = f.number;
                break;
            }
            if (f.number > n) {
                // Frame n was dropped in the recording: the frame before it shows.
                m_pending = std::move(f);
                m_last = best->number;
                FrameAnswer a;
                a.picture = std::move(*best);
                return a;
            }
            if (f.number == n) {
                FrameAnswer a;
                a.picture = std::move(f);
                return a;
            }
            const int number = f.number;
            const bool goOn = !passing || passing(DecodedFrame{number, cloneFrame(f.frame.get())});
            best = std::move(f);
            if (!goOn)
                return R::failure(QString());
        }
        if (best) {
            // The file ended before frame n: its last frame stays on display.
            m_last = best->number;
            FrameAnswer a;
            a.picture = std::move(*best);
            a.pastEnd = true;
            return a;
        }
        if (fromStart) {
            if (m_reason.isEmpty())
                m_reason = QStringLiteral("no frame could be decoded");
            return R::failure(mediatext::noDecompressor());
        }
        // The seek landed after n (or at the end): go back further, twice as far each time.
        const int back = landed >= 0 ? std::max(1, landed - n) : 1;
        seekTo = std::min(seekTo, landed >= 0 ? landed : seekTo) - back * (2 << attempt);
    }
}

FrameConverter::~FrameConverter()
{
    sws_freeContext(m_sws);
}

QImage FrameConverter::toBgr(const AVFrame* frame)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return QImage();
    AVPixelFormat format = AVPixelFormat(frame->format);
    int fullRange = frame->color_range == AVCOL_RANGE_JPEG;
    // The old full-range formats are the ordinary ones with the full range.
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        format = AV_PIX_FMT_YUV420P;
        fullRange = 1;
        break;
    case AV_PIX_FMT_YUVJ422P:
        format = AV_PIX_FMT_YUV422P;
        fullRange = 1;
        break;
    case AV_PIX_FMT_YUVJ444P:
        format = AV_PIX_FMT_YUV444P;
        fullRange = 1;
        break;
    case AV_PIX_FMT_YUVJ440P:
        format = AV_PIX_FMT_YUV440P;
        fullRange = 1;
        break;
    case AV_PIX_FMT_YUVJ411P:
        format = AV_PIX_FMT_YUV411P;
        fullRange = 1;
        break;
    default:
        break;
    }
    m_sws = sws_getCachedContext(m_sws, frame->width, frame->height, format, frame->width,
                                 frame->height, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr,
                                 nullptr);
    if (!m_sws)
        return QImage();
    const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
    sws_setColorspaceDetails(m_sws, sws_getCoefficients(space), fullRange,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    // The scaler writes whole blocks of pixels: it gets rows aligned for its vector code, with
    // room to spare, and the image takes the pixels row by row.
    const int stride = FFALIGN(frame->width * 3, 64);
    const size_t bytes = size_t(stride) * size_t(frame->height) + 64;
    if (m_buffer.size() < bytes)
        m_buffer.assign(bytes, 0);
    uint8_t* dst[4] = {m_buffer.data(), nullptr, nullptr, nullptr};
    const int dstStride[4] = {stride, 0, 0, 0};
    if (sws_scale(m_sws, frame->data, frame->linesize, 0, frame->height, dst, dstStride) !=
        frame->height)
        return QImage();
    QImage image = reusableImage(frame->width, frame->height);
    if (image.isNull())
        return QImage();
    for (int y = 0; y < frame->height; ++y)
        std::memcpy(image.scanLine(y), m_buffer.data() + size_t(y) * size_t(stride),
                    size_t(frame->width) * 3);
    return image;
}

// Memory for one picture, free again once the last image on it is gone (in whatever thread).
struct FrameConverter::Slot {
    QSize size;
    int stride = 0;
    std::vector<uchar> bytes;
    std::atomic<bool> inUse{false};
};

namespace {

void releaseSlot(void* info)
{
    auto* holder = static_cast<std::shared_ptr<void>*>(info);
    delete holder;
}

} // namespace

QImage FrameConverter::reusableImage(int width, int height)
{
    // A few are enough: the picture on the screen, one on its way there, one being written.
    constexpr std::size_t kKept = 4;
    const QSize size(width, height);
    std::erase_if(m_slots, [size](const std::shared_ptr<Slot>& slot) {
        return slot->size != size && !slot->inUse.load(std::memory_order_acquire);
    });
    std::shared_ptr<Slot> free;
    for (const std::shared_ptr<Slot>& slot : m_slots)
        if (slot->size == size && !slot->inUse.load(std::memory_order_acquire)) {
            free = slot;
            break;
        }
    if (!free && m_slots.size() < kKept) {
        free = std::make_shared<Slot>();
        free->size = size;
        free->stride = (width * 3 + 3) & ~3; // as QImage and a bitmap file pad their rows
        free->bytes.resize(std::size_t(free->stride) * std::size_t(height));
        m_slots.push_back(free);
    }
    if (!free)
        return QImage(size, QImage::Format_BGR888);
    free->inUse.store(true, std::memory_order_relaxed);
    // The image's last copy frees the slot: a holder whose deleter marks it free.
    Slot* slot = free.get();
    auto* holder = new std::shared_ptr<void>(
        free.get(), [keep = free](void*) { keep->inUse.store(false, std::memory_order_release); });
    QImage image(slot->bytes.data(), width, height, slot->stride, QImage::Format_BGR888,
                 releaseSlot, holder);
    if (image.isNull()) {
        delete holder;
        return QImage(size, QImage::Format_BGR888);
    }
    return image;
}

QImage FrameConverter::toImage(const AVFrame* frame)
{
    // The painter draws 24-bit pictures directly; one conversion fewer per step.
    return toBgr(frame);
}

} // namespace fw
