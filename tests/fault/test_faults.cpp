// The station's writers on a full disk and under a kill. Each writer runs in a child process (this
// same program, started with "--writer"): on a full disk the child's files may grow only to a
// limit (RLIMIT_FSIZE, with SIGXFSZ ignored so that the write fails as on a full disk instead of
// killing the child); for the kill test the child writes without end and is killed at random
// moments. The parent then reads what was left on the disk.

#include "SampleGrid.h"
#include "ScriptedDialogs.h"
#include "StationFixture.h"
#include "grid/GridFiles.h"
#include "grid/GridState.h"
#include "log/SessionLog.h"
#include "measure/ResultsFile.h"
#include "settings/SettingsStore.h"
#include "settings/StationSettings.h"
#include "support/cDIB.h"
#include "support/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using namespace fw;
using namespace fw::test;

namespace {

// ---------------------------------------------------------------------------------------------
// The child: one writer, its outcome and every message on standard output.

QStringList numberedLines(const QString& tag, int count, int width)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i) {
        QString line = QStringLiteral("%1 line %2 ").arg(tag).arg(i, 3, 10, QLatin1Char('0'));
        lines << line.leftJustified(width, QLatin1Char('.'));
    }
    return lines;
}

// A replacement's contents that tell whether they are whole: a first line naming the version,
// filler, and a last line naming it again.
QByteArray versionContents(int version, int bytes)
{
    QByteArray out = "version " + QByteArray::number(version) + "\r\n";
    while (out.size() < bytes - 20)
        out += QByteArray(60, char('a' + version % 26)) + "\r\n";
    return out + "end " + QByteArray::number(version) + "\r\n";
}

bool wholeVersion(const QByteArray& bytes)
{
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 3 || !lines.last().isEmpty())
        return false;
    const QByteArray first = lines.first().trimmed();
    const QByteArray last = lines.at(lines.size() - 2).trimmed();
    return first.startsWith("version ") && last == "end " + first.mid(8) &&
           bytes == versionContents(first.mid(8).toInt(), bytes.size());
}

QByteArray packedFrame(int width, int height)
{
    BitmapInfoHeader h;
    h.size = 40;
    h.width = width;
    h.height = height;
    h.planes = 1;
    h.bitCount = 24;
    h.sizeImage = quint32(((width * 3 + 3) & ~3) * height);
    QByteArray packed = h.toBytes();
    packed.append(QByteArray(qsizetype(h.sizeImage), char(0x5a)));
    return packed;
}

// The sample grid saved through the grid setup's Save, with its description as given.
bool saveGrid(const QString& folder, const QString& name, const QString& description,
              ScriptedDialogs& dialogs, SettingsStore& store)
{
    GridState grids;
    StationSettings settings;
    settings.SetupFilesFolder = folder;
    settings.GridCount = 1;
    GridEntries entries = entriesFromGrid(sampleGrid(), 1);
    dialogs.expectSaveFile(QDir(folder).filePath(name))
        .expectInput(description)
        .expectMessage(DialogAnswer::Yes);
    return SaveGrid(entries, grids, settings, store, dialogs).done;
}

int runWriter(QStringList args)
{
    const qint64 limit = args.takeFirst().toLongLong();
#ifdef Q_OS_UNIX
    std::signal(SIGXFSZ, SIG_IGN);
    auto setLimit = [](qint64 bytes) {
        rlimit rl{};
        getrlimit(RLIMIT_FSIZE, &rl);
        rl.rlim_cur = bytes > 0 ? rlim_t(bytes) : rl.rlim_max;
        return setrlimit(RLIMIT_FSIZE, &rl) == 0;
    };
    if (!setLimit(limit))
        return 3;
#else
    auto setLimit = [](qint64) { return false; };
    if (limit > 0)
        return 3;
#endif
    const QString mode = args.takeFirst();
    ScriptedDialogs dialogs;
    QStringList out;
    auto outcome = [&](const Outcome& o) { out << (o.ok() ? QStringLiteral("ok") : o.message()); };

    if (mode == QLatin1String("replace")) {
        outcome(replaceFile(args[0], versionContents(args[2].toInt(), args[1].toInt())));
    } else if (mode == QLatin1String("append")) {
        outcome(appendLines(args[0], numberedLines(args[2], args[1].toInt(), 75)));
    } else if (mode == QLatin1String("log")) {
        SessionLog log;
        log.setFileName(QStringLiteral("JumpMeasurementLog120526.txt"));
        dialogs.expectMessage();
        out << (log.append(args[0], {args[1]}, dialogs) ? QStringLiteral("ok")
                                                        : QStringLiteral("failed"));
    } else if (mode == QLatin1String("settings")) {
        SettingsStore store(args[0]);
        out << (store.write(args[1], args[2]) ? QStringLiteral("ok") : store.lastFailure());
    } else if (mode == QLatin1String("bitmap")) {
        cDIB dib;
        const QByteArray packed = packedFrame(args[1].toInt(), args[2].toInt());
        dib.CreateFromPackedDIBPointer(packed.constData(), packed.size());
        out << (dib.WriteToFile(args[0]) ? QStringLiteral("ok") : QStringLiteral("failed"));
    } else if (mode == QLatin1String("grid")) {
        SettingsStore store(QDir(args[0]).filePath(QStringLiteral("grid-settings.ini")));
        out << (saveGrid(args[0], args[1], args[2], dialogs, store) ? QStringLiteral("ok")
                                                                    : QStringLiteral("failed"));
    } else if (mode == QLatin1String("results")) {
        // A long entry refused by the full disk, then room again and one more entry.
        dialogs.expectMessage();
        ResultsFile results(dialogs, args[1]);
        const bool first = results.append(args[0], numberedLines(QStringLiteral("first"), 40, 75));
        setLimit(0);
        const bool second = results.append(args[0], QStringLiteral("second entry"));
        out << QStringLiteral("%1 %2").arg(first).arg(second);
    } else if (mode == QLatin1String("churn")) {
        // Writes every kind of the station's files over and over until killed.
        const QDir dir(args[0]);
        SettingsStore store(dir.filePath(QStringLiteral("QX05.ini")));
        for (int version = 1;; ++version) {
            replaceFile(dir.filePath(QStringLiteral("qxresult.dst")),
                        versionContents(version, 100 + version % 7 * 2000));
            appendLines(dir.filePath(QStringLiteral("results.txt")),
                        numberedLines(QStringLiteral("entry %1").arg(version), 40, 75));
            store.write(QStringLiteral("version"), QString::number(version));
            cDIB dib;
            const QByteArray packed = packedFrame(64 + version % 5, 48);
            dib.CreateFromPackedDIBPointer(packed.constData(), packed.size());
            dib.WriteToFile(dir.filePath(QStringLiteral("currentcapture.bmp")));
            ScriptedDialogs gridDialogs;
            saveGrid(dir.path(), QStringLiteral("north.ipt"),
                     QStringLiteral("version %1").arg(version), gridDialogs, store);
        }
    } else {
        return 2;
    }
    out << dialogs.texts();
    std::fputs(out.join(QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The parent's side.

struct ChildAnswer {
    QString outcome;
    QStringList messages;
};

// Runs one writer in a child process whose files may grow to `limit` bytes (0: no limit).
ChildAnswer runChild(qint64 limit, const QStringList& args)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                QStringList{QStringLiteral("--writer"), QString::number(limit)} + args);
    if (!child.waitForFinished(60000) || child.exitCode() != 0) {
        child.kill();
        child.waitForFinished();
        return {QStringLiteral("child failed: ") + child.readAllStandardError(), {}};
    }
    QStringList lines = QString::fromLocal8Bit(child.readAllStandardOutput()).split('\n');
    ChildAnswer answer;
    answer.outcome = lines.takeFirst();
    answer.messages = lines;
    return answer;
}

// The same with the arguments given as plain strings or QStrings.
template <typename... Args> ChildAnswer child(qint64 limit, const Args&... args)
{
    return runChild(limit, QStringList{QString(args)...});
}

// The system's words for a file grown past its limit, as Qt gives them.
QString tooLarge()
{
    return qt_error_string(EFBIG);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void wholeFileWritersKeepTheOldFileOnAFullDisk();
    void gridSaveKeepsItsFilesOnAFullDisk();
    void appendsAreAllOrNothingOnAFullDisk();
    void refusedResultsArriveOnceWhenThereIsRoom();
    void settingsSurviveAFullDisk();
    void killedWritersLeaveWholeFiles();
};

void TestFaults::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("the disk-full and kill harness needs POSIX resource limits and signals");
#endif
}

// The contact frame's bitmap and an exchange file replaced on a full disk: the old files stay
// byte for byte, and the failure names the file and the system's reason. A small file (held in a
// buffer until the final flush) and a large one fail alike.
void TestFaults::wholeFileWritersKeepTheOldFileOnAFullDisk()
{
    StationFixture f;
    const QString dst = f.path(QStringLiteral("qxresult.dst"));
    QCOMPARE(child(0, "replace", dst, "100", "1").outcome, QStringLiteral("ok"));
    const QByteArray old = readBytes(dst);
    for (const char* bytes : {"3000", "40000"}) {
        QCOMPARE(child(2048, "replace", dst, bytes, "2").outcome,
                 QStringLiteral("Could not write to %1: %2").arg(dst, tooLarge()));
        QCOMPARE(readBytes(dst), old);
    }

    const QString bitmap = f.path(QStringLiteral("currentcapture.bmp"));
    QCOMPARE(child(0, "bitmap", bitmap, "8", "8").outcome, QStringLiteral("ok"));
    const QByteArray oldBitmap = readBytes(bitmap);
    QCOMPARE(child(4096, "bitmap", bitmap, "64", "64").outcome, QStringLiteral("failed"));
    QCOMPARE(readBytes(bitmap), oldBitmap);

    // Nothing of the refused writes is left beside the files.
    for (const QString& name : QDir(f.root()).entryList(QDir::Files))
        QVERIFY2(!name.contains(QLatin1String(".fwsave")), qPrintable(name));
}

// A grid saved again through the grid setup's Save on a full disk keeps both old files.
void TestFaults::gridSaveKeepsItsFilesOnAFullDisk()
{
    StationFixture f;
    const QString setup = f.makeFolder(QStringLiteral("setup"));
    QCOMPARE(child(0, "grid", setup, "north.ipt", "old").outcome, QStringLiteral("ok"));
    const QString grid = QDir(setup).filePath(QStringLiteral("north.ipt"));
    const QByteArray oldGrid = readBytes(grid);
    const QByteArray oldCheckBuoy = readBytes(checkBuoyFilePath(grid));
    QVERIFY(!oldGrid.isEmpty() && !oldCheckBuoy.isEmpty());
    const ChildAnswer refused = child(oldGrid.size() + 50, "grid", setup, "north.ipt",
                                      QStringLiteral("new ") + QString(200, QLatin1Char('x')));
    QCOMPARE(refused.outcome, QStringLiteral("failed"));
    QVERIFY2(refused.messages.join(' ').contains(tooLarge()),
             qPrintable(refused.messages.join('|')));
    QCOMPARE(readBytes(grid), oldGrid);
    QCOMPARE(readBytes(checkBuoyFilePath(grid)), oldCheckBuoy);
}

// An entry that does not fit leaves the results file or the session log exactly as it was,
// never a torn line; the message gives the system's reason.
void TestFaults::appendsAreAllOrNothingOnAFullDisk()
{
    StationFixture f;
    const QString results = f.path(QStringLiteral("results.txt"));
    QVERIFY(writeBytes(results, encodeLines(numberedLines(QStringLiteral("earlier"), 10, 75))));
    const QByteArray before = readBytes(results);
    QCOMPARE(child(before.size() + 1500, "append", results, "40", "entry").outcome,
             QStringLiteral("Could not write to %1: %2").arg(results, tooLarge()));
    QCOMPARE(readBytes(results), before);

    const QString videos = f.makeFolder(QStringLiteral("videos"));
    const QString log = QDir(videos).filePath(QStringLiteral("JumpMeasurementLog120526.txt"));
    QVERIFY(writeBytes(log, "12-05-2026    14:03:09      started\r\n"));
    const QByteArray logBefore = readBytes(log);
    const ChildAnswer logAnswer = child(logBefore.size() + 10, "log", videos,
                                        QStringLiteral("File: ") + QString(300, QLatin1Char('v')));
    QCOMPARE(logAnswer.outcome, QStringLiteral("failed"));
    QVERIFY(logAnswer.messages.value(0).contains(tooLarge()));
    QCOMPARE(readBytes(log), logBefore);
}

// The 40-line entry refused by a full disk waits and arrives once, whole, before the next entry.
void TestFaults::refusedResultsArriveOnceWhenThereIsRoom()
{
    StationFixture f;
    const QString results = f.path(QStringLiteral("results.txt"));
    const QString pending = f.path(QStringLiteral("station/pending.txt"));
    QVERIFY(writeBytes(results, "earlier\r\n"));
    QCOMPARE(child(1600, "results", results, pending).outcome, QStringLiteral("0 1"));
    QCOMPARE(QString::fromLatin1(readBytes(results)),
             QString::fromLatin1("earlier\r\n" +
                                 encodeLines(numberedLines(QStringLiteral("first"), 40, 75)) +
                                 "second entry\r\n"));
}

// A settings write that does not fit keeps every earlier setting, reports the system's reason,
// and the store reads on as before.
void TestFaults::settingsSurviveAFullDisk()
{
    StationFixture f;
    const QString ini = f.path(QStringLiteral("settings/QX05.ini"));
    {
        SettingsStore store(ini);
        QVERIFY(store.write(QStringLiteral("logpath"), QStringLiteral("/data/videos")));
        QVERIFY(store.write(QStringLiteral("grid1File"), QStringLiteral("/data/setup/north.ipt")));
        QVERIFY(store.write(QStringLiteral("framerate"), QStringLiteral("29.97")));
    }
    const QByteArray before = readBytes(ini);
    const qint64 limit = before.size() + 100;
    const ChildAnswer answer =
        child(limit, "settings", ini, "TournamentName", QString(400, QLatin1Char('T')));
    QVERIFY2(answer.outcome.startsWith(QStringLiteral("Could not write to ")) &&
                 answer.outcome.endsWith(tooLarge()),
             qPrintable(answer.outcome));
    QCOMPARE(readBytes(ini), before);
    SettingsStore store(ini);
    QCOMPARE(store.read(QStringLiteral("grid1File"), QString()),
             QStringLiteral("/data/setup/north.ipt"));
    QCOMPARE(store.read(QStringLiteral("framerate"), QString()), QStringLiteral("29.97"));
    QVERIFY(!store.contains(QStringLiteral("TournamentName")));
    // A value that fits is written as ever under the same limit.
    QCOMPARE(child(limit, "settings", ini, "grids", "2").outcome, QStringLiteral("ok"));
    QCOMPARE(SettingsStore(ini).read(QStringLiteral("grids"), QString()), QStringLiteral("2"));
}

// A station killed at random moments while it writes: every replaced file is an old or a new
// version, whole; the results file holds whole lines of whole entries; the settings keep their
// keys; a grid file reads. What the kills leave behind is cleaned away at the next start.
void TestFaults::killedWritersLeaveWholeFiles()
{
    StationFixture f;
    const QDir dir(f.makeFolder(QStringLiteral("station")));
    const QString ini = dir.filePath(QStringLiteral("QX05.ini"));
    {
        SettingsStore store(ini);
        QVERIFY(store.write(QStringLiteral("logpath"), QStringLiteral("/data/videos")));
    }
    QRandomGenerator random(20261205);
    int replacedSeen = 0;
    for (int kill = 0; kill < 40; ++kill) {
        QProcess child;
        child.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--writer"), QStringLiteral("0"), QStringLiteral("churn"), dir.path()});
        QVERIFY(child.waitForStarted());
        QTest::qWait(int(random.bounded(30, 250)));
        child.kill();
        QVERIFY(child.waitForFinished());

        const QString dst = dir.filePath(QStringLiteral("qxresult.dst"));
        if (QFile::exists(dst)) {
            QVERIFY2(wholeVersion(readBytes(dst)), qPrintable(QString::number(kill)));
            ++replacedSeen;
        }
        const QList<QByteArray> lines =
            readBytes(dir.filePath(QStringLiteral("results.txt"))).split('\n');
        QVERIFY(lines.last().isEmpty());
        QCOMPARE((lines.size() - 1) % 40, 0);
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            QVERIFY2(lines[i].size() == 76 && lines[i].endsWith('\r') &&
                         lines[i].contains(QByteArray(" line ") +
                                           QByteArray::number(i % 40 + 1).rightJustified(3, '0')),
                     lines[i].constData());
        QSettings settings(ini, QSettings::IniFormat);
        QCOMPARE(settings.value(QStringLiteral("Settings/logpath")).toString(),
                 QStringLiteral("/data/videos"));
        const QString bitmap = dir.filePath(QStringLiteral("currentcapture.bmp"));
        if (QFile::exists(bitmap)) {
            const QByteArray bytes = readBytes(bitmap);
            QVERIFY(bytes.size() > 54 && bytes.startsWith("BM") &&
                    qFromLittleEndian<quint32>(bytes.constData() + 2) == quint32(bytes.size()));
        }
        const QString grid = dir.filePath(QStringLiteral("north.ipt"));
        if (QFile::exists(grid))
            QVERIFY2(readGridFiles(grid).ok(), qPrintable(readGridFiles(grid).message()));
    }
    QVERIFY(replacedSeen > 0);

    removeLeftoverFiles({dir.path()}, {ini});
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(!name.contains(QLatin1String(".fwsave")) && !name.startsWith("QX05.ini."),
                 qPrintable(name));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--writer") == 0)
        return runWriter(app.arguments().mid(2));
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_faults.moc"
