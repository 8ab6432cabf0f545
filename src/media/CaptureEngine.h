#pragma once

// The capture engine: the video sources (cameras through the system's capture library and the
// built-in demo camera), live preview, recording to AVI and single stills. The engine object
// belongs to the user-interface thread; opening a camera, the recording and the preview run on
// its own threads and report back through queued signals.

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QFileSystemWatcher;
class QTimer;

namespace fw {

// One video or sound source as the device lists show it.
struct CaptureDevice {
    QString name;   // shown in the device list
    QString format; // the capture library's input format ("video4linux2", "dshow", ...); empty
                    // for the demo camera
    QString url;    // what the capture library opens
    QStringList resolutions;  // "640x480"
    QStringList colorFormats; // pixel formats offered, as the driver names them
    QStringList pixelFormats; // the same formats as the capture library names them ("yuyv422",
                              // "mjpeg"); empty where the device does not say
    QStringList inputs;       // inputs of the device; empty when it has none
    bool demo = false;
};

// A sound format: samples per second, channels and bits per sample.
struct SoundFormat {
    int sampleRate = 11025;
    int channels = 1;
    int bits = 8;
    bool operator==(const SoundFormat&) const = default;
};

// The sixteen sound formats of the panel's list, in their order.
QStringList soundFormatEntries();
// The format of list entry `index` with text `text`: bit 0 of the index means stereo, bit 1 means
// 16 bits; the rate is the number before the first blank times 1000, taken only when the text
// has a blank after its first character (otherwise the current rate stays).
SoundFormat soundFormatFromEntry(int index, const QString& text, const SoundFormat& current);
// "22.050 Khz, 16 bit, Stereo"
QString soundFormatText(const SoundFormat& format);

// The still-picture options of the "Frames" mode.
struct StillSettings {
    bool progressive = false;
    // Off: the still goes to the clipboard instead of the file.
    bool autoSave = true;
    bool autoIncrement = false;
    int chromFactor = 100; // 1..255; with the luminance factor it gives the JPEG quality
    int lumFactor = 100;
    int interval = 0; // seconds between auto-saved stills until stopStills(); 0 for one still
    QString caption;
    int captionLeft = 0;
    int captionTop = 0;
    QString filePath = QStringLiteral("capture.jpg");
};

// The JPEG quality (1..100) of the chroma and luminance factors: the smaller factor counts.
int stillQuality(int chromFactor, int lumFactor);

// The engine's status codes.
namespace capture_status {
constexpr int kStarted = 300;
constexpr int kEnded = 301;
constexpr int kCounters = 510;
} // namespace capture_status

class CaptureSession;

class CaptureEngine : public QObject {
    Q_OBJECT
public:
    // The compressor names after the panel's "None" (uncompressed).
    static QString motionJpeg() { return QStringLiteral("Motion JPEG"); }
    static QString h264() { return QStringLiteral("H.264"); }
    static QString demoCameraName() { return QStringLiteral("Demo Camera"); }
    static QString demoToneName() { return QStringLiteral("Demo Tone"); }
    static QString videoCategory() { return QStringLiteral("Video Capture Sources"); }
    static QString audioCategory() { return QStringLiteral("Audio Capture Sources"); }
    // captureEnded's reason when the time limit ended the recording.
    static QString timeLimitReason()
    {
        return QStringLiteral("The time limit of the recording was reached.");
    }

    explicit CaptureEngine(QObject* parent = nullptr);
    ~CaptureEngine() override;

    // Video devices: the system's cameras, then the demo camera while it is listed (until
    // setDemoCameraListed(false); the station program lists it for a demo station only). The
    // lister is replaceable so a station can be run (and tested) with other sources.
    void setDeviceLister(std::function<QList<CaptureDevice>()> lister);
    void setDemoCameraListed(bool listed);
    bool demoCameraListed() const { return m_demoListed; }
    void refreshDevices();
    const QList<CaptureDevice>& devices() const { return m_devices; }
    int deviceCount() const { return int(m_devices.size()); }
    // Watches for cameras and sound inputs plugged in or taken away (Linux: /dev and /dev/snd);
    // deviceChange reports them.
    void watchDevices();
    // Lists the devices again and reports what came and went through deviceChange.
    void rescanDevices();
    // Takes the demo camera away as if a camera were unplugged (a recording from it ends as with
    // a lost camera) or plugs it back in; deviceChange reports either.
    void setDemoCameraPlugged(bool plugged);

    // Sound sources: the system's sound inputs, then the demo tone (a 440 Hz tone); -1 records
    // no sound. The lister is replaceable as the video one is.
    void setAudioLister(std::function<QList<CaptureDevice>()> lister);
    const QList<CaptureDevice>& audioSources() const { return m_audioSources; }
    QStringList audioDevices() const;
    int audioDevice() const { return m_audioDevice; }
    void setAudioDevice(int index) { m_audioDevice = index; }
    SoundFormat soundFormat() const { return m_sound; }
    void setSoundFormat(const SoundFormat& format) { m_sound = format; }

    // Compressors offered by this build; -1 records uncompressed pictures.
    QStringList compressors() const;
    int compressor() const { return m_compressor; }
    void setCompressor(int index) { m_compressor = index; }

    // Connection to a video device (an index in devices()).
    bool isConnected() const { return m_connected >= 0; }
    int currentDevice() const { return m_current; }
    // False, with the reason in lastError(), when there is no such device.
    bool connectDevice(int index);
    void disconnectDevice();
    const QString& lastError() const { return m_lastError; }

    // The connected device's choices (indices in its lists; -1 the device's own default).
    int resolution() const { return m_resolution; }
    void setResolution(int index) { m_resolution = index; }
    int colorFormat() const { return m_colorFormat; }
    void setColorFormat(int index) { m_colorFormat = index; }
    int videoInput() const { return m_input; }
    void setVideoInput(int index) { m_input = index; }
    QSize frameSize() const;

    double frameRate() const { return m_frameRate; }
    void setFrameRate(double fps);
    int timeLimit_s() const { return m_timeLimit_s; }
    void setTimeLimit_s(int seconds) { m_timeLimit_s = seconds < 0 ? 0 : seconds; }

    // Live preview: wanted by the operator (on/off) and shown when the capture screen is visible;
    // pictures flow only while both hold, or while recording.
    bool preview() const { return m_preview; }
    void setPreview(bool on);
    void setPreviewShown(bool shown);

    // Recording. The stream file name is the AVI written by startCapture().
    QString streamFile() const { return m_streamFile; }
    void setStreamFile(const QString& path) { m_streamFile = path; }
    StillSettings stills;

    // Starts recording to streamFile(): the device opens on the engine's own thread, then
    // recordingStarted() comes. False when it cannot start at all (no device, no folder):
    // warning() has told why. When the device then fails to open, warning() tells why,
    // captureNotStarted() follows, the engine is idle and no file is left behind.
    bool startCapture();
    // Stops recording: the file is finished (header and index written). While the device is
    // still opening, the start is called off and no file is left. Safe when idle.
    void stopCapture();
    // From startCapture() until stopCapture() (or captureNotStarted()).
    bool isCapturing() const { return m_recording != nullptr; }
    // The device of the recording is still opening.
    bool isOpening() const { return m_recording != nullptr && !m_recordingOpen; }
    // One still of the live picture to stills.filePath (JPEG), or to the clipboard when
    // stills.autoSave is off. With auto save and an interval, a still follows every interval
    // seconds until stopStills() or a failure. False with a warning on failure.
    bool captureFrame();
    void stopStills();
    bool takingStills() const;

    // Counters of the current or last recording. Frame counts are 32-bit.
    std::int32_t framesCaptured() const;
    std::int32_t framesDropped() const;
    std::int64_t audioSamples() const;
    std::int64_t elapsed_ms() const;
    // The file's index of the newest frame of the current or last recording (its dropped
    // frames counted, as the file keeps their places); -1 before the first.
    std::int64_t lastFrameIndex() const;
    // The frame rate the recording is written with (its header's rate): the rate the device
    // delivers, which need not be the set one; the set rate until a recording has opened.
    double captureRate() const { return m_recordingRate > 0 ? m_recordingRate : m_frameRate; }
    // Free bytes for a file about to be written; -1 when unknown. The recording ends by itself
    // while there is still room to finish the file. Replaceable, as the listers are; it is asked
    // on the recording's own thread.
    void setFreeSpaceProbe(std::function<std::int64_t(const QString& file)> probe);
    // Frames per second measured over the recording; the set rate before there are two frames.
    double measuredRate() const;

Q_SIGNALS:
    void status(int code, const QString& text);
    void statusText(const QString& text);
    void warning(const QString& text);
    // kind 0 arrival, 1 removal; category videoCategory() or audioCategory().
    void deviceChange(int kind, const QString& name, const QString& category);
    void previewFrame(const QImage& picture);
    // The device is being opened (for the preview or a recording); cameraOpened() follows with
    // whether it opened.
    void cameraOpening();
    void cameraOpened(bool ok);
    // The recording runs, at `fps` frames a second (the device's rate).
    void recordingStarted(double fps);
    // The recording could not start after all (warning() has said why); the engine is idle.
    void captureNotStarted(const QString& reason);
    // The recording ended by itself (the device went away, the disk is full, the time limit):
    // the owner calls stopCapture() to finish the file.
    void captureEnded(const QString& reason);

private:
    friend class CaptureSession;
    void restartPreview();
    void stopPreview();
    void sessionOpened(std::uint64_t serial, double fps);
    void sessionFailed(std::uint64_t serial, const QString& error);
    void post(std::function<void()> f);
    bool takeStill();

    std::function<QList<CaptureDevice>()> m_lister;
    std::function<QList<CaptureDevice>()> m_audioLister;
    QList<CaptureDevice> m_audioSources;
    bool m_demoListed = true;
    std::function<std::int64_t(const QString&)> m_freeSpace;
    QList<CaptureDevice> m_devices;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_stillTimer = nullptr;
    int m_connected = -1;
    int m_current = -1;
    QString m_lastError;
    int m_resolution = -1;
    int m_colorFormat = -1;
    int m_input = -1;
    int m_audioDevice = -1;
    int m_compressor = 0;
    SoundFormat m_sound;
    double m_frameRate = 30;
    int m_timeLimit_s = 0;
    bool m_preview = false;
    bool m_previewShown = false;
    QString m_streamFile;
    QImage m_lastPicture;
    std::atomic<bool> m_previewBusy{false};
    std::shared_ptr<std::atomic<bool>> m_demoUnplugged = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<CaptureSession> m_previewSession;
    std::unique_ptr<CaptureSession> m_recording;
    std::uint64_t m_nextSerial = 0;
    bool m_recordingOpen = false;
    bool m_recordingFileExisted = false;
    double m_recordingRate = 0;
    std::int64_t m_lastIndex = -1;
    // Figures of the last finished recording.
    std::int32_t m_lastFrames = 0;
    std::int32_t m_lastDropped = 0;
    std::int64_t m_lastSamples = 0;
    std::int64_t m_lastElapsed_ms = 0;
};

// The system's video devices through the capture library (v4l2 on Linux, DirectShow on Windows,
// AVFoundation on macOS), without the demo camera.
QList<CaptureDevice> systemVideoDevices();
// The system's sound inputs through the capture library (ALSA and PulseAudio on Linux, DirectShow
// on Windows, AVFoundation where it lists), without the demo tone.
QList<CaptureDevice> systemAudioDevices();
// The demo camera's entry.
CaptureDevice demoCameraDevice();

} // namespace fw
