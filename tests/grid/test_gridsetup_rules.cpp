// What the grid setup screen decides from the records alone: which points move and where, what a
// chosen grid shows, where the predicted check buoy is marked, and what a load leaves on the main
// screen's grid rows and the status line.

#include "GridFixtures.h"
#include "grid/GridFiles.h"
#include "grid/GridSetupRules.h"
#include "grid/GridState.h"

#include <QDir>
#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

MeasurementGrid rectangle()
{
    return gridFromEntries(rectangleEntries(), MeasurementGrid{});
}

bool same(ScreenPoint a, ScreenPoint b)
{
    return a.x == b.x && a.y == b.y;
}

} // namespace

class TestGridSetupRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void clicksAndArrowsMoveTheChosenPointOrTheLockedGrid();
    void lockAndMarkersNeedPlacedPoints();
    void aSlotNeverSetUpShowsItsFieldsUnset();
    void predictedCheckBuoyOnAndOffThePicture();
    void loadOutcomeForTheMainScreenAndStatusLine();
};

// Guards the grid lock: a locked click moves every point by the chosen point's offset, so the
// five keep their shape; unlocked, only the chosen point moves; no choice, no click.
void TestGridSetupRules::clicksAndArrowsMoveTheChosenPointOrTheLockedGrid()
{
    const MeasurementGrid w = rectangle();
    // Lower left sits at (3000, 7000): a locked click at (3150, 6900) moves all five by (150,
    // -100).
    const auto locked = movedPoints(w, GridPoint::LowerLeft, ScreenPoint{3150, 6900}, {}, true);
    QCOMPARE(int(locked.size()), kGridPointCount);
    for (int i = 0; i < kGridPointCount; ++i) {
        const PointMove& m = locked[std::size_t(i)];
        QCOMPARE(m.point, GridPoint(i));
        QVERIFY(same(m.from, pointPosition(w, m.point)));
        QVERIFY(same(m.to, {m.from.x + 150, m.from.y - 100}));
    }
    QVERIFY(same(locked[std::size_t(GridPoint::CheckBuoy)].to, {6150, 4400}));

    const auto one = movedPoints(w, GridPoint::UpperRight, ScreenPoint{100, 200}, {}, false);
    QCOMPARE(int(one.size()), 1);
    QVERIFY(same(one[0].from, {9000, 2000}) && same(one[0].to, {100, 200}));

    const auto arrow = movedPoints(w, GridPoint::CheckBuoy, std::nullopt, {0, -15}, false);
    QCOMPARE(int(arrow.size()), 1);
    QVERIFY(same(arrow[0].to, {6000, 4485}));
    // The arrows move a locked grid whole even with no point chosen.
    QCOMPARE(int(movedPoints(w, std::nullopt, std::nullopt, {15, 0}, true).size()), 5);
    QVERIFY(movedPoints(w, std::nullopt, std::nullopt, {15, 0}, false).empty());
    QVERIFY(movedPoints(w, std::nullopt, ScreenPoint{10, 10}, {}, true).empty());
}

// Guards the lock refusal and the markers: placeholders are no positions.
void TestGridSetupRules::lockAndMarkersNeedPlacedPoints()
{
    GridEntries e = rectangleEntries();
    QVERIFY(gridLockAllowed(e));
    for (int i = 0; i < kGridPointCount; ++i)
        QVERIFY(pointPlaced(e, GridPoint(i)));
    e.check_survey_x = kCheckXUnset;
    QVERIFY(!gridLockAllowed(e));
    e = rectangleEntries();
    e.pictureX(BuoyIndex::LowerRight) = kPictureUnset;
    QVERIFY(!gridLockAllowed(e));
    QVERIFY(!pointPlaced(e, GridPoint::LowerRight));
    QVERIFY(pointPlaced(e, GridPoint::UpperLeft));
    const GridEntries fresh;
    QVERIFY(!pointPlaced(fresh, GridPoint::CheckBuoy)); // empty until marked
    QVERIFY(!gridLockAllowed(fresh));
}

// Guards a grid chosen that was never set up: its fields ask for every entry instead of showing
// zeros that Complete would solve; a slot holding a grid (even one not completed) shows it.
void TestGridSetupRules::aSlotNeverSetUpShowsItsFieldsUnset()
{
    GridState grids;
    grids.slot(1) = rectangle();
    grids.slot(1).completed = true;
    const GridEntries never = entriesShownFor(grids, 2);
    QCOMPARE(never.upper_left_x, QString(kPictureUnset));
    QCOMPARE(never.ul_survey_x, QString(kSurveyUnset));
    QCOMPARE(never.grid_caption, QStringLiteral("Grid 2"));
    const GridEntries shown = entriesShownFor(grids, 1);
    QCOMPARE(shown.pictureX(BuoyIndex::UpperRight), QStringLiteral(" 9000"));
    QCOMPARE(shown.grid_caption, QStringLiteral("Grid 1"));
    grids.slot(3).description1 = QStringLiteral("/setup/refused.ipt");
    QCOMPARE(entriesShownFor(grids, 3).description, QStringLiteral("/setup/refused.ipt"));

    QVERIFY(!currentGridReady(grids)); // the working copy is not completed
    grids.working = grids.slot(1);
    QVERIFY(currentGridReady(grids));
}

// Guards the mark of a check buoy that does not validate: on the picture it stands at the
// prediction; off it, the arrow stops at the picture's edge on the way there and its label stays
// readable on the picture.
void TestGridSetupRules::predictedCheckBuoyOnAndOffThePicture()
{
    const PredictedCheckBuoyMark on =
        predictedCheckBuoyMark({6000, 4500}, {6100, 4500}, 12000, 9000, 150);
    QVERIFY(on.onPicture);
    QCOMPARE(on.label, QStringLiteral("<-Check Buoy Should Be Here"));
    QVERIFY(same(on.dot, {6000, 4500}) && same(on.lineTo, {6100, 4500}));
    QCOMPARE(on.circleSize_twips, 600.0);

    const PredictedCheckBuoyMark right =
        predictedCheckBuoyMark({21000, 4500}, {6000, 4500}, 12000, 9000, 150);
    QVERIFY(!right.onPicture);
    QCOMPARE(right.label, QStringLiteral("Check Buoy Should Be Off the Picture This Way->"));
    QVERIFY(same(right.lineFrom, {6000, 4500}) && same(right.lineTo, {12000, 4500}));
    QVERIFY(same(right.labelAt, {9600, 4395}));

    // Off beyond the top left corner, nearer the top: the arrow stops on the top edge.
    const PredictedCheckBuoyMark corner =
        predictedCheckBuoyMark({-1000, -4000}, {2000, 2000}, 12000, 9000, 150);
    QVERIFY(same(corner.lineTo, {1000, 0}));
    QVERIFY(corner.labelAt.x >= 0 && corner.labelAt.y >= 0);
    QVERIFY(same(corner.labelAt, {0, 0}));
}

// Guards what a Load File leaves behind: a grid whose file the refilled fields made unsaved goes
// first to not ready, then a grid that proved itself is ready with its description; one that did
// not is loaded for editing only and the status line says so.
void TestGridSetupRules::loadOutcomeForTheMainScreenAndStatusLine()
{
    GridFileResult loaded;
    loaded.done = true;
    loaded.grid = 2;
    loaded.path = QStringLiteral("/setup/north.ipt");
    loaded.description = QStringLiteral("North camera");
    loaded.usable = true;
    loaded.markedUnsaved = 1;
    const GridLoadView usable = gridLoadView(loaded);
    QVERIFY(usable.ready);
    QCOMPARE(int(usable.rows.size()), 2);
    QVERIFY(usable.rows[0].grid == 1 && !usable.rows[0].ready &&
            usable.rows[0].description.isEmpty());
    QVERIFY(usable.rows[1].grid == 2 && usable.rows[1].ready);
    QCOMPARE(usable.rows[1].description, QStringLiteral("North camera"));
    const QString path = QDir::toNativeSeparators(loaded.path);
    QCOMPARE(usable.status, QStringLiteral("Grid 2 loaded from %1: ready for measuring").arg(path));

    loaded.usable = false;
    loaded.markedUnsaved = 0;
    const GridLoadView editing = gridLoadView(loaded);
    QVERIFY(!editing.ready && editing.rows.empty());
    QCOMPARE(
        editing.status,
        QStringLiteral("Grid 2 loaded from %1 for editing: not ready for measuring").arg(path));
}

QTEST_MAIN(TestGridSetupRules)
#include "test_gridsetup_rules.moc"
