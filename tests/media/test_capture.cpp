// The capture engine on the demo camera: real recordings checked through the AVI reader and the
// decoder, a camera lost during a recording, recordings that cannot start, sound formats.

#include "StationFixture.h"
#include "media/CaptureEngine.h"
#include "media/VideoDecoder.h"
#include "review/AviHeader.h"
#include "support/FileChecks.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

// An engine on the demo camera at 160x120.
void connectDemo(CaptureEngine& engine, double fps)
{
    QVERIFY(engine.deviceCount() >= 1);
    QCOMPARE(engine.devices().last().name, CaptureEngine::demoCameraName());
    QVERIFY(engine.connectDevice(engine.deviceCount() - 1));
    engine.setResolution(0);
    engine.setFrameRate(fps);
}

// Every frame of the file decodes; gives how many.
int decodeAll(const QString& path)
{
    MediaFailure failure;
    auto decoder = VideoDecoder::open(path, &failure);
    if (!decoder)
        return -1;
    int frames = 0;
    for (;;) {
        auto next = decoder->next();
        if (!next || !next.value())
            break;
        ++frames;
    }
    return frames;
}

} // namespace

class TestCapture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A recording of a set time: the file's header, the counters and every frame decoding; each
    // compressor gives a file the station reads; sound in the chosen format.
    void recordingsFromTheDemoCamera();
    // The camera goes away mid-recording: the engine says so, and the file plays to its end. The
    // disk fills mid-recording: the operator is told once, in plain words, and the engine is idle
    // and records again.
    void lostCameraOrFullDisk();
    // Recordings that cannot start leave no file and an idle engine; no device at all.
    void refusedStarts();
    void soundFormats();
    // Stills of the Frames mode: caption, quality, progressive scan and auto-increment in the
    // file; the clipboard without AutoSave; a series at the interval, each still a fresh picture,
    // until stopped or a still fails.
    void stills();
};

void TestCapture::recordingsFromTheDemoCamera()
{
    StationFixture f;
    CaptureEngine engine;
    connectDemo(engine, 30);
    QSignalSpy status(&engine, &CaptureEngine::status);
    QSignalSpy ended(&engine, &CaptureEngine::captureEnded);

    // Motion JPEG, ended by the engine's own time limit after 3 seconds.
    const QString mjpeg = f.path(QStringLiteral("mjpeg.avi"));
    engine.setStreamFile(mjpeg);
    engine.setTimeLimit_s(3);
    engine.setAudioDevice(0);
    engine.setSoundFormat({22050, 2, 16});
    QVERIFY(engine.startCapture());
    QVERIFY(engine.isCapturing());
    QVERIFY(ended.wait(6000));
    engine.stopCapture();
    QVERIFY(!engine.isCapturing());
    // A busy machine may drop a frame; its slot stays in the file.
    QCOMPARE(engine.framesCaptured() + engine.framesDropped(), 90);
    QVERIFY(engine.elapsed_ms() >= 2900);
    QCOMPARE(engine.audioSamples(), 90 * 22050 / 30);
    QTRY_VERIFY(!status.isEmpty() && status.last().at(0).toInt() == capture_status::kEnded);
    bool counters = false;
    for (const auto& s : status)
        counters = counters || s.at(0).toInt() == capture_status::kCounters;
    QVERIFY(counters);

    QVERIFY(IsAviFile(mjpeg, f.dialogs));
    const Result<AviHeader> header = readAviHeader(mjpeg);
    QVERIFY2(header.ok(), qPrintable(header.message()));
    QCOMPARE(header->summary.length, 90u);
    QCOMPARE(aviFrameRate(header->summary), 30);
    QCOMPARE(header->summary.width, 160u);
    QCOMPARE(header->summary.streams, 2u);
    QVERIFY(aviAllKeyFrames(header->summary) || header->video.indexedKeyFrames == 90);
    QVERIFY(decodeAll(mjpeg) >= engine.framesCaptured());

    // Each other compressor, stopped by the operator: the file holds what was counted.
    engine.setTimeLimit_s(0);
    engine.setAudioDevice(-1);
    const QStringList names = engine.compressors();
    for (int c = -1; c < names.size(); ++c) {
        if (c >= 0 && names[c] == CaptureEngine::motionJpeg())
            continue;
        engine.setCompressor(c);
        const QString path = f.path(QStringLiteral("c%1.avi").arg(c + 1));
        engine.setStreamFile(path);
        QVERIFY(engine.startCapture());
        QTest::qWait(400);
        engine.stopCapture();
        const int frames = engine.framesCaptured();
        QVERIFY(frames >= 5);
        const Result<AviHeader> h = readAviHeader(path);
        QVERIFY2(h.ok(), qPrintable(h.message()));
        QCOMPARE(int(h->summary.length), frames + engine.framesDropped());
        QVERIFY(decodeAll(path) >= frames);
    }
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestCapture::lostCameraOrFullDisk()
{
    StationFixture f;
    CaptureEngine engine;
    connectDemo(engine, 25);
    QSignalSpy ended(&engine, &CaptureEngine::captureEnded);
    QSignalSpy changes(&engine, &CaptureEngine::deviceChange);
    const QString path = f.path(QStringLiteral("lost.avi"));
    engine.setStreamFile(path);
    QVERIFY(engine.startCapture());
    QTest::qWait(500);
    engine.setDemoCameraPlugged(false);
    QVERIFY(ended.wait(3000));
    QVERIFY(ended.first().at(0).toString().contains(QStringLiteral("went away")));
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().at(0).toInt(), 1);
    QCOMPARE(changes.first().at(1).toString(), CaptureEngine::demoCameraName());
    engine.stopCapture();
    const int frames = engine.framesCaptured();
    QVERIFY(frames > 5);
    const Result<AviHeader> header = readAviHeader(path);
    QVERIFY2(header.ok(), qPrintable(header.message()));
    QCOMPARE(int(header->summary.length), frames + engine.framesDropped());
    QVERIFY(decodeAll(path) >= frames);
    // The camera is gone from the list; a new recording cannot start.
    QCOMPARE(engine.deviceCount(), 0);
    QVERIFY(!engine.isConnected());
    engine.setDemoCameraPlugged(true);
    QCOMPARE(changes.last().at(0).toInt(), 0);
    QCOMPARE(engine.deviceCount(), 1);

#if defined(Q_OS_LINUX)
    // A file that leads to /dev/full: every write of it fails with "no space left".
    QSignalSpy warnings(&engine, &CaptureEngine::warning);
    QSignalSpy status(&engine, &CaptureEngine::status);
    QVERIFY(engine.connectDevice(0));
    engine.setResolution(0);
    const QString full = f.path(QStringLiteral("full.avi"));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
    engine.setStreamFile(full);
    QVERIFY(engine.startCapture());
    QVERIFY(ended.wait(3000));
    QCOMPARE(ended.last().at(0).toString(),
             QStringLiteral("The disk is full: %1 could not be written further.")
                 .arg(QDir::toNativeSeparators(full)));
    engine.stopCapture();
    QVERIFY(!engine.isCapturing());
    QTRY_VERIFY(!status.isEmpty() && status.last().at(0).toInt() == capture_status::kEnded);
    QCOMPARE(warnings.size(), 0); // captureEnded told it; stopping does not tell it again

    // Nothing of the failed recording stays with the engine: the next one is whole.
    const QString next = f.path(QStringLiteral("after.avi"));
    engine.setStreamFile(next);
    engine.setTimeLimit_s(1);
    QVERIFY(engine.startCapture());
    QVERIFY(ended.wait(3000));
    QCOMPARE(ended.last().at(0).toString(), CaptureEngine::timeLimitReason());
    engine.stopCapture();
    QCOMPARE(warnings.size(), 0);
    const Result<AviHeader> after = readAviHeader(next);
    QVERIFY2(after.ok(), qPrintable(after.message()));
    QCOMPARE(int(after->summary.length), 25);
    QCOMPARE(engine.framesCaptured() + engine.framesDropped(), 25);
#endif
}

void TestCapture::refusedStarts()
{
    StationFixture f;
    CaptureEngine engine;
    QSignalSpy warnings(&engine, &CaptureEngine::warning);
    connectDemo(engine, 30);
    const QString missing = f.path(QStringLiteral("no such folder/x.avi"));
    engine.setStreamFile(missing);
    QVERIFY(!engine.startCapture());
    QVERIFY(!engine.isCapturing());
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().at(0).toString().contains(QStringLiteral("does not exist")));
    QVERIFY(!QFile::exists(missing));

    // A folder that cannot be written: the reason in words, no file.
    const QString locked = f.makeFolder(QStringLiteral("locked"));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    const QString inLocked = locked + QStringLiteral("/x.avi");
    engine.setStreamFile(inLocked);
    if (!QFile(inLocked).open(QIODevice::WriteOnly)) {
        QVERIFY(!engine.startCapture());
        QCOMPARE(warnings.size(), 2);
        QVERIFY(warnings.last().at(0).toString().contains(QStringLiteral("could not be created")));
        QVERIFY(!QFile::exists(inLocked));
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A station with no source at all.
    CaptureEngine none;
    none.setDeviceLister({});
    none.setDemoCameraListed(false);
    QCOMPARE(none.deviceCount(), 0);
    QVERIFY(!none.connectDevice(0));
    QVERIFY(!none.startCapture());
}

void TestCapture::soundFormats()
{
    const QStringList entries = soundFormatEntries();
    QCOMPARE(entries.size(), 16);
    QCOMPARE(entries[7], QStringLiteral("22.050 Khz, 16 Bit, Stereo"));
    QCOMPARE(soundFormatFromEntry(7, entries[7], {}), (SoundFormat{22050, 2, 16}));
    QCOMPARE(entries[12], QStringLiteral("44.100 Khz, 8 Bit, Mono"));
    QCOMPARE(soundFormatFromEntry(12, entries[12], {}), (SoundFormat{44100, 1, 8}));
    // A text without a blank after its first character keeps the rate.
    QCOMPARE(soundFormatFromEntry(3, QStringLiteral("x"), {32000, 1, 8}),
             (SoundFormat{32000, 2, 16}));
    QCOMPARE(soundFormatText({22050, 2, 16}), QStringLiteral("22.050 Khz, 16 bit, Stereo"));
}

void TestCapture::stills()
{
    StationFixture f;
    CaptureEngine engine;
    connectDemo(engine, 30);
    QSignalSpy warnings(&engine, &CaptureEngine::warning);
    auto bytes = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    // Pixels of row band [top, top + 12) that differ by more than 40 in any channel.
    auto changed = [](const QImage& a, const QImage& b, int top) {
        int n = 0;
        for (int y = top; y < top + 12; ++y)
            for (int x = 0; x < a.width(); ++x) {
                const QRgb p = a.pixel(x, y);
                const QRgb q = b.pixel(x, y);
                n += std::abs(qRed(p) - qRed(q)) > 40 || std::abs(qGreen(p) - qGreen(q)) > 40 ||
                     std::abs(qBlue(p) - qBlue(q)) > 40;
            }
        return n;
    };

    StillSettings& still = engine.stills;
    still.filePath = f.path(QStringLiteral("plain.jpg"));
    QVERIFY(engine.captureFrame());
    QVERIFY(!engine.takingStills());
    const QByteArray plain = bytes(still.filePath);
    QVERIFY(plain.contains("\xff\xc0") && !plain.contains("\xff\xc2")); // baseline scan
    const QImage plainPicture = QImage::fromData(plain);
    QCOMPARE(plainPicture.size(), QSize(160, 120));

    // The caption at its place and nowhere else, in a progressive file; a lower quality gives a
    // smaller file.
    still.caption = QStringLiteral("WWWWWWWW");
    still.captionLeft = 20;
    still.captionTop = 60;
    still.progressive = true;
    still.filePath = f.path(QStringLiteral("caption.jpg"));
    QVERIFY(engine.captureFrame());
    const QByteArray captioned = bytes(still.filePath);
    QVERIFY(captioned.contains("\xff\xc2"));
    const QImage captionPicture = QImage::fromData(captioned);
    QVERIFY(changed(plainPicture, captionPicture, 60) > 20);
    QCOMPARE(changed(plainPicture, captionPicture, 96), 0);
    still.chromFactor = 200;
    still.lumFactor = 20;
    still.filePath = f.path(QStringLiteral("low.jpg"));
    QVERIFY(engine.captureFrame());
    QVERIFY(bytes(still.filePath).size() < captioned.size());

    // Auto-increment keeps the first file and numbers the next.
    still.autoIncrement = true;
    still.filePath = f.path(QStringLiteral("caption.jpg"));
    QVERIFY(engine.captureFrame());
    QCOMPARE(bytes(still.filePath), captioned);
    QVERIFY(QFile::exists(f.path(QStringLiteral("caption1.jpg"))));

    // Without AutoSave the still goes to the clipboard and no file is written.
    still.autoSave = false;
    still.interval = 1; // no series without AutoSave
    still.filePath = f.path(QStringLiteral("clip.jpg"));
    QGuiApplication::clipboard()->clear();
    QVERIFY(engine.captureFrame());
    QVERIFY(!engine.takingStills());
    QVERIFY(!QFile::exists(still.filePath));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(160, 120));

    // A series after the live picture was on and went off: each still is taken afresh (the
    // camera's clock moves on), until stopped.
    QSignalSpy pictures(&engine, &CaptureEngine::previewFrame);
    engine.setPreviewShown(true);
    engine.setPreview(true);
    QVERIFY(pictures.wait(2000));
    engine.setPreview(false);
    still.autoSave = true;
    still.caption.clear();
    still.filePath = f.path(QStringLiteral("series.jpg"));
    QVERIFY(engine.captureFrame());
    QVERIFY(engine.takingStills());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(f.path(QStringLiteral("series2.jpg"))), 5000);
    engine.stopStills();
    QVERIFY(!engine.takingStills());
    const QByteArray s0 = bytes(f.path(QStringLiteral("series.jpg")));
    const QByteArray s1 = bytes(f.path(QStringLiteral("series1.jpg")));
    QVERIFY(!s0.isEmpty() && !s1.isEmpty() && s0 != s1);
    QTest::qWait(1300);
    QVERIFY(!QFile::exists(f.path(QStringLiteral("series3.jpg"))));
    QCOMPARE(warnings.size(), 0);

    // A still that cannot be written says why and starts no series.
    still.filePath = f.path(QStringLiteral("no such folder/x.jpg"));
    QVERIFY(!engine.captureFrame());
    QVERIFY(!engine.takingStills());
    QCOMPARE(warnings.size(), 1);
}

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
