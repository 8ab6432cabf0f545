// The grid file and its check buoy file: what Save writes, what the loads read back, the load
// records, and what a fault leaves behind.

#include "GridFixtures.h"
#include "StationFixture.h"
#include "grid/GridCompletion.h"
#include "grid/GridFiles.h"
#include "measure/ResultsFile.h"
#include "settings/StationSettings.h"

#include <QDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

#include <cmath>

using namespace fw;
using namespace fw::test;

namespace {

const GridCoefficients kSavedC{1.5, .01, 0, 0.000012345, -0.25, 90, 0, -0.01};

struct World {
    StationFixture f;
    ResultsFile results{f.dialogs};
    StationSettings settings;
    GridState grids;
    GridEntries entries = rectangleEntries();
    QString folder;
    // A station of its own; with `setupFolder`, one that shares another's setup files.
    explicit World(const QString& setupFolder = QString())
    {
        folder = setupFolder.isEmpty() ? f.makeFolder(QStringLiteral("setup")) : setupFolder;
        settings.SetupFilesFolder = folder;
        settings.GridCount = 3;
        settings.ResultsFilePath = f.path(QStringLiteral("JumpMeasurementResults120526.txt"));
        grids.working.c = kSavedC;
    }
    QString file(const QString& name) const { return QDir(folder).filePath(name); }
    GridFileResult save() { return SaveGrid(entries, grids, settings, f.store(), f.dialogs); }
    // A plain save of the caption's grid under `name`, with `failures` messages after it.
    GridFileResult save(const QString& name, const QString& description, int failures = 0)
    {
        f.dialogs.expectSaveFile(file(name))
            .expectInput(description)
            .expectMessage(DialogAnswer::Yes);
        for (int i = 0; i < failures; ++i)
            f.dialogs.expectMessage();
        return save();
    }
    GridFileResult load()
    {
        return LoadGrid(entries, grids, settings, f.store(), kRectangleWidth_twips, f.dialogs,
                        f.clock, results);
    }
    GridFileResult load(const QString& name, int failures = 0)
    {
        f.dialogs.expectMessage(DialogAnswer::Yes).expectOpenFile(file(name));
        for (int i = 0; i < failures; ++i)
            f.dialogs.expectMessage();
        return load();
    }
    GridFileResult loadAtStartup(int grid, const QString& path, GridEntries& into)
    {
        return LoadGridAtStartup(grid, path, into, grids, settings, f.store(),
                                 kRectangleWidth_twips, f.dialogs, f.clock, results);
    }
};

const QByteArray kRectangleBuoys = " 9000 , 2000 , 90 , 70 \r\n 9000 , 7000 , 90 , 20 \r\n"
                                   " 3000 , 2000 , 30 , 70 \r\n 3000 , 7000 , 30 , 20 \r\n";
const QByteArray kCheckBuoyFile = " 6000 \r\n 4500 \r\n60\r\n45\r\n";

QByteArray loadRecord(const QString& path, const QByteArray& description, const char* surveyLabel)
{
    return "12-05-2026 14:03:09 New Set-up now in place\r\n" + path.toLatin1() + "\r\n" +
           description +
           "\r\nGrid Number:  1 \r\n \r\n"
           "Upper Left X,Y Twips:  3000   2000\r\nUpper Left X,Y Survey:  30   70\r\n \r\n"
           "Lower Left X,Y Twips:  3000   7000\r\nLower Left X,Y Survey:  30   20\r\n \r\n"
           "Upper Right X,Y Twips:  9000   2000\r\nUpper Right X,Y Survey:  90   70\r\n \r\n"
           "Lower Right X,Y Twips:  9000   7000\r\nLower Right X,Y Survey:  90   20\r\n \r\n"
           "Jump X,Y Survey:  30   45\r\n \r\nCheck Buoy X,Y Twips:  6000    4500 \r\n" +
           QByteArray(surveyLabel) + " 60    45 \r\n \r\n";
}

} // namespace

class TestGridFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveWritesBothFilesByteForByte();
    void saveThenLoadGivesBackEveryValue();
    void loadRecordsAndRegistersTheGrid();
    void descriptionsWithCommasAndQuotes();
    void anotherGridNumberIsAskedUntilValid();
    void setupWithoutCheckBuoyIsForEditingOnly();
    void startupLoadReadsTheStationsOwnFiles();
    void unreadableFilesChangeNothing();
    void unusableFolderCancelAndWriteFaults();
    void savedSlotIsReadyOnlyWithCheckedValues();
    void fullDiskKeepsTheOldFiles();
    void checkBuoyFileOfAnotherGridIsRefused();
};

// Guards Save: its dialogs, both files byte for byte, and what it registers (not a completion).
void TestGridFiles::saveWritesBothFilesByteForByte()
{
    World w;
    w.entries.description_2 = QStringLiteral("left camera, before");
    const GridFileResult r = w.save(QStringLiteral("left.ipt"), QStringLiteral("left camera"));
    FW_VERIFY_DIALOGS(w.f.dialogs);
    const QString path = w.file(QStringLiteral("left.ipt"));
    QVERIFY(r.done);
    QCOMPARE(r.path, path);
    QCOMPARE(w.f.dialogs.calls().at(0).request.folder, w.folder);
    QCOMPARE(w.f.dialogs.calls().at(0).request.filterIndex, 3); // Parameter Files (*.IPT)
    // The description question starts with the line already on the screen.
    QCOMPARE(w.f.dialogs.calls().at(1).defaultText, QStringLiteral("left camera, before"));

    QCOMPARE(readBytes(path), "Initialization Points for file: " + path.toLatin1() +
                                  "\r\nleft camera\r\n" + kRectangleBuoys +
                                  " 1.5 \r\n .01 \r\n 0 \r\n 1.2345E-05 \r\n-.25 \r\n 90 \r\n"
                                  " 0 \r\n-.01 \r\n 30 \r\n 45 \r\n 10 \r\n 2 \r\n 1 \r\n");
    QCOMPARE(readBytes(path + QStringLiteral(".cb")), kCheckBuoyFile);
    QCOMPARE(w.f.store().read(QStringLiteral("grid1File"), QString()), path);
    QCOMPARE(w.grids.slot(1).c, kSavedC);
    QVERIFY(!w.grids.slot(1).completed);
}

// Guards the round trip: every value back to 15 significant digits, exponent forms exactly.
void TestGridFiles::saveThenLoadGivesBackEveryValue()
{
    World w;
    w.entries.upper_right_x = QStringLiteral(" 9000.123456789012");
    w.entries.ll_survey_y = QStringLiteral("-20.98765432109876");
    w.entries.jump_x = QStringLiteral("30.000000000000004");
    w.entries.check_survey_x = QStringLiteral("60.001 m"); // typed with its unit
    w.grids.working.c = {-123.456789012345678,
                         0.0123456789012345678,
                         1.5e-17,
                         0.000012345,
                         -2.5e-300,
                         6.02214076e23,
                         1e15,
                         -0.1};
    QVERIFY(w.save(QStringLiteral("g.ipt"), QString()).done);
    const GridCoefficients saved = w.grids.working.c;

    // Such coefficients map no buoy where it was surveyed: the grid loads for editing only,
    // and the operator is told so in one message naming the file.
    World back(w.folder);
    const GridFileResult r = back.load(QStringLiteral("g.ipt"), 1);
    FW_VERIFY_DIALOGS(back.f.dialogs);
    QVERIFY(r.done && !r.usable && !back.grids.slot(1).completed);
    QVERIFY(back.f.dialogs.texts().last().startsWith(
        QStringLiteral("The grid in %1 cannot be used for measuring: its coefficients ")
            .arg(back.file(QStringLiteral("g.ipt")))));
    const MeasurementGrid& g = back.grids.working;
    const auto same15 = [](double a, double b) {
        return a == b || std::fabs(a - b) <= 5e-15 * std::fabs(b);
    };
    for (int k = 0; k < 8; ++k)
        QVERIFY2(same15(g.c[k], saved[k]), qPrintable(QStringLiteral("c%1").arg(k + 1)));
    QCOMPARE(g.c[3], 0.000012345);
    QCOMPARE(g.c[2], 1.5e-17);
    QVERIFY(same15(g.picture(BuoyIndex::UpperRight).x, 9000.123456789012));
    QVERIFY(same15(g.survey(BuoyIndex::LowerLeft).Y, -20.98765432109876));
    QVERIFY(same15(g.jump.X, 30.000000000000004));
    QCOMPARE(g.checkBuoySurvey.X, 60.001);
    QCOMPARE(back.entries.ll_survey_y, QStringLiteral("-20.9876543210988"));
}

// Guards the load: its dialogs, the record byte for byte (with the station's own label for the
// check buoy survey line), and a grid with its check buoy becomes usable and completed.
void TestGridFiles::loadRecordsAndRegistersTheGrid()
{
    World w;
    w.grids.working.c = *SolveCoefficients(kRectanglePicture, kRectangleSurvey);
    QVERIFY(w.save(QStringLiteral("left.ipt"), QStringLiteral("left camera")).done);
    const QString path = w.file(QStringLiteral("left.ipt"));
    World back(w.folder);
    back.settings.GridCount = 1;
    back.entries = GridEntries{};
    const GridFileResult r = back.load(QStringLiteral("left.ipt"));
    FW_VERIFY_DIALOGS(back.f.dialogs);
    QCOMPARE(back.f.dialogs.calls().at(0).text, QStringLiteral("Load Grid 1"));
    QVERIFY(r.done && r.usable && r.recordWritten);
    QCOMPARE(r.markedUnsaved, 1);
    QCOMPARE(readBytes(back.settings.ResultsFilePath),
             loadRecord(path, "left camera", "Check Buoyt X,Y Survey: "));
    QVERIFY(back.grids.slot(1).completed && back.grids.allGridsReady);
    QCOMPARE(back.entries.check_picture_x, QStringLiteral(" 6000"));
    QVERIFY(evaluateGrid(back.entries, kRectangleWidth_twips).accepted());
}

// Guards the quoting of a description and path holding commas, and the refusal of quotes.
void TestGridFiles::descriptionsWithCommasAndQuotes()
{
    World w;
    const QString name = QStringLiteral("north,left.ipt");
    QVERIFY(w.save(name, QStringLiteral("north end, left camera")).done);
    const QByteArray bytes = readBytes(w.file(name));
    QVERIFY(bytes.startsWith("\"Initialization Points for file: "));
    QVERIFY(bytes.contains("\r\n\"north end, left camera\"\r\n"));
    const auto read = readGridFiles(w.file(name));
    QVERIFY2(read, qPrintable(read.message()));
    QCOMPARE(read->grid.description2, QStringLiteral("north end, left camera"));

    World q;
    q.f.dialogs.expectSaveFile(q.file(QStringLiteral("q.ipt")))
        .expectInput(QStringLiteral("the \"good\" one"))
        .expectMessage()
        .expectInput(QStringLiteral("the good one"))
        .expectMessage(DialogAnswer::Yes);
    const GridFileResult r = q.save();
    FW_VERIFY_DIALOGS(q.f.dialogs);
    QCOMPARE(q.f.dialogs.calls().at(2).text, gridtext::descriptionRefused);
    QCOMPARE(r.description, QStringLiteral("the good one"));
}

// Guards "No" to saving the caption's grid: the number is asked until it is a configured grid,
// and a cancel there writes nothing.
void TestGridFiles::anotherGridNumberIsAskedUntilValid()
{
    World w;
    w.settings.GridCount = 2;
    w.entries.grid_caption = QStringLiteral("Grid 2");
    w.f.dialogs.expectSaveFile(w.file(QStringLiteral("n.ipt")))
        .expectInput(QString())
        .expectMessage(DialogAnswer::No)
        .expectInput(QStringLiteral("5"))
        .expectInput(QStringLiteral("1.5"))
        .expectInput(QStringLiteral("1"));
    const GridFileResult r = w.save();
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(w.f.dialogs.calls().at(2).text, QStringLiteral("Save Grid 2"));
    QCOMPARE(r.grid, 1);
    QCOMPARE(w.f.store().read(QStringLiteral("grid2File"), QString()), QString());

    World c;
    c.f.dialogs.expectSaveFile(c.file(QStringLiteral("c.ipt")))
        .expectInput(QString())
        .expectMessage(DialogAnswer::No)
        .expectInput(std::nullopt);
    QVERIFY(!c.save().done);
    FW_VERIFY_DIALOGS(c.f.dialogs);
    QVERIFY(!QFile::exists(c.file(QStringLiteral("c.ipt"))));
}

// Guards an old setup without its check buoy file: loaded for editing only (record noted, slot
// not completed, file setting cleared, completion refused). At start-up: the shell's tests.
void TestGridFiles::setupWithoutCheckBuoyIsForEditingOnly()
{
    World w;
    QVERIFY(w.save(QStringLiteral("old.ipt"), QStringLiteral("old")).done);
    QVERIFY(QFile::remove(w.file(QStringLiteral("old.ipt.cb"))));
    World back(w.folder);
    back.grids.slot(1).completed = true;
    back.f.store().write(QStringLiteral("grid1File"), QStringLiteral("/before.ipt"));
    const GridFileResult r = back.load(QStringLiteral("old.ipt"), 1);
    FW_VERIFY_DIALOGS(back.f.dialogs);
    QCOMPARE(back.f.dialogs.calls().at(2).text, gridtext::noCheckBuoyFile);
    QVERIFY(r.done && !r.usable);
    QCOMPARE(back.entries.check_picture_y, QStringLiteral("auto"));
    QVERIFY(!back.grids.slot(1).completed && !back.grids.allGridsReady);
    QCOMPARE(back.f.store().read(QStringLiteral("grid1File"), QStringLiteral("x")), QString());
    QVERIFY(
        readBytes(back.settings.ResultsFilePath)
            .endsWith("Jump X,Y Survey:  30   45\r\n \r\nNo check buoy for this set up\r\n \r\n"));
    back.f.dialogs.clear();
    back.f.dialogs.expectMessage().expectMessage();
    QVERIFY(!GridCompletion(back.entries, back.grids, back.settings, kRectangleWidth_twips,
                            back.f.dialogs, back.f.clock, back.results)
                 .accepted);
    FW_VERIFY_DIALOGS(back.f.dialogs);
}

// Guards the start-up load on a file of the station's long-standing form, written by hand.
void TestGridFiles::startupLoadReadsTheStationsOwnFiles()
{
    World w;
    const QString path = w.file(QStringLiteral("right.IPT"));
    QVERIFY(writeBytes(path, "Initialization Points for file: C:\\setups\\right.IPT\r\n"
                             "right camera\r\n" +
                                 kRectangleBuoys +
                                 " 0 \r\n .01 \r\n 0 \r\n 0 \r\n 0 \r\n 90 \r\n 0 \r\n-.01 \r\n"
                                 " 30 \r\n 45 \r\n 10 \r\n 2 \r\n 1 \r\n"));
    QVERIFY(writeBytes(path + QStringLiteral(".cb"), kCheckBuoyFile));
    GridEntries entries;
    const GridFileResult r = w.loadAtStartup(1, path, entries);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QVERIFY(r.done && r.usable);
    QCOMPARE(r.markedUnsaved, 0);
    QCOMPARE(readBytes(w.settings.ResultsFilePath),
             loadRecord(path, "right camera", "Check Buoy X,Y Survey: "));
    QCOMPARE(w.f.store().read(QStringLiteral("grid1File"), QString()), path);
    const auto d = distance_calculation(w.grids.working, {6000, 4500}, Tournament{});
    QVERIFY(d && std::fabs(d->distance_m - 32.1) < 1e-9);
}

// Guards a read that stops part-way: the message names the file and the reason, and the
// working copy, the slot, the fields and the results file stay as they were.
void TestGridFiles::unreadableFilesChangeNothing()
{
    World w;
    QVERIFY(w.save(QStringLiteral("t.ipt"), QStringLiteral("t")).done);
    const QString path = w.file(QStringLiteral("t.ipt"));
    const QByteArray whole = readBytes(path);
    const QList<std::tuple<QByteArray, QByteArray, const char*>> cases = {
        {whole.left(whole.indexOf(" 30 \r\n 45 ")), kCheckBuoyFile, "the file ends early"},
        {QByteArray(whole).replace(" .01 ", " abc "), kCheckBuoyFile,
         "\"abc\" on line 8 is not a number"},
        {whole, " 6000 \r\n", "the file ends early"},
    };
    for (const auto& [gridBytes, cbBytes, reason] : cases) {
        QVERIFY(writeBytes(path, gridBytes));
        QVERIFY(writeBytes(path + QStringLiteral(".cb"), cbBytes));
        World b(w.folder);
        b.grids.slot(1).description2 = b.grids.working.description2 = QStringLiteral("kept");
        QVERIFY(!b.load(QStringLiteral("t.ipt"), 1).done);
        FW_VERIFY_DIALOGS(b.f.dialogs);
        const QString message = b.f.dialogs.calls().at(2).text;
        QVERIFY2(message.startsWith(QStringLiteral("Could not read grid file ")) &&
                     message.contains(QLatin1String(reason)),
                 qPrintable(message));
        QCOMPARE(b.grids.slot(1).description2, QStringLiteral("kept"));
        QCOMPARE(b.grids.working.c, kSavedC);
        QCOMPARE(b.entries.upper_left_x, rectangleEntries().upper_left_x);
        QVERIFY(!QFile::exists(b.settings.ResultsFilePath));
    }
    World s;
    s.f.dialogs.expectMessage();
    GridEntries entries;
    QVERIFY(!s.loadAtStartup(1, w.file(QStringLiteral("gone.ipt")), entries).done);
    FW_VERIFY_DIALOGS(s.f.dialogs);
    QVERIFY(s.f.dialogs.texts().at(0).startsWith(QStringLiteral("Could not read grid file ")));
}

// Guards a setup folder that does not exist (the station's message, no dialog) and a file that
// cannot be created (reported, nothing changed).
void TestGridFiles::unusableFolderCancelAndWriteFaults()
{
    World w;
    w.settings.SetupFilesFolder = w.f.path(QStringLiteral("missing"));
    w.f.dialogs.expectMessage();
    QVERIFY(!w.save().done);
    w.f.dialogs.expectMessage(DialogAnswer::Yes).expectMessage();
    QVERIFY(!w.load().done);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QCOMPARE(w.f.dialogs.calls().at(0).text,
             QStringLiteral("Invalid path, change in configuration screen"));

    World f;
    f.f.store().write(QStringLiteral("grid1File"), QStringLiteral("/before.ipt"));
    const QString bad = f.file(QStringLiteral("no-such-folder/x.ipt"));
    QVERIFY(!f.save(QStringLiteral("no-such-folder/x.ipt"), QStringLiteral("x"), 1).done);
    FW_VERIFY_DIALOGS(f.f.dialogs);
    QVERIFY(f.f.dialogs.texts().at(3).startsWith(
        QStringLiteral("Could not save grid file %1: ").arg(bad)));
    QCOMPARE(f.f.store().read(QStringLiteral("grid1File"), QString()),
             QStringLiteral("/before.ipt"));
    QCOMPARE(f.entries.description, QStringLiteral("No File"));
}

void TestGridFiles::savedSlotIsReadyOnlyWithCheckedValues()
{
    // A completed grid saved as it was checked stays ready; an edit after the check makes the
    // saved slot not ready, so unchecked values are never measured with.
    World w;
    QVERIFY(GridCompletion(w.entries, w.grids, w.settings, kRectangleWidth_twips, w.f.dialogs,
                           w.f.clock, w.results)
                .accepted);
    QVERIFY(w.save(QStringLiteral("a.ipt"), QString()).done);
    QVERIFY(w.grids.slot(1).completed);
    w.entries.ul_survey_x = QStringLiteral("31");
    gridEntriesEdited(w.entries, w.grids, w.settings, w.f.store(), false);
    QVERIFY(w.save(QStringLiteral("b.ipt"), QString()).done);
    QVERIFY(!w.grids.slot(1).completed);
    QVERIFY(!w.grids.allGridsReady);
    FW_VERIFY_DIALOGS(w.f.dialogs);
}

// Guards a save on a full disk: the bytes that do not reach the disk are reported with the
// system's reason and both old files stay as they were, with no temporary file left beside them.
// The disk fills for this process only: a file size limit, its signal ignored.
void TestGridFiles::fullDiskKeepsTheOldFiles()
{
#ifdef Q_OS_UNIX
    World w;
    w.grids.working.c = *SolveCoefficients(kRectanglePicture, kRectangleSurvey);
    QVERIFY(w.save(QStringLiteral("left.ipt"), QStringLiteral("left camera")).done);
    const QString path = w.file(QStringLiteral("left.ipt"));
    const QByteArray grid = readBytes(path), cb = readBytes(path + QStringLiteral(".cb"));

    rlimit before{};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &before) == 0);
    rlimit full = before;
    full.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &full) == 0);
    const GridFileResult r = w.save(QStringLiteral("left.ipt"), QStringLiteral("right camera"), 1);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    FW_VERIFY_DIALOGS(w.f.dialogs);
    QVERIFY(!r.done);
    const QString told = w.f.dialogs.texts().last();
    QVERIFY2(told.startsWith(QStringLiteral("Could not save grid file %1: ").arg(path)) &&
                 told.contains(QLatin1String("too large")),
             qPrintable(told));
    QCOMPARE(readBytes(path), grid);
    QCOMPARE(readBytes(path + QStringLiteral(".cb")), cb);
    QCOMPARE(QDir(w.folder).entryList(QDir::Files).size(), 2);
#else
    QSKIP("the file size limit is a POSIX facility");
#endif
}

// Guards a save cut between its two files: the new grid file beside the check buoy file of the
// grid saved there before does not prove itself.
void TestGridFiles::checkBuoyFileOfAnotherGridIsRefused()
{
    World w;
    w.grids.working.c = *SolveCoefficients(kRectanglePicture, kRectangleSurvey);
    QVERIFY(w.save(QStringLiteral("a.ipt"), QStringLiteral("a")).done);
    // Grid b: the same buoys seen 600 twips further right.
    std::array<ScreenPoint, kBuoyCount> shifted = kRectanglePicture;
    for (int i = 0; i < kBuoyCount; ++i) {
        shifted[i].x += 600;
        w.entries.pictureX(BuoyIndex(i + 1)) = fieldText(shifted[i].x);
    }
    w.grids.working.c = *SolveCoefficients(shifted, kRectangleSurvey);
    w.entries.check_picture_x = QStringLiteral(" 6600");
    QVERIFY(w.save(QStringLiteral("b.ipt"), QStringLiteral("b")).done);
    QVERIFY(QFile::remove(w.file(QStringLiteral("a.ipt.cb"))));
    QVERIFY(QFile::copy(w.file(QStringLiteral("b.ipt.cb")), w.file(QStringLiteral("a.ipt.cb"))));
    const auto pair = readGridFiles(w.file(QStringLiteral("a.ipt")));
    QVERIFY(pair && pair->hasCheckBuoyFile);
    const auto reason = unprovedGridReason(*pair);
    QVERIFY(reason && reason->startsWith(QLatin1String("Check Buoy Does not Validate")));
    const auto own = readGridFiles(w.file(QStringLiteral("b.ipt")));
    QVERIFY(own && !unprovedGridReason(*own));
}

QTEST_GUILESS_MAIN(TestGridFiles)
#include "test_gridfiles.moc"
