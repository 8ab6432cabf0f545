#include "screens/FrameSelectionScreen.h"

#include "media/FrameGrab.h"
#include "review/AviHeader.h"
#include "review/CapturedVideo.h"
#include "station/Station.h"
#include "support/FileChecks.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textforms.h"
#include "widgets/FramePlayer.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>

#include <cmath>

namespace fw {

namespace {

const QString kSelectStart =
    QStringLiteral("Select Start Position using direction buttons and/or slider");
const QString kSelectContact =
    QStringLiteral("Select First Contact by using direction buttons and/or slider");
const QString kMeasuredTitle = QStringLiteral("Start Already Measured Warning");

// Said of a recording that was cut off (a crash, a full disk) and read up to its last complete
// frame.
QString recoveredLine(int frames)
{
    return QStringLiteral("Recovered: the recording was cut off; its %1 complete frames are shown")
        .arg(frames);
}

} // namespace

FrameSelectionScreen::FrameSelectionScreen(Station& station, QWidget* parent)
    : QWidget(parent), m_station(station)
{
    m_form.build(*this);
    m_form.instructionLabel->setText(kSelectStart);

    m_playBackTimer = new QTimer(this);
    m_playBackTimer->setSingleShot(true);
    m_arrowKeyTimer = new QTimer(this);
    m_arrowKeyTimer->setInterval(100);
    connectControls();

    // The arrow keys step wherever the focus is on the screen: they reach the screen before the
    // buttons, which would move the focus with them.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

FrameSelectionScreen::~FrameSelectionScreen() = default;

void FrameSelectionScreen::connectControls()
{
    const FrameSelectionScreenForm& f = m_form;
    using S = FrameSelectionScreen;
    connect(f.stepBackButton, &QPushButton::clicked, this, &S::onStepBackClicked);
    connect(f.stepForwardButton, &QPushButton::clicked, this, &S::onStepForwardClicked);
    connect(f.browseButton, &QPushButton::clicked, this, &S::onBrowseClicked);
    connect(f.playBeforeStartButton, &QPushButton::clicked, this, &S::onPlayBeforeStartClicked);
    connect(f.playBeforeEndButton, &QPushButton::clicked, this, &S::onPlayBeforeEndClicked);
    connect(f.playToEndButton, &QPushButton::clicked, this, &S::onPlayToEndClicked);
    connect(f.fullScreenCheck, &QCheckBox::clicked, this, &S::onFullScreenClicked);
    connect(f.continueAfterEndCheck, &QCheckBox::clicked, this, &S::onContinueAfterEndClicked);
    connect(f.secondsBeforeStartEdit, &QLineEdit::textEdited, this, &S::onSecondsBeforeStartEdited);
    connect(f.secondsBeforeEndEdit, &QLineEdit::textEdited, this, &S::onSecondsBeforeEndEdited);
    connect(m_playBackTimer, &QTimer::timeout, this, &S::onPlayBackTimer);
    connect(m_arrowKeyTimer, &QTimer::timeout, this, &S::onArrowKeyTimer);
    connect(f.player, &FramePlayer::keyDown, this, &S::onPlayerKeyDown);
    connect(f.player, &FramePlayer::decodeFailed, this, [this](const QString& message) {
        m_station.dialogs().message(message, QString(), DialogIcon::Information);
    });
    connect(&f.player->engine(), &FramePlayerEngine::positionChanged, this, [this] {
        if (!m_form.player->isPlaying())
            showPosition();
    });
    connect(f.measureFrameButton, &QPushButton::clicked, this, &S::onMeasureFrameClicked);
    connect(f.gridSetupFrameButton, &QPushButton::clicked, this, &S::onGridSetupFrameClicked);
    connect(f.recordNextPassButton, &QPushButton::clicked, this, &S::onRecordNextPassClicked);
    connect(f.mainScreenButton, &QPushButton::clicked, this, &S::onMainScreenClicked);
    connect(f.viewLogButton, &QPushButton::clicked, this, &S::onViewLogClicked);
}

void FrameSelectionScreen::prepare()
{
    if (m_loaded)
        return;
    m_loaded = true;
    if (m_form.videoPathEdit->text().isEmpty())
        noVideo();
    m_startFixed = false;
    m_startRead = false;
    m_form.instructionLabel->setText(kSelectStart);
    hidePlayBackControls();
    m_form.recordNextPassButton->setEnabled(m_station.hasScreen(Screen::Capture));
    m_form.gridSetupFrameButton->setEnabled(m_form.gridSetupFrameButton->isEnabled() &&
                                            m_station.hasScreen(Screen::GridSetup));
}

void FrameSelectionScreen::noVideo()
{
    m_form.playBeforeStartButton->setEnabled(false);
    m_form.playBeforeEndButton->setEnabled(false);
    m_form.measureFrameButton->setEnabled(false);
    m_form.gridSetupFrameButton->setEnabled(false);
}

void FrameSelectionScreen::hidePlayBackControls()
{
    for (QWidget* w : {static_cast<QWidget*>(m_form.playBeforeEndButton),
                       static_cast<QWidget*>(m_form.playToEndButton),
                       static_cast<QWidget*>(m_form.secondsBeforeEndEdit),
                       static_cast<QWidget*>(m_form.secondsLabel),
                       static_cast<QWidget*>(m_form.continueAfterEndLabel),
                       static_cast<QWidget*>(m_form.continueAfterEndCheck)})
        w->hide();
}

// A video is on the screen: it can be played before its start and marked.
void FrameSelectionScreen::enableForVideo()
{
    m_form.playBeforeStartButton->setEnabled(true);
    m_form.measureFrameButton->setEnabled(true);
    m_form.gridSetupFrameButton->setEnabled(m_station.hasScreen(Screen::GridSetup));
}

void FrameSelectionScreen::setPlayerSize()
{
    m_form.player->setSize_twips(kPlayerWidth_twips, kPlayerHeight_twips);
}

void FrameSelectionScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    prepare();
    arrive();
}

void FrameSelectionScreen::hideEvent(QHideEvent* event)
{
    // Whatever played stops with the screen; a later arrival is a new one.
    m_playBackTimer->stop();
    m_arrowKeyTimer->stop();
    m_form.player->stop();
    if (m_form.player->displaySize() == FramePlayer::kFullScreen)
        m_form.player->setDisplaySize(FramePlayer::kDefaultSize);
    m_playBack.stop();
    m_viewArrivalDone = false;
    QWidget::hideEvent(event);
}

void FrameSelectionScreen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            // The held arrows step again, whatever the arrival work already done.
            if (isVisible())
                m_arrowKeyTimer->start();
            arrive();
        } else {
            m_arrowKeyTimer->stop();
        }
    }
    QWidget::changeEvent(event);
}

void FrameSelectionScreen::arrive()
{
    if (m_viewArrivalDone || !isVisible())
        return;
    m_arrowKeyTimer->start();
    m_form.player->setDisplaySize(FramePlayer::kDefaultSize);
    showDiskSpace();
    ArrivedFrom& arrived = m_station.arrivedFrom;
    if (arrived == ArrivedFrom::Recording) {
        arrived = ArrivedFrom::Elsewhere;
        captureArrival();
    } else if (arrived == ArrivedFrom::SessionLog) {
        viewArrival();
    } else if (arrived == ArrivedFrom::MainScreen || arrived == ArrivedFrom::CaptureScreen) {
        arrived = ArrivedFrom::Elsewhere;
        letVideoGo();
    }
    m_form.barefootLabel->setVisible(m_station.settings.BarefootTiming15s != 0);
    setPlayerSize();
}

// The operator browses for a video: the one on the screen is let go.
void FrameSelectionScreen::letVideoGo()
{
    m_form.videoPathEdit->clear();
    m_form.player->setFileName(QString());
    m_form.fileInfoList->clear();
    m_fromCapture = false;
    noVideo();
}

void FrameSelectionScreen::showDiskSpace()
{
    const QString folder = m_station.settings.VideoFolder;
#ifdef Q_OS_WIN
    const QString drive =
        folder.size() >= 2 && folder[1] == QLatin1Char(':') ? folder.left(2) : QStringLiteral("C:");
    const QStorageInfo storage(drive + QLatin1Char('/'));
#else
    const QStorageInfo storage(folder.isEmpty() ? QStringLiteral("/") : folder);
    const QString drive = storage.isValid() ? storage.rootPath() : folder;
#endif
    const qint64 mb = storage.isValid() ? storage.bytesFree() / 1000000 : 0;
    m_form.diskSpaceCaption->setText(QStringLiteral("Disk Space Available ") + drive);
    m_form.diskSpaceValue->setText(leadingSpace(double(mb)) + QStringLiteral(" MB"));
    m_form.lowDiskSpaceWarning->setVisible(mb < 200);
}

void FrameSelectionScreen::captureArrival()
{
    m_fromCapture = true;
    Station::CaptureHandOver& capture = m_station.captureHandOver;
    m_form.videoPathEdit->setText(capture.path);
    if (capture.skierRenamed) {
        capture.skierRenamed = false;
        renameCapture();
    }
    const QString video = m_form.videoPathEdit->text();
    loadVideo(video);
    m_startFixed = false;
    hidePlayBackControls();
    m_form.measureFrameButton->show();
    enableForVideo();
    if (capture.notedFrame > 0) {
        m_selectedFrame = capture.notedFrame;
        m_form.player->setCurrentPosition(m_selectedFrame);
        m_playBack.forgetStart();
        m_startRead = false;
        m_form.instructionLabel->setText(kSelectStart);
    }
    readVideoFacts(video);
    const VideoFigures figures =
        capturedVideoFigures({capture.frameRate, capture.frameCount}, {m_fps, m_frameCount});
    m_fps = figures.fps;
    m_frameCount = figures.frameCount;
    m_runFrames = fw::runFrames(m_fps, m_station.settings.BarefootTiming15s != 0);
    showPosition();
}

void FrameSelectionScreen::viewArrival()
{
    m_viewArrivalDone = true;
    m_fromCapture = false;
    const QString video = m_station.videoToView;
    m_form.videoPathEdit->setText(video);
    const bool loaded = loadVideo(video);
    if (FilePresent(infoFilePath(video))) {
        const Result<int> stored = readInfoFile(video);
        if (stored && loaded) {
            // The video opens at the frame marked before.
            m_form.player->setCurrentPosition(*stored);
            showPosition();
        }
        m_station.dialogs().message(stored ? QStringLiteral("File already measured - contact "
                                                            "frame is ") +
                                                 leadingSpace(*stored)
                                           : stored.message(),
                                    kMeasuredTitle);
    }
    readVideoFacts(video);
    enableForVideo();
    m_form.stepBackButton->setEnabled(true);
    m_form.stepForwardButton->setEnabled(true);
    m_form.playBeforeEndButton->setEnabled(false);
    m_startRead = false;
    m_startFixed = false;
    m_form.instructionLabel->setText(kSelectContact);
    hidePlayBackControls();
    m_form.player->giveFocus();
}

bool FrameSelectionScreen::loadVideo(const QString& path)
{
    m_form.player->stop();
    const auto failure = m_form.player->setFileName(path);
    m_form.player->setClickToPlay(true);
    if (failure) {
        m_station.dialogs().message(failure->message, QString(), DialogIcon::Information);
        return false;
    }
    return true;
}

void FrameSelectionScreen::readVideoFacts(const QString& path)
{
    // One reading of the header gives the rate, the length and the information list.
    m_form.fileInfoList->clear();
    const Result<AviHeader> header = readAviHeader(path);
    if (!header)
        m_station.dialogs().message(header.message(), QString(), DialogIcon::Critical);
    const AviSummary summary = header ? header->summary : AviSummary();
    m_fps = aviFrameRate(summary);
    m_frameCount = int(std::min<quint32>(summary.length, 0x7FFFFFFF));
    m_form.fileInfoList->addItems(aviInformationLines(path, summary));
    if (header && header->recovered)
        m_form.fileInfoList->addItem(recoveredLine(m_frameCount));
}

void FrameSelectionScreen::showPosition()
{
    m_form.positionEdit->setText(leadingSpace(m_form.player->currentPosition()));
}

void FrameSelectionScreen::renameCapture()
{
    // Without a name the video keeps the name the capture gave it.
    const std::optional<RenamedVideo> renamed = renameCapturedVideo(
        m_form.videoPathEdit->text(), m_station.settings.VideoFolder, m_station.captureSkier,
        m_station.capturePass.trimmed(), m_station.dialogs());
    if (!renamed)
        return;
    m_form.videoPathEdit->setText(renamed->path);
    m_station.captureHandOver.path = renamed->path;
    m_station.captureSkier = renamed->skier;
    m_station.capturePass = QStringLiteral("2");
}

void FrameSelectionScreen::warnIfMeasured(const QString& video, const QString& said)
{
    if (!FilePresent(infoFilePath(video)))
        return;
    const Result<int> stored = readInfoFile(video);
    m_station.dialogs().message(stored ? said + leadingSpace(*stored) : stored.message(),
                                kMeasuredTitle);
}

void FrameSelectionScreen::onBrowseClicked()
{
    FileDialogRequest request;
    request.folder = m_station.settings.VideoFolder;
    request.filter = QStringLiteral("*.avi|*.avi");
    const std::optional<QString> chosen = m_station.dialogs().openFile(request);
    if (!chosen || chosen->isEmpty())
        return;
    if (!IsAviFile(*chosen, m_station.dialogs())) {
        m_station.dialogs().message(QStringLiteral("Not a valid avi file"), QString(),
                                    DialogIcon::Exclamation);
    } else {
        m_form.videoPathEdit->setText(*chosen);
        m_fromCapture = false;
        warnIfMeasured(*chosen, QStringLiteral("File already measured - start frame is "));
        enableForVideo();
        m_form.playBeforeEndButton->setEnabled(false);
        m_startRead = false;
        m_form.instructionLabel->setText(kSelectStart);
        readVideoFacts(*chosen);
    }
    if (!m_form.videoPathEdit->text().isEmpty())
        loadVideo(m_form.videoPathEdit->text());
    else
        m_form.player->setFileName(QString());
    m_startFixed = false;
    hidePlayBackControls();
    m_form.measureFrameButton->show();
    m_form.stepBackButton->setEnabled(true);
    m_form.stepForwardButton->setEnabled(true);
    setPlayerSize();
    m_form.player->giveFocus();
}

void FrameSelectionScreen::onMeasureFrameClicked()
{
    m_setupRequested = false;
    markFrame();
}

void FrameSelectionScreen::onGridSetupFrameClicked()
{
    m_setupRequested = true;
    markFrame();
}

// Writes the frame to mark to currentcapture.bmp; false, told, when it could not.
bool FrameSelectionScreen::grabShownFrame()
{
    FramePlayer& player = *m_form.player;
    player.stop();
    // The frame marked is the picture on the screen, written as it is; only without one (no
    // picture has arrived yet) is the frame decoded from the file.
    const QImage shown = player.picture();
    const bool onScreen = !shown.isNull() && player.shownFrame() >= 0;
    m_selectedFrame = onScreen ? player.shownFrame() : player.currentPosition();
    player.setClickToPlay(false);
    const QString video =
        player.fileName().isEmpty() ? m_form.videoPathEdit->text() : player.fileName();
    m_grabbedFrame = m_selectedFrame;
    const QString bitmap = m_station.paths().inStation(QStringLiteral("currentcapture.bmp"));
    const auto failure =
        onScreen ? writeFrameBitmap(shown, bitmap) : grabFrame(video, m_grabbedFrame, bitmap);
    if (failure) {
        m_station.dialogs().message(failure->message, QString(), DialogIcon::Information);
        player.setClickToPlay(true);
        return false;
    }
    return true;
}

void FrameSelectionScreen::markFrame()
{
    m_startFixed = true;
    m_startRead = true;
    // Nothing is deleted and nothing moves on when the frame could not be written: the operator
    // can try another frame.
    if (!grabShownFrame())
        return;
    m_form.player->setFileName(QString());
    if (m_fromCapture) {
        applyVideoSavePolicy(
            m_station.settings.VideoSavePolicy, m_form.videoPathEdit->text(), m_selectedFrame,
            {m_station.sessionLog, m_station.settings.VideoFolder, m_station.clock()},
            m_station.dialogs());
        m_fromCapture = false;
    }
    goOnFromMark();
}

void FrameSelectionScreen::goOnFromMark()
{
    m_station.arrivedFrom = ArrivedFrom::MarkedFrame;
    const bool gridsReady = m_station.allGridsReady();
    const bool toSetup = m_setupRequested;
    m_setupRequested = false;
    if (gridsReady && !toSetup) {
        m_station.show(Screen::Measurement, this);
        return;
    }
    // Asked for grid setup with every grid ready: nothing is missing, so nothing to warn of.
    if (gridsReady) {
        m_station.show(Screen::GridSetup, this);
        return;
    }
    m_station.dialogs().message(
        QStringLiteral("One or more grids are not configured.  You may not use the Measure Screen "
                       "until all listed grids are configured"),
        QString(), DialogIcon::Exclamation);
    m_station.show(Screen::GridSetup, this);
}

void FrameSelectionScreen::leave(Screen target)
{
    m_form.stepBackButton->setEnabled(true);
    m_form.stepForwardButton->setEnabled(true);
    m_form.player->setClickToPlay(true);
    m_arrowKeyTimer->stop();
    // The next screen reads how the operator came as it shows.
    m_station.arrivedFrom = ArrivedFrom::FrameSelection;
    m_station.show(target, this);
}

void FrameSelectionScreen::onRecordNextPassClicked()
{
    if (m_station.hasScreen(Screen::Capture))
        leave(Screen::Capture);
}

void FrameSelectionScreen::onMainScreenClicked()
{
    leave(Screen::Main);
}

void FrameSelectionScreen::onViewLogClicked()
{
    m_viewArrivalDone = false;
    m_station.openLogView(this);
}

} // namespace fw
