// The accuracy check's mesh, grades, labels and daily report, and the calibration assistant's
// conversions.

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

// A rectangle at 0.008 m per twip: one pixel is 0.12 m on the water, grade "L".
GridEntries accuracyEntries()
{
    GridEntries e = rectangleEntries();
    e.ur_survey_x = QStringLiteral("78");
    e.ur_survey_y = QStringLiteral("70");
    e.lr_survey_x = QStringLiteral("78");
    e.lr_survey_y = QStringLiteral("30");
    e.ul_survey_x = QStringLiteral("30");
    e.ul_survey_y = QStringLiteral("70");
    e.ll_survey_x = QStringLiteral("30");
    e.ll_survey_y = QStringLiteral("30");
    e.jump_x = QStringLiteral("30");
    e.jump_y = QStringLiteral("50");
    e.txtCheckX = QStringLiteral("54");
    e.txtCheckY = QStringLiteral("50");
    e.ipt_file_description = QStringLiteral("/setup/left.ipt");
    e.ipt_file_description_2 = QStringLiteral("left camera");
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
    void gradeBounds_data();
    void gradeBounds();
    void rectangleGivesAnEvenMesh();
    void samplesLabelsAndRows();
    void reportIsAppendedToTheDaysFile();
    void unwritableReportChangesNothing();
    void skierPathAnswerIsARowNumber();
    void calibrationConvertsBothWays();
    void calibrationRefusesHorizonPoints();
};

void TestAccuracy::gradeBounds_data()
{
    QTest::addColumn<double>("delta");
    QTest::addColumn<QString>("grade");
    QTest::newRow("0.1") << 0.1 << "R";
    QTest::newRow("0.1000001") << 0.1000001 << "L";
    QTest::newRow("0.15") << 0.15 << "L";
    QTest::newRow("0.1500001") << 0.1500001 << "C";
    QTest::newRow("0.2") << 0.2 << "C";
    QTest::newRow("0.2000001") << 0.2000001 << "NH";
    QTest::newRow("0") << 0.0 << "R";
}

void TestAccuracy::gradeBounds()
{
    QFETCH(double, delta);
    QFETCH(QString, grade);
    QCOMPARE(accuracyGrade(delta), grade);
}

void TestAccuracy::rectangleGivesAnEvenMesh()
{
    const AccuracyMesh m = accuracyMesh({3000, 2000}, {9000, 2000}, {3000, 7000}, {9000, 7000});
    for (int i = 0; i < kMeshSize; ++i) {
        for (int j = 0; j < kMeshSize; ++j) {
            QVERIFY(std::fabs(m[i][j].x - (3000 + 1000 * i)) < 1e-9);
            QVERIFY(std::fabs(m[i][j].y - (2000 + 5000.0 * j / 6)) < 1e-9);
        }
    }
    // A skewed quadrilateral: rows run between the edge points, corners are the buoys.
    const AccuracyMesh q = accuracyMesh({4000, 2000}, {8000, 2600}, {1000, 8000}, {11000, 7400});
    QCOMPARE(q[6][6].x, 11000.0);
    QVERIFY(std::fabs(q[0][3].x - 2500) < 1e-9 && std::fabs(q[0][3].y - 5000) < 1e-9);
    QVERIFY(std::fabs(q[3][3].x - (2500 + 9500) / 2.0) < 1e-9);
    QVERIFY(std::fabs(q[3][3].y - (5000 + 5000) / 2.0) < 1e-9);
}

// Guards the distances per sample, the one-pixel changes, the label texts and positions.
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
    QCOMPARE(ul.grade, QStringLiteral("L"));
    QCOMPARE(ul.label, QStringLiteral("L"));
    QCOMPARE(ul.labelAt.x, 3000.0);
    QCOMPARE(ul.labelAt.y, 2075.0);
    QCOMPARE(grade->samples[2][5].indicator, 19);
    QCOMPARE(grade->meshLines.size(), 49);
    QCOMPARE(grade->meshLines.at(0),
             QStringLiteral("xpix:  3000  ypix:  2000  x:  30  y:  69.88  distance:  22.1  "
                            "v inc:  21.98  h inc:  22.1  delta:  .12"));
    // Columns outer, rows inner: the second line is one row lower in the first column.
    QVERIFY(grade->meshLines.at(1).startsWith(QStringLiteral("xpix:  3000  ypix:  2833  ")));
    const AccuracyRow& row1 = grade->rows[0];
    QCOMPARE(row1.caption, QStringLiteral("1"));
    QCOMPARE(row1.right.x, 9000.0);
    QCOMPARE(row1.left.x, 3000.0);
    QCOMPARE(row1.labelAt.y, 1910.0);
    QCOMPARE(grade->rows[6].caption, QStringLiteral("7"));

    const auto distance =
        computeAccuracy(e, s.working, Tournament{true, false}, AccuracyContent::Distance);
    QCOMPARE(distance->samples[0][0].label, QStringLiteral(" 20"));
    QCOMPARE(distance->samples[0][1].label, QStringLiteral(" 13.3")); // 13.333 truncated
    const auto detail = computeAccuracy(e, s.working, Tournament{}, AccuracyContent::Detail);
    QCOMPARE(detail->samples[0][0].label, QStringLiteral(" .12"));

    // Twice the distance per pixel: every sample is beyond homologation.
    GridEntries coarse = e;
    coarse.ur_survey_x = QStringLiteral("126");
    coarse.lr_survey_x = QStringLiteral("126");
    coarse.lr_survey_y = QStringLiteral("-10");
    coarse.ll_survey_y = QStringLiteral("-10");
    const auto nh =
        computeAccuracy(coarse, solvedState(coarse).working, Tournament{}, AccuracyContent::Grade);
    QCOMPARE(nh->samples[4][4].grade, QStringLiteral("NH"));
}

void TestAccuracy::reportIsAppendedToTheDaysFile()
{
    StationFixture f;
    StationSettings settings;
    settings.VideoFolder = f.makeFolder(QStringLiteral("video"));
    const GridEntries e = accuracyEntries();
    const GridState s = solvedState(e);
    const auto first = RunAccuracyCheck(e, s, settings, AccuracyContent::Grade, f.dialogs, f.clock);
    QVERIFY(first);
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(first->reportPath,
             settings.VideoFolder + QDir::separator() + QStringLiteral("acc1205.txt"));

    const QByteArray header = "12-05-2026  14:03:09 Accuracy Check\r\n"
                              "Grid Set-up for accuracy check\r\n"
                              "/setup/left.ipt\r\n"
                              "left camera\r\n"
                              "Grid Number:  1 \r\n"
                              " \r\n"
                              "Front Ratio:  83.3333333333333\r\n"
                              "Back Ratio:  50\r\n"
                              "Upper Left X,Y Pixels:  3000   2000\r\n"
                              "Upper Left X,Y Survey: 30  70\r\n"
                              " \r\n"
                              "Lower Left X,Y Pixels:  3000   7000\r\n"
                              "Lower Left X,Y Survey: 30  30\r\n"
                              " \r\n"
                              "Upper Right X,Y Pixels:  9000   2000\r\n"
                              "Upper Right X,Y Survey: 78  70\r\n"
                              " \r\n"
                              "Lower Right X,Y Pixels:  9000   7000\r\n"
                              "Lower Right X,Y Survey: 78  30\r\n"
                              " \r\n"
                              "Jump X,Y Survey: 30  50\r\n"
                              " \r\n"
                              "Check Buoy X,Y Pixels:  6000    4500 \r\n"
                              "Check Buoy X,Y Survey: 54  50\r\n"
                              " \r\n";
    QByteArray one = header;
    for (const QString& line : first->meshLines)
        one += line.toLatin1() + "\r\n";
    one += "Accuracy Check Complete\r\n\r\n";
    QCOMPARE(readBytes(first->reportPath), one);

    f.clock.advanceSeconds(60);
    QVERIFY(RunAccuracyCheck(e, s, settings, AccuracyContent::Grade, f.dialogs, f.clock));
    QCOMPARE(readBytes(first->reportPath), one + QByteArray(one).replace("14:03:09", "14:04:09"));
}

void TestAccuracy::unwritableReportChangesNothing()
{
    StationFixture f;
    StationSettings settings;
    settings.VideoFolder = f.path(QStringLiteral("no-such-folder"));
    const GridEntries e = accuracyEntries();
    f.dialogs.expectMessage();
    QVERIFY(
        !RunAccuracyCheck(e, solvedState(e), settings, AccuracyContent::Grade, f.dialogs, f.clock));
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().at(0).contains(QStringLiteral("acc1205.txt")));
}

void TestAccuracy::skierPathAnswerIsARowNumber()
{
    QCOMPARE(skierPathRow(QStringLiteral("1")), std::optional<int>(0));
    QCOMPARE(skierPathRow(QStringLiteral(" 7 ")), std::optional<int>(6));
    for (const char* refused : {"0", "8", "2.5", "abc", "", "3x"})
        QVERIFY2(!skierPathRow(QLatin1String(refused)), refused);
}

// Guards both directions with their roundings: buoys' survey positions give their picture
// positions to the whole twip, and back to the hundredth of a meter.
void TestAccuracy::calibrationConvertsBothWays()
{
    const GridEntries e = accuracyEntries();
    const GridCoefficients c = solvedState(e).working.c;
    CalibrationFields f;
    f.CalibrationLineXActual = QStringLiteral("30"); // upper left buoy
    f.CalibrationLineYActual = QStringLiteral("70");
    f.CalibrationLineXActual2 = QStringLiteral("78.01"); // next to the lower right buoy
    f.CalibrationLineYActual2 = QStringLiteral("30m");
    const auto line = calibrationDraw(f, QStringLiteral("Actual"), c);
    QVERIFY(line);
    QCOMPARE(f.CalibrationLineXTwips, QStringLiteral(" 3000"));
    QCOMPARE(f.CalibrationLineYTwips, QStringLiteral(" 2000"));
    QCOMPARE(f.CalibrationLineXTwips2, QStringLiteral(" 9001")); // 9001.25
    QCOMPARE(f.CalibrationLineYTwips2, QStringLiteral(" 7000"));
    QCOMPARE(line->from.x, 3000.0);
    QCOMPARE(line->to.x, 9001.0);

    f.CalibrationLineXTwips = QStringLiteral("3001");
    f.CalibrationLineYTwips2 = QStringLiteral("");
    const auto screen = calibrationDraw(f, QStringLiteral("Screen"), c);
    QVERIFY(screen);
    QCOMPARE(f.CalibrationLineXActual, QStringLiteral(" 30.01")); // 30.008
    QCOMPARE(f.CalibrationLineYActual, QStringLiteral(" 70"));
    QCOMPARE(f.CalibrationLineYActual2, QStringLiteral(" 86")); // picture y 0
    QCOMPARE(screen->to.y, 0.0);
    QCOMPARE(toggledCalibrationUnits(QStringLiteral("Actual")), QStringLiteral("Screen"));
    QCOMPARE(toggledCalibrationUnits(QStringLiteral("Screen")), QStringLiteral("Actual"));
}

void TestAccuracy::calibrationRefusesHorizonPoints()
{
    const GridCoefficients c{0, 0.01, 0, 0, -0.001, 0, 0, 0.01}; // horizon at picture y 1000
    CalibrationFields f;
    f.CalibrationLineXTwips = QStringLiteral("500");
    f.CalibrationLineYTwips = QStringLiteral("1000");
    f.CalibrationLineXActual = QStringLiteral("unchanged");
    const auto line = calibrationDraw(f, QStringLiteral("Screen"), c);
    QVERIFY(!line);
    QVERIFY(!line.message().isEmpty());
    QCOMPARE(f.CalibrationLineXActual, QStringLiteral("unchanged"));
}

QTEST_GUILESS_MAIN(TestAccuracy)
#include "test_accuracy.moc"
