#pragma once

#include <QHash>
#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace fw {

class Station;

// The manual viewer: shows the operator's manual read-only, with a contents pane built from its
// headings and a search box (Ctrl+F; Enter or F3 for the next match, Shift with them for the
// previous one). The manual is read once per run, at the first showing; later showings keep the
// document and the place where the operator left it.
class ManualViewer : public QWidget {
    Q_OBJECT
public:
    explicit ManualViewer(Station& station, QWidget* parent = nullptr);

    QLabel* titleLabel = nullptr;
    QTextBrowser* manualText = nullptr;
    QPushButton* doneButton = nullptr;
    QTreeWidget* contentsTree = nullptr; // one entry per heading, nested by level
    QLineEdit* searchEdit = nullptr;
    QPushButton* findPreviousButton = nullptr;
    QPushButton* findNextButton = nullptr;
    QLabel* searchStatus = nullptr; // "3 of 12", or that nothing matches

    // How many times the manual was read (once per run).
    int readCount() const { return m_reads; }

public Q_SLOTS:
    // Reads the manual (the operator's own beside the program, or the built-in one) into the
    // text area and builds its contents.
    void loadManual();
    void returnToMainScreen();
    // Puts the keyboard in the search box with its text selected.
    void focusSearch();
    // The next or previous match of the search box's text, wrapping round the manual's end.
    // False when the text is nowhere in the manual.
    bool findNext();
    bool findPrevious();
    // Shows the heading of a contents entry at the top of the text area.
    void showSection(QTreeWidgetItem* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // Shows each picture of the manual no wider than the text area, so that nothing needs
    // scrolling sideways; pictures are never shown larger than they are.
    void fitPictures();
    void buildContents();
    bool find(bool backwards);
    // Scrolls the match the text cursor holds into view.
    void showMatch();
    // Marks every match of the search box's text and tells how many there are.
    void markMatches();

    Station& m_station;
    int m_reads = 0;
    QList<int> m_matchStarts; // where the search box's text is found in the manual, in order
    QHash<QString, QSize> m_pictureSizes; // the most each picture is shown at, found once
};

} // namespace fw
