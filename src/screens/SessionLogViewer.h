#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace fw {

class Station;

// The session log viewer ("Log Viewer"): lists the video lines of a session log and opens the
// chosen video on the frame selection screen. Built afresh at each opening, over its owner.
class SessionLogViewer : public QDialog {
    Q_OBJECT
public:
    SessionLogViewer(Station& station, QWidget* owner);

    QLabel* logFileCaption = nullptr;
    QLineEdit* logFileEdit = nullptr; // the log whose lines are listed
    QPushButton* chooseLogFileButton = nullptr;
    QListWidget* videoLinesList = nullptr;
    QLabel* instructionLabel = nullptr;
    QLineEdit* videoPathEdit = nullptr; // the chosen line's video
    QPushButton* viewVideoButton = nullptr;
    QPushButton* exitButton = nullptr;

public Q_SLOTS:
    // Lists this run's session log when it exists.
    void showCurrentLog();
    void chooseLogFile();
    void onLineChosen();
    void onLineDoubleClicked();
    // Opens the chosen video on the frame selection screen.
    void viewVideo();

private:
    void readLog(const QString& path);
    bool takePathFromSelection();

    Station& m_station;
};

} // namespace fw
