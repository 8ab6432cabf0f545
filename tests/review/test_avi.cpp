// Reading video headers and grabbing frames: the information list of real videos, headers made
// by hand, damaged files, and grabbed bitmaps against FFmpeg's own plain decoding.

#include "../media/MakeVideo.h"
#include "StationFixture.h"
#include "media/FrameGrab.h"
#include "media/FramePlayerEngine.h"
#include "review/AviHeader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

using namespace fw;
using namespace fw::test;

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}
QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}
QByteArray chunk(const char* id, const QByteArray& data)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(data.size())) + data;
    if (data.size() & 1)
        c += '\0';
    return c;
}
QByteArray list(const char* type, const QByteArray& children)
{
    return chunk("LIST", QByteArray(type, 4) + children);
}
QByteArray riff(const QByteArray& body)
{
    return "RIFF" + le32(quint32(body.size() + 4)) + "AVI " + body;
}
QByteArray avih(quint32 flags, quint32 frames, quint32 streams, quint32 w, quint32 h)
{
    return chunk("avih", le32(33333) + le32(0) + le32(0) + le32(flags) + le32(frames) + le32(0) +
                             le32(streams) + le32(0) + le32(w) + le32(h) + QByteArray(16, '\0'));
}
QByteArray strh(const char* type, const char* handler, quint32 scale, quint32 rate, quint32 len)
{
    return chunk("strh", QByteArray(type, 4) + QByteArray(handler, 4) + le32(0) + le32(0) +
                             le32(0) + le32(scale) + le32(rate) + le32(0) + le32(len) + le32(0) +
                             le32(0) + le32(0) + le16(0) + le16(0) + le16(64) + le16(48));
}
QByteArray strfVideo(const char* compression)
{
    return chunk("strf", le32(40) + le32(64) + le32(48) + le16(1) + le16(24) +
                             QByteArray(compression, 4) + QByteArray(20, '\0'));
}
// A header-only video: one MJPEG stream of three frames indexed with the given key frame flags.
QByteArray handMade(quint32 scale, quint32 rate, QList<quint32> indexFlags, bool withVideo = true)
{
    const QByteArray streamList =
        withVideo ? list("strl", strh("vids", "MJPG", scale, rate, 3) + strfVideo("MJPG"))
                  : list("strl", strh("auds", "\0\0\0\0", 1, 8000, 3));
    QByteArray movi, idx;
    quint32 offset = 4;
    for (quint32 flags : indexFlags) {
        movi += chunk("00dc", "ab");
        idx += "00dc" + le32(flags) + le32(offset) + le32(2);
        offset += 10;
    }
    return riff(list("hdrl", avih(0x10 | 0x100, 3, 1, 64, 48) + streamList) + list("movi", movi) +
                chunk("idx1", idx));
}

// A finished recording made into what a crash or a full disk leaves: no index, no lengths, the
// sizes of the file and of the movie list never written, the last frame half written.
QByteArray cutOff(const QByteArray& whole)
{
    QByteArray b = whole.left(whole.indexOf("idx1"));
    b.chop(300);
    b.replace(4, 4, le32(0xFFFFFFFF));
    b.replace(b.indexOf("movi") - 4, 4, le32(0xFFFFFFFF));
    b.replace(b.indexOf("avih") + 8 + 16, 4, le32(0));
    b.replace(b.indexOf("strh") + 8 + 32, 4, le32(0));
    if (b.indexOf("dmlh") > 0)
        b.replace(b.indexOf("dmlh") + 8, 4, le32(0));
    return b;
}

QString videoIn(const StationFixture& f, const QString& name, const VideoRecipe& recipe)
{
    const QString path = f.path(name);
    const QString why = makeVideo(path, recipe);
    if (!why.isEmpty())
        qWarning("%s", qPrintable(why));
    return path;
}

} // namespace

class TestAvi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void informationListOfRealVideos_data();
    void informationListOfRealVideos();
    void handMadeHeaders();
    void damagedFilesAreRefusedNeverCrash();
    void grabEqualsPlainDecodeInAnyOrder_data();
    void grabEqualsPlainDecodeInAnyOrder();
    void grabFailuresKeepTheEarlierBitmap();
    void emptyChunksRepeatTheFrameBefore();
    void absurdFrameRatesAreRefused();
    void cutOffRecordingIsRecovered();
};

void TestAvi::informationListOfRealVideos_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("num");
    QTest::addColumn<int>("den");
    QTest::addColumn<int>("gop");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("compressed");
    QTest::addColumn<bool>("allKeys");
    QTest::newRow("raw 25") << "rawvideo" << 25 << 1 << 1 << 25 << false << true;
    // 30000 / 1001 = 29.97 reads as 30.
    QTest::newRow("mjpeg 29.97") << "mjpeg" << 30000 << 1001 << 1 << 30 << true << true;
    QTest::newRow("mpeg4 gop 10") << "mpeg4" << 25 << 1 << 10 << 25 << true << false;
}

void TestAvi::informationListOfRealVideos()
{
    QFETCH(QString, codec);
    QFETCH(int, num);
    QFETCH(int, den);
    QFETCH(int, gop);
    StationFixture f;
    const QByteArray c = codec.toLatin1();
    const QString path =
        videoIn(f, QStringLiteral("Smithjump3.avi"), {c.constData(), 80, 60, 24, num, den, gop});
    QFETCH(int, rate);
    QFETCH(bool, compressed);
    QFETCH(bool, allKeys);
    const auto yes = [](bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); };
    const QStringList lines = FillFileInfo(path, f.dialogs);
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("Filename: ") + path,
                        QStringLiteral("File Type: AVI File"),
                        QStringLiteral("Height: 60"),
                        QStringLiteral("Width: 80"),
                        QStringLiteral("Length: 24 frames"),
                        QStringLiteral("Rate: %1fps").arg(rate),
                        QString(),
                        QStringLiteral("=== dwCaps ==="),
                        QStringLiteral("Compressed: ") + yes(compressed),
                        QStringLiteral("All Key Frames: ") + yes(allKeys),
                        QStringLiteral("Can Read: True"),
                        QStringLiteral("Can Write: True"),
                        QString(),
                        QStringLiteral("=== dwFlags ==="),
                        QStringLiteral("Contains Copyright Info: False"),
                        QStringLiteral("Capture File: False"),
                        QStringLiteral("Has Index: True"),
                        QStringLiteral("Must Use Index: False"),
                        QStringLiteral("Interleaved: True"),
                    }));
}

void TestAvi::handMadeHeaders()
{
    StationFixture f;
    // Scale 0: the rate cannot be divided and reads 0.
    const QString zero = f.path(QStringLiteral("zero.avi"));
    QVERIFY(writeBytes(zero, handMade(0, 30, {0x10, 0x10, 0x10})));
    QCOMPARE(FillFileInfo(zero, f.dialogs).at(5), QStringLiteral("Rate: 0fps"));
    // Halves to even.
    AviSummary s;
    s.rate = 25, s.scale = 2; // 12.5
    QCOMPARE(aviFrameRate(s), 12);
    s.rate = 27, s.scale = 2; // 13.5
    QCOMPARE(aviFrameRate(s), 14);
    // Frame requests pad each row to 4 bytes.
    QCOMPARE(frameRequest(321, 240).sizeImage, 231360u);

    // No video stream: the header reads, the grab cannot work with it.
    const QString audio = f.path(QStringLiteral("audio.avi"));
    QVERIFY(writeBytes(audio, handMade(1, 30, {0x10}, false)));
    QVERIFY(readAviHeader(audio).ok());
    const QString bmp = f.path(QStringLiteral("out.bmp"));
    QVERIFY(grabFrame(audio, 0, bmp));
    QVERIFY(!QFile::exists(bmp));
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestAvi::damagedFilesAreRefusedNeverCrash()
{
    StationFixture f;
    const QString missing = f.path(QStringLiteral("missing.avi"));
    QCOMPARE(readAviHeader(missing).message(),
             QStringLiteral("Unable to open file:\r\n") + missing);
    const QByteArray good = handMade(1, 30, {0x10, 0x10, 0x10});
    const QList<QPair<const char*, QByteArray>> bad = {
        {"empty", QByteArray()},
        {"wave", "RIFF" + le32(40) + "WAVEfmt " + QByteArray(32, '\0')},
        {"cut in the main header", good.left(40)},
        // A list that claims four gigabytes, and lists nested far deeper than any video.
        {"huge main header", riff(list("hdrl", "avih" + le32(0xFFFFFFF0) + QByteArray(12, 'x')))},
        {"deep",
         riff(list("hdrl",
                   list("hdrl", list("hdrl", list("hdrl", list("hdrl", avih(0, 1, 1, 2, 2)))))))},
    };
    const QString path = f.path(QStringLiteral("bad.avi"));
    for (const auto& [what, bytes] : bad) {
        QVERIFY(writeBytes(path, bytes));
        const Result<AviHeader> h = readAviHeader(path);
        QVERIFY2(!h.ok(), what);
        QCOMPARE(h.message(), QStringLiteral("Unable to read AVI file info from:\r\n") + path);
    }
    // Shown once, and the list keeps its lines with nothing in them.
    f.dialogs.expectMessage();
    const QStringList lines = FillFileInfo(path, f.dialogs);
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.calls().first().icon, DialogIcon::Critical);
    QCOMPARE(lines.size(), 19);
    QCOMPARE(lines[2], QStringLiteral("Height: 0"));

    // An index of indexes that points at itself, and at a chunk of four billion entries.
    const QByteArray indx = le16(4) + QByteArray(1, '\0') + QByteArray(1, '\0') + le32(1000000) +
                            "00dc" + QByteArray(12, '\0');
    QByteArray loop =
        riff(list("hdrl", avih(0x10, 3, 1, 64, 48) +
                              list("strl", strh("vids", "MJPG", 1, 30, 3) + strfVideo("MJPG") +
                                               chunk("indx", indx))));
    const qsizetype indxAt = loop.indexOf("indx");
    QByteArray entries;
    for (int i = 0; i < 2000; ++i)
        entries += QByteArray::fromRawData("\0\0\0\0\0\0\0\0", 8) + le32(0) + le32(0);
    entries.replace(0, 8, QByteArray(reinterpret_cast<const char*>(&indxAt), 8));
    loop += chunk("ix00", le16(2) + QByteArray(1, '\0') + QByteArray(1, '\1') + le32(0xFFFFFFFF) +
                              QByteArray(24, '\0'));
    QVERIFY(writeBytes(path, loop + entries));
    QVERIFY(readAviHeader(path).ok());

    // Random damage to a real header: every outcome is a summary or a refusal.
    const QString real = videoIn(f, QStringLiteral("real.avi"), {"mjpeg", 64, 48, 30});
    const QByteArray bytes = readBytes(real);
    QRandomGenerator rng(7);
    for (int i = 0; i < 300; ++i) {
        QByteArray damaged = bytes;
        for (int k = 0; k < 4; ++k)
            damaged[rng.bounded(std::min<int>(400, int(damaged.size())))] = char(rng.bounded(256));
        if (i % 3 == 0)
            damaged.truncate(rng.bounded(int(damaged.size())));
        QVERIFY(writeBytes(path, damaged));
        const Result<AviHeader> h = readAviHeader(path);
        if (!h.ok())
            QVERIFY(h.message().startsWith(QLatin1String("Unable to read AVI file info from:")));
    }
    // A recording cut off before its index still gives its first frames.
    QVERIFY(writeBytes(path, bytes.left(bytes.size() * 2 / 3)));
    QVERIFY(readAviHeader(path).ok());
    QVERIFY(!grabFrame(path, 5, f.path(QStringLiteral("cut.bmp"))));
    QCOMPARE(bitmapRowsTopDown(readBytes(f.path(QStringLiteral("cut.bmp"))), 64, 48),
             plainDecodeBgr(real, 5));
}

void TestAvi::grabEqualsPlainDecodeInAnyOrder_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("gop");
    QTest::addColumn<int>("bFrames");
    QTest::newRow("mjpeg") << "mjpeg" << 40 << 1 << 0;
    QTest::newRow("uncompressed") << "rawvideo" << 40 << 1 << 0;
    // Key frames 12 apart: a frame in the middle of a group needs the exact seek.
    QTest::newRow("mpeg4 gop 12") << "mpeg4" << 40 << 12 << 0;
    QTest::newRow("mpeg4 -bf 2") << "mpeg4" << 40 << 12 << 2;
    QTest::newRow("h264 -bf 2, key frames 60 apart") << "libx264" << 130 << 60 << 2;
}

// Frame N is the Nth picture shown, whatever order the pictures are stored in: the first ones,
// those around each key frame and the last two, grabbed in an order that makes the decoder seek
// back and forth, against FFmpeg's own decoding from the start; the bitmap's rows are padded
// and stored bottom row first.
void TestAvi::grabEqualsPlainDecodeInAnyOrder()
{
    QFETCH(QString, codec);
    QFETCH(int, frames);
    QFETCH(int, gop);
    QFETCH(int, bFrames);
    StationFixture f;
    const QByteArray c = codec.toLatin1();
    const QString video =
        videoIn(f, QStringLiteral("v.avi"), {c.constData(), 66, 50, frames, 25, 1, gop, bFrames});
    QCOMPARE(int(readAviHeader(video)->summary.length), frames);
    QList<int> picks = {frames - 1, 0, 1, 2, frames - 2};
    for (int key = std::max(gop, 12); key < frames; key += std::max(gop, 12))
        picks << key + 1 << key << key - 1 << key - 2;
    const QString bmp = f.path(QStringLiteral("currentcapture.bmp"));
    for (int n : picks) {
        QVERIFY2(!grabFrame(video, n, bmp), qPrintable(QString::number(n)));
        const QByteArray file = readBytes(bmp);
        QCOMPARE(file.size(), 54 + (66 * 3 + 2) * 50);                  // rows padded to 200 bytes
        QCOMPARE(qFromLittleEndian<qint32>(file.constData() + 22), 50); // bottom row first
        QVERIFY2(bitmapRowsTopDown(file, 66, 50) == plainDecodeBgr(video, n),
                 qPrintable(QString::number(n)));
    }
    QVERIFY(grabFrame(video, frames, bmp)); // past the end
}

void TestAvi::grabFailuresKeepTheEarlierBitmap()
{
    StationFixture f;
    const QString video = videoIn(f, QStringLiteral("v.avi"), {"mjpeg", 64, 48, 10});
    const QString bmp = f.path(QStringLiteral("currentcapture.bmp"));
    QVERIFY(!grabFrame(video, 3, bmp));
    const QByteArray before = readBytes(bmp);
    auto past = grabFrame(video, 10, bmp);
    QVERIFY(past);
    QCOMPARE(past->message,
             QStringLiteral("There was an error working with the file:\r\n") + video);
    QVERIFY(past->reason.contains(QLatin1String("past the end")));
    auto unwritable = grabFrame(video, 2, f.path(QStringLiteral("no/such/folder/x.bmp")));
    QVERIFY(unwritable);
    QVERIFY(unwritable->message.startsWith(QLatin1String("Could not write to ")));
    // The system's own reason, not a guess.
    QVERIFY(!unwritable->reason.isEmpty());
    QVERIFY(unwritable->message.endsWith(QLatin1String(": ") + unwritable->reason));
    QVERIFY(unwritable->reason != QLatin1String("the file could not be written"));
    QCOMPARE(readBytes(bmp), before);
}

// A capture that drops frames keeps their slots as empty chunks: the frame numbers keep the
// camera's time, and a dropped frame shows the frame before it.
void TestAvi::emptyChunksRepeatTheFrameBefore()
{
    StationFixture f;
    VideoRecipe recipe{"mjpeg", 64, 48, 30};
    recipe.dropped = {5, 6, 20};
    const QString video = videoIn(f, QStringLiteral("drops.avi"), recipe);
    QCOMPARE(int(readAviHeader(video)->summary.length), 30);
    const QString bmp = f.path(QStringLiteral("currentcapture.bmp"));
    // The file's slot of each frame, and the picture decoded in sequence that shows there.
    const QList<QPair<int, int>> shown = {{4, 4},   {5, 4},   {6, 4},  {7, 5},
                                          {20, 17}, {21, 18}, {29, 26}};
    for (const auto& [slot, decoded] : shown) {
        QVERIFY2(!grabFrame(video, slot, bmp), qPrintable(QString::number(slot)));
        QVERIFY2(bitmapRowsTopDown(readBytes(bmp), 64, 48) == plainDecodeBgr(video, decoded),
                 qPrintable(QString::number(slot)));
    }
}

// A header whose frame rate no video can have (a scale of 0, one frame in 68 years, two billion
// frames a second) is refused with the station's message instead of frame positions computed
// from it; the information list still reads.
void TestAvi::absurdFrameRatesAreRefused()
{
    StationFixture f;
    const QString real = videoIn(f, QStringLiteral("real.avi"), {"mjpeg", 64, 48, 10});
    const QByteArray bytes = readBytes(real);
    const qsizetype strh = bytes.indexOf("strh");
    QVERIFY(strh > 0);
    const QString bmp = f.path(QStringLiteral("currentcapture.bmp"));
    const QList<QPair<quint32, quint32>> rates = {{0, 30}, {0x80000000u, 1}, {1, 0x7FFFFFFF}};
    for (const auto& [scale, rate] : rates) {
        QByteArray patched = bytes;
        patched.replace(strh + 8 + 20, 4, le32(scale));
        patched.replace(strh + 8 + 24, 4, le32(rate));
        const QString path = f.path(QStringLiteral("rate%1.avi").arg(scale));
        QVERIFY(writeBytes(path, patched));
        const auto failure = grabFrame(path, 3, bmp);
        QVERIFY2(failure, qPrintable(QString::number(scale)));
        QCOMPARE(failure->message,
                 QStringLiteral("There was an error working with the file:\r\n") + path);
        QVERIFY2(failure->reason.contains(QLatin1String("frame rate")),
                 qPrintable(failure->reason));
        QVERIFY(!QFile::exists(bmp));
        QCOMPARE(FillFileInfo(path, f.dialogs).size(), 19);
    }
}

// A recording cut off reads with the length of its complete frames, and each of them opens,
// steps and grabs; the half-written one is not a frame.
void TestAvi::cutOffRecordingIsRecovered()
{
    StationFixture f;
    const QString whole = videoIn(f, QStringLiteral("whole.avi"), {"mjpeg", 64, 48, 30});
    const QString path = f.path(QStringLiteral("Smithjump4.avi"));
    QVERIFY(writeBytes(path, cutOff(readBytes(whole))));
    const Result<AviHeader> h = readAviHeader(path);
    QVERIFY(h.ok());
    QVERIFY(h->recovered);
    QCOMPARE(aviInformationLines(path, h->summary).at(4), QStringLiteral("Length: 29 frames"));
    const QString bmp = f.path(QStringLiteral("currentcapture.bmp"));
    for (int n : {28, 0, 14}) {
        QVERIFY2(!grabFrame(path, n, bmp), qPrintable(QString::number(n)));
        QCOMPARE(bitmapRowsTopDown(readBytes(bmp), 64, 48), plainDecodeBgr(whole, n));
    }
    QVERIFY(grabFrame(path, 29, bmp));

    FramePlayerEngine player;
    QVERIFY(!player.open(path));
    QCOMPARE(player.properties().frameCount, 29);
    QVERIFY(player.properties().recovered);
    player.setPosition(40);
    QCOMPARE(player.position(), 28);
    QVERIFY(QTest::qWaitFor([&] { return player.shownFrame() == 28; }, 10000));
    player.setPosition(3);
    QVERIFY(QTest::qWaitFor([&] { return player.shownFrame() == 3; }, 10000));
    QByteArray rows;
    for (int y = 0; y < 48; ++y)
        rows +=
            QByteArray(reinterpret_cast<const char*>(player.picture().constScanLine(y)), 64 * 3);
    QCOMPARE(rows, plainDecodeBgr(whole, 3));
}

QTEST_GUILESS_MAIN(TestAvi)
#include "test_avi.moc"
