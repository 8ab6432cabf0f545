#include "screens/ResultsViewer.h"

#include "support/textfile.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace fw {

ResultsViewer::ResultsViewer(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Results"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    statusLabel = new QLabel(central);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    statusLabel->setWordWrap(true);
    statusLabel->hide();
    resultsText = new QPlainTextEdit(central);
    resultsText->setObjectName(QStringLiteral("resultsText"));
    resultsText->setReadOnly(true);
    resultsText->setLineWrapMode(QPlainTextEdit::NoWrap);
    resultsText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(statusLabel);
    layout->addWidget(resultsText);
    setCentralWidget(central);

    exitAction = menuBar()->addAction(QStringLiteral("E&xit"));
    exitAction->setObjectName(QStringLiteral("exitAction"));
    connect(exitAction, &QAction::triggered, this, &ResultsViewer::closeResults);
    resize(760, 480);
}

void ResultsViewer::open(const QString& resultsFilePath)
{
    resultsText->clear();
    statusLabel->clear();
    statusLabel->hide();
    QString path = resultsFilePath;
    while (path.startsWith(QLatin1Char(' ')))
        path.remove(0, 1);

    if (path.isEmpty() || !QFileInfo::exists(path)) {
        statusLabel->setText(QStringLiteral("No results have been recorded yet: %1 does not exist.")
                                 .arg(QDir::toNativeSeparators(path)));
        statusLabel->show();
    } else {
        const Result<QString> text = readTextFile(path);
        if (text) {
            QString shown = *text;
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            resultsText->setPlainText(shown);
        } else {
            statusLabel->setText(text.message());
            statusLabel->show();
        }
    }
    setWindowTitle(resultsFilePath);
    show();
    raise();
    activateWindow();
}

void ResultsViewer::closeResults()
{
    hide();
    resultsText->clear();
    Q_EMIT exited();
}

void ResultsViewer::closeEvent(QCloseEvent* event)
{
    // Closing the window is the same as its Exit.
    event->ignore();
    closeResults();
}

} // namespace fw
