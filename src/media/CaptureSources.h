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
    // Waits for the next picture and gives it with its slot: the frame number on the recording's
    // own clock (slots skipped are frames the source dropped). 0 on success; AVERROR_EXIT when
    // interrupted; another negative AVERROR when the source ended or failed.
    virtual int read(AVFrame* frame, std::int64_t& slot) = 0;
    // Makes a waiting read() return soon. Any thread.
    virtual void interrupt() = 0;
};

using InputOptions = QList<std::pair<QByteArray, QByteArray>>;

// The capture library's options for opening a camera with the wanted size, rate, input and colour
// format (an index in the device's lists; -1 and an invalid size: the device's own).
InputOptions frameSourceOptions(const CaptureDevice& device, QSize size, double fps, int input,
                                int colorFormat);

// Opens the device with frameSourceOptions(). None, with the reason in `error`, when it cannot
// be opened.
std::unique_ptr<FrameSource> openFrameSource(const CaptureDevice& device, QSize size, double fps,
                                             int input, int colorFormat, QString& error);

// A sound input giving PCM in the recording's format, interleaved, little-endian (8 bits
// unsigned, 16 bits signed).
class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Waits for the next samples and appends them to `out`. 0 on success; AVERROR_EXIT when
    // interrupted; another negative AVERROR when the input ended or failed.
    virtual int read(std::vector<std::uint8_t>& out) = 0;
    // Makes a waiting read() return soon. Any thread.
    virtual void interrupt() = 0;
};

// The capture library's options asking a sound input for the format.
InputOptions soundSourceOptions(const CaptureDevice& device, const SoundFormat& format);

// Opens the sound input asking for `format`. None, with the reason in `error`, when it cannot be
// opened or records another rate or channel count than asked (nothing here converts those).
std::unique_ptr<SoundSource> openSoundSource(const CaptureDevice& device, const SoundFormat& format,
                                             QString& error);

// Interleaved PCM samples of the capture library's codec `codecId` (unsigned 8 bits, signed 16 or
// 32 bits, 32 or 64-bit floats, little-endian) appended to `out` as `bits` (8 or 16). False for
// another codec.
bool convertPcm(int codecId, const std::uint8_t* data, std::size_t size, int bits,
                std::vector<std::uint8_t>& out);

// An FFmpeg error code as text.
QString mediaErrorText(int code);

} // namespace fw
