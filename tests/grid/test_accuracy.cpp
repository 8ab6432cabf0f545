// The accuracy check's mesh, grades, labels and daily report, and the calibration assistant's
// roundings.

#include "GridFixtures.h"
#include "StationFixture.h"
#include "grid/Accuracy.h"
#include "grid/Calibration.h"
#include "settings/StationSettings.h"

#include <QDir>
#include <QTest>

#include <cmath>

using namespace fw;
using namespace fw::test;

namespace {

// The rectangle's buoys on a water rectangle 48 m by 40 m: 0.008 m per twip, so one pixel is
// 0.12 m on the water, grade "L". The jump point is at (30, 50), the check buoy at (54, 50).
GridEntries accuracyEntries(double right_m = 78, double front_m = 30)
{
    GridEntries e = rectangleEntries();
    e.ur_survey_x = e.lr_survey_x = QString::number(right_m);
    e.lr_survey_y = e.ll_survey_y = QString::number(front_m);
    e.jump_y = e.check_survey_y = QStringLiteral("50");
    e.check_survey_x = QStringLiteral("54");
    e.description = QStringLiteral("/setup/left.ipt");
    e.description_2 = QStringLiteral("left camera");
    return e;
}

GridState solvedState(const GridEntries& e)
{
    GridState s;
    s.working = gridFromEntries(e, MeasurementGrid{});
    s.working.c = *SolveCoefficients(s.working.buoyPicture, s.working.buoySurvey);
    s.frontRatio = 83.3333333333333;
    s.backRatio = 50;
    return s;
}

} // namespace

class TestAccuracy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gradeBounds();
    void meshRunsBetweenTheEdgePoints();
    void samplesLabelsAndRows();
    void reportIsAppendedToTheDaysFile();
    void calibrationRoundingsAndHorizon();
};

// Guards each grade's bound: the bound itself belongs to the better grade.
void TestAccuracy::gradeBounds()
{
    const std::pair<double, const char*> cases[] = {
        {0.1, "R"}, {0.1000001, "L"}, {0.15, "L"}, {0.1500001, "C"}, {0.2, "C"}, {0.2000001, "NH"}};
    for (const auto& [delta, grade] : cases)
        QCOMPARE(accuracyGrade(delta), QLatin1String(grade));
}

// Guards the mesh: side edges in six equal parts, each row between its edge points.
void TestAccuracy::meshRunsBetweenTheEdgePoints()
{
    const AccuracyMesh m = accuracyMesh({3000, 2000}, {9000, 2000}, {3000, 7000}, {9000, 7000});
    for (int i = 0; i < kMeshSize; ++i) {
        for (int j = 0; j < kMeshSize; ++j) {
            QVERIFY(std::fabs(m[i][j].x - (3000 + 1000 * i)) < 1e-9);
            QVERIFY(std::fabs(m[i][j].y - (2000 + 5000.0 * j / 6)) < 1e-9);
        }
    }
    const AccuracyMesh q = accuracyMesh({4000, 2000}, {8000, 2600}, {1000, 8000}, {11000, 7400});
    QVERIFY(std::fabs(q[0][3].x - 2500) < 1e-9 && std::fabs(q[0][3].y - 5000) < 1e-9);
    QVERIFY(std::fabs(q[3][3].x - 6000) < 1e-9 && std::fabs(q[3][3].y - 5000) < 1e-9);
}

// Guards the distances per sample, the one-pixel changes, the labels of each content with their
// places, the report line's form and order, and the row captions.
void TestAccuracy::samplesLabelsAndRows()
{
    const GridEntries e = accuracyEntries();
    const GridState s = solvedState(e);
    const auto grade = computeAccuracy(e, s.working, Tournament{}, AccuracyContent::Grade);
    QVERIFY(grade);
    const AccuracySample& ul = grade->samples[0][0];
    QVERIFY(std::fabs(ul.d - 22.1) < 1e-9);   // 20 m + the ramp
    QVERIFY(std::fabs(ul.dv - 21.98) < 1e-9); // one pixel nearer the jump point
    QVERIFY(std::fabs(ul.dh - (std::hypot(0.12, 20) + 2.1)) < 1e-9);
    QVERIFY(std::fabs(ul.delta - 0.12) < 1e-9);
    QCOMPARE(ul.label, QStringLiteral("L"));
    QCOMPARE(ul.labelAt.y, 2075.0);
    QCOMPARE(grade->samples[2][5].indicator, 19);
    QCOMPARE(grade->meshLines.size(), 49);
    QCOMPARE(grade->meshLines.at(0),
             QStringLiteral("xpix:  3000  ypix:  2000  x:  30  y:  69.88  distance:  22.1  "
                            "v inc:  21.98  h inc:  22.1  delta:  .12"));
    QCOMPARE(grade->rows[0].right.x, 9000.0);
    QCOMPARE(grade->rows[0].labelAt.y, 1910.0);
    QCOMPARE(grade->rows[6].caption, QStringLiteral("7"));

    const auto distance =
        computeAccuracy(e, s.working, Tournament{true, false}, AccuracyContent::Distance);
    QCOMPARE(distance->samples[0][1].label, QStringLiteral(" 13.3")); // 13.333 truncated
    const auto detail = computeAccuracy(e, s.working, Tournament{}, AccuracyContent::Detail);
    QCOMPARE(detail->samples[0][0].label, QStringLiteral(" .12"));

    // Twice the distance per pixel: beyond homologation.
    const GridEntries coarse = accuracyEntries(126, -10);
    const auto nh =
        computeAccuracy(coarse, solvedState(coarse).working, Tournament{}, AccuracyContent::Grade);
    QCOMPARE(nh->samples[4][4].grade, QStringLiteral("NH"));
}

// Guards the day's report byte for byte, appended by each check, and a report that cannot be
// written: said, with the file's name, and no check result.
void TestAccuracy::reportIsAppendedToTheDaysFile()
{
    StationFixture f;
    StationSettings settings;
    settings.VideoFolder = f.makeFolder(QStringLiteral("video"));
    const GridEntries e = accuracyEntries();
    const GridState s = solvedState(e);
    GridState stale = s;
    stale.frontRatio = 134; // left from an earlier grid: the report gives this grid's own
    const auto first = RunAccuracyCheck(e, stale, settings, kRectangleWidth_twips,
                                        AccuracyContent::Grade, f.dialogs, f.clock);
    QVERIFY(first);
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(first->reportPath,
             settings.VideoFolder + QDir::separator() + QStringLiteral("acc1205.txt"));
    QByteArray one = "12-05-2026  14:03:09 Accuracy Check\r\nGrid Set-up for accuracy check\r\n"
                     "/setup/left.ipt\r\nleft camera\r\nGrid Number:  1 \r\n"
                     "Grid Verdict: accepted\r\n \r\n"
                     "Front Ratio:  83.3333333333333\r\nBack Ratio:  83.3333333333333\r\n"
                     "Upper Left X,Y Pixels:  3000   2000\r\nUpper Left X,Y Survey: 30  70\r\n \r\n"
                     "Lower Left X,Y Pixels:  3000   7000\r\nLower Left X,Y Survey: 30  30\r\n \r\n"
                     "Upper Right X,Y Pixels:  9000   2000\r\nUpper Right X,Y Survey: 78  70\r\n"
                     " \r\nLower Right X,Y Pixels:  9000   7000\r\n"
                     "Lower Right X,Y Survey: 78  30\r\n \r\nJump X,Y Survey: 30  50\r\n \r\n"
                     "Check Buoy X,Y Pixels:  6000    4500 \r\nCheck Buoy X,Y Survey: 54  50\r\n"
                     " \r\n";
    for (const QString& line : first->meshLines)
        one += line.toLatin1() + "\r\n";
    one += "Accuracy Check Complete\r\n\r\n";
    QCOMPARE(readBytes(first->reportPath), one);
    f.clock.advanceSeconds(60);
    QVERIFY(RunAccuracyCheck(e, s, settings, kRectangleWidth_twips, AccuracyContent::Grade,
                             f.dialogs, f.clock));
    const QByteArray two = one + QByteArray(one).replace("14:03:09", "14:04:09");
    QCOMPARE(readBytes(first->reportPath), two);

    // A grid refused by its check buoy is never described: told, and nothing is written.
    GridEntries refused = e;
    refused.check_picture_x = QStringLiteral(" 6100");
    f.dialogs.expectMessage();
    QVERIFY(!RunAccuracyCheck(refused, s, settings, kRectangleWidth_twips, AccuracyContent::Grade,
                              f.dialogs, f.clock));
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().at(0).contains(QStringLiteral("Check Buoy Does not Validate")));
    QCOMPARE(readBytes(first->reportPath), two);
    f.dialogs.clear();

    settings.VideoFolder = f.path(QStringLiteral("no-such-folder"));
    f.dialogs.expectMessage();
    QVERIFY(!RunAccuracyCheck(e, s, settings, kRectangleWidth_twips, AccuracyContent::Grade,
                              f.dialogs, f.clock));
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().at(0).contains(QStringLiteral("acc1205.txt")));
}

// Guards the calibration roundings (whole twips, hundredths of a meter, a unit typed after the
// number, an empty field read as 0), and a point on the horizon refused with nothing changed; and
// the skier path row asked after the check.
void TestAccuracy::calibrationRoundingsAndHorizon()
{
    const MeasurementGrid c = solvedState(accuracyEntries()).working;
    CalibrationFields f;
    f.point1ActualX = QStringLiteral("30"); // the upper left buoy
    f.point1ActualY = QStringLiteral("70");
    f.point2ActualX = QStringLiteral("78.01"); // next to the lower right buoy
    f.point2ActualY = QStringLiteral("30m");
    const auto line = calibrationDraw(f, QStringLiteral("Actual"), c);
    QVERIFY(line);
    QCOMPARE(f.point2PictureX, QStringLiteral(" 9001")); // 9001.25
    QCOMPARE(f.point2PictureY, QStringLiteral(" 7000"));
    QCOMPARE(line->from.x, 3000.0);
    QCOMPARE(line->to.x, 9001.0);
    f.point1PictureX = QStringLiteral("3001");
    f.point2PictureY = QString();
    const auto screen = calibrationDraw(f, QStringLiteral("Screen"), c);
    QVERIFY(screen);
    QCOMPARE(f.point1ActualX, QStringLiteral(" 30.01")); // 30.008
    QCOMPARE(f.point2ActualY, QStringLiteral(" 86"));    // picture y 0
    QCOMPARE(screen->to.y, 0.0);

    MeasurementGrid horizon;
    horizon.c = kHorizonAt1000;
    f.point1ActualX = QStringLiteral("unchanged");
    // On the horizon, and beyond it (the far side from this grid's buoys at the origin).
    for (const char* y : {"1000", "2000"}) {
        f.point1PictureY = QLatin1String(y);
        const auto refused = calibrationDraw(f, QStringLiteral("Screen"), horizon);
        QVERIFY2(!refused && !refused.message().isEmpty(), y);
        QCOMPARE(f.point1ActualX, QStringLiteral("unchanged"));
    }

    QCOMPARE(skierPathRow(QStringLiteral(" 7 ")), std::optional<int>(6));
    for (const char* refusedRow : {"0", "8", "2.5", "3x", ""})
        QVERIFY2(!skierPathRow(QLatin1String(refusedRow)), refusedRow);
}

QTEST_GUILESS_MAIN(TestAccuracy)
#include "test_accuracy.moc"
