// Recording a jump, below what the measurement screen's own tests reach: the figures at their
// rounding bounds, refusals at the horizon, the line parts that combine, the other grid's
// agreement bounds and abandoned entry, the scoring program's files in the station's character
// set, and the results file that keeps a line it cannot write.

#include "StationFixture.h"
#include "measure/JumpResult.h"
#include "measure/ResultsFile.h"
#include "measure/WstimsExchange.h"
#include "support/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <limits>

#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <csignal>
#include <unistd.h>
#endif

using namespace fw;
using namespace fw::test;

namespace {

// A jump as the measurement screen records it at the fixture's time.
JumpResult measured(double d, const QString& skier = QStringLiteral("Smith,John"))
{
    JumpResult j;
    j.date = QStringLiteral("12-05-2026");
    j.time = QStringLiteral("14:03:09");
    j.skier = skier;
    j.jumpNumber = QStringLiteral(" 2");
    const Result<DistanceFigures> f = distanceFigures(d, false);
    j.metersText = f->metersText;
    j.feetText = f->feetText;
    j.metersValue = f->metersValue;
    j.feetValue = f->feetValue;
    j.preciseMeters = f->preciseMeters;
    j.surveyX_m = 12.3456;
    j.surveyY_m = -3.2104;
    j.pictureX_twips = 1234.7;
    j.pictureY_twips = 567.2;
    return j;
}

constexpr double kInf = std::numeric_limits<double>::infinity();

} // namespace

class TestMeasureRecording : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void distanceFigures();
    void pointsBeyondTheHorizonGiveNoFigures();
    void lineOrderStatusAndJumpNumber();
    void otherGridAgreementBounds();
    void otherGridDialogTextsAndAbandonedEntry();
    void wstimsFilesInTheStationsCharacterSet();
    void resultsFileKeepsALineItCannotWrite();
    void aFullDiskNeitherTearsNorDoublesAnEntry();
    void aWaitingFileThatCannotBeReadIsLeftAlone();
    void linesTheWaitingFileTookAreNotCopiedByHandAsWell();
};

// Guards the rounding of meters, precise meters and feet, whole and in tenths, and their forms:
// whole meters drop the point, half a tenth goes up, precise meters keep four decimals, 30.48 m
// is 100.0 ft in whole tenths of a foot, and below a meter there is no leading zero.
void TestMeasureRecording::distanceFigures()
{
    const struct {
        double d;
        bool tenths;
        const char *meters, *feet, *precise;
    } cases[] = {{45.0, false, " 45m", " 148ft", " 45"},
                 {45.65, false, " 45.7m", " 150ft", " 45.65"},
                 {30.48, true, " 30.5m", " 100ft", " 30.48"},
                 {0.5, false, " .5m", " 2ft", " .5"}};
    for (const auto& c : cases) {
        const Result<DistanceFigures> f = fw::distanceFigures(c.d, c.tenths);
        QVERIFY(f.ok());
        QCOMPARE(f->metersText, QLatin1String(c.meters));
        QCOMPARE(f->feetText, QLatin1String(c.feet));
        QCOMPARE(f->preciseMeters, QLatin1String(c.precise));
        QCOMPARE(f->metersValue + QLatin1Char('m'), f->metersText);
        QCOMPARE(f->feetValue + QStringLiteral("ft"), f->feetText);
    }
}

// Guards the refusal at the horizon (no number may reach the files) and the empty read-outs,
// with the roundings of the read-outs that remain.
void TestMeasureRecording::pointsBeyondTheHorizonGiveNoFigures()
{
    for (double d : {kInf, std::numeric_limits<double>::quiet_NaN(), 1000.0, -1000.0}) {
        const Result<DistanceFigures> f = fw::distanceFigures(d, false);
        QVERIFY2(!f.ok() && f.message().contains(QStringLiteral("horizon")),
                 qPrintable(QString::number(d)));
    }
    QVERIFY(fw::distanceFigures(999.9, false).ok());
    QVERIFY(verifyDistanceReadout(kInf).isEmpty());
    QVERIFY(surveyReadout(std::numeric_limits<double>::quiet_NaN()).isEmpty());
    QVERIFY(twipsReadout(-kInf).isEmpty());
    QCOMPARE(surveyReadout(12.345), QStringLiteral(" 12.35"));
    QCOMPARE(twipsReadout(1499.9), QStringLiteral(" 1499"));
}

// Guards what the screen tests do not combine: barefoot before verify mode before the comment,
// positions rounded to the millimetre and cut to the twip, the status only for an exact "Fall" or
// "Pass", the scoring line's surname up to the comma, and the jump number from any text.
void TestMeasureRecording::lineOrderStatusAndJumpNumber()
{
    JumpResult j = measured(45.63);
    j.unofficial = j.barefoot = true;
    j.comment = QStringLiteral("wind");
    QCOMPARE(resultsLine(j),
             QStringLiteral("12-05-2026 14:03:09 Smith,John  jump  2 -  45.6m  (IWSF) 150ft  "
                            "(AWSA) BAREFOOT  UNOFFICIAL JUMP - verify mode wind ( 12.346/-3.21) "
                            "( 1234/ 567) ( 45.63)"));
    QCOMPARE(wstimsRawLine(j), QStringLiteral("14:03:09 ,Smith,OK,  45.6,  150,  2"));
    QCOMPARE(statusForComment(QStringLiteral("Pass")), JumpStatus::Pass);
    QCOMPARE(statusForComment(QStringLiteral("Pass ")), JumpStatus::OK);
    QCOMPARE(statusForComment(QStringLiteral("fall")), JumpStatus::OK);
    QCOMPARE(nextJumpNumber(QString()), QStringLiteral(" 1"));
    QCOMPARE(nextJumpNumber(QStringLiteral("-3")), QStringLiteral("-2"));
}

// Guards the agreement of another grid's meters and feet within two feet, the bounds included
// even where the binary product misses them by a hair.
void TestMeasureRecording::otherGridAgreementBounds()
{
    for (const auto& [m, ft] :
         {std::pair{40.0, 132.0}, {40.0, 129.232}, {40.0, 133.232}, {43.2, 139.73056}})
        QVERIFY2(otherGridEntriesAgree(m, ft), qPrintable(QStringLiteral("%1 %2").arg(m).arg(ft)));
    for (const auto& [m, ft] : {std::pair{40.0, 134.0}, {40.0, 133.2321}, {40.0, 129.2319}})
        QVERIFY2(!otherGridEntriesAgree(m, ft), qPrintable(QStringLiteral("%1 %2").arg(m).arg(ft)));
}

// Guards the other grid's questions and, since a cancelled entry must not record an empty OK
// jump, a cancel in the feet box as well as in the meters box; figures that are not numbers.
void TestMeasureRecording::otherGridDialogTextsAndAbandonedEntry()
{
    StationFixture fx;
    fx.dialogs.expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40"))
        .expectInput(QStringLiteral("134"))
        .expectMessage()
        .expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("40"))
        .expectInput(std::nullopt);
    QCOMPARE(askOtherGridDistance(fx.dialogs).kind, OtherGridEntry::Kind::Abandoned);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(fx.dialogs.texts().mid(0, 4),
             (QStringList{QStringLiteral("Is there a distance to be recorded in the other grid?"),
                          QStringLiteral("Enter distance in meters from other screen"),
                          QStringLiteral("Enter distance in feet from other screen"),
                          QStringLiteral("The meter distance and the foot distance you entered "
                                         "did not match, please enter them again")}));
    QCOMPARE(fx.dialogs.calls().at(1).title, QStringLiteral("Other Grid Measurement"));

    // A figure that is not a number is explained and asked again; a decimal comma is a point.
    fx.dialogs.clear();
    fx.dialogs.expectMessage(DialogAnswer::Yes)
        .expectInput(QStringLiteral("abc"))
        .expectMessage()
        .expectInput(QStringLiteral("40,5"))
        .expectInput(QStringLiteral("xyz"))
        .expectMessage()
        .expectInput(QStringLiteral(""))
        .expectMessage()
        .expectInput(QStringLiteral("133"));
    const OtherGridEntry typed = askOtherGridDistance(fx.dialogs);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(fx.dialogs.texts().at(2).contains(QLatin1String("\"abc\"")));
    QVERIFY(fx.dialogs.texts().at(5).contains(QLatin1String("feet")));
    QVERIFY(fx.dialogs.texts().at(7).contains(QLatin1String("feet")));
    QCOMPARE(typed.kind, OtherGridEntry::Kind::Distance);
    QCOMPARE(typed.metersValue + QLatin1Char('|') + typed.feetValue, QStringLiteral("40.5|133 "));
}

// Guards qxresult.dst replaced whole and qxraw.dst appended, in the station's single-byte text,
// with no temporary file left behind; the reasons of both kinds of failure; and the deletion of
// the pictures (and only those) from the exchange folder.
void TestMeasureRecording::wstimsFilesInTheStationsCharacterSet()
{
    StationFixture fx;
    const QString qxio = fx.makeFolder(QStringLiteral("qxio"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/qxresult.dst"), "a much longer earlier line\r\n"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/qxraw.dst"), "earlier\r\n"));
    JumpResult fall = measured(45.63, QStringLiteral("M\xFCller,Anna"));
    fall.status = JumpStatus::Fall;
    QVERIFY(writeWstimsResult(qxio, fall).ok());
    QCOMPARE(readBytes(qxio + QStringLiteral("/qxresult.dst")), QByteArray("Fall, 0, 0, 2\r\n"));
    QCOMPARE(readBytes(qxio + QStringLiteral("/qxraw.dst")),
             QByteArray("earlier\r\n14:03:09 ,M\xFCller,Fall, 0, 0, 2\r\n"));
    QCOMPARE(QDir(qxio).entryList(QDir::Files).size(), 2);

    const Outcome missing = writeWstimsResult(fx.path(QStringLiteral("nowhere/qxio")), fall);
    QVERIFY(!missing.ok());
    QVERIFY(missing.message().startsWith(QStringLiteral("Error while writing WSTIMS result: ")));
    const QString taken = fx.makeFolder(QStringLiteral("taken"));
    fx.makeFolder(QStringLiteral("taken/qxraw.dst"));
    const Outcome raw = writeWstimsResult(taken, fall);
    QVERIFY(!raw.ok());
    QVERIFY(raw.message().startsWith(
        QStringLiteral("Error while writing WSTIMS result: Could not write to ")));
    QVERIFY(raw.message().contains(QStringLiteral("qxraw.dst")));

    QVERIFY(writeBytes(qxio + QStringLiteral("/snapshot.bmp"), "x"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/OTHER.BMP"), "x"));
    QVERIFY(writeBytes(qxio + QStringLiteral("/clipflag.txt"), "x"));
    QCOMPARE(deleteExchangePictures(qxio), 2);
    QCOMPARE(QDir(qxio).entryList(QDir::Files, QDir::Name),
             (QStringList{QStringLiteral("clipflag.txt"), QStringLiteral("qxraw.dst"),
                          QStringLiteral("qxresult.dst")}));
}

// Guards the pending lines: a line that cannot be written is shown with its file and reason,
// kept with any later ones, listed while waiting, and written first, in order and in the
// station's character set, at the next successful write.
void TestMeasureRecording::resultsFileKeepsALineItCannotWrite()
{
    StationFixture fx;
    const QString waiting = fx.path(QStringLiteral("PendingResults.txt"));
    ResultsFile results(fx.dialogs, waiting);
    const QString path = fx.path(QStringLiteral("later/JumpMeasurementResults120526.txt"));
    const QString first = resultsLine(measured(45.63));
    fx.dialogs.expectMessage().expectMessage();
    QVERIFY(!results.append(path, first));
    const QString shown = fx.dialogs.calls().last().text;
    QVERIFY(shown.startsWith(QStringLiteral("Could not write to ")));
    QVERIFY(shown.contains(first));
    QVERIFY(results.pendingReport().contains(first));
    QVERIFY(!results.append(path, QStringLiteral("second")));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(results.pending(), (QStringList{first, QStringLiteral("second")}));
    // They are on disk the moment they are refused, and a later run takes them up.
    QCOMPARE(readBytes(waiting), first.toLatin1() + "\r\nsecond\r\n");
    QVERIFY(results.pendingReport().contains(QDir::toNativeSeparators(waiting)));
    ResultsFile nextRun(fx.dialogs, waiting);
    QCOMPARE(nextRun.pending(), results.pending());
    QVERIFY(!nextRun.writePending(path));

    fx.makeFolder(QStringLiteral("later"));
    QVERIFY(writeBytes(path, "earlier\r\n"));
    fx.dialogs.clear();
    QVERIFY(results.append(path, noteLine(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"),
                                          QStringLiteral("J\xE4rvi reride"))));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(!results.hasPending() && results.pendingReport().isEmpty());
    QCOMPARE(readBytes(path), "earlier\r\n" + first.toLatin1() +
                                  "\r\nsecond\r\n12-05-2026 14:03:09 J\xE4rvi reride\r\n");
    // Written lines leave the waiting file, so the next start does not write them again.
    QVERIFY(!QFile::exists(waiting));
    ResultsFile afterThat(fx.dialogs, waiting);
    QVERIFY(!afterThat.hasPending());

    // With nowhere to keep them on disk the lines wait in memory, and the operator is told so.
    ResultsFile nowhere(fx.dialogs, fx.path(QStringLiteral("gone/PendingResults.txt")));
    fx.dialogs.clear();
    fx.dialogs.expectMessage();
    QVERIFY(!nowhere.append(fx.path(QStringLiteral("gone/results.txt")), first));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(fx.dialogs.texts().last().contains(QLatin1String("in memory only")));
    QVERIFY(nowhere.hasPending());
}

// Guards the results file on a full disk (a file size limit stands in for it): a long entry that
// does not fit leaves no part of itself, waits, and is written once, whole and in order, by the
// next write.
void TestMeasureRecording::aFullDiskNeitherTearsNorDoublesAnEntry()
{
#ifndef Q_OS_UNIX
    QSKIP("a file size limit stands in for a full disk only where there is one");
#else
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("JumpMeasurementResults120526.txt"));
    const QByteArray earlier = QByteArray(3000, 'x') + "\r\n";
    QVERIFY(writeBytes(path, earlier));
    ResultsFile results(fx.dialogs, fx.path(QStringLiteral("PendingResults.txt")));
    QStringList entry;
    for (int i = 1; i <= 40; ++i)
        entry << QStringLiteral("line %1 of a grid record, forty lines long").arg(i, 2);

    rlimit unlimited{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    rlimit nearlyFull = unlimited;
    nearlyFull.rlim_cur = 3600; // room for about a dozen of the forty lines
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &nearlyFull) == 0);
    fx.dialogs.expectMessage();
    const bool written = results.append(path, entry);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, handler);
    QVERIFY(!written);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(readBytes(path), earlier);

    QVERIFY(results.append(path, QStringLiteral("the next entry")));
    QCOMPARE(readBytes(path), earlier + encodeLines(entry << QStringLiteral("the next entry")));
    QVERIFY(!results.hasPending());
#endif
}

// Guards waiting lines the station could not read at start: they stay in their file (the
// operator was told to copy them by hand) and no later write deletes it or adds to it, and a
// folder of that name is not taken for a waiting file.
void TestMeasureRecording::aWaitingFileThatCannotBeReadIsLeftAlone()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("JumpMeasurementResults120526.txt"));

    const QString folder = fx.makeFolder(QStringLiteral("PendingResults.txt"));
    ResultsFile besideAFolder(fx.dialogs, folder);
    QVERIFY(besideAFolder.append(path, QStringLiteral("first")));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(QFileInfo(folder).isDir());

#ifdef Q_OS_UNIX
    if (geteuid() == 0)
        QSKIP("a file its owner cannot read is readable to root");
#endif
    const QString waiting = fx.path(QStringLiteral("other/PendingResults.txt"));
    fx.makeFolder(QStringLiteral("other"));
    QVERIFY(writeBytes(waiting, "refused yesterday\r\n"));
    QVERIFY(QFile::setPermissions(waiting, QFileDevice::WriteOwner));
    fx.dialogs.expectMessage();
    ResultsFile results(fx.dialogs, waiting);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(results.append(path, QStringLiteral("second")));
    fx.dialogs.expectMessage();
    QVERIFY(!results.append(fx.path(QStringLiteral("gone/results.txt")), QStringLiteral("third")));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(fx.dialogs.texts().last().contains(QLatin1String("in memory only")));
    QVERIFY(QFile::setPermissions(waiting, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(readBytes(waiting), QByteArray("refused yesterday\r\n"));
    QCOMPARE(readBytes(path), QByteArray("first\r\nsecond\r\n"));
}

// Guards the report at quit when the waiting file filled up part way: the lines in it come back
// at the next start by themselves, so only the others are given to be copied by hand (copying
// all of them would put the first ones into the results file twice).
void TestMeasureRecording::linesTheWaitingFileTookAreNotCopiedByHandAsWell()
{
#ifndef Q_OS_UNIX
    QSKIP("a file size limit stands in for a full disk only where there is one");
#else
    StationFixture fx;
    const QString waiting = fx.path(QStringLiteral("PendingResults.txt"));
    const QString nowhere = fx.path(QStringLiteral("gone/results.txt"));
    ResultsFile results(fx.dialogs, waiting);
    const QString first = QStringLiteral("first jump, kept in the waiting file");
    const QString second = QStringLiteral("second jump, refused by a full disk");
    fx.dialogs.expectMessage().expectMessage();
    QVERIFY(!results.append(nowhere, first));

    rlimit unlimited{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
    rlimit full = unlimited;
    full.rlim_cur = rlim_t(QFileInfo(waiting).size());
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &full) == 0);
    const bool written = results.append(nowhere, second);
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, handler);
    QVERIFY(!written);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(readBytes(waiting), first.toLatin1() + "\r\n");

    const QString report = results.pendingReport();
    QVERIFY(report.contains(second));
    QVERIFY(report.contains(QDir::toNativeSeparators(waiting)));
    QVERIFY2(!report.contains(first), qPrintable(report));
    QCOMPARE(ResultsFile(fx.dialogs, waiting).pending(), QStringList{first});
#endif
}

QTEST_GUILESS_MAIN(TestMeasureRecording)
#include "test_measure_recording.moc"
