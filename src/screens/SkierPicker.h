#pragma once

// The skier selection dialog: the station's list of skiers; a double click on a name hands it to
// the capture screen. Not modal; built afresh at each opening over the capture screen.

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace fw {

class Dialogs;

class SkierPicker : public QWidget {
    Q_OBJECT
public:
    SkierPicker(Dialogs& dialogs, QString skierNamesPath, QWidget* parent = nullptr);

    QListWidget* skierList = nullptr;
    QLabel* instructionLabel = nullptr;
    QPushButton* noSelectionButton = nullptr;

    // The name chosen by the last double click; empty when none was.
    const QString& chosenName() const { return m_chosen; }

public Q_SLOTS:
    // Fills the list from the skier names file.
    void listSkiers();
    void chooseCurrentSkier();
    void closeWithoutChoice();

Q_SIGNALS:
    // A name was chosen; the dialog has closed.
    void skierSelected(const QString& name);

private:
    Dialogs& m_dialogs;
    QString m_path;
    QString m_chosen;
};

} // namespace fw
