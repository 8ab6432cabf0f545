// The rules of choosing a contact frame that need no screen: the timed run window and when a
// video is too short for it, the stretches the play-backs play and how their repeats end, the
// operator's seconds and repeat entries, the renamed video's path and the ".info" file.

#include "StationFixture.h"
#include "review/CapturedVideo.h"
#include "review/FrameSelection.h"
#include "review/RunPlayBack.h"

#include <QDir>
#include <QTest>

#include <limits>

using namespace fw;
using namespace fw::test;

namespace {

using Next = RunPlayBack::Next;

bool sameStretch(const PlayStretch& a, const PlayStretch& b)
{
    return a.from == b.from && a.to == b.to && a.interval_ms == b.interval_ms;
}

} // namespace

class TestFrameSelectionRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void runWindowAndTheTooShortVideo();
    void stretchesBeforeTheStartAndTheEnd();
    void repeatsBeforeTheStartEndByTheirOwnTick();
    void playToEndThenContinueThenRepeat();
    void operatorEntries();
    void samePathWhateverTheSeparators();
    void renameToTheSamePathOrAFailingMoveLeavesTheVideo();
    void infoFileReadsBackWhatWasWritten();
};

void TestFrameSelectionRules::runWindowAndTheTooShortVideo()
{
    // Twenty seconds (fifteen for barefoot timing), less one frame where the rate is exactly 30.
    QCOMPARE(runFrames(25, false), 500);
    QCOMPARE(runFrames(30, false), 599);
    QCOMPARE(runFrames(30000.0 / 1001, false), 599);
    QCOMPARE(runFrames(30, true), 450);
    QCOMPARE(runFrames(0, false), 0);

    // A run may end on the video's last count; one frame more does not fit, and the frame named
    // in the message stays within 32 bits.
    QCOMPARE(runEnd(10, 599, 700).frame, 609);
    QVERIFY(runEnd(101, 599, 700).inVideo);
    QVERIFY(!runEnd(102, 599, 700).inVideo);
    const RunEnd far = runEnd(std::numeric_limits<int>::max() - 5, 599, 700);
    QVERIFY(!far.inVideo);
    QCOMPARE(far.frame, std::numeric_limits<int>::max());

    QCOMPARE(tooShortMessage(650, 699, false),
             QStringLiteral("I am sorry, but the file is only  650 frames long and the start "
                            "position you have selected means that the end should be at frame  "
                            "699 which is not possible with this file. You may have to recapture "
                            "from the video recorder if you did not capture a full 20 seconds "
                            "from the start of the run."));
    QVERIFY(tooShortMessage(500, 550, true)
                .endsWith(QLatin1String("full 15 seconds from the start of the run.")));

    // The capture's own figures win; the header stands in for each it did not give.
    const VideoFigures mixed = capturedVideoFigures({0, 700}, {25, 90});
    QCOMPARE(mixed.fps, 25.0);
    QCOMPARE(mixed.frameCount, 700);
    const VideoFigures own = capturedVideoFigures({30, 0}, {25, 90});
    QCOMPARE(own.fps, 30.0);
    QCOMPARE(own.frameCount, 90);
}

void TestFrameSelectionRules::stretchesBeforeTheStartAndTheEnd()
{
    // From frame 40 at 30 fps two seconds reach before the file's start: the stretch begins at 0
    // and is given only the time back to it.
    QVERIFY(sameStretch(playBeforeStart(40, 2, 30), {0, 40, 1633}));
    // Far enough from the start: the whole stretch, the whole time.
    QVERIFY(sameStretch(playBeforeStart(80, 2, 30), {20, 80, 2300}));
    // A start at frame 0 still plays a frame.
    QCOMPARE(playBeforeStart(0, 2, 30).to, 1);
    // The first play before the end is given 1.5 s more; the two seconds after it 2.1 s.
    QVERIFY(sameStretch(playBeforeEnd(609, 5, 30), {459, 609, 6500}));
    QCOMPARE(playBeforeEnd(60, 5, 30).from, 0);
    QVERIFY(sameStretch(playAfterEnd(609, 30), {609, 669, 2100}));
}

void TestFrameSelectionRules::repeatsBeforeTheStartEndByTheirOwnTick()
{
    RunPlayBack playBack;
    QCOMPARE(playBack.tick(5, 30, false).next, Next::Nothing);
    const PlayStretch stretch = playBeforeStart(40, 2, 30);
    playBack.beginBeforeStart(stretch, 2);
    QVERIFY(playBack.playingBeforeStart());
    QCOMPARE(playBack.startInterval_ms(), 1633);
    QCOMPARE(playBack.tick(5, 30, false).next, Next::PlayAgain);
    QVERIFY(playBack.playingBeforeStart());
    QCOMPARE(playBack.tick(5, 30, false).next, Next::EndedBeforeStart);
    QVERIFY(!playBack.playingBeforeStart());
    QCOMPARE(playBack.tick(5, 30, false).next, Next::Nothing);

    // No usable count plays once.
    playBack.beginBeforeStart(stretch, 0);
    QCOMPARE(playBack.tick(5, 30, false).next, Next::EndedBeforeStart);
}

// Two plays before the end of a run ending at 609, continuing after the first: the two seconds
// after the end once, the stretch again without the first play's extra time, then the end. Once
// with a single play: after the two seconds the stretch before the end is selected again.
void TestFrameSelectionRules::playToEndThenContinueThenRepeat()
{
    RunPlayBack playBack;
    QVERIFY(sameStretch(playBack.beginBeforeEnd(609, 5, 30, 2), {459, 609, 6500}));
    RunPlayBack::Tick tick = playBack.tick(5, 30, true);
    QCOMPARE(tick.next, Next::PlayAfterEnd);
    QVERIFY(sameStretch(tick.stretch, {609, 669, 2100}));
    QVERIFY(playBack.playingAfterEnd());
    tick = playBack.tick(5, 30, false);
    QCOMPARE(tick.next, Next::Play);
    QVERIFY(sameStretch(tick.stretch, {459, 609, 5300}));
    QVERIFY(!playBack.playingAfterEnd() && playBack.playingBeforeEnd());
    QCOMPARE(playBack.tick(5, 30, false).next, Next::EndedBeforeEnd);
    QVERIFY(!playBack.playingBeforeEnd());

    playBack.beginBeforeEnd(609, 5, 30, 1);
    QCOMPARE(playBack.tick(5, 30, true).next, Next::PlayAfterEnd);
    // The seconds are read at each tick: the operator changed them to 3 meanwhile.
    tick = playBack.tick(3, 30, true);
    QCOMPARE(tick.next, Next::EndedAfterEnd);
    QVERIFY(sameStretch(tick.stretch, {519, 609, 4500}));
    QVERIFY(!playBack.playingBeforeEnd() && !playBack.playingAfterEnd());

    // Leaving the screen ends every play-back.
    playBack.beginBeforeEnd(609, 5, 30, 3);
    playBack.beginBeforeStart(playBeforeStart(80, 2, 30), 3);
    playBack.stop();
    QCOMPARE(playBack.tick(5, 30, false).next, Next::Nothing);
}

void TestFrameSelectionRules::operatorEntries()
{
    // Seconds before the start are kept within 1 to 5, before the end within 1 to 22.
    QCOMPARE(secondsWithinRange(u"9", 5), std::optional<QString>(QStringLiteral("5")));
    QCOMPARE(secondsWithinRange(u"abc", 5), std::optional<QString>(QStringLiteral("1")));
    QCOMPARE(secondsWithinRange(u"30", 22), std::optional<QString>(QStringLiteral("22")));
    QCOMPARE(secondsWithinRange(u"2.5", 5), std::nullopt);
    // Plays: the whole number typed; a count past what a number holds is as many as it holds.
    QCOMPARE(playCount(u"2.9"), 2);
    QCOMPARE(playCount(u"x"), 0);
    QCOMPARE(playCount(u"1e30"), std::numeric_limits<int>::max());
    QCOMPARE(playTime_ms(2), 2300);
}

void TestFrameSelectionRules::samePathWhateverTheSeparators()
{
    QVERIFY(samePath(QStringLiteral("/videos/./a/../Smithjump1.avi"),
                     QDir::toNativeSeparators(QStringLiteral("/videos/Smithjump1.avi"))));
    QVERIFY(!samePath(QStringLiteral("/videos/Smithjump1.avi"),
                      QStringLiteral("/videos/Smithjump2.avi")));
}

void TestFrameSelectionRules::renameToTheSamePathOrAFailingMoveLeavesTheVideo()
{
    StationFixture f;
    const QString videos = f.makeFolder(QStringLiteral("Videos"));
    const QString captured = QDir::toNativeSeparators(videos + QStringLiteral("/Smithjump1.avi"));
    QVERIFY(writeBytes(captured, "a captured video"));
    // The same name again: no question about an existing file, nothing moves.
    f.dialogs.expectInput(QStringLiteral("Smith"));
    std::optional<RenamedVideo> renamed = renameCapturedVideo(
        captured, videos, QStringLiteral("Smith"), QStringLiteral("2"), f.dialogs);
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(renamed && samePath(renamed->path, captured));
    QCOMPARE(readBytes(captured), QByteArray("a captured video"));

    // A move the file system refuses (a folder stands at the new name): told with the reason,
    // and the video stays.
    QVERIFY(QDir().mkpath(videos + QStringLiteral("/Brownjump1.avi/inside")));
    f.dialogs.expectInput(QStringLiteral("Brown")).expectMessage();
    renamed = renameCapturedVideo(captured, videos, QStringLiteral("Smith"), QStringLiteral("2"),
                                  f.dialogs);
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(!renamed);
    QVERIFY(f.dialogs.calls().last().text.startsWith(QStringLiteral("Could not move ") + captured));
    QCOMPARE(readBytes(captured), QByteArray("a captured video"));
}

void TestFrameSelectionRules::infoFileReadsBackWhatWasWritten()
{
    StationFixture f;
    // A path with a comma reads back whole; a line as older stations wrote it reads too.
    const QString video = f.path(QStringLiteral("Smith, Jrjump2.avi"));
    QVERIFY(writeInfoFile(video, 123));
    QCOMPARE(readBytes(infoFilePath(video)), (video + QStringLiteral(", 123\r\n")).toLatin1());
    QCOMPARE(*readInfoFile(video), 123);
    const QString older = f.path(QStringLiteral("Olderjump1.avi"));
    QVERIFY(writeBytes(infoFilePath(older), (older + QStringLiteral(", 7\r\n")).toLatin1()));
    QCOMPARE(*readInfoFile(older), 7);
    // A line without a frame is refused with the file's name, not read as frame 0.
    QVERIFY(writeBytes(infoFilePath(older), (older + QStringLiteral(",\r\n")).toLatin1()));
    const Result<int> none = readInfoFile(older);
    QVERIFY(!none);
    QVERIFY(none.message().contains(infoFilePath(older)));
}

QTEST_MAIN(TestFrameSelectionRules)
#include "test_frameselection_rules.moc"
