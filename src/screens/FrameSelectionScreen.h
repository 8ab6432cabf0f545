#pragma once

#include "review/FrameSelection.h"

#include <QWidget>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

namespace fw {

class FramePlayer;
class Station;

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

    FramePlayer* MediaPlayer1 = nullptr;

    QLineEdit* Text6 = nullptr;      // the video's path
    QLineEdit* Text9 = nullptr;      // the position
    QPushButton* Command1 = nullptr; // one frame back
    QPushButton* Command4 = nullptr; // one frame forward
    QLabel* lblBrowse = nullptr;
    QPushButton* Command6 = nullptr; // browse

    QPushButton* Command5 = nullptr; // play before start
    QLineEdit* Text4 = nullptr;
    QLineEdit* txtStartLoop = nullptr;
    QLineEdit* Text5 = nullptr;
    QPushButton* Command7 = nullptr; // play before end
    QLabel* Label2 = nullptr;
    QLineEdit* Text7 = nullptr;
    QLineEdit* txtEndLoop = nullptr;
    QPushButton* cmdPlayAndPause = nullptr;
    QCheckBox* cbPlayAfter = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* cbFullScreen = nullptr;

    QPushButton* cmdMarkStart = nullptr;
    QPushButton* btnGoToSetup = nullptr;
    QPushButton* cmdGoToCapture = nullptr;
    QPushButton* cmdGoToSetup = nullptr;
    QPushButton* cmdViewLog = nullptr;

    QLabel* Label5 = nullptr; // instruction
    QListWidget* lstFileInfo = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* lblDiskSpace = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label9 = nullptr;

    // The last key, for diagnosis.
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label12 = nullptr;

    QTimer* Timer1 = nullptr; // ends each play-back
    QTimer* Timer2 = nullptr; // arrow keys, 100 ms

    // Screen state.
    double fps = 0;
    int frameCount = 0;
    int selectedFrame = 0;
    int runFrames = 0;
    int loopsLeft = 0;
    bool startFixed = false;
    bool startRead = false;
    bool playingBeforeStart = false;
    bool playingBeforeEnd = false;
    bool afterPhase = false;
    QString skierName;
    bool viewArrivalDone = false;
    bool setupRequested = false;
    bool fromCapture = false;

    // The frame grab request: the video and the frame the grab took last.
    QString grabFileName;
    int grabFrameNumber = 0;

public Q_SLOTS:
    void Form_Load();
    // The arrival work: runs when the screen is shown or activated.
    void Form_Paint();
    void Command1_Click();
    void Command4_Click();
    void Command6_Click();
    void Command5_Click();
    void Command7_Click();
    void cmdPlayAndPause_Click();
    void cbFullScreen_Click();
    void cbPlayAfter_Click();
    void Text4_Change();
    void Text7_Change();
    void Timer1_Timer();
    void Timer2_Timer();
    void MediaPlayer1_KeyDown(int keyCode);
    void cmdMarkStart_Click();
    void btnGoToSetup_Click();
    void cmdGoToCapture_Click();
    void cmdGoToSetup_Click();
    void cmdViewLog_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool stepKey(const QKeyEvent& key);
    void captureArrival();
    void viewArrival();
    void noVideo();
    void hidePlayBackControls();
    bool loadVideo(const QString& path);
    void readVideoFacts(const QString& path);
    void showPosition();
    void showDiskSpace();
    void setPlayerSize();
    bool renameCapture();
    std::optional<QString> askName(const QString& prompt);
    void markFrame();
    bool deleteVideo(const QString& path);
    void logMarkedFrame(const QString& path);
    void leave(int target);
    void playStretch(const PlayStretch& stretch);
    void endPlayBack();
    double seconds(const QLineEdit* box) const;

    Station& m_station;
    bool m_loaded = false;
    int m_runEnd = 0; // the end of the run window of the play-back before the end
    int m_startInterval_ms = 0;
    bool m_arrowTapped = false; // an arrow's press stepped; the timer's next tick leaves it
};

} // namespace fw
