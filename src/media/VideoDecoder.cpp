#include "media/VideoDecoder.h"

#include "review/AviHeader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <atomic>
#include <climits>
#include <cstring>
#include <deque>
#include <map>
#include <set>

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
// Pictures held while their numbers are not yet known (B-frame files after a seek); beyond them
// only their count is kept and the frame asked for is decoded again once the numbers are known.
constexpr std::size_t kMaxWaitingPictures = 48;

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

    // Files with B-frames store a picture after the ones it comes before, and an AVI holds no
    // presentation times: the decoder hands the pictures out in the order they are shown, and they
    // are counted from a key frame whose number is known. After a seek that number is learnt at
    // the next key frame K: the pictures before K in the file all show before it, and so do those
    // stored after K but handed out before it, so K shows at its place in the file plus their
    // count. The numbers learnt are kept for later seeks.
    bool reorders = false;
    std::map<int64_t, int> keyShownAt;  // a key frame's stored timestamp -> its frame number
    std::set<int64_t> keyTimestamps;    // key frames met in the file
    bool fromFileStart = true;          // the first picture after the seek is the file's first
    int64_t seekTs = AV_NOPTS_VALUE;    // the first packet after the seek
    int64_t nextKeyTs = AV_NOPTS_VALUE; // the first key frame after it
    int64_t lastTs = AV_NOPTS_VALUE;    // the latest packet given to the decoder
    bool numbered = false;              // the numbers of the pictures handed out are known
    int nextNumber = 0;
    // Decoded before their numbers are known: the stored timestamp, and the picture (none when
    // only the count is kept).
    std::deque<std::pair<int64_t, FramePtr>> waiting;
    std::deque<DecodedFrame> ready; // numbered, to be handed out

    AVStream* st() const { return format->streams[stream]; }
    int64_t toTimestamp(int n) const { return startTs + av_rescale_q(n, frameDuration, timeBase); }
    int frameOf(int64_t ts) const
    {
        // Held well below the largest int: the pictures after it are numbered on from here, and
        // a crafted time stamp must not carry their numbers past it.
        return int(std::clamp<int64_t>(
            av_rescale_q_rnd(ts - startTs, timeBase, frameDuration, AV_ROUND_NEAR_INF), 0,
            INT_MAX / 2));
    }
    void restartNumbering(bool atFileStart)
    {
        fromFileStart = atFileStart;
        seekTs = nextKeyTs = lastTs = AV_NOPTS_VALUE;
        numbered = false;
        nextNumber = 0;
        waiting.clear();
        ready.clear();
    }
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
    // FFmpeg takes paths in UTF-8 on every system.
    const QByteArray name = path.toUtf8();
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

// Why a frame rate (frames per second as rate / scale) cannot be a video's; none when it can.
std::optional<QString> unusableRate(std::uint32_t rate, std::uint32_t scale)
{
    constexpr double kSlowest = 1.0 / 60; // a frame a minute
    constexpr double kFastest = 100000;
    const double fps = scale ? double(rate) / double(scale) : 0;
    if (scale != 0 && fps >= kSlowest && fps <= kFastest)
        return std::nullopt;
    return QStringLiteral("the frame rate of the video (%1 / %2 frames a second) cannot be right")
        .arg(rate)
        .arg(scale);
}

std::optional<QString> unusableRate(int num, int den)
{
    return unusableRate(std::uint32_t(std::max(num, 0)), std::uint32_t(std::max(den, 0)));
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
    // Frame positions are computed from the rate: a rate no camera gives (a damaged or hostile
    // header; FFmpeg itself puts 25 in place of a scale of 0) refuses the file.
    const Result<AviHeader> header = readAviHeader(path);
    std::optional<QString> badRate = unusableRate(rate.num, rate.den);
    if (!badRate && header && header->video.present)
        badRate = unusableRate(header->video.rate, header->video.scale);
    if (badRate) {
        if (failure)
            *failure = {mediatext::errorWorkingWithFile(path), *badRate};
        return nullptr;
    }
    d.frameDuration = av_inv_q(rate);
    d.startTs = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    d.reorders = st->codecpar->video_delay > 0 || d.codec->has_b_frames > 0;

    VideoProperties& p = dec->m_props;
    p.width = d.codec->width;
    p.height = d.codec->height;
    p.rateNum = rate.num;
    p.rateDen = rate.den;
    int64_t count = st->nb_frames;
    if (count <= 0 && st->duration != AV_NOPTS_VALUE && st->duration > 0)
        count = av_rescale_q_rnd(st->duration, st->time_base, d.frameDuration, AV_ROUND_NEAR_INF);
    // A recording that was cut off has as many frames as are complete in it.
    if (header && header->recovered)
        count = header->summary.length;
    p.frameCount = int(std::clamp<int64_t>(count, 0, INT_MAX));
    p.recovered = header && header->recovered;
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
    if (d->reorders) {
        // Only a key frame whose number is known can be told.
        const auto known = d->keyShownAt.upper_bound(d->toTimestamp(std::max(n, 0)));
        for (auto it = std::make_reverse_iterator(known); it != d->keyShownAt.rend(); ++it)
            if (it->second <= n)
                return it->second;
        return -1;
    }
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
    m_unkeptUpTo = -1;
    d->draining = false;
    int64_t target = d->toTimestamp(std::max(n, 0));
    if (d->reorders && n > 0) {
        // The key frame at or before n may show after n (n is one of the pictures stored after
        // it): unless its number is known, start at the key frame before it.
        AVStream* st = d->st();
        int i = av_index_search_timestamp(st, target, AVSEEK_FLAG_BACKWARD);
        bool stepBack = true;
        while (i >= 0) {
            const AVIndexEntry* e = avformat_index_get_entry(st, i);
            if (!e)
                break;
            if (e->flags & AVINDEX_KEYFRAME) {
                const auto known = d->keyShownAt.find(e->timestamp);
                if (known != d->keyShownAt.end() && known->second <= n) {
                    target = e->timestamp;
                    break;
                }
                if (!stepBack) {
                    target = e->timestamp;
                    break;
                }
                stepBack = false;
            }
            --i;
        }
        if (i < 0)
            target = d->startTs;
    }
    d->restartNumbering(target <= d->startTs);
    const int ret = av_seek_frame(d->format.get(), d->stream, target, AVSEEK_FLAG_BACKWARD);
    if (ret >= 0) {
        avcodec_flush_buffers(d->codec.get());
        return true;
    }
    d->restartNumbering(true);
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

// Reads the next packet of the stream and gives it to the decoder. False at the end of the file
// (the decoder is then drained), on a read error (`failed` set, m_reason says why) and when the
// caller interrupts (`failed` set, no reason).
bool VideoDecoder::feedPacket(bool* failed)
{
    AVCodecContext* codec = d->codec.get();
    *failed = false;
    for (;;) {
        if (m_interrupted && m_interrupted()) {
            *failed = true;
            m_interruptedNow = true;
            return false;
        }
        const int ret = av_read_frame(d->format.get(), d->packet.get());
        if (ret < 0) {
            // Only the end of the file ends the video; a failing read is told as one.
            AVIOContext* pb = d->format->pb;
            const int ioError = pb ? pb->error : 0;
            if (ret != AVERROR_EOF || (ioError < 0 && ioError != AVERROR_EOF)) {
                m_reason = ffmpegErrorText(ret != AVERROR_EOF ? ret : ioError);
                *failed = true;
                return false;
            }
            d->draining = true;
            avcodec_send_packet(codec, nullptr);
            return false;
        }
        AVPacket* packet = d->packet.get();
        const bool ours = packet->stream_index == d->stream && packet->size > 0;
        if (ours) {
            if (d->reorders) {
                // The stored timestamp rides through the decoder with its picture.
                packet->pts = packet->dts;
                if (packet->dts != AV_NOPTS_VALUE) {
                    if (d->seekTs == AV_NOPTS_VALUE)
                        d->seekTs = packet->dts;
                    else if ((packet->flags & AV_PKT_FLAG_KEY) && d->nextKeyTs == AV_NOPTS_VALUE)
                        d->nextKeyTs = packet->dts;
                    if (packet->flags & AV_PKT_FLAG_KEY)
                        d->keyTimestamps.insert(packet->dts);
                    d->lastTs = std::max(d->lastTs == AV_NOPTS_VALUE ? packet->dts : d->lastTs,
                                         packet->dts);
                }
            }
            const int sent = avcodec_send_packet(codec, packet);
            // A damaged packet is passed over; the frames around it still decode.
            if (sent < 0 && sent != AVERROR(EAGAIN) && sent != AVERROR_INVALIDDATA)
                m_reason = ffmpegErrorText(sent);
        }
        av_packet_unref(packet);
        if (ours)
            return true;
    }
}

// Numbers the pictures waiting, the first of them `first`, and hands them to the ready queue.
void VideoDecoder::numberWaiting(int first)
{
    int number = first;
    for (auto& [ts, frame] : d->waiting) {
        if (d->keyTimestamps.count(ts))
            d->keyShownAt[ts] = number;
        if (frame)
            d->ready.push_back(DecodedFrame{number, std::move(frame)});
        else
            m_unkeptUpTo = number;
        ++number;
    }
    d->waiting.clear();
    d->numbered = true;
    d->nextNumber = number;
}

Result<std::optional<DecodedFrame>> VideoDecoder::failureOfFeed()
{
    using R = Result<std::optional<DecodedFrame>>;
    if (m_interruptedNow) {
        m_interruptedNow = false;
        return R::failure(QString());
    }
    return R::failure(mediatext::errorWorkingWithFile(m_path));
}

Result<std::optional<DecodedFrame>> VideoDecoder::decodeInShowingOrder()
{
    using R = Result<std::optional<DecodedFrame>>;
    AVCodecContext* codec = d->codec.get();
    for (;;) {
        if (!d->ready.empty()) {
            DecodedFrame out = std::move(d->ready.front());
            d->ready.pop_front();
            m_last = out.number;
            return std::optional<DecodedFrame>(std::move(out));
        }
        const int ret = avcodec_receive_frame(codec, d->frame.get());
        if (ret == 0) {
            FramePtr picture(av_frame_alloc());
            if (!picture)
                return R::failure(mediatext::noDecompressor());
            av_frame_move_ref(picture.get(), d->frame.get());
            const int64_t ts = picture->pts;
            if (d->numbered) {
                if (d->keyTimestamps.count(ts))
                    d->keyShownAt[ts] = d->nextNumber;
                d->ready.push_back(DecodedFrame{d->nextNumber++, std::move(picture)});
                continue;
            }
            d->waiting.emplace_back(ts, std::move(picture));
            if (d->waiting.size() > kMaxWaitingPictures) {
                // Keep the count, not the picture: it is decoded again when asked for.
                for (auto& entry : d->waiting)
                    if (entry.second) {
                        entry.second.reset();
                        break;
                    }
            }
            if (d->waiting.size() == 1 && d->fromFileStart) {
                // Nothing shows before the file's first picture.
                numberWaiting(ts != AV_NOPTS_VALUE ? d->frameOf(ts) : 0);
            } else if (d->waiting.size() == 1 && ts == d->seekTs && d->keyShownAt.count(ts)) {
                numberWaiting(d->keyShownAt[ts]);
            } else if (d->nextKeyTs != AV_NOPTS_VALUE && ts == d->nextKeyTs) {
                // The pictures handed out before K that are stored after it show before it.
                int before = 0;
                for (std::size_t i = 0; i + 1 < d->waiting.size(); ++i)
                    before += d->waiting[i].first > ts;
                const int shownAt = d->frameOf(ts) + before;
                numberWaiting(shownAt - int(d->waiting.size()) + 1);
            }
            continue;
        }
        if (ret == AVERROR_EOF || (ret == AVERROR(EAGAIN) && d->draining)) {
            if (!d->waiting.empty()) {
                // The file ended before the next key frame: the last picture shows last, at
                // the place of the last picture stored.
                const int last = d->frameOf(d->lastTs);
                numberWaiting(last - int(d->waiting.size()) + 1);
                continue;
            }
            return std::optional<DecodedFrame>();
        }
        if (ret != AVERROR(EAGAIN)) {
            m_reason = ffmpegErrorText(ret);
            return R::failure(mediatext::noDecompressor());
        }
        bool failed = false;
        if (!feedPacket(&failed) && failed)
            return failureOfFeed();
    }
}

Result<std::optional<DecodedFrame>> VideoDecoder::decodeOne()
{
    using R = Result<std::optional<DecodedFrame>>;
    if (d->reorders)
        return decodeInShowingOrder();
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
        // At the end of the file (or where a recording was cut off) what the decoder holds still
        // comes out.
        bool failed = false;
        if (!feedPacket(&failed) && failed)
            return failureOfFeed();
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
    bool decodedAgain = false; // once: the numbers learnt on the first walk hold on the second
    for (int attempt = 0;; ++attempt) {
        const bool fromStart = attempt >= kSeekAttempts || seekTo <= 0;
        if ((attempt > 0 || !onTheWay) && !seekBefore(fromStart ? 0 : seekTo))
            return R::failure(mediatext::errorWorkingWithFile(m_path));
        std::optional<DecodedFrame> best;
        int landed = -1; // the first frame after the seek, when it is already past n
        bool decodeAgain = false;
        for (;;) {
            auto r = next();
            if (!r)
                return R::failure(r.message());
            if (!r.value())
                break;
            DecodedFrame f = std::move(*r.value());
            if (f.number > n && n <= m_unkeptUpTo && !decodedAgain) {
                // Frame n went by before its number was known: its number is known now.
                decodeAgain = true;
                break;
            }
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
        if (decodeAgain) {
            decodedAgain = true;
            continue;
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
