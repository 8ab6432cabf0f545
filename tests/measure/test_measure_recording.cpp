// Recording a jump: distance figures, the results file line, the note lines, the scoring
// program's files and the results file that never loses a line.

#include "StationFixture.h"
#include "measure/JumpResult.h"
#include "measure/ResultsFile.h"
#include "measure/WstimsExchange.h"
#include "support/textforms.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

// A jump as the measurement screen records it at the fixture's time: figures from distance d.
JumpResult measured(double d, bool tenths, const QString& skier = QStringLiteral("Smith,John"),
                    const QString& jumpNo = QStringLiteral(" 2"))
{
    JumpResult j;
    j.date = QStringLiteral("12-05-2026");
    j.time = QStringLiteral("14:03:09");
    j.skier = skier;
    j.jumpNumber = jumpNo;
    const Result<DistanceFigures> f = distanceFigures(d, tenths);
    if (f) {
        j.metersText = f->metersText;
        j.feetText = f->feetText;
        j.metersValue = f->metersValue;
        j.feetValue = f->feetValue;
        j.preciseMeters = f->preciseMeters;
    }
    j.surveyX_m = 12.3456;
    j.surveyY_m = -3.2104;
    j.pictureX_twips = 1234.7;
    j.pictureY_twips = 567.2;
    return j;
}

} // namespace

class TestMeasureRecording : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void distanceFigures_data();
    void distanceFigures();
    void distanceBeyondTheHorizonIsRefused();
    void okJumpLinesByteForByte();
    void fallAndPassLines_data();
    void fallAndPassLines();
    void otherGridLines();
    void barefootSitSkiAndVerifyLines();
    void noteLines();
    void otherGridAgreementBounds();
    void otherGridDialogAsksUntilAgreement();
    void otherGridCancelAbandons();
    void otherGridNoGivesNoDistance();
    void jumpNumberAdvance();
    void verifyReadouts();
    void wstimsFilesByteForByte();
    void wstimsFailureSaysWhy();
    void exchangePicturesDeleted();
    void resultsFileKeepsALineItCannotWrite();
    void resultsFileWritesCrLfLatin1();
};

// Guards the rounding of meters, precise meters and feet, whole and in tenths.
void TestMeasureRecording::distanceFigures_data()
{
    QTest::addColumn<double>("d");
    QTest::addColumn<bool>("tenths");
    QTest::addColumn<QString>("meters");
    QTest::addColumn<QString>("feet");
    QTest::addColumn<QString>("precise");
    QTest::newRow("45.63 m") << 45.63 << false << " 45.6m"
                             << " 150ft"
                             << " 45.63";
    QTest::newRow("whole meters drop the point") << 45.0 << false << " 45m"
                                                 << " 148ft"
                                                 << " 45";
    QTest::newRow("half a tenth rounds up") << 45.65 << false << " 45.7m"
                                            << " 150ft"
                                            << " 45.65";
    QTest::newRow("precise keeps four decimals") << 45.123456 << false << " 45.1m"
                                                 << " 148ft"
                                                 << " 45.1235";
    QTest::newRow("tenths of a foot") << 20.0 << true << " 20m"
                                      << " 65.6ft"
                                      << " 20";
    QTest::newRow("whole tenths drop the point") << 30.48 << true << " 30.5m"
                                                 << " 100ft"
                                                 << " 30.48";
    QTest::newRow("below one meter") << 0.5 << false << " .5m"
                                     << " 2ft"
                                     << " .5";
}

void TestMeasureRecording::distanceFigures()
{
    QFETCH(double, d);
    QFETCH(bool, tenths);
    const Result<DistanceFigures> f = fw::distanceFigures(d, tenths);
    QFETCH(QString, meters);
    QFETCH(QString, feet);
    QFETCH(QString, precise);
    QVERIFY(f.ok());
    QCOMPARE(f->metersText, meters);
    QCOMPARE(f->feetText, feet);
    QCOMPARE(f->preciseMeters, precise);
    QCOMPARE(f->metersValue + QLatin1Char('m'), meters);
    QCOMPARE(f->feetValue + QStringLiteral("ft"), feet);
}

// A point at the horizon maps to infinity; no number may reach the files.
void TestMeasureRecording::distanceBeyondTheHorizonIsRefused()
{
    for (double d : {std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN(), 1.0e7}) {
        const Result<DistanceFigures> f = fw::distanceFigures(d, false);
        QVERIFY(!f.ok());
        QVERIFY(f.message().contains(QStringLiteral("horizon")));
    }
}

// The example of a normal OK jump, the whole line byte for byte.
void TestMeasureRecording::okJumpLinesByteForByte()
{
    const JumpResult j = measured(45.63, false);
    QCOMPARE(resultsLine(j),
             QStringLiteral("12-05-2026 14:03:09 Smith,John  jump  2 -  45.6m  (IWSF) 150ft  "
                            "(AWSA) ( 12.346/-3.21) ( 1234/ 567) ( 45.63)"));
    QCOMPARE(wstimsStatusLine(j), QStringLiteral("OK,  45.6,  150,  2"));
    QCOMPARE(wstimsRawLine(j), QStringLiteral("14:03:09 ,Smith,OK,  45.6,  150,  2"));
}

// Fall and Pass map nothing: empty distances, the comment, the last positions, and the status
// line that the scoring program reads; a typed "Pass" counts as Pass.
void TestMeasureRecording::fallAndPassLines_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("status");
    QTest::newRow("fall") << "Fall"
                          << "Fall, 0, 0,3";
    QTest::newRow("pass") << "Pass"
                          << "Pass, 0, 0,3";
    QTest::newRow("other text is OK") << "Pass "
                                      << "OK, , , 3";
}

void TestMeasureRecording::fallAndPassLines()
{
    QFETCH(QString, comment);
    QFETCH(QString, status);
    JumpResult j = measured(45.63, false, QStringLiteral("Jones"), QStringLiteral("3"));
    j.metersText.clear();
    j.feetText.clear();
    j.metersValue.clear();
    j.feetValue.clear();
    j.comment = comment;
    j.status = statusForComment(comment);
    QCOMPARE(resultsLine(j),
             QStringLiteral("12-05-2026 14:03:09 Jones  jump 3 -   (IWSF)  (AWSA)") + comment +
                 QStringLiteral(" ( 12.346/-3.21) ( 1234/ 567) ( 45.63)"));
    QCOMPARE(wstimsStatusLine(j), status);
    QCOMPARE(wstimsRawLine(j), QStringLiteral("14:03:09 ,Jones,") + status);
}

// Another grid's entries as typed, the feet with their blank, and no position groups.
void TestMeasureRecording::otherGridLines()
{
    JumpResult j = measured(0, false, QStringLiteral("Smith,John"), QStringLiteral(" 4"));
    j.metersValue = QStringLiteral("40");
    j.feetValue = QStringLiteral("132 ");
    j.metersText = QStringLiteral("40m");
    j.feetText = QStringLiteral("132 ft");
    j.comment = jumptexts::OtherGrid;
    j.otherGrid = true;
    QCOMPARE(resultsLine(j), QStringLiteral("12-05-2026 14:03:09 Smith,John  jump  4 - 40m  (IWSF)"
                                            "132 ft  (AWSA)Distance from other grid"));
    QCOMPARE(wstimsStatusLine(j), QStringLiteral("OK, 40, 132 ,  4"));
}

// Barefoot adds its word and tenths of a foot; sit ski only the tenths; verify mode marks the
// jump unofficial; they combine in the order of the line.
void TestMeasureRecording::barefootSitSkiAndVerifyLines()
{
    JumpResult bare = measured(20.0, true, QStringLiteral("Lee"), QStringLiteral(" 1"));
    bare.barefoot = true;
    QCOMPARE(resultsLine(bare), QStringLiteral("12-05-2026 14:03:09 Lee  jump  1 -  20m  (IWSF) "
                                               "65.6ft  (AWSA) BAREFOOT  ( 12.346/-3.21) ( 1234/ "
                                               "567) ( 20)"));
    QCOMPARE(wstimsStatusLine(bare), QStringLiteral("OK,  20,  65.6,  1"));

    JumpResult sit = measured(31.9, true, QStringLiteral("Lee"), QStringLiteral(" 1"));
    QCOMPARE(sit.feetText, QStringLiteral(" 104.7ft"));
    QVERIFY(!resultsLine(sit).contains(QStringLiteral("BAREFOOT")));

    JumpResult verify = measured(45.63, false);
    verify.unofficial = true;
    verify.barefoot = true;
    verify.comment = QStringLiteral("wind");
    QVERIFY(resultsLine(verify).contains(
        QStringLiteral("150ft  (AWSA) BAREFOOT  UNOFFICIAL JUMP - verify mode wind ( 12.346/")));
}

// Rerides and comments: date, time and the text.
void TestMeasureRecording::noteLines()
{
    QCOMPARE(noteLine(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"),
                      jumptexts::MandatoryReride),
             QStringLiteral("12-05-2026 14:03:09 Mandatory Reride - disregard last jump"));
    QCOMPARE(noteLine(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"),
                      jumptexts::OptionalReride),
             QStringLiteral("12-05-2026 14:03:09 Optional Reride on previous jump"));
}

// Meters and feet from another grid agree within two feet, the bounds included even where the
// binary product misses them by a hair.
void TestMeasureRecording::otherGridAgreementBounds()
{
    QVERIFY(otherGridEntriesAgree(40, 132));
    QVERIFY(!otherGridEntriesAgree(40, 134));
    QVERIFY(otherGridEntriesAgree(40.5, 134));
    QVERIFY(otherGridEntriesAgree(40, 129.232));
    QVERIFY(otherGridEntriesAgree(40, 133.232));
    QVERIFY(otherGridEntriesAgree(40.2, 129.88816));
    QVERIFY(otherGridEntriesAgree(43.2, 139.73056));
    QVERIFY(!otherGridEntriesAgree(40, 133.2321));
    QVERIFY(!otherGridEntriesAgree(40, 129.2319));
    QVERIFY(otherGridEntriesAgree(0, 0));
}

// A mismatch is explained and asked again; the agreed entries come back as the line wants them.
void TestMeasureRecording::otherGridDialogAsksUntilAgreement()
{
    StationFixture fx;
    fx.dialogs.expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40"))
        .expectInput(QStringLiteral("134"))
        .expectMessage()
        .expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40"))
        .expectInput(QStringLiteral("132"));
    const OtherGridEntry e = askOtherGridDistance(fx.dialogs);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(e.kind, OtherGridEntry::Kind::Distance);
    QCOMPARE(e.metersText, QStringLiteral("40m"));
    QCOMPARE(e.feetText, QStringLiteral("132 ft"));
    QCOMPARE(e.metersValue, QStringLiteral("40"));
    QCOMPARE(e.feetValue, QStringLiteral("132 "));
    const auto& calls = fx.dialogs.calls();
    QCOMPARE(calls[0].text,
             QStringLiteral("Is there a distance to be recorded in the other grid?"));
    QCOMPARE(calls[0].title, QStringLiteral("Message"));
    QCOMPARE(calls[0].buttons, DialogButtons::YesNo);
    QCOMPARE(calls[1].text, QStringLiteral("Enter distance in meters from other screen"));
    QCOMPARE(calls[1].title, QStringLiteral("Other Grid Measurement"));
    QCOMPARE(calls[2].text, QStringLiteral("Enter distance in feet from other screen"));
    QCOMPARE(calls[3].text, QStringLiteral("The meter distance and the foot distance you entered "
                                           "did not match, please enter them again"));
}

// Cancel in either box abandons the recording instead of recording an empty OK jump.
void TestMeasureRecording::otherGridCancelAbandons()
{
    StationFixture fx;
    fx.dialogs.expectMessage(DialogAnswer::Yes).expectInput(std::nullopt);
    QCOMPARE(askOtherGridDistance(fx.dialogs).kind, OtherGridEntry::Kind::Abandoned);
    FW_VERIFY_DIALOGS(fx.dialogs);

    StationFixture fx2;
    fx2.dialogs.expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40"))
        .expectInput(std::nullopt);
    QCOMPARE(askOtherGridDistance(fx2.dialogs).kind, OtherGridEntry::Kind::Abandoned);
    FW_VERIFY_DIALOGS(fx2.dialogs);
}

void TestMeasureRecording::otherGridNoGivesNoDistance()
{
    StationFixture fx;
    fx.dialogs.expectMessage(DialogAnswer::No);
    const OtherGridEntry e = askOtherGridDistance(fx.dialogs);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(e.kind, OtherGridEntry::Kind::NoDistance);
    QVERIFY(e.metersText.isEmpty() && e.feetText.isEmpty());
}

// The jump number after an automatic advance is in leading-space form, from any earlier text.
void TestMeasureRecording::jumpNumberAdvance()
{
    QCOMPARE(nextJumpNumber(QStringLiteral("1")), QStringLiteral(" 2"));
    QCOMPARE(nextJumpNumber(QStringLiteral(" 2")), QStringLiteral(" 3"));
    QCOMPARE(nextJumpNumber(QString()), QStringLiteral(" 1"));
    QCOMPARE(nextJumpNumber(QStringLiteral("-3")), QStringLiteral("-2"));
}

// The verify read-outs, and nothing at all for a point beyond the horizon.
void TestMeasureRecording::verifyReadouts()
{
    QCOMPARE(verifyDistanceReadout(45.63), QStringLiteral(" 45.6m  150ft"));
    QCOMPARE(surveyReadout(12.345), QStringLiteral(" 12.35"));
    QCOMPARE(surveyReadout(-3.2), QStringLiteral("-3.2"));
    QCOMPARE(twipsReadout(1499.9), QStringLiteral(" 1499"));
    const double inf = std::numeric_limits<double>::infinity();
    QVERIFY(verifyDistanceReadout(inf).isEmpty());
    QVERIFY(surveyReadout(std::numeric_limits<double>::quiet_NaN()).isEmpty());
    QVERIFY(twipsReadout(-inf).isEmpty());
}

// qxresult.dst holds only the last jump; qxraw.dst gains a line per jump; both CR LF.
void TestMeasureRecording::wstimsFilesByteForByte()
{
    StationFixture fx;
    const QString qxio = fx.makeFolder(QStringLiteral("station/qxio"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/qxresult.dst"),
                       QByteArray("a much longer earlier line that must vanish\r\n")));
    QVERIFY(writeBytes(qxio + QStringLiteral("/qxraw.dst"), QByteArray("earlier\r\n")));

    JumpResult ok = measured(45.63, false);
    QVERIFY(writeWstimsResult(qxio, ok).ok());
    QCOMPARE(readBytes(qxio + QStringLiteral("/qxresult.dst")),
             QByteArray("OK,  45.6,  150,  2\r\n"));

    JumpResult fall =
        measured(45.63, false, QStringLiteral("M\xFCller,Anna"), QStringLiteral(" 3"));
    fall.comment = jumptexts::Fall;
    fall.status = JumpStatus::Fall;
    QVERIFY(writeWstimsResult(qxio, fall).ok());
    QCOMPARE(readBytes(qxio + QStringLiteral("/qxresult.dst")), QByteArray("Fall, 0, 0, 3\r\n"));
    QCOMPARE(readBytes(qxio + QStringLiteral("/qxraw.dst")),
             QByteArray("earlier\r\n14:03:09 ,Smith,OK,  45.6,  150,  2\r\n"
                        "14:03:09 ,M\xFCller,Fall, 0, 0, 3\r\n"));
    QVERIFY(QDir(qxio).entryList(QDir::Files).size() == 2); // no temporary file left behind
}

void TestMeasureRecording::wstimsFailureSaysWhy()
{
    StationFixture fx;
    const Outcome missing =
        writeWstimsResult(fx.path(QStringLiteral("nowhere/qxio")), measured(45.63, false));
    QVERIFY(!missing.ok());
    QVERIFY(missing.message().startsWith(QStringLiteral("Error while writing WSTIMS result: ")));
    QVERIFY(missing.message().contains(QStringLiteral("qxio")));

    // qxraw.dst taken by a folder: qxresult.dst is written, the raw line fails with its reason.
    const QString qxio = fx.makeFolder(QStringLiteral("qxio"));
    fx.makeFolder(QStringLiteral("qxio/qxraw.dst"));
    const Outcome raw = writeWstimsResult(qxio, measured(45.63, false));
    QVERIFY(!raw.ok());
    QVERIFY(raw.message().startsWith(QStringLiteral("Error while writing WSTIMS result: Could not "
                                                    "write to ")));
    QVERIFY(raw.message().contains(QStringLiteral("qxraw.dst")));
}

// After a recording the pictures of the picture-grabbing program go, and nothing else.
void TestMeasureRecording::exchangePicturesDeleted()
{
    StationFixture fx;
    const QString qxio = fx.makeFolder(QStringLiteral("qxio"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/snapshot.bmp"), "x"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/OTHER.BMP"), "x"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/qxresult.dst"), "x"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/clipflag.txt"), "x"));
    QCOMPARE(deleteExchangePictures(qxio), 2);
    QCOMPARE(QDir(qxio).entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("clipflag.txt"), QStringLiteral("qxresult.dst")}));
    QCOMPARE(deleteExchangePictures(fx.path(QStringLiteral("missing"))), 0);
}

// A line that cannot be written is shown with its file and reason, kept, written first at the
// next successful write, and listed while it waits.
void TestMeasureRecording::resultsFileKeepsALineItCannotWrite()
{
    StationFixture fx;
    ResultsFile results(fx.dialogs);
    const QString folder = fx.path(QStringLiteral("later"));
    const QString path = folder + QStringLiteral("/JumpMeasurementResults120526.txt");
    const QString first = resultsLine(measured(45.63, false));

    fx.dialogs.expectMessage();
    QVERIFY(!results.append(path, first));
    FW_VERIFY_DIALOGS(fx.dialogs);
    const QString shown = fx.dialogs.calls().last().text;
    QVERIFY(shown.contains(QStringLiteral("JumpMeasurementResults120526.txt")));
    QVERIFY(shown.contains(first));
    QVERIFY(shown.startsWith(QStringLiteral("Could not write to ")));
    QCOMPARE(results.pending(), QStringList{first});
    QVERIFY(results.pendingReport().contains(first));

    fx.dialogs.clear();
    fx.dialogs.expectMessage();
    QVERIFY(!results.append(path, QStringLiteral("second")));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(results.pending(), (QStringList{first, QStringLiteral("second")}));

    fx.makeFolder(QStringLiteral("later"));
    fx.dialogs.clear();
    QVERIFY(results.append(path, QStringLiteral("third")));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(!results.hasPending());
    QVERIFY(results.pendingReport().isEmpty());
    QCOMPARE(readBytes(path), (first + QStringLiteral("\r\nsecond\r\nthird\r\n")).toLatin1());
}

void TestMeasureRecording::resultsFileWritesCrLfLatin1()
{
    StationFixture fx;
    ResultsFile results(fx.dialogs);
    const QString path = fx.path(QStringLiteral("results.txt"));
    QVERIFY(writeBytes(path, "earlier\r\n"));
    QVERIFY(results.append(path, noteLine(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"),
                                          QStringLiteral("J\xE4rvi reride"))));
    QCOMPARE(readBytes(path), QByteArray("earlier\r\n12-05-2026 14:03:09 J\xE4rvi reride\r\n"));
    FW_VERIFY_DIALOGS(fx.dialogs);
}

QTEST_GUILESS_MAIN(TestMeasureRecording)
#include "test_measure_recording.moc"
