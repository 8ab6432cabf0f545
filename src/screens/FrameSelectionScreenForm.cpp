#include "screens/FrameSelectionScreenForm.h"

#include "screens/named.h"

#include "widgets/FramePlayer.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace fw {

namespace {

// Creates a control of the screen named for its member.
template <typename Control, typename... Args>
Control* make(QWidget& screen, const char* name, Args&&... args)
{
    return named(new Control(std::forward<Args>(args)..., &screen), name);
}

QLineEdit* smallBox(QWidget& screen, const char* name, const QString& text, int width = 48)
{
    auto* box = make<QLineEdit>(screen, name, text);
    box->setFixedWidth(width);
    return box;
}

void addAll(QBoxLayout* layout, std::initializer_list<QWidget*> widgets)
{
    for (QWidget* w : widgets)
        layout->addWidget(w);
}

} // namespace

void FrameSelectionScreenForm::build(QWidget& screen)
{
    screen.setWindowTitle(QStringLiteral("Farwater 2005 Frame Selection"));
    auto* columns = new QHBoxLayout(&screen);

    columns->addLayout(buildPlayerColumn(screen));

    auto* right = new QVBoxLayout;
    auto* browse = new QHBoxLayout;
    browseLabel = make<QLabel>(screen, "browseLabel", QStringLiteral("Browse for File to View ->"));
    browseButton = make<QPushButton>(screen, "browseButton", QStringLiteral("..."));
    browseButton->setFixedWidth(40);
    addAll(browse, {browseLabel, browseButton});
    browse->addStretch(1);
    right->addLayout(browse);
    videoPathEdit = make<QLineEdit>(screen, "videoPathEdit");
    videoPathEdit->setReadOnly(true);
    right->addWidget(videoPathEdit);
    instructionLabel = make<QLabel>(screen, "instructionLabel");
    instructionLabel->setWordWrap(true);
    right->addWidget(instructionLabel);

    right->addLayout(buildPlayBackRows(screen));
    fullScreenCheck = make<QCheckBox>(
        screen, "fullScreenCheck",
        QStringLiteral("Play using Full Screen, ESC returns Click Mouse to repeat Play"));
    right->addWidget(fullScreenCheck);

    measureFrameButton = make<QPushButton>(screen, "measureFrameButton",
                                           QStringLiteral("Use displayed frame to measure jump"));
    gridSetupFrameButton = make<QPushButton>(screen, "gridSetupFrameButton",
                                             QStringLiteral("Use displayed frame to set up Grid"));
    QFont big = measureFrameButton->font();
    big.setBold(true);
    measureFrameButton->setFont(big);
    right->addWidget(measureFrameButton);
    right->addWidget(gridSetupFrameButton);

    fileInfoList = make<QListWidget>(screen, "fileInfoList");
    fileInfoList->setMinimumHeight(160);
    right->addWidget(fileInfoList, 1);

    right->addLayout(buildDiskSpaceRow(screen));
    barefootLabel = make<QLabel>(screen, "barefootLabel", QStringLiteral("Barefoot Mode"));
    barefootLabel->hide();
    right->addWidget(barefootLabel);

    auto* nav = new QHBoxLayout;
    recordNextPassButton = make<QPushButton>(screen, "recordNextPassButton",
                                             QStringLiteral("Go To Record Next Jump Pass"));
    mainScreenButton =
        make<QPushButton>(screen, "mainScreenButton", QStringLiteral("Go Back To Main Screen"));
    viewLogButton = make<QPushButton>(screen, "viewLogButton", QStringLiteral("View Log File"));
    addAll(nav, {recordNextPassButton, mainScreenButton, viewLogButton});
    right->addLayout(nav);
    columns->addLayout(right, 1);
}

QVBoxLayout* FrameSelectionScreenForm::buildPlayerColumn(QWidget& screen)
{
    // The player with the step buttons under it.
    auto* left = new QVBoxLayout;
    player = make<FramePlayer>(screen, "player");
    left->addWidget(player, 0, Qt::AlignLeft | Qt::AlignTop);
    auto* steps = new QHBoxLayout;
    stepBackButton = make<QPushButton>(screen, "stepBackButton", QStringLiteral("<"));
    stepForwardButton = make<QPushButton>(screen, "stepForwardButton", QStringLiteral(">"));
    positionEdit = smallBox(screen, "positionEdit", QStringLiteral("0"), 80);
    positionEdit->setReadOnly(true);
    addAll(steps, {stepBackButton, positionEdit, stepForwardButton});
    steps->addStretch(1);
    left->addLayout(steps);
    auto* keys = new QHBoxLayout;
    keyTestLabel = make<QLabel>(screen, "keyTestLabel", QStringLiteral("key test"));
    lastKeyEdit = smallBox(screen, "lastKeyEdit", QString());
    keyDownLabel = make<QLabel>(screen, "keyDownLabel", QStringLiteral("Key Down"));
    keyDownEdit = smallBox(screen, "keyDownEdit", QString());
    mediaKeyLabel = make<QLabel>(screen, "mediaKeyLabel", QStringLiteral("media key"));
    addAll(keys, {keyTestLabel, lastKeyEdit, keyDownLabel, keyDownEdit, mediaKeyLabel});
    lastKeyEdit->setReadOnly(true);
    keyDownEdit->setReadOnly(true);
    keys->addStretch(1);
    left->addLayout(keys);
    left->addStretch(1);
    return left;
}

QGridLayout* FrameSelectionScreenForm::buildPlayBackRows(QWidget& screen)
{
    auto* plays = new QGridLayout;
    playBeforeStartButton =
        make<QPushButton>(screen, "playBeforeStartButton", QStringLiteral("Play before start -->"));
    secondsBeforeStartEdit = smallBox(screen, "secondsBeforeStartEdit", QStringLiteral("2"));
    startPlaysEdit = smallBox(screen, "startPlaysEdit", QStringLiteral("1"));
    startPlayTimeEdit = smallBox(screen, "startPlayTimeEdit", QString(), 64);
    startPlayTimeEdit->setReadOnly(true);
    plays->addWidget(playBeforeStartButton, 0, 0);
    plays->addWidget(secondsBeforeStartEdit, 0, 1);
    plays->addWidget(startPlaysEdit, 0, 2);
    plays->addWidget(startPlayTimeEdit, 0, 3);
    playBeforeEndButton =
        make<QPushButton>(screen, "playBeforeEndButton", QStringLiteral("Play before end -->"));
    secondsBeforeEndEdit = smallBox(screen, "secondsBeforeEndEdit", QStringLiteral("5"));
    endPlaysEdit = smallBox(screen, "endPlaysEdit", QStringLiteral("1"));
    secondsLabel = make<QLabel>(screen, "secondsLabel", QStringLiteral("seconds"));
    plays->addWidget(playBeforeEndButton, 1, 0);
    plays->addWidget(secondsBeforeEndEdit, 1, 1);
    plays->addWidget(endPlaysEdit, 1, 2);
    plays->addWidget(secondsLabel, 1, 3);
    playToEndButton = make<QPushButton>(screen, "playToEndButton",
                                        QStringLiteral("Play to end, pause, continue"));
    plays->addWidget(playToEndButton, 2, 0);
    continueAfterEndCheck = make<QCheckBox>(screen, "continueAfterEndCheck");
    continueAfterEndLabel =
        make<QLabel>(screen, "continueAfterEndLabel", QStringLiteral("and then continue"));
    plays->addWidget(continueAfterEndCheck, 2, 1);
    plays->addWidget(continueAfterEndLabel, 2, 2, 1, 2);
    return plays;
}

QHBoxLayout* FrameSelectionScreenForm::buildDiskSpaceRow(QWidget& screen)
{
    auto* disk = new QHBoxLayout;
    diskSpaceCaption = make<QLabel>(screen, "diskSpaceCaption");
    diskSpaceValue = make<QLabel>(screen, "diskSpaceValue");
    lowDiskSpaceWarning =
        make<QLabel>(screen, "lowDiskSpaceWarning", QStringLiteral("Warning! Disk Space Low"));
    lowDiskSpaceWarning->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    lowDiskSpaceWarning->hide();
    addAll(disk, {diskSpaceCaption, diskSpaceValue, lowDiskSpaceWarning});
    disk->addStretch(1);
    return disk;
}

} // namespace fw
