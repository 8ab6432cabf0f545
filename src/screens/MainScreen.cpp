#include "screens/MainScreen.h"

#include "measure/SkierNames.h"
#include "media/CaptureEngine.h"
#include "screens/CaptureScreen.h"
#include "screens/setByProgram.h"
#include "settings/EmergencyReset.h"
#include "settings/FrameRateClass.h"
#include "settings/SettingsStore.h"
#include "station/Station.h"
#include "support/FileChecks.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace fw {

namespace {
const QString kPathTitle = QStringLiteral("Input Save Video Files Path");
} // namespace

MainScreen::MainScreen(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
{
    m_form.build(*this);
    for (int g = 1; g <= 3; ++g)
        setGridReady(g, false);
    connectCapturePanel();
    connectNavigation();
    enableNavigation();
}

void MainScreen::connectNavigation()
{
    const MainScreenForm& f = m_form;
    connect(f.goToCaptureButton, &QPushButton::clicked, this, &MainScreen::goToCapture);
    connect(f.reviewVideosButton, &QPushButton::clicked, this, &MainScreen::reviewVideos);
    connect(f.reviewPicturesButton, &QPushButton::clicked, this, &MainScreen::reviewPictures);
    connect(f.gridSetupButton, &QPushButton::clicked, this, &MainScreen::goToGridSetup);
    connect(f.configureButton, &QPushButton::clicked, this, &MainScreen::goToConfiguration);
    connect(f.capturePanelButton, &QPushButton::clicked, this, &MainScreen::toggleCapturePanel);
    connect(f.changeVideoFolderButton, &QPushButton::clicked, this, &MainScreen::changeVideoFolder);
    connect(f.videoFolderEdit, &QLineEdit::textEdited, this, &MainScreen::onVideoFolderEdited);
    connect(f.barefootTimingCheck, &QCheckBox::clicked, this, &MainScreen::onBarefootTimingClicked);
    connect(f.frameRateEdit, &QLineEdit::textEdited, this, &MainScreen::onFrameRateEdited);
    connect(f.importSkierNamesButton, &QPushButton::clicked, this, &MainScreen::importSkierNames);
    connect(f.videoLogAction, &QAction::triggered, this, &MainScreen::openVideoLog);
    connect(f.pictureLogAction, &QAction::triggered, this, &MainScreen::openPictureLog);
    connect(f.manualAction, &QAction::triggered, this, &MainScreen::openManual);
    connect(f.exitAction, &QAction::triggered, this, &MainScreen::exitStation);
}

void MainScreen::enableNavigation()
{
    // Buttons whose screen this build does not have yet stay disabled.
    m_form.goToCaptureButton->setEnabled(m_station.hasScreen(Screen::Capture));
    m_form.reviewVideosButton->setEnabled(m_station.hasScreen(Screen::FrameSelection));
    m_form.reviewPicturesButton->setEnabled(m_station.hasScreen(Screen::Measurement) ||
                                            m_station.hasScreen(Screen::GridSetup));
    m_form.gridSetupButton->setEnabled(m_station.hasScreen(Screen::GridSetup));
}

void MainScreen::startUp()
{
    // The way out for a station that cannot start because of a stored value.
    EmergencyReset(m_station.store(), m_station.dialogs());

    startUpCapturePanel();

    // This screen at the display's top left; the capture screen beside it.
    if (const QScreen* display = screen())
        move(display->availableGeometry().topLeft());
    if (m_station.created(Screen::Capture))
        placeCaptureScreen(m_station.capture());

    askForVideoFolder();
    startSessionLog();
    m_form.videoFolderLabel->setText(m_form.videoFolderEdit->text());

    // The live picture of the capture screen.
    m_station.captureEngine().setPreview(true);
    m_form.previewButton->setText(QStringLiteral("Preview Off"));

    setByProgram(*m_form.barefootTimingCheck,
                 m_station.store().readInt(QStringLiteral("barefoot"), 0) != 0,
                 [this] { onBarefootTimingClicked(); });

    // The capture file name, and the status line hidden until a capture reports.
    m_form.captureFileEdit->setText(QStringLiteral("testvid.avi"));
    m_form.captureStatusLabel->hide();

    showFrameRateClass(entryNumber(m_form.frameRateEdit->text()));

    m_station.dialogs().message(QStringLiteral("Please Verify all Setup Parameters"));
    m_station.show(Screen::Configuration, this);
    hide();
}

void MainScreen::askForVideoFolder()
{
    Dialogs& dialogs = m_station.dialogs();
    SettingsStore& store = m_station.store();
    QLineEdit& box = *m_form.videoFolderEdit;
    const QString stored = store.read(QStringLiteral("logpath"), QString());
    if (!stored.isEmpty() && PathExists(withoutTrailingSeparator(stored), 1)) {
        setByProgram(box, stored, [this] { onVideoFolderEdited(); });
        return;
    }
    m_station.settings.VideoFolder.clear();
    for (;;) {
        const QString answer =
            dialogs
                .input(QStringLiteral("No Correct Save Video Directory has been set.  Please "
                                      "put in the path of the Save Video Directory here."),
                       kPathTitle, QString())
                .value_or(QString());
        setByProgram(box, answer, [this] { onVideoFolderEdited(); });
        if (PathExists(withoutTrailingSeparator(box.text()), 1))
            break;
        dialogs.message(QStringLiteral("You entered an invalid path - try  again"), kPathTitle);
    }
    store.write(QStringLiteral("logpath"), box.text());
}

void MainScreen::startSessionLog()
{
    // Named after the start day, kept for the whole run.
    const QDateTime now = m_station.clock().now();
    StationSettings& settings = m_station.settings;
    m_station.sessionLog.setFileName(SessionLog::fileNameFor(now.date()));
    settings.VideoFolder = withoutTrailingSeparator(m_form.videoFolderEdit->text().trimmed());
    if (settings.VideoFolder.isEmpty())
        return;
    m_station.sessionLog.append(settings.VideoFolder, SessionLog::startLineItems(now),
                                m_station.dialogs());
    settings.SessionLogFileName = m_station.sessionLog.fileName();
    m_station.store().write(QStringLiteral("logfile"), m_station.sessionLog.fileName());
}

void MainScreen::placeCaptureScreen(QWidget& capture) const
{
    const QScreen* display = screen();
    if (!display)
        return;
    const QRect room = display->availableGeometry();
    // Overlap this screen only as much as the display is too narrow for both.
    const int x =
        std::max(room.left(), std::min(frameGeometry().right() + 1,
                                       room.right() + 1 - capture.frameGeometry().width()));
    capture.move(x, room.top());
}

QString MainScreen::videoFolderText() const
{
    return m_form.videoFolderEdit->text();
}

void MainScreen::showFrameRateClass(double rate)
{
    const QString caption = frameRateClassCaption(rate);
    if (!caption.isEmpty())
        m_form.frameRateClassLabel->setText(caption);
}

void MainScreen::setFrameRateText(const QString& text)
{
    setByProgram(*m_form.frameRateEdit, text, [this] { onFrameRateEdited(); });
}

void MainScreen::onFrameRateEdited()
{
    const QString text = m_form.frameRateEdit->text();
    m_station.store().write(QStringLiteral("framerate"), text);
    m_station.settings.FrameRateText = text;
    m_station.settings.FrameRate = entryNumber(text);
    m_station.captureEngine().setFrameRate(entryNumber(text));
    showFrameRateClass(entryNumber(text));
}

void MainScreen::onVideoFolderEdited()
{
    m_station.settings.VideoFolder = withoutTrailingSeparator(m_form.videoFolderEdit->text());
    m_station.store().write(QStringLiteral("logpath"), m_station.settings.VideoFolder);
}

void MainScreen::onBarefootTimingClicked()
{
    const int value = m_form.barefootTimingCheck->isChecked() ? 1 : 0;
    m_station.settings.BarefootTiming15s = value;
    m_station.store().write(QStringLiteral("barefoot"), QString::number(value));
}

bool MainScreen::videoFolderExists() const
{
    if (PathExists(withoutTrailingSeparator(m_form.videoFolderEdit->text()), 1))
        return true;
    m_station.dialogs().message(QStringLiteral("The Log File Folder you specified does not exist. "
                                               "Please change it to a Folder that does exist."),
                                QStringLiteral("Path Error"), DialogIcon::Exclamation);
    return false;
}

void MainScreen::goToCapture()
{
    if (!videoFolderExists())
        return;
    m_station.arrivedFrom = ArrivedFrom::MainScreen;
    m_station.show(Screen::Capture, this);
}

void MainScreen::reviewVideos()
{
    if (!videoFolderExists())
        return;
    m_station.arrivedFrom = ArrivedFrom::MainScreen;
    m_station.show(Screen::FrameSelection, this);
}

void MainScreen::reviewPictures()
{
    m_station.showMeasureWhenReady(this);
}

void MainScreen::goToGridSetup()
{
    m_station.show(Screen::GridSetup, this);
}

void MainScreen::goToConfiguration()
{
    m_station.show(Screen::Configuration, this);
}

void MainScreen::toggleCapturePanel()
{
    const bool show = !m_form.capturePanel->isVisible();
    m_form.capturePanel->setVisible(show);
    // The window's own minimum width (its menu bar's) keeps the layout from growing it: make
    // room for the whole panel.
    if (show && centralWidget()->layout()) {
        centralWidget()->layout()->activate();
        resize(size().expandedTo(sizeHint()));
    }
    m_form.capturePanelButton->setText(show ? QStringLiteral("Hide Video Configuration")
                                            : QStringLiteral("Show Video Configuration"));
}

void MainScreen::changeVideoFolder()
{
    Dialogs& dialogs = m_station.dialogs();
    for (;;) {
        const QString answer =
            dialogs
                .input(QStringLiteral("Please put in the path of the Save Video Directory here."),
                       kPathTitle, QString())
                .value_or(QString());
        if (answer.isEmpty())
            return;
        if (PathExists(withoutTrailingSeparator(answer), 1)) {
            setByProgram(*m_form.videoFolderEdit, answer, [this] { onVideoFolderEdited(); });
            m_form.videoFolderLabel->setText(m_form.videoFolderEdit->text());
            return;
        }
        dialogs.message(QStringLiteral("The folder you entered does not exist"),
                        QStringLiteral("Jump Measurement Alert"), DialogIcon::Exclamation);
    }
}

void MainScreen::openVideoLog()
{
    m_station.openLogView(this);
}

void MainScreen::openPictureLog()
{
    m_station.openPictureLog(this);
}

void MainScreen::importSkierNames()
{
    const std::optional<QString> name =
        importSkierNamesFile(m_station.dialogs(), m_station.paths().stationFolder());
    if (!name)
        return;
    if (m_station.created(Screen::Capture))
        m_station.capture().setSkierName(*name);
    else
        m_station.captureSkier = *name;
}

void MainScreen::openManual()
{
    m_station.show(Screen::Manual, this);
}

void MainScreen::exitStation()
{
    m_station.quit();
}

void MainScreen::setGridReady(int grid, bool ready)
{
    if (grid < 1 || grid > 3)
        return;
    m_gridReady[grid - 1] = ready;
    m_form.gridReadyIcons[grid - 1]->setPixmap(
        QPixmap(ready ? QStringLiteral(":/icons/SmallSmiley.jpg")
                      : QStringLiteral(":/icons/SmallCaution.jpg")));
}

bool MainScreen::gridShownReady(int grid) const
{
    return grid >= 1 && grid <= 3 && m_gridReady[grid - 1];
}

void MainScreen::setGridDescription(int grid, const QString& text)
{
    if (grid >= 1 && grid <= 3)
        m_form.gridDescriptionEdits[grid - 1]->setText(text);
}

void MainScreen::showGridRows(int count)
{
    for (int g = 0; g < 3; ++g) {
        const bool visible = g < count;
        m_form.gridNameLabels[g]->setVisible(visible);
        m_form.gridReadyIcons[g]->setVisible(visible);
        m_form.gridDescriptionEdits[g]->setVisible(visible);
    }
}

void MainScreen::closeEvent(QCloseEvent* event)
{
    // Closing the main screen ends the program at once.
    event->accept();
    m_station.quit();
}

void MainScreen::showEvent(QShowEvent* event)
{
    m_station.arrivedFrom = ArrivedFrom::Elsewhere;
    QMainWindow::showEvent(event);
}

void MainScreen::paintEvent(QPaintEvent* event)
{
    m_station.arrivedFrom = ArrivedFrom::Elsewhere;
    QMainWindow::paintEvent(event);
}

} // namespace fw
