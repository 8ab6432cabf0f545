#pragma once

#include "media/VideoDecoder.h"

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QTimer;

namespace fw {

// The frame player's engine: shows frame N of a video (the Nth frame from the file's start),
// steps, and plays a stretch of frames at the file's rate. Decoding runs on a worker thread that
// owns the decoder; it keeps the decoded frames of a couple of seconds around the position, so a
// step backwards costs what a step forwards does even with key frames far apart. Pictures come
// back as queued signals; results of an earlier file or an overtaken request are dropped by
// their generation number.
class FramePlayerEngine : public QObject {
    Q_OBJECT
public:
    explicit FramePlayerEngine(QObject* parent = nullptr);
    ~FramePlayerEngine() override;

    // Opens a video, releasing any earlier one, and asks for frame 0. On failure no video is open.
    std::optional<MediaFailure> open(const QString& path);
    // Releases the video (the file is closed by the worker before the next request is served).
    void close();
    bool isOpen() const { return !m_path.isEmpty(); }
    const QString& fileName() const { return m_path; }
    const VideoProperties& properties() const { return m_props; }

    // The frame asked for last, and asking for another (kept within the file when its length is
    // known).
    int position() const { return m_position; }
    void setPosition(int frame);

    // The picture on display and its frame (-1 before the first arrives).
    const QImage& picture() const { return m_picture; }
    int shownFrame() const { return m_shown; }

    // Play-back over a selection of frames at the file's frame rate; it ends on the last frame.
    void setSelection(int start, int end);
    int selectionStart() const { return m_selStart; }
    int selectionEnd() const { return m_selEnd; }
    void play();
    void stop();
    bool isPlaying() const { return m_playing; }

    // Memory for decoded frames around the position (default 384 MiB); the frames kept are also
    // limited to four seconds in all, five sixths of them the way the position last moved. Takes
    // effect at the next open.
    void setCacheBudget(qint64 bytes) { m_budget = bytes; }
    // Frames held by the worker at the moment, and the times it woke up (for measurements).
    int cachedFrames() const;
    quint64 workerRounds() const;

Q_SIGNALS:
    void frameShown(int frame);
    void positionChanged(int frame);
    void playFinished();
    // The station's message when a frame cannot be decoded; told once per file.
    void failed(const QString& message);

private:
    struct Worker;
    void deliver(quint64 generation, quint64 serial, int frame, int lastFrame, const QImage& image,
                 const QString& failure);
    void playTick();

    std::unique_ptr<Worker> m_worker;
    QString m_path;
    VideoProperties m_props;
    quint64 m_generation = 0;
    quint64 m_serial = 0;
    quint64 m_shownSerial = 0;
    bool m_failureTold = false;
    int m_position = 0;
    int m_shown = -1;
    QImage m_picture;
    int m_selStart = 0;
    int m_selEnd = 0;
    bool m_playing = false;
    QTimer* m_playTimer = nullptr;
    QElapsedTimer m_playClock;
    qint64 m_budget = 384ll * 1024 * 1024;
};

} // namespace fw
