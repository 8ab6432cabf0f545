// The results viewer, the contact picture log viewer and the skier selection dialog, driven
// through their controls and handlers with scripted dialogs.

#include "StationFixture.h"
#include "platform/KeyboardState.h"
#include "screens/PictureLogViewer.h"
#include "screens/ResultsViewer.h"
#include "screens/SessionLogViewer.h"
#include "screens/SkierPicker.h"
#include "station/Station.h"

#include <QAction>
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

} // namespace

class TestMeasureWindows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resultsShowsTheFileAsItIsWhenOpened();
    void pictureLogListsAndTakesThePath();
    void pictureLogViewPicture();
    void pictureLogSelectAnotherLog();
    void selectSkierListsAndChooses();
    void logViewersFollowTheKeyboardAndClose();
};

// Guards the viewer: the whole file with line ends as lines, the caption as the settings hold
// it, new lines only when opened again, a missing file (said) and an empty one (not said), and
// Exit that empties and hides it.
void TestMeasureWindows::resultsShowsTheFileAsItIsWhenOpened()
{
    StationFixture fx;
    const QString path = fx.path(QStringLiteral("JumpMeasurementResults120526.txt"));
    ResultsViewer results;
    results.open(path);
    QVERIFY(results.isVisible());
    QCOMPARE(results.windowTitle(), path);
    QVERIFY(results.resultsText->toPlainText().isEmpty());
    QVERIFY(!results.statusLabel->isHidden());
    QVERIFY(results.statusLabel->text().startsWith(
        QStringLiteral("No results have been recorded yet")));
    QVERIFY(writeBytes(path, ""));
    results.open(path);
    QVERIFY(results.resultsText->toPlainText().isEmpty());
    QVERIFY(results.statusLabel->isHidden());

    QVERIFY(writeBytes(path, "12-05-2026 14:03:09 Lee  jump  1 -  45.6m  (IWSF)\r\n"));
    results.open(QStringLiteral("  ") + path);
    QCOMPARE(results.windowTitle(), QStringLiteral("  ") + path);
    QVERIFY(writeBytes(path, "12-05-2026 14:03:09 Lee  jump  1 -  45.6m  (IWSF)\r\nsecond\r\n"));
    QCOMPARE(results.resultsText->toPlainText(),
             QStringLiteral("12-05-2026 14:03:09 Lee  jump  1 -  45.6m  (IWSF)\n"));
    results.open(path);
    QCOMPARE(results.resultsText->toPlainText(),
             QStringLiteral("12-05-2026 14:03:09 Lee  jump  1 -  45.6m  (IWSF)\nsecond\n"));

    QSignalSpy exited(&results, &ResultsViewer::exited);
    results.exitAction->trigger();
    QVERIFY(!results.isVisible());
    QVERIFY(results.resultsText->toPlainText().isEmpty());
    QCOMPARE(exited.count(), 1);
}

// Guards the listing of the current log (only picture lines; none without a log) and a click that
// takes the path after "File: " but keeps the box without one.
void TestMeasureWindows::pictureLogListsAndTakesThePath()
{
    StationFixture fx;
    {
        PictureLogViewer none(fx.dialogs, fx.path(QStringLiteral("gone.txt")), fx.root());
        QVERIFY(none.logPathEdit->text().isEmpty());
        QCOMPARE(none.pictureLineList->count(), 0);
    }
    const QString log = fx.path(QStringLiteral("JumpMeasurementLog120526.txt"));
    QVERIFY(writeBytes(log, "12-05-2026    14:01:00      Skier: Lee    Jump:  1      Contact "
                            "Frame:  12  File: /v/Leejump1.avi\r\n"
                            "a  File: /p/Leejump1.bmp\r\nno path here.bmp\r\n"));
    PictureLogViewer view(fx.dialogs, log, fx.root());
    QCOMPARE(view.logPathEdit->text(), log);
    QCOMPARE(listTexts(*view.pictureLineList),
             (QStringList{QStringLiteral("a  File: /p/Leejump1.bmp"),
                          QStringLiteral("no path here.bmp")}));
    view.pictureLineList->setCurrentRow(0);
    view.takeChosenLine();
    QCOMPARE(view.picturePathEdit->text(), QStringLiteral("/p/Leejump1.bmp"));
    view.pictureLineList->setCurrentRow(1);
    view.takeChosenLine();
    QCOMPARE(view.picturePathEdit->text(), QStringLiteral("/p/Leejump1.bmp"));
    FW_VERIFY_DIALOGS(fx.dialogs);
}

// Guards View Picture: with nothing chosen only the measurement screen shows; a picture that
// loads goes to it (double click too) and the viewer closes; one that cannot be loaded is
// explained and the viewer stays.
void TestMeasureWindows::pictureLogViewPicture()
{
    StationFixture fx;
    const QString picture = fx.path(QStringLiteral("Leejump1.bmp"));
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QVERIFY(image.save(picture, "BMP"));
    const QString log = fx.path(QStringLiteral("log.txt"));
    QVERIFY(writeBytes(log, ("x  File: " + picture + "\r\n").toLatin1()));
    PictureLogViewer view(fx.dialogs, log, fx.root());
    view.show();
    QSignalSpy chosen(&view, &PictureLogViewer::viewPicture);
    QSignalSpy measure(&view, &PictureLogViewer::showMeasure);
    view.viewChosenPicture();
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(measure.count(), 1);

    view.picturePathEdit->setText(fx.path(QStringLiteral("gone/Leejump1.bmp")));
    fx.dialogs.expectMessage();
    view.viewPictureButton->click();
    FW_VERIFY_DIALOGS(fx.dialogs);
    QVERIFY(fx.dialogs.texts().last().startsWith(QStringLiteral("could not read ")));
    QCOMPARE(chosen.count(), 0);
    QCOMPARE(measure.count(), 1);
    QVERIFY(view.isVisible());

    view.pictureLineList->setCurrentRow(0);
    view.viewChosenLine();
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().at(0).toString(), picture);
    QVERIFY(!view.isVisible());
}

// Guards Select a Log File: it starts in the session log folder with the log filter; a chosen
// file is listed, a cancel keeps what is shown, a log gone since is said and empties the list.
void TestMeasureWindows::pictureLogSelectAnotherLog()
{
    StationFixture fx;
    const QString other = fx.path(QStringLiteral("JumpMeasurementLog120426.txt"));
    QVERIFY(writeBytes(other, "a  File: /p/Ann.bmp\r\n"));
    PictureLogViewer view(fx.dialogs, QString(), fx.path(QStringLiteral("videos")));
    fx.dialogs.expectOpenFile(other).expectOpenFile(std::nullopt);
    view.selectLogButton->click();
    QCOMPARE(fx.dialogs.calls().at(0).request.filter,
             QStringLiteral("*.txt|JumpMeasurementLog*.txt"));
    QCOMPARE(fx.dialogs.calls().at(0).request.folder, fx.path(QStringLiteral("videos")));
    QCOMPARE(listTexts(*view.pictureLineList), QStringList{QStringLiteral("a  File: /p/Ann.bmp")});
    view.selectLogFile();
    QCOMPARE(view.logPathEdit->text(), other);
    QCOMPARE(view.pictureLineList->count(), 1);
    FW_VERIFY_DIALOGS(fx.dialogs);

    fx.dialogs.clear();
    fx.dialogs.expectOpenFile(fx.path(QStringLiteral("gone.txt"))).expectMessage();
    view.selectLogFile();
    FW_VERIFY_DIALOGS(fx.dialogs);
    QCOMPARE(view.pictureLineList->count(), 0);
}

// Guards the skier list (every line that is not empty, commas as blanks), a double click that hands
// the name over and closes, one with nothing chosen that does not, No Selection, and a list that
// cannot be read.
void TestMeasureWindows::selectSkierListsAndChooses()
{
    StationFixture fx;
    const QString names = fx.path(QStringLiteral("station/SkierNames.txt"));
    {
        fx.dialogs.expectMessage();
        SkierPicker unreadable(fx.dialogs, names);
        FW_VERIFY_DIALOGS(fx.dialogs);
        QVERIFY(fx.dialogs.texts().last().startsWith(QStringLiteral("could not read ")));
        QCOMPARE(unreadable.skierList->count(), 0);
    }
    QVERIFY(writeBytes(names, "Smith,John\r\n\r\nJones,Ann,USA\r\n"));
    SkierPicker dialog(fx.dialogs, names);
    QCOMPARE(listTexts(*dialog.skierList),
             (QStringList{QStringLiteral("Smith John"), QStringLiteral("Jones Ann USA")}));
    dialog.show();
    QSignalSpy selected(&dialog, &SkierPicker::skierSelected);
    dialog.chooseCurrentSkier(); // nothing chosen yet
    QCOMPARE(selected.count(), 0);
    QVERIFY(dialog.isVisible());
    dialog.skierList->setCurrentRow(1);
    dialog.chooseCurrentSkier();
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.first().at(0).toString(), QStringLiteral("Jones Ann USA"));
    QVERIFY(!dialog.isVisible());

    SkierPicker again(fx.dialogs, names);
    again.show();
    again.noSelectionButton->click();
    QVERIFY(!again.isVisible());
    QVERIFY(again.chosenName().isEmpty());
    FW_VERIFY_DIALOGS(fx.dialogs);
}

// Guards the viewers against opening what the operator did not choose: a line chosen with the
// arrow keys is the one taken, and the contact picture log closes by its Exit and by Esc.
void TestMeasureWindows::logViewersFollowTheKeyboardAndClose()
{
    StationFixture fx;
    const QString log = fx.path(QStringLiteral("log.txt"));
    QVERIFY(writeBytes(log, "a  File: /p/Ann.bmp\r\nb  File: /p/Bob.bmp\r\n"));
    PictureLogViewer pictures(fx.dialogs, log, fx.root());
    pictures.show();
    pictures.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&pictures));
    pictures.pictureLineList->setFocus();
    pictures.pictureLineList->setCurrentRow(0);
    QTest::keyClick(pictures.pictureLineList, Qt::Key_Down);
    QCOMPARE(pictures.picturePathEdit->text(), QStringLiteral("/p/Bob.bmp"));
    QTest::keyClick(pictures.pictureLineList, Qt::Key_Escape);
    QVERIFY(!pictures.isVisible());
    pictures.show();
    auto* exit = pictures.findChild<QPushButton*>(QStringLiteral("exitButton"));
    QVERIFY(exit);
    exit->click();
    QVERIFY(!pictures.isVisible());

    KeyboardState keys;
    Station station(fx.store(), fx.dialogs, fx.clock, keys, StationPaths(fx.stationFolder()));
    SessionLogViewer videos(station, nullptr);
    videos.videoLinesList->addItems(
        {QStringLiteral("x  File: /v/Annjump1.avi"), QStringLiteral("y  File: /v/Bobjump1.avi")});
    videos.show();
    videos.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&videos));
    videos.videoLinesList->setFocus();
    QTest::mouseClick(
        videos.videoLinesList->viewport(), Qt::LeftButton, {},
        videos.videoLinesList->visualItemRect(videos.videoLinesList->item(0)).center());
    QCOMPARE(videos.videoPathEdit->text(), QStringLiteral("/v/Annjump1.avi"));
    QTest::keyClick(videos.videoLinesList, Qt::Key_Down);
    QCOMPARE(videos.videoPathEdit->text(), QStringLiteral("/v/Bobjump1.avi"));
    FW_VERIFY_DIALOGS(fx.dialogs);
}

QTEST_MAIN(TestMeasureWindows)
#include "test_measure_windows.moc"
