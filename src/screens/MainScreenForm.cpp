#include "screens/MainScreenForm.h"

#include "screens/named.h"

#include "media/CaptureEngine.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace fw {

namespace {

QPushButton* button(const char* caption, QWidget* parent, const char* objectName)
{
    return named(new QPushButton(QLatin1String(caption), parent), objectName);
}

} // namespace

void MainScreenForm::build(QMainWindow& window)
{
    window.setWindowTitle(QStringLiteral("Farwater 2005"));
    auto* central = new QWidget(&window);
    auto* columns = new QHBoxLayout(central);
    auto* left = new QVBoxLayout;
    columns->addLayout(left);
    buildNavigation(*central, *left);
    buildCapturePanel(*central);
    capturePanel->hide();
    columns->addWidget(capturePanel);
    window.setCentralWidget(central);

    QMenuBar* menu = window.menuBar();
    videoLogAction = named(menu->addAction(QStringLiteral("&Video Log")), "videoLogAction");
    pictureLogAction = named(menu->addAction(QStringLiteral("&Picture Log")), "pictureLogAction");
    manualAction = named(menu->addAction(QStringLiteral("View &Manual")), "manualAction");
    exitAction = named(menu->addAction(QStringLiteral("E&xit")), "exitAction");
    // The narrow screen would hide E&xit behind the menu bar's overflow button.
    window.setMinimumWidth(menu->sizeHint().width());
}

void MainScreenForm::buildNavigation(QWidget& central, QVBoxLayout& left)
{
    controlsBox =
        named(new QGroupBox(QStringLiteral("Farwater Controls and Configuration"), &central),
              "controlsBox");
    auto* buttons = new QVBoxLayout(controlsBox);
    const auto add = [&](QPushButton*& b, const char* caption, const char* objectName) {
        b = button(caption, controlsBox, objectName);
        buttons->addWidget(b);
    };
    add(goToCaptureButton, "Proceed to Capture Video", "goToCaptureButton");
    add(reviewVideosButton, "View Already Recorded Jump Videos", "reviewVideosButton");
    add(reviewPicturesButton, "View Already Recorded Jump Pics", "reviewPicturesButton");
    add(gridSetupButton, "Go to Setup", "gridSetupButton");
    add(configureButton, "Configure System", "configureButton");
    add(capturePanelButton, "Show Video Configuration", "capturePanelButton");
    add(importSkierNamesButton, "Import Skier Names File", "importSkierNamesButton");
    left.addWidget(controlsBox);

    auto* folderBox = new QGroupBox(&central);
    auto* folder = new QVBoxLayout(folderBox);
    videoFolderCaption =
        named(new QLabel(QStringLiteral("Save Video Files in this Directory"), folderBox),
              "videoFolderCaption");
    videoFolderEdit = named(new QLineEdit(folderBox), "videoFolderEdit");
    videoFolderLabel = named(new QLabel(folderBox), "videoFolderLabel");
    videoFolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    changeVideoFolderButton =
        button("Change Video File Directory", folderBox, "changeVideoFolderButton");
    folder->addWidget(videoFolderCaption);
    folder->addWidget(videoFolderEdit);
    folder->addWidget(videoFolderLabel);
    folder->addWidget(changeVideoFolderButton);
    left.addWidget(folderBox);

    barefootTimingCheck =
        named(new QCheckBox(QStringLiteral("Enable Barefoot Timing (15 sec)"), &central),
              "barefootTimingCheck");
    left.addWidget(barefootTimingCheck);

    auto* gridBox = new QGroupBox(&central);
    auto* grid = new QGridLayout(gridBox);
    const char* gridCaptions[3] = {"Grid 1", "Grid 2", "Grid3"};
    for (int g = 0; g < 3; ++g) {
        const QString row = QString::number(g + 1);
        gridNameLabels[g] = new QLabel(QLatin1String(gridCaptions[g]), gridBox);
        gridNameLabels[g]->setObjectName(QStringLiteral("gridNameLabel") + row);
        gridReadyIcons[g] = new QLabel(gridBox);
        gridReadyIcons[g]->setObjectName(QStringLiteral("gridReadyIcon") + row);
        gridReadyIcons[g]->setFixedSize(32, 32);
        gridDescriptionEdits[g] = new QLineEdit(gridBox);
        gridDescriptionEdits[g]->setObjectName(QStringLiteral("gridDescriptionEdit") + row);
        gridDescriptionEdits[g]->setReadOnly(true);
        grid->addWidget(gridNameLabels[g], g, 0);
        grid->addWidget(gridReadyIcons[g], g, 1);
        grid->addWidget(gridDescriptionEdits[g], g, 2);
    }
    left.addWidget(gridBox);

    frameRateClassLabel = named(new QLabel(QStringLiteral("Currently Configured for R"), &central),
                                "frameRateClassLabel");
    left.addWidget(frameRateClassLabel);
    left.addStretch();
}

void MainScreenForm::buildCapturePanel(QWidget& central)
{
    capturePanel =
        named(new QGroupBox(QStringLiteral("Video Configuration"), &central), "capturePanel");
    frameRateEdit = named(new QLineEdit(capturePanel), "frameRateEdit");
    captureFileEdit = named(new QLineEdit(capturePanel), "captureFileEdit");
    frameRateEdit->setMinimumWidth(80);
    captureFileEdit->setMinimumWidth(220);

    auto* panel = new QFormLayout(capturePanel);
    const auto combo = [&](QComboBox*& c, const char* caption, const char* objectName) {
        c = named(new QComboBox(capturePanel), objectName);
        panel->addRow(QLatin1String(caption), c);
    };
    combo(deviceCombo, "Video Device:", "deviceCombo");
    connectButton = button("Connect", capturePanel, "connectButton");
    previewButton = button("Preview On", capturePanel, "previewButton");
    videoSettingsButton = button("Configure...", capturePanel, "videoSettingsButton");
    auto* row = new QHBoxLayout;
    row->addWidget(connectButton);
    row->addWidget(previewButton);
    row->addWidget(videoSettingsButton);
    panel->addRow(row);
    combo(resolutionCombo, "Resolution:", "resolutionCombo");
    combo(colorFormatCombo, "Color Format:", "colorFormatCombo");
    combo(videoInputCombo, "Input:", "videoInputCombo");
    combo(channelCombo, "Channel:", "channelCombo");
    combo(effectCombo, "Effect:", "effectCombo");
    combo(compressionCombo, "Compression:", "compressionCombo");
    compressionSettingsButton = button("Configure...", capturePanel, "compressionSettingsButton");
    panel->addRow(QString(), compressionSettingsButton);
    combo(audioDeviceCombo, "Audio Device:", "audioDeviceCombo");
    audioSettingsButton = button("Configure...", capturePanel, "audioSettingsButton");
    panel->addRow(QString(), audioSettingsButton);
    combo(audioCompressionCombo, "Audio Compression:", "audioCompressionCombo");
    combo(soundFormatCombo, "Attributes:", "soundFormatCombo");
    soundFormatCombo->addItems(soundFormatEntries());
    listenCheck = named(new QCheckBox(QStringLiteral("Listen"), capturePanel), "listenCheck");
    panel->addRow(listenCheck);
    panel->addRow(QStringLiteral("Frame Rate (fps)"), frameRateEdit);
    timeLimitEdit = named(new QLineEdit(QStringLiteral("0"), capturePanel), "timeLimitEdit");
    panel->addRow(QStringLiteral("Time Limit (sec)"), timeLimitEdit);
    combo(captureModeCombo, "Capture:", "captureModeCombo");
    captureModeCombo->addItems({QStringLiteral("Frames"), QStringLiteral("Streams")});
    chooseCaptureFileButton = button("...", capturePanel, "chooseCaptureFileButton");
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(captureFileEdit);
    fileRow->addWidget(chooseCaptureFileButton);
    panel->addRow(QStringLiteral("Capture file"), fileRow);
    captureButton = button("Capture Stream", capturePanel, "captureButton");
    panel->addRow(captureButton);

    buildStillOptions();
    panel->addRow(stillOptionsBox);
    buildStreamCounters();
    panel->addRow(streamOptionsBox);
    captureStatusLabel = named(new QLabel(capturePanel), "captureStatusLabel");
    panel->addRow(captureStatusLabel);

    // The station's devices have no settings dialogs of their own and no video effects;
    // listening to the sound while recording is not offered.
    videoSettingsButton->setEnabled(false);
    compressionSettingsButton->setEnabled(false);
    audioSettingsButton->setEnabled(false);
    channelCombo->setEnabled(false);
    listenCheck->setEnabled(false);
}

void MainScreenForm::buildStillOptions()
{
    stillOptionsBox =
        named(new QGroupBox(QStringLiteral("Frame Options"), capturePanel), "stillOptionsBox");
    auto* frame = new QFormLayout(stillOptionsBox);
    const auto check = [&](QCheckBox*& c, const char* caption, const char* objectName) {
        c = named(new QCheckBox(QLatin1String(caption), stillOptionsBox), objectName);
        frame->addRow(c);
    };
    check(progressiveJpegCheck, "Progressive JPG", "progressiveJpegCheck");
    check(autoSaveCheck, "AutoSave", "autoSaveCheck");
    check(autoIncrementCheck, "AutoIncrement", "autoIncrementCheck");
    const auto edit = [&](QLineEdit*& e, const char* caption, const char* objectName) {
        e = named(new QLineEdit(stillOptionsBox), objectName);
        frame->addRow(QLatin1String(caption), e);
    };
    edit(chromaFactorEdit, "ChromFactor:", "chromaFactorEdit");
    edit(lumaFactorEdit, "LumFactor:", "lumaFactorEdit");
    edit(stillIntervalEdit, "Interval:", "stillIntervalEdit");
    edit(stillPasswordEdit, "Password:", "stillPasswordEdit");
    // Protected stills are not supported.
    stillPasswordEdit->setText(QStringLiteral("not supported"));
    stillPasswordEdit->setEnabled(false);
    edit(stillCaptionEdit, "Caption:", "stillCaptionEdit");
    edit(stillCaptionLeftEdit, "CaptionLeft:", "stillCaptionLeftEdit");
    edit(stillCaptionTopEdit, "CaptionTop:", "stillCaptionTopEdit");
}

void MainScreenForm::buildStreamCounters()
{
    streamOptionsBox =
        named(new QGroupBox(QStringLiteral("Stream Options"), capturePanel), "streamOptionsBox");
    auto* stream = new QFormLayout(streamOptionsBox);
    const auto counter = [&](QLabel*& l, const char* caption, const char* objectName) {
        l = named(new QLabel(streamOptionsBox), objectName);
        stream->addRow(QLatin1String(caption), l);
    };
    counter(framesCapturedLabel, "Total Frames", "framesCapturedLabel");
    counter(framesDroppedLabel, "Frames Dropped", "framesDroppedLabel");
    counter(audioSamplesLabel, "Total Samples", "audioSamplesLabel");
    counter(elapsedLabel, "Time (ms)", "elapsedLabel");
}

} // namespace fw
