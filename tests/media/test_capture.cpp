// The capture engine on the demo camera and on cameras of the capture library's filter device:
// real recordings checked through the AVI reader and the decoder, a camera that keeps its own
// rate and opens slowly, a disk that fills, recordings that cannot start, sound formats.

#include "StationFixture.h"
#include "media/CaptureEngine.h"
#include "media/CaptureSources.h"
#include "media/DemoCamera.h"
#include "media/VideoDecoder.h"
#include "review/AviHeader.h"
#include "support/FileChecks.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

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
    for (auto next = decoder->next(); next && next.value(); next = decoder->next())
        ++frames;
    return frames;
}

// A camera through the capture library's filter device: its test pattern at 30 frames a second,
// delivered in real time whatever rate it is asked for, from the picture `skip_s` seconds in
// (which it takes that long to reach, as a slow camera takes to open).
CaptureDevice patternCamera(double skip_s = 0)
{
    CaptureDevice d;
    d.name = QStringLiteral("Pattern Camera");
    d.format = QStringLiteral("lavfi");
    d.url = QStringLiteral("testsrc=size=160x120:rate=30,realtime");
    if (skip_s > 0)
        d.url += QStringLiteral(",select=gte(t\\,%1)").arg(skip_s);
    d.resolutions = {QStringLiteral("160x120")};
    return d;
}

// A sound input through the capture library's filter device: a 440 Hz tone at `rate`, stereo,
// delivered in real time as a sound card does.
CaptureDevice toneInput(const QString& name, int rate)
{
    CaptureDevice d;
    d.name = name;
    d.format = QStringLiteral("lavfi");
    d.url = QStringLiteral("sine=f=440:r=%1,pan=stereo|c0=c0|c1=c0,arealtime").arg(rate);
    return d;
}

// The file's sound stream: its codec, rate, channels and the bytes of its packets.
struct SoundStream {
    int codec = AV_CODEC_ID_NONE;
    int rate = 0;
    int channels = 0;
    QByteArray data;
};

SoundStream readSound(const QString& path)
{
    SoundStream sound;
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return sound;
    const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index >= 0) {
        const AVCodecParameters* p = input->streams[index]->codecpar;
        sound.codec = p->codec_id;
        sound.rate = p->sample_rate;
        sound.channels = p->ch_layout.nb_channels;
        AVPacket* packet = av_packet_alloc();
        while (av_read_frame(input, packet) >= 0) {
            if (packet->stream_index == index)
                sound.data.append(reinterpret_cast<const char*>(packet->data), packet->size);
            av_packet_unref(packet);
        }
        av_packet_free(&packet);
    }
    avformat_close_input(&input);
    return sound;
}

} // namespace

class TestCapture : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A recording of a set time: the file's header, the counters and every frame decoding; each
    // compressor gives a file the station reads; sound in the chosen format.
    void recordingsFromTheDemoCamera();
    // A camera that takes a second to open and records 30 frames a second when 25 are asked:
    // the screen's thread runs on while it opens, and the file has the camera's rate and lasts
    // the set time (its name not in ASCII).
    void cameraKeepingItsOwnRate();
    // A disk that fills during the recording: the recording ends while there is room to finish
    // the file, which then reads whole; the operator is told why.
    void recordingEndsBeforeTheDiskIsFull();
    // A camera whose clock jumps (set anew, wrapped) mid-recording: the frame after the jump
    // follows the one before instead of leaving days of empty places, and the time limit still
    // ends the pass. The demo tone beside a camera keeps to the camera's own rate.
    void cameraClockJumps();
    // However late the first read comes (a slow sound input opening first), it is the course's
    // frame 0, so frame k of a recording is where the course says its landings are.
    void demoCameraStartsAtTheFirstRead();
    // Sound inputs come and go; the disk fills mid-recording: the operator is told once, in plain
    // words, and the engine is idle and records again.
    void soundInputsComeAndGoAndFullDisk();
    // Recordings that cannot start leave no file and an idle engine. (No device at all: the
    // capture screen's tests.)
    void refusedStarts();
    void soundFormats();
    // Stills of the Frames mode: caption and progressive scan in the file; the clipboard without
    // AutoSave; a numbered series at the interval, each still a fresh picture, until stopped or a
    // still fails.
    void stills();
};

void TestCapture::demoCameraStartsAtTheFirstRead()
{
    DemoCamera camera(QSize(64, 48), 30, nullptr);
    QTest::qSleep(400); // twelve frames' time, three more than the camera holds
    AVFrame* frame = av_frame_alloc();
    double first = -1, second = -1;
    QCOMPARE(camera.read(frame, first), 0);
    av_frame_unref(frame);
    QCOMPARE(camera.read(frame, second), 0);
    av_frame_free(&frame);
    QCOMPARE(first, 0.0);
    QCOMPARE(second, 1 / 30.0);
}

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
    engine.setAudioDevice(int(engine.audioDevices().indexOf(CaptureEngine::demoToneName())));
    engine.setSoundFormat({22050, 2, 16});
    QVERIFY(engine.startCapture());
    QVERIFY(ended.wait(20000));
    engine.stopCapture();
    QVERIFY(!engine.isCapturing());
    // A busy machine may drop a frame; its slot stays in the file.
    QCOMPARE(engine.framesCaptured() + engine.framesDropped(), 90);
    QCOMPARE(engine.audioSamples(), 90 * 22050 / 30);
    QTRY_VERIFY(!status.isEmpty() && status.last().at(0).toInt() == capture_status::kEnded);

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
        QTRY_VERIFY(engine.framesCaptured() >= 5);
        engine.stopCapture();
        const int frames = engine.framesCaptured();
        QVERIFY(frames >= 5);
        const Result<AviHeader> h = readAviHeader(path);
        QVERIFY2(h.ok(), qPrintable(h.message()));
        QCOMPARE(int(h->summary.length), frames + engine.framesDropped());
        QVERIFY(decodeAll(path) >= frames);
    }

    // Sound from an input of the capture library (as a sound card is read), converted to 8 bits:
    // the file holds about as many samples as the recording lasted, and they carry the tone.
    engine.setCompressor(0);
    engine.setAudioLister(
        [] { return QList<CaptureDevice>{toneInput(QStringLiteral("Line In"), 22050)}; });
    engine.setAudioDevice(0);
    engine.setSoundFormat({22050, 2, 8});
    engine.setTimeLimit_s(2);
    const QString input = f.path(QStringLiteral("input.avi"));
    engine.setStreamFile(input);
    QVERIFY(engine.startCapture());
    QVERIFY(ended.wait(20000));
    engine.stopCapture();
    const std::int64_t samples = engine.audioSamples();
    QVERIFY2(samples > 22050 && samples < 3 * 22050, qPrintable(QString::number(samples)));
    const SoundStream sound = readSound(input);
    QCOMPARE(sound.codec, int(AV_CODEC_ID_PCM_U8));
    QCOMPARE(sound.rate, 22050);
    QCOMPARE(sound.channels, 2);
    QCOMPARE(sound.data.size(), samples * 2);
    // The filter's sine has an amplitude of 1/8: 128 +- 16 in unsigned 8 bits.
    const auto [low, high] = std::minmax_element(
        sound.data.cbegin(), sound.data.cend(), [](char a, char b) { return uchar(a) < uchar(b); });
    QVERIFY(uchar(*low) >= 110 && uchar(*low) <= 114 && uchar(*high) >= 142 && uchar(*high) <= 146);
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestCapture::soundInputsComeAndGoAndFullDisk()
{
    StationFixture f;
    CaptureEngine engine;
    connectDemo(engine, 25);
    QSignalSpy ended(&engine, &CaptureEngine::captureEnded);
    QSignalSpy changes(&engine, &CaptureEngine::deviceChange);

    // Sound inputs come and go: each is reported once in its category, and the chosen one stays
    // chosen where it moved to, or no sound when it went away.
    QList<CaptureDevice> inputs{toneInput(QStringLiteral("Mic"), 22050),
                                toneInput(QStringLiteral("Line In"), 22050)};
    engine.setAudioLister([&inputs] { return inputs; });
    engine.setAudioDevice(1);
    inputs.removeFirst();
    inputs << toneInput(QStringLiteral("USB Mic"), 22050);
    engine.rescanDevices();
    QCOMPARE(engine.audioDevices(),
             (QStringList{QStringLiteral("Line In"), QStringLiteral("USB Mic"),
                          CaptureEngine::demoToneName()}));
    QCOMPARE(engine.audioDevice(), 0);
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes[0], (QVariantList{1, QStringLiteral("Mic"), CaptureEngine::audioCategory()}));
    QCOMPARE(changes[1],
             (QVariantList{0, QStringLiteral("USB Mic"), CaptureEngine::audioCategory()}));
    inputs.removeFirst();
    engine.rescanDevices();
    QCOMPARE(engine.audioDevice(), -1);
    QCOMPARE(changes.size(), 3);

#if defined(Q_OS_LINUX)
    // A file that leads to /dev/full: every write of it fails with "no space left".
    QSignalSpy warnings(&engine, &CaptureEngine::warning);
    QSignalSpy status(&engine, &CaptureEngine::status);
    const QString full = f.path(QStringLiteral("full.avi"));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), full));
    engine.setStreamFile(full);
    QVERIFY(engine.startCapture());
    QVERIFY(ended.wait(20000));
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
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended.last().at(0).toString(), CaptureEngine::timeLimitReason());
    engine.stopCapture();
    QCOMPARE(warnings.size(), 0);
    const Result<AviHeader> after = readAviHeader(next);
    QVERIFY2(after.ok(), qPrintable(after.message()));
    QCOMPARE(int(after->summary.length), 25);
#endif
}

void TestCapture::cameraKeepingItsOwnRate()
{
    StationFixture f;
    CaptureEngine engine;
    engine.setDeviceLister([] { return QList<CaptureDevice>{patternCamera(1.0)}; });
    QVERIFY(engine.connectDevice(0));
    engine.setFrameRate(25);
    engine.setTimeLimit_s(2);
    QSignalSpy status(&engine, &CaptureEngine::status);
    QSignalSpy started(&engine, &CaptureEngine::recordingStarted);
    QSignalSpy ended(&engine, &CaptureEngine::captureEnded);
    QSignalSpy warnings(&engine, &CaptureEngine::warning);
    const QString path = f.path(QStringLiteral("Müñoz Ærø 吉jump1.avi"));
    engine.setStreamFile(path);

    // Called off while the camera opens: no file, no warning, and the engine records again.
    QVERIFY(engine.startCapture());
    QVERIFY(engine.isOpening());
    engine.stopCapture();
    QVERIFY(!engine.isCapturing());
    QVERIFY(!QFileInfo::exists(path));
    QTRY_VERIFY(!status.isEmpty() && status.last().at(0).toInt() == capture_status::kEnded);
    status.clear();

    QVERIFY(engine.startCapture());
    // The camera's first picture is a second away: the screen's events run meanwhile.
    bool eventsRan = false;
    QTimer::singleShot(0, &engine, [&eventsRan] { eventsRan = true; });
    QTRY_VERIFY(eventsRan);
    QVERIFY(engine.isOpening());
    QVERIFY(status.isEmpty() && started.isEmpty());

    QVERIFY(started.wait(20000));
    QCOMPARE(started.first().at(0).toDouble(), 30.0);
    QCOMPARE(engine.captureRate(), 30.0);
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended.last().at(0).toString(), CaptureEngine::timeLimitReason());
    engine.stopCapture();
    // Two seconds of the camera's own clock at its own rate: the places of the frames it
    // delivered, each frame where its time puts it.
    QCOMPARE(engine.framesCaptured() + engine.framesDropped(), 60);
    QCOMPARE(engine.lastFrameIndex(), 59);
    QVERIFY(QFileInfo::exists(path));
    const Result<AviHeader> header = readAviHeader(path);
    QVERIFY2(header.ok(), qPrintable(header.message()));
    QCOMPARE(aviFrameRate(header->summary), 30);
    QCOMPARE(header->summary.length, 60u);
    QCOMPARE(decodeAll(path), 60);
    QCOMPARE(warnings.size(), 0);
}

void TestCapture::cameraClockJumps()
{
    StationFixture f;
    CaptureEngine engine;
    // The pattern camera's clock leaps a day forward, or back, at its 16th picture.
    CaptureDevice camera = patternCamera();
    engine.setDeviceLister([&camera] { return QList<CaptureDevice>{camera}; });
    engine.setAudioDevice(int(engine.audioDevices().indexOf(CaptureEngine::demoToneName())));
    engine.setSoundFormat({22050, 1, 16});
    QSignalSpy ended(&engine, &CaptureEngine::captureEnded);
    for (const int leap_s : {86400, -86400}) {
        camera.url = QStringLiteral("testsrc=size=160x120:rate=30,setpts=PTS+gte(N\\,15)*%1/TB,"
                                    "realtime")
                         .arg(leap_s);
        engine.refreshDevices();
        QVERIFY(engine.connectDevice(0));
        engine.setFrameRate(25); // the camera keeps 30
        engine.setTimeLimit_s(2);
        const QString path = f.path(QStringLiteral("leap %1.avi").arg(leap_s));
        engine.setStreamFile(path);
        ended.clear();
        QVERIFY(engine.startCapture());
        QVERIFY2(ended.wait(15000), qPrintable(QString::number(leap_s)));
        QCOMPARE(ended.last().at(0).toString(), CaptureEngine::timeLimitReason());
        engine.stopCapture();
        QCOMPARE(engine.framesCaptured() + engine.framesDropped(), 60);
        QCOMPARE(engine.lastFrameIndex(), 59);
        QCOMPARE(engine.audioSamples(), 60 * 22050 / 30);
        const Result<AviHeader> header = readAviHeader(path);
        QVERIFY2(header.ok(), qPrintable(header.message()));
        QCOMPARE(header->summary.length, 60u);
    }
}

void TestCapture::recordingEndsBeforeTheDiskIsFull()
{
    StationFixture f;
    CaptureEngine engine;
    connectDemo(engine, 30);
    engine.setCompressor(-1); // uncompressed: 57,600 bytes a frame
    const QString path = f.path(QStringLiteral("full disk.avi"));
    // A disk with 6 MiB free when the recording starts.
    constexpr std::int64_t kDisk = 6 * 1024 * 1024;
    engine.setFreeSpaceProbe([](const QString& file) { return kDisk - QFileInfo(file).size(); });
    QSignalSpy ended(&engine, &CaptureEngine::captureEnded);
    engine.setStreamFile(path);
    QVERIFY(engine.startCapture());
    QVERIFY(ended.wait(20000));
    QCOMPARE(ended.last().at(0).toString(),
             QStringLiteral("The disk is nearly full: the recording was ended so that %1 stays "
                            "whole.")
                 .arg(QDir::toNativeSeparators(path)));
    engine.stopCapture();
    QVERIFY(QFileInfo(path).size() < kDisk);
    const int frames = engine.framesCaptured();
    QVERIFY(frames >= 1);
    const Result<AviHeader> header = readAviHeader(path);
    QVERIFY2(header.ok(), qPrintable(header.message()));
    QCOMPARE(int(header->summary.length), frames + engine.framesDropped());
    QVERIFY(header->video.indexedKeyFrames > 0); // the index was written
    QCOMPARE(decodeAll(path), frames);

    // With less room than a file needs, the recording does not start and leaves no file.
    engine.setFreeSpaceProbe([](const QString&) { return std::int64_t(1024 * 1024); });
    QSignalSpy notStarted(&engine, &CaptureEngine::captureNotStarted);
    const QString none = f.path(QStringLiteral("none.avi"));
    engine.setStreamFile(none);
    QVERIFY(engine.startCapture());
    QVERIFY(notStarted.wait(20000));
    QCOMPARE(notStarted.first().at(0).toString(),
             QStringLiteral("There is not enough free space on the disk to record %1.")
                 .arg(QDir::toNativeSeparators(none)));
    QVERIFY(!QFileInfo::exists(none));
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

    // Sound inputs that cannot record: one that does not open, one that records another rate
    // (nothing converts rates). The warning says so in words; there is no file.
    const QString withSound = f.path(QStringLiteral("sound.avi"));
    engine.setStreamFile(withSound);
    CaptureDevice absent;
    absent.name = QStringLiteral("Card 9");
    absent.format = QStringLiteral("alsa");
    absent.url = QStringLiteral("hw:9,0");
    engine.setAudioLister([absent] {
        return QList<CaptureDevice>{absent, toneInput(QStringLiteral("Line In"), 48000)};
    });
    engine.setSoundFormat({22050, 2, 16});
    QSignalSpy notStarted(&engine, &CaptureEngine::captureNotStarted);
    for (int device : {0, 1}) {
        engine.setAudioDevice(device);
        QVERIFY(engine.startCapture()); // the devices open on the engine's thread
        QVERIFY(notStarted.wait(20000));
        QVERIFY(!engine.isCapturing());
        QVERIFY(!QFile::exists(withSound));
    }
    QCOMPARE(warnings.size(), 3);
    QVERIFY2(warnings[1].at(0).toString().startsWith(
                 QStringLiteral("The sound device Card 9 could not be opened: ")),
             qPrintable(warnings[1].at(0).toString()));
    QCOMPARE(warnings.last().at(0).toString(),
             QStringLiteral("The sound device Line In could not be opened: it does not record "
                            "22.050 Khz, 16 bit, Stereo; it records 48.000 Khz, Stereo"));
}

void TestCapture::soundFormats()
{
    const QStringList entries = soundFormatEntries();
    QCOMPARE(entries.size(), 16);
    QCOMPARE(entries[7], QStringLiteral("22.050 Khz, 16 Bit, Stereo"));
    QCOMPARE(soundFormatFromEntry(7, entries[7], {}), (SoundFormat{22050, 2, 16}));

    // Samples of each kind a sound input gives, as the recording's 8 or 16 bits: full scale,
    // silence and minus a half.
    std::vector<std::uint8_t> out;
    const std::uint8_t s16[] = {0xff, 0x7f, 0x00, 0x00, 0x00, 0xc0};
    QVERIFY(convertPcm(AV_CODEC_ID_PCM_S16LE, s16, sizeof s16, 8, out));
    QCOMPARE(out, (std::vector<std::uint8_t>{255, 128, 64}));
    out.clear();
    const float f32[] = {1.0f, 0.0f, -0.5f};
    QVERIFY(convertPcm(AV_CODEC_ID_PCM_F32LE, reinterpret_cast<const std::uint8_t*>(f32),
                       sizeof f32, 16, out));
    QCOMPARE(out, (std::vector<std::uint8_t>{0xff, 0x7f, 0x00, 0x00, 0x00, 0xc0}));
    QVERIFY(!convertPcm(AV_CODEC_ID_PCM_S16BE, s16, sizeof s16, 8, out));

    // What a device is asked for when it opens: the sound format (the sample size only where the
    // input takes it), and the colour format chosen on the panel as the camera's pixel format.
    CaptureDevice card;
    card.format = QStringLiteral("alsa");
    const InputOptions asked = soundSourceOptions(card, {32000, 2, 8});
    QCOMPARE(asked, (InputOptions{{"sample_rate", "32000"}, {"channels", "2"}}));
    CaptureDevice camera;
    camera.format = QStringLiteral("video4linux2");
    camera.colorFormats = {QStringLiteral("YUYV 4:2:2"), QStringLiteral("Motion-JPEG")};
    camera.pixelFormats = {QStringLiteral("yuyv422"), QStringLiteral("mjpeg")};
    QCOMPARE(frameSourceOptions(camera, QSize(640, 480), 30, 1, 1),
             (InputOptions{{"video_size", "640x480"},
                           {"framerate", "30"},
                           {"channel", "1"},
                           {"pixel_format", "mjpeg"}}));
    QVERIFY(frameSourceOptions(camera, QSize(), 0, -1, -1).isEmpty());
}

void TestCapture::stills()
{
    StationFixture f;
    CaptureEngine engine;
    connectDemo(engine, 30);
    QSignalSpy warnings(&engine, &CaptureEngine::warning);
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
    const QByteArray plain = readBytes(still.filePath);
    QVERIFY(plain.contains("\xff\xc0") && !plain.contains("\xff\xc2")); // baseline scan
    const QImage plainPicture = QImage::fromData(plain);
    QCOMPARE(plainPicture.size(), QSize(160, 120));

    // The caption at its place and nowhere else, in a progressive file.
    still.caption = QStringLiteral("WWWWWWWW");
    still.captionLeft = 20;
    still.captionTop = 60;
    still.progressive = true;
    still.filePath = f.path(QStringLiteral("caption.jpg"));
    QVERIFY(engine.captureFrame());
    const QByteArray captioned = readBytes(still.filePath);
    QVERIFY(captioned.contains("\xff\xc2"));
    const QImage captionPicture = QImage::fromData(captioned);
    QVERIFY(changed(plainPicture, captionPicture, 60) > 20);
    QCOMPARE(changed(plainPicture, captionPicture, 96), 0);
    // Without AutoSave the still goes to the clipboard and no file is written.
    still.autoSave = false;
    still.interval = 1; // no series without AutoSave
    still.filePath = f.path(QStringLiteral("clip.jpg"));
    QGuiApplication::clipboard()->clear();
    QVERIFY(engine.captureFrame());
    QVERIFY(!engine.takingStills());
    QVERIFY(!QFile::exists(still.filePath));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(160, 120));

    // A series after the live picture was on and went off, numbered by auto-increment: each still
    // is taken afresh (the camera's clock moves on), until stopped.
    QSignalSpy pictures(&engine, &CaptureEngine::previewFrame);
    engine.setPreviewShown(true);
    engine.setPreview(true);
    QVERIFY(pictures.wait(10000));
    engine.setPreview(false);
    still.autoSave = still.autoIncrement = true;
    still.caption.clear();
    still.filePath = f.path(QStringLiteral("series.jpg"));
    QVERIFY(engine.captureFrame());
    QVERIFY(engine.takingStills());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(f.path(QStringLiteral("series2.jpg"))), 15000);
    engine.stopStills();
    QVERIFY(!engine.takingStills());
    QVERIFY(readBytes(f.path(QStringLiteral("series.jpg"))) !=
            readBytes(f.path(QStringLiteral("series1.jpg"))));
    QCOMPARE(warnings.size(), 0);

    // A still that cannot be written says why and starts no series.
    still.filePath = f.path(QStringLiteral("no such folder/x.jpg"));
    QVERIFY(!engine.captureFrame());
    QVERIFY(!engine.takingStills());
    QCOMPARE(warnings.size(), 1);
}

QTEST_MAIN(TestCapture)
#include "test_capture.moc"
