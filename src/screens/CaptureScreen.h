#pragma once

// The capture screen: the live picture, the skier name and pass number that name the video, and
// the recording of one jump pass, which then goes on to the frame selection screen.

#include <QMainWindow>

class QAction;
class QComboBox;
class QImage;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace fw {

class CaptureEngine;
class Station;

class CaptureScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit CaptureScreen(Station& station, QWidget* parent = nullptr);
    ~CaptureScreen() override;

    // Controls.
    QLabel* CapturePRO1 = nullptr; // the live picture
    QLineEdit* txtSkierName = nullptr;
    QLineEdit* txtPass = nullptr;
    QComboBox* captureTimeValue = nullptr;
    QPushButton* cmdStartCapture = nullptr;
    QPushButton* cmdEndCapture = nullptr;
    QPushButton* cmdStartTimer = nullptr;
    QLabel* captime = nullptr;
    QLabel* LblFrame = nullptr;
    QLabel* LblFrmDrop = nullptr;
    QLabel* lblRate = nullptr; // the rate the camera records at
    QLabel* lblStartFrame = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text1 = nullptr; // the last key code
    QPushButton* cmdSelect = nullptr;
    QPushButton* btnGetName = nullptr;
    QPushButton* cmdGoToTimer = nullptr;
    QPushButton* cmdGoSetup = nullptr;
    QTimer* Timer40 = nullptr;
    QAction* mnuStart = nullptr;

    // Screen state.
    double captureSeconds = 5;
    QString captureFilePath;
    bool nameChanged = false;
    bool capturePainted = false;
    int notedFrame = 0;

    // The file name rule: <video folder>/<skier>jump<pass>.avi, the pass without blanks.
    QString captureFileFor(const QString& skier, const QString& pass) const;
    // Sets the name box as the program does (its change handler runs); a name from a file may
    // hold commas, which become blanks without a word to the operator, who typed none.
    void setSkierName(const QString& name);
    bool recording() const;

public Q_SLOTS:
    void Form_Load();
    void Form_Paint();
    void cmdStartCapture_Click();
    void cmdEndCapture_Click();
    void cmdStartTimer_Click();
    void Timer40_Timer();
    void Form_KeyDown(int keyCode);
    void captureTimeValue_Click();
    void txtSkierName_Change();
    void txtPass_Change();
    void cmdSelect_Click();
    void btnGetName_Click();
    void cmdGoToTimer_Click();
    void cmdGoSetup_Click();

private Q_SLOTS:
    void captureEnded(const QString& reason);
    void recordingStarted(double fps);
    void captureNotStarted();
    void showPicture(const QImage& picture);
    void cameraOpening();
    void cameraOpened(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CaptureEngine& engine();
    int middleFrame() const;
    void finishByTime();
    void setPass(const QString& text);
    // The name and pass as the station holds them, which the frame selection screen's rename
    // may have changed while this screen was hidden.
    void takeStationName();
    void showIdle();
    void showCounters();

    Station& m_station;
    int m_secondsLeft = 0;
    bool m_placed = false; // beside the main screen at the first showing
};

} // namespace fw
