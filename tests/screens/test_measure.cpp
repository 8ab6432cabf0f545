// The measurement screen on a real grid: placing and nudging the impact point, the marker and
// splash indicator, verify mode, grid choice, pictures arriving, recording every outcome, saving
// the picture and leaving.

#include "SampleGrid.h"
#include "StationFixture.h"
#include "station/Station.h"
#include "measure/ResultsFile.h"
#include "platform/KeyboardState.h"
#include "screens/ConfigurationScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "support/textfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace fw;
using namespace fw::test;

namespace {

// A station started on a stored sample grid, left on the measurement screen.
struct MeasureRig {
    explicit MeasureRig(StationFixture& f, QList<QPair<const char*, const char*>> settings = {})
        : fixture(f)
    {
        videos = f.makeFolder(QStringLiteral("Videos"));
        const QString setup = f.makeFolder(QStringLiteral("Setup"));
        grid1 = setup + QStringLiteral("/north.ipt");
        writeSampleGrid(grid1, 1);
        f.store().write(QStringLiteral("logpath"), videos);
        f.store().write(QStringLiteral("grid1File"), grid1);
        for (const auto& [key, value] : settings)
            f.store().write(QLatin1String(key), QLatin1String(value));
        f.dialogs.expectMessage(DialogAnswer::No).expectMessage();
        station = std::make_unique<Station>(f.store(), f.dialogs, f.clock, keys,
                                            StationPaths(f.stationFolder()));
        station->start();
        station->configuration().exitAndSave();
        station->mainScreen().reviewPictures();
        f.dialogs.clear();
    }
    MeasurementScreen& m() { return station->measurement(); }
    QByteArray results() const
    {
        return readBytes(videos + QStringLiteral("/JumpMeasurementResults120526.txt"));
    }
    QString exchange(const QString& name) const { return station->paths().inExchange(name); }
    void click(double X, double Y)
    {
        const ScreenPoint p = samplePicturePoint(X, Y);
        m().Form_MouseDown({p.x, p.y});
        m().DrawImpactMark();
    }
    void setSkier(const QString& name)
    {
        m().Skier_name->setEditText(name);
        m().Skier_name_Change();
    }

    StationFixture& fixture;
    KeyboardState keys;
    std::unique_ptr<Station> station;
    QString videos;
    QString grid1;
};

const QByteArray kHead = "12-05-2026 14:03:09 ";

QImage testPicture()
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(QColor(20, 90, 140));
    return image;
}

} // namespace

class TestMeasure : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void measuredFallAndPassJumps();
    void otherGridEntries();
    void markerAdjustmentAndVerifyMode();
    void reridesCommentsAndAnUnwritableResultsFile();
    void barefootFigures();
    void pointBeyondTheHorizonIsRefused();
    void gridButtonCyclesTheConfiguredGrids();
    void picturesLoadedSnappedAndHandedOver();
    void savePictureNotesItEverywhere();
    void exitAppliesThePictureSavePolicy();
    void arrowKeysMoveTheMarkerOnly();
    void badEntriesAreRefusedBeforeAnythingIsWritten();
    void aNewPictureNeedsItsOwnImpactPoint();
    void refusedResultsSurviveACrash();
    void contactPicturesAreNeverOverwritten();
    void controlsKeepTheirPlacesAndTheHandOverWaits();
    void skierNamesTheFilesCannotHoldAndAnEmptyList();
    void distanceUncertaintyIsShownNotRecorded();
};

void TestMeasure::measuredFallAndPassJumps()
{
    StationFixture f;
    MeasureRig r(f, {{"WSTIMS", "1"}});
    MeasurementScreen& m = r.m();
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    r.setSkier(QStringLiteral("Smith,John"));
    // 43.53 m from the jump point along the course: 45.63 m with the ramp.
    r.click(43.53, 20);
    m.Record_Click();
    QCOMPARE(m.distance->text(), QStringLiteral(" 45.6m"));
    QVERIFY(r.results().endsWith(kHead + "Smith,John  jump 1 -  45.6m  (IWSF) 150ft  (AWSA)"
                                         " ( 43.53/ 20) ( 6882/ 4500) ( 45.63)\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("OK,  45.6,  150, 1\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxraw.dst"))),
             QByteArray("14:03:09 ,Smith,OK,  45.6,  150, 1\r\n"));
    // A jump measured on a picture that is not held: the number advances at Clear.
    m.Unfreeze_Click();
    QCOMPARE(m.Jump_no->text(), QStringLiteral(" 2"));

    // Fall with no picture held: the number advances at once, the option is cleared; the line
    // repeats the last positions.
    m.Fall->click();
    m.Record_Click();
    QCOMPARE(m.Jump_no->text(), QStringLiteral(" 3"));
    QVERIFY(!m.Fall->isChecked());
    QVERIFY(r.results().endsWith(kHead + "Smith,John  jump  2 -   (IWSF)  (AWSA)Fall ( 43.53/ 20) "
                                         "( 6882/ 4500) ( 45.63)\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("Fall, 0, 0, 2\r\n"));

    // Pass on a held picture: the number waits for Clear.
    QApplication::clipboard()->setImage(testPicture());
    m.mnuPaste_Click();
    m.Pass->click();
    m.Record_Click();
    QCOMPARE(m.Jump_no->text(), QStringLiteral(" 3"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("Pass, 0, 0, 3\r\n"));
    m.Unfreeze_Click();
    QCOMPARE(m.Jump_no->text(), QStringLiteral(" 4"));
    QVERIFY(m.optJumpOK->isChecked());
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxraw.dst"))).count('\n'), 3);
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestMeasure::otherGridEntries()
{
    StationFixture f;
    MeasureRig r(f, {{"WSTIMS", "1"}});
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    MeasurementScreen& m = r.m();
    r.setSkier(QStringLiteral("Smith"));
    // 134 ft does not go with 40 m; 132 does.
    m.Other_Grid->click();
    m.Comment->clear(); // the option's own comment would go on the line
    f.dialogs.expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40"))
        .expectInput(QStringLiteral("134"))
        .expectMessage()
        .expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40"))
        .expectInput(QStringLiteral("132"));
    m.Record_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.results().endsWith(kHead + "Smith  jump 1 - 40m  (IWSF)132 ft  (AWSA)\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("OK, 40, 132 , 1\r\n"));

    // No distance on the other grid.
    m.Other_Grid->click();
    f.dialogs.expectMessage(DialogAnswer::No);
    m.Record_Click();
    QVERIFY(r.results().endsWith(kHead + "Smith  jump  2 -   (IWSF)  (AWSA)Other Grid - no "
                                         "distance recorded\r\n"));

    // A cancelled entry abandons the recording: nothing written, nothing sent.
    const QByteArray before = r.results();
    const QByteArray sent = readBytes(r.exchange(QStringLiteral("qxresult.dst")));
    m.Other_Grid->click();
    f.dialogs.expectMessage(DialogAnswer::Yes).expectInput(std::nullopt);
    m.Record_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(r.results(), before);
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))), sent);
}

void TestMeasure::markerAdjustmentAndVerifyMode()
{
    StationFixture f;
    MeasureRig r(f, {{"impactcolor", "red"}});
    MeasurementScreen& m = r.m();
    r.click(40, 10);
    const ScreenPoint p = samplePicturePoint(40, 10);
    const auto h = m.picture->item(m.lineHorizontalImpact).value();
    QCOMPARE(h.color, kRed);
    QCOMPARE(h.a, QPointF(p.x, p.y));
    QCOMPARE(h.b, QPointF(p.x - m.CrossSize->value(), p.y)); // to the left: jumps go left to right
    // The red cross has a dark outline a pixel either side of each arm, seen on any water.
    const auto above = m.picture->item(m.crossOutline[0]).value();
    QVERIFY(above.visible);
    QCOMPARE(above.color, kBlack);
    QCOMPARE(above.a.y(), p.y - 15);
    // The buoys' X rises from left to right: the splash line stands 2.1 m further along X.
    const auto s = m.picture->item(m.lineSplashIndicator).value();
    const ScreenPoint splash = samplePicturePoint(42.1, 10);
    QVERIFY(std::abs(s.a.x() - splash.x) < 1e-6 && std::abs(s.a.y() - splash.y) < 1e-6);

    // Three presses without a redraw step from the last drawn point: 15 twips, not 45; arrow
    // keys held together step both ways at once.
    m.AdjustLeft_Click();
    m.AdjustLeft_Click();
    m.AdjustLeft_Click();
    QCOMPARE(m.impact.x, p.x - 15);
    r.click(40, 10);
    r.keys.setDown(Qt::Key_Left, true);
    r.keys.setDown(Qt::Key_Up, true);
    m.keyTimer_Timer();
    QCOMPARE(m.impact.x, p.x - 15);
    QCOMPARE(m.impact.y, p.y - 15);
    r.keys.releaseAll();

    // Verify mode reads out where the mouse is and marks what is recorded as unofficial.
    m.verify_Click();
    QVERIFY(!m.verifyLabels[4]->isHidden());
    const ScreenPoint q = samplePicturePoint(43.53, 20);
    m.Form_MouseMove({q.x + 0.7, q.y});
    QCOMPARE(m.xposition->text(), QStringLiteral(" 43.53"));
    QCOMPARE(m.VerifyDistance->text(), QStringLiteral(" 45.6m  150ft"));
    r.click(43.53, 20);
    m.Record_Click();
    QVERIFY(r.results().contains("(AWSA) UNOFFICIAL JUMP - verify mode  ( 43.53/ 20)"));
}

void TestMeasure::reridesCommentsAndAnUnwritableResultsFile()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    // A line the results file cannot take is shown and kept.
    const QString good = r.station->settings.ResultsFilePath;
    r.station->settings.ResultsFilePath = f.path(QStringLiteral("gone/results.txt"));
    r.setSkier(QStringLiteral("Lee"));
    r.click(43.53, 20);
    f.dialogs.expectMessage();
    m.Record_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().at(0).contains(QLatin1String("Lee  jump 1 -  45.6m")));
    // The next entry that can be written brings the kept line along first. A reride clears the
    // distance; a cancelled comment writes no line.
    r.station->settings.ResultsFilePath = good;
    m.M_Reride->click();
    QCOMPARE(m.distance->text(), QString());
    m.O_reride->click();
    f.dialogs.expectInput(QStringLiteral("Boat off line")).expectInput(std::nullopt);
    m.Make_comment->click();
    m.Make_comment->click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.results().endsWith(
        kHead +
        "Lee  jump 1 -  45.6m  (IWSF) 150ft  (AWSA) ( 43.53/ 20) ( 6882/ 4500) ( 45.63)\r\n" +
        kHead + "Mandatory Reride - disregard last jump\r\n" + kHead +
        "Optional Reride on previous jump\r\n" + kHead + "Boat off line\r\n"));
    QVERIFY(!r.station->results().hasPending());
    QCOMPARE(m.Jump_no->text(), QStringLiteral("1")); // rerides and comments leave it

    // Another skier starts again at jump 1 with no distance shown.
    m.Jump_no->setText(QStringLiteral(" 4"));
    m.distance->setText(QStringLiteral(" 45.6m"));
    r.setSkier(QStringLiteral("Doe"));
    QCOMPARE(m.Jump_no->text(), QStringLiteral("1"));
    QCOMPARE(m.distance->text(), QString());
}
void TestMeasure::barefootFigures()
{
    // The sit-ski offset and the tenths of a foot are checked with the grid geometry.
    StationFixture f;
    MeasureRig r(f, {{"tournamentType", "barefoot"}});
    MeasurementScreen& m = r.m();
    r.setSkier(QStringLiteral("Lee"));
    r.click(30, 20); // 30 m from the jump point, no ramp offset
    // For barefoot the splash indicator sits at the impact point.
    const auto s = m.picture->item(m.lineSplashIndicator).value();
    const ScreenPoint p = samplePicturePoint(30, 20);
    QVERIFY(std::abs(s.a.x() - p.x) < 1e-6 && std::abs(s.a.y() - p.y) < 1e-6);
    m.Record_Click();
    QVERIFY(r.results().endsWith(kHead + "Lee  jump 1 -  30m  (IWSF) 98.4ft  (AWSA) BAREFOOT "
                                         " ( 30/ 20) ( 3500/ 4500) ( 30)\r\n"));
}

void TestMeasure::pointBeyondTheHorizonIsRefused()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    // A camera looking across the water: the far buoys crowd together near the horizon.
    MeasurementGrid g;
    // In BuoyIndex order: upper right, lower right, upper left, lower left.
    g.buoyPicture = {{{7000, 2000}, {11000, 8000}, {5000, 2000}, {1000, 8000}}};
    g.buoySurvey = {{{60, 40}, {60, 0}, {20, 40}, {20, 0}}};
    g.c = SolveCoefficients(g.buoyPicture, g.buoySurvey).value();
    QVERIFY(g.c[4] != 0.0);
    r.station->grids.working = g;
    // On the horizon line the denominator 1 + c4 x + c5 y is zero.
    const double x = 6000;
    const double y = -(1 + g.c[3] * x) / g.c[4];
    m.Form_MouseDown({x, y});
    m.DrawImpactMark();
    QVERIFY(!m.picture->item(m.lineSplashIndicator)->visible);
    const QByteArray before = r.results();
    f.dialogs.expectMessage();
    m.Record_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().at(0).contains(QLatin1String("beyond the horizon")));
    QCOMPARE(r.results(), before);

    // Further up, beyond the horizon, the mapping still gives numbers: none of them is shown.
    m.verify_Click();
    const ScreenPoint beyond{x, y - 600};
    m.Form_MouseMove({beyond.x, beyond.y});
    QVERIFY(m.VerifyDistance->text().isEmpty() && m.xposition->text().isEmpty());
    QVERIFY(m.findChild<QLabel*>(QStringLiteral("verifyUncertainty"))->text().isEmpty());
    m.Form_MouseDown({beyond.x, beyond.y});
    m.DrawImpactMark();
    QVERIFY(!m.picture->item(m.lineSplashIndicator)->visible);
    f.dialogs.expectMessage();
    m.Record_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().last().contains(QLatin1String("beyond the horizon")));
    QCOMPARE(r.results(), before);
    QVERIFY(m.findChild<QLabel*>(QStringLiteral("distanceUncertainty"))->text().isEmpty());
}

// Guards the distance's uncertainty from picture rounding: shown beside the meters in the
// figure's own font and in the verify read-out, never in the recorded texts.
void TestMeasure::distanceUncertaintyIsShownNotRecorded()
{
    StationFixture f;
    MeasureRig r(f, {{"WSTIMS", "1"}});
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    MeasurementScreen& m = r.m();
    r.setSkier(QStringLiteral("Lee"));
    r.click(43.53, 20);
    m.Record_Click();
    const ScreenPoint p = samplePicturePoint(43.53, 20);
    const double bound = distanceUncertainty_m(r.station->grids.working, p, Tournament()).value();
    QVERIFY(bound > 0);
    const QString shown = QStringLiteral("\u00B1 %1 m").arg(bound, 0, 'f', 2);
    auto* beside = m.findChild<QLabel*>(QStringLiteral("distanceUncertainty"));
    QVERIFY(beside);
    QCOMPARE(beside->text(), shown);
    QCOMPARE(beside->font(), m.distance->font());
    QCOMPARE(m.distance->text(), QStringLiteral(" 45.6m"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("OK,  45.6,  150, 1\r\n"));
    QVERIFY(r.results().endsWith(") ( 45.63)\r\n"));

    m.verify_Click();
    m.Form_MouseMove({p.x, p.y});
    QCOMPARE(m.findChild<QLabel*>(QStringLiteral("verifyUncertainty"))->text(), shown);
    // A new skier's jump starts without a figure.
    r.setSkier(QStringLiteral("Ann"));
    QVERIFY(beside->text().isEmpty());
}

void TestMeasure::gridButtonCyclesTheConfiguredGrids()
{
    StationFixture f;
    const QString second = f.makeFolder(QStringLiteral("Setup2")) + QStringLiteral("/south.ipt");
    writeSampleGrid(second, 2, true, QStringLiteral("South camera"));
    f.store().write(QStringLiteral("grid2File"), second);
    MeasureRig r(f, {{"grids", "2"}});
    r.m().Set_grid_Click();
    QCOMPARE(r.station->grids.currentGrid, 2);
    r.m().Set_grid_Click();
    QCOMPARE(r.m().Set_grid->text(), QStringLiteral("&Grid 1"));
    QCOMPARE(r.station->grids.currentGrid, 1);
}

void TestMeasure::picturesLoadedSnappedAndHandedOver()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    const QString pics = f.makeFolder(QStringLiteral("Pics"));
    const QString file = pics + QStringLiteral("/jump.bmp");
    QVERIFY(testPicture().save(file, "BMP"));
    QVERIFY(writeBytes(pics + QStringLiteral("/broken.bmp"), "BM not really"));
    f.dialogs.expectOpenFile(file)
        .expectOpenFile(pics + QStringLiteral("/broken.bmp"))
        .expectMessage();
    m.LoadPict_Click();
    // 800 px at 96 dpi: 21167 hundredths of a millimetre, times 15 / 26.5.
    QCOMPARE(m.pictureWidth, QStringLiteral("11981"));
    QVERIFY(r.results().endsWith(kHead + "Loaded picture: " + file.toLatin1() + "\r\n"));
    // A picture that cannot be read changes nothing.
    const QByteArray before = r.results();
    m.LoadPict_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(r.results(), before);
    QVERIFY(m.picture->hasPicture());

    // The snapshot in the exchange folder is held like a pasted picture; Clear lets it go and
    // removes the exchange folder's pictures.
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    QVERIFY(testPicture().save(r.exchange(QStringLiteral("snapshot.bmp")), "BMP"));
    m.ImgSnapShot_Click();
    QVERIFY(m.pictureHeld);
    m.Unfreeze_Click();
    QVERIFY(!m.picture->hasPicture());
    QVERIFY(!QFile::exists(r.exchange(QStringLiteral("snapshot.bmp"))));

    // The clipboard hand-over takes the picture once its flag says Ready, and resets the flag.
    const QString flag = r.exchange(QStringLiteral("clipflag.txt"));
    QApplication::clipboard()->setImage(testPicture());
    m.cbAutoLoadClipboard->click();
    QVERIFY(writeBytes(flag, "  \r\n"));
    m.loadTimer_Timer();
    QVERIFY(!m.picture->hasPicture());
    QVERIFY(writeBytes(flag, "Ready\r\n"));
    m.loadTimer_Timer();
    QVERIFY(m.picture->hasPicture());
    QCOMPARE(readBytes(flag), QByteArray("  \r\n"));
}

void TestMeasure::savePictureNotesItEverywhere()
{
    // The .info file and the log line's parts are checked with the picture names.
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    const QString pics = f.makeFolder(QStringLiteral("Pics"));
    r.station->settings.PicturesFolder = pics + QDir::separator();
    // The log line names the captured video's skier and jump; the pass counter is one past it.
    r.station->captureSkier = QStringLiteral("Smith");
    r.station->capturePass = QStringLiteral(" 4");
    QApplication::clipboard()->setImage(testPicture());
    m.mnuPaste_Click();
    r.setSkier(QStringLiteral("Smith"));
    m.Jump_no->setText(QStringLiteral(" 3"));
    r.click(43.53, 20);
    m.Record_Click();
    const QString path = pics + QStringLiteral("/Smithjump3.bmp");
    f.dialogs.expectMessage();
    m.SavePict_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(QImage(path).size(), QSize(800, 600));
    QVERIFY(r.results().endsWith(kHead + "Saved picture: " + path.toLatin1() + "\r\n"));
    QVERIFY(m.statusBar()->currentMessage().contains(QDir::toNativeSeparators(path)));
    const QByteArray log = readBytes(r.videos + QStringLiteral("/JumpMeasurementLog120526.txt"));
    QVERIFY2(log.endsWith("Skier: Smith  Jump:  3      Distance:  45.6m            File: " +
                          path.toLatin1() + "\r\n"),
             log.constData());
}

void TestMeasure::exitAppliesThePictureSavePolicy()
{
    StationFixture f;
    MeasureRig r(f, {{"PictureSave", "Ask"}});
    MeasurementScreen& m = r.m();
    const QString pics = f.makeFolder(QStringLiteral("Pics"));
    r.station->settings.PicturesFolder = pics + QDir::separator();
    QVERIFY(testPicture().save(r.station->paths().inStation(QStringLiteral("currentcapture.bmp")),
                               "BMP"));
    // Arriving from frame selection brings the grabbed frame.
    m.hide();
    r.station->arrivedFrom = ArrivedFrom::MarkedFrame;
    r.station->show(Screen::Measurement);
    QVERIFY(m.picture->hasPicture());
    r.setSkier(QStringLiteral("Lee"));
    f.dialogs.expectMessage(DialogAnswer::Yes).expectMessage();
    m.Exit_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(QFile::exists(pics + QStringLiteral("/Leejump1.bmp")));
    QVERIFY(!m.isVisible() && r.station->mainScreen().isVisible());
    QVERIFY(r.station->arrivedFrom == ArrivedFrom::Elsewhere);
}

// Guards against a stray key recording anything: arrow keys pressed on the outcome options or the
// skier list neither change the outcome nor the skier (which would restart the jump number).
void TestMeasure::arrowKeysMoveTheMarkerOnly()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    m.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m));
    r.setSkier(QStringLiteral("Ann"));
    m.Jump_no->setText(QStringLiteral(" 3"));
    const QByteArray before = r.results();
    m.optJumpOK->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QVERIFY(m.optJumpOK->isChecked());
    for (QRadioButton* o : {m.Fall, m.Pass, m.O_reride, m.M_Reride, m.Other_Grid, m.Make_comment})
        QVERIFY(!o->isChecked());
    QVERIFY(m.Comment->text().isEmpty());
    QCOMPARE(r.results(), before);

    m.Skier_name->addItems({QStringLiteral("Ann"), QStringLiteral("Bob")});
    m.Skier_name->setCurrentIndex(0);
    m.Skier_name->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(m.Skier_name->currentText(), QStringLiteral("Ann"));
    QCOMPARE(m.Jump_no->text(), QStringLiteral(" 3"));
    FW_VERIFY_DIALOGS(f.dialogs);
}

// Guards the scoring program's line against entries that are not what they claim: other-grid
// figures that are not numbers are asked again (a decimal comma is read as a point), and a jump
// number that is not a whole number from 1 to 99 refuses the recording.
void TestMeasure::badEntriesAreRefusedBeforeAnythingIsWritten()
{
    StationFixture f;
    MeasureRig r(f, {{"WSTIMS", "1"}});
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    MeasurementScreen& m = r.m();
    r.setSkier(QStringLiteral("Smith"));
    m.Other_Grid->click();
    m.Comment->clear();
    f.dialogs.expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("abc"))
        .expectMessage()
        .expectInput(QStringLiteral("40,5"))
        .expectInput(QStringLiteral("xyz"))
        .expectMessage()
        .expectInput(QStringLiteral(""))
        .expectMessage()
        .expectInput(QStringLiteral("133"));
    m.Record_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().at(2).contains(QLatin1String("\"abc\"")));
    QVERIFY(f.dialogs.texts().at(5).contains(QLatin1String("feet")));
    QVERIFY(f.dialogs.texts().at(7).contains(QLatin1String("feet")));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("OK, 40.5, 133 , 1\r\n"));

    r.click(43.53, 20);
    const QByteArray results = r.results();
    const QByteArray sent = readBytes(r.exchange(QStringLiteral("qxresult.dst")));
    for (const char* bad : {"x7", "0", "100", "2.5", "", "7x"}) {
        m.Jump_no->setText(QLatin1String(bad));
        f.dialogs.expectMessage();
        m.Record_Click();
        FW_VERIFY_DIALOGS(f.dialogs);
        QVERIFY2(f.dialogs.texts().last().contains(QLatin1String("jump number")), bad);
        QCOMPARE(r.results(), results);
        QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))), sent);
    }
    m.Jump_no->setText(QStringLiteral(" 99"));
    m.Record_Click();
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("OK,  45.6,  150,  99\r\n"));
    FW_VERIFY_DIALOGS(f.dialogs);
}

// Guards against the previous skier's point recorded for the next jump: every road by which a
// picture arrives clears the impact point and the distances, and Record Jump then asks for a
// click; Fall needs none.
void TestMeasure::aNewPictureNeedsItsOwnImpactPoint()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    const QString pics = f.makeFolder(QStringLiteral("Pics"));
    const QString file = pics + QStringLiteral("/jump.bmp");
    QVERIFY(testPicture().save(file, "BMP"));
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    const QString flag = r.exchange(QStringLiteral("clipflag.txt"));
    r.setSkier(QStringLiteral("Lee"));

    const std::function<void()> arrivals[] = {
        [&] {
            QApplication::clipboard()->setImage(testPicture());
            m.mnuPaste_Click();
        },
        [&] {
            f.dialogs.expectOpenFile(file);
            m.LoadPict_Click();
        },
        [&] {
            QApplication::clipboard()->setImage(testPicture());
            QVERIFY(writeBytes(flag, "Ready\r\n"));
            m.loadTimer_Timer();
        },
        [&] { QVERIFY(m.showPictureFile(file, file)); },
        // A frame from the frame selection screen that cannot be read: the last jump's picture
        // and point must not stand in for it.
        [&] {
            QFile::remove(r.station->paths().inStation(QStringLiteral("currentcapture.bmp")));
            r.station->arrivedFrom = ArrivedFrom::MarkedFrame;
            f.dialogs.expectMessage();
            m.Form_Activate();
            QVERIFY(!m.picture->hasPicture());
        },
    };
    for (const auto& arrive : arrivals) {
        r.click(43.53, 20);
        m.Record_Click();
        QCOMPARE(m.distance->text(), QStringLiteral(" 45.6m"));
        arrive();
        QCOMPARE(m.distance->text(), QString());
        const QByteArray before = r.results();
        f.dialogs.expectMessage();
        m.Record_Click();
        FW_VERIFY_DIALOGS(f.dialogs);
        QVERIFY(f.dialogs.texts().last().contains(QLatin1String("Click")));
        QCOMPARE(r.results(), before);
        QVERIFY(!m.picture->item(m.lineHorizontalImpact)->visible);
    }
    m.Fall->click();
    m.Record_Click();
    QVERIFY(r.results().contains("(AWSA)Fall"));
    FW_VERIFY_DIALOGS(f.dialogs);
}

// Guards the jumps that the results file refused: three of them survive the station's end
// without a clean quit, and the next start writes them first, in order, once each.
void TestMeasure::refusedResultsSurviveACrash()
{
    StationFixture f;
    QString resultsPath;
    {
        MeasureRig r(f);
        resultsPath = r.station->settings.ResultsFilePath;
        QVERIFY(QFile::remove(resultsPath));
        QVERIFY(QDir().mkpath(resultsPath)); // a folder in its place: the file cannot be opened
        r.setSkier(QStringLiteral("Lee"));
        for (int jump = 0; jump < 3; ++jump) {
            r.click(41 + jump, 20);
            f.dialogs.expectMessage();
            r.m().Record_Click();
            r.m().Unfreeze_Click();
        }
        FW_VERIFY_DIALOGS(f.dialogs);
        r.station.reset(); // no quit: as after a crash
        QVERIFY(QDir(resultsPath).removeRecursively());
    }
    MeasureRig again(f);
    const QByteArray text = again.results();
    const QByteArray lines[] = {"Lee  jump 1 -  43.1m", "Lee  jump  2 -  44.1m",
                                "Lee  jump  3 -  45.1m"};
    qsizetype at = -1;
    for (const QByteArray& line : lines) {
        QCOMPARE(text.count(line), 1);
        QVERIFY2(text.indexOf(line) > at, text.constData());
        at = text.indexOf(line);
    }
    QVERIFY(!again.station->results().hasPending());

    // At quit one more try: a line refused a moment ago is written then, and nothing is said.
    QVERIFY(QFile::rename(resultsPath, resultsPath + QStringLiteral(".away")));
    QVERIFY(QDir().mkpath(resultsPath));
    again.click(40, 20);
    f.dialogs.expectMessage();
    again.m().Record_Click();
    QVERIFY(QDir(resultsPath).removeRecursively());
    QVERIFY(QFile::rename(resultsPath + QStringLiteral(".away"), resultsPath));
    again.station->quit();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(again.results().endsWith("(AWSA) ( 40/ 20) ( 6000/ 4500) ( 42.1)\r\n"));
    QVERIFY(!QFile::exists(again.station->results().pendingPath()));
}

// Guards the kept pictures: saving never replaces a contact picture or its information file;
// the next free name is used and named in the results file and the log.
void TestMeasure::contactPicturesAreNeverOverwritten()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    const QString pics = f.makeFolder(QStringLiteral("Pics"));
    r.station->settings.PicturesFolder = pics + QDir::separator();
    QVERIFY(writeBytes(pics + QStringLiteral("/Leejump1.bmp"), "earlier skier"));
    QVERIFY(writeBytes(pics + QStringLiteral("/Leejump1_2.bmp.info"), "earlier info"));
    QApplication::clipboard()->setImage(testPicture());
    m.mnuPaste_Click();
    r.setSkier(QStringLiteral("Lee"));
    const QString path = pics + QStringLiteral("/Leejump1_3.bmp");
    f.dialogs.expectMessage();
    m.SavePict_Click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(readBytes(pics + QStringLiteral("/Leejump1.bmp")), QByteArray("earlier skier"));
    QCOMPARE(readBytes(pics + QStringLiteral("/Leejump1_2.bmp.info")), QByteArray("earlier info"));
    QCOMPARE(QImage(path).size(), QSize(800, 600));
    QVERIFY(f.dialogs.texts().last().contains(path));
    QVERIFY(QFile::exists(path + QStringLiteral(".info")));
    QVERIFY(r.results().endsWith(kHead + "Saved picture: " + path.toLatin1() + "\r\n"));
    const QByteArray log = readBytes(r.videos + QStringLiteral("/JumpMeasurementLog120526.txt"));
    QVERIFY(log.endsWith("File: " + path.toLatin1() + "\r\n"));
}

// Guards the operator's habits and the hand-over: Record Jump stays where it was when the comment
// box shows or hides; a Ready flag with no picture on the clipboard waits for the picture, and
// the hand-over's timer runs only while the screen shows.
void TestMeasure::controlsKeepTheirPlacesAndTheHandOverWaits()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    const auto recordPlace = [&] {
        QApplication::processEvents();
        m.centralWidget()->layout()->activate();
        return m.Record->mapTo(&m, QPoint(0, 0));
    };
    const QPoint place = recordPlace();
    m.Fall->click();
    QCOMPARE(recordPlace(), place);
    m.Record_Click();
    QCOMPARE(recordPlace(), place);

    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    const QString flag = r.exchange(QStringLiteral("clipflag.txt"));
    QApplication::clipboard()->clear();
    m.cbAutoLoadClipboard->click();
    QVERIFY(writeBytes(flag, "Ready\r\n"));
    m.loadTimer_Timer();
    QCOMPARE(readBytes(flag), QByteArray("Ready\r\n"));
    QVERIFY(!m.picture->hasPicture());
    QApplication::clipboard()->setImage(testPicture());
    m.loadTimer_Timer();
    QVERIFY(m.picture->hasPicture());
    QVERIFY(m.loadTimer->isActive());
    m.hide();
    QVERIFY(!m.loadTimer->isActive());
    r.station->show(Screen::Measurement);
    QVERIFY(m.loadTimer->isActive());

    // A Ready flag that cannot be set back (here a folder stands where its replacement is
    // written) would hand the same picture over every second and wipe each click on it: the
    // operator is told, and the automatic loading stops with the picture and its point kept.
    QVERIFY(QDir().mkpath(flag + QStringLiteral(".fwsave")));
    QVERIFY(writeBytes(flag, "Ready\r\n"));
    f.dialogs.clear();
    f.dialogs.expectMessage();
    m.loadTimer_Timer();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().last().contains(QLatin1String("clipflag.txt")));
    QVERIFY(!m.loadTimer->isActive());
    QVERIFY(!m.cbAutoLoadClipboard->isChecked());
    r.click(43.53, 20);
    m.hide();
    r.station->show(Screen::Measurement);
    QVERIFY(!m.loadTimer->isActive());
    m.Record_Click();
    QCOMPARE(m.distance->text(), QStringLiteral(" 45.6m"));
}

// Guards the skier names: characters the station's files cannot hold are named to the operator
// once per name, and a names file that holds no names empties the screen's list.
void TestMeasure::skierNamesTheFilesCannotHoldAndAnEmptyList()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    f.dialogs.expectMessage();
    r.setSkier(QStringLiteral("\u0141ukasz \u017Bak M\u00FCller"));
    m.Skier_name_Change();
    Q_EMIT m.Skier_name->lineEdit()->editingFinished();
    FW_VERIFY_DIALOGS(f.dialogs);
    const QString said = f.dialogs.texts().last();
    QVERIFY2(said.contains(QStringLiteral("cannot hold: \u0141 \u017B.")), qPrintable(said));
    // A name handed over by the capture screen as a recording starts is said when this screen
    // shows, not in the middle of the start.
    m.hide();
    m.Skier_name->setEditText(QStringLiteral("\u0416enya"));
    m.Skier_name_Change();
    FW_VERIFY_DIALOGS(f.dialogs);
    f.dialogs.expectMessage();
    r.station->show(Screen::Measurement);
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().last().contains(QStringLiteral("cannot hold: \u0416.")));

    r.station->skierNameList = {QStringLiteral("Ann"), QStringLiteral("Bob")};
    m.hide();
    r.station->show(Screen::Measurement);
    QCOMPARE(m.Skier_name->count(), 2);
    r.station->skierNameList.clear();
    m.hide();
    r.station->show(Screen::Measurement);
    QCOMPARE(m.Skier_name->count(), 0);
}

QTEST_MAIN(TestMeasure)
#include "test_measure.moc"
