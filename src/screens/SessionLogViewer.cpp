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
    : QDialog(owner), m_station(station), m_owner(owner)
{
    setWindowTitle(QStringLiteral("Log Viewer"));
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(QStringLiteral("Log File to View"), this);
    txtLogFile = new QLineEdit(this);
    txtLogFile->setReadOnly(true);
    cmdSelectLogFile = new QPushButton(QStringLiteral("Select Different Log File"), this);
    lstLog = new QListWidget(this);
    Label2 = new QLabel(QStringLiteral("Click to Select and use View Selected File button to View "
                                       "or Double Click to view"),
                        this);
    txtFileToView = new QLineEdit(this);
    txtFileToView->setReadOnly(true);
    cmdView = new QPushButton(QStringLiteral("View Selected File"), this);
    cmdDismiss = new QPushButton(QStringLiteral("Exit Log Viewer"), this);
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(txtLogFile),
                       static_cast<QWidget*>(cmdSelectLogFile), static_cast<QWidget*>(lstLog),
                       static_cast<QWidget*>(Label2), static_cast<QWidget*>(txtFileToView),
                       static_cast<QWidget*>(cmdView), static_cast<QWidget*>(cmdDismiss)})
        layout->addWidget(w);
    resize(760, 420);

    // Opening a video needs the frame selection screen.
    cmdView->setEnabled(m_station.hasScreen(Screen::FrameSelection));

    connect(cmdSelectLogFile, &QPushButton::clicked, this, &SessionLogViewer::cmdSelectLogFile_Click);
    connect(lstLog, &QListWidget::itemClicked, this, &SessionLogViewer::lstLog_Click);
    // A line chosen with the keyboard is as chosen as a clicked one.
    connect(lstLog, &QListWidget::currentRowChanged, this, &SessionLogViewer::lstLog_Click);
    connect(lstLog, &QListWidget::itemDoubleClicked, this, &SessionLogViewer::lstLog_DblClick);
    connect(cmdView, &QPushButton::clicked, this, &SessionLogViewer::cmdView_Click);
    connect(cmdDismiss, &QPushButton::clicked, this, &SessionLogViewer::cmdDismiss_Click);
}

void SessionLogViewer::Form_Load()
{
    const QString current = m_station.sessionLog.path(m_station.settings.VideoFolder);
    if (!m_station.sessionLog.fileName().isEmpty() && QFileInfo(current).isFile()) {
        txtLogFile->setText(current);
        readLog(current);
    } else {
        lstLog->clear();
    }
    applyListWidth(*lstLog);
}

void SessionLogViewer::readLog(const QString& path)
{
    lstLog->clear();
    const Result<QString> text = readTextFile(path);
    if (!text) {
        m_station.dialogs().message(text.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    lstLog->addItems(SessionLog::videoLines(text.value()));
}

void SessionLogViewer::cmdSelectLogFile_Click()
{
    FileDialogRequest request;
    request.folder = m_station.settings.VideoFolder;
    request.filter = QStringLiteral("*.txt|JumpMeasurementLog*.txt");
    const QString chosen = m_station.dialogs().openFile(request).value_or(QString());
    txtLogFile->setText(chosen);
    if (!chosen.isEmpty() && QFileInfo(chosen).isFile())
        readLog(chosen);
    else
        lstLog->clear();
    applyListWidth(*lstLog);
}

bool SessionLogViewer::takePathFromSelection()
{
    QListWidgetItem* item = lstLog->currentItem();
    const QString line = item ? item->text() : QString();
    if (!line.contains(QLatin1String("File:"))) {
        txtFileToView->clear();
        return false;
    }
    txtFileToView->setText(SessionLog::pathOnLine(line));
    return true;
}

void SessionLogViewer::lstLog_Click()
{
    takePathFromSelection();
}

void SessionLogViewer::lstLog_DblClick()
{
    if (takePathFromSelection())
        cmdView_Click();
}

void SessionLogViewer::cmdView_Click()
{
    if (txtFileToView->text().isEmpty() || !m_station.hasScreen(Screen::FrameSelection))
        return;
    m_station.arrivedFrom = ArrivedFrom::SessionLog;
    m_station.VideoFileToView = txtFileToView->text();
    close();
    m_station.show(Screen::FrameSelection, m_station.screenWidget(Screen::Main));
}

void SessionLogViewer::cmdDismiss_Click()
{
    close();
}

} // namespace fw
