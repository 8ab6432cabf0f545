// Completing a grid: the order of the checks, their messages, what a refusal keeps and what an
// acceptance writes.

#include "GridFixtures.h"
#include "StationFixture.h"
#include "grid/GridCompletion.h"
#include "settings/StationSettings.h"

#include <QTest>

#include <cmath>

using namespace fw;
using namespace fw::test;

namespace {

struct World {
    StationFixture f;
    StationSettings settings;
    GridState grids;
    World()
    {
        settings.GridCount = 2;
        settings.ResultsFilePath = f.path(QStringLiteral("JumpMeasurementResults120526.txt"));
    }
    CompletionResult complete(const GridEntries& e, double width = kRectangleWidth_twips)
    {
        return GridCompletion(e, grids, settings, width, f.dialogs, f.clock);
    }
};

} // namespace

class TestCompletion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void placeholdersAreMissingEntries();
    void unmarkedCheckBuoyGivesTwoMessages();
    void singularGridIsRefused();
    void checkBuoyToleranceIsAPixelAndAHalfEachWay();
    void tooWideFieldOfViewIsRefusedWithItsFigure();
    void horizonCasesAreRefusedWithAMessage();
    void acceptanceFillsTheSlotAndWritesTheRecord();
    void zoomAdviceBelowEightyPercent();
    void editsClearReadinessAndMarkTheGridUnsaved();
    void backBuoyDistanceLabels();
};

// Guards completeness: every placeholder counts as a missing entry, and nothing else happens.
void TestCompletion::placeholdersAreMissingEntries()
{
    using Field = QString GridEntries::*;
    const QList<QPair<Field, QString>> cases = {
        {&GridEntries::upper_left_x, QStringLiteral("auto")},
        {&GridEntries::lower_right_y, QStringLiteral("auto")},
        {&GridEntries::lower_left_x, QStringLiteral("x")}, // a display field not showing a number
        {&GridEntries::ur_survey_x, QStringLiteral("input")},
        {&GridEntries::ll_survey_y, QStringLiteral("input")},
        {&GridEntries::jump_x, QStringLiteral("jump x")},
        {&GridEntries::jump_y, QStringLiteral("jump y")},
        {&GridEntries::txtCheckX, QStringLiteral("CheckX")},
        {&GridEntries::txtCheckY, QStringLiteral("CheckY")},
    };
    for (const auto& [field, text] : cases) {
        World w;
        GridEntries e = rectangleEntries();
        e.*field = text;
        w.f.dialogs.expectMessage();
        const CompletionResult r = w.complete(e);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(w.f.dialogs.calls().at(0).text,
                 QStringLiteral("Warning - Not all parameters have been set up on grid"));
        QCOMPARE(w.f.dialogs.calls().at(0).title, QStringLiteral("Error Message"));
        QCOMPARE(w.f.dialogs.calls().at(0).icon, DialogIcon::Exclamation);
        QVERIFY(!r.accepted && !r.accuracyControlsShown);
        QVERIFY(!w.grids.slot(1).completed);
        QVERIFY(!QFile::exists(w.settings.ResultsFilePath));
    }
}

void TestCompletion::unmarkedCheckBuoyGivesTwoMessages()
{
    World w;
    GridEntries e = rectangleEntries();
    e.txtCheckXpix = QStringLiteral(" 0");
    w.f.dialogs.expectMessage().expectMessage();
    const CompletionResult r = w.complete(e);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(
        w.f.dialogs.texts(),
        QStringList({QStringLiteral("Setup of Check Buoy is Mandatory"),
                     QStringLiteral("Warning - Not all parameters have been set up on grid")}));
    QCOMPARE(w.f.dialogs.calls().at(0).title, QString());
    QVERIFY(!r.accepted && !r.accuracyControlsShown);
}

// Guards a singular system: message, and the working copy keeps the coefficients it had.
void TestCompletion::singularGridIsRefused()
{
    World w;
    w.grids.working.c = {1, 2, 3, 4, 5, 6, 7, 8};
    GridEntries e = rectangleEntries();
    for (BuoyIndex b :
         {BuoyIndex::UpperRight, BuoyIndex::LowerRight, BuoyIndex::UpperLeft, BuoyIndex::LowerLeft})
        e.pictureX(b) = QStringLiteral(" 5000");
    w.f.dialogs.expectMessage();
    const CompletionResult r = w.complete(e);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(w.f.dialogs.texts(),
             QStringList{QStringLiteral("No Unique Solution - Re-enter data")});
    QCOMPARE(w.f.dialogs.calls().at(0).icon, DialogIcon::Exclamation);
    QCOMPARE(w.f.dialogs.calls().at(0).title, QStringLiteral("Error Message"));
    QVERIFY(r.accuracyControlsShown && !r.accepted);
    QCOMPARE(w.grids.working.c, (GridCoefficients{1, 2, 3, 4, 5, 6, 7, 8}));
}

// Guards the check buoy test: 22.5 twips off in x and y passes, 22.6 in either fails and tells
// where the buoy should be; the working copy holds the new coefficients, the slot is untouched.
void TestCompletion::checkBuoyToleranceIsAPixelAndAHalfEachWay()
{
    {
        World w;
        GridEntries e = rectangleEntries();
        e.txtCheckXpix = QStringLiteral(" 6022.5");
        e.txtCheckYpix = QStringLiteral(" 4477.5");
        QVERIFY(w.complete(e).accepted);
    }
    for (const auto& [x, y] : {std::pair{"6022.6", "4500"}, std::pair{"6000", "4477.4"}}) {
        World w;
        w.grids.slot(1).description2 = QStringLiteral("before");
        GridEntries e = rectangleEntries();
        e.txtCheckXpix = QLatin1String(x);
        e.txtCheckYpix = QLatin1String(y);
        w.f.dialogs.expectMessage();
        const CompletionResult r = w.complete(e);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(w.f.dialogs.texts(), QStringList{QStringLiteral("Check Buoy Does not Validate")});
        QVERIFY(!r.accepted && r.accuracyControlsShown);
        QVERIFY(r.evaluation.predictedCheckBuoy);
        QVERIFY(std::fabs(r.evaluation.predictedCheckBuoy->x - 6000) < 1e-6);
        QVERIFY(std::fabs(r.evaluation.predictedCheckBuoy->y - 4500) < 1e-6);
        QVERIFY(std::fabs(w.grids.working.c[1] - 0.01) < 1e-12);
        QCOMPARE(w.grids.slot(1).description2, QStringLiteral("before"));
        QVERIFY(!w.grids.slot(1).completed);
    }
}

void TestCompletion::tooWideFieldOfViewIsRefusedWithItsFigure()
{
    QCOMPARE(fieldOfViewMessage(37.2),
             QStringLiteral("Setup is not valid, Field of View is  37.2 degrees where the maximum "
                            "allowed is 35 degrees"));
    // Front buoys far apart in the picture with the back buoys close together: the picture
    // verticals through the front buoys spread wide on the water.
    World w;
    GridEntries e = rectangleEntries();
    e.lower_left_x = QStringLiteral(" 500");
    e.lower_right_x = QStringLiteral(" 11500");
    e.upper_left_x = QStringLiteral(" 5000");
    e.upper_right_x = QStringLiteral(" 7000");
    const GridEvaluation ev = evaluateGrid(e, 12000);
    QVERIFY(ev.c && ev.fieldOfView);
    const auto predicted = ev.predictedCheckBuoy;
    e.txtCheckXpix = fieldText(predicted->x);
    e.txtCheckYpix = fieldText(predicted->y);
    w.f.dialogs.expectMessage();
    const CompletionResult r = w.complete(e, 12000);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QVERIFY(*r.evaluation.fieldOfView > 35);
    QCOMPARE(r.evaluation.verdict, GridVerdict::FieldOfViewTooWide);
    QCOMPARE(w.f.dialogs.texts(), QStringList{fieldOfViewMessage(*r.evaluation.fieldOfView)});
    QVERIFY(!r.accepted && !w.grids.slot(1).completed);
}

// Guards zero denominators in a completion: a check buoy on the horizon line and a front buoy
// whose picture vertical reaches the horizon are refused with a message, never passed or NaN.
void TestCompletion::horizonCasesAreRefusedWithAMessage()
{
    // A perspective grid whose horizon is the picture line y = 1000: d = 1 − 0.001·y.
    const GridCoefficients c{0, 0.01, 0, 0, -0.001, 0, 0, 0.01};
    const auto entriesFor = [&c](ScreenPoint ll) {
        GridEntries e = rectangleEntries();
        const std::array<ScreenPoint, 4> pictures{{{9000, 2000}, {9000, 7000}, {3000, 2000}, ll}};
        for (int i = 0; i < 4; ++i) {
            const auto b = BuoyIndex(i + 1);
            const SurveyPoint s = *PictureToSurvey(c, pictures[i]);
            e.pictureX(b) = fieldText(pictures[i].x);
            e.pictureY(b) = fieldText(pictures[i].y);
            e.surveyX(b) = fieldText(s.X);
            e.surveyY(b) = fieldText(s.Y);
        }
        const SurveyPoint check = *PictureToSurvey(c, {6000, 4500});
        e.txtCheckX = fieldText(check.X);
        e.txtCheckY = fieldText(check.Y);
        return e;
    };

    // The check buoy surveyed on the line that maps to the horizon.
    {
        World w;
        GridEntries e = entriesFor({3000, 7000});
        // w = 1e-5·Y + 1e-4 for these coefficients: zero at Y = −10.
        e.txtCheckY = QStringLiteral("-10");
        w.f.dialogs.expectMessage();
        const CompletionResult r = w.complete(e);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(r.evaluation.verdict, GridVerdict::CheckBuoyOffPicture);
        QCOMPARE(w.f.dialogs.texts(), QStringList{gridtext::checkBuoyOffPicture});
        QVERIFY(!r.evaluation.checkBuoyDx && !r.accepted);
    }
    // The lower left buoy 45 twips below the horizon: its vertical ends on it.
    {
        World w;
        GridEntries e = entriesFor({3000, 1045});
        w.f.dialogs.expectMessage();
        const CompletionResult r = w.complete(e);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(r.evaluation.verdict, GridVerdict::FieldOfViewUnknown);
        QCOMPARE(w.f.dialogs.texts(), QStringList{gridtext::fieldOfViewUnknown});
        QVERIFY(!r.evaluation.fieldOfView && !r.accepted);
    }
}

// Guards acceptance: the grid named by the caption becomes current and completed, the slot
// takes the working copy, readiness and orientation follow, and the record is written byte for
// byte.
void TestCompletion::acceptanceFillsTheSlotAndWritesTheRecord()
{
    World w;
    w.grids.slot(1).completed = true;
    GridEntries e = rectangleEntries();
    e.grid_select = QStringLiteral("Grid 2");
    e.ipt_file_description = QStringLiteral("No File");
    e.ipt_file_description_2 = QStringLiteral("left camera");
    const CompletionResult r = w.complete(e);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QVERIFY(r.accepted && r.recordWritten && !r.zoomAdvice);
    QCOMPARE(r.grid, 2);
    QCOMPARE(r.evaluation.fieldOfView.value(), 1.5); // parallel verticals
    QCOMPARE(w.grids.currentGrid, 2);
    const MeasurementGrid& slot = w.grids.slot(2);
    QVERIFY(slot.completed);
    QCOMPARE(slot.description2, QStringLiteral("left camera"));
    QCOMPARE(slot.picture(BuoyIndex::LowerLeft).y, 7000.0);
    QCOMPARE(slot.survey(BuoyIndex::UpperRight).X, 90.0);
    QCOMPARE(slot.checkBuoySurvey.Y, 45.0);
    QCOMPARE(slot.jump.X, 30.0);
    QCOMPARE(slot.c, w.grids.working.c);
    QVERIFY(w.grids.allGridsReady);
    QCOMPARE(w.grids.xOrientation, -1.0); // upper right X 90 is not below upper left X 30
    QVERIFY(std::fabs(w.grids.frontRatio - 6000 * 100.0 / 7200) < 1e-12);

    const QByteArray expected = "12-05-2026 14:03:09 New Set-up now in place\r\n"
                                "No File\r\n"
                                "left camera\r\n"
                                "Grid Number:  2 \r\n"
                                " \r\n"
                                "Upper Left X,Y Pixels:  3000   2000\r\n"
                                "Upper Left X,Y Survey: 30  70\r\n"
                                " \r\n"
                                "Lower Left X,Y Pixels:  3000   7000\r\n"
                                "Lower Left X,Y Survey: 30  20\r\n"
                                " \r\n"
                                "Upper Right X,Y Pixels:  9000   2000\r\n"
                                "Upper Right X,Y Survey: 90  70\r\n"
                                " \r\n"
                                "Lower Right X,Y Pixels:  9000   7000\r\n"
                                "Lower Right X,Y Survey: 90  20\r\n"
                                " \r\n"
                                "Jump X,Y Survey: 30  45\r\n"
                                " \r\n"
                                "Check Buoy X,Y Pixels:  6000    4500 \r\n"
                                "Check Buoy X,Y Survey:  60    45 \r\n"
                                " \r\n";
    QCOMPARE(readBytes(w.settings.ResultsFilePath), expected);

    // A second completion appends.
    QVERIFY(w.complete(e).accepted);
    QCOMPARE(readBytes(w.settings.ResultsFilePath), expected + expected);
}

void TestCompletion::zoomAdviceBelowEightyPercent()
{
    // The front buoys are 6000 twips apart: exactly 80% of 7500 twips gives no advice.
    World w;
    QVERIFY(!grid_check(rectangleEntries(), 7500, w.grids, w.f.dialogs));
    QCOMPARE(w.grids.frontRatio, 80.0);
    QCOMPARE(w.grids.backRatio, 80.0);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    // 79.99%: the advice with the integer part.
    w.f.dialogs.expectMessage();
    QVERIFY(grid_check(rectangleEntries(), 6000 * 100.0 / 79.99, w.grids, w.f.dialogs));
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(w.f.dialogs.texts(), QStringList{QStringLiteral(
                                      "Front ratio is  79%  Zoom camera in until front is > 85%")});
    QCOMPARE(frontRatioAdvice(72.6),
             QStringLiteral("Front ratio is  72%  Zoom camera in until front is > 85%"));
    // The advice comes after the accepted completion and does not undo it.
    World v;
    v.f.dialogs.expectMessage();
    const CompletionResult r = v.complete(rectangleEntries(), 12000);
    FW_VERIFY_DIALOGS(v.f.dialogs);
    QVERIFY(r.accepted && r.zoomAdvice && v.grids.slot(1).completed);
}

// Guards the edit effects: readiness is cleared, the caption's grid loses its file setting
// unless the stored grids are being loaded, and the slot keeps its completed flag.
void TestCompletion::editsClearReadinessAndMarkTheGridUnsaved()
{
    World w;
    w.f.store().write(QStringLiteral("grid2File"), QStringLiteral("/grids/left.ipt"));
    w.settings.GridFile[1] = QStringLiteral("/grids/left.ipt");
    w.grids.allGridsReady = true;
    w.grids.slot(2).completed = true;
    GridEntries e = rectangleEntries();
    e.grid_select = QStringLiteral("Grid 2");
    e.ul_survey_x = QStringLiteral("31.5");

    QCOMPARE(gridEntriesEdited(e, w.grids, w.settings, w.f.store(), true), 0);
    QVERIFY(!w.grids.allGridsReady);
    QCOMPARE(w.grids.working.survey(BuoyIndex::UpperLeft).X, 31.5);
    QCOMPARE(w.f.store().read(QStringLiteral("grid2File"), QString()),
             QStringLiteral("/grids/left.ipt"));

    QCOMPARE(gridEntriesEdited(e, w.grids, w.settings, w.f.store(), false), 2);
    QCOMPARE(w.f.store().read(QStringLiteral("grid2File"), QStringLiteral("x")), QString());
    QCOMPARE(w.settings.GridFile[1], QString());
    QVERIFY(w.grids.slot(2).completed);
}

void TestCompletion::backBuoyDistanceLabels()
{
    MeasurementGrid g;
    g.jump = {0, 0};
    g.picture(BuoyIndex::UpperLeft) = {3000, 2000};
    g.survey(BuoyIndex::UpperLeft) = {36, 48}; // 60 m from the jump point
    const BuoyDistanceLabels l = buoyDistanceLabels(g, BuoyIndex::UpperLeft);
    QCOMPARE(l.feet, QStringLiteral(" 197 feet")); // 196.8
    QCOMPARE(l.meters, QStringLiteral(" 60 meters"));
    QCOMPARE(l.feetAt.x, 2900.0);
    QCOMPARE(l.feetAt.y, 1600.0);
    QCOMPARE(l.metersAt.y, 1400.0);
}

QTEST_GUILESS_MAIN(TestCompletion)
#include "test_completion.moc"
