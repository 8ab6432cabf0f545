// Skier name files, the import of a new list, and the contact picture log's files and lines.

#include "StationFixture.h"
#include "measure/PictureLog.h"
#include "measure/SkierNames.h"
#include "support/textforms.h"

#include <QDir>
#include <QTest>

using namespace fw;
using namespace fw::test;

class TestMeasureNamesPictures : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stationListAndDefaultName();
    void wstimsNameFirstField_data();
    void wstimsNameFirstField();
    void importReplacesTheListInTheStationsText();
    void importRefusalsChangeNothing_data();
    void importRefusalsChangeNothing();
    void pictureNamesInfoFileAndLines();
    void pictureLogLinesAndPaths();
};

// Guards the list: only empty lines skipped, a line of commas is a name of blanks, CR LF, LF and
// CR all end a line; the default name from the first line, none when it is empty.
void TestMeasureNamesPictures::stationListAndDefaultName()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("station/SkierNames.txt"));
    QCOMPARE(defaultSkierName(path), std::optional<QString>(QStringLiteral("Skier Name")));
    QVERIFY(!readSkierList(path).ok());
    QVERIFY(writeBytes(path, "Smith,John\r\n\r\nJones\n,,\r  \r\nA,B,C"));
    QCOMPARE(*readSkierList(path),
             (QStringList{QStringLiteral("Smith John"), QStringLiteral("Jones"),
                          QStringLiteral("  "), QStringLiteral("  "), QStringLiteral("A B C")}));
    QCOMPARE(defaultSkierName(path), std::optional<QString>(QStringLiteral("Smith John")));
    QVERIFY(writeBytes(path, "\r\nJones\r\n"));
    QCOMPARE(defaultSkierName(path), std::nullopt);
    QVERIFY(writeBytes(path, ""));
    QCOMPARE(defaultSkierName(path), std::nullopt);
}

void TestMeasureNamesPictures::wstimsNameFirstField_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("name"); // empty and failed: refused
    QTest::addColumn<bool>("ok");
    QTest::newRow("quoted with comma")
        << QByteArray("\"Smith, John\",USA\r\n") << "Smith, John" << true;
    QTest::newRow("unquoted") << QByteArray("Smith, John\r\n") << "Smith" << true;
    QTest::newRow("blanks, line end") << QByteArray("  Jones \r\nNext\r\n") << "Jones" << true;
    QTest::newRow("empty first line") << QByteArray("\r\nLee\r\n") << "" << true;
    QTest::newRow("empty file") << QByteArray() << "" << false;
}

// Guards the first field of the scoring program's name file: quotes keep a comma, blanks go.
void TestMeasureNamesPictures::wstimsNameFirstField()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, name);
    QFETCH(bool, ok);
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("qxskier.nam"));
    if (!ok) {
        const Result<QString> missing = readWstimsSkierName(path);
        QVERIFY(!missing.ok() && missing.message().contains(QStringLiteral("qxskier.nam")));
    }
    QVERIFY(writeBytes(path, contents));
    const Result<QString> read = readWstimsSkierName(path);
    QCOMPARE(read.ok(), ok);
    if (ok)
        QCOMPARE(*read, name);
    else
        QVERIFY(
            read.message().startsWith(QStringLiteral("Error while reading WSTIMS name file: ")));
}

// Guards the import: the chosen file (asked for in the station folder) becomes SkierNames.txt
// with CR LF lines, UTF-8 turned into the station's single-byte text; its first line is the new
// name; a cancelled dialog changes nothing.
void TestMeasureNamesPictures::importReplacesTheListInTheStationsText()
{
    StationFixture fx;
    const QString chosen = fx.path(QStringLiteral("tournament.txt"));
    const QString target = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(target, "Old\r\n"));
    fx.dialogs.expectOpenFile(std::nullopt);
    QCOMPARE(importSkierNamesFile(fx.dialogs, fx.stationFolder()), std::nullopt);
    QCOMPARE(readBytes(target), QByteArray("Old\r\n"));
    QVERIFY(writeBytes(chosen, "Smith,John\nJones,Ann\n"));
    fx.dialogs.expectOpenFile(chosen);
    QCOMPARE(importSkierNamesFile(fx.dialogs, fx.stationFolder()),
             std::optional<QString>(QStringLiteral("Smith John")));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(readBytes(target), QByteArray("Smith,John\r\nJones,Ann\r\n"));
    QCOMPARE(QDir(fx.stationFolder()).entryList(QDir::Files), QStringList{"SkierNames.txt"});

    QVERIFY(writeBytes(chosen, "\xEF\xBB\xBFM\xC3\xBCller,J\xC3\xB6rg\r\n"));
    const Result<std::optional<QString>> utf8 = importSkierNames(chosen, target);
    QVERIFY(utf8.ok());
    QCOMPARE(**utf8, QStringLiteral("M\xFCller J\xF6rg"));
    QCOMPARE(readBytes(target), QByteArray("M\xFCller,J\xF6rg\r\n"));
}

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

// Guards the refusals: each says why and names the file; the list stays as it was.
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
    QVERIFY2(shown.startsWith(QStringLiteral("The skier names were not imported: ")) &&
                 shown.contains(reason) && shown.contains(QStringLiteral("names.doc")),
             qPrintable(shown));
    QCOMPARE(readBytes(target), QByteArray("Old,Name\r\n"));
}

// Guards the picture's name (blanks around the jump number dropped), its path (one separator),
// the information file beside it (replaced whole), and the lines that note it, whose print zones
// must end with the path and give the pass number less one.
void TestMeasureNamesPictures::pictureNamesInfoFileAndLines()
{
    QCOMPARE(pictureFileName(QStringLiteral("Lee"), QStringLiteral("12 ")),
             QStringLiteral("Leejump12.bmp"));
    // A name never leads the picture into another folder, on any system.
    QCOMPARE(pictureFileName(QStringLiteral("AC/DC"), QStringLiteral("1")),
             QStringLiteral("AC_DCjump1.bmp"));
    QCOMPARE(pictureFileName(QStringLiteral("..\\..\\Lee: \"Jr\""), QStringLiteral("2")),
             QStringLiteral(".._.._Lee_ _Jr_jump2.bmp"));
    QVERIFY(picturePath(QStringLiteral("/data/pics"), QStringLiteral("a.bmp"))
                .endsWith(QStringLiteral("pics") + QDir::separator() + QStringLiteral("a.bmp")));

    StationFixture fx;
    const QString picture = fx.makeFolder(QStringLiteral("pics")) + QStringLiteral("/Leejump2.bmp");
    QVERIFY(writeBytes(picture + QStringLiteral(".info"), "old and longer contents\r\n"));
    QVERIFY(writePictureInfo(picture, QStringLiteral("Lee"), QStringLiteral("3")).ok());
    QCOMPARE(readBytes(picture + QStringLiteral(".info")),
             (picture + QStringLiteral(", Lee, 3\r\n")).toLatin1());
    QVERIFY(!writePictureInfo(fx.path(QStringLiteral("gone/x.bmp")), "Lee", "3").ok());
    // A name taken by a picture or by an information file alone is not used again.
    QCOMPARE(unusedPicturePath(fx.path(QStringLiteral("pics/Annjump1.bmp"))),
             fx.path(QStringLiteral("pics/Annjump1.bmp")));
    QCOMPARE(unusedPicturePath(picture), fx.path(QStringLiteral("pics/Leejump2_2.bmp")));
    QVERIFY(writeBytes(fx.path(QStringLiteral("pics/Leejump2_2.bmp")), "taken"));
    QVERIFY(writeBytes(fx.path(QStringLiteral("pics/Leejump2_3.bmp.info")), "taken"));
    QCOMPARE(unusedPicturePath(picture), fx.path(QStringLiteral("pics/Leejump2_4.bmp")));

    const QString path = QStringLiteral("C:\\pics\\Leejump2.bmp");
    const QStringList items =
        pictureLogItems(QStringLiteral("12-05-2026"), QStringLiteral("14:03:09"),
                        QStringLiteral("Lee"), QStringLiteral("3"), QStringLiteral(" 45.6m"), path);
    QCOMPARE(printZones(items),
             QStringLiteral("12-05-2026    14:03:09      Skier: Lee    Jump:  2      "
                            "Distance:  45.6m            File: C:\\pics\\Leejump2.bmp"));
    QCOMPARE(pictureLogItems("d", "t", "s", "0", "", path).at(3), QStringLiteral("Jump: -1"));
}

// Guards the log reading: only lines ending in "bmp" (case counts), the path after "File: ", none
// without one.
void TestMeasureNamesPictures::pictureLogLinesAndPaths()
{
    StationFixture fx;
    const QString log = fx.path(QStringLiteral("JumpMeasurementLog120526.txt"));
    QVERIFY(writeBytes(log, "12-05-2026    14:00:00      Farwater Measurement Session started  \r\n"
                            "a  File: C:\\v\\Leejump1.avi\r\nb  File: C:\\p\\Leejump1.bmp\r\n"
                            "c  File: C:\\p\\x.bmp.old\r\nd  File: C:\\p\\y.BMP\r\n"
                            "e  no file here.bmp"));
    const Result<QStringList> lines = readPictureLogLines(log);
    QVERIFY(lines.ok());
    QCOMPARE(*lines, (QStringList{QStringLiteral("b  File: C:\\p\\Leejump1.bmp"),
                                  QStringLiteral("e  no file here.bmp")}));
    QCOMPARE(pathInLogLine(lines->at(0)), std::optional<QString>("C:\\p\\Leejump1.bmp"));
    QCOMPARE(pathInLogLine(lines->at(1)), std::nullopt);
    QVERIFY(!readPictureLogLines(fx.path(QStringLiteral("none.txt"))).ok());
}

QTEST_GUILESS_MAIN(TestMeasureNamesPictures)
#include "test_measure_names_pictures.moc"
