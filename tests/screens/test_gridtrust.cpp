// No grid measures unless it passed its checks, whichever road leads to the measurement screen:
// a refused grid saved and loaded again, the same grid at the next start, a grid saved before it
// was ever solved, and a number of grids raised over a slot never set up.

#include "SampleGrid.h"
#include "StationFixture.h"
#include "grid/GridFiles.h"
#include "platform/KeyboardState.h"
#include "screens/ConfigurationScreen.h"
#include "screens/GridSetupScreen.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "station/Station.h"
#include "support/textfile.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

using namespace fw;
using namespace fw::test;

namespace {

const QString kNotReady = QStringLiteral(
    "At least one measurement grid that you have specified has not been set up.  All grids "
    "specified must be set up correctly before you can use the measurement screen");

// The one message `act` shows, or what went wrong when it shows another number of dialogs.
QString onlyMessage(ScriptedDialogs& dialogs, const std::function<void()>& act)
{
    dialogs.clear();
    dialogs.expectMessage();
    act();
    const QString problems = dialogs.problems();
    return problems.isEmpty() ? dialogs.texts().last() : QStringLiteral("dialogs: ") + problems;
}

// A started station with `gridCount` grids in use and, when given, a stored grid 1 file; left on
// the main screen. Stored grids that do not prove themselves are told at the start:
// `startMessages`.
struct Rig {
    Rig(StationFixture& f, int gridCount, const QString& grid1 = QString(), int startMessages = 0)
    {
        videos = f.makeFolder(QStringLiteral("Videos"));
        setupFolder = f.makeFolder(QStringLiteral("Setup"));
        f.store().write(QStringLiteral("logpath"), videos);
        f.store().write(QStringLiteral("SetupFiles"), setupFolder);
        f.store().write(QStringLiteral("grids"), QString::number(gridCount));
        if (!grid1.isEmpty())
            f.store().write(QStringLiteral("grid1File"), grid1);
        f.dialogs.expectMessage(DialogAnswer::No).expectMessage();
        for (int i = 0; i < startMessages; ++i)
            f.dialogs.expectMessage();
        station = std::make_unique<Station>(f.store(), f.dialogs, f.clock, keys,
                                            StationPaths(f.stationFolder()));
        station->start();
        station->configuration().exitAndSave();
    }
    GridSetupScreen& g() { return station->gridSetup(); }
    MainScreen& main() { return station->mainScreen(); }
    bool measureShown() const
    {
        return station->created(Screen::Measurement) && station->measurement().isVisible();
    }
    // The sample grid entered on the grid setup screen, its check buoy `checkOff_twips` to the
    // right of where it belongs.
    void enterSampleGrid(double checkOff_twips)
    {
        const auto click = [this](QRadioButton* option, double X, double Y) {
            option->click();
            const ScreenPoint p = samplePicturePoint(X, Y);
            g().placeChosenPoint({p.x, p.y});
        };
        click(g().form().upperLeftOption, 20, 40);
        click(g().form().upperRightOption, 60, 40);
        click(g().form().lowerLeftOption, 20, 0);
        click(g().form().lowerRightOption, 60, 0);
        click(g().form().checkBuoyOption, 40 + checkOff_twips / 250, 20);
        const GridSetupScreenForm& form = g().form();
        const std::pair<QLineEdit*, const char*> typed[] = {{form.upperLeftSurveyXEdit, "20"},
                                                            {form.upperLeftSurveyYEdit, "40"},
                                                            {form.upperRightSurveyXEdit, "60"},
                                                            {form.upperRightSurveyYEdit, "40"},
                                                            {form.lowerLeftSurveyXEdit, "20"},
                                                            {form.lowerLeftSurveyYEdit, "0"},
                                                            {form.lowerRightSurveyXEdit, "60"},
                                                            {form.lowerRightSurveyYEdit, "0"},
                                                            {form.jumpXEdit, "0"},
                                                            {form.jumpYEdit, "20"},
                                                            {form.checkBuoySurveyXEdit, "40"},
                                                            {form.checkBuoySurveyYEdit, "20"}};
        for (const auto& [field, text] : typed) {
            field->selectAll();
            QTest::keyClicks(field, QLatin1String(text));
        }
    }

    KeyboardState keys;
    std::unique_ptr<Station> station;
    QString videos;
    QString setupFolder;
};

} // namespace

class TestGridTrust : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedGridStaysRefusedAfterSaveLoadAndRestart();
    void gridSavedBeforeItWasSolvedNeverMeasures();
    void raisingTheNumberOfGridsNeedsTheNewGrid();
    void checkBuoyPredictedOffThePicture();
};

// Guards the road a refused grid took into the measurement screen: refused at Complete, saved,
// loaded back, and stored for the next start. Every load proves the grid and refuses it with one
// message naming its file; the main screen never shows it ready and refuses to measure.
void TestGridTrust::refusedGridStaysRefusedAfterSaveLoadAndRestart()
{
    StationFixture f;
    QString file;
    {
        Rig r(f, 1);
        r.main().goToGridSetup();
        GridSetupScreen& g = r.g();
        r.enterSampleGrid(100);
        const QString refused = onlyMessage(f.dialogs, [&] { g.form().completeButton->click(); });
        QVERIFY2(refused.startsWith(QLatin1String("Check Buoy Does not Validate")),
                 qPrintable(refused));
        QVERIFY(g.form().accuracyButton->isHidden());

        file = r.setupFolder + QStringLiteral("/refused.ipt");
        f.dialogs.expectSaveFile(file)
            .expectInput(QStringLiteral("Refused"))
            .expectMessage(DialogAnswer::Yes);
        g.form().saveGridAction->trigger();
        QVERIFY(QFile::exists(file) && QFile::exists(file + QStringLiteral(".cb")));

        f.dialogs.clear();
        f.dialogs.expectMessage(DialogAnswer::Yes).expectOpenFile(file).expectMessage();
        g.form().loadGridAction->trigger();
        FW_VERIFY_DIALOGS(f.dialogs);
        const QString told = f.dialogs.texts().last();
        QVERIFY2(told.contains(QDir::toNativeSeparators(file)) &&
                     told.contains(QLatin1String("Check Buoy Does not Validate")),
                 qPrintable(told));
        QVERIFY(!g.stateShownReady() && g.form().accuracyButton->isHidden());
        QVERIFY(!r.main().gridShownReady(1));
        QVERIFY(!r.station->grids.slot(1).completed && !r.station->allGridsReady());

        f.dialogs.clear();
        f.dialogs.expectMessage();
        g.form().exitAction->trigger(); // leaving with a grid not set up asks first
        FW_VERIFY_DIALOGS(f.dialogs);
        r.main().show();
        QCOMPARE(onlyMessage(f.dialogs, [&] { r.main().form().reviewPicturesButton->click(); }),
                 kNotReady);
        QVERIFY(!r.measureShown() && g.isVisible());
    }
    // The next start loads the stored file and refuses it the same way.
    f.dialogs.clear();
    f.store().write(QStringLiteral("grid1File"), file);
    Rig next(f, 1, file, 1);
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().last().contains(QDir::toNativeSeparators(file)));
    QVERIFY(!next.main().gridShownReady(1) && !next.station->allGridsReady());
    QCOMPARE(onlyMessage(f.dialogs, [&] { next.main().form().reviewPicturesButton->click(); }),
             kNotReady);
    QVERIFY(!next.measureShown());
}

// Guards a grid file whose coefficients were never solved (all zero, every click 56.2 m): its
// check buoy file does not make it ready, at the start or through Load File.
void TestGridTrust::gridSavedBeforeItWasSolvedNeverMeasures()
{
    StationFixture f;
    const QString file = f.makeFolder(QStringLiteral("Setup")) + QStringLiteral("/zero.ipt");
    MeasurementGrid never = sampleGrid();
    never.c = {};
    QVERIFY(replaceFileLines(file, gridFileLines(never, file, 1)).ok());
    QVERIFY(replaceFileLines(checkBuoyFilePath(file),
                             checkBuoyFileLines(never.checkBuoyPicture, QStringLiteral("40"),
                                                QStringLiteral("20")))
                .ok());
    Rig r(f, 1, file, 1);
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(f.dialogs.texts().last().contains(QDir::toNativeSeparators(file)));
    QVERIFY(!r.station->allGridsReady() && !r.main().gridShownReady(1));
    // Grid 1 stays for editing: its fields show what the file holds.
    r.main().goToGridSetup();
    QCOMPARE(r.g().form().upperLeftPictureXEdit->text(), QStringLiteral(" 1000"));
    QVERIFY(!r.g().stateShownReady());
}

// Guards the number of grids raised on the configuration screen: grid 2 was never set up, so the
// measurement screen is refused on every road until the number goes back to 1.
void TestGridTrust::raisingTheNumberOfGridsNeedsTheNewGrid()
{
    StationFixture f;
    const QString grid1 = f.makeFolder(QStringLiteral("Stored")) + QStringLiteral("/north.ipt");
    QVERIFY(writeSampleGrid(grid1, 1));
    Rig r(f, 1, grid1);
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.station->allGridsReady() && r.main().gridShownReady(1));
    // The grid setup screen opens on the ready grid with its accuracy check offered.
    r.main().goToGridSetup();
    QVERIFY(r.g().stateShownReady() && !r.g().form().accuracyButton->isHidden());
    r.g().form().exitAction->trigger();

    r.main().goToConfiguration();
    r.station->configuration().form().twoGridsOption->click();
    r.station->configuration().exitAndSave();
    QVERIFY(!r.station->allGridsReady());
    QCOMPARE(onlyMessage(f.dialogs, [&] { r.main().form().reviewPicturesButton->click(); }),
             kNotReady);
    QVERIFY(!r.measureShown());
    // The contact picture log's road is refused the same way.
    QCOMPARE(onlyMessage(f.dialogs, [&] { r.station->showMeasureWhenReady(nullptr); }), kNotReady);
    QVERIFY(!r.measureShown());

    r.main().goToConfiguration();
    r.station->configuration().form().oneGridOption->click();
    r.station->configuration().exitAndSave();
    QVERIFY(r.station->allGridsReady());
    f.dialogs.clear();
    r.main().form().reviewPicturesButton->click();
    FW_VERIFY_DIALOGS(f.dialogs);
    QVERIFY(r.measureShown());
}

// Guards a check buoy whose survey puts it off the picture: the message says how far off the
// marked one is, an arrow runs from it to the picture's edge towards the prediction, and the
// five marks stay.
void TestGridTrust::checkBuoyPredictedOffThePicture()
{
    StationFixture f;
    Rig r(f, 1);
    r.main().goToGridSetup();
    GridSetupScreen& g = r.g();
    r.enterSampleGrid(0);
    // Surveyed 60 m further right: 15000 twips right of the marked (6000, 4500), off the picture.
    g.form().checkBuoySurveyXEdit->selectAll();
    QTest::keyClicks(g.form().checkBuoySurveyXEdit, QStringLiteral("100"));
    QCOMPARE(onlyMessage(f.dialogs, [&] { g.form().completeButton->click(); }),
             QStringLiteral("Check Buoy Does not Validate.  The marked check buoy lies 1000 pixels "
                            "left of and 0 pixels below where the grid predicts it; a pixel and a "
                            "half each way is allowed."));
    const auto line = g.form().picture->item(g.form().predictedCheckBuoyLine).value();
    QVERIFY(line.visible);
    QCOMPARE(line.a, QPointF(6000, 4500));
    QCOMPARE(line.b, QPointF(12000, 4500)); // the picture's right edge
    const auto label = g.form().picture->item(g.form().predictedCheckBuoyLabel).value();
    QVERIFY(label.visible && label.a.x() >= 0 && label.a.x() < 12000);
    QCOMPARE(int(g.drawing().size()), 5);
    QVERIFY(g.form().accuracyButton->isHidden());
}

QTEST_MAIN(TestGridTrust)
#include "test_gridtrust.moc"
