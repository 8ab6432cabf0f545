// The station shell: start-up, the main screen, the configuration screen, the session log and
// its viewer, the manual viewer.

#include "SampleGrid.h"
#include "StationFixture.h"
#include "platform/KeyboardState.h"
#include "screens/ConfigurationScreen.h"
#include "screens/MainScreen.h"
#include "screens/ManualViewer.h"
#include "screens/SessionLogViewer.h"
#include "station/Station.h"
#include "support/textfile.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

using namespace fw;
using namespace fw::test;

namespace {

const QString kFolderPrompt = QStringLiteral(
    "No Correct Save Video Directory has been set.  Please put in the path of the Save Video "
    "Directory here.");

// A station over the fixture's store, dialogs and clock. Started: on a stored, existing video
// folder with the ordinary answers (No to the reset, then the request to verify the set-up).
struct Rig {
    explicit Rig(StationFixture& f, bool started = false)
        : videos(started ? storedVideos(f) : QString()),
          station(f.store(), f.dialogs, f.clock, keys, StationPaths(f.stationFolder()))
    {
        if (started)
            station.start();
    }
    static QString storedVideos(StationFixture& f)
    {
        const QString videos = f.makeFolder(QStringLiteral("Videos"));
        f.store().write(QStringLiteral("logpath"), videos);
        f.dialogs.expectMessage(DialogAnswer::No).expectMessage(DialogAnswer::Ok);
        return videos;
    }
    QString videos;
    KeyboardState keys;
    Station station;
};

const QString kLogName = QStringLiteral("JumpMeasurementLog120526.txt");

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartAsksForTheFolderUntilItExists();
    void frameRateClassesAndBarefootTiming();
    void navigationFolderAndExit();
    void configurationChoicesFromTheStore();
    void leavingTheConfigurationScreen();
    void skierNamesFromTheConfiguredFile();
    void sessionLogAcrossStartsAndDays();
    void logViewerListsVideoLinesAndTakesThePath();
    void manualIsReadOncePerRun();
    void unreadableManualOverride();
    void storedGridsLoadAtStartup();
};

void TestShell::firstStartAsksForTheFolderUntilItExists()
{
    StationFixture f;
    const QString videos = f.makeFolder(QStringLiteral("Videos"));
    const QString typed = videos + QLatin1Char('/');
    f.store().write(QStringLiteral("grids"), QStringLiteral("5")); // out of range: one grid
    f.dialogs
        .expectMessage(DialogAnswer::No) // no emergency reset
        .expectInput(f.path(QStringLiteral("nowhere")))
        .expectMessage()
        .expectInput(std::nullopt) // Cancel counts as an empty answer
        .expectMessage()
        .expectInput(typed)
        .expectMessage(DialogAnswer::Ok); // please verify
    Rig r(f);
    r.station.start();
    FW_VERIFY_DIALOGS(f.dialogs);
    const QStringList texts = f.dialogs.texts();
    QCOMPARE(texts.at(1), kFolderPrompt);
    QCOMPARE(texts.at(2), QStringLiteral("You entered an invalid path - try  again"));
    QCOMPARE(texts.at(4), texts.at(2));
    QVERIFY(r.station.configuration().isVisible());
    QVERIFY(!r.station.mainScreen().isVisible());

    // Every configuration key written back with its effective value; the folder as typed, used
    // without its trailing separator.
    SettingsStore& s = f.store();
    const QList<QPair<const char*, const char*>> expected = {
        {"grids", "1"},
        {"right2left", "False"},
        {"boxlineoff", "False"},
        {"tournamentType", "normal"},
        {"WSTIMS", "0"},
        {"buoymarker", "circle"},
        {"labelcolor", "default"},
        {"impactcolor", "white"},
        {"PictureSave", "Ask"},
        {"VideoSave", "Ask"},
        {"barefoot", "0"},
        {"logfile", "JumpMeasurementLog120526.txt"}};
    for (const auto& [key, value] : expected)
        QCOMPARE(s.read(QLatin1String(key), QStringLiteral("<absent>")), QLatin1String(value));
    QCOMPARE(s.read(QStringLiteral("logpath"), QString()), typed);
    QCOMPARE(r.station.settings.VideoFolder, videos);
    QVERIFY(!s.contains(QStringLiteral("TournamentName")));

    // The session start line, in print zones.
    QCOMPARE(readBytes(videos + QLatin1Char('/') + kLogName),
             QByteArray("12-05-2026    14:03:09      Farwater Measurement Session started  \r\n"));
    QCOMPARE(r.station.settings.ResultsFilePath,
             videos + QStringLiteral("/JumpMeasurementResults120526.txt"));
}

void TestShell::frameRateClassesAndBarefootTiming()
{
    StationFixture f;
    f.store().write(QStringLiteral("framerate"), QStringLiteral("20")); // the start shows L
    f.store().write(QStringLiteral("barefoot"), QStringLiteral("1"));
    Rig r(f, true);
    MainScreen& main = r.station.mainScreen();
    QCOMPARE(main.form().frameRateClassLabel->text(), QStringLiteral("Currently Configured for L"));
    // Typing a rate stores it and sets the line; a rate of no class leaves the line as it was.
    for (const auto& [rate, caption] :
         {std::pair{"30", "R"}, {"10", "Normal/C"}, {"3", "Normal/C"}}) {
        main.form().frameRateEdit->clear();
        QTest::keyClicks(main.form().frameRateEdit, QLatin1String(rate));
        QCOMPARE(main.form().frameRateClassLabel->text(),
                 QStringLiteral("Currently Configured for ") + QLatin1String(caption));
        QCOMPARE(f.store().read(QStringLiteral("framerate"), QString()), QLatin1String(rate));
    }
    main.form().barefootTimingCheck->click();
    QCOMPARE(f.store().read(QStringLiteral("barefoot"), QString()), QStringLiteral("0"));
    QCOMPARE(r.station.settings.BarefootTiming15s, 0);
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestShell::navigationFolderAndExit()
{
    StationFixture f;
    Rig r(f, true);
    r.station.configuration().exitAndSave();
    MainScreen& main = r.station.mainScreen();
    f.dialogs.clear();

    // A video folder that has gone: the capture and review buttons refuse.
    main.form().videoFolderEdit->setText(f.path(QStringLiteral("gone")));
    f.dialogs.expectMessage().expectMessage();
    main.goToCapture();
    main.reviewVideos();
    for (const DialogCall& call : f.dialogs.calls())
        QCOMPARE(call.text, QStringLiteral("The Log File Folder you specified does not exist. "
                                           "Please change it to a Folder that does exist."));
    QVERIFY(main.isVisible());
    QVERIFY(r.station.arrivedFrom == ArrivedFrom::Elsewhere);

    // Measuring with a grid in use that is not set up leads to the grid set-up screen.
    f.dialogs.expectMessage();
    main.reviewPictures();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.station.screenWidget(Screen::GridSetup)->isVisible());
    r.station.show(Screen::Main, r.station.screenWidget(Screen::GridSetup));

    // With the folder back, the review button opens the frame selection screen.
    main.form().videoFolderEdit->setText(r.videos);
    main.reviewVideos();
    QVERIFY(r.station.screenWidget(Screen::FrameSelection)->isVisible());
    QVERIFY(!main.isVisible());
    r.station.show(Screen::Main, r.station.screenWidget(Screen::FrameSelection));

    // Another video folder: one that does not exist is refused, an empty answer changes nothing.
    const QString other = f.makeFolder(QStringLiteral("Other"));
    f.dialogs.expectInput(f.path(QStringLiteral("missing")))
        .expectMessage()
        .expectInput(other)
        .expectInput(QString());
    main.changeVideoFolder();
    main.changeVideoFolder();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(main.form().videoFolderLabel->text(), other);
    QCOMPARE(f.store().read(QStringLiteral("logpath"), QString()), other);
    QCOMPARE(r.station.settings.VideoFolder, other);

    // Exit ends the program, closing the log viewer with it.
    r.station.openLogView(&main);
    main.exitStation();
    QVERIFY(r.station.quitRequested());
    QVERIFY(!main.isVisible());
    QVERIFY(r.station.logView() == nullptr);
}

void TestShell::configurationChoicesFromTheStore()
{
    StationFixture f;
    // A choice of each kind: a number, a direction, a type, a switch, a marker, a save policy.
    const QList<QPair<const char*, const char*>> stored = {
        {"grids", "3"},  {"right2left", "True"},  {"tournamentType", "sitski"},
        {"WSTIMS", "1"}, {"buoymarker", "cross"}, {"PictureSave", "NoSave"}};
    for (const auto& [key, value] : stored)
        f.store().write(QLatin1String(key), QLatin1String(value));
    Rig r(f, true);
    ConfigurationScreenForm& c = r.station.configuration().form();
    const StationSettings& s = r.station.settings;
    for (QAbstractButton* on : std::initializer_list<QAbstractButton*>{
             c.threeGridsOption, c.rightToLeftOption, c.sitSkiCheck, c.wstimsCheck,
             c.crossMarkerOption, c.neverSavePictureOption})
        QVERIFY2(on->isChecked(), qPrintable(on->objectName()));
    // A change of a save option is written at once but used from the next start.
    c.alwaysSavePictureOption->click();
    QCOMPARE(f.store().read(QStringLiteral("PictureSave"), QString()), QStringLiteral("Save"));
    QCOMPARE(s.PictureSavePolicy, QStringLiteral("NoSave"));

    // The tournament types exclude each other; none checked is a normal tournament.
    const auto type = [&f] { return f.store().read(QStringLiteral("tournamentType"), QString()); };
    c.barefootCheck->click();
    QVERIFY(c.barefootCheck->isChecked() && !c.sitSkiCheck->isChecked());
    QVERIFY(s.BarefootOn && !s.SitSkiOn);
    QCOMPARE(type(), QStringLiteral("barefoot"));
    c.barefootCheck->click();
    QCOMPARE(type(), QStringLiteral("normal"));
}

void TestShell::leavingTheConfigurationScreen()
{
    StationFixture f;
    Rig r(f, true);
    ConfigurationScreen& c = r.station.configuration();
    c.form().tournamentEdit->setText(QStringLiteral("Spring Cup"));
    c.tournamentEdited();
    c.form().picturesFolderEdit->setText(f.path(QStringLiteral("Pics  ")));
    c.picturesFolderEdited();
    c.exitAndSave();
    QVERIFY(r.station.mainScreen().isVisible());
    QCOMPARE(r.station.settings.PicturesFolder, f.path(QStringLiteral("Pics")) + QDir::separator());
    QCOMPARE(f.store().read(QStringLiteral("TournamentName"), QString()),
             QStringLiteral("Spring Cup"));

    f.clock.advanceSeconds(61);
    r.station.mainScreen().goToConfiguration();
    c.exitAndSave();
    QCOMPARE(readBytes(r.videos + QStringLiteral("/JumpMeasurementResults120526.txt")),
             QByteArray("New Configuration: 12-05-2026  14:03:09 Spring Cup\r\n"
                        "New Configuration: 12-05-2026  14:04:10 Spring Cup\r\n"));

    // An emptied results path is refused with a message.
    f.dialogs.expectMessage();
    c.form().resultsFileEdit->clear();
    c.resultsFileEdited();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.station.settings.ResultsFilePath.isEmpty());
}

void TestShell::skierNamesFromTheConfiguredFile()
{
    StationFixture f;
    Rig r(f, true);
    ConfigurationScreen& c = r.station.configuration();
    const QString names = f.path(QStringLiteral("names.txt"));
    QVERIFY(writeBytes(names, "Smith,John\r\n\"Doe, Jane\"\r\n"));
    f.dialogs.expectOpenFile(names);
    c.findSkierNameFile();
    c.exitAndSave();
    QCOMPARE(r.station.skierNames, (QStringList{QStringLiteral("Smith"), QStringLiteral("John"),
                                                QStringLiteral("Doe, Jane")}));

    // A file that has gone is reported.
    r.station.mainScreen().goToConfiguration();
    QFile::remove(names);
    f.dialogs.expectMessage();
    c.exitAndSave();
    QCOMPARE(f.dialogs.texts().last(),
             QStringLiteral("Names not loaded, check file name and path"));
    FW_VERIFY_DIALOGS(f.dialogs);

    // The results file of a new day, not there yet, can be chosen.
    const QString tomorrow = f.path(QStringLiteral("JumpMeasurementResults120626.txt"));
    f.dialogs.expectSaveFile(tomorrow);
    c.form().findResultsFileButton->click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(r.station.settings.ResultsFilePath, tomorrow);
}

void TestShell::sessionLogAcrossStartsAndDays()
{
    StationFixture f;
    QString videos;
    for (int start = 0; start < 2; ++start) {
        Rig r(f, true);
        videos = r.videos;
        f.clock.advanceSeconds(3600);
    }
    const QByteArray startLine = "Farwater Measurement Session started  \r\n";
    QCOMPARE(readBytes(videos + QLatin1Char('/') + kLogName).count(startLine), 2);

    // A run that starts late goes past midnight: it keeps the start day's file, also after the
    // video folder changes.
    f.clock.set(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 0)));
    Rig r(f, true);
    const QString nextDay = QStringLiteral("JumpMeasurementLog120626.txt");
    f.clock.advanceSeconds(120);
    const QString other = f.makeFolder(QStringLiteral("Other"));
    r.station.mainScreen().form().videoFolderEdit->setText(other);
    r.station.mainScreen().onVideoFolderEdited();
    QVERIFY(r.station.sessionLog.append(r.station.settings.VideoFolder, {QStringLiteral("x")},
                                        f.dialogs));
    QCOMPARE(readBytes(other + QLatin1Char('/') + nextDay), QByteArray("x\r\n"));

    // A log that cannot be written is told once, not once per line.
    f.dialogs.clear();
    f.dialogs.expectMessage();
    const QString gone = f.path(QStringLiteral("gone"));
    QVERIFY(!r.station.sessionLog.append(gone, {QStringLiteral("a")}, f.dialogs));
    QVERIFY(!r.station.sessionLog.append(gone, {QStringLiteral("b")}, f.dialogs));
    FW_VERIFY_DIALOGS(f.dialogs);
}

void TestShell::logViewerListsVideoLinesAndTakesThePath()
{
    StationFixture f;
    Rig r(f, true);
    r.station.configuration().exitAndSave();
    const QString video = QStringLiteral(
        "12-05-2026    14:10:00      Skier: Smith  Jump: 3       Contact Frame:  123         "
        "File: /videos/Smithjump3.avi");
    const QString picture = QStringLiteral(
        "12-05-2026    14:12:00      Skier: Smith  Jump:  2      Distance:  45.6m            "
        "File: /pics/Smithjump2.bmp");
    // Only lines ending in avi; the path is what follows the first "File: ".
    QVERIFY(appendLines(r.station.sessionLog.path(r.videos),
                        {video, picture, QStringLiteral("a  File: /v/File: x/Smithjump1.avi"),
                         QStringLiteral("c  no path here.avi")})
                .ok());
    SessionLogViewer* view = r.station.openLogView(&r.station.mainScreen());
    QCOMPARE(view->videoLinesList->count(), 3);
    QCOMPARE(view->videoLinesList->item(0)->text(), video);
    view->videoLinesList->setCurrentRow(1);
    view->onLineChosen();
    QCOMPARE(view->videoPathEdit->text(), QStringLiteral("/v/File: x/Smithjump1.avi"));
    view->videoLinesList->setCurrentRow(2);
    view->onLineDoubleClicked();
    QCOMPARE(view->videoPathEdit->text(), QString());
    QVERIFY(r.station.arrivedFrom == ArrivedFrom::Elsewhere);
    // Another log chosen.
    const QString older = f.path(QStringLiteral("Videos/JumpMeasurementLog120426.txt"));
    QVERIFY(appendLines(older, {video, video}).ok());
    f.dialogs.expectOpenFile(older);
    view->chooseLogFile();
    QCOMPARE(view->videoLinesList->count(), 2);
    view->exitButton->click();
    QTRY_VERIFY(r.station.logView() == nullptr);
}

namespace {

// The pictures a manual names: each one's name, whether the manual viewer finds and reads it,
// and the width it is given.
struct ManualPicture {
    QString name;
    bool found;
    double width;
};
QList<ManualPicture> manualPictures(QTextBrowser& browser)
{
    QList<ManualPicture> pictures;
    for (QTextBlock b = browser.document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (const QTextCharFormat format = it.fragment().charFormat(); format.isImageFormat()) {
                const QTextImageFormat image = format.toImageFormat();
                const QVariant data =
                    browser.loadResource(QTextDocument::ImageResource, QUrl(image.name()));
                pictures.append(
                    {image.name(), !QImage::fromData(data.toByteArray()).isNull(), image.width()});
            }
    return pictures;
}

} // namespace

void TestShell::manualIsReadOncePerRun()
{
    StationFixture f;
    const QString own = f.stationFolder() + QStringLiteral("/QX05Manual.md");
    QVERIFY(writeBytes(own, "# Lake Manual\n\nOur own notes.\n\n![The lake](lake.png)\n"));
    QImage lake(8, 8, QImage::Format_RGB32);
    lake.fill(Qt::blue);
    QVERIFY(lake.save(f.stationFolder() + QStringLiteral("/lake.png")));
    Rig r(f, true);
    r.station.configuration().exitAndSave();
    r.station.mainScreen().openManual();
    ManualViewer& manual = r.station.manual();
    QVERIFY(manual.isVisible() && !r.station.mainScreen().isVisible());
    QVERIFY(manual.manualText->toPlainText().contains(QLatin1String("Our own notes.")));
    // A local manual's pictures are found beside it.
    const auto pictures = manualPictures(*manual.manualText);
    QCOMPARE(pictures.size(), 1);
    QVERIFY(pictures[0].name == QLatin1String("lake.png") && pictures[0].found);
    manual.returnToMainScreen();
    QVERIFY(r.station.mainScreen().isVisible());
    QVERIFY(writeBytes(own, "# Changed\n"));
    r.station.mainScreen().openManual();
    QVERIFY(manual.manualText->toPlainText().contains(QLatin1String("Our own notes.")));
}

void TestShell::unreadableManualOverride()
{
    StationFixture f;
    // An override that cannot be read (a folder of that name): the built-in manual with a note.
    QDir(f.stationFolder()).mkdir(QStringLiteral("QX05Manual.md"));
    Rig r(f, true);
    ManualViewer& manual = r.station.manual();
    const QString text = manual.manualText->toPlainText();
    QVERIFY2(text.startsWith(QLatin1String("Could not read")), qPrintable(text.left(200)));
    QVERIFY(text.contains(QLatin1String("Operator's Manual")));
    // Every picture of the built-in manual is built in with it and, shown, fits the text area
    // (the screenshots are wider than the window).
    manual.resize(700, 600);
    manual.show();
    QVERIFY(QTest::qWaitForWindowExposed(&manual));
    const int room = manual.manualText->viewport()->width();
    const auto pictures = manualPictures(*manual.manualText);
    QVERIFY(pictures.size() >= 6);
    for (const ManualPicture& p : pictures)
        QVERIFY2(p.found && p.width > 0 && p.width <= room, qPrintable(p.name));
}

void TestShell::storedGridsLoadAtStartup()
{
    StationFixture f;
    const QString setup = f.makeFolder(QStringLiteral("Setup"));
    const QString one = setup + QStringLiteral("/north.ipt");
    const QString three = setup + QStringLiteral("/old.ipt");
    QVERIFY(writeSampleGrid(one, 1, true));
    QVERIFY(writeSampleGrid(three, 3, false));
    f.store().write(QStringLiteral("grid1File"), one);
    f.store().write(QStringLiteral("grid2File"), setup + QStringLiteral("/gone.ipt"));
    f.store().write(QStringLiteral("grid3File"), three);
    f.dialogs.expectMessage(); // after the ordinary start's: grid 3 has no check buoy file
    Rig r(f, true);
    FW_VERIFY_DIALOGS(f.dialogs);
    QCOMPARE(f.dialogs.texts().at(2),
             QStringLiteral("Error in load - no check buoy found - setup grid again"));

    // Grid 1 is loaded and ready, and the main screen says so; the distance on it is checked
    // with the grid files.
    QVERIFY(r.station.allGridsReady());
    QVERIFY(r.station.mainScreen().gridShownReady(1));
    QVERIFY(!r.station.mainScreen().gridShownReady(2));
    // One load record reached the results file (grid 3 wrote none).
    QCOMPARE(readBytes(r.videos + QStringLiteral("/JumpMeasurementResults120526.txt"))
                 .count("New Set-up now in place"),
             1);
}

QTEST_MAIN(TestShell)
#include "test_shell.moc"
