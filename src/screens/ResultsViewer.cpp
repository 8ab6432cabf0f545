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
    lblStatus = new QLabel(central);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setWordWrap(true);
    lblStatus->hide();
    output_box = new QPlainTextEdit(central);
    output_box->setObjectName(QStringLiteral("output_box"));
    output_box->setReadOnly(true);
    output_box->setLineWrapMode(QPlainTextEdit::NoWrap);
    output_box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(lblStatus);
    layout->addWidget(output_box);
    setCentralWidget(central);

    Exit_results = menuBar()->addAction(QStringLiteral("E&xit"));
    Exit_results->setObjectName(QStringLiteral("Exit_results"));
    connect(Exit_results, &QAction::triggered, this, &ResultsViewer::Exit_results_Click);
    resize(760, 480);
}

void ResultsViewer::open(const QString& resultsFilePath)
{
    output_box->clear();
    lblStatus->clear();
    lblStatus->hide();
    QString path = resultsFilePath;
    while (path.startsWith(QLatin1Char(' ')))
        path.remove(0, 1);

    if (path.isEmpty() || !QFileInfo::exists(path)) {
        lblStatus->setText(QStringLiteral("No results have been recorded yet: %1 does not exist.")
                               .arg(QDir::toNativeSeparators(path)));
        lblStatus->show();
    } else {
        const Result<QString> text = readTextFile(path);
        if (text) {
            QString shown = *text;
            shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
            output_box->setPlainText(shown);
        } else {
            lblStatus->setText(text.message());
            lblStatus->show();
        }
    }
    setWindowTitle(resultsFilePath);
    show();
    raise();
    activateWindow();
}

void ResultsViewer::Exit_results_Click()
{
    hide();
    output_box->clear();
    Q_EMIT exited();
}

void ResultsViewer::closeEvent(QCloseEvent* event)
{
    // Closing the window is the same as its Exit.
    event->ignore();
    Exit_results_Click();
}

} // namespace fw
