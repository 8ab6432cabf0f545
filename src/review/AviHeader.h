#pragma once

#include "support/cDIB.h"
#include "support/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace fw {

class Dialogs;

// The bits of an AVI file's capabilities and flags.
namespace avi {
constexpr std::uint32_t kCapCanRead = 0x01;
constexpr std::uint32_t kCapCanWrite = 0x02;
constexpr std::uint32_t kCapAllKeyFrames = 0x10;
constexpr std::uint32_t kCapNoCompression = 0x20;

constexpr std::uint32_t kFlagHasIndex = 0x10;
constexpr std::uint32_t kFlagMustUseIndex = 0x20;
constexpr std::uint32_t kFlagInterleaved = 0x100;
constexpr std::uint32_t kFlagCaptureFile = 0x10000;
constexpr std::uint32_t kFlagCopyrighted = 0x20000;
} // namespace avi

// The file header summary of a video, in the order the station's AVI library hands it over:
// the main header's values, the first video stream's time scale and rate, and the capabilities
// found while reading the file.
struct AviSummary {
    std::uint32_t maxBytesPerSec = 0;
    std::uint32_t flags = 0;
    std::uint32_t caps = 0;
    std::uint32_t streams = 0;
    std::uint32_t suggestedBufferSize = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t length = 0; // frames
    std::uint32_t editCount = 0;
    QByteArray fileType; // 64 bytes, NUL-terminated when it holds a NUL
};

// What the reader learnt about the first video stream.
struct AviVideoStream {
    bool present = false;
    int number = -1;    // position among the file's streams, from 0
    QByteArray handler; // fccHandler, four bytes
    std::uint32_t scale = 0;
    std::uint32_t rate = 0;
    std::uint32_t length = 0;
    std::int16_t frameLeft = 0, frameTop = 0, frameRight = 0, frameBottom = 0;
    bool hasFormat = false;
    BitmapInfoHeader format; // strf
    // Index entries of the stream that hold a frame, and how many of them are key frames.
    qint64 indexedFrames = 0;
    qint64 indexedKeyFrames = 0;
    bool indexed = false;
    bool openDmlIndex = false;
};

struct AviHeader {
    AviSummary summary;
    AviVideoStream video;
    // The file has no usable index or no length (a recording cut off by a crash or a full disk):
    // its length is the complete frames found by walking the movie list.
    bool recovered = false;
};

// Reads the header of a video with its own RIFF walker. Every chunk size is checked against the
// file: a damaged or hostile file gives a failure, never a crash, a hang or an allocation larger
// than the file. Failures: "Unable to open file:" CR LF path, or "Unable to read AVI file info
// from:" CR LF path.
Result<AviHeader> readAviHeader(const QString& path);

// Reads the summary and tells the operator when it cannot (critical icon).
bool ReadAviSummary(const QString& path, AviSummary& summary, Dialogs& dialogs);

// Derived values of a summary.
int aviFrameRate(const AviSummary& s);    // rate / scale, halves to even; 0 when scale is 0
QString aviFileType(const AviSummary& s); // up to the first NUL; empty without one
// A summary that could not be read has no capabilities at all, and counts as not compressed.
inline bool aviCompressed(const AviSummary& s)
{
    return (s.caps & avi::kCapCanRead) && !(s.caps & avi::kCapNoCompression);
}
inline bool aviAllKeyFrames(const AviSummary& s)
{
    return s.caps & avi::kCapAllKeyFrames;
}
inline bool aviCanRead(const AviSummary& s)
{
    return s.caps & avi::kCapCanRead;
}
inline bool aviCanWrite(const AviSummary& s)
{
    return s.caps & avi::kCapCanWrite;
}
inline bool aviCopyrighted(const AviSummary& s)
{
    return s.flags & avi::kFlagCopyrighted;
}
inline bool aviCaptureFile(const AviSummary& s)
{
    return s.flags & avi::kFlagCaptureFile;
}
inline bool aviHasIndex(const AviSummary& s)
{
    return s.flags & avi::kFlagHasIndex;
}
inline bool aviMustUseIndex(const AviSummary& s)
{
    return s.flags & avi::kFlagMustUseIndex;
}
inline bool aviInterleaved(const AviSummary& s)
{
    return s.flags & avi::kFlagInterleaved;
}

// The information list of the frame selection screen for a summary.
QStringList aviInformationLines(const QString& path, const AviSummary& s);

// Reads the file once and gives its information list; an unreadable file is told to the operator
// once and listed with every value 0, False or empty.
QStringList FillFileInfo(const QString& path, Dialogs& dialogs);

// The uncompressed 24-bit frame request for a frame of the given size: rows padded to a multiple
// of 4 bytes (a 321 x 240 frame asks for 964 x 240 = 231360 bytes).
BitmapInfoHeader frameRequest(int width, int height);

} // namespace fw
