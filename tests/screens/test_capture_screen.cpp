// The capture screen and panel on the demo camera and on a camera of the capture library's
// filter device: recordings that reach the frame selection screen, the name rules, Contact and
// Esc, a camera that drops frames and keeps its own rate, a camera lost while recording, the
// start-up of a station with no camera.

#include "StationFixture.h"
#include "app/CaptureSourcesChoice.h"
#include "measure/SkierNames.h"
#include "media/CaptureEngine.h"
#include "platform/KeyboardState.h"
#include "review/AviHeader.h"
#include "screens/CaptureScreen.h"
#include "screens/ConfigurationScreen.h"
#include "screens/FrameSelectionScreen.h"
#include "screens/MainScreen.h"
#include "station/Station.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

// A station started with a video folder and the given settings, left on the capture screen.
struct CaptureRig {
    // `cameras` replaces the system's; a station with none offers none, as a station started
    // without --demo does.
    CaptureRig(StationFixture& f, QList<QPair<const char*, const char*>> settings,
               bool noSources = false, std::function<QList<CaptureDevice>()> cameras = {})
        : fixture(f)
    {
        videos = f.makeFolder(QStringLiteral("Videos"));
        f.store().write(QStringLiteral("logpath"), videos);
        f.store().write(QStringLiteral("VideoResolution"), QStringLiteral("0")); // 160x120
        for (const auto& [key, value] : settings)
            f.store().write(QLatin1String(key), QLatin1String(value));
        station = std::make_unique<Station>(f.store(), f.dialogs, f.clock, keys,
                                            StationPaths(f.stationFolder()));
        f.dialogs.expectMessage(DialogAnswer::No);
        if (cameras)
            station->captureEngine().setDeviceLister(cameras);
        if (noSources) {
            station->captureEngine().setDeviceLister({});
            chooseCaptureSources(*station, f.store(), false);
            f.dialogs.expectMessage();
        }
        f.dialogs.expectMessage();
        station->start();
        station->configuration().exitAndSave();
    }
    CaptureScreen& screen() { return station->capture(); }
    QString video(const QString& name) const { return QDir(videos).filePath(name); }
    // Waits until the recording has gone on to the frame selection screen.
    bool reachedFrameSelection()
    {
        return QTest::qWaitFor(
                   [this] {
                       return station->created(Screen::FrameSelection) &&
                              station->frameSelection().isVisible();
                   },
                   10000) &&
               !screen().isVisible();
    }

    StationFixture& fixture;
    KeyboardState keys;
    std::unique_ptr<Station> station;
    QString videos;
};

} // namespace

class TestCaptureScreen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Three recordings of one skier: ended by time (the middle frame noted), the same name and
    // pass again (the "X" name, Contact and Esc), and one whose camera goes away.
    void recordingsReachFrameSelection();
    // Load and name rules: a stored time of 0, the comma, the pass raised at arrival, the
    // middle frame of a longer recording.
    void nameAndTimeRules();
    // A station with no camera: the start-up says so, stores no device, and Connect says it
    // again.
    void noCaptureSource();
    // A camera that records 30 frames a second when 25 are set and drops ten frames early on:
    // the screen shows it opening and then its rate; Contact notes the file's index of the
    // frame just delivered; the counts at the end are the file's.
    void cameraDroppingFramesAtItsOwnRate();
};

void TestCaptureScreen::recordingsReachFrameSelection()
{
    StationFixture f;
    CaptureRig rig(f, {{"captureTime", "3"}, {"framerate", "30"}});
    FW_VERIFY_DIALOGS(f.dialogs);
    MainScreen& main = rig.station->mainScreen();
    QCOMPARE(main.form().deviceCombo->currentText(), CaptureEngine::demoCameraName());
    // Motion JPEG chosen on the panel, remembered by its index.
    main.form().compressionCombo->setCurrentIndex(1);
    main.onCompressionChosen();
    QCOMPARE(f.store().read(QStringLiteral("compression"), {}), QStringLiteral("1"));

    // The Frames mode with AutoSave and an interval: stills repeat until the button is pressed
    // again (the repeats themselves are checked with the capture engine).
    main.form().captureModeCombo->setCurrentIndex(0);
    main.onCaptureModeChosen();
    main.form().captureFileEdit->setText(QStringLiteral("still.jpg"));
    main.form().autoSaveCheck->setChecked(true);
    main.form().stillIntervalEdit->setText(QStringLiteral("1"));
    main.onCaptureClicked();
    QVERIFY(QFile::exists(rig.video(QStringLiteral("still.jpg"))));
    main.onCaptureClicked();
    QVERIFY(!rig.station->captureEngine().takingStills());
    // An interval too long for any timer is held to the longest one, not wrapped round to a
    // negative number that stops the series.
    main.form().stillIntervalEdit->setText(QStringLiteral("1e20"));
    main.onCaptureClicked();
    QVERIFY(rig.station->captureEngine().takingStills());
    main.onCaptureClicked();
    QVERIFY(!rig.station->captureEngine().takingStills());
    main.form().captureModeCombo->setCurrentIndex(1);
    main.onCaptureModeChosen();

    // The panel shown for the first time is whole.
    main.show();
    main.toggleCapturePanel();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(main.form().capturePanel->width() >= main.form().capturePanel->sizeHint().width());
    QVERIFY(main.form().capturePanel->height() >= main.form().capturePanel->sizeHint().height());
    // A recording from the panel that ends at its time limit ends without a word.
    main.form().captureFileEdit->setText(QStringLiteral("panel.avi"));
    main.form().timeLimitEdit->setText(QStringLiteral("1"));
    main.onCaptureClicked();
    QCOMPARE(main.form().captureButton->text(), QStringLiteral("End Capture"));
    QTRY_COMPARE_WITH_TIMEOUT(main.form().captureButton->text(), QStringLiteral("Capture Stream"),
                              20000);
    QVERIFY(!rig.station->captureEngine().isCapturing());
    QVERIFY(QFile::exists(rig.video(QStringLiteral("panel.avi"))));
    FW_VERIFY_DIALOGS(f.dialogs);
    main.form().timeLimitEdit->setText(QStringLiteral("0"));
    main.toggleCapturePanel();

    main.goToCapture();
    CaptureScreen& s = rig.screen();
    QVERIFY(s.isVisible());
    s.setSkierName(QStringLiteral("Smith"));

    // 1. Ended by time without Contact: the middle frame is noted.
    s.startRecording();
    QVERIFY(s.recording());
    QVERIFY(rig.reachedFrameSelection());
    const QString first = QDir::toNativeSeparators(rig.video(QStringLiteral("Smithjump1.avi")));
    const Station::CaptureHandOver& h = rig.station->captureHandOver;
    QCOMPARE(h.path, first);
    QCOMPARE(h.notedFrame, 45);
    QVERIFY2(qAbs(h.frameCount - 90) <= 1, qPrintable(QString::number(h.frameCount)));
    const Result<AviHeader> header = readAviHeader(first);
    QVERIFY2(header.ok(), qPrintable(header.message()));
    QCOMPARE(int(header->summary.length), h.frameCount);
    QCOMPARE(aviFrameRate(header->summary), 30);
    QCOMPARE(rig.station->capturePass, QStringLiteral(" 2"));
    FW_VERIFY_DIALOGS(f.dialogs);

    // 2. The same name and pass again: the name gets an "X"; Contact notes the frame, Esc stops.
    rig.station->frameSelection().onRecordNextPassClicked();
    QVERIFY(s.isVisible());
    s.form().passEdit->setText(QStringLiteral("1"));
    s.passEdited();
    f.dialogs.expectInput(QStringLiteral("Smyth")); // the frame selection screen offers a rename
    s.startRecording();
    QCOMPARE(s.form().skierNameEdit->text(), QStringLiteral("SmithX"));
    QVERIFY(s.form().nameChangedLabel->isVisible()); // the warning of the changed name
    QTRY_VERIFY_WITH_TIMEOUT(rig.station->captureEngine().framesCaptured() >= 10, 20000);
    s.noteContact();
    const int contact = s.form().contactFrameLabel->text().toInt();
    QVERIFY(contact >= 9);
    s.keyPressed(27);
    QVERIFY(rig.reachedFrameSelection());
    QCOMPARE(h.path, QDir::toNativeSeparators(rig.video(QStringLiteral("Smythjump1.avi"))));
    QCOMPARE(h.notedFrame, contact);
    QVERIFY(h.frameCount > contact);
    FW_VERIFY_DIALOGS(f.dialogs);

    // 3. The renamed skier is back on the capture screen with the next pass and the notice of
    // the changed name has gone; the camera goes away: the operator is told, the file plays up
    // to its last frame.
    rig.station->frameSelection().onRecordNextPassClicked();
    QCOMPARE(s.form().skierNameEdit->text(), QStringLiteral("Smyth"));
    QCOMPARE(s.form().passEdit->text(), QStringLiteral("2"));
    QVERIFY(!s.form().nameChangedLabel->isVisible());
    f.dialogs.expectMessage();
    s.startRecording();
    QTRY_VERIFY_WITH_TIMEOUT(rig.station->captureEngine().framesCaptured() > 3, 20000);
    rig.station->captureEngine().setDemoCameraPlugged(false);
    QVERIFY(rig.reachedFrameSelection());
    QCOMPARE(f.dialogs.calls().last().text,
             QStringLiteral("Warning: The capture device Demo Camera went away."));
    QCOMPARE(h.path, QDir::toNativeSeparators(rig.video(QStringLiteral("Smythjump2.avi"))));
    const Result<AviHeader> lost = readAviHeader(h.path);
    QVERIFY2(lost.ok(), qPrintable(lost.message()));
    QCOMPARE(int(lost->summary.length), h.frameCount);
    QVERIFY(h.frameCount > 3);
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestCaptureScreen::nameAndTimeRules()
{
    StationFixture f;
    CaptureRig rig(f, {{"captureTime", "0"}, {"framerate", "30"}});
    // A file for the first pass exists already.
    QVERIFY(writeBytes(rig.video(QStringLiteral("Skier Namejump1.avi")), "RIFF"));
    f.dialogs.expectMessage();
    MainScreen& main = rig.station->mainScreen();
    main.goToCapture();
    CaptureScreen& s = rig.screen();
    // The main screen at the display's top left, the capture screen at the top to its right,
    // overlapping it only as far as the display is too narrow for both.
    const QRect room = s.screen()->availableGeometry();
    QCOMPARE(main.pos(), room.topLeft());
    QCOMPARE(s.y(), room.top());
    if (main.frameGeometry().width() + s.frameGeometry().width() <= room.width())
        QCOMPARE(s.x(), main.frameGeometry().right() + 1);
    else
        QCOMPARE(s.frameGeometry().right(), room.right());
    // A stored time of 0 becomes five seconds; the existing file raises the pass.
    QCOMPARE(s.captureSeconds(), 5.0);
    QCOMPARE(f.store().read(QStringLiteral("captureTime"), {}), QStringLiteral("5"));
    QCOMPARE(s.form().passEdit->text(), QStringLiteral(" 2"));
    FW_VERIFY_DIALOGS(f.dialogs);

    // The comma is refused and any name change restarts the pass.
    f.dialogs.expectMessage();
    s.form().skierNameEdit->setText(QStringLiteral("Doe,Jane"));
    s.skierNameEdited();
    QCOMPARE(f.dialogs.calls().last().text,
             QStringLiteral("Sorry, you cannot use the \",\" character in this box"));
    QCOMPARE(s.form().skierNameEdit->text(), QStringLiteral("Doe Jane"));
    QCOMPARE(s.form().passEdit->text(), QStringLiteral("1"));
    QCOMPARE(rig.station->captureSkier, QStringLiteral("Doe Jane"));
    // A name from the scoring program may hold a comma the operator never typed: it becomes a
    // blank without a word.
    const QString names = rig.station->paths().inExchange(QStringLiteral("qxskier.nam"));
    QVERIFY(QDir().mkpath(QFileInfo(names).absolutePath()));
    QVERIFY(writeBytes(names, "\"Roe, Rick\",3,\"Open\"\r\n"));
    s.takeWstimsName();
    QCOMPARE(s.form().skierNameEdit->text(), QStringLiteral("Roe  Rick"));
    FW_VERIFY_DIALOGS(f.dialogs);
    s.setSkierName(QStringLiteral("Doe Jane"));
    // A double click on the name chooses one from the skier list, as the button does.
    f.dialogs.expectMessage();
    QTest::mouseDClick(s.form().skierNameEdit, Qt::LeftButton);
    QCOMPARE(f.dialogs.calls().last().text, noSkierNamesFileMessage());

    // Ended by the countdown of five seconds at 30 frames a second without Contact: frame 75.
    s.startRecording();
    // The countdown starts with the camera's first picture; its ticks, one past zero, end the
    // recording without waiting for the recording's clock.
    QTRY_VERIFY(s.form().contactButton->isEnabled());
    for (int tick = 0; tick < 6; ++tick)
        s.countdownTick();
    QVERIFY(rig.reachedFrameSelection());
    QCOMPARE(rig.station->captureHandOver.notedFrame, 75);
    QVERIFY(QFile::exists(rig.video(QStringLiteral("Doe Janejump1.avi"))));
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestCaptureScreen::noCaptureSource()
{
    StationFixture f;
    CaptureRig rig(f, {}, true);
    QCOMPARE(f.dialogs.texts().at(1),
             QStringLiteral("No MCI capture devices are installed on this system"));
    QCOMPARE(f.store().read(QStringLiteral("device"), QStringLiteral("none")),
             QStringLiteral("none"));
    MainScreen& main = rig.station->mainScreen();
    f.dialogs.expectMessage();
    main.toggleConnection();
    QCOMPARE(main.form().connectButton->text(), QStringLiteral("Connect"));
    // The capture screen cannot start a recording: a plain warning, the screen stays idle.
    main.goToCapture();
    f.dialogs.expectMessage();
    rig.screen().startRecording();
    QVERIFY(!rig.screen().recording());
    QVERIFY(f.dialogs.calls().last().text.startsWith(QStringLiteral("Warning: ")));
    QVERIFY(QDir(rig.videos).entryList({QStringLiteral("*.avi")}).isEmpty());
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestCaptureScreen::cameraDroppingFramesAtItsOwnRate()
{
    StationFixture f;
    CaptureRig rig(f, {{"captureTime", "3"}, {"framerate", "25"}, {"device", "0"}}, false, [] {
        CaptureDevice camera;
        camera.name = QStringLiteral("Pattern Camera");
        camera.format = QStringLiteral("lavfi");
        camera.url =
            QStringLiteral("testsrc=size=160x120:rate=30,realtime,select=not(between(n\\,5\\,14))");
        camera.resolutions = {QStringLiteral("160x120")};
        return QList<CaptureDevice>{camera};
    });
    FW_VERIFY_DIALOGS(f.dialogs);
    MainScreen& main = rig.station->mainScreen();
    QCOMPARE(main.form().deviceCombo->currentText(), QStringLiteral("Pattern Camera"));
    main.goToCapture();
    CaptureScreen& s = rig.screen();
    CaptureEngine& engine = rig.station->captureEngine();
    s.setSkierName(QStringLiteral("Pattern"));

    // Stop while the camera is still opening calls the start off: no file, the screen idle.
    s.startRecording();
    QVERIFY(engine.isOpening());
    s.stopRecording();
    QVERIFY(!s.recording());
    QVERIFY(s.form().startRecordingButton->isEnabled() &&
            !s.form().stopRecordingButton->isEnabled());
    QVERIFY(s.isVisible());
    QVERIFY(QDir(rig.videos).entryList({QStringLiteral("*.avi")}).isEmpty());
    QCOMPARE(s.form().passEdit->text(), QStringLiteral("1"));

    s.startRecording();
    QCOMPARE(s.form().livePicture->text(), QStringLiteral("Opening the camera ..."));
    QVERIFY(!s.form().contactButton->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(s.form().contactButton->isEnabled(), 20000);
    QCOMPARE(s.form().frameRateLabel->text(), QStringLiteral("30"));
    // Past the ten frames the camera dropped (places 5 to 14 of the file).
    QTRY_VERIFY_WITH_TIMEOUT(engine.framesCaptured() >= 8, 20000);
    s.noteContact();
    const int contact = s.form().contactFrameLabel->text().toInt();
    QVERIFY2(contact >= 17, qPrintable(s.form().contactFrameLabel->text()));
    s.keyPressed(27);
    QVERIFY(rig.reachedFrameSelection());

    const Station::CaptureHandOver& h = rig.station->captureHandOver;
    QCOMPARE(h.notedFrame, contact);
    QCOMPARE(h.frameRate, 30.0);
    const Result<AviHeader> header = readAviHeader(h.path);
    QVERIFY2(header.ok(), qPrintable(header.message()));
    QCOMPARE(aviFrameRate(header->summary), 30);
    QCOMPARE(int(header->summary.length), h.frameCount);
    QVERIFY(contact < h.frameCount);
    // The screen's counters at the end are the file's.
    QCOMPARE(s.form().framesLabel->text().toInt() + s.form().framesDroppedLabel->text().toInt(),
             h.frameCount);
    QCOMPARE(s.form().framesDroppedLabel->text().toInt(), 10);
    FW_VERIFY_DIALOGS(f.dialogs);
}

QTEST_MAIN(TestCaptureScreen)
#include "test_capture_screen.moc"
