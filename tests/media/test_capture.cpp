// The capture engine on the demo camera: real recordings checked through the AVI reader and the
// decoder, a camera lost during a recording, recordings that cannot start, sound formats.

#include "StationFixture.h"
#include "media/CaptureEngine.h"
#include "media/VideoDecoder.h"
#include "review/AviHeader.h"
#include "support/FileChecks.h"

#include <QDir>
#include <QFile>
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
    // The camera goes away mid-recording: the engine says so, and the file plays to its end.
    void lostCameraLeavesAPlayableFile();
    // Recordings that cannot start leave no file and an idle engine; no device at all.
    void refusedStarts();
    void soundFormats();
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

void TestCapture::lostCameraLeavesAPlayableFile()
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

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
