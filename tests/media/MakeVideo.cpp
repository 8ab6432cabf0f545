#include "MakeVideo.h"

#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace fw::test {

namespace {

struct Closer {
    void operator()(AVFormatContext* c) const
    {
        if (c && c->pb)
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
    void operator()(AVFrame* f) const { av_frame_free(&f); }
    void operator()(AVPacket* p) const { av_packet_free(&p); }
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
template <typename T> using Own = std::unique_ptr<T, Closer>;

QString err(const char* what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QLatin1String(text));
}

// A picture that differs in every frame and everywhere in the frame.
void paint(AVFrame* f, int n)
{
    const int w = f->width, h = f->height;
    if (f->format == AV_PIX_FMT_BGR24) {
        for (int y = 0; y < h; ++y) {
            uint8_t* row = f->data[0] + qsizetype(y) * f->linesize[0];
            for (int x = 0; x < w; ++x) {
                const bool bar = (x / 4) == (n % std::max(1, w / 4));
                row[3 * x] = uint8_t(bar ? 255 : (x * 3 + n * 5));
                row[3 * x + 1] = uint8_t(y * 4 + n * 3);
                row[3 * x + 2] = uint8_t((x + y) * 2 + n * 11);
            }
        }
        return;
    }
    const int cw = AV_CEIL_RSHIFT(w, 1);
    const int ch = f->format == AV_PIX_FMT_YUVJ422P ? h : AV_CEIL_RSHIFT(h, 1);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = f->data[0] + qsizetype(y) * f->linesize[0];
        for (int x = 0; x < w; ++x) {
            const bool bar = (x / 8) == (n % std::max(1, w / 8));
            // A little texture so that the long-GOP codecs have something to code.
            const unsigned noise = (unsigned(x) * 2654435761u ^ unsigned(y) * 40503u) >> 28;
            row[x] = uint8_t(bar ? 235 : 30 + ((x + 2 * y + 3 * n) % 180) + noise);
        }
    }
    for (int y = 0; y < ch; ++y) {
        for (int x = 0; x < cw; ++x) {
            f->data[1][qsizetype(y) * f->linesize[1] + x] = uint8_t(64 + (x * 2 + n * 4) % 128);
            f->data[2][qsizetype(y) * f->linesize[2] + x] = uint8_t(64 + (y * 3 + n * 2) % 128);
        }
    }
}

int drain(AVCodecContext* enc, AVFormatContext* fmt, AVStream* st, AVPacket* pkt)
{
    int ret = 0;
    while ((ret = avcodec_receive_packet(enc, pkt)) >= 0) {
        av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
        pkt->stream_index = st->index;
        ret = av_interleaved_write_frame(fmt, pkt);
        if (ret < 0)
            return ret;
    }
    return ret == AVERROR(EAGAIN) || ret == AVERROR_EOF ? 0 : ret;
}

} // namespace

QString makeVideo(const QString& path, const VideoRecipe& recipe)
{
    av_log_set_level(AV_LOG_ERROR);
    const QByteArray name = path.toUtf8(); // FFmpeg takes UTF-8 paths on every system
    AVFormatContext* rawFmt = nullptr;
    int ret = avformat_alloc_output_context2(&rawFmt, nullptr, "avi", name.constData());
    if (ret < 0)
        return err("output", ret);
    Own<AVFormatContext> fmt(rawFmt);
    const AVCodec* codec = avcodec_find_encoder_by_name(recipe.codec);
    if (!codec)
        return QStringLiteral("no encoder %1").arg(QLatin1String(recipe.codec));
    Own<AVCodecContext> enc(avcodec_alloc_context3(codec));
    const QByteArray c(recipe.codec);
    enc->width = recipe.width;
    enc->height = recipe.height;
    enc->time_base = AVRational{recipe.rateDen, recipe.rateNum};
    enc->framerate = AVRational{recipe.rateNum, recipe.rateDen};
    enc->pix_fmt = c == "rawvideo" ? AV_PIX_FMT_BGR24
                   : c == "mjpeg"  ? AV_PIX_FMT_YUVJ420P
                                   : AV_PIX_FMT_YUV420P;
    enc->gop_size = recipe.keyFrameDistance;
    enc->max_b_frames = recipe.bFrames;
    if (c == "mjpeg")
        enc->global_quality = FF_QP2LAMBDA * 4, enc->flags |= AV_CODEC_FLAG_QSCALE;
    if (c == "libx264") {
        av_opt_set(enc->priv_data, "preset", "veryfast", 0);
        const QByteArray params = QByteArrayLiteral("scenecut=0:bframes=") +
                                  QByteArray::number(recipe.bFrames) +
                                  (recipe.bFrames ? ":b-adapt=0" : "");
        av_opt_set(enc->priv_data, "x264-params", params.constData(), 0);
        av_opt_set_int(enc->priv_data, "crf", 23, 0);
    }
    if (fmt->oformat->flags & AVFMT_GLOBALHEADER)
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((ret = avcodec_open2(enc.get(), codec, nullptr)) < 0)
        return err("encoder", ret);
    AVStream* st = avformat_new_stream(fmt.get(), nullptr);
    st->time_base = enc->time_base;
    avcodec_parameters_from_context(st->codecpar, enc.get());
    if ((ret = avio_open(&fmt->pb, name.constData(), AVIO_FLAG_WRITE)) < 0)
        return err("open", ret);
    if ((ret = avformat_write_header(fmt.get(), nullptr)) < 0)
        return err("header", ret);
    Own<AVFrame> frame(av_frame_alloc());
    Own<AVPacket> pkt(av_packet_alloc());
    frame->format = enc->pix_fmt;
    frame->width = recipe.width;
    frame->height = recipe.height;
    if ((ret = av_frame_get_buffer(frame.get(), 0)) < 0)
        return err("frame", ret);
    for (int n = 0; n < recipe.frames; ++n) {
        if (recipe.dropped.contains(n))
            continue; // the muxer keeps the slot as an empty chunk
        if ((ret = av_frame_make_writable(frame.get())) < 0)
            return err("frame", ret);
        paint(frame.get(), n);
        frame->pts = n;
        if ((ret = avcodec_send_frame(enc.get(), frame.get())) < 0 ||
            (ret = drain(enc.get(), fmt.get(), st, pkt.get())) < 0)
            return err("encode", ret);
    }
    avcodec_send_frame(enc.get(), nullptr);
    if ((ret = drain(enc.get(), fmt.get(), st, pkt.get())) < 0)
        return err("encode", ret);
    if ((ret = av_write_trailer(fmt.get())) < 0)
        return err("trailer", ret);
    return QString();
}

QByteArray plainDecodeBgr(const QString& path, int n, int* width, int* height)
{
    av_log_set_level(AV_LOG_ERROR);
    const QByteArray name = path.toUtf8();
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, name.constData(), nullptr, nullptr) < 0)
        return QByteArray();
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> fmt(
        raw, [](AVFormatContext* c) { avformat_close_input(&c); });
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return QByteArray();
    const AVCodec* codec = nullptr;
    const int stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (stream < 0)
        return QByteArray();
    Own<AVCodecContext> dec(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(dec.get(), raw->streams[stream]->codecpar);
    if (avcodec_open2(dec.get(), codec, nullptr) < 0)
        return QByteArray();
    Own<AVPacket> pkt(av_packet_alloc());
    Own<AVFrame> frame(av_frame_alloc());
    int decoded = 0;
    bool flushing = false;
    for (;;) {
        int ret = avcodec_receive_frame(dec.get(), frame.get());
        if (ret == 0) {
            if (decoded++ < n)
                continue;
            const int w = frame->width, h = frame->height;
            // The plain way: the decoder's format as it comes, bilinear, no other settings.
            Own<SwsContext> sws(sws_getContext(w, h, AVPixelFormat(frame->format), w, h,
                                               AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr, nullptr,
                                               nullptr));
            const int stride = FFALIGN(w * 3, 64);
            QByteArray padded(qsizetype(stride) * h + 64, '\0');
            uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(padded.data()), nullptr, nullptr,
                               nullptr};
            const int strides[4] = {stride, 0, 0, 0};
            sws_scale(sws.get(), frame->data, frame->linesize, 0, h, dst, strides);
            QByteArray out;
            for (int y = 0; y < h; ++y)
                out += padded.mid(qsizetype(y) * stride, qsizetype(w) * 3);
            if (width)
                *width = w;
            if (height)
                *height = h;
            return out;
        }
        if (ret != AVERROR(EAGAIN) || flushing)
            return QByteArray();
        if (av_read_frame(raw, pkt.get()) < 0) {
            flushing = true;
            avcodec_send_packet(dec.get(), nullptr);
            continue;
        }
        if (pkt->stream_index == stream && pkt->size > 0)
            avcodec_send_packet(dec.get(), pkt.get());
        av_packet_unref(pkt.get());
    }
}

} // namespace fw::test
