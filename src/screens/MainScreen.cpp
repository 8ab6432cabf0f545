#include "screens/MainScreen.h"

#include "station/Station.h"
#include "measure/SkierNames.h"
#include "media/CaptureEngine.h"
#include "screens/CaptureScreen.h"
#include "screens/setByProgram.h"
#include "settings/EmergencyReset.h"
#include "settings/SettingsStore.h"
#include "support/FileChecks.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

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

MainScreen::MainScreen(Station& station, QWidget* parent) : QMainWindow(parent), m_station(station)
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
    EdtRate = new QLineEdit(capturePanel);
    EdtFile = new QLineEdit(capturePanel);
    EdtRate->setMinimumWidth(80);
    EdtFile->setMinimumWidth(220);
    buildCapturePanel();
    capturePanel->hide();
    columns->addWidget(capturePanel);

    setCentralWidget(central);

    mnuViewLog = menuBar()->addAction(QStringLiteral("&Video Log"));
    mnuPictureLog = menuBar()->addAction(QStringLiteral("&Picture Log"));
    munManual = menuBar()->addAction(QStringLiteral("View &Manual"));
    mnuExit = menuBar()->addAction(QStringLiteral("E&xit"));
    // The narrow screen would hide E&xit behind the menu bar's overflow button.
    setMinimumWidth(menuBar()->sizeHint().width());

    connect(cmdGoCapture, &QPushButton::clicked, this, &MainScreen::cmdGoCapture_Click);
    connect(cmdGoTimer, &QPushButton::clicked, this, &MainScreen::cmdGoTimer_Click);
    connect(ccmdGoToMeasure, &QPushButton::clicked, this, &MainScreen::ccmdGoToMeasure_Click);
    connect(cmdSetup, &QPushButton::clicked, this, &MainScreen::cmdSetup_Click);
    connect(cmdConfigure, &QPushButton::clicked, this, &MainScreen::cmdConfigure_Click);
    connect(cmdShowConfig, &QPushButton::clicked, this, &MainScreen::cmdShowConfig_Click);
    connect(btnChangeDirectory, &QPushButton::clicked, this, &MainScreen::btnChangeDirectory_Click);
    connect(txtVideoDir, &QLineEdit::textEdited, this, &MainScreen::txtVideoDir_Change);
    connect(cb15, &QCheckBox::clicked, this, &MainScreen::cb15_Click);
    connect(EdtRate, &QLineEdit::textEdited, this, &MainScreen::EdtRate_Change);
    connect(cmdImport, &QPushButton::clicked, this, &MainScreen::cmdImport_Click);
    connect(mnuViewLog, &QAction::triggered, this, &MainScreen::mnuViewLog_Click);
    connect(mnuPictureLog, &QAction::triggered, this, &MainScreen::mnuPictureLog_Click);
    connect(munManual, &QAction::triggered, this, &MainScreen::munManual_Click);
    connect(mnuExit, &QAction::triggered, this, &MainScreen::mnuExit_Click);

    enableNavigation();
}

void MainScreen::enableNavigation()
{
    // Buttons whose screen this build does not have yet stay disabled.
    cmdGoCapture->setEnabled(m_station.hasScreen(Screen::Capture));
    cmdGoTimer->setEnabled(m_station.hasScreen(Screen::FrameSelection));
    ccmdGoToMeasure->setEnabled(m_station.hasScreen(Screen::Measurement) ||
                                m_station.hasScreen(Screen::GridSetup));
    cmdSetup->setEnabled(m_station.hasScreen(Screen::GridSetup));
}

void MainScreen::Form_Load()
{
    Dialogs& dialogs = m_station.dialogs();
    SettingsStore& store = m_station.store();

    // 1. The way out for a station that cannot start because of a stored value.
    EmergencyReset(store, dialogs);

    // 2. Capture panel and the connection to the stored device.
    startupCapturePanel();

    // 2.8 This screen at the display's top left; the capture screen beside it.
    if (const QScreen* display = screen())
        move(display->availableGeometry().topLeft());
    if (m_station.created(Screen::Capture))
        placeCaptureScreen(m_station.capture());

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
        m_station.sessionLog.append(m_station.settings.VideoFolder, SessionLog::startLineItems(now),
                                    dialogs);
        m_station.settings.SessionLogFileName = m_station.sessionLog.fileName();
        store.write(QStringLiteral("logfile"), m_station.sessionLog.fileName());
    }

    // 5.
    lblVideodir->setText(txtVideoDir->text());

    // 6. The live picture of the capture screen.
    m_station.captureEngine().setPreview(true);
    CmdPreview->setText(QStringLiteral("Preview Off"));

    // 7. Barefoot timing.
    setByProgram(*cb15, store.readInt(QStringLiteral("barefoot"), 0) != 0,
                 [this] { cb15_Click(); });

    // 8. The capture file name; 9. the status line hidden until a capture reports.
    EdtFile->setText(QStringLiteral("testvid.avi"));
    LblStatus->hide();

    // 10. The frame-rate class.
    setConfigLine(entryNumber(EdtRate->text()));

    // 11., 12.
    dialogs.message(QStringLiteral("Please Verify all Setup Parameters"));
    m_station.show(Screen::Configuration, this);
    hide();
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

void MainScreen::setConfigLine(double rate)
{
    const QString caption = frameRateClassCaption(rate);
    if (!caption.isEmpty())
        lblConfig->setText(caption);
}

void MainScreen::setFrameRateText(const QString& text)
{
    setByProgram(*EdtRate, text, [this] { EdtRate_Change(); });
}

void MainScreen::EdtRate_Change()
{
    m_station.store().write(QStringLiteral("framerate"), EdtRate->text());
    m_station.settings.FrameRateText = EdtRate->text();
    m_station.settings.FrameRate = entryNumber(EdtRate->text());
    m_station.captureEngine().setFrameRate(entryNumber(EdtRate->text()));
    setConfigLine(entryNumber(EdtRate->text()));
}

void MainScreen::txtVideoDir_Change()
{
    m_station.settings.VideoFolder = withoutTrailingSeparator(txtVideoDir->text());
    m_station.store().write(QStringLiteral("logpath"), m_station.settings.VideoFolder);
}

void MainScreen::cb15_Click()
{
    const int value = cb15->isChecked() ? 1 : 0;
    m_station.settings.BarefootTiming15s = value;
    m_station.store().write(QStringLiteral("barefoot"), QString::number(value));
}

bool MainScreen::videoFolderExists() const
{
    if (PathExists(withoutTrailingSeparator(txtVideoDir->text()), 1))
        return true;
    m_station.dialogs().message(QStringLiteral("The Log File Folder you specified does not exist. "
                                               "Please change it to a Folder that does exist."),
                                QStringLiteral("Path Error"), DialogIcon::Exclamation);
    return false;
}

void MainScreen::cmdGoCapture_Click()
{
    if (!videoFolderExists())
        return;
    m_station.arrivedFrom = ArrivedFrom::MainScreen;
    m_station.show(Screen::Capture, this);
}

void MainScreen::cmdGoTimer_Click()
{
    if (!videoFolderExists())
        return;
    m_station.arrivedFrom = ArrivedFrom::MainScreen;
    m_station.show(Screen::FrameSelection, this);
}

void MainScreen::ccmdGoToMeasure_Click()
{
    m_station.showMeasureWhenReady(this);
}

void MainScreen::cmdSetup_Click()
{
    m_station.show(Screen::GridSetup, this);
}

void MainScreen::cmdConfigure_Click()
{
    m_station.show(Screen::Configuration, this);
}

void MainScreen::cmdShowConfig_Click()
{
    const bool show = !capturePanel->isVisible();
    capturePanel->setVisible(show);
    // The window's own minimum width (its menu bar's) keeps the layout from growing it: make
    // room for the whole panel.
    if (show && centralWidget()->layout()) {
        centralWidget()->layout()->activate();
        resize(size().expandedTo(sizeHint()));
    }
    cmdShowConfig->setText(show ? QStringLiteral("Hide Video Configuration")
                                : QStringLiteral("Show Video Configuration"));
}

void MainScreen::btnChangeDirectory_Click()
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

void MainScreen::mnuViewLog_Click()
{
    m_station.openLogView(this);
}

void MainScreen::mnuPictureLog_Click()
{
    m_station.openPictureLog(this);
}

void MainScreen::cmdImport_Click()
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

void MainScreen::munManual_Click()
{
    m_station.show(Screen::Manual, this);
}

void MainScreen::mnuExit_Click()
{
    m_station.quit();
}

void MainScreen::setGridReady(int grid, bool ready)
{
    if (grid < 1 || grid > 3)
        return;
    m_gridReady[grid - 1] = ready;
    ImageGrid[grid - 1]->setPixmap(QPixmap(ready ? QStringLiteral(":/icons/SmallSmiley.jpg")
                                                 : QStringLiteral(":/icons/SmallCaution.jpg")));
}

bool MainScreen::gridShownReady(int grid) const
{
    return grid >= 1 && grid <= 3 && m_gridReady[grid - 1];
}

void MainScreen::setGridDescription(int grid, const QString& text)
{
    if (grid >= 1 && grid <= 3)
        txtGridDescription[grid - 1]->setText(text);
}

void MainScreen::showGridRows(int count)
{
    for (int g = 0; g < 3; ++g) {
        const bool visible = g < count;
        lblGrid[g]->setVisible(visible);
        ImageGrid[g]->setVisible(visible);
        txtGridDescription[g]->setVisible(visible);
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

// ---------------------------------------------------------------------------------------------
// The capture panel

namespace {
const QString kNoDevices = QStringLiteral("No Capture Devices");
const QString kNone = QStringLiteral("None");
const QString kEndCapture = QStringLiteral("End Capture");
const QString kCaptureFrame = QStringLiteral("Capture Frame");
const QString kCaptureStream = QStringLiteral("Capture Stream");

int entryIndex(const QLineEdit* box)
{
    const double v = entryNumber(box->text());
    return std::isfinite(v) ? int(v) : 0;
}
} // namespace

void MainScreen::buildCapturePanel()
{
    auto* panel = new QFormLayout(capturePanel);
    auto combo = [&](QComboBox*& c, const char* caption) {
        c = new QComboBox(capturePanel);
        panel->addRow(QLatin1String(caption), c);
    };
    auto pushButton = [&](const char* caption) {
        return new QPushButton(QLatin1String(caption), capturePanel);
    };
    combo(Combo1, "Video Device:");
    CmdConnect = pushButton("Connect");
    CmdPreview = pushButton("Preview On");
    VideoConfig = pushButton("Configure...");
    auto* row = new QHBoxLayout;
    row->addWidget(CmdConnect);
    row->addWidget(CmdPreview);
    row->addWidget(VideoConfig);
    panel->addRow(row);
    combo(ResolutionCombo, "Resolution:");
    combo(ColorFormatCombo, "Color Format:");
    combo(VideoInput, "Input:");
    combo(Channel, "Channel:");
    combo(Effect, "Effect:");
    combo(CompressionCombo, "Compression:");
    ComprConfig = pushButton("Configure...");
    panel->addRow(QString(), ComprConfig);
    combo(AudioDevice, "Audio Device:");
    AudioConfig = pushButton("Configure...");
    panel->addRow(QString(), AudioConfig);
    combo(AudioCompr, "Audio Compression:");
    combo(ComboAttrib, "Attributes:");
    ComboAttrib->addItems(soundFormatEntries());
    Check1 = new QCheckBox(QStringLiteral("Listen"), capturePanel);
    // Listening to the sound while recording is not offered by this station.
    Check1->setEnabled(false);
    panel->addRow(Check1);
    EdtRate->setMinimumWidth(80);
    panel->addRow(QStringLiteral("Frame Rate (fps)"), EdtRate);
    EdtLimit = new QLineEdit(QStringLiteral("0"), capturePanel);
    panel->addRow(QStringLiteral("Time Limit (sec)"), EdtLimit);
    combo(CaptureType, "Capture:");
    CaptureType->addItems({QStringLiteral("Frames"), QStringLiteral("Streams")});
    EdtFile->setMinimumWidth(220);
    CmdCapFN = pushButton("...");
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(EdtFile);
    fileRow->addWidget(CmdCapFN);
    panel->addRow(QStringLiteral("Capture file"), fileRow);
    CmdCap = pushButton("Capture Stream");
    panel->addRow(CmdCap);

    FrmOptions = new QGroupBox(QStringLiteral("Frame Options"), capturePanel);
    auto* frame = new QFormLayout(FrmOptions);
    ChkProg = new QCheckBox(QStringLiteral("Progressive JPG"), FrmOptions);
    ChkAutoSave = new QCheckBox(QStringLiteral("AutoSave"), FrmOptions);
    ChkAutoInc = new QCheckBox(QStringLiteral("AutoIncrement"), FrmOptions);
    frame->addRow(ChkProg);
    frame->addRow(ChkAutoSave);
    frame->addRow(ChkAutoInc);
    auto edit = [&](QLineEdit*& e, const char* caption) {
        e = new QLineEdit(FrmOptions);
        frame->addRow(QLatin1String(caption), e);
    };
    edit(EdtChrom, "ChromFactor:");
    edit(EdtLum, "LumFactor:");
    edit(EdtInterval, "Interval:");
    edit(EdtPass, "Password:");
    // Protected stills are not supported.
    EdtPass->setText(QStringLiteral("not supported"));
    EdtPass->setEnabled(false);
    edit(EdtCaption, "Caption:");
    edit(EdtCapLeft, "CaptionLeft:");
    edit(EdtCapTop, "CaptionTop:");
    panel->addRow(FrmOptions);

    StrmOptions = new QGroupBox(QStringLiteral("Stream Options"), capturePanel);
    auto* stream = new QFormLayout(StrmOptions);
    LblFrames = new QLabel(StrmOptions);
    LblFrmDrop = new QLabel(StrmOptions);
    LblSamples = new QLabel(StrmOptions);
    LblTime = new QLabel(StrmOptions);
    stream->addRow(QStringLiteral("Total Frames"), LblFrames);
    stream->addRow(QStringLiteral("Frames Dropped"), LblFrmDrop);
    stream->addRow(QStringLiteral("Total Samples"), LblSamples);
    stream->addRow(QStringLiteral("Time (ms)"), LblTime);
    panel->addRow(StrmOptions);
    LblStatus = new QLabel(capturePanel);
    panel->addRow(LblStatus);

    // The station's devices have no settings dialogs of their own and no video effects.
    VideoConfig->setEnabled(false);
    ComprConfig->setEnabled(false);
    AudioConfig->setEnabled(false);
    Channel->setEnabled(false);

    connect(EdtLimit, &QLineEdit::textEdited, this, &MainScreen::EdtLimit_Change);
    connect(CmdConnect, &QPushButton::clicked, this, &MainScreen::CmdConnect_Click);
    connect(CmdPreview, &QPushButton::clicked, this, &MainScreen::CmdPreview_Click);
    connect(ResolutionCombo, &QComboBox::activated, this, &MainScreen::ResolutionCombo_Click);
    connect(ColorFormatCombo, &QComboBox::activated, this, &MainScreen::ColorFormatCombo_Click);
    connect(VideoInput, &QComboBox::activated, this, &MainScreen::VideoInput_Click);
    connect(CompressionCombo, &QComboBox::activated, this, &MainScreen::CompressionCombo_Click);
    connect(CaptureType, &QComboBox::activated, this, &MainScreen::CaptureType_Click);
    connect(CmdCapFN, &QPushButton::clicked, this, &MainScreen::CmdCapFN_Click);
    connect(CmdCap, &QPushButton::clicked, this, &MainScreen::CmdCap_Click);

    CaptureEngine& engine = m_station.captureEngine();
    connect(&engine, &CaptureEngine::deviceChange, this, &MainScreen::CapturePRO1_DeviceChange);
    connect(&engine, &CaptureEngine::status, this, &MainScreen::CapturePRO1_Status);
    connect(&engine, &CaptureEngine::statusText, this, &MainScreen::CapturePRO1_StatusText);
    connect(&engine, &CaptureEngine::warning, this, &MainScreen::CapturePRO1_Warning);
    connect(&engine, &CaptureEngine::captureEnded, this, &MainScreen::CapturePRO1_CaptureEnded);
    engine.watchDevices();
}

void MainScreen::startupCapturePanel()
{
    CaptureEngine& engine = m_station.captureEngine();
    SettingsStore& store = m_station.store();
    // 1. Streams mode.
    CaptureType->setCurrentIndex(1);
    CaptureType_Click();
    // 2.
    CmdPreview->setText(engine.preview() ? QStringLiteral("Preview Off")
                                         : QStringLiteral("Preview On"));
    // 3. Video devices and the stored choice.
    fillDeviceList(store.readInt(QStringLiteral("device"), -1));
    // 4. Lists that start with "None".
    fillAudioList();
    CompressionCombo->clear();
    CompressionCombo->addItem(kNone);
    CompressionCombo->addItems(engine.compressors());
    CompressionCombo->setCurrentIndex(engine.compressor() + 1);
    AudioCompr->clear();
    AudioCompr->addItem(kNone);
    AudioCompr->setCurrentIndex(0);
    // 5. No video effects.
    Effect->clear();
    Effect->addItem(kNone);
    Effect->setEnabled(false);
    // 6. The still options as the engine holds them.
    const StillSettings& still = engine.stills;
    ChkProg->setChecked(still.progressive);
    ChkAutoSave->setChecked(still.autoSave);
    ChkAutoInc->setChecked(still.autoIncrement);
    EdtChrom->setText(QString::number(still.chromFactor));
    EdtLum->setText(QString::number(still.lumFactor));
    EdtInterval->setText(QString::number(still.interval));
    EdtCaption->setText(still.caption);
    EdtCapLeft->setText(QString::number(still.captionLeft));
    EdtCapTop->setText(QString::number(still.captionTop));
    InitAudioSettings();
    // 7. Frame rate and time limit.
    const double storedRate = store.readDouble(QStringLiteral("framerate"), 0);
    if (storedRate >= 1)
        setFrameRateText(store.read(QStringLiteral("framerate"), QStringLiteral("0")));
    else
        setFrameRateText(QString::number(engine.frameRate()));
    EdtLimit->setText(QString::number(engine.timeLimit_s()));
    // 9. Connect once.
    CmdConnect_Click();
    // 10. The stored compressor.
    const int compression = store.readInt(QStringLiteral("compression"), -1);
    CompressionCombo->setCurrentIndex(
        compression >= 0 && compression < CompressionCombo->count() ? compression : 0);
    engine.setCompressor(CompressionCombo->currentIndex() - 1);
}

void MainScreen::fillDeviceList(int select)
{
    const QList<CaptureDevice>& devices = m_station.captureEngine().devices();
    Combo1->clear();
    if (devices.isEmpty()) {
        Combo1->addItem(kNoDevices);
        Combo1->setCurrentIndex(0);
        return;
    }
    for (const CaptureDevice& d : devices)
        Combo1->addItem(d.name);
    Combo1->setCurrentIndex(select >= 0 && select < Combo1->count() ? select : 0);
}

void MainScreen::CmdConnect_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    if (engine.deviceCount() == 0) {
        m_station.dialogs().message(
            QStringLiteral("No MCI capture devices are installed on this system"));
        return;
    }
    if (engine.isConnected()) {
        engine.disconnectDevice();
        OnDisconnect();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SettingsStore& store = m_station.store();
    const int index = std::max(0, Combo1->currentIndex());
    if (!engine.connectDevice(index)) {
        QApplication::restoreOverrideCursor();
        m_station.dialogs().message(QStringLiteral("Warning: ") + engine.lastError());
        return;
    }
    store.write(QStringLiteral("device"), QString::number(index));
    const CaptureDevice& device = engine.devices().at(index);
    auto fill = [&](QComboBox* list, const QStringList& entries, int current, const char* key) {
        list->clear();
        list->addItems(entries);
        list->setEnabled(!entries.isEmpty());
        if (entries.isEmpty())
            return -1;
        list->setCurrentIndex(std::max(0, current));
        const int stored = store.readInt(QLatin1String(key), -1);
        if (stored >= 0 && stored < entries.size())
            list->setCurrentIndex(stored);
        return list->currentIndex();
    };
    engine.setResolution(
        fill(ResolutionCombo, device.resolutions, engine.resolution(), "VideoResolution"));
    engine.setColorFormat(
        fill(ColorFormatCombo, device.colorFormats, engine.colorFormat(), "ColorFormat"));
    engine.setVideoInput(fill(VideoInput, device.inputs, engine.videoInput(), "VideoInput"));
    Channel->setEnabled(false);
    fillAudioList();
    setFrameRateText(QString::number(engine.frameRate()));
    EdtLimit->setText(QString::number(engine.timeLimit_s()));
    CmdConnect->setText(QStringLiteral("Disconnect"));
    for (QWidget* w : {static_cast<QWidget*>(CmdCap), static_cast<QWidget*>(CmdPreview)})
        w->setEnabled(true);
    InitAudioSettings();
    QApplication::restoreOverrideCursor();
}

void MainScreen::OnDisconnect()
{
    CmdConnect->setText(QStringLiteral("Connect"));
    for (QWidget* w : {static_cast<QWidget*>(CmdCap), static_cast<QWidget*>(CmdPreview),
                       static_cast<QWidget*>(ResolutionCombo),
                       static_cast<QWidget*>(ColorFormatCombo), static_cast<QWidget*>(VideoConfig),
                       static_cast<QWidget*>(Channel), static_cast<QWidget*>(VideoInput)})
        w->setEnabled(false);
}

void MainScreen::CmdPreview_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    engine.setPreview(!engine.preview());
    CmdPreview->setText(engine.preview() ? QStringLiteral("Preview Off")
                                         : QStringLiteral("Preview On"));
}

void MainScreen::ResolutionCombo_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    if (ResolutionCombo->currentIndex() == engine.resolution())
        return;
    engine.setResolution(ResolutionCombo->currentIndex());
    m_station.store().write(QStringLiteral("videoresolution"),
                            QString::number(ResolutionCombo->currentIndex()));
}

void MainScreen::ColorFormatCombo_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    if (ColorFormatCombo->currentIndex() == engine.colorFormat())
        return;
    engine.setColorFormat(ColorFormatCombo->currentIndex());
    m_station.store().write(QStringLiteral("ColorFormat"),
                            QString::number(ColorFormatCombo->currentIndex()));
}

void MainScreen::VideoInput_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    if (VideoInput->currentIndex() == engine.videoInput())
        return;
    engine.setVideoInput(VideoInput->currentIndex());
    m_station.store().write(QStringLiteral("VideoInput"),
                            QString::number(VideoInput->currentIndex()));
}

void MainScreen::CompressionCombo_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    if (CompressionCombo->currentIndex() - 1 == engine.compressor())
        return;
    engine.setCompressor(CompressionCombo->currentIndex() - 1);
    m_station.store().write(QStringLiteral("compression"),
                            QString::number(CompressionCombo->currentIndex()));
}

void MainScreen::EdtLimit_Change()
{
    m_station.captureEngine().setTimeLimit_s(entryIndex(EdtLimit));
}

void MainScreen::CaptureType_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    const bool frames = CaptureType->currentIndex() == 0;
    engine.stopStills();
    CmdCap->setText(frames ? kCaptureFrame : kCaptureStream);
    FrmOptions->setVisible(frames);
    StrmOptions->setVisible(!frames);
    EdtFile->setText(frames ? engine.stills.filePath : engine.streamFile());
}

void MainScreen::InitAudioSettings()
{
    const QString text = soundFormatText(m_station.captureEngine().soundFormat());
    for (int i = 0; i < ComboAttrib->count(); ++i) {
        if (ComboAttrib->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            ComboAttrib->setCurrentIndex(i);
            return;
        }
    }
    ComboAttrib->addItem(text);
    ComboAttrib->setCurrentIndex(ComboAttrib->count() - 1);
}

void MainScreen::SetCaptureValues()
{
    CaptureEngine& engine = m_station.captureEngine();
    // A bare file name is kept in the video folder.
    QString file = EdtFile->text().trimmed();
    if (!file.isEmpty() && QFileInfo(file).isRelative())
        file = QDir(m_station.settings.VideoFolder).filePath(file);
    if (CaptureType->currentIndex() == 0) {
        StillSettings& still = engine.stills;
        still.progressive = ChkProg->isChecked();
        still.autoSave = ChkAutoSave->isChecked();
        still.autoIncrement = ChkAutoInc->isChecked();
        still.chromFactor = entryIndex(EdtChrom);
        still.lumFactor = entryIndex(EdtLum);
        still.interval = entryIndex(EdtInterval);
        still.caption = EdtCaption->text();
        still.captionLeft = entryIndex(EdtCapLeft);
        still.captionTop = entryIndex(EdtCapTop);
        still.filePath = file;
        return;
    }
    engine.setStreamFile(file);
    engine.setFrameRate(entryNumber(EdtRate->text()));
    engine.setTimeLimit_s(entryIndex(EdtLimit));
    engine.setAudioDevice(AudioDevice->currentIndex() - 1);
    engine.setCompressor(CompressionCombo->currentIndex() - 1);
    engine.setSoundFormat(soundFormatFromEntry(ComboAttrib->currentIndex(),
                                               ComboAttrib->currentText(), engine.soundFormat()));
}

void MainScreen::CmdCapFN_Click()
{
    setByProgram(*EdtFile, SaveFileDialog(m_station.dialogs(), EdtFile->text(), 0), [] {});
}

void MainScreen::CmdCap_Click()
{
    CaptureEngine& engine = m_station.captureEngine();
    if (CaptureType->currentIndex() == 0) {
        // With AutoSave and an interval the stills repeat until the button is pressed again.
        if (engine.takingStills()) {
            engine.stopStills();
            CmdCap->setText(kCaptureFrame);
            return;
        }
        SetCaptureValues();
        engine.captureFrame();
        if (engine.takingStills())
            CmdCap->setText(kEndCapture);
        return;
    }
    if (CmdCap->text() == kCaptureStream) {
        SetCaptureValues();
        if (engine.startCapture())
            CmdCap->setText(kEndCapture);
        return;
    }
    engine.stopCapture();
    showCounters();
    CmdCap->setText(kCaptureStream);
}

void MainScreen::showCounters()
{
    const CaptureEngine& engine = m_station.captureEngine();
    LblFrames->setText(QString::number(engine.framesCaptured()));
    LblFrmDrop->setText(QString::number(engine.framesDropped()));
    LblSamples->setText(QString::number(engine.audioSamples()));
    LblTime->setText(QString::number(engine.elapsed_ms()));
}

void MainScreen::CapturePRO1_Status(int code, const QString& text)
{
    if (code == capture_status::kCounters)
        showCounters();
    if (code == capture_status::kEnded) {
        // In the Frames mode the button keeps its still caption.
        if (CaptureType->currentIndex() == 1)
            CmdCap->setText(kCaptureStream);
        return;
    }
    LblStatus->setText(text);
}

void MainScreen::CapturePRO1_StatusText(const QString& text)
{
    LblStatus->setText(text);
}

void MainScreen::CapturePRO1_Warning(const QString& text)
{
    m_station.dialogs().message(QStringLiteral("Warning: ") + text, QString(),
                                DialogIcon::Exclamation);
    // A failed still ends a series of stills.
    if (CaptureType->currentIndex() == 0 && !m_station.captureEngine().takingStills())
        CmdCap->setText(kCaptureFrame);
}

void MainScreen::CapturePRO1_CaptureEnded(const QString& reason)
{
    // A recording started from the panel that ended by itself; the capture screen looks after
    // its own.
    if (CaptureType->currentIndex() != 1 || CmdCap->text() != kEndCapture)
        return;
    CaptureEngine& engine = m_station.captureEngine();
    engine.stopCapture();
    showCounters();
    CmdCap->setText(kCaptureStream);
    // The time limit is the recording's normal end, not a fault.
    if (reason != CaptureEngine::timeLimitReason())
        CapturePRO1_Warning(reason);
}

void MainScreen::fillAudioList()
{
    const CaptureEngine& engine = m_station.captureEngine();
    AudioDevice->clear();
    AudioDevice->addItem(kNone);
    AudioDevice->addItems(engine.audioDevices());
    AudioDevice->setCurrentIndex(engine.audioDevice() + 1);
}

void MainScreen::CapturePRO1_DeviceChange(int kind, const QString& name, const QString& category)
{
    CaptureEngine& engine = m_station.captureEngine();
    if (category == CaptureEngine::audioCategory()) {
        // The list keeps its "None" and gets no "No Capture Devices" entry.
        if (kind == 0 && !engine.isConnected()) {
            const DialogAnswer answer = m_station.dialogs().message(
                name + QStringLiteral(" is plugged into your computer. Do you want to use it?"),
                QString(), DialogIcon::Question, DialogButtons::YesNo);
            if (answer == DialogAnswer::Yes)
                engine.setAudioDevice(int(engine.audioDevices().indexOf(name)));
        }
        fillAudioList();
        return;
    }
    if (category != CaptureEngine::videoCategory())
        return;
    int select = engine.currentDevice();
    if (kind == 0 && !engine.isConnected()) {
        const DialogAnswer answer = m_station.dialogs().message(
            name + QStringLiteral(" is plugged into your computer. Do you want to use it?"),
            QString(), DialogIcon::Question, DialogButtons::YesNo);
        if (answer == DialogAnswer::Yes) {
            for (int i = 0; i < engine.deviceCount(); ++i)
                if (engine.devices()[i].name == name)
                    select = i;
        }
    }
    fillDeviceList(select);
    if (kind == 1 && CmdConnect->text() == QLatin1String("Disconnect") && !engine.isConnected())
        OnDisconnect();
}

} // namespace fw
