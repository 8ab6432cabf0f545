#pragma once

// The contact picture log viewer: lists the picture entries of a session log and puts a chosen
// picture back on the measurement screen for a second look. Built afresh at each opening, over
// the screen that opened it.

#include <QWidget>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace fw {

class Dialogs;

class PictureLogViewer : public QWidget {
    Q_OBJECT
public:
    // sessionLogPath: the current session log; sessionLogFolder: where Select a Log File starts.
    PictureLogViewer(Dialogs& dialogs, QString sessionLogPath, QString sessionLogFolder,
                     QWidget* parent = nullptr);

    QLineEdit* logPathEdit = nullptr;
    QPushButton* selectLogButton = nullptr;
    QListWidget* pictureLineList = nullptr;
    QLineEdit* picturePathEdit = nullptr;
    QPushButton* viewPictureButton = nullptr;
    QPushButton* exitButton = nullptr;

public Q_SLOTS:
    // Lists the current session log when it exists.
    void listSessionLog();
    void selectLogFile();
    void takeChosenLine();
    void viewChosenLine();
    void viewChosenPicture();

Q_SIGNALS:
    // A picture that loads was chosen: the measurement screen takes it and shows; the viewer has
    // closed.
    void viewPicture(const QString& path);
    // View Picture with no picture chosen: the measurement screen shows as it is.
    void showMeasure();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fillList(const QString& logPath);

    Dialogs& m_dialogs;
    QString m_sessionLogPath;
    QString m_sessionLogFolder;
};

} // namespace fw
