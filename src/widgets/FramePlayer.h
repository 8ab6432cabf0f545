#pragma once

#include "media/FramePlayerEngine.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QKeyEvent;
class QSlider;

namespace fw {

// The key code the station's screens expect for a key: 27 Esc, 37 to 40 the arrows, 48 to 57 and
// 65 to 90 digits and letters, 96 to 105 the numeric keypad's digits (100 is keypad 4, 102 keypad
// 6), 112 to 123 F1 to F12; 0 for any other key.
int stationKeyCode(const QKeyEvent& event);

// The frame selection screen's media player: shows one frame of a video, steps to any frame,
// plays a selection at the file's rate, goes full screen, and reports the keys pressed on it.
// A slider under the picture moves through the file.
class FramePlayer : public QWidget {
    Q_OBJECT
public:
    // Display sizes.
    static constexpr int kDefaultSize = 0; // the video's own size (smaller when it must)
    static constexpr int kFullScreen = 3;
    static constexpr int kFitToSize = 4; // as large as the player, in proportion

    explicit FramePlayer(QWidget* parent = nullptr);
    ~FramePlayer() override;

    // Loads a video; an empty name releases the file. A failure leaves no video loaded.
    std::optional<MediaFailure> setFileName(const QString& name);
    const QString& fileName() const { return m_engine->fileName(); }
    const VideoProperties& properties() const { return m_engine->properties(); }

    int currentPosition() const { return m_engine->position(); }
    void setCurrentPosition(int frame) { m_engine->setPosition(frame); }

    void setSelectionStart(int frame);
    void setSelectionEnd(int frame);
    int selectionStart() const { return m_engine->selectionStart(); }
    int selectionEnd() const { return m_engine->selectionEnd(); }
    void play();
    void stop() { m_engine->stop(); }
    bool isPlaying() const { return m_engine->isPlaying(); }

    void setDisplaySize(int size);
    int displaySize() const { return m_displaySize; }
    // The player's width and height in twips (15 to a pixel).
    void setSize_twips(int width, int height);
    void giveFocus();

    // While on, a click on the full-screen picture plays the selection again.
    void setClickToPlay(bool on) { m_clickToPlay = on; }
    bool clickToPlay() const { return m_clickToPlay; }

    // The picture on display and its frame (-1 when none).
    const QImage& picture() const { return m_engine->picture(); }
    int shownFrame() const { return m_engine->shownFrame(); }
    FramePlayerEngine& engine() { return *m_engine; }

    // Keys and clicks on the picture, here or full screen.
    void handleKey(QKeyEvent* event);
    void handleClick();

Q_SIGNALS:
    void keyDown(int keyCode);
    void playFinished();
    void decodeFailed(const QString& message);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Picture;
    void showFrame();

    FramePlayerEngine* m_engine = nullptr;
    Picture* m_picture = nullptr;
    QSlider* m_slider = nullptr;
    QPointer<Picture> m_fullScreen;
    int m_displaySize = kDefaultSize;
    bool m_clickToPlay = true;
};

} // namespace fw
