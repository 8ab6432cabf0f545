#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace fw {

// The 40-byte bitmap information header, in its standard field order.
struct BitmapInfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;

    static constexpr int kBytes = 40;
    static BitmapInfoHeader fromBytes(const unsigned char* bytes);
    QByteArray toBytes() const;
};

// The station's device-independent bitmap: takes a decoded frame handed over as a packed bitmap
// (information header immediately followed by the pixel bytes) and writes it as a bitmap file.
// It owns copies of the header and the pixels, never the decoder's memory.
class cDIB {
public:
    static constexpr int kFileHeaderBytes = 14;
    static constexpr int kPixelOffset = kFileHeaderBytes + BitmapInfoHeader::kBytes;

    // Copies the header and the pixel bytes from a packed bitmap of `available` bytes. Refused
    // (false, the bitmap stays as it was) for fewer than 16 bits per pixel, an image size of 0,
    // or an image size larger than the bytes that follow the header.
    bool CreateFromPackedDIBPointer(const void* packed, qsizetype available);

    // Writes file header, information header and pixels, replacing any earlier file whole.
    // False when nothing was created or the file could not be written.
    bool WriteToFile(const QString& fileName) const;

    bool isEmpty() const { return m_pixels.isEmpty(); }
    const BitmapInfoHeader& header() const { return m_header; }
    const QByteArray& pixels() const { return m_pixels; }
    std::uint32_t fileSize() const { return m_fileSize; }

private:
    BitmapInfoHeader m_header;
    QByteArray m_pixels;
    std::uint32_t m_fileSize = 0;
};

} // namespace fw
