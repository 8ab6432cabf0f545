#pragma once

// Small AVI videos made with FFmpeg inside the tests (and benchmarks), and FFmpeg's own plain
// decoding of them to compare the station's frames against.

#include <QByteArray>
#include <QList>
#include <QString>

namespace fw::test {

struct VideoRecipe {
    const char* codec = "mjpeg"; // an FFmpeg encoder: mjpeg, rawvideo, mpeg4, libx264
    int width = 64;
    int height = 48;
    int frames = 30;
    int rateNum = 30;
    int rateDen = 1;
    int keyFrameDistance = 1; // for the long-GOP codecs
    int bFrames = 0;          // pictures coded after the one they come before
    // Frames the "camera" never delivered: their slots stay in the file as empty chunks, as a
    // capture that drops frames writes them (only without B-frames).
    QList<int> dropped = {};
};

// Writes an AVI whose frames all differ (a gradient that moves and a bar that walks with the frame
// number). Empty when done, otherwise why not.
QString makeVideo(const QString& path, const VideoRecipe& recipe);

// Frame n of a video decoded by FFmpeg from the file's start without any seeking, in the order
// the pictures are shown, converted to 24-bit BGR: rows top first, width * 3 bytes each. Empty
// when there is no such frame.
QByteArray plainDecodeBgr(const QString& path, int n, int* width = nullptr, int* height = nullptr);

// A 24-bit bitmap file's pixel rows, top row first, without their padding: the form of
// plainDecodeBgr's result.
inline QByteArray bitmapRowsTopDown(const QByteArray& bmp, int w, int h)
{
    const int row = (w * 3 + 3) / 4 * 4;
    QByteArray out;
    for (int y = h - 1; y >= 0; --y)
        out += bmp.mid(54 + qsizetype(y) * row, qsizetype(w) * 3);
    return out;
}

} // namespace fw::test
