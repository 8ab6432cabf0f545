// Completing a grid: the order of the checks, their messages, what a refusal keeps and what an
// acceptance writes.

#include "GridFixtures.h"
#include "StationFixture.h"
#include "grid/GridCompletion.h"
#include "measure/ResultsFile.h"
#include "settings/StationSettings.h"

#include <QTest>

#include <cmath>

using namespace fw;
using namespace fw::test;

namespace {

struct World {
    StationFixture f;
    ResultsFile results{f.dialogs};
    StationSettings settings;
    GridState grids;
    World()
    {
        settings.GridCount = 2;
        settings.ResultsFilePath = f.path(QStringLiteral("JumpMeasurementResults120526.txt"));
    }
    // Completes with `messages` message boxes scripted.
    CompletionResult complete(const GridEntries& e, int messages = 0,
                              double width = kRectangleWidth_twips)
    {
        for (int i = 0; i < messages; ++i)
            f.dialogs.expectMessage();
        return GridCompletion(e, grids, settings, width, f.dialogs, f.clock, results);
    }
};

} // namespace

class TestCompletion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void incompleteEntriesAreRefusedBeforeAnything();
    void singularGridKeepsTheCoefficients();
    void checkBuoyToleranceIsAPixelAndAHalfEachWay();
    void fieldOfViewAndHorizonRefusals();
    void acceptanceFillsTheSlotAndWritesTheRecord();
    void zoomAdviceBelowEightyPercent();
};

// Guards completeness: every kind of placeholder is a missing entry (nothing else happens), and
// an unmarked check buoy gives its own message first.
void TestCompletion::incompleteEntriesAreRefusedBeforeAnything()
{
    using Field = QString GridEntries::*;
    const QList<QPair<Field, QString>> cases = {
        {&GridEntries::upper_left_x, QStringLiteral("auto")},
        {&GridEntries::lower_left_x, QStringLiteral("x")}, // a display field not showing a number
        {&GridEntries::ll_survey_y, QStringLiteral("input")},
        {&GridEntries::jump_y, QStringLiteral("jump y")},
        {&GridEntries::check_survey_x, QStringLiteral("CheckX")},
    };
    for (const auto& [field, text] : cases) {
        World w;
        GridEntries e = rectangleEntries();
        e.*field = text;
        const CompletionResult r = w.complete(e, 1);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        const DialogCall& call = w.f.dialogs.calls().at(0);
        QCOMPARE(call.text,
                 QStringLiteral("Warning - Not all parameters have been set up on grid"));
        QCOMPARE(call.title, QStringLiteral("Error Message"));
        QVERIFY(!r.accepted && !r.accuracyControlsShown && !w.grids.slot(1).completed);
        QVERIFY(!QFile::exists(w.settings.ResultsFilePath));
    }
    World w;
    GridEntries e = rectangleEntries();
    e.check_picture_x = QStringLiteral(" 0");
    const CompletionResult r = w.complete(e, 2);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(w.f.dialogs.texts(), QStringList({QStringLiteral("Setup of Check Buoy is Mandatory"),
                                               gridtext::notAllParameters}));
    QCOMPARE(w.f.dialogs.calls().at(0).title, QString());
    QVERIFY(!r.accepted && !r.accuracyControlsShown);
}

// Guards a singular system: its message, and the working copy keeps the coefficients it had.
void TestCompletion::singularGridKeepsTheCoefficients()
{
    World w;
    w.grids.working.c = {1, 2, 3, 4, 5, 6, 7, 8};
    GridEntries e = rectangleEntries();
    for (int b = 1; b <= kBuoyCount; ++b)
        e.pictureX(BuoyIndex(b)) = QStringLiteral(" 5000");
    const CompletionResult r = w.complete(e, 1);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(w.f.dialogs.texts(),
             QStringList{QStringLiteral("No Unique Solution - Re-enter data")});
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
        e.check_picture_x = QStringLiteral(" 6022.5");
        e.check_picture_y = QStringLiteral(" 4477.5");
        QVERIFY(w.complete(e).accepted);
    }
    const QStringList told = {
        QStringLiteral("Check Buoy Does not Validate.  The marked check buoy lies 1.5 pixels right "
                       "of and 0 pixels below where the grid predicts it; a pixel and a half each "
                       "way is allowed."),
        QStringLiteral("Check Buoy Does not Validate.  The marked check buoy lies 0 pixels right "
                       "of and 1.5 pixels above where the grid predicts it; a pixel and a half "
                       "each way is allowed.")};
    int k = 0;
    for (const auto& [x, y] : {std::pair{"6022.6", "4500"}, std::pair{"6000", "4477.4"}}) {
        World w;
        w.grids.slot(1).description2 = QStringLiteral("before");
        GridEntries e = rectangleEntries();
        e.check_picture_x = QLatin1String(x);
        e.check_picture_y = QLatin1String(y);
        const CompletionResult r = w.complete(e, 1);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(w.f.dialogs.texts(), QStringList{told.at(k++)});
        QVERIFY(!r.accepted && r.accuracyControlsShown);
        const auto predicted = r.evaluation.predictedCheckBuoy;
        QVERIFY(predicted && std::hypot(predicted->x - 6000, predicted->y - 4500) < 1e-6);
        QVERIFY(std::fabs(w.grids.working.c[1] - 0.01) < 1e-12);
        QCOMPARE(w.grids.slot(1).description2, QStringLiteral("before"));
        QVERIFY(!w.grids.slot(1).completed);
    }
}

// Guards the field of view refusal with its figure, and zero denominators in a completion: a
// check buoy on the horizon line and a front buoy whose picture vertical reaches the horizon are
// refused with a message, never passed or NaN.
void TestCompletion::fieldOfViewAndHorizonRefusals()
{
    QCOMPARE(fieldOfViewMessage(37.2),
             QStringLiteral("Setup is not valid, Field of View is  37.2 degrees where the maximum "
                            "allowed is 35 degrees"));
    {
        // Front buoys far apart, back buoys close: the front verticals spread wide on the water.
        World w;
        GridEntries e = rectangleEntries();
        e.lower_left_x = QStringLiteral(" 500");
        e.lower_right_x = QStringLiteral(" 11500");
        e.upper_left_x = QStringLiteral(" 5000");
        e.upper_right_x = QStringLiteral(" 7000");
        const auto predicted = evaluateGrid(e, 12000).predictedCheckBuoy;
        QVERIFY(predicted);
        e.check_picture_x = fieldText(predicted->x);
        e.check_picture_y = fieldText(predicted->y);
        const CompletionResult r = w.complete(e, 1, 12000);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(r.evaluation.verdict, GridVerdict::FieldOfViewTooWide);
        QCOMPARE(w.f.dialogs.texts(), QStringList{fieldOfViewMessage(*r.evaluation.fieldOfView)});
        QVERIFY(!r.accepted && !w.grids.slot(1).completed);
    }
    const GridCoefficients& c = kHorizonAt1000;
    const auto entriesFor = [&c](ScreenPoint lowerLeft) {
        GridEntries e = rectangleEntries();
        for (int i = 0; i < 4; ++i) {
            const auto b = BuoyIndex(i + 1);
            const ScreenPoint p = i == 3 ? lowerLeft : kRectanglePicture[i];
            const SurveyPoint s = *PictureToSurvey(c, p);
            e.pictureX(b) = fieldText(p.x);
            e.pictureY(b) = fieldText(p.y);
            e.surveyX(b) = fieldText(s.X);
            e.surveyY(b) = fieldText(s.Y);
        }
        e.check_survey_x = fieldText(PictureToSurvey(c, {6000, 4500})->X);
        e.check_survey_y = QStringLiteral("-10");
        return e;
    };
    {
        World w;
        const CompletionResult r = w.complete(entriesFor({3000, 7000}), 1);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(r.evaluation.verdict, GridVerdict::CheckBuoyOffPicture);
        QCOMPARE(w.f.dialogs.texts(), QStringList{gridtext::checkBuoyOffPicture});
        QVERIFY(!r.evaluation.checkBuoyDx && !r.accepted);
    }
    {
        // The lower left buoy 45 twips below the horizon: its vertical ends on it.
        World w;
        GridEntries e = entriesFor({3000, 1045});
        e.check_survey_y = fieldText(PictureToSurvey(c, {6000, 4500})->Y);
        const CompletionResult r = w.complete(e, 1);
        FW_VERIFY_DIALOGS(w.f.dialogs);
        QCOMPARE(r.evaluation.verdict, GridVerdict::FieldOfViewUnknown);
        QCOMPARE(w.f.dialogs.texts(), QStringList{gridtext::fieldOfViewUnknown});
        QVERIFY(!r.evaluation.fieldOfView && !r.accepted);
    }
}

// Guards acceptance: the grid named by the caption becomes current and completed, the slot
// takes the working copy, readiness and orientation follow, and the record is appended byte for
// byte.
void TestCompletion::acceptanceFillsTheSlotAndWritesTheRecord()
{
    World w;
    w.grids.slot(1).completed = true;
    GridEntries e = rectangleEntries();
    e.grid_caption = QStringLiteral("Grid 2");
    e.description_2 = QStringLiteral("left camera");
    const CompletionResult r = w.complete(e);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QVERIFY(r.accepted && r.recordWritten && !r.zoomAdvice);
    QCOMPARE(r.evaluation.fieldOfView.value(), 1.5); // parallel verticals
    QCOMPARE(w.grids.currentGrid, 2);
    const MeasurementGrid& slot = w.grids.slot(2);
    QVERIFY(slot.completed && w.grids.allGridsReady);
    QCOMPARE(slot.c, w.grids.working.c);
    QCOMPARE(w.grids.xOrientation, -1.0);
    QVERIFY(std::fabs(w.grids.frontRatio - 6000 * 100.0 / 7200) < 1e-12);

    const QByteArray expected = "12-05-2026 14:03:09 New Set-up now in place\r\nNo File\r\n"
                                "left camera\r\nGrid Number:  2 \r\n \r\n"
                                "Upper Left X,Y Pixels:  3000   2000\r\n"
                                "Upper Left X,Y Survey: 30  70\r\n \r\n"
                                "Lower Left X,Y Pixels:  3000   7000\r\n"
                                "Lower Left X,Y Survey: 30  20\r\n \r\n"
                                "Upper Right X,Y Pixels:  9000   2000\r\n"
                                "Upper Right X,Y Survey: 90  70\r\n \r\n"
                                "Lower Right X,Y Pixels:  9000   7000\r\n"
                                "Lower Right X,Y Survey: 90  20\r\n \r\n"
                                "Jump X,Y Survey: 30  45\r\n \r\n"
                                "Check Buoy X,Y Pixels:  6000    4500 \r\n"
                                "Check Buoy X,Y Survey:  60    45 \r\n \r\n";
    QCOMPARE(readBytes(w.settings.ResultsFilePath), expected);
    QVERIFY(w.complete(e).accepted);
    QCOMPARE(readBytes(w.settings.ResultsFilePath), expected + expected);
}

// Guards the ratio bound (exactly 80% gives no advice) and the advice's integer part. That the
// advice leaves an accepted grid ready: the demo road.
void TestCompletion::zoomAdviceBelowEightyPercent()
{
    World w;
    QVERIFY(!grid_check(rectangleEntries(), 7500, w.grids, w.f.dialogs));
    QCOMPARE(w.grids.frontRatio, 80.0);
    w.f.dialogs.expectMessage();
    QVERIFY(grid_check(rectangleEntries(), 6000 * 100.0 / 79.99, w.grids, w.f.dialogs));
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(w.f.dialogs.texts(), QStringList{QStringLiteral(
                                      "Front ratio is  79%  Zoom camera in until front is > 85%")});
}

QTEST_GUILESS_MAIN(TestCompletion)
#include "test_completion.moc"
