#include "screens/FrameSelectionScreen.h"

#include "station/Station.h"
#include "media/FrameGrab.h"
#include "platform/KeyboardState.h"
#include "review/AviHeader.h"
#include "screens/setByProgram.h"
#include "support/FileChecks.h"
#include "support/clock.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "support/textforms.h"
#include "widgets/FramePlayer.h"

#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace fw {

namespace {

const QString kSelectStart =
    QStringLiteral("Select Start Position using direction buttons and/or slider");
const QString kSelectContact =
    QStringLiteral("Select First Contact by using direction buttons and/or slider");
const QString kRenameTitle = QStringLiteral("Fix the skier's name");
const QString kMeasuredTitle = QStringLiteral("Start Already Measured Warning");

// Said of a recording that was cut off (a crash, a full disk) and read up to its last complete
// frame.
QString recoveredLine(int frames)
{
    return QStringLiteral("Recovered: the recording was cut off; its %1 complete frames are shown")
        .arg(frames);
}

bool samePath(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return QDir::cleanPath(QDir::fromNativeSeparators(a))
               .compare(QDir::cleanPath(QDir::fromNativeSeparators(b)), cs) == 0;
}

QLineEdit* smallBox(const QString& text, QWidget* parent, int width = 48)
{
    auto* box = new QLineEdit(text, parent);
    box->setFixedWidth(width);
    return box;
}

} // namespace

FrameSelectionScreen::FrameSelectionScreen(Station& station, QWidget* parent) : QWidget(parent), m_station(station)
{
    setWindowTitle(QStringLiteral("Farwater 2005 Frame Selection"));
    auto* columns = new QHBoxLayout(this);

    // The player with the step buttons under it.
    auto* left = new QVBoxLayout;
    MediaPlayer1 = new FramePlayer(this);
    left->addWidget(MediaPlayer1, 0, Qt::AlignLeft | Qt::AlignTop);
    auto* steps = new QHBoxLayout;
    Command1 = new QPushButton(QStringLiteral("<"), this);
    Command4 = new QPushButton(QStringLiteral(">"), this);
    Text9 = smallBox(QStringLiteral("0"), this, 80);
    Text9->setReadOnly(true);
    steps->addWidget(Command1);
    steps->addWidget(Text9);
    steps->addWidget(Command4);
    steps->addStretch(1);
    left->addLayout(steps);
    auto* keys = new QHBoxLayout;
    Label7 = new QLabel(QStringLiteral("key test"), this);
    Text1 = smallBox(QString(), this);
    Label8 = new QLabel(QStringLiteral("Key Down"), this);
    Text2 = smallBox(QString(), this);
    Label12 = new QLabel(QStringLiteral("media key"), this);
    for (QWidget* w : {static_cast<QWidget*>(Label7), static_cast<QWidget*>(Text1),
                       static_cast<QWidget*>(Label8), static_cast<QWidget*>(Text2),
                       static_cast<QWidget*>(Label12)})
        keys->addWidget(w);
    Text1->setReadOnly(true);
    Text2->setReadOnly(true);
    keys->addStretch(1);
    left->addLayout(keys);
    left->addStretch(1);
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    auto* browse = new QHBoxLayout;
    lblBrowse = new QLabel(QStringLiteral("Browse for File to View ->"), this);
    Command6 = new QPushButton(QStringLiteral("..."), this);
    Command6->setFixedWidth(40);
    browse->addWidget(lblBrowse);
    browse->addWidget(Command6);
    browse->addStretch(1);
    right->addLayout(browse);
    Text6 = new QLineEdit(this);
    Text6->setReadOnly(true);
    right->addWidget(Text6);
    Label5 = new QLabel(kSelectStart, this);
    Label5->setWordWrap(true);
    right->addWidget(Label5);

    auto* plays = new QGridLayout;
    Command5 = new QPushButton(QStringLiteral("Play before start -->"), this);
    Text4 = smallBox(QStringLiteral("2"), this);
    txtStartLoop = smallBox(QStringLiteral("1"), this);
    Text5 = smallBox(QString(), this, 64);
    Text5->setReadOnly(true);
    plays->addWidget(Command5, 0, 0);
    plays->addWidget(Text4, 0, 1);
    plays->addWidget(txtStartLoop, 0, 2);
    plays->addWidget(Text5, 0, 3);
    Command7 = new QPushButton(QStringLiteral("Play before end -->"), this);
    Text7 = smallBox(QStringLiteral("5"), this);
    txtEndLoop = smallBox(QStringLiteral("1"), this);
    Label2 = new QLabel(QStringLiteral("seconds"), this);
    plays->addWidget(Command7, 1, 0);
    plays->addWidget(Text7, 1, 1);
    plays->addWidget(txtEndLoop, 1, 2);
    plays->addWidget(Label2, 1, 3);
    cmdPlayAndPause = new QPushButton(QStringLiteral("Play to end, pause, continue"), this);
    plays->addWidget(cmdPlayAndPause, 2, 0);
    cbPlayAfter = new QCheckBox(this);
    Label6 = new QLabel(QStringLiteral("and then continue"), this);
    plays->addWidget(cbPlayAfter, 2, 1);
    plays->addWidget(Label6, 2, 2, 1, 2);
    right->addLayout(plays);
    cbFullScreen = new QCheckBox(
        QStringLiteral("Play using Full Screen, ESC returns Click Mouse to repeat Play"), this);
    right->addWidget(cbFullScreen);

    cmdMarkStart = new QPushButton(QStringLiteral("Use displayed frame to measure jump"), this);
    btnGoToSetup = new QPushButton(QStringLiteral("Use displayed frame to set up Grid"), this);
    QFont big = cmdMarkStart->font();
    big.setBold(true);
    cmdMarkStart->setFont(big);
    right->addWidget(cmdMarkStart);
    right->addWidget(btnGoToSetup);

    lstFileInfo = new QListWidget(this);
    lstFileInfo->setMinimumHeight(160);
    right->addWidget(lstFileInfo, 1);

    auto* disk = new QHBoxLayout;
    Label10 = new QLabel(this);
    lblDiskSpace = new QLabel(this);
    Label11 = new QLabel(QStringLiteral("Warning! Disk Space Low"), this);
    Label11->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    Label11->hide();
    disk->addWidget(Label10);
    disk->addWidget(lblDiskSpace);
    disk->addWidget(Label11);
    disk->addStretch(1);
    right->addLayout(disk);
    Label9 = new QLabel(QStringLiteral("Barefoot Mode"), this);
    Label9->hide();
    right->addWidget(Label9);

    auto* nav = new QHBoxLayout;
    cmdGoToCapture = new QPushButton(QStringLiteral("Go To Record Next Jump Pass"), this);
    cmdGoToSetup = new QPushButton(QStringLiteral("Go Back To Main Screen"), this);
    cmdViewLog = new QPushButton(QStringLiteral("View Log File"), this);
    nav->addWidget(cmdGoToCapture);
    nav->addWidget(cmdGoToSetup);
    nav->addWidget(cmdViewLog);
    right->addLayout(nav);
    columns->addLayout(right, 1);

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true); // it switches itself off at each tick
    Timer2 = new QTimer(this);
    Timer2->setInterval(100);

    connect(Command1, &QPushButton::clicked, this, &FrameSelectionScreen::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &FrameSelectionScreen::Command4_Click);
    connect(Command6, &QPushButton::clicked, this, &FrameSelectionScreen::Command6_Click);
    connect(Command5, &QPushButton::clicked, this, &FrameSelectionScreen::Command5_Click);
    connect(Command7, &QPushButton::clicked, this, &FrameSelectionScreen::Command7_Click);
    connect(cmdPlayAndPause, &QPushButton::clicked, this, &FrameSelectionScreen::cmdPlayAndPause_Click);
    connect(cbFullScreen, &QCheckBox::clicked, this, &FrameSelectionScreen::cbFullScreen_Click);
    connect(cbPlayAfter, &QCheckBox::clicked, this, &FrameSelectionScreen::cbPlayAfter_Click);
    connect(Text4, &QLineEdit::textEdited, this, &FrameSelectionScreen::Text4_Change);
    connect(Text7, &QLineEdit::textEdited, this, &FrameSelectionScreen::Text7_Change);
    connect(Timer1, &QTimer::timeout, this, &FrameSelectionScreen::Timer1_Timer);
    connect(Timer2, &QTimer::timeout, this, &FrameSelectionScreen::Timer2_Timer);
    connect(MediaPlayer1, &FramePlayer::keyDown, this, &FrameSelectionScreen::MediaPlayer1_KeyDown);
    connect(MediaPlayer1, &FramePlayer::decodeFailed, this, [this](const QString& message) {
        m_station.dialogs().message(message, QString(), DialogIcon::Information);
    });
    connect(&MediaPlayer1->engine(), &FramePlayerEngine::positionChanged, this, [this] {
        if (!MediaPlayer1->isPlaying())
            showPosition();
    });
    connect(cmdMarkStart, &QPushButton::clicked, this, &FrameSelectionScreen::cmdMarkStart_Click);
    connect(btnGoToSetup, &QPushButton::clicked, this, &FrameSelectionScreen::btnGoToSetup_Click);
    connect(cmdGoToCapture, &QPushButton::clicked, this, &FrameSelectionScreen::cmdGoToCapture_Click);
    connect(cmdGoToSetup, &QPushButton::clicked, this, &FrameSelectionScreen::cmdGoToSetup_Click);
    connect(cmdViewLog, &QPushButton::clicked, this, &FrameSelectionScreen::cmdViewLog_Click);

    // The arrow keys step wherever the focus is on the screen: they reach the screen before the
    // buttons, which would move the focus with them.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

FrameSelectionScreen::~FrameSelectionScreen() = default;

void FrameSelectionScreen::Form_Load()
{
    if (m_loaded)
        return;
    m_loaded = true;
    if (Text6->text().isEmpty())
        noVideo();
    startFixed = false;
    playingBeforeStart = false;
    startRead = false;
    Label5->setText(kSelectStart);
    hidePlayBackControls();
    cmdGoToCapture->setEnabled(m_station.hasScreen(Screen::Capture));
    btnGoToSetup->setEnabled(btnGoToSetup->isEnabled() && m_station.hasScreen(Screen::GridSetup));
}

void FrameSelectionScreen::noVideo()
{
    Command5->setEnabled(false);
    Command7->setEnabled(false);
    cmdMarkStart->setEnabled(false);
    btnGoToSetup->setEnabled(false);
}

void FrameSelectionScreen::hidePlayBackControls()
{
    for (QWidget* w : {static_cast<QWidget*>(Command7), static_cast<QWidget*>(cmdPlayAndPause),
                       static_cast<QWidget*>(Text7), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label6), static_cast<QWidget*>(cbPlayAfter)})
        w->hide();
}

void FrameSelectionScreen::setPlayerSize()
{
    MediaPlayer1->setSize_twips(kPlayerWidth_twips, kPlayerHeight_twips);
}

void FrameSelectionScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Form_Load();
    Form_Paint();
}

void FrameSelectionScreen::hideEvent(QHideEvent* event)
{
    // Whatever played stops with the screen; a later arrival is a new one.
    Timer1->stop();
    Timer2->stop();
    MediaPlayer1->stop();
    if (MediaPlayer1->displaySize() == FramePlayer::kFullScreen)
        MediaPlayer1->setDisplaySize(FramePlayer::kDefaultSize);
    playingBeforeStart = playingBeforeEnd = afterPhase = false;
    viewArrivalDone = false;
    QWidget::hideEvent(event);
}

void FrameSelectionScreen::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            // The held arrows step again, whatever the arrival work already done.
            if (isVisible())
                Timer2->start();
            Form_Paint();
        } else {
            Timer2->stop();
        }
    }
    QWidget::changeEvent(event);
}

bool FrameSelectionScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* edit = qobject_cast<QLineEdit*>(watched);
        if (!(edit && !edit->isReadOnly()) && stepKey(*static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

bool FrameSelectionScreen::stepKey(const QKeyEvent& key)
{
    const bool keypad = key.modifiers() & Qt::KeypadModifier;
    if (keypad && (key.key() == Qt::Key_4 || key.key() == Qt::Key_6)) {
        MediaPlayer1_KeyDown(key.key() == Qt::Key_4 ? 100 : 102);
        return true;
    }
    if (key.key() != Qt::Key_Left && key.key() != Qt::Key_Right)
        return false;
    // A tap steps once at once; a held key is stepped by the timer, from its next tick but one.
    if (!key.isAutoRepeat()) {
        QPushButton* step = key.key() == Qt::Key_Left ? Command1 : Command4;
        if (step->isEnabled()) {
            m_arrowTapped = true;
            step == Command1 ? Command1_Click() : Command4_Click();
        }
    }
    return true;
}

void FrameSelectionScreen::Form_Paint()
{
    if (viewArrivalDone || !isVisible())
        return;
    Timer2->start();
    MediaPlayer1->setDisplaySize(FramePlayer::kDefaultSize);
    showDiskSpace();
    ArrivedFrom& arrived = m_station.arrivedFrom;
    if (arrived == ArrivedFrom::Recording) {
        arrived = ArrivedFrom::Elsewhere;
        captureArrival();
    } else if (arrived == ArrivedFrom::SessionLog) {
        viewArrival();
    } else if (arrived == ArrivedFrom::MainScreen || arrived == ArrivedFrom::CaptureScreen) {
        // The operator browses for a video: the one on the screen is let go.
        arrived = ArrivedFrom::Elsewhere;
        Text6->clear();
        MediaPlayer1->setFileName(QString());
        lstFileInfo->clear();
        fromCapture = false;
        noVideo();
    }
    Label9->setVisible(m_station.settings.BarefootTiming15s != 0);
    setPlayerSize();
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
    Label10->setText(QStringLiteral("Disk Space Available ") + drive);
    lblDiskSpace->setText(leadingSpace(double(mb)) + QStringLiteral(" MB"));
    Label11->setVisible(mb < 200);
}

void FrameSelectionScreen::captureArrival()
{
    fromCapture = true;
    const Station::CaptureHandOver& capture = m_station.captureHandOver;
    Text6->setText(capture.path);
    if (m_station.captureHandOver.skierRenamed) {
        m_station.captureHandOver.skierRenamed = false;
        renameCapture();
    }
    loadVideo(Text6->text());
    startFixed = false;
    hidePlayBackControls();
    cmdMarkStart->show();
    cmdMarkStart->setEnabled(true);
    Command5->setEnabled(true);
    btnGoToSetup->setEnabled(m_station.hasScreen(Screen::GridSetup));
    if (capture.notedFrame > 0) {
        selectedFrame = capture.notedFrame;
        MediaPlayer1->setCurrentPosition(selectedFrame);
        playingBeforeStart = false;
        startRead = false;
        Label5->setText(kSelectStart);
    }
    readVideoFacts(Text6->text());
    // The capture knows its own figures best; the file's header stands in when it gave none.
    if (capture.frameRate > 0)
        fps = capture.frameRate;
    if (capture.frameCount > 0)
        frameCount = capture.frameCount;
    runFrames = fw::runFrames(fps, m_station.settings.BarefootTiming15s != 0);
    showPosition();
}

void FrameSelectionScreen::viewArrival()
{
    viewArrivalDone = true;
    fromCapture = false;
    Text6->setText(m_station.VideoFileToView);
    const bool loaded = loadVideo(Text6->text());
    if (FilePresent(infoFilePath(Text6->text()))) {
        const Result<int> stored = readInfoFile(Text6->text());
        if (stored && loaded) {
            // The video opens at the frame marked before.
            MediaPlayer1->setCurrentPosition(*stored);
            showPosition();
        }
        if (stored)
            m_station.dialogs().message(
                QStringLiteral("File already measured - contact frame is ") + leadingSpace(*stored),
                kMeasuredTitle);
        else
            m_station.dialogs().message(stored.message(), kMeasuredTitle);
    }
    readVideoFacts(Text6->text());
    Command5->setEnabled(true);
    cmdMarkStart->setEnabled(true);
    btnGoToSetup->setEnabled(m_station.hasScreen(Screen::GridSetup));
    Command1->setEnabled(true);
    Command4->setEnabled(true);
    Command7->setEnabled(false);
    startRead = false;
    startFixed = false;
    Label5->setText(kSelectContact);
    hidePlayBackControls();
    MediaPlayer1->giveFocus();
}

bool FrameSelectionScreen::loadVideo(const QString& path)
{
    MediaPlayer1->stop();
    const auto failure = MediaPlayer1->setFileName(path);
    MediaPlayer1->setClickToPlay(true);
    if (failure) {
        m_station.dialogs().message(failure->message, QString(), DialogIcon::Information);
        return false;
    }
    return true;
}

void FrameSelectionScreen::readVideoFacts(const QString& path)
{
    // One reading of the header gives the rate, the length and the information list.
    lstFileInfo->clear();
    const Result<AviHeader> header = readAviHeader(path);
    if (!header)
        m_station.dialogs().message(header.message(), QString(), DialogIcon::Critical);
    const AviSummary summary = header ? header->summary : AviSummary();
    fps = aviFrameRate(summary);
    frameCount = int(std::min<quint32>(summary.length, 0x7FFFFFFF));
    lstFileInfo->addItems(aviInformationLines(path, summary));
    if (header && header->recovered)
        lstFileInfo->addItem(recoveredLine(frameCount));
}

void FrameSelectionScreen::showPosition()
{
    Text9->setText(leadingSpace(MediaPlayer1->currentPosition()));
}

std::optional<QString> FrameSelectionScreen::askName(const QString& prompt)
{
    Dialogs& dialogs = m_station.dialogs();
    const QString name =
        dialogs.input(prompt, kRenameTitle, m_station.captureSkier).value_or(QString());
    if (!name.isEmpty())
        return name;
    const QString again =
        dialogs
            .input(QStringLiteral("You must input a name. ") + QStringLiteral("Please try again "),
                   kRenameTitle, m_station.captureSkier)
            .value_or(QString());
    if (again.isEmpty())
        return std::nullopt;
    return again;
}

bool FrameSelectionScreen::renameCapture()
{
    const QString captured = Text6->text();
    std::optional<QString> name = askName(
        QStringLiteral("The skier's name was changed to prevent overwriting ") +
        QStringLiteral("an existing file. You can change the skier's name here if you want. ") +
        QStringLiteral("Just modify it in the input box to what it should be. "));
    // Without a name the video keeps the name the capture gave it.
    if (!name)
        return false;
    const QString folder = withoutTrailingSeparator(m_station.settings.VideoFolder);
    QString target = joinPath(folder, fileNamePart(*name) + QStringLiteral("jump1.avi"));
    while (!samePath(target, captured) && FilePresent(target)) {
        name = askName(QStringLiteral("I am sorry, there is ") +
                       QStringLiteral("an existing file using that name and jump.  ") +
                       QStringLiteral("Please try again "));
        if (!name)
            return false;
        target = joinPath(folder, fileNamePart(*name) + QStringLiteral("jump") +
                                      m_station.capturePass.trimmed() + QStringLiteral(".avi"));
    }
    if (!samePath(target, captured)) {
        QFile file(captured);
        if (!file.rename(target)) {
            m_station.dialogs().message(QStringLiteral("Could not move %1 to %2: %3")
                                            .arg(captured, target, file.errorString()),
                                        QString(), DialogIcon::Critical);
            return false;
        }
    }
    skierName = *name;
    Text6->setText(target);
    m_station.captureHandOver.path = target;
    m_station.captureSkier = *name;
    m_station.capturePass = QStringLiteral("2");
    return true;
}

void FrameSelectionScreen::Command6_Click()
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
        Text6->setText(*chosen);
        fromCapture = false;
        if (FilePresent(infoFilePath(*chosen))) {
            const Result<int> stored = readInfoFile(*chosen);
            m_station.dialogs().message(stored ? QStringLiteral("File already measured - start "
                                                                "frame is ") +
                                                     leadingSpace(*stored)
                                               : stored.message(),
                                        kMeasuredTitle);
        }
        Command5->setEnabled(true);
        cmdMarkStart->setEnabled(true);
        btnGoToSetup->setEnabled(m_station.hasScreen(Screen::GridSetup));
        Command7->setEnabled(false);
        startRead = false;
        Label5->setText(kSelectStart);
        readVideoFacts(*chosen);
    }
    if (!Text6->text().isEmpty())
        loadVideo(Text6->text());
    else
        MediaPlayer1->setFileName(QString());
    startFixed = false;
    hidePlayBackControls();
    cmdMarkStart->show();
    Command1->setEnabled(true);
    Command4->setEnabled(true);
    setPlayerSize();
    MediaPlayer1->giveFocus();
}

void FrameSelectionScreen::Command4_Click()
{
    MediaPlayer1->setCurrentPosition(MediaPlayer1->currentPosition() + 1);
    showPosition();
}

void FrameSelectionScreen::Command1_Click()
{
    const int position = MediaPlayer1->currentPosition();
    if (position > 1)
        MediaPlayer1->setCurrentPosition(position - 1);
    showPosition();
}

void FrameSelectionScreen::Timer2_Timer()
{
    if (m_arrowTapped) {
        // The press itself stepped.
        m_arrowTapped = false;
        return;
    }
    const KeyboardState& keys = m_station.keyboard();
    if (keys.isDown(Qt::Key_Left) && Command1->isEnabled())
        Command1_Click();
    if (keys.isDown(Qt::Key_Right) && Command4->isEnabled())
        Command4_Click();
}

void FrameSelectionScreen::MediaPlayer1_KeyDown(int keyCode)
{
    Text1->setText(QString::number(keyCode));
    if (keyCode == 100 && Command1->isEnabled())
        Command1_Click();
    else if (keyCode == 102 && Command4->isEnabled())
        Command4_Click();
}

double FrameSelectionScreen::seconds(const QLineEdit* box) const
{
    return entryNumber(box->text());
}

void FrameSelectionScreen::Text4_Change()
{
    const double v = seconds(Text4);
    if (v < 1)
        setByProgram(*Text4, QStringLiteral("1"), [] {});
    else if (v > 5)
        setByProgram(*Text4, QStringLiteral("5"), [] {});
}

void FrameSelectionScreen::Text7_Change()
{
    const double v = seconds(Text7);
    if (v < 1)
        setByProgram(*Text7, QStringLiteral("1"), [] {});
    else if (v > 22)
        setByProgram(*Text7, QStringLiteral("22"), [] {});
}

void FrameSelectionScreen::cbFullScreen_Click()
{
    MediaPlayer1->giveFocus();
}

void FrameSelectionScreen::cbPlayAfter_Click()
{
    if (!cbFullScreen->isChecked())
        MediaPlayer1->giveFocus();
}

void FrameSelectionScreen::playStretch(const PlayStretch& stretch)
{
    MediaPlayer1->setSelectionStart(stretch.from);
    MediaPlayer1->setSelectionEnd(stretch.to);
    Timer1->setInterval(stretch.interval_ms);
    Timer1->start();
    MediaPlayer1->play();
    if (!cbFullScreen->isChecked())
        MediaPlayer1->giveFocus();
}

void FrameSelectionScreen::Command5_Click()
{
    if (playingBeforeStart)
        return;
    if (cbFullScreen->isChecked())
        MediaPlayer1->setDisplaySize(FramePlayer::kFullScreen);
    const double before = seconds(Text4);
    Text5->setText(leadingSpace(std::floor(before * 1000 + 300)));
    loopsLeft = int(entryNumber(txtStartLoop->text()));
    if (!startFixed)
        selectedFrame = MediaPlayer1->currentPosition();
    const PlayStretch stretch = playBeforeStart(selectedFrame, before, fps);
    m_startInterval_ms = stretch.interval_ms;
    playingBeforeStart = true;
    startRead = true;
    playStretch(stretch);
}

void FrameSelectionScreen::Command7_Click()
{
    if (playingBeforeEnd)
        return;
    loopsLeft = int(entryNumber(txtEndLoop->text()));
    const bool barefoot = m_station.settings.BarefootTiming15s != 0;
    runFrames = fw::runFrames(fps, barefoot);
    if (!startRead) {
        selectedFrame = MediaPlayer1->currentPosition();
        startRead = true;
    }
    startFixed = true;
    cmdMarkStart->setEnabled(false);
    const qint64 end = qint64(selectedFrame) + runFrames;
    if (end > frameCount) {
        m_station.dialogs().message(
            tooShortMessage(frameCount, int(std::min<qint64>(end, 0x7FFFFFFF)), barefoot),
            QStringLiteral("Captured File too short Warning"));
        return;
    }
    if (cbFullScreen->isChecked())
        MediaPlayer1->setDisplaySize(FramePlayer::kFullScreen);
    m_runEnd = int(end);
    playingBeforeEnd = true;
    afterPhase = false;
    playStretch(playBeforeEnd(m_runEnd, seconds(Text7), fps));
}

void FrameSelectionScreen::cmdPlayAndPause_Click()
{
    setByProgram(*cbPlayAfter, true, [this] { cbPlayAfter_Click(); });
    Command7_Click();
}

void FrameSelectionScreen::endPlayBack()
{
    playingBeforeStart = false;
    playingBeforeEnd = false;
    MediaPlayer1->stop();
}

void FrameSelectionScreen::Timer1_Timer()
{
    Timer1->stop();
    if (playingBeforeStart) {
        if (--loopsLeft <= 0) {
            endPlayBack();
            MediaPlayer1->setDisplaySize(FramePlayer::kDefaultSize);
            setPlayerSize();
            Command5->setFocus();
        } else {
            // Each repeat is ended by its own tick.
            Timer1->setInterval(m_startInterval_ms);
            Timer1->start();
            MediaPlayer1->play();
        }
        return;
    }
    if (!playingBeforeEnd)
        return;
    const PlayStretch beforeEnd = playBeforeEnd(m_runEnd, seconds(Text7), fps);
    if (afterPhase) {
        if (--loopsLeft <= 0) {
            MediaPlayer1->setSelectionStart(beforeEnd.from);
            MediaPlayer1->setSelectionEnd(beforeEnd.to);
            afterPhase = false;
            endPlayBack();
            MediaPlayer1->setDisplaySize(FramePlayer::kDefaultSize);
            setPlayerSize();
            cmdPlayAndPause->setFocus();
        } else {
            afterPhase = false;
            playStretch(
                {beforeEnd.from, beforeEnd.to, int(std::floor(seconds(Text7) * 1000 + 300))});
        }
        return;
    }
    if (cbPlayAfter->isChecked()) {
        cbPlayAfter->setChecked(false);
        afterPhase = true;
        playStretch(playAfterEnd(m_runEnd, fps));
        return;
    }
    if (--loopsLeft <= 0) {
        endPlayBack();
        MediaPlayer1->setDisplaySize(FramePlayer::kFitToSize);
        Command7->setFocus();
    } else {
        playStretch(beforeEnd);
    }
}

void FrameSelectionScreen::cmdMarkStart_Click()
{
    setupRequested = false;
    markFrame();
}

void FrameSelectionScreen::btnGoToSetup_Click()
{
    setupRequested = true;
    markFrame();
}

bool FrameSelectionScreen::deleteVideo(const QString& path)
{
    QFile file(path);
    // A read-only video is deleted too: its attributes are cleared first.
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    if (file.remove())
        return true;
    m_station.dialogs().message(
        QStringLiteral("Could not delete %1: %2").arg(path, file.errorString()), QString(),
        DialogIcon::Critical);
    return false;
}

void FrameSelectionScreen::logMarkedFrame(const QString& path)
{
    const std::optional<CaptureName> name = splitCaptureName(path);
    if (!name) {
        m_station.dialogs().message(
            QStringLiteral("Warning, this is not a  standard RSF file so it will not be saved in "
                           "the Log for future reference"),
            QString(), DialogIcon::Exclamation);
        return;
    }
    m_station.sessionLog.append(
        m_station.settings.VideoFolder,
        frameSelectionLogItems(m_station.clock().now(), *name, selectedFrame, path),
        m_station.dialogs());
    const Outcome written = writeInfoFile(path, selectedFrame);
    if (!written)
        m_station.dialogs().message(written.message(), QString(), DialogIcon::Critical);
}

void FrameSelectionScreen::markFrame()
{
    startFixed = true;
    startRead = true;
    MediaPlayer1->stop();
    // The frame marked is the picture on the screen, written as it is; only without one (no
    // picture has arrived yet) is the frame decoded from the file.
    const QImage shown = MediaPlayer1->picture();
    const bool onScreen = !shown.isNull() && MediaPlayer1->shownFrame() >= 0;
    selectedFrame = onScreen ? MediaPlayer1->shownFrame() : MediaPlayer1->currentPosition();
    MediaPlayer1->setClickToPlay(false);
    grabFileName = MediaPlayer1->fileName().isEmpty() ? Text6->text() : MediaPlayer1->fileName();
    grabFrameNumber = selectedFrame;
    const QString bitmap = m_station.paths().inStation(QStringLiteral("currentcapture.bmp"));
    const auto failure = onScreen ? writeFrameBitmap(shown, bitmap)
                                  : grabFrame(grabFileName, grabFrameNumber, bitmap);
    if (failure) {
        // Nothing is deleted and nothing moves on: the operator can try another frame.
        m_station.dialogs().message(failure->message, QString(), DialogIcon::Information);
        MediaPlayer1->setClickToPlay(true);
        return;
    }
    MediaPlayer1->setFileName(QString());

    const QString video = Text6->text();
    if (fromCapture) {
        const QString& policy = m_station.settings.VideoSavePolicy;
        if (policy == QLatin1String("NoSave")) {
            deleteVideo(video);
        } else if (policy == QLatin1String("Ask")) {
            if (m_station.dialogs().message(
                    QStringLiteral("Do you want to save this video capture?"), QString(),
                    DialogIcon::None, DialogButtons::YesNo) == DialogAnswer::Yes)
                logMarkedFrame(video);
            else
                deleteVideo(video);
        } else if (policy == QLatin1String("Save")) {
            logMarkedFrame(video);
        }
        fromCapture = false;
    }

    m_station.arrivedFrom = ArrivedFrom::MarkedFrame;
    const bool gridsReady = m_station.allGridsReady();
    const bool toSetup = setupRequested;
    setupRequested = false;
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

void FrameSelectionScreen::leave(int target)
{
    Command1->setEnabled(true);
    Command4->setEnabled(true);
    MediaPlayer1->setClickToPlay(true);
    Timer2->stop();
    // The next screen reads how the operator came as it shows.
    m_station.arrivedFrom = ArrivedFrom::FrameSelection;
    m_station.show(Screen(target), this);
}

void FrameSelectionScreen::cmdGoToCapture_Click()
{
    if (m_station.hasScreen(Screen::Capture))
        leave(int(Screen::Capture));
}

void FrameSelectionScreen::cmdGoToSetup_Click()
{
    leave(int(Screen::Main));
}

void FrameSelectionScreen::cmdViewLog_Click()
{
    viewArrivalDone = false;
    m_station.openLogView(this);
}

} // namespace fw
