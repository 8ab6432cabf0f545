#include "review/AviHeader.h"

#include "support/dialogs.h"

#include <QFile>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>

namespace fw {

namespace {

constexpr int kMaxListDepth = 4;
constexpr qint64 kIndexBlockBytes = 64 * 1024;

std::uint32_t fourcc(const char (&s)[5])
{
    return qFromLittleEndian<std::uint32_t>(reinterpret_cast<const unsigned char*>(s));
}

std::uint32_t u32(const unsigned char* p)
{
    return qFromLittleEndian<std::uint32_t>(p);
}
std::uint16_t u16(const unsigned char* p)
{
    return qFromLittleEndian<std::uint16_t>(p);
}
std::uint64_t u64(const unsigned char* p)
{
    return qFromLittleEndian<std::uint64_t>(p);
}

// Codecs whose every frame stands on its own: a file of them without an index still has only
// key frames.
bool intraOnly(const AviVideoStream& v)
{
    static const char* const kIntra[] = {"MJPG", "mjpg", "AVRn", "LJPG", "jpeg", "JPGL",
                                         "dmb1", "DIB ", "RGB ", "RAW ", "dvsd", "dvhd",
                                         "HFYU", "FFV1", "MJLS", "UYVY", "YUY2", "YV12"};
    const QByteArray tags[] = {
        v.handler, v.hasFormat ? QByteArray(reinterpret_cast<const char*>(&v.format.compression), 4)
                               : QByteArray()};
    if (v.hasFormat && (v.format.compression == 0 || v.format.compression == 3))
        return true;
    for (const QByteArray& tag : tags) {
        for (const char* intra : kIntra) {
            if (tag == QByteArray(intra, 4))
                return true;
        }
    }
    return false;
}

// Uncompressed RGB: BI_RGB, BI_BITFIELDS or an RGB four-character code.
bool uncompressedRgb(const AviVideoStream& v)
{
    if (!v.hasFormat)
        return false;
    const std::uint32_t c = v.format.compression;
    return c == 0 || c == 3 || c == fourcc("DIB ") || c == fourcc("RGB ") || c == fourcc("RAW ");
}

// Walks the chunks of one file. Every read is checked against the file's size; sizes read from
// the file only ever bound loops and reads, they never size an allocation.
class RiffWalker {
public:
    explicit RiffWalker(QFile& file) : m_file(file), m_fileSize(file.size()) {}

    bool read(AviHeader& out);

private:
    struct Chunk {
        std::uint32_t id = 0;
        std::uint32_t size = 0;
        qint64 data = 0; // first byte of the data
        qint64 end = 0;  // one past the data, within the parent
        qint64 next = 0; // the next chunk (word aligned)
    };

    bool readAt(qint64 pos, unsigned char* buf, qint64 n)
    {
        if (pos < 0 || n < 0 || pos > m_fileSize || n > m_fileSize - pos)
            return false;
        return m_file.seek(pos) && m_file.read(reinterpret_cast<char*>(buf), n) == n;
    }

    // The chunk at pos inside [.., end); false when no complete chunk header fits.
    bool chunkAt(qint64 pos, qint64 end, Chunk& c)
    {
        unsigned char h[8];
        if (end - pos < 8 || !readAt(pos, h, 8))
            return false;
        c.id = u32(h);
        c.size = u32(h + 4);
        c.data = pos + 8;
        // A chunk that claims more than its parent holds (a cut-off recording) ends with it.
        c.end = std::min<qint64>(c.data + c.size, end);
        c.next = c.data + c.size + (c.size & 1);
        return true;
    }

    void walkList(qint64 begin, qint64 end, std::uint32_t listType, int depth, AviHeader& out);
    bool countMovieFrames(qint64 begin, qint64 end, int depth, const AviVideoStream& v,
                          qint64& frames);
    void readMainHeader(const Chunk& c, AviHeader& out);
    void readStreamList(qint64 begin, qint64 end, AviHeader& out);
    void readOldIndex(const Chunk& c, AviHeader& out);
    void readOpenDmlIndex(const Chunk& c, AviVideoStream& v);
    void readStandardIndex(qint64 entries, qint64 pos, qint64 end, AviVideoStream& v);

    QFile& m_file;
    qint64 m_fileSize = 0;
    bool m_hasMainHeader = false;
    int m_streamCount = 0;
    std::uint32_t m_microSecPerFrame = 0;
    std::uint32_t m_totalFrames = 0;
    std::uint32_t m_odmlTotalFrames = 0;
    qint64 m_moviList = -1; // the position of the "movi" type of the movie list
    qint64 m_moviEnd = -1;
    qint64 m_openDmlBytesRead = 0;
    QSet<qint64> m_openDmlChunks;
};

bool RiffWalker::read(AviHeader& out)
{
    unsigned char head[12];
    if (!readAt(0, head, 12) || u32(head) != fourcc("RIFF") || u32(head + 8) != fourcc("AVI "))
        return false;
    const qint64 riffEnd = std::min<qint64>(8 + qint64(u32(head + 4)), m_fileSize);
    walkList(12, riffEnd, fourcc("AVI "), 0, out);
    if (!m_hasMainHeader)
        return false;

    AviSummary& s = out.summary;
    AviVideoStream& v = out.video;
    if (v.present) {
        s.scale = v.scale;
        s.rate = v.rate;
    } else {
        // A file without video keeps its time in microseconds per frame.
        s.scale = m_microSecPerFrame;
        s.rate = m_microSecPerFrame ? 1000000 : 0;
    }
    if (v.present && v.length > 0)
        s.length = v.length;
    else if (m_odmlTotalFrames > 0)
        s.length = m_odmlTotalFrames;
    else
        s.length = m_totalFrames;
    if (v.present && m_moviList >= 0 && (!v.indexed || s.length == 0)) {
        // A recording that was never closed: its frames are counted where they lie, up to the
        // last complete one.
        qint64 frames = 0;
        countMovieFrames(m_moviList + 4, m_moviEnd, 0, v, frames);
        s.length =
            std::uint32_t(std::min<qint64>(frames, std::numeric_limits<std::uint32_t>::max()));
        v.length = s.length;
        out.recovered = true;
    }
    if ((s.width == 0 || s.height == 0) && v.hasFormat) {
        s.width = std::uint32_t(std::abs(qint64(v.format.width)));
        s.height = std::uint32_t(std::abs(qint64(v.format.height)));
    }

    s.caps = avi::kCapCanRead;
    if (m_file.openMode() & QIODevice::WriteOnly)
        s.caps |= avi::kCapCanWrite;
    if (v.present) {
        const bool allKeys =
            v.indexed ? v.indexedFrames > 0 && v.indexedKeyFrames == v.indexedFrames : intraOnly(v);
        if (allKeys)
            s.caps |= avi::kCapAllKeyFrames;
        if (uncompressedRgb(v))
            s.caps |= avi::kCapNoCompression;
    }
    s.fileType = QByteArray("AVI File").leftJustified(64, '\0');
    return true;
}

void RiffWalker::walkList(qint64 begin, qint64 end, std::uint32_t listType, int depth,
                          AviHeader& out)
{
    if (depth > kMaxListDepth)
        return;
    Chunk c;
    for (qint64 pos = begin; chunkAt(pos, end, c); pos = c.next) {
        if (c.id == fourcc("LIST") && c.end - c.data >= 4) {
            unsigned char type[4];
            if (!readAt(c.data, type, 4))
                return;
            const std::uint32_t t = u32(type);
            if (t == fourcc("hdrl") || t == fourcc("odml"))
                walkList(c.data + 4, c.end, t, depth + 1, out);
            else if (t == fourcc("strl"))
                readStreamList(c.data + 4, c.end, out);
            else if (t == fourcc("movi") && m_moviList < 0) {
                m_moviList = c.data;
                m_moviEnd = c.end;
            }
        } else if (c.id == fourcc("avih") && listType == fourcc("hdrl")) {
            readMainHeader(c, out);
        } else if (c.id == fourcc("dmlh") && listType == fourcc("odml")) {
            unsigned char total[4];
            if (c.end - c.data >= 4 && readAt(c.data, total, 4))
                m_odmlTotalFrames = u32(total);
        } else if (c.id == fourcc("idx1") && listType == fourcc("AVI ")) {
            readOldIndex(c, out);
        }
    }
}

// Counts the video chunks of the movie list (an empty one holds the slot of a dropped frame),
// stopping at the first chunk that the file cuts off or that is not a chunk at all. False when it
// stopped there.
bool RiffWalker::countMovieFrames(qint64 begin, qint64 end, int depth, const AviVideoStream& v,
                                  qint64& frames)
{
    if (depth > kMaxListDepth || v.number < 0 || v.number > 99)
        return false;
    const unsigned char tens = '0' + v.number / 10;
    const unsigned char ones = '0' + v.number % 10;
    Chunk c;
    for (qint64 pos = begin; chunkAt(pos, end, c); pos = c.next) {
        if (c.data + qint64(c.size) > end)
            return false; // cut off
        unsigned char id[4];
        qToLittleEndian<std::uint32_t>(c.id, id);
        const bool printable = std::all_of(std::begin(id), std::end(id),
                                           [](unsigned char b) { return b >= 0x20 && b < 0x7F; });
        if (!printable)
            return false;
        if (c.id == fourcc("LIST")) {
            unsigned char type[4];
            if (c.size >= 4 && readAt(c.data, type, 4) && u32(type) == fourcc("rec ") &&
                !countMovieFrames(c.data + 4, c.end, depth + 1, v, frames))
                return false;
        } else if (id[0] == tens && id[1] == ones && id[2] == 'd' &&
                   (id[3] == 'c' || id[3] == 'b')) {
            ++frames;
        }
    }
    return true;
}

void RiffWalker::readMainHeader(const Chunk& c, AviHeader& out)
{
    // dwMicroSecPerFrame .. dwHeight: ten 32-bit values.
    unsigned char h[40];
    if (m_hasMainHeader || c.end - c.data < 40 || !readAt(c.data, h, 40))
        return;
    m_hasMainHeader = true;
    AviSummary& s = out.summary;
    m_microSecPerFrame = u32(h);
    s.maxBytesPerSec = u32(h + 4);
    s.flags = u32(h + 12);
    m_totalFrames = u32(h + 16);
    s.streams = u32(h + 24);
    s.suggestedBufferSize = u32(h + 28);
    s.width = u32(h + 32);
    s.height = u32(h + 36);
}

void RiffWalker::readStreamList(qint64 begin, qint64 end, AviHeader& out)
{
    const int number = m_streamCount++;
    AviVideoStream& v = out.video;
    Chunk c;
    bool thisIsVideo = false;
    for (qint64 pos = begin; chunkAt(pos, end, c); pos = c.next) {
        if (c.id == fourcc("strh")) {
            // fccType .. dwLength: 40 bytes; rcFrame follows at 48 in the full header.
            unsigned char h[56] = {};
            const qint64 n = std::min<qint64>(c.end - c.data, 56);
            if (n < 40 || !readAt(c.data, h, n))
                continue;
            if (v.present || u32(h) != fourcc("vids"))
                continue;
            thisIsVideo = true;
            v.present = true;
            v.number = number;
            v.handler = QByteArray(reinterpret_cast<const char*>(h + 4), 4);
            v.scale = u32(h + 20);
            v.rate = u32(h + 24);
            v.length = u32(h + 32);
            if (n >= 56) {
                v.frameLeft = std::int16_t(u16(h + 48));
                v.frameTop = std::int16_t(u16(h + 50));
                v.frameRight = std::int16_t(u16(h + 52));
                v.frameBottom = std::int16_t(u16(h + 54));
            }
        } else if (c.id == fourcc("strf") && thisIsVideo && !v.hasFormat) {
            unsigned char f[BitmapInfoHeader::kBytes];
            if (c.end - c.data >= BitmapInfoHeader::kBytes &&
                readAt(c.data, f, BitmapInfoHeader::kBytes)) {
                v.format = BitmapInfoHeader::fromBytes(f);
                v.hasFormat = true;
            }
        } else if (c.id == fourcc("indx") && thisIsVideo) {
            readOpenDmlIndex(c, v);
        }
    }
}

void RiffWalker::readOldIndex(const Chunk& c, AviHeader& out)
{
    AviVideoStream& v = out.video;
    if (!v.present || v.openDmlIndex || v.number > 99)
        return;
    const char tens = char('0' + v.number / 10);
    const char ones = char('0' + v.number % 10);
    unsigned char block[kIndexBlockBytes];
    qint64 frames = 0, keys = 0;
    for (qint64 pos = c.data; c.end - pos >= 16;) {
        const qint64 n = std::min<qint64>((c.end - pos) / 16 * 16, kIndexBlockBytes);
        if (!readAt(pos, block, n))
            break;
        for (qint64 i = 0; i < n; i += 16) {
            const unsigned char* e = block + i;
            const bool video =
                e[0] == tens && e[1] == ones && ((e[2] == 'd' && (e[3] == 'c' || e[3] == 'b')));
            if (!video || u32(e + 12) == 0) // an empty entry repeats the frame before
                continue;
            ++frames;
            if (u32(e + 4) & 0x10)
                ++keys;
        }
        pos += n;
    }
    v.indexed = true;
    v.indexedFrames = frames;
    v.indexedKeyFrames = keys;
}

void RiffWalker::readOpenDmlIndex(const Chunk& c, AviVideoStream& v)
{
    // wLongsPerEntry, bIndexSubType, bIndexType, nEntriesInUse, dwChunkId, 3 reserved.
    unsigned char h[24];
    if (v.openDmlIndex || c.end - c.data < 24 || !readAt(c.data, h, 24))
        return;
    const int indexType = h[3];
    const qint64 inUse = u32(h + 4);
    if (indexType == 1) {
        // A standard index right here: base offset and reserved follow the header.
        v.openDmlIndex = true;
        v.indexed = true;
        readStandardIndex(inUse, c.data + 32, c.end, v);
        return;
    }
    if (indexType != 0 || u16(h) != 4)
        return;
    // An index of indexes: each entry names one standard index chunk ("ix##") in the file.
    const qint64 entries = std::min<qint64>(inUse, (c.end - c.data - 24) / 16);
    v.openDmlIndex = true;
    v.indexed = true;
    v.indexedFrames = 0;
    v.indexedKeyFrames = 0;
    for (qint64 i = 0; i < entries; ++i) {
        unsigned char e[16];
        if (!readAt(c.data + 24 + i * 16, e, 16))
            break;
        const std::uint64_t offset = u64(e);
        if (offset > std::uint64_t(m_fileSize) || m_openDmlChunks.contains(qint64(offset)))
            continue;
        m_openDmlChunks.insert(qint64(offset));
        Chunk ix;
        if (!chunkAt(qint64(offset), m_fileSize, ix) || ix.end - ix.data < 32)
            continue;
        unsigned char ih[32];
        if (!readAt(ix.data, ih, 32) || ih[3] != 1 || u16(ih) != 2)
            continue;
        // Overlapping or repeated chunks must not make the reading longer than the file.
        m_openDmlBytesRead += ix.end - ix.data;
        if (m_openDmlBytesRead > m_fileSize)
            break;
        readStandardIndex(u32(ih + 4), ix.data + 32, ix.end, v);
    }
}

void RiffWalker::readStandardIndex(qint64 entries, qint64 pos, qint64 end, AviVideoStream& v)
{
    entries = std::min<qint64>(entries, std::max<qint64>(0, (end - pos) / 8));
    unsigned char block[kIndexBlockBytes];
    while (entries > 0) {
        const qint64 n = std::min<qint64>(entries * 8, kIndexBlockBytes);
        if (!readAt(pos, block, n))
            return;
        for (qint64 i = 0; i < n; i += 8) {
            const std::uint32_t size = u32(block + i + 4);
            if ((size & 0x7FFFFFFF) == 0)
                continue;
            ++v.indexedFrames;
            if (!(size & 0x80000000)) // the top bit marks a frame that is not a key frame
                ++v.indexedKeyFrames;
        }
        pos += n;
        entries -= n / 8;
    }
}

} // namespace

Result<AviHeader> readAviHeader(const QString& path)
{
    QFile file(path);
    // Opened for writing too when allowed, to learn whether the file could be written; nothing is
    // ever written.
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) &&
        !file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly))
        return Result<AviHeader>::failure(QStringLiteral("Unable to open file:\r\n") + path);
    AviHeader header;
    RiffWalker walker(file);
    if (!walker.read(header))
        return Result<AviHeader>::failure(QStringLiteral("Unable to read AVI file info from:\r\n") +
                                          path);
    return header;
}

bool ReadAviSummary(const QString& path, AviSummary& summary, Dialogs& dialogs)
{
    const Result<AviHeader> header = readAviHeader(path);
    if (!header) {
        dialogs.message(header.message(), QString(), DialogIcon::Critical);
        summary = AviSummary();
        return false;
    }
    summary = header->summary;
    return true;
}

int aviFrameRate(const AviSummary& s)
{
    if (s.scale == 0)
        return 0;
    const double rate = std::nearbyint(double(s.rate) / double(s.scale)); // halves to even
    if (rate > double(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return int(rate);
}

QString aviFileType(const AviSummary& s)
{
    const qsizetype nul = s.fileType.indexOf('\0');
    return nul < 0 ? QString() : QString::fromLatin1(s.fileType.left(nul));
}

QStringList aviInformationLines(const QString& path, const AviSummary& s)
{
    auto yesNo = [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); };
    return {
        QStringLiteral("Filename: ") + path,
        QStringLiteral("File Type: ") + aviFileType(s),
        QStringLiteral("Height: ") + QString::number(s.height),
        QStringLiteral("Width: ") + QString::number(s.width),
        QStringLiteral("Length: ") + QString::number(s.length) + QStringLiteral(" frames"),
        QStringLiteral("Rate: ") + QString::number(aviFrameRate(s)) + QStringLiteral("fps"),
        QString(),
        QStringLiteral("=== dwCaps ==="),
        QStringLiteral("Compressed: ") + yesNo(aviCompressed(s)),
        QStringLiteral("All Key Frames: ") + yesNo(aviAllKeyFrames(s)),
        QStringLiteral("Can Read: ") + yesNo(aviCanRead(s)),
        QStringLiteral("Can Write: ") + yesNo(aviCanWrite(s)),
        QString(),
        QStringLiteral("=== dwFlags ==="),
        QStringLiteral("Contains Copyright Info: ") + yesNo(aviCopyrighted(s)),
        QStringLiteral("Capture File: ") + yesNo(aviCaptureFile(s)),
        QStringLiteral("Has Index: ") + yesNo(aviHasIndex(s)),
        QStringLiteral("Must Use Index: ") + yesNo(aviMustUseIndex(s)),
        QStringLiteral("Interleaved: ") + yesNo(aviInterleaved(s)),
    };
}

QStringList FillFileInfo(const QString& path, Dialogs& dialogs)
{
    AviSummary s;
    ReadAviSummary(path, s, dialogs);
    return aviInformationLines(path, s);
}

BitmapInfoHeader frameRequest(int width, int height)
{
    BitmapInfoHeader h;
    h.size = BitmapInfoHeader::kBytes;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = 24;
    h.compression = 0;
    const qint64 row = (qint64(std::max(width, 0)) * 3 + 3) / 4 * 4;
    const qint64 bytes = row * std::max(height, 0);
    h.sizeImage =
        bytes > qint64(std::numeric_limits<std::uint32_t>::max()) ? 0 : std::uint32_t(bytes);
    return h;
}

} // namespace fw
