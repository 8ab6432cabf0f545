#pragma once

// The capture screen: the live picture, the skier name and pass number that name the video, and
// the recording of one jump pass, which then goes on to the frame selection screen.

#include "media/CapturePass.h"
#include "screens/CaptureScreenForm.h"

#include <QMainWindow>
#include <QTimer>

class QImage;

namespace fw {

class CaptureEngine;
class Station;

class CaptureScreen : public QMainWindow {
    Q_OBJECT
public:
    explicit CaptureScreen(Station& station, QWidget* parent = nullptr);
    ~CaptureScreen() override;

    CaptureScreenForm& form() { return m_form; }

    // The capture time in seconds, as chosen or stored.
    double captureSeconds() const { return m_captureSeconds; }
    // Sets the name box as the program does (its change handler runs); a name from a file may
    // hold commas, which become blanks without a word to the operator, who typed none.
    void setSkierName(const QString& name);
    // Sets the pass box as the program does.
    void setPass(const QString& text);
    bool recording() const;
    // The button that takes the skier the scoring program has up, offered while its link is on.
    void offerWstimsName(bool offered);

public Q_SLOTS:
    // Reads the capture time and the default skier name; once, when the screen is made.
    void loadSettings();
    void startRecording();
    void stopRecording();
    // Notes the frame the camera has just delivered as the first contact.
    void noteContact();
    void countdownTick();
    void keyPressed(int keyCode);
    void captureTimeChosen();
    void skierNameEdited();
    void passEdited();
    void selectNameFromFile();
    void takeWstimsName();
    void viewRecordedJumps();
    void backToMainScreen();

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
    void connectControls();
    CaptureEngine& engine();
    // At the first showing after the main or frame selection screen: a pass whose video exists
    // is raised, and the operator warned about it and about a pass past the third.
    void checkPassOnArrival();
    // The name and pass as the station holds them, which the frame selection screen's rename
    // may have changed while this screen was hidden.
    void takeStationName();
    int middleFrameOfRecording() const;
    // Ends the recording at its time or on Esc; without Contact the middle frame is noted.
    void endWithoutContact();
    void finishByTime();
    void handOverRecording();
    void showRecording();
    void showIdle();
    void showCounters();

    Station& m_station;
    CaptureScreenForm m_form;
    QTimer m_countdownTimer;
    CaptureCountdown m_countdown;
    double m_captureSeconds = 5;
    QString m_capturePath;
    bool m_nameChanged = false;
    bool m_contactNoted = false;
    int m_notedFrame = 0;
    bool m_recordingHere = false; // started on this screen, not on the main screen's panel
    bool m_arrivalChecked = false;
    bool m_placed = false; // beside the main screen at the first showing
};

} // namespace fw
