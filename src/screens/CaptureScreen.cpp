#include "screens/CaptureScreen.h"

#include "measure/SkierNames.h"
#include "media/CaptureEngine.h"
#include "screens/MainScreen.h"
#include "screens/MeasurementScreen.h"
#include "screens/SkierPicker.h"
#include "screens/setByProgram.h"
#include "settings/SettingsStore.h"
#include "station/Station.h"
#include "support/FileChecks.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>

namespace fw {

namespace {
const QString kNoFrame = QStringLiteral(" ");
const QString kCameraOpening = QStringLiteral("Opening the camera ...");
constexpr int kEscape = 27;
} // namespace

CaptureScreen::CaptureScreen(Station& station, QWidget* parent)
    : QMainWindow(parent), m_station(station)
{
    m_form.build(*this);
    m_countdownTimer.setInterval(1000);
    connectControls();
    offerWstimsName(m_station.settings.WstimsOn != 0);
}

CaptureScreen::~CaptureScreen()
{
    // The capture ends with the screen: the file is finished.
    engine().setPreviewShown(false);
    engine().stopCapture();
}

void CaptureScreen::connectControls()
{
    const CaptureScreenForm& f = m_form;
    connect(f.startRecordingButton, &QPushButton::clicked, this, &CaptureScreen::startRecording);
    connect(f.startRecordingAction, &QAction::triggered, this, &CaptureScreen::startRecording);
    connect(f.stopRecordingButton, &QPushButton::clicked, this, &CaptureScreen::stopRecording);
    connect(f.contactButton, &QPushButton::clicked, this, &CaptureScreen::noteContact);
    connect(&m_countdownTimer, &QTimer::timeout, this, &CaptureScreen::countdownTick);
    connect(f.captureTimeCombo, &QComboBox::activated, this, &CaptureScreen::captureTimeChosen);
    connect(f.skierNameEdit, &QLineEdit::textEdited, this, &CaptureScreen::skierNameEdited);
    connect(f.passEdit, &QLineEdit::textEdited, this, &CaptureScreen::passEdited);
    connect(f.selectNameButton, &QPushButton::clicked, this, &CaptureScreen::selectNameFromFile);
    connect(f.wstimsNameButton, &QPushButton::clicked, this, &CaptureScreen::takeWstimsName);
    connect(f.viewRecordedButton, &QPushButton::clicked, this, &CaptureScreen::viewRecordedJumps);
    connect(f.backToMainButton, &QPushButton::clicked, this, &CaptureScreen::backToMainScreen);
    CaptureEngine* e = &engine();
    connect(e, &CaptureEngine::captureEnded, this, &CaptureScreen::captureEnded);
    connect(e, &CaptureEngine::previewFrame, this, &CaptureScreen::showPicture);
    connect(e, &CaptureEngine::recordingStarted, this, &CaptureScreen::recordingStarted);
    connect(e, &CaptureEngine::captureNotStarted, this, &CaptureScreen::captureNotStarted);
    connect(e, &CaptureEngine::cameraOpening, this, &CaptureScreen::cameraOpening);
    connect(e, &CaptureEngine::cameraOpened, this, &CaptureScreen::cameraOpened);
    // A double click on the name chooses one from the list, as the button does.
    f.skierNameEdit->installEventFilter(this);
}

CaptureEngine& CaptureScreen::engine()
{
    return m_station.captureEngine();
}

bool CaptureScreen::recording() const
{
    return m_station.captureEngine().isCapturing();
}

void CaptureScreen::offerWstimsName(bool offered)
{
    m_form.wstimsNameButton->setVisible(offered);
}

void CaptureScreen::loadSettings()
{
    m_arrivalChecked = false;
    SettingsStore& store = m_station.store();
    QComboBox& times = *m_form.captureTimeCombo;
    if (const std::optional<double> stored = storedCaptureTime(store)) {
        m_captureSeconds = *stored;
        for (int i = 0; i < times.count(); ++i)
            if (entryNumber(times.itemText(i)) == m_captureSeconds)
                times.setCurrentIndex(i);
    } else {
        times.setCurrentIndex(2);
        m_captureSeconds = kDefaultCaptureSeconds;
        store.write(QStringLiteral("captureTime"), QStringLiteral("5"));
    }
    m_station.settings.CaptureTime = m_captureSeconds;
    const std::optional<QString> name =
        defaultSkierName(m_station.paths().inStation(skierNamesFileName()));
    if (name)
        setSkierName(*name);
    m_station.captureSkier = m_form.skierNameEdit->text();
    m_station.capturePass = m_form.passEdit->text();
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
    checkPassOnArrival();
}

void CaptureScreen::takeStationName()
{
    const QString name = m_station.captureSkier;
    const QString pass = m_station.capturePass;
    if (m_form.skierNameEdit->text() != name)
        setSkierName(name); // restarts the pass ...
    if (m_form.passEdit->text() != pass)
        setPass(pass); // ... which the station may hold otherwise
}

bool CaptureScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_form.skierNameEdit && event->type() == QEvent::MouseButtonDblClick) {
        selectNameFromFile();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CaptureScreen::hideEvent(QHideEvent* event)
{
    engine().setPreviewShown(false);
    QMainWindow::hideEvent(event);
}

void CaptureScreen::checkPassOnArrival()
{
    if (m_arrivalChecked)
        return;
    m_arrivalChecked = true;
    m_form.timeLeftLabel->setText(countdownText(m_captureSeconds));
    ArrivedFrom& arrived = m_station.arrivedFrom;
    if (arrived != ArrivedFrom::MainScreen && arrived != ArrivedFrom::FrameSelection)
        return;
    m_form.nameChangedLabel->hide();
    const QString pass = m_form.passEdit->text();
    const QString freePass =
        firstFreePass(m_station.settings.VideoFolder, m_form.skierNameEdit->text(), pass);
    Dialogs& dialogs = m_station.dialogs();
    if (freePass != pass) {
        setPass(freePass);
        dialogs.message(QStringLiteral("Warning, the pass number was changed because a file for "
                                       "that pass already existed.  You may need to change the "
                                       "skier name"),
                        QStringLiteral("Duplicate File Warning"), DialogIcon::Exclamation);
    }
    if (entryNumber(m_form.passEdit->text()) > 3)
        dialogs.message(QStringLiteral("Warning, the jump number is greater than 3.  You may need "
                                       "to change the skier name"),
                        QStringLiteral("Possible Name Change Warning"), DialogIcon::Exclamation);
    arrived = ArrivedFrom::Elsewhere;
}

void CaptureScreen::setPass(const QString& text)
{
    setByProgram(*m_form.passEdit, text, [this] { passEdited(); });
}

void CaptureScreen::setSkierName(const QString& name)
{
    setByProgram(*m_form.skierNameEdit, replaceCommas(name), [this] { skierNameEdited(); });
}

void CaptureScreen::skierNameEdited()
{
    QLineEdit& box = *m_form.skierNameEdit;
    if (box.text().contains(QLatin1Char(','))) {
        m_station.dialogs().message(
            QStringLiteral("Sorry, you cannot use the \",\" character in this box"),
            QStringLiteral("Input Error"));
        const QSignalBlocker block(box);
        box.setText(replaceCommas(box.text()));
    }
    m_station.captureSkier = box.text();
    setPass(QStringLiteral("1"));
}

void CaptureScreen::passEdited()
{
    m_station.capturePass = m_form.passEdit->text();
}

void CaptureScreen::startRecording()
{
    if (recording())
        return;
    m_form.contactFrameLabel->setText(kNoFrame);
    m_contactNoted = false;
    m_notedFrame = 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // An existing file is never overwritten: the name gets an "X" until the file is new.
    QLineEdit& nameBox = *m_form.skierNameEdit;
    const RecordingName name = uniqueRecordingName(m_station.settings.VideoFolder, nameBox.text(),
                                                   m_form.passEdit->text());
    m_nameChanged = name.renamed;
    m_capturePath = name.path;
    if (m_nameChanged) {
        const QSignalBlocker block(nameBox);
        nameBox.setText(name.skier);
        m_station.captureSkier = nameBox.text();
        m_form.nameChangedLabel->setText(
            QStringLiteral("WARNING! Skier Name has been changed to ") + nameBox.text() +
            QStringLiteral(" to prevent duplicate files"));
    }
    // A notice of an earlier recording does not stay for this one.
    m_form.nameChangedLabel->setVisible(m_nameChanged);
    if (m_station.hasScreen(Screen::Measurement))
        m_station.measurement().takeSkier(nameBox.text(), m_form.passEdit->text());
    m_station.mainScreen().applyCaptureSettings();
    engine().setStreamFile(m_capturePath);
    // The recording's own clock ends it after exactly the set seconds; the countdown shows it.
    engine().setTimeLimit_s(wholeSeconds(m_captureSeconds));
    const bool started = engine().startCapture();
    QApplication::restoreOverrideCursor();
    if (!started) {
        // The engine has told the operator why; the screen stays idle.
        return;
    }
    // The camera opens on the engine's own thread; the countdown starts with its first picture
    // (recordingStarted). Stop calls the start off meanwhile.
    showRecording();
}

void CaptureScreen::showRecording()
{
    m_recordingHere = true;
    m_form.timeLeftLabel->setText(countdownText(m_captureSeconds));
    m_form.startRecordingButton->setEnabled(false);
    m_form.startRecordingAction->setEnabled(false);
    m_form.contactButton->setEnabled(false);
    m_form.stopRecordingButton->setEnabled(true);
    m_form.viewRecordedButton->setEnabled(false);
    m_form.backToMainButton->setEnabled(false);
}

void CaptureScreen::recordingStarted(double fps)
{
    if (!recording())
        return;
    m_countdown.start(m_captureSeconds);
    m_countdownTimer.start(1000);
    m_form.timeLeftLabel->setText(countdownText(m_captureSeconds));
    m_form.frameRateLabel->setText(QString::number(fps, 'g', 6));
    showCounters();
    m_form.contactButton->setEnabled(true);
    m_form.contactButton->setFocus();
}

void CaptureScreen::captureNotStarted()
{
    // The engine has told the operator why.
    showIdle();
}

void CaptureScreen::showIdle()
{
    m_recordingHere = false;
    m_countdownTimer.stop();
    m_form.timeLeftLabel->setText(countdownText(m_captureSeconds));
    m_form.startRecordingButton->setEnabled(true);
    m_form.startRecordingAction->setEnabled(true);
    m_form.stopRecordingButton->setEnabled(false);
    m_form.contactButton->setEnabled(false);
    m_form.viewRecordedButton->setEnabled(true);
    m_form.backToMainButton->setEnabled(true);
}

void CaptureScreen::showCounters()
{
    m_form.framesLabel->setText(QString::number(engine().framesCaptured()));
    m_form.framesDroppedLabel->setText(QString::number(engine().framesDropped()));
}

void CaptureScreen::cameraOpening()
{
    if (!engine().isCapturing() && !engine().preview())
        return;
    m_form.livePicture->clear();
    m_form.livePicture->setText(kCameraOpening);
}

void CaptureScreen::cameraOpened(bool ok)
{
    // The pictures replace the note; a camera that did not open leaves the picture black (the
    // warning has said why).
    if (!ok || m_form.livePicture->text() == kCameraOpening)
        m_form.livePicture->clear();
}

int CaptureScreen::middleFrameOfRecording() const
{
    // The rate the camera records at, which is the one typed on the main screen unless the
    // camera keeps another.
    const CaptureEngine& e = m_station.captureEngine();
    const double rate =
        e.isCapturing() && !e.isOpening() ? e.captureRate() : m_station.settings.FrameRate;
    return middleFrame(rate, m_captureSeconds);
}

void CaptureScreen::countdownTick()
{
    if (!recording()) {
        m_countdownTimer.stop();
        return;
    }
    if (engine().isOpening())
        return;
    const bool running = m_countdown.tick();
    if (running)
        m_form.timeLeftLabel->setText(countdownText(m_countdown.secondsLeft()));
    showCounters();
    // The recording's own clock ends it with its last frame (captureEnded); this tick is late
    // or early by the event loop's delays. One tick past the end, it is ended here.
    if (!running)
        finishByTime();
}

void CaptureScreen::endWithoutContact()
{
    m_countdownTimer.stop();
    if (!m_contactNoted)
        m_notedFrame = middleFrameOfRecording();
    stopRecording();
}

void CaptureScreen::finishByTime()
{
    m_form.timeLeftLabel->setText(countdownText(m_captureSeconds));
    endWithoutContact();
}

void CaptureScreen::noteContact()
{
    if (!recording() || engine().isOpening())
        return;
    // The frame the camera has just delivered, by its place in the file: frames it dropped on
    // the way keep their places there and count.
    m_notedFrame = int(std::clamp<std::int64_t>(engine().lastFrameIndex(), 0, 32767));
    m_contactNoted = true;
    m_form.contactFrameLabel->setText(QString::number(m_notedFrame));
}

void CaptureScreen::keyPressEvent(QKeyEvent* event)
{
    keyPressed(event->key() == Qt::Key_Escape ? kEscape : event->key());
    QMainWindow::keyPressEvent(event);
}

void CaptureScreen::keyPressed(int keyCode)
{
    m_form.lastKeyEdit->setText(QString::number(keyCode));
    if (keyCode == kEscape && recording())
        endWithoutContact();
}

void CaptureScreen::captureEnded(const QString& reason)
{
    // The camera went away, the disk filled or the time limit came: the recording so far goes
    // on to the frame selection screen like any other.
    if (!recording() || !m_recordingHere)
        return;
    if (reason == CaptureEngine::timeLimitReason()) {
        finishByTime();
        return;
    }
    m_station.dialogs().message(QStringLiteral("Warning: ") + reason, QString(),
                                DialogIcon::Exclamation);
    if (recording())
        finishByTime();
}

void CaptureScreen::stopRecording()
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
    m_station.mainScreen().showCounters();
    showCounters(); // the final counts: the last tick may be most of a second old
    m_recordingHere = false;
    m_form.startRecordingButton->setEnabled(true);
    m_form.startRecordingAction->setEnabled(true);
    m_form.stopRecordingButton->setEnabled(false);
    m_form.contactButton->setEnabled(false);
    m_countdownTimer.stop();
    setPass(nextPass(m_form.passEdit->text()));
    handOverRecording();
    m_form.viewRecordedButton->setEnabled(true);
    m_form.backToMainButton->setEnabled(true);
    if (m_station.hasScreen(Screen::FrameSelection)) {
        // The frame selection screen takes the changed name up with the operator.
        m_station.captureHandOver.skierRenamed = m_nameChanged;
        m_form.nameChangedLabel->hide();
        m_station.arrivedFrom = ArrivedFrom::Recording;
        m_station.show(Screen::FrameSelection, this);
    }
}

void CaptureScreen::handOverRecording()
{
    const CaptureEngine& e = engine();
    Station::CaptureHandOver& handOver = m_station.captureHandOver;
    handOver.path = m_capturePath;
    handOver.notedFrame = m_notedFrame;
    handOver.frameCount = e.framesCaptured() + e.framesDropped();
    handOver.frameRate = e.captureRate();
}

void CaptureScreen::captureTimeChosen()
{
    const QString text = m_form.captureTimeCombo->currentText();
    m_station.store().write(QStringLiteral("captureTime"), text);
    m_captureSeconds = entryNumber(text);
    m_station.settings.CaptureTime = m_captureSeconds;
    m_form.timeLeftLabel->setText(countdownText(m_captureSeconds));
}

void CaptureScreen::selectNameFromFile()
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
    dialog->listSkiers();
    dialog->show();
}

void CaptureScreen::takeWstimsName()
{
    const Result<QString> name =
        readWstimsSkierName(m_station.paths().inExchange(wstimsSkierFileName()));
    if (!name) {
        m_station.dialogs().message(name.message());
        return;
    }
    if (m_station.hasScreen(Screen::Measurement))
        m_station.measurement().takeSkier(name.value());
    setSkierName(name.value());
}

void CaptureScreen::viewRecordedJumps()
{
    hide();
    m_station.arrivedFrom = ArrivedFrom::CaptureScreen;
    m_station.show(Screen::FrameSelection, this);
}

void CaptureScreen::backToMainScreen()
{
    m_station.arrivedFrom = ArrivedFrom::Recording;
    hide();
    m_station.show(Screen::Main, this);
}

void CaptureScreen::showPicture(const QImage& picture)
{
    if (!isVisible())
        return;
    QLabel& view = *m_form.livePicture;
    view.setPixmap(QPixmap::fromImage(picture).scaled(view.size(), Qt::KeepAspectRatio,
                                                      Qt::FastTransformation));
}

} // namespace fw
