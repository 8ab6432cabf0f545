#include "screens/SessionLogViewer.h"

#include "station/Station.h"
#include "support/dialogs.h"
#include "support/textfile.h"
#include "widgets/ListWidth.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace fw {

SessionLogViewer::SessionLogViewer(Station& station, QWidget* owner)
    : QDialog(owner), m_station(station)
{
    setWindowTitle(QStringLiteral("Log Viewer"));
    auto* layout = new QVBoxLayout(this);
    const auto add = [&](auto* widget, const char* objectName) {
        widget->setObjectName(QLatin1String(objectName));
        layout->addWidget(widget);
        return widget;
    };
    logFileCaption = add(new QLabel(QStringLiteral("Log File to View"), this), "logFileCaption");
    logFileEdit = add(new QLineEdit(this), "logFileEdit");
    logFileEdit->setReadOnly(true);
    chooseLogFileButton = add(new QPushButton(QStringLiteral("Select Different Log File"), this),
                              "chooseLogFileButton");
    videoLinesList = add(new QListWidget(this), "videoLinesList");
    instructionLabel = add(new QLabel(QStringLiteral("Click to Select and use View Selected File "
                                                     "button to View or Double Click to view"),
                                      this),
                           "instructionLabel");
    videoPathEdit = add(new QLineEdit(this), "videoPathEdit");
    videoPathEdit->setReadOnly(true);
    viewVideoButton =
        add(new QPushButton(QStringLiteral("View Selected File"), this), "viewVideoButton");
    exitButton = add(new QPushButton(QStringLiteral("Exit Log Viewer"), this), "exitButton");
    resize(760, 420);

    // Opening a video needs the frame selection screen.
    viewVideoButton->setEnabled(m_station.hasScreen(Screen::FrameSelection));

    connect(chooseLogFileButton, &QPushButton::clicked, this, &SessionLogViewer::chooseLogFile);
    connect(videoLinesList, &QListWidget::itemClicked, this, &SessionLogViewer::onLineChosen);
    // A line chosen with the keyboard is as chosen as a clicked one.
    connect(videoLinesList, &QListWidget::currentRowChanged, this, &SessionLogViewer::onLineChosen);
    connect(videoLinesList, &QListWidget::itemDoubleClicked, this,
            &SessionLogViewer::onLineDoubleClicked);
    connect(viewVideoButton, &QPushButton::clicked, this, &SessionLogViewer::viewVideo);
    connect(exitButton, &QPushButton::clicked, this, &SessionLogViewer::close);
}

void SessionLogViewer::showCurrentLog()
{
    const QString current = m_station.sessionLog.path(m_station.settings.VideoFolder);
    if (!m_station.sessionLog.fileName().isEmpty() && QFileInfo(current).isFile()) {
        logFileEdit->setText(current);
        readLog(current);
    } else {
        videoLinesList->clear();
    }
    applyListWidth(*videoLinesList);
}

void SessionLogViewer::readLog(const QString& path)
{
    videoLinesList->clear();
    const Result<QString> text = readTextFile(path);
    if (!text) {
        m_station.dialogs().message(text.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    videoLinesList->addItems(SessionLog::videoLines(text.value()));
}

void SessionLogViewer::chooseLogFile()
{
    FileDialogRequest request;
    request.folder = m_station.settings.VideoFolder;
    request.filter = QStringLiteral("*.txt|JumpMeasurementLog*.txt");
    const QString chosen = m_station.dialogs().openFile(request).value_or(QString());
    logFileEdit->setText(chosen);
    if (!chosen.isEmpty() && QFileInfo(chosen).isFile())
        readLog(chosen);
    else
        videoLinesList->clear();
    applyListWidth(*videoLinesList);
}

bool SessionLogViewer::takePathFromSelection()
{
    const QListWidgetItem* item = videoLinesList->currentItem();
    const QString path = item ? SessionLog::pathOnLine(item->text()) : QString();
    videoPathEdit->setText(path);
    return !path.isEmpty();
}

void SessionLogViewer::onLineChosen()
{
    takePathFromSelection();
}

void SessionLogViewer::onLineDoubleClicked()
{
    if (takePathFromSelection())
        viewVideo();
}

void SessionLogViewer::viewVideo()
{
    if (videoPathEdit->text().isEmpty() || !m_station.hasScreen(Screen::FrameSelection))
        return;
    m_station.arrivedFrom = ArrivedFrom::SessionLog;
    m_station.videoToView = videoPathEdit->text();
    close();
    m_station.show(Screen::FrameSelection, m_station.screenWidget(Screen::Main));
}

} // namespace fw
