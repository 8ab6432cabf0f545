#pragma once

// The capture engine's sources: what a recording or the preview reads pictures from. Inside the
// media layer only; each source is owned by the one thread that reads it.

#include "media/CaptureEngine.h"

#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>

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

// Opens the device with the wanted size, rate and input (-1: the device's own). None, with the
// reason in `error`, when it cannot be opened.
std::unique_ptr<FrameSource> openFrameSource(const CaptureDevice& device, QSize size, double fps,
                                             int input, QString& error);

// An FFmpeg error code as text.
QString mediaErrorText(int code);

} // namespace fw
