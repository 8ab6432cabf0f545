#include "screens/PictureLogViewer.h"

#include "measure/PictureLog.h"
#include "support/dialogs.h"
#include "widgets/ListWidth.h"
#include "widgets/PictureView.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace fw {

PictureLogViewer::PictureLogViewer(Dialogs& dialogs, QString sessionLogPath, QString sessionLogFolder,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs), m_sessionLogPath(std::move(sessionLogPath)),
      m_sessionLogFolder(std::move(sessionLogFolder))
{
    setWindowTitle(QStringLiteral("Contact Picture Log"));
    txtPicLogToView = new QLineEdit(this);
    txtPicLogToView->setObjectName(QStringLiteral("txtPicLogToView"));
    cmdSelPicLog = new QPushButton(QStringLiteral("Select a Log File"), this);
    cmdSelPicLog->setObjectName(QStringLiteral("cmdSelPicLog"));
    lstPicLog = new QListWidget(this);
    lstPicLog->setObjectName(QStringLiteral("lstPicLog"));
    txtPictureToView = new QLineEdit(this);
    txtPictureToView->setObjectName(QStringLiteral("txtPictureToView"));
    cmdViewPicLog = new QPushButton(QStringLiteral("View Picture"), this);
    cmdViewPicLog->setObjectName(QStringLiteral("cmdViewPicLog"));
    cmdExit = new QPushButton(QStringLiteral("E&xit"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(txtPicLogToView, 0, 0);
    layout->addWidget(cmdSelPicLog, 0, 1);
    layout->addWidget(lstPicLog, 1, 0, 1, 2);
    layout->addWidget(txtPictureToView, 2, 0);
    layout->addWidget(cmdViewPicLog, 2, 1);
    layout->addWidget(cmdExit, 3, 1);
    resize(760, 420);

    connect(cmdSelPicLog, &QPushButton::clicked, this, &PictureLogViewer::cmdSelPicLog_Click);
    connect(lstPicLog, &QListWidget::itemClicked, this, &PictureLogViewer::lstPicLog_Click);
    // A line chosen with the keyboard is as chosen as a clicked one.
    connect(lstPicLog, &QListWidget::currentRowChanged, this, &PictureLogViewer::lstPicLog_Click);
    connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
    connect(lstPicLog, &QListWidget::itemDoubleClicked, this, &PictureLogViewer::lstPicLog_DblClick);
    connect(cmdViewPicLog, &QPushButton::clicked, this, &PictureLogViewer::cmdViewPicLog_Click);

    Form_Load();
}

void PictureLogViewer::Form_Load()
{
    if (!m_sessionLogPath.isEmpty() && QFileInfo(m_sessionLogPath).isFile()) {
        txtPicLogToView->setText(m_sessionLogPath);
        fillList(m_sessionLogPath);
    } else {
        lstPicLog->clear();
        applyListWidth(*lstPicLog);
    }
}

void PictureLogViewer::fillList(const QString& logPath)
{
    lstPicLog->clear();
    if (!logPath.isEmpty()) {
        const Result<QStringList> lines = readPictureLogLines(logPath);
        if (lines)
            lstPicLog->addItems(*lines);
        else
            m_dialogs.message(lines.message(), QString(), DialogIcon::Exclamation);
    }
    applyListWidth(*lstPicLog);
}

void PictureLogViewer::cmdSelPicLog_Click()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Select a Log File");
    request.folder = m_sessionLogFolder;
    request.filter = QStringLiteral("*.txt|JumpMeasurementLog*.txt");
    request.filterIndex = 1;
    const std::optional<QString> chosen = m_dialogs.openFile(request);
    // A cancelled dialog keeps the list that is showing.
    if (!chosen)
        return;
    txtPicLogToView->setText(*chosen);
    fillList(*chosen);
}

void PictureLogViewer::lstPicLog_Click()
{
    const QListWidgetItem* item = lstPicLog->currentItem();
    if (!item)
        return;
    if (const std::optional<QString> path = pathInLogLine(item->text()))
        txtPictureToView->setText(*path);
}

void PictureLogViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureLogViewer::lstPicLog_DblClick()
{
    lstPicLog_Click();
    cmdViewPicLog_Click();
}

void PictureLogViewer::cmdViewPicLog_Click()
{
    const QString path = txtPictureToView->text();
    if (path.isEmpty()) {
        Q_EMIT showMeasure();
        return;
    }
    // Check the picture here, so that one that cannot be loaded leaves the measurement screen as
    // it was and the operator can choose another.
    const Result<LoadedPicture> picture = readPicture(path);
    if (!picture) {
        m_dialogs.message(picture.message(), QString(), DialogIcon::Exclamation);
        return;
    }
    close();
    Q_EMIT viewPicture(path);
}

} // namespace fw
