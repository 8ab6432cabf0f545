// The capture screen and panel on the demo camera: recordings that reach the frame selection
// screen, the name rules, Contact and Esc, a camera lost while recording, the start-up with no
// capture source at all.

#include "StationFixture.h"
#include "app/Station.h"
#include "media/CaptureEngine.h"
#include "platform/KeyboardState.h"
#include "review/AviHeader.h"
#include "screens/Config.h"
#include "screens/MainForm.h"
#include "screens/PreviewForm.h"
#include "screens/frmSetStart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
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
    CaptureRig(StationFixture& f, QList<QPair<const char*, const char*>> settings,
               bool noSources = false)
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
        if (noSources) {
            station->captureEngine().setDeviceLister({});
            station->captureEngine().setDemoCameraListed(false);
            f.dialogs.expectMessage();
        }
        f.dialogs.expectMessage();
        station->start();
        station->config().mnuExit_Click();
    }
    PreviewForm& screen() { return station->capture(); }
    QString video(const QString& name) const { return QDir(videos).filePath(name); }
    // Waits until the recording has gone on to the frame selection screen.
    bool reachedFrameSelection(int timeout_ms = 10000)
    {
        QDeadlineTimer deadline(timeout_ms);
        while (
            !(station->created(Screen::FrameSelection) && station->frameSelection().isVisible()) &&
            !deadline.hasExpired())
            QTest::qWait(20);
        return station->created(Screen::FrameSelection) && station->frameSelection().isVisible() &&
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
    // A station with no capture source: the start-up says so and Connect says it again.
    void noCaptureSource();
};

void TestCaptureScreen::recordingsReachFrameSelection()
{
    StationFixture f;
    CaptureRig rig(f, {{"captureTime", "3"}, {"framerate", "30"}});
    FW_VERIFY_DIALOGS(f.dialogs);
    MainForm& main = rig.station->mainForm();
    QCOMPARE(main.Combo1->currentText(), CaptureEngine::demoCameraName());
    // Motion JPEG chosen on the panel, remembered by its index.
    main.CompressionCombo->setCurrentIndex(1);
    main.CompressionCombo_Click();
    QCOMPARE(f.store().read(QStringLiteral("compression"), {}), QStringLiteral("1"));

    // The Frames mode with AutoSave and an interval: stills repeat until the button is pressed
    // again (the repeats themselves are checked with the capture engine).
    main.CaptureType->setCurrentIndex(0);
    main.CaptureType_Click();
    main.EdtFile->setText(QStringLiteral("still.jpg"));
    main.ChkAutoSave->setChecked(true);
    main.EdtInterval->setText(QStringLiteral("1"));
    main.CmdCap_Click();
    QVERIFY(QFile::exists(rig.video(QStringLiteral("still.jpg"))));
    main.CmdCap_Click();
    QVERIFY(!rig.station->captureEngine().takingStills());
    main.CaptureType->setCurrentIndex(1);
    main.CaptureType_Click();

    main.cmdGoCapture_Click();
    PreviewForm& s = rig.screen();
    QVERIFY(s.isVisible());
    s.setSkierName(QStringLiteral("Smith"));

    // 1. Ended by time without Contact: the middle frame is noted.
    s.cmdStartCapture_Click();
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
    rig.station->frameSelection().cmdGoToCapture_Click();
    QVERIFY(s.isVisible());
    s.txtPass->setText(QStringLiteral("1"));
    s.txtPass_Change();
    f.dialogs.expectInput(QStringLiteral("SmithX")); // the frame selection screen offers a rename
    s.cmdStartCapture_Click();
    QCOMPARE(s.txtSkierName->text(), QStringLiteral("SmithX"));
    QVERIFY(s.Label4->isVisible()); // the warning of the changed name
    QTest::qWait(800);
    s.cmdStartTimer_Click();
    const int contact = s.lblStartFrame->text().toInt();
    QVERIFY(contact > 0);
    s.Form_KeyDown(27);
    QVERIFY(rig.reachedFrameSelection());
    QCOMPARE(h.path, QDir::toNativeSeparators(rig.video(QStringLiteral("SmithXjump1.avi"))));
    QCOMPARE(h.notedFrame, contact);
    QVERIFY(h.frameCount >= contact);
    FW_VERIFY_DIALOGS(f.dialogs);

    // 3. The camera goes away: the operator is told, the file plays up to its last frame.
    rig.station->frameSelection().cmdGoToCapture_Click();
    f.dialogs.expectMessage();
    s.cmdStartCapture_Click();
    QTest::qWait(300);
    rig.station->captureEngine().setDemoCameraPlugged(false);
    QVERIFY(rig.reachedFrameSelection());
    QCOMPARE(f.dialogs.calls().last().text,
             QStringLiteral("Warning: The capture device Demo Camera went away."));
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
    MainForm& main = rig.station->mainForm();
    main.cmdGoCapture_Click();
    PreviewForm& s = rig.screen();
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
    QCOMPARE(s.captureSeconds, 5.0);
    QCOMPARE(f.store().read(QStringLiteral("captureTime"), {}), QStringLiteral("5"));
    QCOMPARE(s.txtPass->text(), QStringLiteral(" 2"));
    FW_VERIFY_DIALOGS(f.dialogs);

    // The comma is refused and any name change restarts the pass.
    f.dialogs.expectMessage();
    s.txtSkierName->setText(QStringLiteral("Doe,Jane"));
    s.txtSkierName_Change();
    QCOMPARE(f.dialogs.calls().last().text,
             QStringLiteral("Sorry, you cannot use the \",\" character in this box"));
    QCOMPARE(s.txtSkierName->text(), QStringLiteral("Doe Jane"));
    QCOMPARE(s.txtPass->text(), QStringLiteral("1"));
    QCOMPARE(rig.station->captureSkier, QStringLiteral("Doe Jane"));

    // Ended by the countdown of five seconds at 30 frames a second without Contact: frame 75.
    s.cmdStartCapture_Click();
    // The countdown starts with the camera's first picture; its ticks, one past zero, end the
    // recording without waiting for the recording's clock.
    QTRY_VERIFY(s.cmdStartTimer->isEnabled());
    for (int tick = 0; tick < 6; ++tick)
        s.Timer40_Timer();
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
    MainForm& main = rig.station->mainForm();
    f.dialogs.expectMessage();
    main.CmdConnect_Click();
    QCOMPARE(main.CmdConnect->text(), QStringLiteral("Connect"));
    // The capture screen cannot start a recording: a plain warning, the screen stays idle.
    main.cmdGoCapture_Click();
    f.dialogs.expectMessage();
    rig.screen().cmdStartCapture_Click();
    QVERIFY(!rig.screen().recording());
    QVERIFY(f.dialogs.calls().last().text.startsWith(QStringLiteral("Warning: ")));
    QVERIFY(QDir(rig.videos).entryList({QStringLiteral("*.avi")}).isEmpty());
    FW_VERIFY_DIALOGS(f.dialogs);
}

QTEST_MAIN(TestCaptureScreen)
#include "test_capture_screen.moc"
