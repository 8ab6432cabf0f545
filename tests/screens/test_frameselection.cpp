// The frame selection screen: arrivals (capture with the rename, log view, browsing), stepping,
// the play-backs and their end, marking under each video save policy with the session log line
// and the .info file, and the grabbed picture handed on.

#include "../media/MakeVideo.h"
#include "StationFixture.h"
#include "platform/KeyboardState.h"
#include "review/FrameSelection.h"
#include "screens/FrameSelectionScreen.h"
#include "station/Station.h"
#include "support/textforms.h"
#include "widgets/FramePlayer.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace fw;
using namespace fw::test;

namespace {

// A station with a video folder and the frame selection screen, not yet shown.
struct Rig {
    explicit Rig(StationFixture& f) : fixture(f)
    {
        videos = f.makeFolder(QStringLiteral("Videos"));
        station = std::make_unique<Station>(f.store(), f.dialogs, f.clock, keys,
                                            StationPaths(f.stationFolder()));
        station->settings.VideoFolder = videos;
        station->sessionLog.setFileName(SessionLog::fileNameFor(f.clock.now().date()));
        screen = std::make_unique<FrameSelectionScreen>(*station);
        screen->prepare();
    }
    QString video(const QString& name, VideoRecipe recipe = {"mjpeg", 64, 48, 60})
    {
        const QString path = QDir::toNativeSeparators(videos + QLatin1Char('/') + name);
        const QString why = makeVideo(path, recipe);
        if (!why.isEmpty())
            qWarning("%s", qPrintable(why));
        return path;
    }
    void arrive(ArrivedFrom from)
    {
        screen->hide();
        station->arrivedFrom = from;
        screen->show();
    }
    void arriveFromCapture(const QString& path, int noted, int frames = 60, double rate = 30)
    {
        Station::CaptureHandOver& handOver = station->captureHandOver;
        handOver.path = path;
        handOver.notedFrame = noted;
        handOver.frameCount = frames;
        handOver.frameRate = rate;
        arrive(ArrivedFrom::Recording);
    }
    bool shows(int frame)
    {
        return QTest::qWaitFor([&] { return screen->form().player->shownFrame() == frame; }, 10000);
    }
    QByteArray log() const { return readBytes(station->sessionLog.path(videos)); }
    QString bitmap() const
    {
        return station->paths().inStation(QStringLiteral("currentcapture.bmp"));
    }

    StationFixture& fixture;
    KeyboardState keys;
    std::unique_ptr<Station> station;
    std::unique_ptr<FrameSelectionScreen> screen;
    QString videos;
};

const QString kGridsMissing = QStringLiteral(
    "One or more grids are not configured.  You may not use the Measure Screen until all listed "
    "grids are configured");

} // namespace

class TestFrameSelection : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captureArrivalRenamesAndMovesTheVideo();
    void playBeforeStartAndEveryRepeatIsEnded();
    void playToEndAndTheTooShortRun();
    void markingUnderEachSavePolicy_data();
    void markingUnderEachSavePolicy();
    void nonStandardNamesAreNotLogged();
    void browsingAndViewingWarnOfMeasuredVideos();
    void keysStepWhereverTheFocusIs();
    void markingWritesThePictureShown();
};

void TestFrameSelection::captureArrivalRenamesAndMovesTheVideo()
{
    StationFixture f;
    Rig r(f);
    const QString captured = r.video(QStringLiteral("Smith2jump1.avi"));
    r.video(QStringLiteral("Smithjump1.avi")); // the name the operator tries first is taken
    r.station->captureSkier = QStringLiteral("Smith2");
    r.station->capturePass = QStringLiteral(" 3 ");
    r.station->settings.BarefootTiming15s = 1;
    r.station->captureHandOver.skierRenamed = true;
    f.dialogs.expectInput(std::nullopt)
        .expectInput(QStringLiteral("Smith"))
        .expectInput(QStringLiteral("Jones"));
    r.arriveFromCapture(captured, 12);
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.calls()[2].text,
             QStringLiteral("I am sorry, there is an existing file using that name and jump.  "
                            "Please try again "));
    QCOMPARE(f.dialogs.calls()[2].defaultText, QStringLiteral("Smith2"));
    const QString moved = QDir::toNativeSeparators(r.videos + QStringLiteral("/Jonesjump3.avi"));
    QVERIFY(!QFile::exists(captured));
    QCOMPARE(r.station->captureSkier, QStringLiteral("Jones"));
    QCOMPARE(r.station->capturePass, QStringLiteral("2"));
    // The moved video is open at the noted frame, with the capture's figures.
    QCOMPARE(r.screen->form().player->fileName(), moved);
    QVERIFY(r.shows(12));
    QCOMPARE(r.screen->runFrames(), 450); // Barefoot timing at 30 fps
}

void TestFrameSelection::playBeforeStartAndEveryRepeatIsEnded()
{
    StationFixture f;
    Rig r(f);
    const QString video = r.video(QStringLiteral("Smithjump1.avi"), {"mjpeg", 64, 48, 90});
    r.arriveFromCapture(video, 40);
    FrameSelectionScreen& s = *r.screen;
    // From frame 40 at 30 fps two seconds reach before the file's start.
    s.form().startPlaysEdit->setText(QStringLiteral("2"));
    s.onPlayBeforeStartClicked();
    QCOMPARE(s.playBackTimer().interval(), 1633);
    QCOMPARE(s.form().player->selectionStart(), 0);
    QCOMPARE(s.form().player->selectionEnd(), 40);
    QVERIFY(s.playBack().playingBeforeStart() && s.form().player->isPlaying());
    // The first end plays again and is ended by a tick of its own.
    s.onPlayBackTimer();
    QVERIFY(s.playBack().playingBeforeStart() && s.playBackTimer().isActive());
    s.onPlayBackTimer();
    QVERIFY(!s.playBack().playingBeforeStart() && !s.playBackTimer().isActive());

    // The seconds are kept within 1 to 5.
    s.form().secondsBeforeStartEdit->setText(QStringLiteral("9"));
    s.onSecondsBeforeStartEdited();
    QCOMPARE(s.form().secondsBeforeStartEdit->text(), QStringLiteral("5"));
}

void TestFrameSelection::playToEndAndTheTooShortRun()
{
    StationFixture f;
    Rig r(f);
    const QString video = r.video(QStringLiteral("Smithjump1.avi"), {"mjpeg", 64, 48, 120});
    // The capture counted 700 frames at 30 fps; the run starts at frame 10.
    r.arriveFromCapture(video, 10, 700, 30);
    FrameSelectionScreen& s = *r.screen;
    s.form().endPlaysEdit->setText(QStringLiteral("2"));
    s.onPlayToEndClicked();
    QVERIFY(s.playBack().playingBeforeEnd() && s.startFixed() &&
            !s.form().measureFrameButton->isEnabled());
    QCOMPARE(s.form().player->selectionStart(), 609 - 150);
    QCOMPARE(s.form().player->selectionEnd(), 609);
    QCOMPARE(s.playBackTimer().interval(), 6500);
    // Two seconds beyond the end, once.
    s.onPlayBackTimer();
    QVERIFY(s.playBack().playingAfterEnd() && !s.form().continueAfterEndCheck->isChecked());
    QCOMPARE(s.form().player->selectionEnd(), 669);
    // A play remains: the stretch before the end again, ended by its own tick.
    s.onPlayBackTimer();
    QVERIFY(!s.playBack().playingAfterEnd() && s.playBack().playingBeforeEnd() &&
            s.playBackTimer().isActive());
    QCOMPARE(s.form().player->selectionStart(), 459);
    s.onPlayBackTimer();
    QVERIFY(!s.playBack().playingBeforeEnd() && !s.playBackTimer().isActive());
    FW_VERIFY_DIALOGS(f.dialogs);

    // A start whose run would end beyond the file is refused: 650 frames cannot hold 100 + 599.
    r.arriveFromCapture(video, 40, 650, 30);
    s.form().player->setCurrentPosition(100);
    f.dialogs.expectMessage();
    s.onPlayBeforeEndClicked();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.calls().last().text, tooShortMessage(650, 699, false)); // text: rules
    QVERIFY(!s.playBack().playingBeforeEnd());
}

void TestFrameSelection::markingUnderEachSavePolicy_data()
{
    QTest::addColumn<QString>("policy");
    QTest::addColumn<int>("answer"); // to "Do you want to save...", 0 when not asked
    QTest::addColumn<bool>("kept");
    QTest::newRow("Save") << "Save" << 0 << true;
    QTest::newRow("Ask, yes") << "Ask" << int(DialogAnswer::Yes) << true;
    QTest::newRow("Ask, no") << "Ask" << int(DialogAnswer::No) << false;
    QTest::newRow("NoSave") << "NoSave" << 0 << false;
}

void TestFrameSelection::markingUnderEachSavePolicy()
{
    QFETCH(QString, policy);
    QFETCH(int, answer);
    QFETCH(bool, kept);
    StationFixture f;
    Rig r(f);
    r.station->settings.VideoSavePolicy = policy;
    const QString video =
        r.video(QStringLiteral("Smithjump3.avi"), {"mpeg4", 64, 48, 40, 30, 1, 12});
    r.arriveFromCapture(video, 17);
    for (int i = 0; i < 3; ++i)
        r.screen->onStepBackClicked(); // back across a key frame
    // The operator marks the picture they see: wait for it, as a loaded machine may be slower.
    QVERIFY(r.shows(14));
    const QByteArray expected = plainDecodeBgr(video, 14);
    if (answer)
        f.dialogs.expectMessage(DialogAnswer(answer));
    f.dialogs.expectMessage(); // the grids are not set up
    r.screen->onMeasureFrameClicked();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.calls().last().text, kGridsMissing);
    QCOMPARE(r.screen->grabbedFrame(), 14);
    QCOMPARE(bitmapRowsTopDown(readBytes(r.bitmap()), 64, 48), expected);
    QVERIFY(r.screen->form().player->fileName().isEmpty());
    QCOMPARE(QFile::exists(video), kept);
    // On to grid setup, which took the picture ("SelectFrame") and cleared the arrival.
    QVERIFY(r.station->screenWidget(Screen::GridSetup)->isVisible());
    QVERIFY(!r.screen->fromCapture());
    const QByteArray info = readBytes(infoFilePath(video));
    const QByteArray log = r.log();
    if (kept) {
        QCOMPARE(info, (video + QStringLiteral(", 14\r\n")).toLatin1());
        QCOMPARE(log, (printZones({QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"),
                                   QStringLiteral("Skier: Smith"), QStringLiteral("Jump: 3"),
                                   QStringLiteral("Contact Frame:  14"),
                                   QStringLiteral("File: ") + video}) +
                       QStringLiteral("\r\n"))
                          .toLatin1());
    } else {
        QVERIFY(info.isEmpty());
        QVERIFY(log.isEmpty());
    }
}

void TestFrameSelection::nonStandardNamesAreNotLogged()
{
    StationFixture f;
    Rig r(f);
    r.station->settings.VideoSavePolicy = QStringLiteral("Save");
    r.station->grids.slot(1).completed = true;
    r.station->grids.allGridsReady = true;
    const QString video = r.video(QStringLiteral("run3.avi"));
    r.arriveFromCapture(video, 5);
    // Grid setup asked for with every grid ready: not told the grids are missing.
    f.dialogs.expectMessage();
    r.screen->onGridSetupFrameClicked();
    FW_VERIFY_DIALOGS(f.dialogs);
    for (const auto& call : f.dialogs.calls())
        QVERIFY(call.text != kGridsMissing);
    QVERIFY(r.station->screenWidget(Screen::GridSetup)->isVisible());
    QVERIFY(!QFile::exists(infoFilePath(video)));
    QVERIFY(r.log().isEmpty());
    QVERIFY(!r.screen->setupRequested());
    // Marking again without asking for grid setup goes on to the measurement screen (the grid
    // setup screen on the way left the grids as they were found).
    r.station->grids.slot(1).completed = true;
    r.station->grids.allGridsReady = true;
    r.station->videoToView = video;
    r.arrive(ArrivedFrom::SessionLog);
    r.screen->onMeasureFrameClicked();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.station->screenWidget(Screen::Measurement)->isVisible());
}

void TestFrameSelection::browsingAndViewingWarnOfMeasuredVideos()
{
    StationFixture f;
    Rig r(f);
    FrameSelectionScreen& s = *r.screen;
    // A path with a comma; a line as older stations wrote it.
    const QString video = r.video(QStringLiteral("Smith, Jrjump2.avi"));
    QVERIFY(writeInfoFile(video, 123));
    const QString older = r.video(QStringLiteral("Olderjump1.avi"));
    QVERIFY(writeBytes(infoFilePath(older), (older + QStringLiteral(", 7\r\n")).toLatin1()));

    r.station->videoToView = video;
    r.arrive(ArrivedFrom::MainScreen);
    QVERIFY(!s.form().measureFrameButton->isEnabled());
    // Cancelled, then not a video, then the video.
    const QString text = f.path(QStringLiteral("clip.avi"));
    writeBytes(text, "not a video");
    f.dialogs.expectOpenFile(std::nullopt)
        .expectOpenFile(text)
        .expectMessage()
        .expectOpenFile(video)
        .expectMessage();
    for (int i = 0; i < 3; ++i)
        s.onBrowseClicked();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.calls()[4].text,
             QStringLiteral("File already measured - start frame is  123"));
    QCOMPARE(s.form().player->fileName(), video);

    // From the log viewer: the contact frame is named, once.
    f.dialogs.clear();
    r.station->videoToView = older;
    f.dialogs.expectMessage();
    r.arrive(ArrivedFrom::SessionLog);
    s.arrive();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.calls().first().text,
             QStringLiteral("File already measured - contact frame is  7"));
    // A browsed video is not the station's to delete or log.
    r.station->settings.VideoSavePolicy = QStringLiteral("NoSave");
    f.dialogs.expectMessage();
    s.onMeasureFrameClicked();
    QVERIFY(QFile::exists(older));
    QVERIFY(r.log().isEmpty());
}

// A video measured before opens at its stored frame. A tapped arrow steps once wherever the focus
// is (a text box keeps its arrows), the keypad's 4 and 6 too; holding the key steps from the
// second tick on; the held arrows keep working after the screen lost and got back the focus, and
// stop when it is left.
void TestFrameSelection::keysStepWhereverTheFocusIs()
{
    StationFixture f;
    Rig r(f);
    FrameSelectionScreen& s = *r.screen;
    const QString video = r.video(QStringLiteral("Smithjump1.avi"));
    QVERIFY(writeInfoFile(video, 20));
    r.station->videoToView = video;
    f.dialogs.expectMessage();
    r.arrive(ArrivedFrom::SessionLog);
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.shows(20));
    QCOMPARE(s.form().positionEdit->text(), QStringLiteral(" 20"));

    QTest::keyClick(s.form().measureFrameButton, Qt::Key_Right);
    QCOMPARE(s.form().player->currentPosition(), 21);
    QTest::keyClick(s.form().playBeforeStartButton, Qt::Key_Left);
    QTest::keyClick(s.form().secondsBeforeStartEdit, Qt::Key_Left); // moves the text cursor only
    QCOMPARE(s.form().player->currentPosition(), 20);
    QTest::keyClick(s.form().mainScreenButton, Qt::Key_6, Qt::KeypadModifier);
    QTest::keyClick(s.form().fileInfoList, Qt::Key_6, Qt::KeypadModifier);
    QTest::keyClick(s.form().player, Qt::Key_4, Qt::KeypadModifier);
    QCOMPARE(s.form().player->currentPosition(), 21);
    QCOMPARE(s.form().positionEdit->text(), QStringLiteral(" 21"));
    // Held: the press steps, the next tick waits, then every tick steps.
    QTest::keyPress(s.form().stepForwardButton, Qt::Key_Right);
    r.keys.setDown(Qt::Key_Right, true);
    s.onArrowKeyTimer();
    QCOMPARE(s.form().player->currentPosition(), 22);
    s.onArrowKeyTimer();
    QCOMPARE(s.form().player->currentPosition(), 23);
    r.keys.setDown(Qt::Key_Right, false);
    // The player's own key codes step too (102 forward, 100 back); stepping back stops at 1.
    s.onPlayerKeyDown(102);
    s.onPlayerKeyDown(102);
    s.onPlayerKeyDown(100);
    QCOMPARE(s.form().player->currentPosition(), 24);
    s.form().player->setCurrentPosition(3);
    for (int i = 0; i < 4; ++i)
        s.onStepBackClicked();
    QCOMPARE(s.form().player->currentPosition(), 1);

    s.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&s));
    QVERIFY(s.arrowKeyTimer().isActive());
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!s.arrowKeyTimer().isActive());
    s.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&s));
    QVERIFY(s.arrowKeyTimer().isActive());

    // Leaving for the main screen stops the held arrows' stepping.
    s.onMainScreenClicked();
    QVERIFY(!s.isVisible() && !s.arrowKeyTimer().isActive());
    QVERIFY(r.station->created(Screen::Main));
}

// Marking writes the picture on the screen as it is: the frame shown is the frame noted, and the
// file is not read again (here it is gone by then). A B-frame video in its last group of
// pictures keeps its length.
void TestFrameSelection::markingWritesThePictureShown()
{
    StationFixture f;
    Rig r(f);
    FrameSelectionScreen& s = *r.screen;
    const QString video =
        r.video(QStringLiteral("Smithjump2.avi"), {"mpeg4", 64, 48, 40, 30, 1, 12, 2});
    r.station->videoToView = video;
    r.arrive(ArrivedFrom::SessionLog);
    s.form().player->setCurrentPosition(37);
    QVERIFY(r.shows(37));
    s.onStepForwardClicked();
    s.onStepForwardClicked();
    QVERIFY(r.shows(39));
    QCOMPARE(s.form().player->properties().frameCount, 40);
    const QByteArray expected = plainDecodeBgr(video, 39);
    QVERIFY(QFile::remove(video));
    f.dialogs.expectMessage(); // the grids are not set up
    s.onMeasureFrameClicked();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.calls().last().text, kGridsMissing);
    QCOMPARE(s.selectedFrame(), 39);
    QCOMPARE(s.grabbedFrame(), 39);
    QCOMPARE(bitmapRowsTopDown(readBytes(r.bitmap()), 64, 48), expected);

    // A recording cut off before its index was written is said to be recovered.
    const QString whole = r.video(QStringLiteral("Whole.avi"));
    const QString cut = QDir::toNativeSeparators(r.videos + QStringLiteral("/Smithjump3.avi"));
    QByteArray bytes = readBytes(whole);
    bytes.truncate(bytes.indexOf("idx1"));
    QVERIFY(writeBytes(cut, bytes));
    r.station->videoToView = cut;
    r.arrive(ArrivedFrom::SessionLog);
    QCOMPARE(s.form().fileInfoList->item(s.form().fileInfoList->count() - 1)->text(),
             QStringLiteral("Recovered: the recording was cut off; its 60 complete frames are "
                            "shown"));
}

QTEST_MAIN(TestFrameSelection)
#include "test_frameselection.moc"
