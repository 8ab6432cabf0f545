// The per-user settings store, the in-memory settings and the Emergency Parameter Reset.

#include "StationFixture.h"
#include "settings/EmergencyReset.h"
#include "settings/SettingsStore.h"
#include "settings/StationSettings.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace fw;
using namespace fw::test;

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keysIgnoreCaseAndWritesReachTheDiskAtOnce();
    void typedReadsOfAbsentOrUnparsableValues();
    void unreadableStoreReadsAsEmpty();
    void handEditedStoreKeepsWriting();
    void failedWritesAreReportedOncePerRun();
    void freshStoreGivesTheEffectiveDefaults();
    void derivedValues();
    void readingsTheStationActsOn();
    void resetStopsOnEitherFirstNo();
    void resetClearsWhatIsConfirmed();
};

void TestSettings::keysIgnoreCaseAndWritesReachTheDiskAtOnce()
{
    StationFixture f;
    QVERIFY(f.store().write(QStringLiteral("videoresolution"), QStringLiteral("2")));
    QCOMPARE(f.store().read(QStringLiteral("VideoResolution"), QStringLiteral("-1")),
             QStringLiteral("2"));
    QVERIFY(f.store().write(QStringLiteral("VIDEORESOLUTION"), QStringLiteral("3")));
    QVERIFY(f.store().write(QStringLiteral("logpath"), QStringLiteral("D:\\Jumps, 2026")));
    QVERIFY(f.store().write(QStringLiteral("right2left"), boolText(true)));
    // One entry, not three.
    QCOMPARE(readBytes(f.store().filePath()).toLower().count("videoresolution"), 1);
    // A second store on the same file, as the next run would open it.
    SettingsStore again(f.store().filePath());
    QCOMPARE(again.read(QStringLiteral("videoResolution"), QString()), QStringLiteral("3"));
    QCOMPARE(again.read(QStringLiteral("LOGPATH"), QString()), QStringLiteral("D:\\Jumps, 2026"));
    QCOMPARE(again.read(QStringLiteral("right2left"), QString()), QStringLiteral("True"));
    QCOMPARE(again.readBool(QStringLiteral("right2left"), false), true);
    QVERIFY(!again.contains(QStringLiteral("device")));
}

// Guards the typed read: an absent key, text or a number past an int gives the fallback.
void TestSettings::typedReadsOfAbsentOrUnparsableValues()
{
    struct Case {
        const char* key;
        const char* stored; // nullptr: never written
        int fallback, expected;
    };
    for (const Case& c : {Case{"device", nullptr, -1, -1}, Case{"grids", "three", 0, 0},
                          Case{"grids", "3", 0, 3}, Case{"compression", "1e30", -1, -1}}) {
        StationFixture f;
        if (c.stored)
            f.store().write(QLatin1String(c.key), QLatin1String(c.stored));
        QVERIFY2(f.store().readInt(QLatin1String(c.key), c.fallback) == c.expected,
                 c.stored ? c.stored : c.key);
    }
}

void TestSettings::unreadableStoreReadsAsEmpty()
{
    StationFixture f;
    const QString path = f.path(QStringLiteral("broken.ini"));
    QVERIFY(writeBytes(path, QByteArray("\x00\x01[Settings\n=====\xff\xfe", 20)));
    SettingsStore broken(path);
    QCOMPARE(broken.read(QStringLiteral("logpath"), QStringLiteral("0")), QStringLiteral("0"));
    QCOMPARE(broken.readInt(QStringLiteral("grids"), 0), 0);
}

// A store that cannot be written tells its reporter once for a run of failed writes, with the
// file named; the values read stay as they were.
void TestSettings::failedWritesAreReportedOncePerRun()
{
    StationFixture f;
    const QString blocker = f.path(QStringLiteral("not-a-folder"));
    QVERIFY(writeBytes(blocker, "a file where the store's folder should be\n"));
    SettingsStore store(blocker + QStringLiteral("/QX05.ini"));
    QStringList reports;
    store.setFailureReporter([&reports](const QString& failure) { reports.append(failure); });
    QVERIFY(!store.write(QStringLiteral("grids"), QStringLiteral("2")));
    QVERIFY(!store.write(QStringLiteral("framerate"), QStringLiteral("30")));
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().startsWith(QStringLiteral("Could not write to ")),
             qPrintable(reports.first()));
    QVERIFY(reports.first().contains(QStringLiteral("QX05.ini")));
    QCOMPARE(store.read(QStringLiteral("grids"), QStringLiteral("1")), QStringLiteral("1"));
}

// A store edited by hand (other sections, keys Qt escapes, values beyond ASCII, a list) takes
// writes as ever: the check made after each write finds nothing missing, and keeps every entry.
void TestSettings::handEditedStoreKeepsWriting()
{
    StationFixture f;
    const QString path = f.path(QStringLiteral("edited.ini"));
    QVERIFY(writeBytes(path, "[General]\nnote=kept\n[Settings]\nTournament%20Name=Nationals\n"
                             "logpath=a, b\nskier=M\xc3\xbcller\n[Other]\nx=1\n"));
    SettingsStore store(path);
    QVERIFY2(store.write(QStringLiteral("grids"), QStringLiteral("3")),
             qPrintable(store.lastFailure()));
    QVERIFY(
        store.write(QStringLiteral("TournamentName"), QStringLiteral("Jürgen's \"Cup\", day 2")));
    SettingsStore again(path);
    QCOMPARE(again.read(QStringLiteral("grids"), QString()), QStringLiteral("3"));
    QCOMPARE(again.read(QStringLiteral("logpath"), QString()), QStringLiteral("a, b"));
    QCOMPARE(again.read(QStringLiteral("skier"), QString()), QStringLiteral("Müller"));
    QCOMPARE(again.read(QStringLiteral("TournamentName"), QString()),
             QStringLiteral("Jürgen's \"Cup\", day 2"));
    QSettings raw(path, QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("note")).toString(), QStringLiteral("kept"));
    QCOMPARE(raw.value(QStringLiteral("Other/x")).toString(), QStringLiteral("1"));
    QCOMPARE(raw.value(QStringLiteral("Settings/Tournament Name")).toString(),
             QStringLiteral("Nationals"));
}

void TestSettings::freshStoreGivesTheEffectiveDefaults()
{
    StationFixture f;
    f.store().write(QStringLiteral("grids"), QStringLiteral("three"));
    StationSettings s;
    s.loadFrom(f.store());
    QCOMPARE(s.GridCount, 1); // "three" is no count
    QCOMPARE(s.TournamentType, QStringLiteral("normal"));
    QCOMPARE(s.BuoyMarker, QStringLiteral("circle"));
    QCOMPARE(s.ImpactColor, QStringLiteral("white"));
    QCOMPARE(s.VideoSavePolicy, QStringLiteral("Ask"));
    QCOMPARE(s.CaptureDevice, -1);
}

void TestSettings::derivedValues()
{
    StationFixture f;
    f.store().write(QStringLiteral("logpath"), QStringLiteral("D:\\Jumps\\ "));
    f.store().write(QStringLiteral("impactcolor"), QStringLiteral("red"));
    f.store().write(QStringLiteral("boxlineoff"), QStringLiteral("-1"));
    f.store().write(QStringLiteral("WSTIMS"), QStringLiteral("1"));
    f.store().write(QStringLiteral("grid2File"), QStringLiteral("D:\\Setup\\left.ipt"));
    StationSettings s;
    s.loadFrom(f.store());
    // The configuration screen's tests cover the choices as stored; here the other forms.
    QCOMPARE(s.VideoFolder, QStringLiteral("D:\\Jumps"));
    QCOMPARE(s.ImpactColorRgb, Rgb(0x0000FF));               // red in the low byte
    QCOMPARE(s.LineControlText, QStringLiteral("line_off")); // -1 is true as well
    QCOMPARE(s.WstimsText, QStringLiteral("WSTIMS ON"));
    QCOMPARE(s.GridFile[1], QStringLiteral("D:\\Setup\\left.ipt"));
    // Label colours of the measurement screen: one for all, or each its own by default.
    QCOMPARE(measureLabelColor(QStringLiteral("yellow"), MeasureLabel::MandatoryReride), kYellow);
    QCOMPARE(measureLabelColor(QStringLiteral("default"), MeasureLabel::MandatoryReride), kRed);
    QCOMPARE(measureLabelColor(QStringLiteral("default"), MeasureLabel::OptionalReride), kYellow);
    QCOMPARE(measureLabelColor(QStringLiteral("default"), MeasureLabel::DistanceCaption), kBlack);
    QCOMPARE(measureLabelColor(QStringLiteral("default"), MeasureLabel::OverPicture), kWhite);
}

// Guards the two readings the station acts on: the magnifier starts only for a stored 1; a
// capture time that is no positive number is the five seconds a recording starts with.
void TestSettings::readingsTheStationActsOn()
{
    struct Case {
        const char* key;
        const char* stored; // nullptr: never written
        int loupe;
        double captureSeconds;
    };
    for (const Case& c :
         {Case{"Loupe", "1", 1, 5}, Case{"Loupe", "-1", 0, 5}, Case{"Loupe", "2", 0, 5},
          Case{"Loupe", "True", 0, 5}, Case{"captureTime", nullptr, 0, 5},
          Case{"captureTime", "0", 0, 5}, Case{"captureTime", "-3", 0, 5},
          Case{"captureTime", "long", 0, 5}, Case{"captureTime", "4.5", 0, 4.5}}) {
        StationFixture f;
        if (c.stored)
            f.store().write(QLatin1String(c.key), QLatin1String(c.stored));
        StationSettings s;
        s.loadFrom(f.store());
        const QByteArray row = QByteArray(c.key) + '=' + (c.stored ? c.stored : "<absent>");
        QVERIFY2(s.LoupeOn == c.loupe && s.CaptureTime == c.captureSeconds, row.constData());
    }
}

namespace {
// Every key the reset asks about but barefoot and device, which a fresh install has not written.
void storeResetKeys(SettingsStore& store)
{
    store.write(QStringLiteral("logpath"), QStringLiteral("D:\\Jumps"));
    store.write(QStringLiteral("logfile"), QStringLiteral("JumpMeasurementLog120526.txt"));
    store.write(QStringLiteral("compression"), QStringLiteral("2"));
    store.write(QStringLiteral("framerate"), QStringLiteral("30"));
    store.write(QStringLiteral("grid1File"), QStringLiteral("D:\\Setup\\a.ipt"));
    store.write(QStringLiteral("grid2File"), QStringLiteral("D:\\Setup\\b.ipt"));
    store.write(QStringLiteral("grid3File"), QStringLiteral("D:\\Setup\\c.ipt"));
    store.write(QStringLiteral("grids"), QStringLiteral("3"));
}

QStringList resetKeys()
{
    return {QStringLiteral("logpath"),     QStringLiteral("logfile"),   QStringLiteral("barefoot"),
            QStringLiteral("compression"), QStringLiteral("device"),    QStringLiteral("framerate"),
            QStringLiteral("grid1File"),   QStringLiteral("grid2File"), QStringLiteral("grid3File"),
            QStringLiteral("grids")};
}

QStringList snapshot(SettingsStore& store)
{
    QStringList out;
    for (const QString& key : resetKeys())
        out << store.read(key, QStringLiteral("<absent>"));
    return out;
}
} // namespace

void TestSettings::resetStopsOnEitherFirstNo()
{
    for (int yes = 0; yes < 2; ++yes) {
        StationFixture f;
        storeResetKeys(f.store());
        const QStringList before = snapshot(f.store());
        if (yes)
            f.dialogs.expectMessage(DialogAnswer::Yes);
        f.dialogs.expectMessage(DialogAnswer::No);
        EmergencyReset(f.store(), f.dialogs);
        FW_VERIFY_DIALOGS(f.dialogs);
        QCOMPARE(
            f.dialogs.texts(),
            QStringList({QStringLiteral("Do you want to reset all parameters to install values?"),
                         QStringLiteral("Are you certain? This means you are crashing and "
                                        "can't operate")})
                .mid(0, yes + 1));
        QCOMPARE(snapshot(f.store()), before);
    }
}

void TestSettings::resetClearsWhatIsConfirmed()
{
    // Each key asked with its value (0 when never written), No the default; No leaves a key as it
    // was, written or not.
    StationFixture f;
    storeResetKeys(f.store());
    f.dialogs.expectMessage(DialogAnswer::Yes).expectMessage(DialogAnswer::Yes);
    const DialogAnswer answers[8] = {DialogAnswer::Yes, DialogAnswer::No,  DialogAnswer::Yes,
                                     DialogAnswer::No,  DialogAnswer::Yes, DialogAnswer::No,
                                     DialogAnswer::Yes, DialogAnswer::No};
    for (DialogAnswer a : answers)
        f.dialogs.expectMessage(a);
    EmergencyReset(f.store(), f.dialogs);
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.texts().mid(2),
             (QStringList{QStringLiteral("Logpath = D:\\Jumps Clear it?"),
                          QStringLiteral("barefoot = 0 Clear it?"),
                          QStringLiteral("compression = 2 Clear it?"),
                          QStringLiteral("device = 0 Clear it?"),
                          QStringLiteral("framerate = 30 Clear it?"),
                          QStringLiteral("Grid 1 File = D:\\Setup\\a.ipt Clear it?"),
                          QStringLiteral("Grid 2 File = D:\\Setup\\b.ipt Clear it?"),
                          QStringLiteral("Grid 3 File = D:\\Setup\\c.ipt Clear it?")}));
    for (const DialogCall& call : f.dialogs.calls())
        QCOMPARE(call.defaultButton, std::optional<DialogAnswer>(DialogAnswer::No));
    QCOMPARE(snapshot(f.store()),
             (QStringList{QString(), QString(), QStringLiteral("<absent>"), QStringLiteral("0"),
                          QStringLiteral("<absent>"), QStringLiteral("0"),
                          QStringLiteral("D:\\Setup\\a.ipt"), QString(),
                          QStringLiteral("D:\\Setup\\c.ipt"), QStringLiteral("3")}));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
