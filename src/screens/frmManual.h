#pragma once

#include <QHash>
#include <QSize>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QTextBrowser;

namespace fw {

class Station;

// The manual viewer: shows the operator's manual read-only. The manual is read once per run, at
// the first showing; later showings keep the document and the place where the operator left it.
class frmManual : public QWidget {
    Q_OBJECT
public:
    explicit frmManual(Station& station, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QTextBrowser* RichTextBox1 = nullptr;
    QPushButton* cmdDone = nullptr;

    // How many times the manual was read (once per run).
    int readCount() const { return m_reads; }

public Q_SLOTS:
    void Form_Load();
    void cmdDone_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Shows each picture of the manual no wider than the text area, so that nothing needs
    // scrolling sideways; pictures are never shown larger than they are.
    void fitPictures();

    Station& m_station;
    int m_reads = 0;
    QHash<QString, QSize> m_pictureSizes; // the most each picture is shown at, found once
};

} // namespace fw
