#include "media/FrameGrab.h"

#include "review/AviHeader.h"
#include "support/cDIB.h"
#include "support/textfile.h"

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

std::optional<MediaFailure> writeFrameBitmap(const QImage& bgr, const QString& bitmapPath)
{
    const QByteArray packed = packedBitmap(bgr);
    cDIB dib;
    if (packed.isEmpty() || !dib.CreateFromPackedDIBPointer(packed.constData(), packed.size()))
        return MediaFailure{mediatext::noDecompressor(),
                            QStringLiteral("the picture could not be turned into a bitmap")};
    // The bitmap file: its own header ("BM", size, pixel offset), then the packed bitmap.
    QByteArray file;
    file.reserve(qsizetype(dib.fileSize()));
    auto append = [&file](auto value) {
        for (std::size_t i = 0; i < sizeof value; ++i)
            file.append(char((std::uint64_t(value) >> (8 * i)) & 0xFF));
    };
    append(std::uint16_t(19778));
    append(std::uint32_t(dib.fileSize()));
    append(std::uint32_t(0));
    append(std::uint32_t(cDIB::kPixelOffset));
    file += dib.header().toBytes();
    file += dib.pixels();
    const Outcome written = replaceFile(bitmapPath, file);
    if (!written) {
        const QString message = written.message();
        const qsizetype colon = message.lastIndexOf(QLatin1String(": "));
        return MediaFailure{message, colon >= 0 ? message.mid(colon + 2) : message};
    }
    return std::nullopt;
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
    const VideoProperties& props = decoder->properties();
    if (props.recovered && frame >= props.frameCount)
        return MediaFailure{mediatext::errorWorkingWithFile(video),
                            QStringLiteral("frame %1 is past the last complete frame (%2) of a "
                                           "recording that was cut off")
                                .arg(frame)
                                .arg(props.frameCount - 1)};
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
    if (bgr.isNull())
        return MediaFailure{
            mediatext::noDecompressor(),
            QStringLiteral("frame %1 could not be turned into a bitmap").arg(frame)};
    return writeFrameBitmap(bgr, bitmapPath);
}

} // namespace fw
