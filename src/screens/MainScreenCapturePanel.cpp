// The main screen's capture panel: the capture engine's device, formats and sound, and a capture
// of stills or of a stream straight from the panel.

#include "screens/MainScreen.h"

#include "media/CaptureEngine.h"
#include "screens/setByProgram.h"
#include "settings/SettingsStore.h"
#include "station/Station.h"
#include "support/FileChecks.h"
#include "support/dialogs.h"
#include "support/textforms.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <limits>
#include <cmath>

namespace fw {

namespace {

const QString kNoDevices = QStringLiteral("No Capture Devices");
const QString kNone = QStringLiteral("None");
const QString kEndCapture = QStringLiteral("End Capture");
const QString kCaptureFrame = QStringLiteral("Capture Frame");
const QString kCaptureStream = QStringLiteral("Capture Stream");

// The capture mode list's entries.
constexpr int kStills = 0;
constexpr int kStream = 1;

// A whole number from the panel's box; a figure beyond what an int holds is held at the nearest
// end of its range rather than wrapped round.
int entryIndex(const QLineEdit* box)
{
    const double v = entryNumber(box->text());
    constexpr double kLargest = std::numeric_limits<int>::max();
    return std::isfinite(v) ? int(std::clamp(v, -kLargest, kLargest)) : 0;
}

} // namespace

void MainScreen::connectCapturePanel()
{
    const MainScreenForm& f = m_form;
    connect(f.timeLimitEdit, &QLineEdit::textEdited, this, &MainScreen::onTimeLimitEdited);
    connect(f.connectButton, &QPushButton::clicked, this, &MainScreen::toggleConnection);
    connect(f.previewButton, &QPushButton::clicked, this, &MainScreen::togglePreview);
    connect(f.resolutionCombo, &QComboBox::activated, this, &MainScreen::onResolutionChosen);
    connect(f.colorFormatCombo, &QComboBox::activated, this, &MainScreen::onColorFormatChosen);
    connect(f.videoInputCombo, &QComboBox::activated, this, &MainScreen::onVideoInputChosen);
    connect(f.compressionCombo, &QComboBox::activated, this, &MainScreen::onCompressionChosen);
    connect(f.captureModeCombo, &QComboBox::activated, this, &MainScreen::onCaptureModeChosen);
    connect(f.chooseCaptureFileButton, &QPushButton::clicked, this, &MainScreen::chooseCaptureFile);
    connect(f.captureButton, &QPushButton::clicked, this, &MainScreen::onCaptureClicked);

    CaptureEngine& engine = m_station.captureEngine();
    connect(&engine, &CaptureEngine::deviceChange, this, &MainScreen::onDeviceChange);
    connect(&engine, &CaptureEngine::status, this, &MainScreen::onCaptureStatus);
    connect(&engine, &CaptureEngine::statusText, this, &MainScreen::onCaptureStatusText);
    connect(&engine, &CaptureEngine::warning, this, &MainScreen::onCaptureWarning);
    connect(&engine, &CaptureEngine::captureEnded, this, &MainScreen::onCaptureEnded);
    engine.watchDevices();
}

void MainScreen::startUpCapturePanel()
{
    CaptureEngine& engine = m_station.captureEngine();
    SettingsStore& store = m_station.store();
    m_form.captureModeCombo->setCurrentIndex(kStream);
    onCaptureModeChosen();
    showPreviewCaption();
    fillDeviceList(store.readInt(QStringLiteral("device"), -1));
    fillAudioList();
    fillCompressionLists();
    // No video effects.
    m_form.effectCombo->clear();
    m_form.effectCombo->addItem(kNone);
    m_form.effectCombo->setEnabled(false);
    showStillSettings();
    selectSoundFormat();
    const double storedRate = store.readDouble(QStringLiteral("framerate"), 0);
    if (storedRate >= 1)
        setFrameRateText(store.read(QStringLiteral("framerate"), QStringLiteral("0")));
    else
        setFrameRateText(QString::number(engine.frameRate()));
    m_form.timeLimitEdit->setText(QString::number(engine.timeLimit_s()));
    // Connect once, then the stored compressor.
    toggleConnection();
    QComboBox& compression = *m_form.compressionCombo;
    const int stored = store.readInt(QStringLiteral("compression"), -1);
    compression.setCurrentIndex(stored >= 0 && stored < compression.count() ? stored : 0);
    engine.setCompressor(compression.currentIndex() - 1);
}

void MainScreen::fillCompressionLists()
{
    const CaptureEngine& engine = m_station.captureEngine();
    m_form.compressionCombo->clear();
    m_form.compressionCombo->addItem(kNone);
    m_form.compressionCombo->addItems(engine.compressors());
    m_form.compressionCombo->setCurrentIndex(engine.compressor() + 1);
    m_form.audioCompressionCombo->clear();
    m_form.audioCompressionCombo->addItem(kNone);
    m_form.audioCompressionCombo->setCurrentIndex(0);
}

void MainScreen::showStillSettings()
{
    const StillSettings& still = m_station.captureEngine().stills;
    m_form.progressiveJpegCheck->setChecked(still.progressive);
    m_form.autoSaveCheck->setChecked(still.autoSave);
    m_form.autoIncrementCheck->setChecked(still.autoIncrement);
    m_form.chromaFactorEdit->setText(QString::number(still.chromFactor));
    m_form.lumaFactorEdit->setText(QString::number(still.lumFactor));
    m_form.stillIntervalEdit->setText(QString::number(still.interval));
    m_form.stillCaptionEdit->setText(still.caption);
    m_form.stillCaptionLeftEdit->setText(QString::number(still.captionLeft));
    m_form.stillCaptionTopEdit->setText(QString::number(still.captionTop));
}

void MainScreen::showPreviewCaption()
{
    m_form.previewButton->setText(m_station.captureEngine().preview()
                                      ? QStringLiteral("Preview Off")
                                      : QStringLiteral("Preview On"));
}

void MainScreen::fillDeviceList(int select)
{
    const QList<CaptureDevice>& devices = m_station.captureEngine().devices();
    QComboBox& list = *m_form.deviceCombo;
    list.clear();
    if (devices.isEmpty()) {
        list.addItem(kNoDevices);
        list.setCurrentIndex(0);
        return;
    }
    for (const CaptureDevice& d : devices)
        list.addItem(d.name);
    list.setCurrentIndex(select >= 0 && select < list.count() ? select : 0);
}

void MainScreen::fillAudioList()
{
    const CaptureEngine& engine = m_station.captureEngine();
    m_form.audioDeviceCombo->clear();
    m_form.audioDeviceCombo->addItem(kNone);
    m_form.audioDeviceCombo->addItems(engine.audioDevices());
    m_form.audioDeviceCombo->setCurrentIndex(engine.audioDevice() + 1);
}

void MainScreen::toggleConnection()
{
    CaptureEngine& engine = m_station.captureEngine();
    if (engine.deviceCount() == 0) {
        m_station.dialogs().message(
            QStringLiteral("No MCI capture devices are installed on this system"));
        return;
    }
    if (engine.isConnected()) {
        engine.disconnectDevice();
        showDisconnected();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool connected = connectDevice();
    QApplication::restoreOverrideCursor();
    if (!connected)
        m_station.dialogs().message(QStringLiteral("Warning: ") + engine.lastError());
}

bool MainScreen::connectDevice()
{
    CaptureEngine& engine = m_station.captureEngine();
    SettingsStore& store = m_station.store();
    const int index = std::max(0, m_form.deviceCombo->currentIndex());
    if (!engine.connectDevice(index))
        return false;
    store.write(QStringLiteral("device"), QString::number(index));
    const CaptureDevice& device = engine.devices().at(index);
    // A list of the device's choices, on the stored choice where it has one.
    const auto fill = [&](QComboBox* list, const QStringList& entries, int current,
                          const char* key) {
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
        fill(m_form.resolutionCombo, device.resolutions, engine.resolution(), "VideoResolution"));
    engine.setColorFormat(
        fill(m_form.colorFormatCombo, device.colorFormats, engine.colorFormat(), "ColorFormat"));
    engine.setVideoInput(
        fill(m_form.videoInputCombo, device.inputs, engine.videoInput(), "VideoInput"));
    m_form.channelCombo->setEnabled(false);
    fillAudioList();
    setFrameRateText(QString::number(engine.frameRate()));
    m_form.timeLimitEdit->setText(QString::number(engine.timeLimit_s()));
    m_form.connectButton->setText(QStringLiteral("Disconnect"));
    m_form.captureButton->setEnabled(true);
    m_form.previewButton->setEnabled(true);
    selectSoundFormat();
    return true;
}

void MainScreen::showDisconnected()
{
    m_form.connectButton->setText(QStringLiteral("Connect"));
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_form.captureButton, m_form.previewButton, m_form.resolutionCombo,
             m_form.colorFormatCombo, m_form.videoSettingsButton, m_form.channelCombo,
             m_form.videoInputCombo})
        w->setEnabled(false);
}

void MainScreen::togglePreview()
{
    CaptureEngine& engine = m_station.captureEngine();
    engine.setPreview(!engine.preview());
    showPreviewCaption();
}

void MainScreen::onResolutionChosen()
{
    CaptureEngine& engine = m_station.captureEngine();
    const int chosen = m_form.resolutionCombo->currentIndex();
    if (chosen == engine.resolution())
        return;
    engine.setResolution(chosen);
    m_station.store().write(QStringLiteral("videoresolution"), QString::number(chosen));
}

void MainScreen::onColorFormatChosen()
{
    CaptureEngine& engine = m_station.captureEngine();
    const int chosen = m_form.colorFormatCombo->currentIndex();
    if (chosen == engine.colorFormat())
        return;
    engine.setColorFormat(chosen);
    m_station.store().write(QStringLiteral("ColorFormat"), QString::number(chosen));
}

void MainScreen::onVideoInputChosen()
{
    CaptureEngine& engine = m_station.captureEngine();
    const int chosen = m_form.videoInputCombo->currentIndex();
    if (chosen == engine.videoInput())
        return;
    engine.setVideoInput(chosen);
    m_station.store().write(QStringLiteral("VideoInput"), QString::number(chosen));
}

void MainScreen::onCompressionChosen()
{
    CaptureEngine& engine = m_station.captureEngine();
    // The list's first entry is "None".
    const int chosen = m_form.compressionCombo->currentIndex();
    if (chosen - 1 == engine.compressor())
        return;
    engine.setCompressor(chosen - 1);
    m_station.store().write(QStringLiteral("compression"), QString::number(chosen));
}

void MainScreen::onTimeLimitEdited()
{
    m_station.captureEngine().setTimeLimit_s(entryIndex(m_form.timeLimitEdit));
}

void MainScreen::onCaptureModeChosen()
{
    CaptureEngine& engine = m_station.captureEngine();
    const bool stills = m_form.captureModeCombo->currentIndex() == kStills;
    engine.stopStills();
    m_form.captureButton->setText(stills ? kCaptureFrame : kCaptureStream);
    m_form.stillOptionsBox->setVisible(stills);
    m_form.streamOptionsBox->setVisible(!stills);
    m_form.captureFileEdit->setText(stills ? engine.stills.filePath : engine.streamFile());
}

void MainScreen::selectSoundFormat()
{
    QComboBox& list = *m_form.soundFormatCombo;
    const QString text = soundFormatText(m_station.captureEngine().soundFormat());
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            list.setCurrentIndex(i);
            return;
        }
    }
    list.addItem(text);
    list.setCurrentIndex(list.count() - 1);
}

void MainScreen::applyCaptureSettings()
{
    // A bare file name is kept in the video folder.
    QString file = m_form.captureFileEdit->text().trimmed();
    if (!file.isEmpty() && QFileInfo(file).isRelative())
        file = QDir(m_station.settings.VideoFolder).filePath(file);
    if (m_form.captureModeCombo->currentIndex() == kStills)
        applyStillSettings(file);
    else
        applyStreamSettings(file);
}

void MainScreen::applyStillSettings(const QString& file)
{
    StillSettings& still = m_station.captureEngine().stills;
    still.progressive = m_form.progressiveJpegCheck->isChecked();
    still.autoSave = m_form.autoSaveCheck->isChecked();
    still.autoIncrement = m_form.autoIncrementCheck->isChecked();
    still.chromFactor = entryIndex(m_form.chromaFactorEdit);
    still.lumFactor = entryIndex(m_form.lumaFactorEdit);
    still.interval = entryIndex(m_form.stillIntervalEdit);
    still.caption = m_form.stillCaptionEdit->text();
    still.captionLeft = entryIndex(m_form.stillCaptionLeftEdit);
    still.captionTop = entryIndex(m_form.stillCaptionTopEdit);
    still.filePath = file;
}

void MainScreen::applyStreamSettings(const QString& file)
{
    CaptureEngine& engine = m_station.captureEngine();
    engine.setStreamFile(file);
    engine.setFrameRate(entryNumber(m_form.frameRateEdit->text()));
    engine.setTimeLimit_s(entryIndex(m_form.timeLimitEdit));
    engine.setAudioDevice(m_form.audioDeviceCombo->currentIndex() - 1);
    engine.setCompressor(m_form.compressionCombo->currentIndex() - 1);
    engine.setSoundFormat(soundFormatFromEntry(m_form.soundFormatCombo->currentIndex(),
                                               m_form.soundFormatCombo->currentText(),
                                               engine.soundFormat()));
}

void MainScreen::chooseCaptureFile()
{
    QLineEdit& box = *m_form.captureFileEdit;
    setByProgram(box, SaveFileDialog(m_station.dialogs(), box.text(), 0), [] {});
}

void MainScreen::onCaptureClicked()
{
    CaptureEngine& engine = m_station.captureEngine();
    QPushButton& button = *m_form.captureButton;
    if (m_form.captureModeCombo->currentIndex() == kStills) {
        // With AutoSave and an interval the stills repeat until the button is pressed again.
        if (engine.takingStills()) {
            engine.stopStills();
            button.setText(kCaptureFrame);
            return;
        }
        applyCaptureSettings();
        engine.captureFrame();
        if (engine.takingStills())
            button.setText(kEndCapture);
        return;
    }
    if (button.text() == kCaptureStream) {
        applyCaptureSettings();
        if (engine.startCapture())
            button.setText(kEndCapture);
        return;
    }
    engine.stopCapture();
    showCounters();
    button.setText(kCaptureStream);
}

void MainScreen::showCounters()
{
    const CaptureEngine& engine = m_station.captureEngine();
    m_form.framesCapturedLabel->setText(QString::number(engine.framesCaptured()));
    m_form.framesDroppedLabel->setText(QString::number(engine.framesDropped()));
    m_form.audioSamplesLabel->setText(QString::number(engine.audioSamples()));
    m_form.elapsedLabel->setText(QString::number(engine.elapsed_ms()));
}

void MainScreen::onCaptureStatus(int code, const QString& text)
{
    if (code == capture_status::kCounters)
        showCounters();
    if (code == capture_status::kEnded) {
        // In the stills mode the button keeps its still caption.
        if (m_form.captureModeCombo->currentIndex() == kStream)
            m_form.captureButton->setText(kCaptureStream);
        return;
    }
    m_form.captureStatusLabel->setText(text);
}

void MainScreen::onCaptureStatusText(const QString& text)
{
    m_form.captureStatusLabel->setText(text);
}

void MainScreen::onCaptureWarning(const QString& text)
{
    m_station.dialogs().message(QStringLiteral("Warning: ") + text, QString(),
                                DialogIcon::Exclamation);
    // A failed still ends a series of stills.
    if (m_form.captureModeCombo->currentIndex() == kStills &&
        !m_station.captureEngine().takingStills())
        m_form.captureButton->setText(kCaptureFrame);
}

void MainScreen::onCaptureEnded(const QString& reason)
{
    // A recording started from the panel that ended by itself; the capture screen looks after
    // its own.
    if (m_form.captureModeCombo->currentIndex() != kStream ||
        m_form.captureButton->text() != kEndCapture)
        return;
    m_station.captureEngine().stopCapture();
    showCounters();
    m_form.captureButton->setText(kCaptureStream);
    // The time limit is the recording's normal end, not a fault.
    if (reason != CaptureEngine::timeLimitReason())
        onCaptureWarning(reason);
}

void MainScreen::onDeviceChange(int kind, const QString& name, const QString& category)
{
    CaptureEngine& engine = m_station.captureEngine();
    // A device plugged in while none is connected is offered to the operator.
    const auto offered = [&] {
        return kind == 0 && !engine.isConnected() &&
               m_station.dialogs().message(
                   name + QStringLiteral(" is plugged into your computer. Do you want to use it?"),
                   QString(), DialogIcon::Question, DialogButtons::YesNo) == DialogAnswer::Yes;
    };
    if (category == CaptureEngine::audioCategory()) {
        // The list keeps its "None" and gets no "No Capture Devices" entry.
        if (offered())
            engine.setAudioDevice(int(engine.audioDevices().indexOf(name)));
        fillAudioList();
        return;
    }
    if (category != CaptureEngine::videoCategory())
        return;
    int select = engine.currentDevice();
    if (offered()) {
        for (int i = 0; i < engine.deviceCount(); ++i)
            if (engine.devices()[i].name == name)
                select = i;
    }
    fillDeviceList(select);
    if (kind == 1 && m_form.connectButton->text() == QLatin1String("Disconnect") &&
        !engine.isConnected())
        showDisconnected();
}

} // namespace fw
