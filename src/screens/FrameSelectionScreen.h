#pragma once

#include "review/RunPlayBack.h"
#include "screens/FrameSelectionScreenForm.h"

#include <QWidget>

class QKeyEvent;
class QLineEdit;
class QTimer;

namespace fw {

class Station;
enum class Screen;

// The frame selection screen: the operator steps through a jump video frame by frame, plays short
// stretches before the start frame or before the end of the timed run, and marks the frame of
// first contact. Marking grabs the frame to currentcapture.bmp, applies the video save policy,
// notes the frame in the session log and the ".info" file, and goes on to the measurement screen
// (or the grid setup screen).
class FrameSelectionScreen : public QWidget {
    Q_OBJECT
public:
    explicit FrameSelectionScreen(Station& station, QWidget* parent = nullptr);
    ~FrameSelectionScreen() override;

    // The player's size whenever the screen arrives and after each play-back.
    static constexpr int kPlayerWidth_twips = 5775;
    static constexpr int kPlayerHeight_twips = 5415;

    FrameSelectionScreenForm& form() { return m_form; }

    // The start frame of the run, and after marking the frame marked.
    int selectedFrame() const { return m_selectedFrame; }
    // Frames in the timed run window of the video on the screen.
    int runFrames() const { return m_runFrames; }
    // The start stays where it was chosen once the play before the end or a mark used it.
    bool startFixed() const { return m_startFixed; }
    // The video on the screen came from the capture (the save policy applies to it).
    bool fromCapture() const { return m_fromCapture; }
    // Marking was asked for to set up a grid.
    bool setupRequested() const { return m_setupRequested; }
    // The frame the last mark wrote to currentcapture.bmp.
    int grabbedFrame() const { return m_grabbedFrame; }
    const RunPlayBack& playBack() const { return m_playBack; }
    const QTimer& playBackTimer() const { return *m_playBackTimer; }
    const QTimer& arrowKeyTimer() const { return *m_arrowKeyTimer; }

public Q_SLOTS:
    // The first showing's work, done once.
    void prepare();
    // The arrival work: runs when the screen is shown or activated.
    void arrive();
    void onStepBackClicked();
    void onStepForwardClicked();
    void onBrowseClicked();
    void onPlayBeforeStartClicked();
    void onPlayBeforeEndClicked();
    void onPlayToEndClicked();
    void onFullScreenClicked();
    void onContinueAfterEndClicked();
    void onSecondsBeforeStartEdited();
    void onSecondsBeforeEndEdited();
    // Ends each play, or plays the next.
    void onPlayBackTimer();
    // Steps while an arrow key is held.
    void onArrowKeyTimer();
    void onPlayerKeyDown(int keyCode);
    void onMeasureFrameClicked();
    void onGridSetupFrameClicked();
    void onRecordNextPassClicked();
    void onMainScreenClicked();
    void onViewLogClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    bool stepKey(const QKeyEvent& key);
    void captureArrival();
    void viewArrival();
    void letVideoGo();
    void noVideo();
    void hidePlayBackControls();
    void enableForVideo();
    void warnIfMeasured(const QString& video, const QString& said);
    bool loadVideo(const QString& path);
    void readVideoFacts(const QString& path);
    void showPosition();
    void showDiskSpace();
    void setPlayerSize();
    void renameCapture();
    void markFrame();
    bool grabShownFrame();
    void goOnFromMark();
    void leave(Screen target);
    void playStretch(const PlayStretch& stretch);
    void endPlayBack(int displaySize, QWidget* focus);
    double seconds(const QLineEdit* box) const;

    Station& m_station;
    FrameSelectionScreenForm m_form;
    QTimer* m_playBackTimer = nullptr; // single shot: each play is ended by its own tick
    QTimer* m_arrowKeyTimer = nullptr; // 100 ms
    RunPlayBack m_playBack;

    bool m_loaded = false;
    double m_fps = 0;
    int m_frameCount = 0;
    int m_runFrames = 0;
    int m_selectedFrame = 0;
    bool m_startFixed = false;
    bool m_startRead = false; // the start frame was taken from the player
    bool m_viewArrivalDone = false;
    bool m_setupRequested = false;
    bool m_fromCapture = false;
    int m_grabbedFrame = 0;
    bool m_arrowTapped = false; // an arrow's press stepped; the timer's next tick leaves it
};

} // namespace fw
