// Bitmap files, file checks and the text file writers.

#include "StationFixture.h"
#include "support/FileChecks.h"
#include "support/cDIB.h"
#include "support/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTest>
#include <QtEndian>

using namespace fw;
using namespace fw::test;

namespace {

QByteArray packedBitmap(int width, int height, int bitsPerPixel, quint32 imageSize,
                        qsizetype pixelBytes)
{
    BitmapInfoHeader h;
    h.size = 40;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = quint16(bitsPerPixel);
    h.sizeImage = imageSize;
    QByteArray packed = h.toBytes();
    for (qsizetype i = 0; i < pixelBytes; ++i)
        packed.append(char(i * 7));
    return packed;
}

quint32 le32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bitmapOfAFrameReplacesAnyFile();
    void bitmapRefusesWhatItCannotWriteWhole();
    void pathExistsByKind();
    // The AVI check: a RIFF AVI header passes, other files fail quietly, and a file that is
    // missing, a folder or locked is told to the operator.
    void aviCheckReadsTheRiffHeader_data();
    void aviCheckReadsTheRiffHeader();
    void saveDialogGivesInitialPathWhenCancelled();
    void textFileWriters();
    void pairedReplacementAndLeftovers();
};

void TestFiles::bitmapOfAFrameReplacesAnyFile()
{
    StationFixture f;
    const QByteArray packed = packedBitmap(320, 240, 24, 230400, 230400);
    cDIB dib;
    QVERIFY(dib.CreateFromPackedDIBPointer(packed.constData(), packed.size()));
    const QString file = f.path(QStringLiteral("currentcapture.bmp"));
    QVERIFY(writeBytes(file, QByteArray(500000, 'x')));
    QVERIFY(dib.WriteToFile(file));
    const QByteArray bytes = readBytes(file);
    QCOMPARE(bytes.size(), 230454);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(le32(bytes, 2), 230454u);
    QCOMPARE(le32(bytes, 6), 0u);   // the two reserved words
    QCOMPARE(le32(bytes, 10), 54u); // pixel offset
    QCOMPARE(bytes.mid(14, 40), packed.left(40));
    QCOMPARE(bytes.mid(54), packed.mid(40));
    QVERIFY(!dib.WriteToFile(f.path(QStringLiteral("no such folder/currentcapture.bmp"))));
}

// Fewer than 16 bits a pixel, no pixels, or a header claiming more pixel bytes than were handed
// over: refused, and nothing written.
void TestFiles::bitmapRefusesWhatItCannotWriteWhole()
{
    StationFixture f;
    cDIB dib;
    const QByteArray eightBit = packedBitmap(16, 16, 8, 256, 256);
    QVERIFY(!dib.CreateFromPackedDIBPointer(eightBit.constData(), eightBit.size()));
    QVERIFY(!dib.WriteToFile(f.path(QStringLiteral("a.bmp"))));
    QVERIFY(!QFile::exists(f.path(QStringLiteral("a.bmp"))));
    const QByteArray empty = packedBitmap(16, 16, 24, 0, 0);
    QVERIFY(!dib.CreateFromPackedDIBPointer(empty.constData(), empty.size()));
    QVERIFY(dib.isEmpty());
    const QByteArray shortFrame = packedBitmap(320, 240, 24, 230400, 1000);
    QVERIFY(!dib.CreateFromPackedDIBPointer(shortFrame.constData(), shortFrame.size()));
    QVERIFY(!dib.CreateFromPackedDIBPointer(nullptr, 100000));
}

void TestFiles::pathExistsByKind()
{
    StationFixture f;
    const QString file = f.path(QStringLiteral("grid.ipt"));
    QVERIFY(writeBytes(file, "x"));
    const QString folder = f.makeFolder(QStringLiteral("Videos"));
    QVERIFY(PathExists(file, 0) && !PathExists(file, 1));
    QVERIFY(PathExists(folder, 1) && !PathExists(folder, 0));
    QVERIFY(!PathExists(f.path(QStringLiteral("missing")), 0));
    QVERIFY(!PathExists(folder, 3));
    QVERIFY(PathExists(QDir::rootPath(), 2) && !PathExists(folder, 2));
    QVERIFY(!FilePresent(f.path(QStringLiteral("missing"))));
    QVERIFY(FilePresent(file) && !FilePresent(folder));
}

void TestFiles::aviCheckReadsTheRiffHeader_data()
{
    QTest::addColumn<QString>("kind"); // what stands at the path: file, folder, missing, locked
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("avi");
    QTest::addColumn<QString>("told"); // the message's first line; none for what is no error
    const QByteArray avi("RIFF\x10\0\0\0AVI LIST", 16);
    QTest::newRow("avi") << "file" << avi << true << "";
    QTest::newRow("text") << "file" << QByteArray("this is not a video at all\r\n") << false << "";
    QTest::newRow("wave") << "file" << QByteArray("RIFF\x24\0\0\0WAVEfmt ", 16) << false << "";
    QTest::newRow("missing") << "missing" << QByteArray() << false << "File does not exist:";
    // A folder has no length: it is no file.
    QTest::newRow("folder") << "folder" << QByteArray() << false << "File does not exist:";
    QTest::newRow("locked") << "locked" << avi << false << "File is locked - cannot access:";
}

void TestFiles::aviCheckReadsTheRiffHeader()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, avi);
    QFETCH(QString, told);
    StationFixture f;
    const QString path = f.path(QStringLiteral("Smithjump3.avi"));
    if (kind == QLatin1String("folder"))
        f.makeFolder(QStringLiteral("Smithjump3.avi"));
    else if (kind != QLatin1String("missing"))
        QVERIFY(writeBytes(path, bytes));
    if (kind == QLatin1String("locked")) {
        QFile::setPermissions(path, QFileDevice::Permissions());
        QFile probe(path);
        if (probe.open(QIODevice::ReadOnly))
            QSKIP("this user reads files whatever their permissions (root): no way to deny it");
    }
    if (!told.isEmpty())
        f.dialogs.expectMessage();
    QCOMPARE(IsAviFile(path, f.dialogs), avi);
    FW_VERIFY_DIALOGS(f.dialogs);
    if (!told.isEmpty()) {
        QCOMPARE(f.dialogs.calls().at(0).text, told + QStringLiteral("\r\n") + path);
        QCOMPARE(f.dialogs.calls().at(0).icon, DialogIcon::Critical);
    }
}

void TestFiles::saveDialogGivesInitialPathWhenCancelled()
{
    StationFixture f;
    const QString initial = QStringLiteral("D:\\Videos\\capture.avi");
    f.dialogs.expectSaveFile(std::nullopt);
    QCOMPARE(SaveFileDialog(f.dialogs, initial, 0), initial);
    const FileDialogRequest& request = f.dialogs.calls().at(0).request;
    QCOMPARE(request.folder, QStringLiteral("D:\\Videos"));
    QCOMPARE(request.filter, QStringLiteral("All Supported Types|*.bmp;*.jpg;*.pic|BMP Files|*.bmp|"
                                            "JPEG Files|*.jpg|ePIC Files|*.pic"));

    f.dialogs.expectSaveFile(QStringLiteral("D:\\Videos\\other.jpg"));
    QCOMPARE(SaveFileDialog(f.dialogs, initial, 0), QStringLiteral("D:\\Videos\\other.jpg"));
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestFiles::textFileWriters()
{
    // Appends in Latin-1 with CR LF; a failure names the file and its reason.
    StationFixture f;
    const QString file = f.path(QStringLiteral("results.txt"));
    QVERIFY(appendLines(file, {QStringLiteral("Müller jump 1"), QStringLiteral(" ")}).ok());
    QVERIFY(appendLines(file, {QStringLiteral("second")}).ok());
    QCOMPARE(readBytes(file), QByteArray("M\xfcller jump 1\r\n \r\nsecond\r\n"));
    const QString gone = f.path(QStringLiteral("gone/results.txt"));
    f.dialogs.expectMessage();
    QVERIFY(!appendReported(f.dialogs, gone, {QStringLiteral("line")}));
    FW_VERIFY_DIALOGS(f.dialogs);
    const QString prefix = QStringLiteral("Could not write to ") + gone + QStringLiteral(": ");
    const QString text = f.dialogs.calls().at(0).text;
    QVERIFY2(text.startsWith(prefix) && text.size() > prefix.size(), qPrintable(text));

    // A full disk is told in the system's words.
    if (QFileInfo(QStringLiteral("/dev/full")).isWritable()) {
        const Outcome full = appendLines(QStringLiteral("/dev/full"), {QStringLiteral("line")});
        QCOMPARE(full.message(),
                 QStringLiteral("Could not write to /dev/full: No space left on device"));
    }

    // A replacement is whole, leaves no temporary file beside it, or fails naming the place.
    const QString dst = f.path(QStringLiteral("qxresult.dst"));
    QVERIFY(replaceFileLines(dst, {QStringLiteral("OK,  45.6,  150,  3")}).ok());
    QVERIFY(replaceFileLines(dst, {QStringLiteral("Fall, 0, 0, 4")}).ok());
    QCOMPARE(readBytes(dst), QByteArray("Fall, 0, 0, 4\r\n"));
    QCOMPARE(QDir(f.root()).entryList(QDir::Files).size(), 2);
    const Outcome failed = replaceFileLines(f.path(QStringLiteral("gone/qxresult.dst")), {});
    QVERIFY(!failed.ok() && failed.message().contains(QLatin1String("gone")));
}

// Two files written beside their places and moved over them; what a killed station leaves (its
// temporary files, Qt's temporary settings files, an empty lock) goes at the next start, while
// the operator's own files and a lock that a running program holds stay.
void TestFiles::pairedReplacementAndLeftovers()
{
    StationFixture f;
    const QString grid = f.path(QStringLiteral("north.ipt"));
    const QString checkBuoy = f.path(QStringLiteral("north.ipt.cb"));
    QVERIFY(writeBytes(grid, "old grid"));
    const Result<QString> first = writeBeside(grid, "new grid");
    const Result<QString> second = writeBeside(checkBuoy, "new check buoy");
    QVERIFY(first.ok() && second.ok());
    QCOMPARE(readBytes(grid), QByteArray("old grid"));
    QVERIFY(moveOver(*first, grid).ok() && moveOver(*second, checkBuoy).ok());
    QCOMPARE(readBytes(grid), QByteArray("new grid"));
    QCOMPARE(readBytes(checkBuoy), QByteArray("new check buoy"));
    QVERIFY(!QFile::exists(*first) && !QFile::exists(*second));
    const Result<QString> intoFolder = writeBeside(f.root(), "x");
    QVERIFY(!intoFolder.ok() &&
            intoFolder.message().startsWith(QStringLiteral("Could not write to ")));

    const QString ini = f.path(QStringLiteral("settings/QX05.ini"));
    QVERIFY(f.store().write(QStringLiteral("logpath"), QStringLiteral("/videos")));
    const QStringList leftovers = {f.path(QStringLiteral("qxresult.dst.fwsave")),
                                   f.path(QStringLiteral("qxresult.dst.fwsave.AbCdEf")),
                                   ini + QStringLiteral(".xYzAbC"), ini + QStringLiteral(".lock")};
    const QStringList kept = {f.path(QStringLiteral("north.ipt.backup")),
                              f.path(QStringLiteral("notes.fwsave.txt")),
                              f.path(QStringLiteral("settings/other.ini.lock"))};
    for (const QString& path : leftovers + kept)
        QVERIFY(writeBytes(path, QByteArray()));
    QCOMPARE(removeLeftoverFiles({f.root(), QString()}, {ini}), leftovers.size());
    for (const QString& path : leftovers)
        QVERIFY2(!QFile::exists(path), qPrintable(path));
    for (const QString& path : kept)
        QVERIFY2(QFile::exists(path), qPrintable(path));
    QCOMPARE(f.store().read(QStringLiteral("logpath"), QString()), QStringLiteral("/videos"));

    QLockFile held(ini + QStringLiteral(".lock"));
    QVERIFY(held.tryLock(0));
    QCOMPARE(removeLeftoverFiles({}, {ini}), 0);
    QVERIFY(QFile::exists(ini + QStringLiteral(".lock")));
}

QTEST_GUILESS_MAIN(TestFiles)
#include "test_files.moc"
