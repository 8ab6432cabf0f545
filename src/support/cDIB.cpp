#include "support/cDIB.h"

#include "support/textfile.h"

#include <QtEndian>

namespace fw {

namespace {

template <typename T>
T readLE(const unsigned char* p)
{
    return qFromLittleEndian<T>(p);
}

template <typename T>
void appendLE(QByteArray& out, T value)
{
    unsigned char buf[sizeof(T)];
    qToLittleEndian<T>(value, buf);
    out.append(reinterpret_cast<const char*>(buf), sizeof(T));
}

} // namespace

BitmapInfoHeader BitmapInfoHeader::fromBytes(const unsigned char* p)
{
    BitmapInfoHeader h;
    h.size = readLE<std::uint32_t>(p);
    h.width = readLE<std::int32_t>(p + 4);
    h.height = readLE<std::int32_t>(p + 8);
    h.planes = readLE<std::uint16_t>(p + 12);
    h.bitCount = readLE<std::uint16_t>(p + 14);
    h.compression = readLE<std::uint32_t>(p + 16);
    h.sizeImage = readLE<std::uint32_t>(p + 20);
    h.xPelsPerMeter = readLE<std::int32_t>(p + 24);
    h.yPelsPerMeter = readLE<std::int32_t>(p + 28);
    h.clrUsed = readLE<std::uint32_t>(p + 32);
    h.clrImportant = readLE<std::uint32_t>(p + 36);
    return h;
}

QByteArray BitmapInfoHeader::toBytes() const
{
    QByteArray out;
    out.reserve(kBytes);
    appendLE(out, size);
    appendLE(out, width);
    appendLE(out, height);
    appendLE(out, planes);
    appendLE(out, bitCount);
    appendLE(out, compression);
    appendLE(out, sizeImage);
    appendLE(out, xPelsPerMeter);
    appendLE(out, yPelsPerMeter);
    appendLE(out, clrUsed);
    appendLE(out, clrImportant);
    return out;
}

bool cDIB::CreateFromPackedDIBPointer(const void* packed, qsizetype available)
{
    if (!packed || available < BitmapInfoHeader::kBytes)
        return false;
    const auto* bytes = static_cast<const unsigned char*>(packed);
    const BitmapInfoHeader header = BitmapInfoHeader::fromBytes(bytes);
    if (header.bitCount < 16 || header.sizeImage < 1)
        return false;
    // Never read past the memory handed over, whatever the header claims.
    if (qint64(header.sizeImage) > qint64(available) - BitmapInfoHeader::kBytes ||
        qint64(header.sizeImage) > qint64(0xFFFFFFFFu) - kPixelOffset)
        return false;
    m_header = header;
    m_pixels = QByteArray(reinterpret_cast<const char*>(bytes + BitmapInfoHeader::kBytes),
                          qsizetype(header.sizeImage));
    m_fileSize = std::uint32_t(kPixelOffset) + header.sizeImage;
    return true;
}

bool cDIB::WriteToFile(const QString& fileName) const
{
    if (isEmpty())
        return false;
    QByteArray out;
    out.reserve(qsizetype(m_fileSize));
    appendLE<std::uint16_t>(out, 19778);  // "BM"
    appendLE<std::uint32_t>(out, m_fileSize);
    appendLE<std::uint16_t>(out, 0);
    appendLE<std::uint16_t>(out, 0);
    appendLE<std::uint32_t>(out, std::uint32_t(kPixelOffset));
    out += m_header.toBytes();
    out += m_pixels;
    return replaceFile(fileName, out).ok();
}

} // namespace fw
