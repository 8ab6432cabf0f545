#include "media/FrameGrab.h"

#include "review/AviHeader.h"
#include "support/cDIB.h"

#include <QSaveFile>

#include <cstring>

namespace fw {

QByteArray packedBitmap(const QImage& bgr)
{
    const BitmapInfoHeader header = frameRequest(bgr.width(), bgr.height());
    if (bgr.isNull() || bgr.format() != QImage::Format_BGR888 || header.sizeImage == 0)
        return QByteArray();
    const qsizetype row = qsizetype(header.sizeImage) / bgr.height();
    const qsizetype used = qsizetype(bgr.width()) * 3;
    QByteArray packed = header.toBytes();
    packed.resize(BitmapInfoHeader::kBytes + qsizetype(header.sizeImage), '\0');
    char* pixels = packed.data() + BitmapInfoHeader::kBytes;
    for (int y = 0; y < bgr.height(); ++y)
        std::memcpy(pixels + qsizetype(bgr.height() - 1 - y) * row, bgr.constScanLine(y),
                    size_t(used));
    return packed;
}

std::optional<MediaFailure> grabFrame(const QString& video, int frame, const QString& bitmapPath)
{
    MediaFailure failure;
    std::unique_ptr<VideoDecoder> decoder = VideoDecoder::open(video, &failure);
    if (!decoder)
        return failure;
    if (frame < 0)
        return MediaFailure{mediatext::errorWorkingWithFile(video),
                            QStringLiteral("there is no frame %1").arg(frame)};
    const Result<FrameAnswer> answer = decoder->frameAt(frame);
    if (!answer)
        return MediaFailure{answer.message(), decoder->lastReason()};
    if (answer->pastEnd)
        return MediaFailure{mediatext::errorWorkingWithFile(video),
                            QStringLiteral("frame %1 is past the end of the video (last frame %2)")
                                .arg(frame)
                                .arg(answer->picture.number)};
    FrameConverter converter;
    const QImage bgr = converter.toBgr(answer->picture.frame.get());
    const QByteArray packed = packedBitmap(bgr);
    cDIB dib;
    if (packed.isEmpty() || !dib.CreateFromPackedDIBPointer(packed.constData(), packed.size()))
        return MediaFailure{
            mediatext::noDecompressor(),
            QStringLiteral("frame %1 could not be turned into a bitmap").arg(frame)};
    if (!dib.WriteToFile(bitmapPath)) {
        // Ask the file system for the reason, without touching the earlier file.
        QSaveFile probe(bitmapPath);
        QString reason = QStringLiteral("the file could not be written");
        if (!probe.open(QIODevice::WriteOnly))
            reason = probe.errorString();
        else
            probe.cancelWriting();
        return MediaFailure{QStringLiteral("Could not write to %1: %2").arg(bitmapPath, reason),
                            reason};
    }
    return std::nullopt;
}

} // namespace fw
