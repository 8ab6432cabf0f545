#include "screens/CaptureScreen.h"

#include "station/Station.h"
#include "measure/SkierNames.h"
#include "media/CaptureEngine.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/SkierPicker.h"
#include "screens/FrameSelectionScreen.h"
#include "screens/setByProgram.h"
#include "settings/SettingsStore.h"
#include "support/FileChecks.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace fw {

namespace {
const QString kNoFrame = QStringLiteral(" ");
const QString kCameraOpening = QStringLiteral("Opening the camera ...");

QString withoutCommas(QString text)
{
    text.replace(QLatin1Char(','), QLatin1Char(' '));
    return text;
}
} // namespace

CaptureScreen::CaptureScreen(Station& station, QWidget* parent)
    : QMainWindow(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Farwater 2005 Capture Screen"));
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);

    CapturePRO1 = new QLabel(central);
    CapturePRO1->setMinimumSize(320, 240);
    CapturePRO1->setAlignment(Qt::AlignCenter);
    CapturePRO1->setStyleSheet(QStringLiteral("background: black; color: white"));
    columns->addWidget(CapturePRO1, 1);

    auto* side = new QVBoxLayout;
    columns->addLayout(side);
    auto* fields = new QGridLayout;
    side->addLayout(fields);
    txtSkierName = new QLineEdit(QStringLiteral("SkierName"), central);
    txtPass = new QLineEdit(QStringLiteral("1"), central);
    captureTimeValue = new QComboBox(central);
    captureTimeValue->addItems({QStringLiteral("3.0"), QStringLiteral("4.0"), QStringLiteral("5.0"),
                                QStringLiteral("6.0")});
    captime = new QLabel(central);
    LblFrame = new QLabel(central);
    LblFrmDrop = new QLabel(central);
    lblRate = new QLabel(central);
    lblStartFrame = new QLabel(kNoFrame, central);
    int row = 0;
    auto add = [&](const char* caption, QWidget* w) {
        fields->addWidget(new QLabel(QLatin1String(caption), central), row, 0);
        fields->addWidget(w, row++, 1);
    };
    add("Skier Name", txtSkierName);
    add("Pass", txtPass);
    add("Capture Time (sec)", captureTimeValue);
    add("Capture Time Left", captime);
    add("Frames", LblFrame);
    add("Frames Dropped", LblFrmDrop);
    add("Frame Rate (fps)", lblRate);
    add("Contact Frame", lblStartFrame);

    cmdStartCapture =
        new QPushButton(QStringLiteral("Start Recording     (skier hits ramp)"), central);
    cmdStartTimer = new QPushButton(QStringLiteral("Contact"), central);
    cmdEndCapture = new QPushButton(QStringLiteral("Stop Recording"), central);
    Label3 = new QLabel(QStringLiteral("Hit ESC to stop recording"), central);
    Label4 = new QLabel(central);
    Label4->setWordWrap(true);
    Label4->hide();
    Text1 = new QLineEdit(central);
    Text1->setReadOnly(true);
    Text1->setMaximumWidth(60);
    cmdSelect = new QPushButton(QStringLiteral("Select Name from File"), central);
    btnGetName = new QPushButton(QStringLiteral("Select WSTIMS Name"), central);
    cmdGoToTimer = new QPushButton(QStringLiteral("View Already Recorded Jumps"), central);
    cmdGoSetup = new QPushButton(QStringLiteral("Go Back To Main Screen"), central);
    for (QWidget* w : {static_cast<QWidget*>(cmdStartCapture), static_cast<QWidget*>(cmdStartTimer),
                       static_cast<QWidget*>(cmdEndCapture), static_cast<QWidget*>(Label3),
                       static_cast<QWidget*>(Label4), static_cast<QWidget*>(Text1),
                       static_cast<QWidget*>(cmdSelect), static_cast<QWidget*>(btnGetName),
                       static_cast<QWidget*>(cmdGoToTimer), static_cast<QWidget*>(cmdGoSetup)})
        side->addWidget(w);
    side->addStretch();
    setCentralWidget(central);
    cmdStartTimer->setEnabled(false);
    cmdEndCapture->setEnabled(false);

    mnuStart = menuBar()->addAction(QStringLiteral("&Start Recording"));
    Timer40 = new QTimer(this);
    Timer40->setInterval(1000);

    connect(cmdStartCapture, &QPushButton::clicked, this, &CaptureScreen::cmdStartCapture_Click);
    connect(mnuStart, &QAction::triggered, this, &CaptureScreen::cmdStartCapture_Click);
    connect(cmdEndCapture, &QPushButton::clicked, this, &CaptureScreen::cmdEndCapture_Click);
    connect(cmdStartTimer, &QPushButton::clicked, this, &CaptureScreen::cmdStartTimer_Click);
    connect(Timer40, &QTimer::timeout, this, &CaptureScreen::Timer40_Timer);
    connect(captureTimeValue, &QComboBox::activated, this, &CaptureScreen::captureTimeValue_Click);
    connect(txtSkierName, &QLineEdit::textEdited, this, &CaptureScreen::txtSkierName_Change);
    connect(txtPass, &QLineEdit::textEdited, this, &CaptureScreen::txtPass_Change);
    connect(cmdSelect, &QPushButton::clicked, this, &CaptureScreen::cmdSelect_Click);
    connect(btnGetName, &QPushButton::clicked, this, &CaptureScreen::btnGetName_Click);
    connect(cmdGoToTimer, &QPushButton::clicked, this, &CaptureScreen::cmdGoToTimer_Click);
    connect(cmdGoSetup, &QPushButton::clicked, this, &CaptureScreen::cmdGoSetup_Click);
    connect(&engine(), &CaptureEngine::captureEnded, this, &CaptureScreen::captureEnded);
    connect(&engine(), &CaptureEngine::previewFrame, this, &CaptureScreen::showPicture);
    connect(&engine(), &CaptureEngine::recordingStarted, this, &CaptureScreen::recordingStarted);
    connect(&engine(), &CaptureEngine::captureNotStarted, this, &CaptureScreen::captureNotStarted);
    connect(&engine(), &CaptureEngine::cameraOpening, this, &CaptureScreen::cameraOpening);
    connect(&engine(), &CaptureEngine::cameraOpened, this, &CaptureScreen::cameraOpened);
    // A double click on the name chooses one from the list, as the button does.
    txtSkierName->installEventFilter(this);
    btnGetName->setVisible(m_station.settings.WstimsOn != 0);
}

CaptureScreen::~CaptureScreen()
{
    // The capture ends with the screen: the file is finished.
    engine().setPreviewShown(false);
    engine().stopCapture();
}

CaptureEngine& CaptureScreen::engine()
{
    return m_station.captureEngine();
}

bool CaptureScreen::recording() const
{
    return m_station.captureEngine().isCapturing();
}

QString CaptureScreen::captureFileFor(const QString& skier, const QString& pass) const
{
    const QString folder = withoutTrailingSeparator(m_station.settings.VideoFolder);
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + fileNamePart(skier) +
                                    QStringLiteral("jump") + pass.trimmed() +
                                    QStringLiteral(".avi"));
}

void CaptureScreen::Form_Load()
{
    capturePainted = false;
    SettingsStore& store = m_station.store();
    captureSeconds = store.readDouble(QStringLiteral("captureTime"), 0);
    if (!(captureSeconds > 0) || !std::isfinite(captureSeconds)) {
        captureTimeValue->setCurrentIndex(2);
        captureSeconds = 5;
        store.write(QStringLiteral("captureTime"), QStringLiteral("5"));
    } else {
        for (int i = 0; i < captureTimeValue->count(); ++i)
            if (entryNumber(captureTimeValue->itemText(i)) == captureSeconds)
                captureTimeValue->setCurrentIndex(i);
    }
    m_station.settings.CaptureTime = captureSeconds;
    const std::optional<QString> name =
        defaultSkierName(m_station.paths().inStation(skierNamesFileName()));
    if (name)
        setSkierName(*name);
    m_station.captureSkier = txtSkierName->text();
    m_station.capturePass = txtPass->text();
}

void CaptureScreen::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_placed && m_station.created(Screen::Main)) {
        m_placed = true;
        m_station.mainScreen().placeCaptureScreen(*this);
    }
    takeStationName();
    engine().setPreviewShown(true);
    Form_Paint();
}

void CaptureScreen::takeStationName()
{
    const QString name = m_station.captureSkier;
    const QString pass = m_station.capturePass;
    if (txtSkierName->text() != name)
        setSkierName(name); // restarts the pass ...
    if (txtPass->text() != pass)
        setPass(pass); // ... which the station may hold otherwise
}

bool CaptureScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtSkierName && event->type() == QEvent::MouseButtonDblClick) {
        cmdSelect_Click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CaptureScreen::hideEvent(QHideEvent* event)
{
    engine().setPreviewShown(false);
    QMainWindow::hideEvent(event);
}

void CaptureScreen::Form_Paint()
{
    if (capturePainted)
        return;
    capturePainted = true;
    captime->setText(leadingSpace(captureSeconds));
    ArrivedFrom& arrived = m_station.arrivedFrom;
    if (arrived != ArrivedFrom::MainScreen && arrived != ArrivedFrom::FrameSelection)
        return;
    Label4->hide();
    bool raised = false;
    while (FilePresent(captureFileFor(txtSkierName->text(), txtPass->text()))) {
        setPass(leadingSpace(entryNumber(txtPass->text()) + 1));
        raised = true;
    }
    Dialogs& dialogs = m_station.dialogs();
    if (raised)
        dialogs.message(QStringLiteral("Warning, the pass number was changed because a file for "
                                       "that pass already existed.  You may need to change the "
                                       "skier name"),
                        QStringLiteral("Duplicate File Warning"), DialogIcon::Exclamation);
    if (entryNumber(txtPass->text()) > 3)
        dialogs.message(QStringLiteral("Warning, the jump number is greater than 3.  You may need "
                                       "to change the skier name"),
                        QStringLiteral("Possible Name Change Warning"), DialogIcon::Exclamation);
    arrived = ArrivedFrom::Elsewhere;
}

void CaptureScreen::setPass(const QString& text)
{
    setByProgram(*txtPass, text, [this] { txtPass_Change(); });
}

void CaptureScreen::setSkierName(const QString& name)
{
    setByProgram(*txtSkierName, withoutCommas(name), [this] { txtSkierName_Change(); });
}

void CaptureScreen::txtSkierName_Change()
{
    if (txtSkierName->text().contains(QLatin1Char(','))) {
        m_station.dialogs().message(
            QStringLiteral("Sorry, you cannot use the \",\" character in this box"),
            QStringLiteral("Input Error"));
        const QSignalBlocker block(txtSkierName);
        txtSkierName->setText(withoutCommas(txtSkierName->text()));
    }
    m_station.captureSkier = txtSkierName->text();
    setPass(QStringLiteral("1"));
}

void CaptureScreen::txtPass_Change()
{
    m_station.capturePass = txtPass->text();
}

void CaptureScreen::cmdStartCapture_Click()
{
    if (recording())
        return;
    lblStartFrame->setText(kNoFrame);
    notedFrame = 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // An existing file is never overwritten: the name gets an "X" until the file is new.
    nameChanged = false;
    captureFilePath = captureFileFor(txtSkierName->text(), txtPass->text());
    while (FilePresent(captureFilePath)) {
        nameChanged = true;
        const QSignalBlocker block(txtSkierName);
        txtSkierName->setText(txtSkierName->text() + QStringLiteral("X"));
        m_station.captureSkier = txtSkierName->text();
        captureFilePath = captureFileFor(txtSkierName->text(), txtPass->text());
    }
    if (nameChanged)
        Label4->setText(QStringLiteral("WARNING! Skier Name has been changed to ") +
                        txtSkierName->text() + QStringLiteral(" to prevent duplicate files"));
    // A notice of an earlier recording does not stay for this one.
    Label4->setVisible(nameChanged);
    if (m_station.hasScreen(Screen::Measurement)) {
        m_station.measurement().takeSkier(txtSkierName->text(), txtPass->text());
    }
    MainScreen& main = m_station.mainScreen();
    main.applyCaptureSettings();
    engine().setStreamFile(captureFilePath);
    // The recording's own clock ends it after exactly the set seconds; the countdown shows it.
    engine().setTimeLimit_s(int(std::ceil(captureSeconds)));
    const bool started = engine().startCapture();
    QApplication::restoreOverrideCursor();
    if (!started) {
        // The engine has told the operator why; the screen stays idle.
        return;
    }
    // The camera opens on the engine's own thread; the countdown starts with its first picture
    // (recordingStarted). Stop calls the start off meanwhile.
    captime->setText(leadingSpace(captureSeconds));
    cmdStartCapture->setEnabled(false);
    mnuStart->setEnabled(false);
    cmdStartTimer->setEnabled(false);
    cmdEndCapture->setEnabled(true);
    cmdGoToTimer->setEnabled(false);
    cmdGoSetup->setEnabled(false);
}

void CaptureScreen::recordingStarted(double fps)
{
    if (!recording())
        return;
    m_secondsLeft = int(std::ceil(captureSeconds));
    Timer40->start(1000);
    captime->setText(leadingSpace(captureSeconds));
    lblRate->setText(QString::number(fps, 'g', 6));
    showCounters();
    cmdStartTimer->setEnabled(true);
    cmdStartTimer->setFocus();
}

void CaptureScreen::captureNotStarted()
{
    // The engine has told the operator why.
    showIdle();
}

void CaptureScreen::showIdle()
{
    Timer40->stop();
    captime->setText(leadingSpace(captureSeconds));
    cmdStartCapture->setEnabled(true);
    mnuStart->setEnabled(true);
    cmdEndCapture->setEnabled(false);
    cmdStartTimer->setEnabled(false);
    cmdGoToTimer->setEnabled(true);
    cmdGoSetup->setEnabled(true);
}

void CaptureScreen::showCounters()
{
    LblFrame->setText(QString::number(engine().framesCaptured()));
    LblFrmDrop->setText(QString::number(engine().framesDropped()));
}

void CaptureScreen::cameraOpening()
{
    if (!engine().isCapturing() && !engine().preview())
        return;
    CapturePRO1->clear();
    CapturePRO1->setText(kCameraOpening);
}

void CaptureScreen::cameraOpened(bool ok)
{
    // The pictures replace the note; a camera that did not open leaves the picture black (the
    // warning has said why).
    if (!ok || CapturePRO1->text() == kCameraOpening)
        CapturePRO1->clear();
}

int CaptureScreen::middleFrame() const
{
    // The rate the camera records at, which is the one typed on the main screen unless the
    // camera keeps another.
    const double rate =
        m_station.captureEngine().isCapturing() && !m_station.captureEngine().isOpening()
            ? m_station.captureEngine().captureRate()
            : m_station.settings.FrameRate;
    const double middle = rate * captureSeconds / 2;
    return std::isfinite(middle) ? int(std::lround(middle)) : 0;
}

void CaptureScreen::Timer40_Timer()
{
    if (!recording()) {
        Timer40->stop();
        return;
    }
    if (engine().isOpening())
        return;
    --m_secondsLeft;
    if (m_secondsLeft >= 0)
        captime->setText(leadingSpace(m_secondsLeft));
    showCounters();
    // The recording's own clock ends it with its last frame (captureEnded); this tick is late
    // or early by the event loop's delays. One tick past the end, it is ended here.
    if (m_secondsLeft < 0)
        finishByTime();
}

void CaptureScreen::finishByTime()
{
    Timer40->stop();
    captime->setText(leadingSpace(captureSeconds));
    if (lblStartFrame->text() == kNoFrame)
        notedFrame = middleFrame();
    cmdEndCapture_Click();
}

void CaptureScreen::cmdStartTimer_Click()
{
    if (!recording() || engine().isOpening())
        return;
    // The frame the camera has just delivered, by its place in the file: frames it dropped on
    // the way keep their places there and count.
    notedFrame = int(std::clamp<std::int64_t>(engine().lastFrameIndex(), 0, 32767));
    lblStartFrame->setText(QString::number(notedFrame));
}

void CaptureScreen::keyPressEvent(QKeyEvent* event)
{
    Form_KeyDown(event->key() == Qt::Key_Escape ? 27 : event->key());
    QMainWindow::keyPressEvent(event);
}

void CaptureScreen::Form_KeyDown(int keyCode)
{
    Text1->setText(QString::number(keyCode));
    if (keyCode != 27 || !recording())
        return;
    Timer40->stop();
    if (lblStartFrame->text() == kNoFrame)
        notedFrame = middleFrame();
    cmdEndCapture_Click();
}

void CaptureScreen::captureEnded(const QString& reason)
{
    // The camera went away, the disk filled or the time limit came: the recording so far goes
    // on to the frame selection screen like any other.
    if (!recording() || !cmdEndCapture->isEnabled())
        return;
    if (reason == CaptureEngine::timeLimitReason()) {
        finishByTime();
        return;
    }
    m_station.dialogs().message(QStringLiteral("Warning: ") + reason, QString(),
                                DialogIcon::Exclamation);
    if (!recording())
        return;
    Timer40->stop();
    captime->setText(leadingSpace(captureSeconds));
    if (lblStartFrame->text() == kNoFrame)
        notedFrame = middleFrame();
    cmdEndCapture_Click();
}

void CaptureScreen::cmdEndCapture_Click()
{
    if (!recording())
        return;
    CaptureEngine& e = engine();
    const bool opening = e.isOpening();
    e.stopCapture();
    if (opening && e.framesCaptured() == 0) {
        // Called off while the camera was still opening: there is no file.
        showIdle();
        return;
    }
    MainScreen& main = m_station.mainScreen();
    main.showCounters();
    showCounters(); // the final counts: the last tick may be most of a second old
    cmdStartCapture->setEnabled(true);
    mnuStart->setEnabled(true);
    cmdEndCapture->setEnabled(false);
    cmdStartTimer->setEnabled(false);
    Timer40->stop();
    setPass(leadingSpace(entryNumber(txtPass->text()) + 1));

    Station::CaptureHandOver& handOver = m_station.captureHandOver;
    handOver.path = captureFilePath;
    handOver.notedFrame = notedFrame;
    handOver.frameCount = e.framesCaptured() + e.framesDropped();
    handOver.frameRate = e.captureRate();
    cmdGoToTimer->setEnabled(true);
    cmdGoSetup->setEnabled(true);
    if (m_station.hasScreen(Screen::FrameSelection)) {
        // The frame selection screen takes the changed name up with the operator.
        m_station.captureHandOver.skierRenamed = nameChanged;
        Label4->hide();
        m_station.arrivedFrom = ArrivedFrom::Recording;
        m_station.show(Screen::FrameSelection, this);
    }
}

void CaptureScreen::captureTimeValue_Click()
{
    const QString text = captureTimeValue->currentText();
    m_station.store().write(QStringLiteral("captureTime"), text);
    captureSeconds = entryNumber(text);
    m_station.settings.CaptureTime = captureSeconds;
    captime->setText(leadingSpace(captureSeconds));
}

void CaptureScreen::cmdSelect_Click()
{
    const QString path = m_station.paths().inStation(skierNamesFileName());
    if (!FilePresent(path)) {
        m_station.dialogs().message(noSkierNamesFileMessage());
        return;
    }
    auto* dialog = new SkierPicker(m_station.dialogs(), path, this);
    dialog->setWindowFlag(Qt::Window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &SkierPicker::skierSelected, this,
            [this](const QString& name) { setSkierName(name); });
    dialog->Form_Load();
    dialog->show();
}

void CaptureScreen::btnGetName_Click()
{
    const Result<QString> name =
        readWstimsSkierName(m_station.paths().inExchange(wstimsSkierFileName()));
    if (!name) {
        m_station.dialogs().message(name.message());
        return;
    }
    if (m_station.hasScreen(Screen::Measurement)) {
        m_station.measurement().takeSkier(name.value());
    }
    setSkierName(name.value());
}

void CaptureScreen::cmdGoToTimer_Click()
{
    hide();
    m_station.arrivedFrom = ArrivedFrom::CaptureScreen;
    m_station.show(Screen::FrameSelection, this);
}

void CaptureScreen::cmdGoSetup_Click()
{
    m_station.arrivedFrom = ArrivedFrom::Recording;
    hide();
    m_station.show(Screen::Main, this);
}

void CaptureScreen::showPicture(const QImage& picture)
{
    if (!isVisible())
        return;
    CapturePRO1->setPixmap(QPixmap::fromImage(picture).scaled(
        CapturePRO1->size(), Qt::KeepAspectRatio, Qt::FastTransformation));
}

} // namespace fw
