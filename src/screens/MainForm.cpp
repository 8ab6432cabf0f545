#include "screens/MainForm.h"

#include "app/Station.h"
#include "measure/SkierNames.h"
#include "screens/setByProgram.h"
#include "settings/EmergencyReset.h"
#include "settings/SettingsStore.h"
#include "support/FileChecks.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace fw {

namespace {
const QString kPathTitle = QStringLiteral("Input Save Video Files Path");
} // namespace

QString frameRateClassCaption(double rate)
{
    QString caption;
    if (rate >= 5)
        caption = QStringLiteral("Currently Configured for Normal/C");
    if (rate >= 15)
        caption = QStringLiteral("Currently Configured for L");
    if (rate >= 25)
        caption = QStringLiteral("Currently Configured for R");
    return caption;
}

MainForm::MainForm(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Farwater 2005"));

    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    auto* left = new QVBoxLayout;
    columns->addLayout(left);

    Frame1 = new QGroupBox(QStringLiteral("Farwater Controls and Configuration"), central);
    auto* buttons = new QVBoxLayout(Frame1);
    auto button = [&](QPushButton*& b, const char* caption) {
        b = new QPushButton(QLatin1String(caption), Frame1);
        buttons->addWidget(b);
    };
    button(cmdGoCapture, "Proceed to Capture Video");
    button(cmdGoTimer, "View Already Recorded Jump Videos");
    button(ccmdGoToMeasure, "View Already Recorded Jump Pics");
    button(cmdSetup, "Go to Setup");
    button(cmdConfigure, "Configure System");
    button(cmdShowConfig, "Show Video Configuration");
    button(cmdImport, "Import Skier Names File");
    left->addWidget(Frame1);

    auto* folderBox = new QGroupBox(central);
    auto* folder = new QVBoxLayout(folderBox);
    Label2 = new QLabel(QStringLiteral("Save Video Files in this Directory"), folderBox);
    txtVideoDir = new QLineEdit(folderBox);
    lblVideodir = new QLabel(folderBox);
    lblVideodir->setTextInteractionFlags(Qt::TextSelectableByMouse);
    btnChangeDirectory = new QPushButton(QStringLiteral("Change Video File Directory"), folderBox);
    folder->addWidget(Label2);
    folder->addWidget(txtVideoDir);
    folder->addWidget(lblVideodir);
    folder->addWidget(btnChangeDirectory);
    left->addWidget(folderBox);

    cb15 = new QCheckBox(QStringLiteral("Enable Barefoot Timing (15 sec)"), central);
    left->addWidget(cb15);

    auto* gridBox = new QGroupBox(central);
    auto* grid = new QGridLayout(gridBox);
    const char* gridCaptions[3] = {"Grid 1", "Grid 2", "Grid3"};
    for (int g = 0; g < 3; ++g) {
        lblGrid[g] = new QLabel(QLatin1String(gridCaptions[g]), gridBox);
        ImageGrid[g] = new QLabel(gridBox);
        ImageGrid[g]->setFixedSize(32, 32);
        txtGridDescription[g] = new QLineEdit(gridBox);
        txtGridDescription[g]->setReadOnly(true);
        grid->addWidget(lblGrid[g], g, 0);
        grid->addWidget(ImageGrid[g], g, 1);
        grid->addWidget(txtGridDescription[g], g, 2);
        setGridReady(g + 1, false);
    }
    left->addWidget(gridBox);

    lblConfig = new QLabel(QStringLiteral("Currently Configured for R"), central);
    left->addWidget(lblConfig);
    left->addStretch();

    capturePanel = new QGroupBox(QStringLiteral("Video Configuration"), central);
    auto* panel = new QFormLayout(capturePanel);
    EdtRate = new QLineEdit(capturePanel);
    EdtFile = new QLineEdit(capturePanel);
    EdtRate->setMinimumWidth(80);
    EdtFile->setMinimumWidth(220);
    panel->addRow(QStringLiteral("Frame Rate (fps)"), EdtRate);
    panel->addRow(QStringLiteral("Capture file"), EdtFile);
    capturePanel->hide();
    columns->addWidget(capturePanel);

    setCentralWidget(central);

    mnuViewLog = menuBar()->addAction(QStringLiteral("&Video Log"));
    mnuPictureLog = menuBar()->addAction(QStringLiteral("&Picture Log"));
    munManual = menuBar()->addAction(QStringLiteral("View &Manual"));
    mnuExit = menuBar()->addAction(QStringLiteral("E&xit"));

    connect(cmdGoCapture, &QPushButton::clicked, this, &MainForm::cmdGoCapture_Click);
    connect(cmdGoTimer, &QPushButton::clicked, this, &MainForm::cmdGoTimer_Click);
    connect(ccmdGoToMeasure, &QPushButton::clicked, this, &MainForm::ccmdGoToMeasure_Click);
    connect(cmdSetup, &QPushButton::clicked, this, &MainForm::cmdSetup_Click);
    connect(cmdConfigure, &QPushButton::clicked, this, &MainForm::cmdConfigure_Click);
    connect(cmdShowConfig, &QPushButton::clicked, this, &MainForm::cmdShowConfig_Click);
    connect(btnChangeDirectory, &QPushButton::clicked, this, &MainForm::btnChangeDirectory_Click);
    connect(txtVideoDir, &QLineEdit::textEdited, this, &MainForm::txtVideoDir_Change);
    connect(cb15, &QCheckBox::clicked, this, &MainForm::cb15_Click);
    connect(EdtRate, &QLineEdit::textEdited, this, &MainForm::EdtRate_Change);
    connect(cmdImport, &QPushButton::clicked, this, &MainForm::cmdImport_Click);
    connect(mnuViewLog, &QAction::triggered, this, &MainForm::mnuViewLog_Click);
    connect(mnuPictureLog, &QAction::triggered, this, &MainForm::mnuPictureLog_Click);
    connect(munManual, &QAction::triggered, this, &MainForm::munManual_Click);
    connect(mnuExit, &QAction::triggered, this, &MainForm::mnuExit_Click);

    enableNavigation();
}

void MainForm::enableNavigation()
{
    // Buttons whose screen this build does not have yet stay disabled.
    cmdGoCapture->setEnabled(m_station.hasScreen(Screen::Capture));
    cmdGoTimer->setEnabled(m_station.hasScreen(Screen::FrameSelection));
    ccmdGoToMeasure->setEnabled(m_station.hasScreen(Screen::Measure) ||
                                m_station.hasScreen(Screen::GridSetup));
    cmdSetup->setEnabled(m_station.hasScreen(Screen::GridSetup));
}

void MainForm::Form_Load()
{
    Dialogs& dialogs = m_station.dialogs();
    SettingsStore& store = m_station.store();

    // 1. The way out for a station that cannot start because of a stored value.
    EmergencyReset(store, dialogs);

    // 2. Capture panel: the stored frame rate when there is one.
    const double storedRate = store.readDouble(QStringLiteral("framerate"), 0);
    if (storedRate >= 1)
        setFrameRateText(store.read(QStringLiteral("framerate"), QStringLiteral("0")));

    // 3. The video folder: asked until an existing one is given.
    const QString stored = store.read(QStringLiteral("logpath"), QString());
    if (stored.isEmpty() || !PathExists(withoutTrailingSeparator(stored), 1)) {
        m_station.settings.VideoFolder.clear();
        for (;;) {
            const QString answer =
                dialogs
                    .input(QStringLiteral("No Correct Save Video Directory has been set.  Please "
                                          "put in the path of the Save Video Directory here."),
                           kPathTitle, QString())
                    .value_or(QString());
            setByProgram(*txtVideoDir, answer, [this] { txtVideoDir_Change(); });
            if (PathExists(withoutTrailingSeparator(txtVideoDir->text()), 1))
                break;
            dialogs.message(QStringLiteral("You entered an invalid path - try  again"), kPathTitle);
        }
        store.write(QStringLiteral("logpath"), txtVideoDir->text());
    } else {
        setByProgram(*txtVideoDir, stored, [this] { txtVideoDir_Change(); });
    }

    // 4. The session log: named after the start day, kept for the whole run.
    const QDateTime now = m_station.clock().now();
    m_station.sessionLog.setFileName(SessionLog::fileNameFor(now.date()));
    m_station.settings.VideoFolder = withoutTrailingSeparator(txtVideoDir->text().trimmed());
    if (!m_station.settings.VideoFolder.isEmpty()) {
        m_station.sessionLog.append(m_station.settings.VideoFolder,
                                    SessionLog::startLineItems(now), dialogs);
        m_station.settings.SessionLogFileName = m_station.sessionLog.fileName();
        store.write(QStringLiteral("logfile"), m_station.sessionLog.fileName());
    }

    // 5.
    lblVideodir->setText(txtVideoDir->text());

    // 7. Barefoot timing.
    setByProgram(*cb15, store.readInt(QStringLiteral("barefoot"), 0) != 0,
                 [this] { cb15_Click(); });

    // 8. The capture file name.
    EdtFile->setText(QStringLiteral("testvid.avi"));

    // 10. The frame-rate class.
    setConfigLine(entryNumber(EdtRate->text()));

    // 11., 12.
    dialogs.message(QStringLiteral("Please Verify all Setup Parameters"));
    m_station.show(Screen::Config, this);
    hide();
}

void MainForm::setConfigLine(double rate)
{
    const QString caption = frameRateClassCaption(rate);
    if (!caption.isEmpty())
        lblConfig->setText(caption);
}

void MainForm::setFrameRateText(const QString& text)
{
    setByProgram(*EdtRate, text, [this] { EdtRate_Change(); });
}

void MainForm::EdtRate_Change()
{
    m_station.store().write(QStringLiteral("framerate"), EdtRate->text());
    m_station.settings.FrameRateText = EdtRate->text();
    m_station.settings.FrameRate = entryNumber(EdtRate->text());
    setConfigLine(entryNumber(EdtRate->text()));
}

void MainForm::txtVideoDir_Change()
{
    m_station.settings.VideoFolder = withoutTrailingSeparator(txtVideoDir->text());
    m_station.store().write(QStringLiteral("logpath"), m_station.settings.VideoFolder);
}

void MainForm::cb15_Click()
{
    const int value = cb15->isChecked() ? 1 : 0;
    m_station.settings.BarefootTiming15s = value;
    m_station.store().write(QStringLiteral("barefoot"), QString::number(value));
}

bool MainForm::videoFolderExists() const
{
    if (PathExists(withoutTrailingSeparator(txtVideoDir->text()), 1))
        return true;
    m_station.dialogs().message(QStringLiteral("The Log File Folder you specified does not exist. "
                                               "Please change it to a Folder that does exist."),
                                QStringLiteral("Path Error"), DialogIcon::Exclamation);
    return false;
}

void MainForm::cmdGoCapture_Click()
{
    if (!videoFolderExists())
        return;
    m_station.ArrivedFrom = QStringLiteral("Setup");
    m_station.show(Screen::Capture, this);
}

void MainForm::cmdGoTimer_Click()
{
    if (!videoFolderExists())
        return;
    m_station.ArrivedFrom = QStringLiteral("Setup");
    m_station.show(Screen::FrameSelection, this);
}

void MainForm::ccmdGoToMeasure_Click()
{
    if (m_station.allGridsReady()) {
        m_station.show(Screen::Measure, this);
        return;
    }
    m_station.dialogs().message(
        QStringLiteral("At least one measurement grid that you have specified has not been set "
                       "up.  All grids specified must be set up correctly before you can use the "
                       "measurement screen"),
        QString(), DialogIcon::Critical);
    m_station.show(Screen::GridSetup, this);
}

void MainForm::cmdSetup_Click()
{
    m_station.show(Screen::GridSetup, this);
}

void MainForm::cmdConfigure_Click()
{
    m_station.show(Screen::Config, this);
}

void MainForm::cmdShowConfig_Click()
{
    const bool show = !capturePanel->isVisible();
    capturePanel->setVisible(show);
    cmdShowConfig->setText(show ? QStringLiteral("Hide Video Configuration")
                                : QStringLiteral("Show Video Configuration"));
}

void MainForm::btnChangeDirectory_Click()
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
            setByProgram(*txtVideoDir, answer, [this] { txtVideoDir_Change(); });
            lblVideodir->setText(txtVideoDir->text());
            return;
        }
        dialogs.message(QStringLiteral("The folder you entered does not exist"),
                        QStringLiteral("Jump Measurement Alert"), DialogIcon::Exclamation);
    }
}

void MainForm::mnuViewLog_Click()
{
    m_station.openLogView(this);
}

void MainForm::mnuPictureLog_Click()
{
    m_station.openPictureLog(this);
}

void MainForm::cmdImport_Click()
{
    const std::optional<QString> name =
        importSkierNamesFile(m_station.dialogs(), m_station.paths().stationFolder());
    if (name)
        m_station.captureSkier = *name;
}

void MainForm::munManual_Click()
{
    m_station.show(Screen::Manual, this);
}

void MainForm::mnuExit_Click()
{
    m_station.quit();
}

void MainForm::setGridReady(int grid, bool ready)
{
    if (grid < 1 || grid > 3)
        return;
    m_gridReady[grid - 1] = ready;
    ImageGrid[grid - 1]->setPixmap(QPixmap(ready ? QStringLiteral(":/icons/SmallSmiley.jpg")
                                                 : QStringLiteral(":/icons/SmallCaution.jpg")));
}

bool MainForm::gridShownReady(int grid) const
{
    return grid >= 1 && grid <= 3 && m_gridReady[grid - 1];
}

void MainForm::setGridDescription(int grid, const QString& text)
{
    if (grid >= 1 && grid <= 3)
        txtGridDescription[grid - 1]->setText(text);
}

void MainForm::showGridRows(int count)
{
    for (int g = 0; g < 3; ++g) {
        const bool visible = g < count;
        lblGrid[g]->setVisible(visible);
        ImageGrid[g]->setVisible(visible);
        txtGridDescription[g]->setVisible(visible);
    }
}

void MainForm::closeEvent(QCloseEvent* event)
{
    // Closing the main screen ends the program at once.
    event->accept();
    m_station.quit();
}

void MainForm::showEvent(QShowEvent* event)
{
    m_station.ArrivedFrom.clear();
    QMainWindow::showEvent(event);
}

void MainForm::paintEvent(QPaintEvent* event)
{
    m_station.ArrivedFrom.clear();
    QMainWindow::paintEvent(event);
}

} // namespace fw
