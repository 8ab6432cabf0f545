// The measurement screen on a real grid: placing and nudging the impact point, the marker and
// splash indicator, verify mode, grid choice, pictures arriving, recording every outcome, saving
// the picture and leaving.

#include "SampleGrid.h"
#include "StationFixture.h"
#include "measure/ResultsFile.h"
#include "platform/KeyboardState.h"
#include "screens/ConfigurationScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "station/Station.h"
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
        m().placeImpactPoint({p.x, p.y});
        m().drawImpactMarker();
    }
    void setSkier(const QString& name)
    {
        m().form().skierNameBox->setEditText(name);
        m().startNewSkier();
    }

    StationFixture& fixture;
    KeyboardState keys;
    std::unique_ptr<Station> station;
    QString videos;
    QString grid1;
};

const QByteArray kHead = "12-05-2026 14:03:09 ";

// Whether `act` shows one message, holding `part`, and no other dialog; says what came otherwise.
bool saysOnly(ScriptedDialogs& dialogs, const QString& part, const std::function<void()>& act)
{
    dialogs.expectMessage();
    act();
    const QString problems = dialogs.problems();
    const QString said = problems.isEmpty() ? dialogs.texts().last() : problems;
    if (problems.isEmpty() && said.contains(part))
        return true;
    qWarning("wanted one message holding \"%s\", got: %s", qPrintable(part), qPrintable(said));
    return false;
}

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
    void otherGridEntriesAndABadJumpNumber();
    void markerAdjustmentAndVerifyMode();
    void reridesAndComments();
    void barefootFigures();
    void pointBeyondTheHorizonIsRefused();
    void gridButtonCyclesTheConfiguredGrids();
    void picturesLoadedAndSnapped();
    void savePictureNotesItEverywhere();
    void exitAppliesThePictureSavePolicy();
    void arrowKeysMoveTheMarkerOnly();
    void aNewPictureNeedsItsOwnImpactPoint();
    void refusedResultsSurviveACrash();
    void controlsKeepTheirPlacesAndTheHandOverWaits();
    void skierNamesTheFilesCannotHoldAndAnEmptyList();
};

// Also guards the distance's uncertainty from picture rounding: shown beside the meters in the
// figure's own font and in the verify read-out, never in the recorded texts.
void TestMeasure::measuredFallAndPassJumps()
{
    StationFixture f;
    MeasureRig r(f, {{"WSTIMS", "1"}});
    MeasurementScreen& m = r.m();
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    r.setSkier(QStringLiteral("Smith,John"));
    // 43.53 m from the jump point along the course: 45.63 m with the ramp.
    r.click(43.53, 20);
    m.recordJump();
    QCOMPARE(m.form().metersEdit->text(), QStringLiteral(" 45.6m"));
    QVERIFY(r.results().endsWith(kHead + "Smith,John  jump 1 -  45.6m  (IWSF) 150ft  (AWSA)"
                                         " ( 43.53/ 20) ( 6882/ 4500) ( 45.63)\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("OK,  45.6,  150, 1\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxraw.dst"))),
             QByteArray("14:03:09 ,Smith,OK,  45.6,  150, 1\r\n"));
    const ScreenPoint p = samplePicturePoint(43.53, 20);
    const double bound = distanceUncertainty_m(r.station->grids.working, p, Tournament()).value();
    QVERIFY(bound > 0);
    const QString shown = QStringLiteral("\u00B1 %1 m").arg(bound, 0, 'f', 2);
    QCOMPARE(m.form().distanceUncertaintyLabel->text(), shown);
    QCOMPARE(m.form().distanceUncertaintyLabel->font(), m.form().metersEdit->font());
    // A jump measured on a picture that is not held: the number advances at Clear.
    m.clearJump();
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral(" 2"));

    // Fall with no picture held: the number advances at once, the option is cleared; the line
    // repeats the last positions.
    m.form().fallOption->click();
    m.recordJump();
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral(" 3"));
    QVERIFY(!m.form().fallOption->isChecked());
    QVERIFY(r.results().endsWith(kHead + "Smith,John  jump  2 -   (IWSF)  (AWSA)Fall ( 43.53/ 20) "
                                         "( 6882/ 4500) ( 45.63)\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("Fall, 0, 0, 2\r\n"));

    // Pass on a held picture: the number waits for Clear.
    QApplication::clipboard()->setImage(testPicture());
    m.takeClipboardPicture();
    m.form().passOption->click();
    m.recordJump();
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral(" 3"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("Pass, 0, 0, 3\r\n"));
    m.clearJump();
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral(" 4"));
    QVERIFY(m.form().jumpOkOption->isChecked());
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxraw.dst"))).count('\n'), 3);
    FW_VERIFY_DIALOGS(f.dialogs);

    m.toggleVerifyMode();
    m.showReadoutsAt({p.x, p.y});
    QCOMPARE(m.form().verifyUncertaintyLabel->text(), shown);
    r.click(43.53, 20);
    m.recordJump();
    QVERIFY(!m.form().distanceUncertaintyLabel->text().isEmpty());
    r.setSkier(QStringLiteral("Ann")); // a new skier's jump starts without a figure
    QVERIFY(m.form().distanceUncertaintyLabel->text().isEmpty());
}

// Guards what the screen does with another grid's distance: sent as typed (a decimal comma read
// as a point), the jump number moved on and the option cleared; a cancelled entry writes and
// sends nothing. A jump number the rules refuse writes and sends nothing either.
void TestMeasure::otherGridEntriesAndABadJumpNumber()
{
    StationFixture f;
    MeasureRig r(f, {{"WSTIMS", "1"}});
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    MeasurementScreen& m = r.m();
    r.setSkier(QStringLiteral("Smith"));
    m.form().otherGridOption->click();
    m.form().commentEdit->clear(); // the option's own comment would go on the line
    f.dialogs.expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40,5"))
        .expectInput(QStringLiteral("133"));
    m.recordJump();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.results().endsWith(kHead + "Smith  jump 1 - 40.5m  (IWSF)133 ft  (AWSA)\r\n"));
    QCOMPARE(readBytes(r.exchange(QStringLiteral("qxresult.dst"))),
             QByteArray("OK, 40.5, 133 , 1\r\n"));
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral(" 2"));
    QVERIFY(!m.form().otherGridOption->isChecked());

    const QByteArray before = r.results();
    const QByteArray sent = readBytes(r.exchange(QStringLiteral("qxresult.dst")));
    m.form().otherGridOption->click();
    f.dialogs.expectMessage(DialogAnswer::Yes).expectInput(std::nullopt);
    m.recordJump();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral(" 2"));

    m.form().jumpOkOption->click();
    r.click(43.53, 20);
    m.form().jumpNumberEdit->setText(QStringLiteral("x7"));
    QVERIFY(saysOnly(f.dialogs, QStringLiteral("jump number"), [&] { m.recordJump(); }));
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
    const auto h = m.form().picture->item(m.form().crossHorizontalLine).value();
    QCOMPARE(h.color, kRed);
    QCOMPARE(h.a, QPointF(p.x, p.y));
    QCOMPARE(h.b, QPointF(p.x - m.form().crossSizeBar->value(),
                          p.y)); // to the left: jumps go left to right
    // The red cross has a dark outline a pixel either side of each arm, seen on any water.
    const auto above = m.form().picture->item(m.form().crossOutline[0]).value();
    QVERIFY(above.visible);
    QCOMPARE(above.color, kBlack);
    QCOMPARE(above.a.y(), p.y - 15);
    // The buoys' X rises from left to right: the splash line stands 2.1 m further along X.
    const auto s = m.form().picture->item(m.form().splashLine).value();
    const ScreenPoint splash = samplePicturePoint(42.1, 10);
    QVERIFY(std::abs(s.a.x() - splash.x) < 1e-6 && std::abs(s.a.y() - splash.y) < 1e-6);

    // Three presses without a redraw step from the last drawn point: 15 twips, not 45; arrow
    // keys held together step both ways at once.
    m.nudgeLeft();
    m.nudgeLeft();
    m.nudgeLeft();
    QCOMPARE(m.impactPoint().x, p.x - 15);
    r.click(40, 10);
    r.keys.setDown(Qt::Key_Left, true);
    r.keys.setDown(Qt::Key_Up, true);
    m.nudgeByHeldArrowKeys();
    QCOMPARE(m.impactPoint().x, p.x - 15);
    QCOMPARE(m.impactPoint().y, p.y - 15);
    r.keys.releaseAll();

    // Verify mode reads out where the mouse is and marks what is recorded as unofficial.
    m.toggleVerifyMode();
    QVERIFY(!m.form().verifyCaptions[4]->isHidden());
    const ScreenPoint q = samplePicturePoint(43.53, 20);
    m.showReadoutsAt({q.x + 0.7, q.y});
    QCOMPARE(m.form().waterXEdit->text(), QStringLiteral(" 43.53"));
    QCOMPARE(m.form().verifyDistanceEdit->text(), QStringLiteral(" 45.6m  150ft"));
    r.click(43.53, 20);
    m.recordJump();
    QVERIFY(r.results().contains("(AWSA) UNOFFICIAL JUMP - verify mode  ( 43.53/ 20)"));
}

void TestMeasure::reridesAndComments()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    r.setSkier(QStringLiteral("Lee"));
    r.click(43.53, 20);
    m.recordJump();
    // A reride clears the distance; a cancelled comment writes no line.
    m.form().mandatoryRerideOption->click();
    QCOMPARE(m.form().metersEdit->text(), QString());
    m.form().optionalRerideOption->click();
    f.dialogs.expectInput(QStringLiteral("Boat off line")).expectInput(std::nullopt);
    m.form().commentOption->click();
    m.form().commentOption->click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.results().endsWith(
        kHead +
        "Lee  jump 1 -  45.6m  (IWSF) 150ft  (AWSA) ( 43.53/ 20) ( 6882/ 4500) ( 45.63)\r\n" +
        kHead + "Mandatory Reride - disregard last jump\r\n" + kHead +
        "Optional Reride on previous jump\r\n" + kHead + "Boat off line\r\n"));
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral("1")); // rerides and comments leave it

    // Another skier starts again at jump 1 with no distance shown.
    m.form().jumpNumberEdit->setText(QStringLiteral(" 4"));
    m.form().metersEdit->setText(QStringLiteral(" 45.6m"));
    r.setSkier(QStringLiteral("Doe"));
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral("1"));
    QCOMPARE(m.form().metersEdit->text(), QString());
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
    const auto s = m.form().picture->item(m.form().splashLine).value();
    const ScreenPoint p = samplePicturePoint(30, 20);
    QVERIFY(std::abs(s.a.x() - p.x) < 1e-6 && std::abs(s.a.y() - p.y) < 1e-6);
    m.recordJump();
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
    const QByteArray before = r.results();
    // On the line and further up, where the mapping still gives numbers: none of them is used.
    for (const ScreenPoint at : {ScreenPoint{x, y}, ScreenPoint{x, y - 600}}) {
        m.placeImpactPoint({at.x, at.y});
        m.drawImpactMarker();
        QVERIFY(!m.form().picture->item(m.form().splashLine)->visible);
        QVERIFY(saysOnly(f.dialogs, QStringLiteral("beyond the horizon"), [&] { m.recordJump(); }));
        QCOMPARE(r.results(), before);
    }
    m.toggleVerifyMode();
    m.showReadoutsAt({x, y - 600});
    QVERIFY(m.form().verifyDistanceEdit->text().isEmpty() && m.form().waterXEdit->text().isEmpty());
    QVERIFY(m.form().verifyUncertaintyLabel->text().isEmpty());
    QVERIFY(m.form().distanceUncertaintyLabel->text().isEmpty());
}

void TestMeasure::gridButtonCyclesTheConfiguredGrids()
{
    StationFixture f;
    const QString second = f.makeFolder(QStringLiteral("Setup2")) + QStringLiteral("/south.ipt");
    writeSampleGrid(second, 2, true, QStringLiteral("South camera"));
    f.store().write(QStringLiteral("grid2File"), second);
    MeasureRig r(f, {{"grids", "2"}});
    r.m().selectNextGrid();
    QCOMPARE(r.station->grids.currentGrid, 2);
    r.m().selectNextGrid();
    QCOMPARE(r.m().form().nextGridButton->text(), QStringLiteral("&Grid 1"));
    QCOMPARE(r.station->grids.currentGrid, 1);
}

void TestMeasure::picturesLoadedAndSnapped()
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
    m.loadPicture();
    // 800 px at 96 dpi: 21167 hundredths of a millimetre, times 15 / 26.5.
    QCOMPARE(int(m.form().picture->pictureWidth_twips()), 11981);
    QVERIFY(r.results().endsWith(kHead + "Loaded picture: " + file.toLatin1() + "\r\n"));
    // A picture that cannot be read changes nothing.
    const QByteArray before = r.results();
    m.loadPicture();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(r.results(), before);
    QVERIFY(m.form().picture->hasPicture());

    // The snapshot in the exchange folder is held like a pasted picture; Clear lets it go and
    // removes the exchange folder's pictures.
    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    QVERIFY(testPicture().save(r.exchange(QStringLiteral("snapshot.bmp")), "BMP"));
    m.takeSnapshotPicture();
    QVERIFY(m.isPictureHeld());
    m.clearJump();
    QVERIFY(!m.form().picture->hasPicture());
    QVERIFY(!QFile::exists(r.exchange(QStringLiteral("snapshot.bmp"))));
}

// Also guards the kept pictures (contact pictures are never overwritten); the .info file and the
// log line's parts are checked with the picture names.
void TestMeasure::savePictureNotesItEverywhere()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    const QString pics = f.makeFolder(QStringLiteral("Pics"));
    r.station->settings.PicturesFolder = pics + QDir::separator();
    // The log line names the captured video's skier and jump; the pass counter is one past it.
    r.station->captureSkier = QStringLiteral("Smith");
    r.station->capturePass = QStringLiteral(" 4");
    QApplication::clipboard()->setImage(testPicture());
    m.takeClipboardPicture();
    r.setSkier(QStringLiteral("Smith"));
    m.form().jumpNumberEdit->setText(QStringLiteral(" 3"));
    r.click(43.53, 20);
    m.recordJump();
    const QString path = pics + QStringLiteral("/Smithjump3.bmp");
    f.dialogs.expectMessage();
    m.savePicture();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(QImage(path).size(), QSize(800, 600));
    QVERIFY(r.results().endsWith(kHead + "Saved picture: " + path.toLatin1() + "\r\n"));
    QVERIFY(m.statusBar()->currentMessage().contains(QDir::toNativeSeparators(path)));
    const QByteArray log = readBytes(r.videos + QStringLiteral("/JumpMeasurementLog120526.txt"));
    QVERIFY2(log.endsWith("Skier: Smith  Jump:  3      Distance:  45.6m            File: " +
                          path.toLatin1() + "\r\n"),
             log.constData());

    // Saving again never replaces a contact picture or an information file: the next free name
    // is used and named in the message, the results file and the log.
    const QByteArray kept = readBytes(path);
    QVERIFY(writeBytes(pics + QStringLiteral("/Smithjump3_2.bmp.info"), "earlier info"));
    const QString next = pics + QStringLiteral("/Smithjump3_3.bmp");
    QVERIFY(saysOnly(f.dialogs, next, [&] { m.savePicture(); }));
    QCOMPARE(readBytes(path), kept);
    QCOMPARE(readBytes(pics + QStringLiteral("/Smithjump3_2.bmp.info")),
             QByteArray("earlier info"));
    QCOMPARE(QImage(next).size(), QSize(800, 600));
    QVERIFY(QFile::exists(next + QStringLiteral(".info")));
    QVERIFY(r.results().endsWith(kHead + "Saved picture: " + next.toLatin1() + "\r\n"));
    QVERIFY(readBytes(r.videos + QStringLiteral("/JumpMeasurementLog120526.txt"))
                .endsWith("File: " + next.toLatin1() + "\r\n"));
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
    QVERIFY(m.form().picture->hasPicture());
    r.setSkier(QStringLiteral("Lee"));
    f.dialogs.expectMessage(DialogAnswer::Yes).expectMessage();
    m.exitToMainScreen();
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
    m.form().jumpNumberEdit->setText(QStringLiteral(" 3"));
    const QByteArray before = r.results();
    m.form().jumpOkOption->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QVERIFY(m.form().jumpOkOption->isChecked());
    for (QRadioButton* o :
         {m.form().fallOption, m.form().passOption, m.form().optionalRerideOption,
          m.form().mandatoryRerideOption, m.form().otherGridOption, m.form().commentOption})
        QVERIFY(!o->isChecked());
    QVERIFY(m.form().commentEdit->text().isEmpty());
    QCOMPARE(r.results(), before);

    m.form().skierNameBox->addItems({QStringLiteral("Ann"), QStringLiteral("Bob")});
    m.form().skierNameBox->setCurrentIndex(0);
    m.form().skierNameBox->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(m.form().skierNameBox->currentText(), QStringLiteral("Ann"));
    QCOMPARE(m.form().jumpNumberEdit->text(), QStringLiteral(" 3"));
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
            m.takeClipboardPicture();
        },
        [&] {
            f.dialogs.expectOpenFile(file);
            m.loadPicture();
        },
        [&] {
            QApplication::clipboard()->setImage(testPicture());
            QVERIFY(writeBytes(flag, "Ready\r\n"));
            m.takeHandedOverPicture();
        },
        [&] { QVERIFY(m.showPictureFile(file, file)); },
        // A frame from the frame selection screen that cannot be read: the last jump's picture
        // and point must not stand in for it.
        [&] {
            QFile::remove(r.station->paths().inStation(QStringLiteral("currentcapture.bmp")));
            r.station->arrivedFrom = ArrivedFrom::MarkedFrame;
            f.dialogs.expectMessage();
            m.arrive();
            QVERIFY(!m.form().picture->hasPicture());
        },
    };
    for (const auto& arrive : arrivals) {
        r.click(43.53, 20);
        m.recordJump();
        QCOMPARE(m.form().metersEdit->text(), QStringLiteral(" 45.6m"));
        arrive();
        QCOMPARE(m.form().metersEdit->text(), QString());
        const QByteArray before = r.results();
        QVERIFY(saysOnly(f.dialogs, QStringLiteral("Click"), [&] { m.recordJump(); }));
        QCOMPARE(r.results(), before);
        QVERIFY(!m.form().picture->item(m.form().crossHorizontalLine)->visible);
    }
    m.form().fallOption->click();
    m.recordJump();
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
            r.m().recordJump();
            r.m().clearJump();
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
    again.m().recordJump();
    QVERIFY(QDir(resultsPath).removeRecursively());
    QVERIFY(QFile::rename(resultsPath + QStringLiteral(".away"), resultsPath));
    again.station->quit();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(again.results().endsWith("(AWSA) ( 40/ 20) ( 6000/ 4500) ( 42.1)\r\n"));
    QVERIFY(!QFile::exists(again.station->results().pendingPath()));
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
        return m.form().recordButton->mapTo(&m, QPoint(0, 0));
    };
    const QPoint place = recordPlace();
    m.form().fallOption->click();
    QCOMPARE(recordPlace(), place);
    m.recordJump();
    QCOMPARE(recordPlace(), place);

    StationPaths::ensureFolder(r.station->paths().exchangeFolder());
    // The picture is taken only once the flag says Ready and is on the clipboard; then the flag
    // is reset.
    const QString flag = r.exchange(QStringLiteral("clipflag.txt"));
    QApplication::clipboard()->setImage(testPicture());
    m.form().autoLoadCheck->click();
    QVERIFY(writeBytes(flag, "  \r\n"));
    m.takeHandedOverPicture();
    QVERIFY(!m.form().picture->hasPicture());
    QApplication::clipboard()->clear();
    QVERIFY(writeBytes(flag, "Ready\r\n"));
    m.takeHandedOverPicture();
    QCOMPARE(readBytes(flag), QByteArray("Ready\r\n"));
    QVERIFY(!m.form().picture->hasPicture());
    QApplication::clipboard()->setImage(testPicture());
    m.takeHandedOverPicture();
    QVERIFY(m.form().picture->hasPicture());
    QCOMPARE(readBytes(flag), QByteArray("  \r\n"));
    QVERIFY(m.isWatchingHandOver());
    m.hide();
    QVERIFY(!m.isWatchingHandOver());
    r.station->show(Screen::Measurement);
    QVERIFY(m.isWatchingHandOver());

    // A Ready flag that cannot be set back (here a folder stands where its replacement is
    // written) would hand the same picture over every second and wipe each click on it: the
    // operator is told, and the automatic loading stops with the picture and its point kept.
    QVERIFY(QDir().mkpath(flag + QStringLiteral(".fwsave")));
    QVERIFY(writeBytes(flag, "Ready\r\n"));
    f.dialogs.clear();
    QVERIFY(
        saysOnly(f.dialogs, QStringLiteral("clipflag.txt"), [&] { m.takeHandedOverPicture(); }));
    QVERIFY(!m.isWatchingHandOver());
    QVERIFY(!m.form().autoLoadCheck->isChecked());
    r.click(43.53, 20);
    m.hide();
    r.station->show(Screen::Measurement);
    QVERIFY(!m.isWatchingHandOver());
    m.recordJump();
    QCOMPARE(m.form().metersEdit->text(), QStringLiteral(" 45.6m"));
}

// Guards the skier names: characters the station's files cannot hold are named to the operator
// once per name, and a names file that holds no names empties the screen's list.
void TestMeasure::skierNamesTheFilesCannotHoldAndAnEmptyList()
{
    StationFixture f;
    MeasureRig r(f);
    MeasurementScreen& m = r.m();
    QVERIFY(saysOnly(f.dialogs, QStringLiteral("cannot hold: \u0141 \u017B."), [&] {
        r.setSkier(QStringLiteral("\u0141ukasz \u017Bak M\u00FCller"));
        m.startNewSkier();
        Q_EMIT m.form().skierNameBox->lineEdit()->editingFinished();
    }));
    // A name handed over by the capture screen as a recording starts is said when this screen
    // shows, not in the middle of the start.
    m.hide();
    m.form().skierNameBox->setEditText(QStringLiteral("\u0416enya"));
    m.startNewSkier();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(saysOnly(f.dialogs, QStringLiteral("cannot hold: \u0416."),
                     [&] { r.station->show(Screen::Measurement); }));

    r.station->skierNames = {QStringLiteral("Ann"), QStringLiteral("Bob")};
    m.hide();
    r.station->show(Screen::Measurement);
    QCOMPARE(m.form().skierNameBox->count(), 2);
    r.station->skierNames.clear();
    m.hide();
    r.station->show(Screen::Measurement);
    QCOMPARE(m.form().skierNameBox->count(), 0);
}

QTEST_MAIN(TestMeasure)
#include "test_measure.moc"
