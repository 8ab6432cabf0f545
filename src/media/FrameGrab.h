#pragma once

#include "media/VideoDecoder.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace fw {

// The packed 24-bit bitmap of a picture (information header, then the rows from the bottom up,
// each padded to a multiple of 4 bytes), as the bitmap writer takes it.
QByteArray packedBitmap(const QImage& bgr);

// Writes a picture (QImage::Format_BGR888, as the frame player holds it) as a 24-bit bitmap file,
// replacing an earlier one whole. On failure the earlier file stays; the failure says why, in the
// system's words.
std::optional<MediaFailure> writeFrameBitmap(const QImage& bgr, const QString& bitmapPath);

// Grabs frame `frame` (the Nth from the file's start) of a video into a 24-bit bitmap file,
// replacing an earlier one. On failure nothing is written and the earlier file stays; the
// failure carries the station's message and the reason.
std::optional<MediaFailure> grabFrame(const QString& video, int frame, const QString& bitmapPath);

} // namespace fw
