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

PictureLogViewer::PictureLogViewer(Dialogs& dialogs, QString sessionLogPath,
                                   QString sessionLogFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_dialogs(dialogs), m_sessionLogPath(std::move(sessionLogPath)),
      m_sessionLogFolder(std::move(sessionLogFolder))
{
    setWindowTitle(QStringLiteral("Contact Picture Log"));
    logPathEdit = new QLineEdit(this);
    logPathEdit->setObjectName(QStringLiteral("logPathEdit"));
    selectLogButton = new QPushButton(QStringLiteral("Select a Log File"), this);
    selectLogButton->setObjectName(QStringLiteral("selectLogButton"));
    pictureLineList = new QListWidget(this);
    pictureLineList->setObjectName(QStringLiteral("pictureLineList"));
    picturePathEdit = new QLineEdit(this);
    picturePathEdit->setObjectName(QStringLiteral("picturePathEdit"));
    viewPictureButton = new QPushButton(QStringLiteral("View Picture"), this);
    viewPictureButton->setObjectName(QStringLiteral("viewPictureButton"));
    exitButton = new QPushButton(QStringLiteral("E&xit"), this);
    exitButton->setObjectName(QStringLiteral("exitButton"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(logPathEdit, 0, 0);
    layout->addWidget(selectLogButton, 0, 1);
    layout->addWidget(pictureLineList, 1, 0, 1, 2);
    layout->addWidget(picturePathEdit, 2, 0);
    layout->addWidget(viewPictureButton, 2, 1);
    layout->addWidget(exitButton, 3, 1);
    resize(760, 420);

    connect(selectLogButton, &QPushButton::clicked, this, &PictureLogViewer::selectLogFile);
    connect(pictureLineList, &QListWidget::itemClicked, this, &PictureLogViewer::takeChosenLine);
    // A line chosen with the keyboard is as chosen as a clicked one.
    connect(pictureLineList, &QListWidget::currentRowChanged, this,
            &PictureLogViewer::takeChosenLine);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(pictureLineList, &QListWidget::itemDoubleClicked, this,
            &PictureLogViewer::viewChosenLine);
    connect(viewPictureButton, &QPushButton::clicked, this, &PictureLogViewer::viewChosenPicture);

    listSessionLog();
}

void PictureLogViewer::listSessionLog()
{
    if (!m_sessionLogPath.isEmpty() && QFileInfo(m_sessionLogPath).isFile()) {
        logPathEdit->setText(m_sessionLogPath);
        fillList(m_sessionLogPath);
    } else {
        pictureLineList->clear();
        applyListWidth(*pictureLineList);
    }
}

void PictureLogViewer::fillList(const QString& logPath)
{
    pictureLineList->clear();
    if (!logPath.isEmpty()) {
        const Result<QStringList> lines = readPictureLogLines(logPath);
        if (lines)
            pictureLineList->addItems(*lines);
        else
            m_dialogs.message(lines.message(), QString(), DialogIcon::Exclamation);
    }
    applyListWidth(*pictureLineList);
}

void PictureLogViewer::selectLogFile()
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
    logPathEdit->setText(*chosen);
    fillList(*chosen);
}

void PictureLogViewer::takeChosenLine()
{
    const QListWidgetItem* item = pictureLineList->currentItem();
    if (!item)
        return;
    if (const std::optional<QString> path = pathInLogLine(item->text()))
        picturePathEdit->setText(*path);
}

void PictureLogViewer::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureLogViewer::viewChosenLine()
{
    takeChosenLine();
    viewChosenPicture();
}

void PictureLogViewer::viewChosenPicture()
{
    const QString path = picturePathEdit->text();
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
