// What recording a jump writes, from the operator's entries alone: a measured jump and the
// entries that refuse it, the jumps that measure nothing (pass, fall, another grid's distance),
// and the marks the tournament type and verify mode put on the line.

#include "SampleGrid.h"
#include "measure/JumpRecording.h"

#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

// Smith's jump 1 clicked on the sample grid at survey (X, Y), at the fixture's time.
JumpEntries clickedAt(double X, double Y)
{
    JumpEntries e;
    e.at = QDateTime(QDate(2026, 12, 5), QTime(14, 3, 9));
    e.skier = QStringLiteral("Smith,John");
    e.jumpNumber = QStringLiteral("1");
    e.impactClicked = true;
    e.impact = samplePicturePoint(X, Y);
    return e;
}

const QString kHead = QStringLiteral("12-05-2026 14:03:09 ");

} // namespace

class TestJumpRecording : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void measuredJumpAndWhatRefusesIt();
    void jumpsThatMeasureNothing();
    void tournamentTypeAndVerifyModeMarkTheLine();
};

// Guards the measured line and every refusal that must leave the files untouched: a jump number
// that is not a whole number from 1 to 99 (blanks around it allowed), no click on this picture
// (pass, fall and other grid need none), and a point at the grid's horizon.
void TestJumpRecording::measuredJumpAndWhatRefusesIt()
{
    const MeasurementGrid grid = sampleGrid();
    // 43.53 m from the jump point along the course: 45.63 m with the ramp.
    const Result<RecordedJump> r = jumpRecord(clickedAt(43.53, 20), grid);
    QVERIFY(r.ok());
    QCOMPARE(r->resultsLine, kHead + QStringLiteral("Smith,John  jump 1 -  45.6m  (IWSF) 150ft  "
                                                    "(AWSA) ( 43.53/ 20) ( 6882/ 4500) ( 45.63)"));
    QCOMPARE(wstimsStatusLine(r->jump), QStringLiteral("OK,  45.6,  150, 1"));
    QVERIFY(r->measured && !r->advanceJumpNumber);

    for (const char* bad : {"x7", "0", "100", "2.5", "", "7x"}) {
        JumpEntries e = clickedAt(43.53, 20);
        e.jumpNumber = QLatin1String(bad);
        QVERIFY2(checkReadyToRecord(e).message().contains(QLatin1String("jump number")), bad);
        QVERIFY2(!jumpRecord(e, grid).ok(), bad);
    }
    JumpEntries e = clickedAt(43.53, 20);
    e.jumpNumber = QStringLiteral(" 99");
    QCOMPARE(wstimsStatusLine(jumpRecord(e, grid)->jump), QStringLiteral("OK,  45.6,  150,  99"));

    e.impactClicked = false;
    QVERIFY(jumpRecord(e, grid).message().startsWith(QLatin1String("No impact point")));
    for (JumpOutcome outcome : {JumpOutcome::Pass, JumpOutcome::Fall}) {
        e.outcome = outcome;
        QVERIFY(jumpRecord(e, grid).ok());
    }

    // A camera looking across the water: on the horizon line no distance exists.
    MeasurementGrid across;
    across.buoyPicture = {{{7000, 2000}, {11000, 8000}, {5000, 2000}, {1000, 8000}}};
    across.buoySurvey = {{{60, 40}, {60, 0}, {20, 40}, {20, 0}}};
    across.c = SolveCoefficients(across.buoyPicture, across.buoySurvey).value();
    JumpEntries horizon = clickedAt(0, 0);
    horizon.gridNumber = 2;
    horizon.impact = {6000, -(1 + across.c[3] * 6000) / across.c[4]};
    const Result<RecordedJump> refused = jumpRecord(horizon, across);
    QVERIFY(!refused.ok());
    QVERIFY2(refused.message().contains(QLatin1String("beyond the horizon of grid 2")),
             qPrintable(refused.message()));
}

// Guards the jumps without a figure of their own: pass and fall repeat the last positions and
// precise distance and take their status from the comment; another grid's distance goes on the
// line without positions, "No" writes its own comment, a cancelled entry writes nothing; on a
// picture that is not held the jump number moves on at once.
void TestJumpRecording::jumpsThatMeasureNothing()
{
    const MeasurementGrid grid = sampleGrid();
    JumpEntries fall = clickedAt(0, 0);
    fall.impactClicked = false;
    fall.impact = samplePicturePoint(43.53, 20);
    fall.jumpNumber = QStringLiteral(" 2");
    fall.outcome = JumpOutcome::Fall;
    fall.comment = jumptexts::Fall;
    fall.lastSurvey = {43.53, 20};
    fall.lastPreciseMeters = QStringLiteral(" 45.63");
    Result<RecordedJump> r = jumpRecord(fall, grid);
    QCOMPARE(r->resultsLine, kHead + QStringLiteral("Smith,John  jump  2 -   (IWSF)  (AWSA)Fall ( "
                                                    "43.53/ 20) ( 6882/ 4500) ( 45.63)"));
    QCOMPARE(wstimsStatusLine(r->jump), QStringLiteral("Fall, 0, 0, 2"));
    QVERIFY(r->advanceJumpNumber && !r->measured);
    fall.pictureHeld = true;
    fall.outcome = JumpOutcome::Pass;
    fall.comment = jumptexts::Pass;
    r = jumpRecord(fall, grid);
    QCOMPARE(wstimsStatusLine(r->jump), QStringLiteral("Pass, 0, 0, 2"));
    QVERIFY(!r->advanceJumpNumber);

    JumpEntries other = clickedAt(0, 0);
    other.skier = QStringLiteral("Smith");
    other.outcome = JumpOutcome::OtherGrid;
    other.otherGrid = {OtherGridEntry::Kind::Distance, QStringLiteral("40m"),
                       QStringLiteral("132 ft"), QStringLiteral("40"), QStringLiteral("132 ")};
    r = jumpRecord(other, grid);
    QCOMPARE(r->resultsLine, kHead + QStringLiteral("Smith  jump 1 - 40m  (IWSF)132 ft  (AWSA)"));
    QCOMPARE(wstimsStatusLine(r->jump), QStringLiteral("OK, 40, 132 , 1"));
    QVERIFY(r->advanceJumpNumber);
    other.otherGrid = {};
    other.otherGrid.kind = OtherGridEntry::Kind::NoDistance;
    QCOMPARE(jumpRecord(other, grid)->resultsLine,
             kHead + QStringLiteral("Smith  jump 1 -   (IWSF)  (AWSA)Other Grid - no distance "
                                    "recorded"));
    other.otherGrid.kind = OtherGridEntry::Kind::Abandoned;
    r = jumpRecord(other, grid);
    QVERIFY(!r.ok() && r.message().isEmpty());
}

// Guards the tournament's marks: barefoot has no ramp offset, tenths of a foot and its word on
// the line; sit ski has its own offset and tenths but no word; verify mode makes it unofficial.
void TestJumpRecording::tournamentTypeAndVerifyModeMarkTheLine()
{
    const MeasurementGrid grid = sampleGrid();
    JumpEntries e = clickedAt(30, 20);
    e.skier = QStringLiteral("Lee");
    e.tournament.barefoot = true;
    QCOMPARE(jumpRecord(e, grid)->resultsLine,
             kHead + QStringLiteral("Lee  jump 1 -  30m  (IWSF) 98.4ft  (AWSA) BAREFOOT  ( 30/ "
                                    "20) ( 3500/ 4500) ( 30)"));
    e.tournament = {false, true};
    QCOMPARE(jumpRecord(e, grid)->resultsLine,
             kHead + QStringLiteral("Lee  jump 1 -  31.9m  (IWSF) 104.7ft  (AWSA) ( 30/ 20) ( "
                                    "3500/ 4500) ( 31.9)"));
    e.tournament = {};
    e.verifyMode = true;
    QVERIFY(jumpRecord(e, grid)->jump.unofficial);
}

QTEST_GUILESS_MAIN(TestJumpRecording)
#include "test_jump_recording.moc"
