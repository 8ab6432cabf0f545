// The grid setup screen, its accuracy display and the calibration assistant, driven through their
// controls on the sample grid: placing points, completing, saving and loading, leaving.

#include "SampleGrid.h"
#include "StationFixture.h"
#include "platform/KeyboardState.h"
#include "screens/CalibrationWindow.h"
#include "screens/ConfigurationScreen.h"
#include "screens/GridSetupScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "station/Station.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

// Where the sample grid's camera sees a point of the water, in twips on the picture.
QPointF twips(double X, double Y)
{
    const ScreenPoint p = samplePicturePoint(X, Y);
    return {p.x, p.y};
}

// A started station left on the grid setup screen, with an optional stored grid 1.
struct SetupRig {
    SetupRig(StationFixture& f, int gridCount, bool storedGrid1 = false) : fixture(f)
    {
        videos = f.makeFolder(QStringLiteral("Videos"));
        setupFolder = f.makeFolder(QStringLiteral("Setup"));
        f.store().write(QStringLiteral("logpath"), videos);
        f.store().write(QStringLiteral("SetupFiles"), setupFolder);
        f.store().write(QStringLiteral("grids"), QString::number(gridCount));
        if (storedGrid1) {
            const QString grid1 = setupFolder + QStringLiteral("/north.ipt");
            writeSampleGrid(grid1, 1);
            f.store().write(QStringLiteral("grid1File"), grid1);
        }
        f.dialogs.expectMessage(DialogAnswer::No).expectMessage();
        station = std::make_unique<Station>(f.store(), f.dialogs, f.clock, keys,
                                            StationPaths(f.stationFolder()));
        station->start();
        station->configuration().exitAndSave();
        station->mainScreen().goToGridSetup();
        f.dialogs.clear();
    }
    GridSetupScreen& g() { return station->gridSetup(); }
    MainScreen& main() { return station->mainScreen(); }
    void click(QRadioButton* option, double X, double Y)
    {
        option->click();
        g().placeChosenPoint(twips(X, Y));
    }
    // The five points clicked where the sample grid has them, the check buoy `checkOff` twips to
    // the right, and every survey entry typed.
    void enterSampleGrid(double checkOff = 0)
    {
        click(g().form().upperLeftOption, 20, 40);
        click(g().form().upperRightOption, 60, 40);
        click(g().form().lowerLeftOption, 20, 0);
        click(g().form().lowerRightOption, 60, 0);
        click(g().form().checkBuoyOption, 40 + checkOff / 250, 20);
        const std::pair<QLineEdit*, const char*> typed[] = {
            {g().form().upperLeftSurveyXEdit, "20"},
            {g().form().upperLeftSurveyYEdit, "40"},
            {g().form().upperRightSurveyXEdit, "60"},
            {g().form().upperRightSurveyYEdit, "40"},
            {g().form().lowerLeftSurveyXEdit, "20"},
            {g().form().lowerLeftSurveyYEdit, "0"},
            {g().form().lowerRightSurveyXEdit, "60"},
            {g().form().lowerRightSurveyYEdit, "0"},
            {g().form().jumpXEdit, "0"},
            {g().form().jumpYEdit, "20"},
            {g().form().checkBuoySurveyXEdit, "40"},
            {g().form().checkBuoySurveyYEdit, "20"}};
        for (const auto& [field, text] : typed)
            type(field, QLatin1String(text));
    }
    static void type(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    QByteArray results() const
    {
        return readBytes(videos + QStringLiteral("/JumpMeasurementResults120526.txt"));
    }

    StationFixture& fixture;
    KeyboardState keys;
    std::unique_ptr<Station> station;
    QString videos;
    QString setupFolder;
};

int visibleLabels(
    PictureView* view,
    const std::array<PictureView::ItemId, GridSetupScreenForm::kAccuracyLabelCount>& ids)
{
    int n = 0;
    for (PictureView::ItemId id : ids)
        n += view->item(id).value().visible ? 1 : 0;
    return n;
}

} // namespace

class TestGridSetup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placingPointsByClickLockAndArrows();
    void wholeSetupSavedLoadedIntoAnotherGridAndLeft();
    void gridChoiceEditsAndLeavingWithGridsMissing();
    void failedCheckBuoyShowsWhereItShouldBe();
    void accuracyStandardAndAdvanced();
    void calibrationLinesOnBothPictures();
};

void TestGridSetup::placingPointsByClickLockAndArrows()
{
    StationFixture f;
    SetupRig r(f, 1);
    GridSetupScreen& g = r.g();
    // No point chosen: a click changes nothing.
    g.placeChosenPoint(twips(30, 30));
    QCOMPARE(g.form().upperLeftPictureXEdit->text(), QStringLiteral("auto"));
    QVERIFY(g.drawing().empty());

    // The lock is refused until every buoy and the check buoy are entered.
    f.dialogs.expectMessage();
    g.form().gridLockBox->click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(!g.form().gridLockBox->isChecked());

    r.enterSampleGrid();
    QCOMPARE(g.form().checkBuoyPictureXEdit->text(), QStringLiteral(" 6000"));
    // The last click marked the check buoy's old position (0, 0) in magenta and its new one.
    const auto& drawn = g.drawing();
    const auto oldMark = g.form().picture->item(drawn.at(drawn.size() - 3)).value();
    QCOMPARE(oldMark.color, kMagenta);
    QCOMPARE(oldMark.a, QPointF(0, 0));
    QCOMPARE(g.form().picture->item(drawn.back()).value().a, twips(40, 20));

    // Locked, with lower left chosen: a click 150 twips right of it moves all five points.
    g.form().gridLockBox->click();
    QVERIFY(g.form().gridLockBox->isChecked());
    g.form().lowerLeftOption->click();
    g.placeChosenPoint(twips(20, 0) + QPointF(150, 0));
    QCOMPARE(g.form().upperLeftPictureXEdit->text(), QStringLiteral(" 1150"));
    QCOMPARE(g.form().lowerRightPictureXEdit->text(), QStringLiteral(" 11150"));
    QCOMPARE(g.position(GridPoint::CheckBuoy).x, 6150.0); // the moves: with the rules

    // Unlocked: the up arrow held for a second (ten ticks) moves only the upper right buoy.
    g.form().gridLockBox->click();
    g.form().upperRightOption->click();
    r.keys.setDown(Qt::Key_Up, true);
    for (int tick = 0; tick < 10; ++tick)
        g.nudgeByHeldArrows();
    r.keys.setDown(Qt::Key_Up, false);
    QCOMPARE(g.form().upperRightPictureYEdit->text(), QStringLiteral(" 1350"));
    QCOMPARE(g.form().upperLeftPictureYEdit->text(), QStringLiteral(" 1500"));

    // Markers after the arrows: circles of the slider's size (the configured marker), one per
    // point; crosses with the cross setting.
    QCOMPARE(int(g.drawing().size()), 5);
    const auto circle = g.form().picture->item(g.drawing().at(1)).value();
    QCOMPARE(circle.kind, OverlayItem::Kind::Circle);
    QCOMPARE(circle.size, double(g.form().markerSizeBar->value()));
    r.station->settings.BuoyMarker = QStringLiteral("cross");
    g.form().drawBuoysButton->click();
    QCOMPARE(g.form().picture->item(g.drawing().front()).value().kind, OverlayItem::Kind::Cross);
    FW_VERIFY_DIALOGS(f.dialogs);

    // An arrow key on a point option or the marker slider nudges, never chooses another point
    // or resizes the markers.
    g.form().upperLeftOption->click();
    g.activateWindow();
    g.form().upperLeftOption->setFocus();
    QVERIFY(QTest::qWaitForWindowActive(&g));
    for (int key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left})
        QTest::keyClick(g.form().upperLeftOption, Qt::Key(key));
    QVERIFY(g.form().upperLeftOption->isChecked());
    QVERIFY(!g.form().lowerLeftOption->isChecked() && !g.form().upperRightOption->isChecked());
    const int markerSize = g.form().markerSizeBar->value();
    for (int key : {Qt::Key_Right, Qt::Key_Up})
        QTest::keyClick(g.form().markerSizeBar, Qt::Key(key));
    QCOMPARE(g.form().markerSizeBar->value(), markerSize);
}

void TestGridSetup::wholeSetupSavedLoadedIntoAnotherGridAndLeft()
{
    StationFixture f;
    SetupRig r(f, 2);
    GridSetupScreen& g = r.g();
    MainScreen& main = r.main();

    // A frame chosen on the frame selection screen arrives as the picture.
    QImage frame(800, 600, QImage::Format_RGB32);
    frame.fill(QColor(20, 90, 140));
    QVERIFY(frame.save(r.station->paths().inStation(QStringLiteral("currentcapture.bmp")), "BMP"));
    r.station->arrivedFrom = ArrivedFrom::MarkedFrame;
    g.arrive();
    QVERIFY(g.form().picture->hasPicture());
    QCOMPARE(r.station->pictureWidth_twips, 11981.0);

    // Completed (the record it writes is checked with the completion), ready but not saved.
    // Complete, Save and Load each end with a status line naming what was done and where.
    r.enterSampleGrid();
    g.form().completeButton->click();
    QVERIFY(g.stateShownReady());
    QCOMPARE(g.statusText(),
             QStringLiteral("Grid 1 completed: ready for measuring (not saved yet)"));
    QVERIFY(main.gridShownReady(1));
    QCOMPARE(main.form().gridDescriptionEdits[0]->text(), QStringLiteral("not saved"));
    QVERIFY(!r.station->allGridsReady()); // grid 2 is not set up yet

    const QString file = r.setupFolder + QStringLiteral("/north.ipt");
    f.dialogs.expectSaveFile(file)
        .expectInput(QStringLiteral("North camera"))
        .expectMessage(DialogAnswer::Yes);
    g.form().saveGridAction->trigger();
    QVERIFY(QFile::exists(file)); // its contents are checked with the grid files
    const QString shownFile = QDir::toNativeSeparators(file);
    QVERIFY2(g.statusText().startsWith(
                 QStringLiteral("Grid 1 saved to %1 and its check buoy file ").arg(shownFile)),
             qPrintable(g.statusText()));
    QCOMPARE(main.form().gridDescriptionEdits[0]->text(), QStringLiteral("North camera"));
    QCOMPARE(f.store().read(QStringLiteral("grid1File"), QString()), file);

    // The same file loaded as grid 2: grid 2 becomes ready, grid 1 keeps its file and row.
    f.dialogs.expectMessage(DialogAnswer::No).expectInput(QStringLiteral("2")).expectOpenFile(file);
    g.form().loadGridAction->trigger();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(g.form().gridChoiceButton->text(), QStringLiteral("Grid 2"));
    QCOMPARE(g.statusText(),
             QStringLiteral("Grid 2 loaded from %1: ready for measuring").arg(shownFile));
    QVERIFY(!g.form().accuracyButton->isHidden()); // a loaded grid that passed offers the check
    QVERIFY(main.gridShownReady(1) && main.gridShownReady(2));
    QCOMPARE(main.form().gridDescriptionEdits[1]->text(), QStringLiteral("North camera"));
    QCOMPARE(f.store().read(QStringLiteral("grid2File"), QString()), file);
    QVERIFY(r.station->allGridsReady());

    // Leaving with every grid ready: no question, grid 1 current, the measurement screen's buoy
    // distances prepared (28.28 m and 63.25 m from the jump point, no ramp offset).
    g.form().exitAction->trigger();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(main.isVisible() && !g.isVisible());
    QCOMPARE(r.station->grids.currentGrid, 1);
    MeasurementScreen& m = r.station->measurement();
    const auto label = [&m](PictureView::ItemId id) { return m.pictureView().item(id).value(); };
    QCOMPARE(label(m.form().upperLeftBuoyMeters).text, QStringLiteral(" 28.3 meters"));
    QCOMPARE(label(m.form().upperRightBuoyFeet).text, QStringLiteral(" 207 feet"));

    // Grid 2 chosen for measuring: back on this screen the fields show grid 2.
    m.selectNextGrid();
    main.goToGridSetup();
    QCOMPARE(g.form().gridChoiceButton->text(), QStringLiteral("Grid 2"));
}

void TestGridSetup::gridChoiceEditsAndLeavingWithGridsMissing()
{
    StationFixture f;
    SetupRig r(f, 2, true);
    GridSetupScreen& g = r.g();
    // Grid 2 was never set up: its fields show what is still to be entered.
    g.form().gridChoiceButton->click();
    QCOMPARE(r.station->grids.currentGrid, 2);
    QCOMPARE(g.form().upperLeftPictureXEdit->text(), QStringLiteral("auto"));
    QVERIFY(!g.stateShownReady());
    // And back to grid 1, completed: ready, the accuracy check offered.
    g.form().gridChoiceButton->click();
    QCOMPARE(g.form().upperLeftPictureXEdit->text(), QStringLiteral(" 1000"));
    QVERIFY(g.stateShownReady() && !g.form().accuracyButton->isHidden());
    // An edit makes it unsaved: no longer ready, its stored file forgotten.
    SetupRig::type(g.form().lowerLeftSurveyYEdit, QStringLiteral("0.5"));
    QCOMPARE(r.station->grids.working.survey(BuoyIndex::LowerLeft).Y, 0.5);
    QVERIFY(!g.stateShownReady());
    QVERIFY(!r.main().gridShownReady(1));
    QCOMPARE(f.store().read(QStringLiteral("grid1File"), QStringLiteral("x")), QString());
    // While the configuration screen loads the stored grids, edits mark nothing unsaved.
    f.store().write(QStringLiteral("grid1File"), QStringLiteral("/kept.ipt"));
    r.station->loadingStoredGrids = true;
    SetupRig::type(g.form().lowerLeftSurveyYEdit, QStringLiteral("0"));
    QCOMPARE(f.store().read(QStringLiteral("grid1File"), QString()), QStringLiteral("/kept.ipt"));
    r.station->loadingStoredGrids = false;

    // Leaving with grids not set up is asked about.
    f.dialogs.expectMessage(DialogAnswer::No).expectMessage(DialogAnswer::Yes);
    g.form().exitAction->trigger();
    QVERIFY(g.isVisible());
    g.form().exitAction->trigger();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(!g.isVisible() && r.main().isVisible());
    QVERIFY(!r.station->created(Screen::Measurement));
}

void TestGridSetup::failedCheckBuoyShowsWhereItShouldBe()
{
    StationFixture f;
    SetupRig r(f, 1);
    GridSetupScreen& g = r.g();
    r.enterSampleGrid(100);
    f.dialogs.expectMessage();
    g.completeGrid();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().at(0).startsWith(
        QLatin1String("Check Buoy Does not Validate.  The marked check buoy lies 6.7 pixels")));
    QVERIFY(!g.stateShownReady());
    // The mark stands where the grid puts the surveyed check buoy, the line runs to the click.
    QVERIFY(g.form().picture->item(g.form().predictedCheckBuoyLabel).value().visible);
    QCOMPARE(g.form().picture->item(g.form().predictedCheckBuoyDot).value().a, QPointF(6000, 4500));
    QCOMPARE(g.form().picture->item(g.form().predictedCheckBuoyLine).value().b,
             QPointF(6100, 4500));
    // The mark stays until the next completion.
    g.form().checkBuoyOption->click();
    g.placeChosenPoint(twips(40, 20));
    g.completeGrid();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(g.stateShownReady());
    QVERIFY(!g.form().picture->item(g.form().predictedCheckBuoyLabel).value().visible);
}

void TestGridSetup::accuracyStandardAndAdvanced()
{
    StationFixture f;
    SetupRig r(f, 1, true);
    GridSetupScreen& g = r.g();
    g.form().gridChoiceButton->click(); // the completed grid selected offers the check
    // 8 and 0 are no row numbers: asked again until 3.
    f.dialogs.expectInput(QStringLiteral("8"))
        .expectInput(QStringLiteral("0"))
        .expectInput(QStringLiteral("3"));
    g.form().accuracyButton->click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(QFile::exists(r.videos + QStringLiteral("/acc1205.txt")));
    QCOMPARE(visibleLabels(g.form().picture, g.form().accuracyLabels), 7);
    // Row 3 lies a third of the way from the back buoys (y 1500) to the front ones (y 7500).
    QCOMPARE(g.form().picture->item(g.form().accuracyLabels[2]).value().a,
             QPointF(1000, 3500 + 75));
    // The candidate paths are gone with the redrawn markers.
    for (PictureView::ItemId id : g.drawing())
        QVERIFY(g.form().picture->item(id).value().kind != OverlayItem::Kind::Line);
    // Cancel ends the question with no row shown.
    f.dialogs.expectInput(std::nullopt);
    g.form().accuracyButton->click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(visibleLabels(g.form().picture, g.form().accuracyLabels), 0);

    // The advanced check shows every point, the distance if asked for.
    g.form().advancedAccuracyOption->click();
    g.form().showDistanceOption->click();
    g.form().accuracyButton->click();
    QCOMPARE(visibleLabels(g.form().picture, g.form().accuracyLabels), 49);
    // The upper left buoy: 28.28 m plus the 2.1 m ramp, truncated to tenths.
    QCOMPARE(g.form().picture->item(g.form().accuracyLabels[0]).value().text,
             QStringLiteral(" 30.3"));
    // Any edit hides them.
    SetupRig::type(g.form().jumpXEdit, QStringLiteral("1"));
    QCOMPARE(visibleLabels(g.form().picture, g.form().accuracyLabels), 0);
    QVERIFY(g.form().accuracyButton->isHidden());
}

void TestGridSetup::calibrationLinesOnBothPictures()
{
    StationFixture f;
    SetupRig r(f, 1, true);
    GridSetupScreen& g = r.g();
    g.form().calibrateAction->trigger();
    CalibrationWindow* c = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<CalibrationWindow*>(w))
            c = found;
    QVERIFY(c && c->isVisible());

    // Two buoys' survey positions give their picture positions, and the line joins them.
    c->form().point1ActualXEdit->setText(QStringLiteral("20"));
    c->form().point1ActualYEdit->setText(QStringLiteral("40"));
    c->form().point2ActualXEdit->setText(QStringLiteral("60"));
    c->form().point2ActualYEdit->setText(QStringLiteral("0"));
    c->form().drawButton->click();
    QCOMPARE(c->form().point2PictureXEdit->text(), QStringLiteral(" 11000"));
    PictureView* setup = g.form().picture;
    PictureView* measure = &r.station->measurement().pictureView();
    const auto line = setup->item(c->shownOnGridSetup().current).value();
    QCOMPARE(line.a, QPointF(1000, 1500));
    QCOMPARE(line.b, QPointF(11000, 7500));
    QCOMPARE(measure->item(c->shownOnMeasurement().current).value().b, QPointF(11000, 7500));

    // Draw again: the same line once as old (magenta) and once as new (white).
    c->form().drawButton->click();
    for (const auto& [view, shown] :
         {std::pair{setup, c->shownOnGridSetup()}, std::pair{measure, c->shownOnMeasurement()}}) {
        const auto old = view->item(shown.old).value();
        QCOMPARE(old.color, kMagenta);
        QCOMPARE(old.b, line.b);
        QCOMPARE(view->item(shown.current).value().color, kWhite);
    }
    // Erase takes the lines off both pictures.
    const CalibrationWindow::Shown before = c->shownOnMeasurement();
    c->form().eraseButton->click();
    QVERIFY(!measure->item(before.old) && !measure->item(before.current));
    QVERIFY(!setup->item(c->shownOnGridSetup().current));

    // The other direction, picture to water, is checked with the accuracy tests.
    FW_VERIFY_DIALOGS(f.dialogs);
}

QTEST_MAIN(TestGridSetup)
#include "test_gridsetup.moc"
