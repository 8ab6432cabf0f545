#pragma once

// The results viewer: the whole results file as text, so the operator can read back what was
// recorded during the session. Built afresh at each opening, over the screen that opened it.

#include <QMainWindow>

class QAction;
class QLabel;
class QPlainTextEdit;

namespace fw {

class ResultsViewer : public QMainWindow {
    Q_OBJECT
public:
    explicit ResultsViewer(QWidget* parent = nullptr);

    // Reads the results file (its path as the settings hold it) and shows the window with the
    // path as its caption. A file not written yet shows an empty text and a line saying so.
    void open(const QString& resultsFilePath);

    QPlainTextEdit* resultsText = nullptr;
    QAction* exitAction = nullptr;
    QLabel* statusLabel = nullptr; // why the text is empty, when it is

public Q_SLOTS:
    void closeResults();

Q_SIGNALS:
    void exited();

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace fw
