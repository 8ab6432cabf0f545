// Skier name files, the import of a new list, and the contact picture log's files and lines.

#include "StationFixture.h"
#include "measure/PictureLog.h"
#include "measure/SkierNames.h"
#include "support/textforms.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace fw;
using namespace fw::test;

class TestMeasureNamesPictures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void selectionListSkipsEmptyLinesAndReplacesCommas();
    void defaultNameRules();
    void wstimsNameFirstField_data();
    void wstimsNameFirstField();
    void wstimsNameFailures();
    void importReplacesTheList();
    void importRefusalsChangeNothing_data();
    void importRefusalsChangeNothing();
    void importCancelledSaysNothing();
    void importConvertsUtf8ToTheStationsText();
    void pictureNamesAndPaths();
    void pictureInfoFileBesideThePicture();
    void pictureLinesForResultsAndSessionLog();
    void pictureLogLinesAndPaths();
};

// Only empty lines are skipped; a line of commas is a name of blanks; CR LF, LF and CR all end
// a line.
void TestMeasureNamesPictures::selectionListSkipsEmptyLinesAndReplacesCommas()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(path, "Smith,John\r\n\r\nJones\n,,\r  \r\nA,B,C"));
    const Result<QStringList> list = readSkierList(path);
    QVERIFY(list.ok());
    QCOMPARE(*list,
             (QStringList{QStringLiteral("Smith John"), QStringLiteral("Jones"),
                          QStringLiteral("  "), QStringLiteral("  "), QStringLiteral("A B C")}));
    const Result<QStringList> missing = readSkierList(fx.path(QStringLiteral("none.txt")));
    QVERIFY(!missing.ok());
    QVERIFY(missing.message().startsWith(QStringLiteral("could not read ")));
}

void TestMeasureNamesPictures::defaultNameRules()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("station/SkierNames.txt"));
    QCOMPARE(defaultSkierName(path), std::optional<QString>(QStringLiteral("Skier Name")));
    QVERIFY(writeBytes(path, "Smith,John\r\nJones\r\n"));
    QCOMPARE(defaultSkierName(path), std::optional<QString>(QStringLiteral("Smith John")));
    QVERIFY(writeBytes(path, "\r\nJones\r\n"));
    QCOMPARE(defaultSkierName(path), std::nullopt);
    QVERIFY(writeBytes(path, ""));
    QCOMPARE(defaultSkierName(path), std::nullopt);
}

// The first field of the scoring program's file: quotes keep a comma, blanks are dropped.
void TestMeasureNamesPictures::wstimsNameFirstField_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("name");
    QTest::newRow("quoted with comma") << QByteArray("\"Smith, John\",USA\r\n") << "Smith, John";
    QTest::newRow("unquoted") << QByteArray("Smith, John\r\n") << "Smith";
    QTest::newRow("line end") << QByteArray("  Jones \r\nNext\r\n") << "Jones";
    QTest::newRow("no line end") << QByteArray("Lee") << "Lee";
    QTest::newRow("empty first line") << QByteArray("\r\nLee\r\n") << "";
}

void TestMeasureNamesPictures::wstimsNameFirstField()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, name);
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("qxskier.nam"));
    QVERIFY(writeBytes(path, contents));
    const Result<QString> read = readWstimsSkierName(path);
    QVERIFY2(read.ok(), qPrintable(read.message()));
    QCOMPARE(*read, name);
}

void TestMeasureNamesPictures::wstimsNameFailures()
{
    StationFixture fx;
    const Result<QString> missing = readWstimsSkierName(fx.path(QStringLiteral("qxskier.nam")));
    QVERIFY(!missing.ok());
    QVERIFY(missing.message().startsWith(QStringLiteral("Error while reading WSTIMS name file: ")));
    QVERIFY(missing.message().contains(QStringLiteral("qxskier.nam")));
    QVERIFY(writeBytes(fx.path(QStringLiteral("qxskier.nam")), ""));
    const Result<QString> empty = readWstimsSkierName(fx.path(QStringLiteral("qxskier.nam")));
    QVERIFY(!empty.ok());
    QVERIFY(empty.message().startsWith(QStringLiteral("Error while reading WSTIMS name file: ")));
}

// The chosen file becomes SkierNames.txt with CR LF lines; its first line is the new name.
void TestMeasureNamesPictures::importReplacesTheList()
{
    StationFixture fx;
    const QString chosen = fx.path(QStringLiteral("tournament.txt"));
    const QString target = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(target, "Old\r\n"));
    QVERIFY(writeBytes(chosen, "Smith,John\nJones,Ann\n"));
    fx.dialogs.expectOpenFile(chosen);
    const std::optional<QString> name = importSkierNamesFile(fx.dialogs, fx.stationFolder());
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(name, std::optional<QString>(QStringLiteral("Smith John")));
    QCOMPARE(readBytes(target), QByteArray("Smith,John\r\nJones,Ann\r\n"));
    QCOMPARE(QDir::cleanPath(fx.dialogs.calls().first().request.folder),
             QDir::cleanPath(fx.stationFolder()));
    QCOMPARE(QDir(fx.stationFolder()).entryList(QDir::Files), QStringList{"SkierNames.txt"});

    // A first line that is empty leaves the capture screen's name alone.
    QVERIFY(writeBytes(chosen, "\r\nLee\r\n"));
    const Result<std::optional<QString>> blankFirst = importSkierNames(chosen, target);
    QVERIFY(blankFirst.ok());
    QCOMPARE(*blankFirst, std::nullopt);
    QCOMPARE(readBytes(target), QByteArray("\r\nLee\r\n"));
}

// Unreadable, empty, rich-text and binary files are refused with the reason; the list stays.
void TestMeasureNamesPictures::importRefusalsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("create");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << false << "could not read ";
    QTest::newRow("empty") << QByteArray("\r\n \r\n") << true << "holds no names";
    QTest::newRow("rich text") << QByteArray("{\\rtf1\\ansi Smith\\par Jones}") << true
                               << "rich-text document";
    QTest::newRow("binary") << QByteArray("Smi\0th", 6) << true << "not a text file";
}

void TestMeasureNamesPictures::importRefusalsChangeNothing()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, create);
    QFETCH(QString, reason);
    StationFixture fx;
    const QString chosen = fx.path(QStringLiteral("names.doc"));
    if (create)
        QVERIFY(writeBytes(chosen, contents));
    const QString target = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(target, "Old,Name\r\n"));
    fx.dialogs.expectOpenFile(chosen).expectMessage();
    QCOMPARE(importSkierNamesFile(fx.dialogs, fx.stationFolder()), std::nullopt);
    FW_VERIFY_DIALOGS(fx.dialogs);
    const QString shown = fx.dialogs.calls().last().text;
    QVERIFY2(shown.startsWith(QStringLiteral("The skier names were not imported: ")),
             qPrintable(shown));
    QVERIFY2(shown.contains(reason), qPrintable(shown));
    QVERIFY(shown.contains(QStringLiteral("names.doc")));
    QCOMPARE(readBytes(target), QByteArray("Old,Name\r\n"));
}

void TestMeasureNamesPictures::importCancelledSaysNothing()
{
    StationFixture fx;
    const QString target = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(target, "Old\r\n"));
    fx.dialogs.expectOpenFile(std::nullopt);
    QCOMPARE(importSkierNamesFile(fx.dialogs, fx.stationFolder()), std::nullopt);
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(readBytes(target), QByteArray("Old\r\n"));
}

// A list saved as UTF-8 by another editor arrives as the station's single-byte text.
void TestMeasureNamesPictures::importConvertsUtf8ToTheStationsText()
{
    StationFixture fx;
    const QString chosen = fx.path(QStringLiteral("utf8.txt"));
    const QString target = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(chosen, "\xEF\xBB\xBFM\xC3\xBCller,J\xC3\xB6rg\r\n"));
    const Result<std::optional<QString>> imported = importSkierNames(chosen, target);
    QVERIFY(imported.ok());
    QCOMPARE(**imported, QStringLiteral("M\xFCller J\xF6rg"));
    QCOMPARE(readBytes(target), QByteArray("M\xFCller,J\xF6rg\r\n"));
}

// The picture's name drops the blanks around the jump number; the folder keeps its separator.
void TestMeasureNamesPictures::pictureNamesAndPaths()
{
    QCOMPARE(pictureFileName(QStringLiteral("Smith John"), QStringLiteral(" 3")),
             QStringLiteral("Smith Johnjump3.bmp"));
    QCOMPARE(pictureFileName(QStringLiteral("Lee"), QStringLiteral("12 ")),
             QStringLiteral("Leejump12.bmp"));
    QCOMPARE(picturePath(QStringLiteral("C:\\pics\\"), QStringLiteral("Leejump1.bmp")),
             QStringLiteral("C:\\pics\\Leejump1.bmp"));
    QCOMPARE(picturePath(QStringLiteral("/data/pics/"), QStringLiteral("Leejump1.bmp")),
             QStringLiteral("/data/pics/Leejump1.bmp"));
    QVERIFY(picturePath(QStringLiteral("/data/pics"), QStringLiteral("a.bmp"))
                .endsWith(QStringLiteral("pics") + QDir::separator() + QStringLiteral("a.bmp")));
}

// The information file goes beside the picture, whatever the current folder, and is replaced.
void TestMeasureNamesPictures::pictureInfoFileBesideThePicture()
{
    StationFixture fx;
    const QString pics = fx.makeFolder(QStringLiteral("pics"));
    const QString picture = picturePath(pics + QLatin1Char('/'), pictureFileName("Lee", " 2"));
    QVERIFY(writeBytes(picture + QStringLiteral(".info"), "old and longer contents\r\n"));
    QVERIFY(writePictureInfo(picture, QStringLiteral("Lee"), QStringLiteral("3")).ok());
    QCOMPARE(readBytes(pics + QStringLiteral("/Leejump2.bmp.info")),
             (picture + QStringLiteral(", Lee, 3\r\n")).toLatin1());
    QVERIFY(!writePictureInfo(fx.path(QStringLiteral("gone/x.bmp")), "Lee", "3").ok());
}

// Results lines and the session log entry, which must end with the picture's path.
void TestMeasureNamesPictures::pictureLinesForResultsAndSessionLog()
{
    const QString path = QStringLiteral("C:\\pics\\Leejump2.bmp");
    QCOMPARE(savedPictureLine(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"), path),
             QStringLiteral("12-05-2026 14:03:09 Saved picture: C:\\pics\\Leejump2.bmp"));
    QCOMPARE(loadedPictureLine(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"), path),
             QStringLiteral("12-05-2026 14:03:09 Loaded picture: C:\\pics\\Leejump2.bmp"));
    const QStringList items =
        pictureLogItems(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"),
                        QStringLiteral("Lee"), QStringLiteral("3"), QStringLiteral(" 45.6m"), path);
    QCOMPARE(printZones(items),
             QStringLiteral("12-05-2026    14:03:09      Skier: Lee    Jump:  2      "
                            "Distance:  45.6m            File: C:\\pics\\Leejump2.bmp"));
    QCOMPARE(pictureLogItems("d", "t", "s", "0", "", path).at(3), QStringLiteral("Jump: -1"));
}

// Only lines ending in "bmp" are listed; the path follows the first "File: ".
void TestMeasureNamesPictures::pictureLogLinesAndPaths()
{
    StationFixture fx;
    const QString log = fx.path(QStringLiteral("JumpMeasurementLog120526.txt"));
    QVERIFY(writeBytes(log, "12-05-2026    14:00:00      Farwater Measurement Session started  \r\n"
                            "a  File: C:\\v\\Leejump1.avi\r\n"
                            "b  File: C:\\p\\Leejump1.bmp\r\n"
                            "c  File: C:\\p\\x.bmp.old\r\n"
                            "d  File: C:\\p\\y.BMP\r\n"
                            "e  no file here.bmp"));
    const Result<QStringList> lines = readPictureLogLines(log);
    QVERIFY(lines.ok());
    QCOMPARE(*lines, (QStringList{QStringLiteral("b  File: C:\\p\\Leejump1.bmp"),
                                  QStringLiteral("e  no file here.bmp")}));
    QCOMPARE(pathInLogLine(lines->at(0)), std::optional<QString>("C:\\p\\Leejump1.bmp"));
    QCOMPARE(pathInLogLine(lines->at(1)), std::nullopt);
    QCOMPARE(pathInLogLine(QStringLiteral("File: a File: b.bmp")),
             std::optional<QString>("a File: b.bmp"));
    QVERIFY(!readPictureLogLines(fx.path(QStringLiteral("none.txt"))).ok());
}

QTEST_GUILESS_MAIN(TestMeasureNamesPictures)
#include "test_measure_names_pictures.moc"
