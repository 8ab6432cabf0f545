// The results viewer, the contact picture log viewer and the skier selection dialog, driven
// through their controls and handlers with scripted dialogs.

#include "StationFixture.h"
#include "screens/PictureLogView.h"
#include "screens/Results.h"
#include "screens/frmSelectSkier.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace fw;
using namespace fw::test;

namespace {

QStringList listTexts(const QListWidget& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i)->text();
    return out;
}

void selectRow(QListWidget& list, int row)
{
    list.setCurrentRow(row);
}

} // namespace

class TestMeasureWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resultsShowsTheWholeFile();
    void resultsOnAMissingOrEmptyFile();
    void resultsShowsNewLinesOnlyWhenOpenedAgain();
    void pictureLogListsThePictureLines();
    void pictureLogWithoutACurrentLog();
    void pictureLogClickTakesThePath();
    void pictureLogViewPicture();
    void pictureLogPictureThatCannotBeLoaded();
    void pictureLogSelectAnotherLog();
    void selectSkierListsAndChooses();
    void selectSkierNoSelection();
    void selectSkierUnreadableList();
};

// The whole file, line ends kept as lines; the caption is the path as the settings hold it.
void TestMeasureWindows::resultsShowsTheWholeFile()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("JumpMeasurementResults120526.txt"));
    QVERIFY(writeBytes(path, "12-05-2026 14:03:09 Lee  jump  1 -  45.6m  (IWSF)\r\n"
                             "12-05-2026 14:05:00 Optional Reride on previous jump\r\n"));
    Results results;
    results.open(QStringLiteral("  ") + path);
    QVERIFY(results.isVisible());
    QCOMPARE(results.windowTitle(), QStringLiteral("  ") + path);
    QCOMPARE(results.output_box->toPlainText(),
             QStringLiteral("12-05-2026 14:03:09 Lee  jump  1 -  45.6m  (IWSF)\n"
                            "12-05-2026 14:05:00 Optional Reride on previous jump\n"));
    QVERIFY(results.output_box->isReadOnly());
    QVERIFY(results.lblStatus->isHidden());
    QCOMPARE(results.Exit_results->text(), QStringLiteral("E&xit"));

    QSignalSpy exited(&results, &Results::exited);
    results.Exit_results->trigger();
    QVERIFY(!results.isVisible());
    QVERIFY(results.output_box->toPlainText().isEmpty());
    QCOMPARE(exited.count(), 1);
}

// No file yet: an empty window naming the file and a line saying nothing was recorded; an
// empty file: an empty window naming the file.
void TestMeasureWindows::resultsOnAMissingOrEmptyFile()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("JumpMeasurementResults120526.txt"));
    Results results;
    results.open(path);
    QVERIFY(results.isVisible());
    QCOMPARE(results.windowTitle(), path);
    QVERIFY(results.output_box->toPlainText().isEmpty());
    QVERIFY(!results.lblStatus->isHidden());
    QVERIFY(
        results.lblStatus->text().startsWith(QStringLiteral("No results have been recorded yet")));
    QVERIFY(results.lblStatus->text().contains(QStringLiteral("JumpMeasurementResults120526.txt")));

    QVERIFY(writeBytes(path, ""));
    results.open(path);
    QCOMPARE(results.windowTitle(), path);
    QVERIFY(results.output_box->toPlainText().isEmpty());
    QVERIFY(results.lblStatus->isHidden());
}

void TestMeasureWindows::resultsShowsNewLinesOnlyWhenOpenedAgain()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("results.txt"));
    QVERIFY(writeBytes(path, "first\r\n"));
    Results results;
    results.open(path);
    QVERIFY(writeBytes(path, "first\r\nsecond\r\n"));
    QCOMPARE(results.output_box->toPlainText(), QStringLiteral("first\n"));
    results.open(path);
    QCOMPARE(results.output_box->toPlainText(), QStringLiteral("first\nsecond\n"));
}

// The current session log is listed at the start: only lines ending in "bmp".
void TestMeasureWindows::pictureLogListsThePictureLines()
{
    StationFixture fx;
    const QString log = fx.path(QStringLiteral("JumpMeasurementLog120526.txt"));
    QVERIFY(writeBytes(log, "12-05-2026    14:00:00      Farwater Measurement Session started  \r\n"
                            "12-05-2026    14:01:00      Skier: Lee    Jump:  1      Contact "
                            "Frame:  12  File: /v/Leejump1.avi\r\n"
                            "12-05-2026    14:03:09      Skier: Lee    Jump:  1      Distance:  "
                            "45.6m            File: /p/Leejump1.bmp\r\n"
                            "a line about x.bmp that goes on\r\n"));
    PictureLogView view(fx.dialogs, log, fx.root());
    QCOMPARE(view.windowTitle(), QStringLiteral("Contact Picture Log"));
    QCOMPARE(view.txtPicLogToView->text(), log);
    QCOMPARE(listTexts(*view.lstPicLog),
             QStringList{QStringLiteral("12-05-2026    14:03:09      Skier: Lee    Jump:  1      "
                                        "Distance:  45.6m            File: /p/Leejump1.bmp")});
    // The list scrolls to its widest entry.
    QVERIFY(
        view.lstPicLog->item(0)->sizeHint().width() >
        view.lstPicLog->fontMetrics().horizontalAdvance(QStringLiteral("File: /p/Leejump1.bmp")));
    QCOMPARE(view.cmdSelPicLog->text(), QStringLiteral("Select a Log File"));
    QCOMPARE(view.cmdViewPicLog->text(), QStringLiteral("View Picture"));
    FW_VERIFY_DIALOGS(fx.dialogs);
}

void TestMeasureWindows::pictureLogWithoutACurrentLog()
{
    StationFixture fx;
    PictureLogView view(fx.dialogs, fx.path(QStringLiteral("JumpMeasurementLog120526.txt")),
                        fx.root());
    QVERIFY(view.txtPicLogToView->text().isEmpty());
    QCOMPARE(view.lstPicLog->count(), 0);
    FW_VERIFY_DIALOGS(fx.dialogs);
}

// A click takes the path after "File: "; an entry without "File:" leaves the box as it was.
void TestMeasureWindows::pictureLogClickTakesThePath()
{
    StationFixture fx;
    const QString log = fx.path(QStringLiteral("log.txt"));
    QVERIFY(writeBytes(log, "a  File: /p/Leejump1.bmp\r\nno path here.bmp\r\n"));
    PictureLogView view(fx.dialogs, log, fx.root());
    QCOMPARE(view.lstPicLog->count(), 2);
    selectRow(*view.lstPicLog, 0);
    view.lstPicLog_Click();
    QCOMPARE(view.txtPictureToView->text(), QStringLiteral("/p/Leejump1.bmp"));
    selectRow(*view.lstPicLog, 1);
    view.lstPicLog_Click();
    QCOMPARE(view.txtPictureToView->text(), QStringLiteral("/p/Leejump1.bmp"));
    FW_VERIFY_DIALOGS(fx.dialogs);
}

// View Picture hands a picture that loads to the measurement screen and closes; a double click
// does the same; with no picture chosen the measurement screen only shows.
void TestMeasureWindows::pictureLogViewPicture()
{
    StationFixture fx;
    const QString picture = fx.path(QStringLiteral("Leejump1.bmp"));
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QVERIFY(image.save(picture, "BMP"));
    const QString log = fx.path(QStringLiteral("log.txt"));
    QVERIFY(writeBytes(log, ("x  File: " + picture + "\r\n").toLatin1()));

    PictureLogView view(fx.dialogs, log, fx.root());
    view.show();
    QSignalSpy chosen(&view, &PictureLogView::viewPicture);
    QSignalSpy measure(&view, &PictureLogView::showMeasure);
    view.cmdViewPicLog_Click();
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(measure.count(), 1);
    QVERIFY(view.isVisible());

    selectRow(*view.lstPicLog, 0);
    view.lstPicLog_DblClick();
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().at(0).toString(), picture);
    QVERIFY(!view.isVisible());
    FW_VERIFY_DIALOGS(fx.dialogs);
}

// A picture that cannot be loaded is explained; nothing goes to the measurement screen and the
// viewer stays for another choice.
void TestMeasureWindows::pictureLogPictureThatCannotBeLoaded()
{
    StationFixture fx;
    PictureLogView view(fx.dialogs, QString(), fx.root());
    view.show();
    QSignalSpy chosen(&view, &PictureLogView::viewPicture);
    QSignalSpy measure(&view, &PictureLogView::showMeasure);
    view.txtPictureToView->setText(fx.path(QStringLiteral("gone/Leejump1.bmp")));
    fx.dialogs.expectMessage();
    view.cmdViewPicLog->click();
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(fx.dialogs.calls().last().text.startsWith(QStringLiteral("could not read ")));
    QVERIFY(fx.dialogs.calls().last().text.contains(QStringLiteral("Leejump1.bmp")));
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(measure.count(), 0);
    QVERIFY(view.isVisible());
}

// Select a Log File starts in the session log folder with the log filter; a chosen file is
// listed; a cancelled dialog keeps what is shown.
void TestMeasureWindows::pictureLogSelectAnotherLog()
{
    StationFixture fx;
    const QString other = fx.path(QStringLiteral("JumpMeasurementLog120426.txt"));
    QVERIFY(writeBytes(other, "a  File: /p/Ann.bmp\r\n"));
    PictureLogView view(fx.dialogs, QString(), fx.path(QStringLiteral("videos")));
    fx.dialogs.expectOpenFile(other).expectOpenFile(std::nullopt);
    view.cmdSelPicLog->click();
    QCOMPARE(fx.dialogs.calls().at(0).request.filter,
             QStringLiteral("*.txt|JumpMeasurementLog*.txt"));
    QCOMPARE(fx.dialogs.calls().at(0).request.folder, fx.path(QStringLiteral("videos")));
    QCOMPARE(view.txtPicLogToView->text(), other);
    QCOMPARE(listTexts(*view.lstPicLog), QStringList{QStringLiteral("a  File: /p/Ann.bmp")});
    view.cmdSelPicLog_Click();
    QCOMPARE(view.txtPicLogToView->text(), other);
    QCOMPARE(view.lstPicLog->count(), 1);
    FW_VERIFY_DIALOGS(fx.dialogs);

    // A log that has gone since: said why, list emptied.
    fx.dialogs.clear();
    fx.dialogs.expectOpenFile(fx.path(QStringLiteral("gone.txt"))).expectMessage();
    view.cmdSelPicLog_Click();
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(view.lstPicLog->count(), 0);
}

// The list holds every line that is not empty, commas as blanks; a double click hands the name
// over and closes the dialog at its place on the screen.
void TestMeasureWindows::selectSkierListsAndChooses()
{
    StationFixture fx;
    const QString names = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(names, "Smith,John\r\n\r\nJones,Ann,USA\r\n"));
    frmSelectSkier dialog(fx.dialogs, names);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Select A Skier"));
    QCOMPARE(dialog.Label1->text(), QStringLiteral("Double Click on Skier Name to select it"));
    QCOMPARE(dialog.cmdNoSelect->text(), QStringLiteral("No Selection"));
    QCOMPARE(listTexts(*dialog.lstSkiers),
             (QStringList{QStringLiteral("Smith John"), QStringLiteral("Jones Ann USA")}));
    QCOMPARE(dialog.pos() - QGuiApplication::primaryScreen()->geometry().topLeft(), QPoint(152, 8));
    dialog.show();
    QSignalSpy selected(&dialog, &frmSelectSkier::skierSelected);
    selectRow(*dialog.lstSkiers, 1);
    dialog.lstSkiers_DblClick();
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.first().at(0).toString(), QStringLiteral("Jones Ann USA"));
    QCOMPARE(dialog.chosenName(), QStringLiteral("Jones Ann USA"));
    QVERIFY(!dialog.isVisible());
    FW_VERIFY_DIALOGS(fx.dialogs);
}

void TestMeasureWindows::selectSkierNoSelection()
{
    StationFixture fx;
    const QString names = fx.path(QStringLiteral("station/SkierNames.txt"));
    QVERIFY(writeBytes(names, "Smith\r\n"));
    frmSelectSkier dialog(fx.dialogs, names);
    dialog.show();
    QSignalSpy selected(&dialog, &frmSelectSkier::skierSelected);
    dialog.lstSkiers_DblClick(); // nothing chosen yet
    QCOMPARE(selected.count(), 0);
    QVERIFY(dialog.isVisible());
    dialog.cmdNoSelect->click();
    QCOMPARE(selected.count(), 0);
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.chosenName().isEmpty());
    FW_VERIFY_DIALOGS(fx.dialogs);
}

void TestMeasureWindows::selectSkierUnreadableList()
{
    StationFixture fx;
    fx.dialogs.expectMessage();
    frmSelectSkier dialog(fx.dialogs, fx.path(QStringLiteral("station/SkierNames.txt")));
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(fx.dialogs.calls().last().text.startsWith(QStringLiteral("could not read ")));
    QCOMPARE(dialog.lstSkiers->count(), 0);
}

QTEST_MAIN(TestMeasureWindows)
#include "test_measure_windows.moc"
