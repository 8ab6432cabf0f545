// farwater-cli as the technical controller runs it.

#include "../media/MakeVideo.h"
#include "StationFixture.h"
#include "grid/Geometry.h"
#include "grid/GridFiles.h"
#include "media/FrameGrab.h"
#include "review/AviHeader.h"
#include "settings/StationSettings.h"
#include "support/textfile.h"

#include <QDir>
#include <QProcess>
#include <QTest>

using namespace fw;
using namespace fw::test;

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpAndVersion();
    void badArgumentsExitWith2();
    void distanceOfAGridSavedByTheStation();
    void distanceAndToPictureOnAGridFile();
    void checkAcceptsAndRefuses();
    void accuracyPrintsTheReportLinesAndGrades();
    void unusableGridsAndUnreadableFiles();
    void videoInformationAndGrab();
};

namespace {
struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(FARWATER_CLI), args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

// Arguments given as plain strings or QStrings.
template <typename... Args> QStringList argv(const Args&... args)
{
    return QStringList{QString(args)...};
}
template <typename... Args> Run cli(const Args&... args)
{
    return runCli(argv(args...));
}

// The figure printed under `name`, read back.
double figure(const Run& r, const QString& name)
{
    for (const QString& line : r.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(name + QStringLiteral(": ")))
            return line.mid(name.size() + 2).toDouble();
    }
    return qQNaN();
}

// A rectangle at 0.008 m per twip; jump point (30, 50); check buoy at picture (6000, 4500).
const QByteArray kGrid = "Initialization Points for file: C:\\setups\\a.ipt\r\n"
                         "left\r\n"
                         " 9000 , 2000 , 78 , 70 \r\n"
                         " 9000 , 7000 , 78 , 30 \r\n"
                         " 3000 , 2000 , 30 , 70 \r\n"
                         " 3000 , 7000 , 30 , 30 \r\n"
                         " 6 \r\n .008 \r\n 0 \r\n 0 \r\n 0 \r\n 86 \r\n 0 \r\n-.008 \r\n"
                         " 30 \r\n 50 \r\n 10 \r\n 2 \r\n 1 \r\n";
const QByteArray kCheckBuoy = " 6000 \r\n 4500 \r\n54\r\n50\r\n";

QString writeGrid(const StationFixture& f, const QString& name, const QByteArray& cb)
{
    const QString path = f.path(name);
    writeBytes(path, kGrid);
    if (!cb.isEmpty())
        writeBytes(path + QStringLiteral(".cb"), cb);
    return path;
}
} // namespace

void TestCli::helpAndVersion()
{
    const Run help = cli("--help");
    QCOMPARE(help.exitCode, 0);
    QVERIFY(help.out.startsWith(QLatin1String("Usage: farwater-cli")));
    for (const char* command : {"distance GRIDFILE", "to-picture GRIDFILE", "check GRIDFILE",
                                "accuracy GRIDFILE", "avi-info FILE", "grab FILE FRAME OUT.bmp"})
        QVERIFY2(help.out.contains(QLatin1String(command)), command);
    QVERIFY(cli("--version").out.contains(QLatin1String("libavformat ")));
}

void TestCli::badArgumentsExitWith2()
{
    StationFixture f;
    const QString grid = writeGrid(f, "a.ipt", kCheckBuoy);
    const QList<QStringList> bad = {
        QStringList(),
        argv("frobnicate"),
        argv("distance", grid, "6000"),
        argv("distance", grid, "6000", "abc"),
        argv("distance", grid, "1", "2", "--type", "slalom"),
        argv("check", grid, "--picture-width", "0"),
    };
    for (const QStringList& args : bad) {
        const Run r = runCli(args);
        QVERIFY2(r.exitCode == 2, qPrintable(args.join(QLatin1Char(' '))));
        QVERIFY2(!r.err.trimmed().isEmpty(), qPrintable(args.join(QLatin1Char(' '))));
    }
    QVERIFY(cli("frobnicate").err.contains(QLatin1String("unknown command")));
}

// Guards the tool's purpose: on a grid saved by the station it prints the distance the station
// computes for the same click.
void TestCli::distanceOfAGridSavedByTheStation()
{
    StationFixture f;
    StationSettings settings;
    settings.SetupFilesFolder = f.makeFolder(QStringLiteral("setup"));
    GridState grids;
    GridEntries entries;
    const auto loaded = readGridFiles(writeGrid(f, "a.ipt", kCheckBuoy));
    QVERIFY(loaded);
    // Buoys moved off the rectangle so that every coefficient has many digits.
    grids.working = loaded->grid;
    grids.working.picture(BuoyIndex::UpperRight) = {8987.3, 2011.9};
    grids.working.picture(BuoyIndex::LowerLeft) = {3004.1, 6993.7};
    grids.working.c = *SolveCoefficients(grids.working.buoyPicture, grids.working.buoySurvey);
    grids.working.checkBuoyPicture =
        *SurveyToPicture(grids.working.c, grids.working.checkBuoySurvey);
    entries = entriesFromGrid(grids.working, 1);
    entries.check_survey_x = QStringLiteral("54");
    entries.check_survey_y = QStringLiteral("50");
    const QString path = QDir(settings.SetupFilesFolder).filePath(QStringLiteral("saved.ipt"));
    const auto save = [&] {
        f.dialogs.expectSaveFile(path)
            .expectInput(QStringLiteral("n"))
            .expectMessage(DialogAnswer::Yes);
        return SaveGrid(entries, grids, settings, f.store(), f.dialogs).done;
    };
    QVERIFY(save());

    const auto reread = readGridFiles(path);
    QVERIFY(reread);
    const Run r = cli("distance", path, "6123.4", "4321", "--type", "sitski");
    QCOMPARE(r.exitCode, 0);
    const Tournament t = *Tournament::named(QStringLiteral("sitski"));
    const auto d = distance_calculation(reread->grid, {6123.4, 4321}, t);
    QVERIFY(d);
    QCOMPARE(figure(r, QStringLiteral("distance")), d->distance_m);
    QCOMPARE(figure(r, QStringLiteral("feet")), feetFigure(d->distance_m, t));
    QCOMPARE(figure(r, QStringLiteral("uncertainty_m")),
             *distanceUncertainty_m(reread->grid, {6123.4, 4321}, t));

    // A grid saved before it was ever solved holds no mapping of its buoys: refused, as the
    // station refuses it.
    grids.working.c = {};
    QVERIFY(save());
    const Run unsolved = cli("distance", path, "6123.4", "4321");
    QCOMPARE(unsolved.exitCode, 1);
    QVERIFY2(unsolved.err.contains(QLatin1String("cannot be used for measuring")),
             qPrintable(unsolved.err));
    QCOMPARE(unsolved.err.count(QLatin1Char('\n')), 1);
}

void TestCli::distanceAndToPictureOnAGridFile()
{
    StationFixture f;
    const QString grid = writeGrid(f, "a.ipt", kCheckBuoy);
    const Run r = cli("distance", grid, "6000", "4500");
    QCOMPARE(r.exitCode, 0);
    // Half a pixel in the click alone moves the distance 0.06 m: the bound is at least that.
    QVERIFY(r.out.startsWith(QLatin1String("survey_x: 54\nsurvey_y: 50\ndistance: 26.1\n")));
    QVERIFY(r.out.endsWith(QLatin1String("\nmeters: 26.1\nfeet: 86\n")));
    const double bound = figure(r, QStringLiteral("uncertainty_m"));
    QVERIFY2(bound > 0.06 && bound < 1, qPrintable(r.out));
    const Run bare = cli("distance", grid, "6000", "4500", "--type", "barefoot");
    QVERIFY(bare.out.contains(QLatin1String("\ndistance: 24\n")));
    QVERIFY(bare.out.endsWith(QLatin1String("\nmeters: 24\nfeet: 78.7\n")));
    QCOMPARE(figure(bare, QStringLiteral("uncertainty_m")), bound);

    const Run p = cli("to-picture", grid, "78", "30");
    QCOMPARE(p.exitCode, 0);
    QVERIFY(std::fabs(figure(p, QStringLiteral("picture_x")) - 9000) < 1e-6);
    QVERIFY(std::fabs(figure(p, QStringLiteral("picture_y")) - 7000) < 1e-6);

    // A camera that looks across the water: the horizon lies 8000 twips above the picture's top.
    MeasurementGrid g;
    g.buoyPicture = {{{8000, 2000}, {9000, 7000}, {4000, 2000}, {3000, 7000}}};
    g.buoySurvey = {{{78, 70}, {78, 30}, {30, 70}, {30, 30}}};
    g.jump = {30, 50};
    g.c = *SolveCoefficients(g.buoyPicture, g.buoySurvey);
    const SurveyPoint check = *PictureToSurvey(g.c, {6000, 4500});
    const QString perspective = f.path(QStringLiteral("across.ipt"));
    QVERIFY(replaceFileLines(perspective, gridFileLines(g, perspective, 1)).ok());
    QVERIFY(replaceFileLines(checkBuoyFilePath(perspective),
                             checkBuoyFileLines({6000, 4500}, QString::number(check.X, 'g', 17),
                                                QString::number(check.Y, 'g', 17)))
                .ok());
    QCOMPARE(cli("distance", perspective, "6000", "-7000").exitCode, 0);
    for (const char* y : {"-8000", "-9000", "-50000"}) {
        const Run sky = cli("distance", perspective, "6000", y);
        QCOMPARE(sky.exitCode, 1);
        QVERIFY(sky.out.isEmpty());
        QVERIFY2(sky.err.contains(QLatin1String("horizon")), qPrintable(sky.err));
        QCOMPARE(sky.err.count(QLatin1Char('\n')), 1);
    }
    // Behind the camera: the closed form gives a point above the horizon, which is no answer.
    const ScreenPoint behind = *SurveyToPicture(g.c, {54, -200});
    QVERIFY(behind.y < -8000);
    const Run back = cli("to-picture", perspective, "54", "-200");
    QCOMPARE(back.exitCode, 1);
    QCOMPARE(back.err.count(QLatin1Char('\n')), 1);
}

void TestCli::checkAcceptsAndRefuses()
{
    StationFixture f;
    const Run ok = cli("check", writeGrid(f, "a.ipt", kCheckBuoy), "--picture-width", "7500");
    QCOMPARE(ok.exitCode, 0);
    QCOMPARE(figure(ok, QStringLiteral("front_ratio")), 80.0);
    QVERIFY(ok.out.endsWith(QLatin1String("verdict: accepted\n")));

    // The check buoy marked 100 twips right of where it belongs.
    const Run off = cli("check", writeGrid(f, "b.ipt", " 6100 \r\n 4500 \r\n54\r\n50\r\n"));
    QCOMPARE(off.exitCode, 1);
    QVERIFY(std::fabs(figure(off, QStringLiteral("check_buoy_dx")) - 100) < 1e-6);
    QVERIFY(off.out.contains(QLatin1String("verdict: refused: Check Buoy Does not Validate.  The "
                                           "marked check buoy lies 6.7 pixels right of")));

    // No check buoy file: the grid cannot be completed.
    const Run none = cli("check", writeGrid(f, "c.ipt", {}));
    QCOMPARE(none.exitCode, 1);
    QVERIFY(
        none.out.endsWith(QLatin1String("verdict: refused: Setup of Check Buoy is Mandatory\n")));
    QVERIFY(none.out.contains(QLatin1String("check_buoy_dx: none\ncheck_buoy_dy: none\n")));
}

void TestCli::accuracyPrintsTheReportLinesAndGrades()
{
    StationFixture f;
    const Run r = cli("accuracy", writeGrid(f, "a.ipt", kCheckBuoy));
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2 + 49 + 7);
    QCOMPARE(lines.at(0), QStringLiteral("front_ratio: 50"));
    QCOMPARE(lines.at(2), QStringLiteral("xpix:  3000  ypix:  2000  x:  30  y:  69.88  distance:  "
                                         "22.1  v inc:  21.98  h inc:  22.1  delta:  .12"));
    // The sample at the jump point's row, middle column: one pixel moves 0.12 m straight away.
    QCOMPARE(lines.at(2 + 3 * 7 + 3).left(26), QStringLiteral("xpix:  6000  ypix:  4500  "));
    QVERIFY(lines.at(2 + 3 * 7 + 3).endsWith(QLatin1String("delta:  .12")));
    QCOMPARE(lines.at(54), QStringLiteral("row_4: L L L L L L L"));
}

void TestCli::unusableGridsAndUnreadableFiles()
{
    StationFixture f;
    const QString old = writeGrid(f, "old.ipt", {});
    for (const char* command : {"distance", "to-picture"}) {
        const Run r = cli(command, old, "1", "2");
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains(QLatin1String("no check buoy found")));
    }
    QCOMPARE(cli("accuracy", old).exitCode, 1);

    const QString missing = f.path(QStringLiteral("missing.ipt"));
    for (const QStringList& args : {argv("distance", missing, "1", "2"), argv("check", missing)}) {
        const Run r = runCli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains(QStringLiteral("Could not read grid file %1: ").arg(missing)));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    }
}

void TestCli::videoInformationAndGrab()
{
    StationFixture f;
    const QString video = f.path(QStringLiteral("Smithjump3.avi"));
    QCOMPARE(makeVideo(video, {"mjpeg", 64, 48, 12, 15, 1, 1}), QString());
    const Run info = cli("avi-info", video);
    QCOMPARE(info.exitCode, 0);
    QCOMPARE(info.out,
             fw::aviInformationLines(video, readAviHeader(video)->summary).join(QLatin1Char('\n')) +
                 QLatin1Char('\n'));

    // The same bitmap as the station's grab.
    const QString out = f.path(QStringLiteral("seven.bmp"));
    const Run grab = cli("grab", video, "7", out);
    QCOMPARE(grab.exitCode, 0);
    const QString station = f.path(QStringLiteral("currentcapture.bmp"));
    QVERIFY(!grabFrame(video, 7, station));
    QCOMPARE(readBytes(out), readBytes(station));

    const QString text = f.path(QStringLiteral("clip.avi"));
    writeBytes(text, "not a video");
    const Run notAvi = cli("avi-info", text);
    QCOMPARE(notAvi.exitCode, 2);
    QCOMPARE(notAvi.err,
             QStringLiteral("farwater-cli: Unable to read AVI file info from: %1\n").arg(text));
    for (const QStringList& args : {argv("grab", video, "-1", out), argv("grab", text, "0", out)}) {
        const Run r = runCli(args);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
    }
    QVERIFY(cli("grab", video, "12", out).err.contains(QLatin1String("past the end")));
    QCOMPARE(readBytes(out), readBytes(station));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
