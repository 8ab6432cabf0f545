#pragma once

// The capture engine's sources: what a recording or the preview reads pictures from. Inside the
// media layer only; each source is owned by the one thread that reads it.

#include "media/CaptureEngine.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

struct AVFrame;

namespace fw {

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Opens the device: it may take a while (a camera's driver, probing its stream), so it runs
    // on the capture engine's own thread. 0 on success; AVERROR_EXIT when interrupted; another
    // negative AVERROR with the reason in `error`.
    virtual int open(QString& error) = 0;
    // The frame rate the device delivers, as it reports it once open (a camera may not give the
    // rate it was asked for).
    virtual double frameRate() const = 0;
    // Waits for the next picture and gives it with its own time: seconds since the first picture
    // this source gave (a gap longer than a frame means frames the source dropped). 0 on success;
    // AVERROR_EXIT when interrupted; another negative AVERROR when the source ended or failed.
    virtual int read(AVFrame* frame, double& time_s) = 0;
    // Makes a waiting open() or read() return soon. Any thread.
    virtual void interrupt() = 0;
};

using InputOptions = QList<std::pair<QByteArray, QByteArray>>;

// The capture library's options for opening a camera with the wanted size, rate, input and colour
// format (an index in the device's lists; -1 and an invalid size: the device's own).
InputOptions frameSourceOptions(const CaptureDevice& device, QSize size, double fps, int input,
                                int colorFormat);

// A camera read through the capture library, to be opened with frameSourceOptions().
std::unique_ptr<FrameSource> makeFrameSource(const CaptureDevice& device, QSize size, double fps,
                                             int input, int colorFormat);

// A sound input giving PCM in the recording's format, interleaved, little-endian (8 bits
// unsigned, 16 bits signed).
class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Opens the input; as FrameSource::open(). It is refused, with the reason in `error`, when it
    // records another rate or channel count than asked (nothing here converts those).
    virtual int open(QString& error) = 0;
    // Waits for the next samples and appends them to `out`. 0 on success; AVERROR_EXIT when
    // interrupted; another negative AVERROR when the input ended or failed.
    virtual int read(std::vector<std::uint8_t>& out) = 0;
    // Makes a waiting open() or read() return soon. Any thread.
    virtual void interrupt() = 0;
};

// The capture library's options asking a sound input for the format.
InputOptions soundSourceOptions(const CaptureDevice& device, const SoundFormat& format);

// A sound input asked for `format`, to be opened.
std::unique_ptr<SoundSource> makeSoundSource(const CaptureDevice& device,
                                             const SoundFormat& format);

// Interleaved PCM samples of the capture library's codec `codecId` (unsigned 8 bits, signed 16 or
// 32 bits, 32 or 64-bit floats, little-endian) appended to `out` as `bits` (8 or 16). False for
// another codec.
bool convertPcm(int codecId, const std::uint8_t* data, std::size_t size, int bits,
                std::vector<std::uint8_t>& out);

// An FFmpeg error code as text.
QString mediaErrorText(int code);

} // namespace fw
