#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace fw {

class Station;

// The session log viewer ("Log Viewer"): lists the video lines of a session log and opens the
// chosen video on the frame selection screen. Built afresh at each opening, over its owner.
class SessionLogViewer : public QDialog {
    Q_OBJECT
public:
    SessionLogViewer(Station& station, QWidget* owner);

    QLabel* Label1 = nullptr;
    QLineEdit* txtLogFile = nullptr;
    QPushButton* cmdSelectLogFile = nullptr;
    QListWidget* lstLog = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtFileToView = nullptr;
    QPushButton* cmdView = nullptr;
    QPushButton* cmdDismiss = nullptr;

public Q_SLOTS:
    void Form_Load();
    void cmdSelectLogFile_Click();
    void lstLog_Click();
    void lstLog_DblClick();
    void cmdView_Click();
    void cmdDismiss_Click();

private:
    void readLog(const QString& path);
    bool takePathFromSelection();

    Station& m_station;
    QWidget* m_owner = nullptr;
};

} // namespace fw
