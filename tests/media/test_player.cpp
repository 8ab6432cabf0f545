// The frame player: the picture at frame N is FFmpeg's own frame N whatever the order of the
// steps, overtaken requests and earlier files never show, play-back runs over the selection at
// the file's rate, and keys reach the screen with the codes it expects.

#include "MakeVideo.h"
#include "StationFixture.h"
#include "media/MediaLibraries.h"
#include "widgets/FramePlayer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstring>

using namespace fw;
using namespace fw::test;

namespace {

QByteArray pictureBgr(const QImage& image)
{
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    QByteArray out;
    for (int y = 0; y < bgr.height(); ++y)
        out += QByteArray(reinterpret_cast<const char*>(bgr.constScanLine(y)), bgr.width() * 3);
    return out;
}

// Asks for frame n and waits until the player shows it.
bool showFrame(FramePlayer& player, int n)
{
    player.setCurrentPosition(n);
    return QTest::qWaitFor([&] { return player.shownFrame() == n; }, 10000);
}

} // namespace

class TestPlayer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsFFmpegsFrameInAnyOrder_data();
    void showsFFmpegsFrameInAnyOrder();
    void readErrorIsToldAndTheLengthKept();
    void idleWorkerSleepsOnceTheVideoIsClosed();
    void overtakenRequestsAndEarlierFilesNeverShow();
    void playsTheSelectionAtTheFileRate();
    void keysAndFullScreen();
};

void TestPlayer::showsFFmpegsFrameInAnyOrder_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("gop");
    QTest::addColumn<int>("bFrames");
    QTest::newRow("mpeg4 gop 12") << "mpeg4" << 50 << 12 << 0;
    QTest::newRow("h264 -bf 2") << "libx264" << 62 << 25 << 2;
    QTest::newRow("mpeg4 -bf 2") << "mpeg4" << 40 << 12 << 2;
}

// Straight into the last group, every step back to the first frame and forwards again, then
// jumps into the middle of groups: each shows FFmpeg's own frame in the order the pictures are
// shown, with a cache smaller than a group (steps back decode anew), and the length read from
// the file holds all the way. Some pictures are kept, as a screen holds the one it shows: the
// memory the converter reuses for later pictures is never memory a kept picture still uses.
void TestPlayer::showsFFmpegsFrameInAnyOrder()
{
    QFETCH(QString, codec);
    QFETCH(int, frames);
    QFETCH(int, gop);
    QFETCH(int, bFrames);
    StationFixture f;
    // A name beyond ASCII reaches FFmpeg whole.
    const QString video = f.path(QStringLiteral("Sprung Müller-Léa.avi"));
    const QByteArray c = codec.toLatin1();
    QCOMPARE(makeVideo(video, {c.constData(), 64, 48, frames, 25, 1, gop, bFrames}), QString());
    QList<QByteArray> plain;
    for (int n = 0; n < frames; ++n)
        plain << plainDecodeBgr(video, n);
    FramePlayer player;
    player.engine().setCacheBudget(64 * 48 * 3 / 2 * 6);
    QVERIFY(!player.setFileName(video));
    QList<int> steps = {frames - 3, frames - 2, frames - 1};
    for (int n = frames - 2; n >= 0; --n)
        steps << n;
    for (int n = 1; n < frames; ++n)
        steps << n;
    steps << 0 << gop + 1 << gop << gop - 1 << frames * 3 / 4;
    QList<std::pair<int, QImage>> kept;
    for (qsizetype i = 0; i < steps.size(); ++i) {
        const int n = steps[i];
        QVERIFY2(showFrame(player, n), qPrintable(QString::number(n)));
        QVERIFY2(pictureBgr(player.picture()) == plain[n], qPrintable(QString::number(n)));
        QCOMPARE(player.properties().frameCount, frames);
        if (i % 7 == 0)
            kept.append({n, player.picture()});
    }
    for (const auto& [n, picture] : kept)
        QVERIFY2(pictureBgr(picture) == plain[n], qPrintable(QString::number(n)));
    // Past the end the last frame stays; an empty name releases the file.
    player.setCurrentPosition(frames + 30);
    QCOMPARE(player.currentPosition(), frames - 1);
    QVERIFY(!player.setFileName(QString()));
    QVERIFY(player.fileName().isEmpty());
    QVERIFY(player.picture().isNull());
    QCOMPARE(player.shownFrame(), -1);
}

// A read that fails in the middle of a video (the disk gives an I/O error) is told, and the video
// keeps its length and its other frames. The video is read from this program's own memory with a
// page taken away in the middle, which the system refuses to read.
void TestPlayer::readErrorIsToldAndTheLengthKept()
{
#ifndef Q_OS_LINUX
    QSKIP("needs the system's view of a process's own memory");
#else
    StationFixture f;
    const QString source = f.path(QStringLiteral("v.avi"));
    QCOMPARE(makeVideo(source, {"mjpeg", 64, 48, 60}), QString());
    const QByteArray bytes = readBytes(source);
    const long page = sysconf(_SC_PAGESIZE);
    const size_t mapped = (size_t(bytes.size()) / page + 2) * page;
    void* memory =
        mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    QVERIFY(memory != MAP_FAILED);
    auto* base = static_cast<char*>(memory);
    std::memcpy(base, bytes.constData(), size_t(bytes.size()));
    const size_t hole = size_t(bytes.size()) * 2 / 3 / page * page;
    QVERIFY(munmap(base + hole, size_t(page)) == 0);
    const QString url = QStringLiteral("subfile,,start,%1,end,%2,,:/proc/self/mem")
                            .arg(quintptr(base))
                            .arg(quintptr(base) + quintptr(bytes.size()));
    quietMediaLibraries(); // the frame cut by the hole is damaged
    {
        FramePlayer player;
        QSignalSpy failed(&player, &FramePlayer::decodeFailed);
        QVERIFY(!player.setFileName(url));
        QCOMPARE(player.properties().frameCount, 60);
        QVERIFY(showFrame(player, 3));
        player.setCurrentPosition(55);
        QVERIFY(failed.wait(10000));
        QCOMPARE(failed.first()[0].toString(),
                 QStringLiteral("There was an error working with the file:\r\n") + url);
        QCOMPARE(player.properties().frameCount, 60);
        QCOMPARE(player.currentPosition(), 55);
        QVERIFY(showFrame(player, 4));
        QVERIFY(pictureBgr(player.picture()) == plainDecodeBgr(source, 4));
    }
    munmap(base, hole);
    munmap(base + hole + page, mapped - hole - size_t(page));
#endif
}

// Once the video is closed the decoding thread waits for the next one instead of running round.
void TestPlayer::idleWorkerSleepsOnceTheVideoIsClosed()
{
    StationFixture f;
    const QString video = f.path(QStringLiteral("v.avi"));
    QCOMPARE(makeVideo(video, {"mjpeg", 64, 48, 20}), QString());
    FramePlayer player;
    QVERIFY(!player.setFileName(video));
    QVERIFY(showFrame(player, 5));
    QVERIFY(!player.setFileName(QString()));
    const quint64 before = player.engine().workerRounds();
    QTest::qWait(300);
    QVERIFY2(player.engine().workerRounds() <= before + 1,
             qPrintable(QString::number(player.engine().workerRounds() - before)));
}

void TestPlayer::overtakenRequestsAndEarlierFilesNeverShow()
{
    StationFixture f;
    const QString a = f.path(QStringLiteral("a.avi"));
    const QString b = f.path(QStringLiteral("b.avi"));
    QCOMPARE(makeVideo(a, {"mjpeg", 64, 48, 40}), QString());
    QCOMPARE(makeVideo(b, {"mjpeg", 80, 60, 40}), QString());
    FramePlayer player;
    QVERIFY(!player.setFileName(a));
    player.setCurrentPosition(30);
    QVERIFY(!player.setFileName(b)); // before a's frame 30 can arrive
    QSignalSpy shown(&player.engine(), &FramePlayerEngine::frameShown);
    QVERIFY(QTest::qWaitFor([&] { return player.shownFrame() == 0; }, 10000));
    QCOMPARE(player.picture().width(), 80);
    for (int n = 1; n <= 8; ++n)
        player.setCurrentPosition(n);
    QVERIFY(QTest::qWaitFor([&] { return player.shownFrame() == 8; }, 10000));
    QTest::qWait(50);
    QCOMPARE(player.shownFrame(), 8);
    // Frames come in the order asked; none arrives after a later one.
    int last = -1;
    for (const QList<QVariant>& s : shown) {
        QVERIFY(s[0].toInt() >= last);
        last = s[0].toInt();
    }
    QVERIFY(pictureBgr(player.picture()) == plainDecodeBgr(b, 8));
    // A file that is not a video leaves the player empty.
    const QString text = f.path(QStringLiteral("clip.avi"));
    writeBytes(text, "not a video");
    const auto failure = player.setFileName(text);
    QVERIFY(failure);
    QCOMPARE(failure->message,
             QStringLiteral("There was an error working with the file:\r\n") + text);
    QVERIFY(player.fileName().isEmpty());
}

void TestPlayer::playsTheSelectionAtTheFileRate()
{
    StationFixture f;
    const QString video = f.path(QStringLiteral("v.avi"));
    QCOMPARE(makeVideo(video, {"mjpeg", 64, 48, 40, 15, 1, 1}), QString());
    FramePlayer player;
    QVERIFY(!player.setFileName(video));
    player.setSelectionStart(5);
    player.setSelectionEnd(20);
    QSignalSpy finished(&player, &FramePlayer::playFinished);
    QSignalSpy positions(&player.engine(), &FramePlayerEngine::positionChanged);
    QElapsedTimer clock;
    clock.start();
    player.play();
    QVERIFY(player.isPlaying());
    QVERIFY(finished.wait(5000));
    // 15 frames at 15 fps: a second, never less.
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.currentPosition(), 20);
    QCOMPARE(positions.first()[0].toInt(), 5);
    for (qsizetype i = 1; i < positions.size(); ++i)
        QVERIFY(positions[i][0].toInt() > positions[i - 1][0].toInt());
    QVERIFY(QTest::qWaitFor([&] { return player.shownFrame() == 20; }, 5000));
}

void TestPlayer::keysAndFullScreen()
{
    StationFixture f;
    const QString video = f.path(QStringLiteral("v.avi"));
    QCOMPARE(makeVideo(video, {"mjpeg", 64, 48, 20}), QString());
    FramePlayer player;
    player.setSize_twips(5775, 5415);
    player.show();
    QVERIFY(!player.setFileName(video));
    // A click on the picture gives the player the keys; only full screen repeats the play-back.
    QWidget* picture = nullptr;
    for (QWidget* w : player.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (!qobject_cast<QSlider*>(w))
            picture = w;
    QVERIFY(picture);
    player.setSelectionStart(2);
    player.setSelectionEnd(6);
    QTest::mouseClick(picture, Qt::LeftButton);
    QVERIFY(!player.isPlaying());
    player.setDisplaySize(FramePlayer::kFullScreen);
    QWidget* fullScreen = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &player && w->isVisible())
            fullScreen = w;
    QVERIFY(fullScreen);
    QTest::mouseClick(fullScreen, Qt::LeftButton);
    QVERIFY(player.isPlaying());
    QCOMPARE(player.currentPosition(), 2);
    player.stop();
    player.setDisplaySize(FramePlayer::kDefaultSize);

    QSignalSpy keys(&player, &FramePlayer::keyDown);
    QTest::keyClick(&player, Qt::Key_4, Qt::KeypadModifier);
    QTest::keyClick(&player, Qt::Key_6, Qt::KeypadModifier);
    QTest::keyClick(&player, Qt::Key_6);
    QTest::keyClick(&player, Qt::Key_Left);
    player.setDisplaySize(FramePlayer::kFullScreen);
    QTest::keyClick(&player, Qt::Key_Escape);
    QCOMPARE(player.displaySize(), FramePlayer::kDefaultSize);
    QList<int> codes;
    for (const QList<QVariant>& k : keys)
        codes << k[0].toInt();
    QCOMPARE(codes, (QList<int>{100, 102, 54, 37, 27}));
}

QTEST_MAIN(TestPlayer)
#include "test_player.moc"
