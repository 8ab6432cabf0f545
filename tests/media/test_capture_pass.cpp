// The rules of a recorded pass without a screen: which video a skier's pass goes to, how the
// pass and the name move on so that no video is written over, the frame noted without Contact
// and the countdown.

#include "StationFixture.h"
#include "media/CapturePass.h"

#include <QDir>
#include <QTest>

#include <cmath>
#include <limits>

using namespace fw;
using namespace fw::test;

class TestCapturePass : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The video's name: one trailing separator dropped, the pass without blanks, a name that
    // holds path characters kept inside the video folder.
    void videoFileOfASkiersPass();
    // Existing videos raise the pass, or, for a recording, rename the skier; neither search
    // stops before the video is new, and a pass that cannot grow does not hang the station.
    void existingVideosAreNeverWrittenOver();
    // The middle frame and the countdown of a recording ended by its time.
    void middleFrameAndCountdown();
};

void TestCapturePass::videoFileOfASkiersPass()
{
    QCOMPARE(
        captureFilePath(QStringLiteral("/videos/"), QStringLiteral("Smith"), QStringLiteral(" 2")),
        QDir::toNativeSeparators(QStringLiteral("/videos/Smithjump2.avi")));
    QCOMPARE(
        captureFilePath(QStringLiteral("/videos"), QStringLiteral("../a:b"), QStringLiteral("1")),
        QDir::toNativeSeparators(QStringLiteral("/videos/.._a_bjump1.avi")));
    QCOMPARE(nextPass(QStringLiteral("3")), QStringLiteral(" 4"));
    QCOMPARE(nextPass(QStringLiteral("none")), QStringLiteral(" 1"));
}

void TestCapturePass::existingVideosAreNeverWrittenOver()
{
    StationFixture f;
    const QString videos = f.makeFolder(QStringLiteral("Videos"));
    const auto video = [&](const char* name) {
        QVERIFY(writeBytes(QDir(videos).filePath(QLatin1String(name)), "RIFF"));
    };
    const QString smith = QStringLiteral("Smith");
    QCOMPARE(firstFreePass(videos, smith, QStringLiteral("1")), QStringLiteral("1"));
    video("Smithjump1.avi");
    video("Smithjump2.avi");
    QCOMPARE(firstFreePass(videos, smith, QStringLiteral("1")), QStringLiteral(" 3"));

    RecordingName name = uniqueRecordingName(videos, smith, QStringLiteral("3"));
    QVERIFY(!name.renamed);
    QCOMPARE(name.skier, smith);
    video("SmithXjump1.avi");
    name = uniqueRecordingName(videos, smith, QStringLiteral("1"));
    QVERIFY(name.renamed);
    QCOMPARE(name.skier, QStringLiteral("SmithXX"));
    QCOMPARE(name.path, captureFilePath(videos, QStringLiteral("SmithXX"), QStringLiteral("1")));

    // A number past the last one that can grow by one: the search stops on it.
    video("Smithjump1E+300.avi");
    QCOMPARE(firstFreePass(videos, smith, QStringLiteral(" 1E+300")), QStringLiteral(" 1E+300"));
}

void TestCapturePass::middleFrameAndCountdown()
{
    QCOMPARE(middleFrame(25, 3), 38); // half a frame rounds up
    QCOMPARE(middleFrame(std::numeric_limits<double>::quiet_NaN(), 5), 0);
    QCOMPARE(middleFrame(30, 1e300), 0);

    // 2.5 seconds count as 3: three seconds shown after the start, run out at the fourth tick.
    CaptureCountdown countdown;
    countdown.start(2.5);
    QCOMPARE(countdown.secondsLeft(), 3);
    QStringList shown;
    while (countdown.tick())
        shown << countdownText(countdown.secondsLeft());
    QCOMPARE(shown,
             (QStringList{QStringLiteral(" 2"), QStringLiteral(" 1"), QStringLiteral(" 0")}));
    QCOMPARE(wholeSeconds(1e300), std::numeric_limits<int>::max());
}

QTEST_GUILESS_MAIN(TestCapturePass)
#include "test_capture_pass.moc"
