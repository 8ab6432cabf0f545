#pragma once

#include "support/result.h"

#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct AVFrame;
struct SwsContext;

namespace fw {

struct AVFrameDeleter {
    void operator()(AVFrame* frame) const;
};
// A decoded picture, owned (reference counted inside FFmpeg).
using FramePtr = std::unique_ptr<AVFrame, AVFrameDeleter>;
FramePtr cloneFrame(const AVFrame* frame);

// Why a media operation failed: the station's own message for the operator, and the technical
// reason (FFmpeg's error text) for the command line and for anyone looking deeper.
struct MediaFailure {
    QString message;
    QString reason;
};

// The station's messages.
namespace mediatext {
QString errorWorkingWithFile(const QString& path); // "There was an error working with the file:"
inline QString noDecompressor()
{
    return QStringLiteral("No suitable decompressor found for this video stream!");
}
} // namespace mediatext

struct VideoProperties {
    int width = 0;
    int height = 0;
    int frameCount = 0; // 0 when the file does not tell
    int rateNum = 0;    // frames per second as a fraction
    int rateDen = 1;
    qint64 frameBytes = 0;  // memory of one decoded frame
    bool recovered = false; // a recording cut off: counted up to its last complete frame
    double fps() const { return rateNum > 0 && rateDen > 0 ? double(rateNum) / rateDen : 0; }
};

// A decoded frame and its number: frame N is the Nth frame from the file's start.
struct DecodedFrame {
    int number = -1;
    FramePtr frame;
};

// The result of asking for one frame: the picture shown at that frame (the frame itself, or the
// frame before it when the recording dropped it), and whether the file ended before the frame.
struct FrameAnswer {
    DecodedFrame picture;
    bool pastEnd = false;
};

// The first video stream of a file, demuxed and decoded by FFmpeg. Not thread-safe: one thread
// owns it at a time (it may be handed from the thread that opened it to a worker).
class VideoDecoder {
public:
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens the file; on failure fills `failure` and gives none.
    static std::unique_ptr<VideoDecoder> open(const QString& path, MediaFailure* failure);

    const QString& path() const { return m_path; }
    const VideoProperties& properties() const { return m_props; }

    // Frame n exactly: from the key frame at or before n, decoded forward (without a seek when
    // the decoder is already on the way there). Frames decoded on the way are offered to
    // `passing` (a cache) as copies; when it answers false the walk stops there and the result is
    // a failure with an empty message (the decoder stays on its way to n).
    using Passing = std::function<bool(const DecodedFrame&)>;
    Result<FrameAnswer> frameAt(int n, const Passing& passing = {});

    // Asked between the packets read: when it answers true, frameAt() and next() stop there
    // with a failure with an empty message (the decoder stays on its way).
    void setInterruption(std::function<bool()> interrupted)
    {
        m_interrupted = std::move(interrupted);
    }

    // The frame after the last one decoded; none at the end of the file.
    Result<std::optional<DecodedFrame>> next();

    // The number of the last frame handed out; -1 after a seek or at the start.
    int position() const { return m_last; }
    // The key frame at or before n from the file's index; -1 when the index does not tell.
    int keyFrameAtOrBefore(int n) const;

    // The reason of the last failure (FFmpeg's error text).
    const QString& lastReason() const { return m_reason; }

private:
    struct Impl;
    VideoDecoder();
    bool seekBefore(int n);
    Result<std::optional<DecodedFrame>> decodeOne();
    Result<std::optional<DecodedFrame>> decodeInShowingOrder();
    bool feedPacket(bool* failed);
    Result<std::optional<DecodedFrame>> failureOfFeed();
    void numberWaiting(int lastNumber);
    int numberOf(const AVFrame* frame) const;

    std::unique_ptr<Impl> d;
    QString m_path;
    VideoProperties m_props;
    int m_last = -1;
    std::optional<DecodedFrame> m_pending; // decoded past a dropped frame, handed out next
    int m_unkeptUpTo = -1; // frames since the seek decoded before their number was known, not kept
    QString m_reason;
    std::function<bool()> m_interrupted;
    bool m_interruptedNow = false;
};

// Turns decoded frames into pictures: 24-bit BGR rows (the bitmap's byte order) and images for
// the screen. One converter per thread; the scaler is kept between frames of one size.
class FrameConverter {
public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    // QImage::Format_BGR888: each row's bytes are blue, green, red from the left; rows padded to a
    // multiple of 4 bytes exactly as in a bitmap file. Null when the frame cannot be converted.
    QImage toBgr(const AVFrame* frame);
    // The picture for the screen: the same bytes as the bitmap's, so what the player shows is
    // what the grab writes.
    QImage toImage(const AVFrame* frame);

private:
    // A picture of this size to write into: one the converter handed out earlier and nobody
    // holds any more, when there is one, so that stepping does not make the system find fresh
    // memory for every picture (on some systems that costs more than the conversion).
    QImage reusableImage(int width, int height);

    struct Slot;
    SwsContext* m_sws = nullptr;
    std::vector<uint8_t> m_buffer;
    std::vector<std::shared_ptr<Slot>> m_slots; // picture memory handed out, kept for reuse
};

// The texts of an FFmpeg error code.
QString ffmpegErrorText(int code);

} // namespace fw
